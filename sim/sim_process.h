#pragma once

#include "platform/child_process.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>

// The velmor-sim program serving a simulated unit on a pseudo-terminal, for tests and benchmarks that reach it
// through the real serial backend or through our other programs.
class SimProcess
{
public:
    // How long the simulator may take to come up, and to save and end after SIGTERM: hang guards
    // only, it needs milliseconds.
    static constexpr int kStartMs = 10000;
    static constexpr int kStopMs = 10000;

    explicit SimProcess(QString program)
        : m_program(std::move(program))
    {
    }

    // Starts the simulator with the given options and waits for the first line it prints, the
    // pseudo-terminal's device; false when it does not come (Errors() tells why).
    bool Start(const QStringList& arguments, const ChildProcess::Environment& environment = {});
    // The pseudo-terminal the unit listens on.
    const QString& Device() const { return m_device; }

    // Ends the simulator as a user does, with SIGTERM: it saves its memory file and removes its
    // port entry. True when it ended by itself with exit code 0; it is killed when it does not end.
    bool Stop();

    // What the simulator wrote to standard error so far, for failure messages.
    QByteArray Errors() const;

private:
    QString m_program;
    // Its standard error goes to a file of its own, read when asked for.
    QTemporaryDir m_folder;
    ChildProcess m_child;
    QString m_device;
};
