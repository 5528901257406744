#include "link/link_log.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace
{

// Appends to a file; each write is one stdio call (stdio locks the stream) and is flushed at once,
// so a crash loses nothing of the trace.
class FileSink : public ILinkLogSink
{
public:
    explicit FileSink(std::FILE* file)
        : m_file(file)
    {
    }
    ~FileSink() override { std::fclose(m_file); }
    void Write(std::string_view text) override
    {
        std::fwrite(text.data(), 1, text.size(), m_file);
        std::fflush(m_file);
    }

private:
    std::FILE* m_file;
};

std::string FormatV(const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

LinkLog::LinkLog()
    : m_wallClock([] { return QTime::currentTime(); })
{
}

LinkLog::~LinkLog()
{
    Close();
}

bool LinkLog::OpenFile(const QString& path)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "a");
    if (!file)
        return false;
    OpenSink(std::make_unique<FileSink>(file));
    return true;
}

void LinkLog::OpenSink(std::unique_ptr<ILinkLogSink> sink)
{
    if (IsOpen() || !sink)
        return;
    m_owned = std::move(sink);
    m_sink.store(m_owned.get(), std::memory_order_release);
}

void LinkLog::Close()
{
    m_sink.store(nullptr, std::memory_order_release);
    m_owned.reset();
}

void LinkLog::SetWallClock(WallClock clock)
{
    m_wallClock = std::move(clock);
}

void LinkLog::Event(const char* format, ...)
{
    ILinkLogSink* sink = m_sink.load(std::memory_order_acquire);
    if (!sink)
        return;
    va_list args;
    va_start(args, format);
    const std::string message = FormatV(format, args);
    va_end(args);
    // Seconds with hundredths, truncated so that 59.999 never shows as 60.00.
    const QTime now = m_wallClock();
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%02i:%02i:%02i.%02i:   (%i) ", now.hour(), now.minute(), now.second(),
        now.msec() / 10, LoopCount());
    sink->Write(std::string(stamp) + message + '\n');
}

void LinkLog::Trace(const char* format, ...)
{
    ILinkLogSink* sink = m_sink.load(std::memory_order_acquire);
    if (!sink)
        return;
    va_list args;
    va_start(args, format);
    const std::string text = FormatV(format, args);
    va_end(args);
    sink->Write(text);
}

void LinkLog::Trace(std::string_view text)
{
    if (ILinkLogSink* sink = m_sink.load(std::memory_order_acquire))
        sink->Write(text);
}

QString DefaultLinkLogPath()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return QStringLiteral("uart.log");
    return QDir(documents).filePath(QStringLiteral("uart.log"));
}
