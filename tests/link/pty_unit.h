#pragma once

#include "tests/link/wait_until.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// The far end of a pseudo-terminal pair, playing the unit: the PC side opens SlavePath() like a
// serial device. The master is raw from the start; the slave becomes raw when the PC opens it, so
// nothing may be sent before that.
class PtyUnit
{
public:
    PtyUnit()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
        termios raw {};
        ::tcgetattr(m_master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_master, TCSANOW, &raw);
    }
    ~PtyUnit()
    {
        if (m_master >= 0)
            ::close(m_master);
    }

    // Closes the unit's end, as when a cable is pulled out.
    void HangUp()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    bool Ready() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    QString SlavePath() const { return m_slavePath; }

    bool Send(const std::vector<std::uint8_t>& bytes)
    {
        return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads exactly count bytes unless the deadline passes first.
    std::vector<std::uint8_t> Receive(size_t count, int timeoutMs = 10000)
    {
        std::vector<std::uint8_t> got;
        WaitUntil(
            [&] {
                pollfd wait { m_master, POLLIN, 0 };
                if (::poll(&wait, 1, 1) > 0 && (wait.revents & POLLIN)) {
                    std::uint8_t buffer[512];
                    const ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - got.size()));
                    if (n > 0)
                        got.insert(got.end(), buffer, buffer + n);
                }
                return got.size() >= count;
            },
            timeoutMs);
        return got;
    }

private:
    int m_master = -1;
    QString m_slavePath;
};
