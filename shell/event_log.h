#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <functional>

// Local wall-clock time of an event line.
struct EventTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int hundredths = 0;
};

EventTime SystemEventTime();

// "HH:MM:SS.hh:   (loop) message\n", the loop being the transfer worker's loop count.
QByteArray FormatEventLine(const EventTime& time, int loopCount, const QByteArray& message);

// The link log of test mode: event lines and the serial trace in one file, opened for appending. While
// it is not open, nothing is written, so callers need not check test mode themselves.
//
// Open and Close belong to the window thread and happen while no link thread runs; the writes may come
// from any thread: each line is one stdio call, which stdio keeps whole.
class EventLog
{
public:
    using Clock = std::function<EventTime()>;

    explicit EventLog(Clock clock = SystemEventTime);
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    void WriteEvent(int loopCount, const QByteArray& message);
    // Trace text goes out as given; it reaches the file at once, so a crash keeps the last frames.
    void WriteTrace(const QByteArray& text);

private:
    void Write(const QByteArray& text);

    Clock m_clock;
    std::FILE* m_file = nullptr;
};

// Text for the platform's debugger output (on Windows the debugger's message window; elsewhere the
// "velmor.debug" logging category).
void WriteDebugOutput(const QByteArray& text);
