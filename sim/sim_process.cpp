#include "sim/sim_process.h"

#include <QFile>

bool SimProcess::Start(const QStringList& arguments, const ChildProcess::Environment& environment)
{
    if (!m_child.Start(m_program, arguments, environment, m_folder.filePath(QStringLiteral("stderr.txt"))))
        return false;
    m_device = QString::fromLocal8Bit(m_child.ReadLine(kStartMs).trimmed());
    if (m_device.startsWith(QLatin1String("/dev/")))
        return true;
    // Its reason (a bad option, no pseudo-terminal) is on standard error once it has ended.
    m_child.Stop(kStopMs);
    m_device.clear();
    return false;
}

bool SimProcess::Stop()
{
    if (!m_child.Running())
        return m_child.Exited() && m_child.ExitCode() == 0;
    m_child.Stop(kStopMs);
    return m_child.Exited() && m_child.ExitCode() == 0;
}

QByteArray SimProcess::Errors() const
{
    QFile file(m_folder.filePath(QStringLiteral("stderr.txt")));
    return file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
}
