#include "platform/serial_wakeup.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#else
#include <QThread>
#endif

#if defined(Q_OS_UNIX)

// A non-blocking pipe: a pending signal is a byte in it, so poll() can wait for it together with
// the device's own descriptor.
PortWakeup::PortWakeup()
{
    int fds[2];
    if (::pipe(fds) == 0) {
        for (int fd : fds) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        m_readFd = fds[0];
        m_writeFd = fds[1];
    }
}

PortWakeup::~PortWakeup()
{
    if (m_readFd >= 0)
        ::close(m_readFd);
    if (m_writeFd >= 0)
        ::close(m_writeFd);
}

void PortWakeup::Signal()
{
    if (m_writeFd < 0)
        return;
    const char one = 1;
    // A full pipe already holds a pending signal, so a failed write loses nothing.
    const ssize_t written = ::write(m_writeFd, &one, 1);
    (void)written;
}

void PortWakeup::Wait(int timeoutMs)
{
    if (m_readFd < 0)
        return;
    pollfd wait { m_readFd, POLLIN, 0 };
    ::poll(&wait, 1, timeoutMs);
    Drain();
}

void PortWakeup::Drain()
{
    char sink[64];
    while (m_readFd >= 0 && ::read(m_readFd, sink, sizeof sink) > 0) { }
}

#else

// Without a pollable descriptor the waits are short sleeps; callers keep their timeouts small.
PortWakeup::PortWakeup() = default;
PortWakeup::~PortWakeup() = default;
void PortWakeup::Signal()
{
}
void PortWakeup::Wait(int timeoutMs)
{
    QThread::msleep(qMin(timeoutMs, 2));
}
void PortWakeup::Drain()
{
}

#endif
