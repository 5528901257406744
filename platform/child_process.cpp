#include "platform/child_process.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

extern char** environ;

namespace
{

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// The child's environment: the inherited one with the given variables set.
std::vector<QByteArray> ChildEnvironment(const ChildProcess::Environment& changes)
{
    std::vector<QByteArray> entries;
    for (char** entry = environ; *entry; ++entry) {
        const QByteArray text(*entry);
        if (!changes.contains(text.left(text.indexOf('='))))
            entries.push_back(text);
    }
    for (const auto& [name, value] : changes)
        entries.push_back(name + '=' + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<QByteArray>& texts)
{
    std::vector<char*> pointers;
    for (QByteArray& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildProcess::~ChildProcess()
{
    Stop();
}

bool ChildProcess::Start(const QString& program, const QStringList& arguments, const Environment& environment,
    const QString& errorFile)
{
    if (m_pid > 0)
        return false;
    // Everything the child needs is made before the fork: between fork and exec only
    // async-signal-safe calls are allowed, as other threads may hold the allocator's lock.
    std::vector<QByteArray> argumentTexts { program.toLocal8Bit() };
    for (const QString& argument : arguments)
        argumentTexts.push_back(argument.toLocal8Bit());
    std::vector<QByteArray> environmentTexts = ChildEnvironment(environment);
    const std::vector<char*> argv = Pointers(argumentTexts);
    const std::vector<char*> envp = Pointers(environmentTexts);

    // Everything close-on-exec, so that a child started later does not hold this child's pipes
    // open and keep the end of its output from being seen.
    int out[2] = { -1, -1 };
    int err[2] = { -1, -1 };
    const auto closeAll = [&] {
        for (int fd : { out[0], out[1], err[0], err[1] })
            if (fd >= 0)
                ::close(fd);
    };
    bool made = ::pipe2(out, O_CLOEXEC) == 0;
    if (made && errorFile.isEmpty()) {
        made = ::pipe2(err, O_CLOEXEC) == 0;
    } else if (made) {
        const QByteArray path = errorFile.toLocal8Bit();
        err[1] = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        made = err[1] >= 0;
    }
    if (!made) {
        closeAll();
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out[1] = err[1] = -1;
    if (pid < 0) {
        closeAll();
        return false;
    }
    m_pid = pid;
    m_outPipe = out[0];
    m_errPipe = err[0];
    m_ended = false;
    m_status = 0;
    m_outText.clear();
    m_errText.clear();
    return true;
}

bool ChildProcess::Collect(int timeoutMs)
{
    pollfd fds[2] = { { m_outPipe, POLLIN, 0 }, { m_errPipe, POLLIN, 0 } };
    if (m_outPipe < 0 && m_errPipe < 0)
        return false;
    const int ready = ::poll(fds, 2, timeoutMs);
    if (ready < 0 && errno != EINTR)
        return false;
    int* pipes[2] = { &m_outPipe, &m_errPipe };
    QByteArray* texts[2] = { &m_outText, &m_errText };
    for (int i = 0; i < 2; ++i) {
        if (*pipes[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        char buffer[4096];
        const ssize_t got = ::read(*pipes[i], buffer, sizeof buffer);
        if (got > 0) {
            texts[i]->append(buffer, got);
        } else if (got == 0 || errno != EINTR) {
            ::close(*pipes[i]);
            *pipes[i] = -1;
        }
    }
    return m_outPipe >= 0 || m_errPipe >= 0;
}

QByteArray ChildProcess::ReadLine(int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const qsizetype end = m_outText.indexOf('\n');
        if (end >= 0) {
            const QByteArray line = m_outText.left(end);
            m_outText.remove(0, end + 1);
            return line;
        }
        if (m_outPipe < 0 || Clock::now() >= deadline)
            return {};
        Collect(MsLeft(deadline));
    }
}

void ChildProcess::Reap(bool block)
{
    if (m_pid <= 0 || m_ended)
        return;
    int status = 0;
    pid_t done;
    do
        done = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    while (done < 0 && errno == EINTR);
    if (done == m_pid) {
        m_ended = true;
        m_status = status;
    }
}

bool ChildProcess::WaitFinished(int timeoutMs)
{
    if (m_pid <= 0)
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // The outputs close when the child ends (or hands them to a grandchild, which ours never do).
    while (Collect(std::min(MsLeft(deadline), 50))) {
        if (Clock::now() >= deadline)
            return false;
    }
    while (!m_ended) {
        Reap(false);
        if (m_ended)
            break;
        if (Clock::now() >= deadline)
            return false;
        ::usleep(2000);
    }
    return true;
}

void ChildProcess::Stop(int graceMs)
{
    if (m_pid <= 0)
        return;
    Reap(false);
    if (!m_ended) {
        ::kill(m_pid, SIGTERM);
        if (!WaitFinished(graceMs)) {
            ::kill(m_pid, SIGKILL);
            Reap(true);
        }
    }
    // What the child wrote before it ended is still in the pipes.
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (Collect(10) && Clock::now() < deadline) { }
    ClosePipes();
}

void ChildProcess::ClosePipes()
{
    for (int* pipe : { &m_outPipe, &m_errPipe }) {
        if (*pipe >= 0)
            ::close(*pipe);
        *pipe = -1;
    }
}

ProgramRun ChildProcess::Finish(int timeoutMs)
{
    ProgramRun run;
    run.finished = WaitFinished(timeoutMs);
    Stop(0);
    run.code = ExitCode();
    run.out = m_outText;
    run.err = m_errText;
    return run;
}

ProgramRun RunProgram(const QString& program, const QStringList& arguments,
    const ChildProcess::Environment& environment, int timeoutMs)
{
    ChildProcess child;
    if (!child.Start(program, arguments, environment))
        return {};
    return child.Finish(timeoutMs);
}
