#pragma once

#include "link/ccom.h"
#include "link/link_log.h"
#include "tests/link/wait_until.h"

#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline QByteArray ToQByteArray(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

inline Bytes ToBytes(const QByteArray& bytes)
{
    return Bytes(bytes.begin(), bytes.end());
}

// Keeps everything written to the link log.
class MemoryLogSink : public ILinkLogSink
{
public:
    explicit MemoryLogSink(std::string& text, std::mutex& mutex)
        : m_text(text)
        , m_mutex(mutex)
    {
    }
    void Write(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_text.append(text);
    }

private:
    std::string& m_text;
    std::mutex& m_mutex;
};

// A link log captured in memory, shared by every thread of the link under test.
class CapturedLog
{
public:
    void AttachTo(LinkLog& log) { log.OpenSink(std::make_unique<MemoryLogSink>(m_text, m_mutex)); }
    std::string Text() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_text.clear();
    }

private:
    std::string m_text;
    mutable std::mutex m_mutex;
};
