#include "bench/link/sim_process.h"

#include <chrono>
#include <string>
#include <vector>

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

SimProcess::SimProcess(const QString& program, const QStringList& arguments)
{
    // Everything exec needs is made before the fork: the child only duplicates and executes.
    std::vector<std::string> texts { program.toStdString() };
    for (const QString& argument : arguments)
        texts.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe(out) != 0)
        return;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (m_pid < 0) {
        ::close(out[0]);
        return;
    }
    m_out = out[0];
}

SimProcess::~SimProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0)
        ::close(m_out);
}

QString SimProcess::WaitForDevice(int timeoutMs)
{
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_out >= 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd wait { m_out, POLLIN, 0 };
        if (::poll(&wait, 1, 50) <= 0)
            continue;
        char c = 0;
        if (::read(m_out, &c, 1) != 1)
            break;
        if (c == '\n')
            return QString::fromStdString(line);
        line += c;
    }
    return {};
}
