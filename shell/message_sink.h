#pragma once

#include <QString>

// Message boxes travel as data: link, file and language code describe the box they need and hand it
// to a sink. The main window's sink shows a real box; tests install one that records and answers.

enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
    bool systemModal = false;
};

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual MessageAnswer Show(const MessageRequest& request) = 0;
};
