// The window's side of the port hand-over: the maker's bootloader tool borrows the serial port while
// Velmor runs. Its messages arrive on the hand-over socket, on the window thread between ticks; the
// driver decides what they mean, the window shows the result at once.

#include "core/main_form.h"

#include "platform/handover_socket.h"

#include <QLabel>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

void TMainForm::BootloaderMessage(int port, uint32_t code)
{
    ApplyDriverEvents(m_driver->BootloaderMessage(port, code));
    findChild<QLabel*>("LabelCom")->setText(m_driver->ComLabel());
}

#ifdef Q_OS_WIN
bool TMainForm::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    // The message is posted, so it arrives here on the window thread between ticks.
    constexpr UINT kBootloaderMessage = WM_APP + 0x309;
    const MSG* msg = static_cast<const MSG*>(message);
    if (eventType == "windows_generic_MSG" && msg->message == kBootloaderMessage) {
        BootloaderMessage(static_cast<int>(msg->wParam), static_cast<uint32_t>(msg->lParam));
        *result = 0;
        return true;
    }
    return QMainWindow::nativeEvent(eventType, message, result);
}
#endif

void TMainForm::StartHandoverListener()
{
    if (!m_options.handoverListen)
        return;
    const QString name = m_options.handoverSocket.isEmpty() ? HandoverSocketName() : m_options.handoverSocket;
    auto listener = std::make_unique<HandoverListener>();
    if (listener->Listen(name) != HandoverListenResult::Listening) {
        // A second Velmor of the same user leaves the port hand-over to the first one.
        m_link->Log().Event("Hand-over socket not used: %s", qPrintable(listener->ErrorText()));
        return;
    }
    connect(listener.get(), &HandoverListener::MessageReceived, this,
        [this](int port, quint32 code) { BootloaderMessage(port, code); });
    m_handover = std::move(listener);
    m_link->Log().Event("Hand-over socket %s", qPrintable(m_handover->FullName()));
}

void TMainForm::StopHandoverListener()
{
    // Before the ports close: a late "take back" must not let the link open them again.
    m_handover.reset();
}
