#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

// One velmor-sim program serving a unit on a pseudo-terminal, for as long as the object lives. It
// is started with a plain fork and exec (the benchmark's threads do not exist yet, or have ended,
// whenever one is started) and ended with SIGTERM, which makes it take its [PORTS] entry back out.
class SimProcess
{
public:
    SimProcess(const QString& program, const QStringList& arguments);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Waits for the first line the simulator prints, the device it serves; empty when none comes
    // in time. The simulator prints it after its [PORTS] entry is written.
    QString WaitForDevice(int timeoutMs = 10000);

private:
    pid_t m_pid = -1;
    int m_out = -1;
};
