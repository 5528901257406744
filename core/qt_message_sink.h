#pragma once

#include "shell/message_sink.h"

class QWidget;

// Shows message requests as real message boxes, parented to the main window.
class QtMessageSink : public IMessageSink {
public:
    explicit QtMessageSink(QWidget* parent) : m_parent(parent) {}
    MessageAnswer Show(const MessageRequest& request) override;

private:
    QWidget* m_parent;
};
