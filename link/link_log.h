#pragma once

#include <QString>
#include <QTime>

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>

// Where the link log's text goes. Written from the main thread, the transfer worker and the port
// threads at once, so a sink must take whole writes from several threads without mixing them.
class ILinkLogSink
{
public:
    virtual ~ILinkLogSink() = default;
    virtual void Write(std::string_view text) = 0;
};

// The link log ("uart.log", test mode only): timestamped event lines of the device link and the
// raw serial trace, both in one file. While no sink is attached nothing is formatted or written.
class LinkLog
{
public:
    using WallClock = std::function<QTime()>;

    LinkLog();
    ~LinkLog();
    LinkLog(const LinkLog&) = delete;
    LinkLog& operator=(const LinkLog&) = delete;

    // Opens a file for appending; false when it cannot be opened. A log opens once per run.
    bool OpenFile(const QString& path);
    void OpenSink(std::unique_ptr<ILinkLogSink> sink);
    bool IsOpen() const { return m_sink.load(std::memory_order_acquire) != nullptr; }
    // Detaches the sink; only once no thread of the link writes any more.
    void Close();

    // The clock of the event lines' time of day; the local wall clock unless a test sets one.
    void SetWallClock(WallClock clock);
    // The transfer worker's loop count, shown in every event line.
    void SetLoopCount(int count) { m_loopCount.store(count, std::memory_order_relaxed); }
    int LoopCount() const { return m_loopCount.load(std::memory_order_relaxed); }

    // "hh:mm:ss.hh:   (loop) message" and a line feed.
    void Event(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Raw trace text, exactly as given.
    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Trace(std::string_view text);

private:
    std::unique_ptr<ILinkLogSink> m_owned;
    std::atomic<ILinkLogSink*> m_sink { nullptr };
    std::atomic<int> m_loopCount { 0 };
    WallClock m_wallClock;
};

// The link log's place: "uart.log" in the user's documents folder, or in the current folder when
// there is none.
QString DefaultLinkLogPath();
