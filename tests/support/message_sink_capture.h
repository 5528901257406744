#pragma once

#include "shell/message_sink.h"

#include <vector>

// Records every message box instead of showing it and answers with a preset answer.
class MessageSinkCapture : public IMessageSink {
public:
    explicit MessageSinkCapture(MessageAnswer answer = MessageAnswer::Ok) : m_answer(answer) {}
    MessageAnswer Show(const MessageRequest& request) override
    {
        shown.push_back(request);
        return m_answer;
    }
    void setAnswer(MessageAnswer answer) { m_answer = answer; }

    std::vector<MessageRequest> shown;

private:
    MessageAnswer m_answer;
};
