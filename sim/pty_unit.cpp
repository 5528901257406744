#include "sim/pty_unit.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

int SpeedValue(speed_t speed)
{
    struct Pair {
        speed_t code;
        int baud;
    };
    static const Pair kSpeeds[] = { { B1200, 1200 }, { B2400, 2400 }, { B4800, 4800 }, { B9600, 9600 },
        { B19200, 19200 }, { B38400, 38400 }, { B57600, 57600 }, { B115200, 115200 }, { B230400, 230400 },
        { B460800, 460800 }, { B921600, 921600 } };
    for (const Pair& pair : kSpeeds)
        if (pair.code == speed)
            return pair.baud;
    return 0;
}

void SleepMs(int ms)
{
    timespec wait { ms / 1000, (ms % 1000) * 1000000L };
    nanosleep(&wait, nullptr);
}

// While nothing is attached the master reports a hang-up at once, so the round sleeps instead.
constexpr int kDetachedWaitMs = 20;

} // namespace

PtyUnit::PtyUnit(UnitEngine& engine, Clock clock) : m_engine(engine), m_clock(std::move(clock)) {}

PtyUnit::~PtyUnit()
{
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyUnit::Open(std::string& error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0
        || ::ptsname_r(m_master, name, sizeof name) != 0) {
        error = "no pseudo-terminal available";
        return false;
    }
    m_devicePath = name;
    // Raw on the unit's side: the line carries binary frames, not text.
    termios raw {};
    ::tcgetattr(m_master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_master, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // The master reports a hang-up only once its slave has been open and closed again; opening it
    // here once makes "nobody attached" visible from the start, until the PC opens it.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        error = "cannot open " + m_devicePath;
        return false;
    }
    ::close(slave);
    return true;
}

int PtyUnit::LineSpeed() const
{
    termios line {};
    if (m_master < 0 || ::tcgetattr(m_master, &line) != 0)
        return 0;
    return SpeedValue(::cfgetispeed(&line));
}

PtyUnit::Event PtyUnit::Serve(int maxWaitMs)
{
    if (m_master < 0)
        return Event::Failed;
    int timeout = std::max(0, maxWaitMs);
    if (m_engine.HasPendingOutput())
        timeout = static_cast<int>(std::clamp<SimTime>(m_engine.NextOutputTime() - m_clock(), 0, timeout));
    if (!m_unsent.empty())
        timeout = std::min(timeout, 1);

    pollfd wait { m_master, POLLIN, 0 };
    const int ready = ::poll(&wait, 1, timeout);
    if (ready < 0)
        return errno == EINTR ? Event::None : Event::Failed;
    const SimTime now = m_clock();

    if (wait.revents & POLLHUP) {
        if (!m_attached) {
            m_engine.Tick(now);
            SleepMs(std::min(maxWaitMs, kDetachedWaitMs));
            return Event::None;
        }
        m_attached = false;
        m_unsent.clear();
        m_engine.LineClosed();
        return Event::Detached;
    }
    Event event = Event::None;
    if (!m_attached) {
        m_attached = true;
        m_engine.LineOpened(now);
        event = Event::Attached;
    }
    if (wait.revents & POLLIN)
        ReadFromPc(now);
    const std::vector<std::uint8_t> reply = m_engine.TakeOutput(now);
    if (m_unsent.size() + reply.size() <= static_cast<size_t>(kMaxUnsentBytes))
        m_unsent.insert(m_unsent.end(), reply.begin(), reply.end());
    WriteToPc();
    return event;
}

void PtyUnit::ReadFromPc(SimTime now)
{
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0)
        return;
    const int speed = m_engine.Config().baudRate;
    const int pcSpeed = LineSpeed();
    // At another speed a real line delivers garbage; a speed the system cannot tell is trusted.
    if (speed != 0 && pcSpeed != 0 && pcSpeed != speed) {
        m_engine.State().LinkCounters().wrongSpeed += static_cast<std::uint32_t>(n);
        return;
    }
    m_engine.Receive({ buffer, static_cast<size_t>(n) }, now);
}

void PtyUnit::WriteToPc()
{
    if (m_unsent.empty())
        return;
    const ssize_t n = ::write(m_master, m_unsent.data(), m_unsent.size());
    if (n > 0)
        m_unsent.erase(m_unsent.begin(), m_unsent.begin() + n);
}
