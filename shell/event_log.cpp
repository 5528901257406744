#include "shell/event_log.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{

Q_LOGGING_CATEGORY(lcDebugOutput, "velmor.debug")

} // namespace

EventTime SystemEventTime()
{
    const QTime now = QTime::currentTime();
    return { now.hour(), now.minute(), now.second(), now.msec() / 10 };
}

QByteArray FormatEventLine(const EventTime& time, int loopCount, const QByteArray& message)
{
    // Hundredths are kept apart from the seconds so that 59.996 s shows as 59.99, never as 60.00.
    char head[64];
    std::snprintf(head, sizeof head, "%02i:%02i:%02i.%02i:   (%i) ", time.hour, time.minute, time.second,
        time.hundredths, loopCount);
    return QByteArray(head) + message + '\n';
}

EventLog::EventLog(Clock clock)
    : m_clock(std::move(clock))
{
}

EventLog::~EventLog()
{
    Close();
}

bool EventLog::Open(const QString& path)
{
    Close();
    m_file = std::fopen(QFile::encodeName(path).constData(), "ab");
    return m_file != nullptr;
}

void EventLog::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

void EventLog::WriteEvent(int loopCount, const QByteArray& message)
{
    if (m_file)
        Write(FormatEventLine(m_clock(), loopCount, message));
}

void EventLog::WriteTrace(const QByteArray& text)
{
    if (m_file)
        Write(text);
}

void EventLog::Write(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), m_file);
    std::fflush(m_file);
}

void WriteDebugOutput(const QByteArray& text)
{
#ifdef _WIN32
    OutputDebugStringA(text.constData());
#else
    qCDebug(lcDebugOutput, "%s", text.constData());
#endif
}
