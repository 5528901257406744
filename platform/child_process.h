#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>

#include <sys/types.h>
#include <sys/wait.h>

// The outcome of a program run to its end.
struct ProgramRun {
    bool finished = false; // false: still running at the deadline, and killed
    int code = -1; // the exit code; -1 when a signal ended it
    QByteArray out;
    QByteArray err;
};

// One of our programs run as a child process of a test or a benchmark, with its standard output and
// error caught.
//
// Started with a plain fork and exec rather than QProcess: QProcess starts children with vfork,
// which leaves ThreadSanitizer with a wrong picture of this process's threads for the rest of the
// run. Every wait is bounded; a child still running when the object goes is stopped.
class ChildProcess
{
public:
    // Variables set (or replaced) in the child's environment; the rest is inherited.
    using Environment = std::map<QByteArray, QByteArray>;

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the pipes cannot be made or the process cannot be forked. A program that cannot
    // be executed shows as a child ending with exit code 127. With an error file, standard error
    // goes there instead of to Err(): a long-running child then never waits for its parent to empty
    // a pipe.
    bool Start(const QString& program, const QStringList& arguments, const Environment& environment = {},
        const QString& errorFile = {});

    // The next line of standard output without its line end; empty when none is complete within
    // timeoutMs or the child closed its output first.
    QByteArray ReadLine(int timeoutMs);
    // Waits until the child has ended and both its outputs are closed; false when it is still
    // running after timeoutMs.
    bool WaitFinished(int timeoutMs);
    // Asks the child to end (SIGTERM) and waits up to graceMs for it; then kills it.
    void Stop(int graceMs = 5000);
    // Waits up to timeoutMs for the child to end by itself, kills it when it does not, and tells
    // how it ended.
    ProgramRun Finish(int timeoutMs);

    bool Running() const { return m_pid > 0 && !m_ended; }
    // Both false until the child has ended.
    bool Exited() const { return m_ended && WIFEXITED(m_status); }
    bool Signalled() const { return m_ended && WIFSIGNALED(m_status); }
    // The exit code when the child ended by itself, otherwise -1.
    int ExitCode() const { return Exited() ? WEXITSTATUS(m_status) : -1; }

    // Everything the child wrote so far and the parent has not taken with ReadLine.
    const QByteArray& Out() const { return m_outText; }
    const QByteArray& Err() const { return m_errText; }

private:
    // Moves what the pipes hold into the texts, waiting up to timeoutMs for something to come;
    // false when both pipes are closed.
    bool Collect(int timeoutMs);
    // Takes the child's end status if it has ended; waits for it when block is set.
    void Reap(bool block);
    void ClosePipes();

    pid_t m_pid = -1;
    int m_outPipe = -1;
    int m_errPipe = -1;
    bool m_ended = false;
    int m_status = 0;
    QByteArray m_outText;
    QByteArray m_errText;
};

// Runs program to its end; it is killed when it runs longer than timeoutMs.
ProgramRun RunProgram(const QString& program, const QStringList& arguments,
    const ChildProcess::Environment& environment = {}, int timeoutMs = 60000);
