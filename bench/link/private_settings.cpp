#include "bench/link/private_settings.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

PrivateSettings::PrivateSettings()
{
    if (!m_folder.isValid())
        return;
    const QString home = m_folder.path();
    const QString config = home + QStringLiteral("/config");
    const QString runtime = home + QStringLiteral("/runtime");
    if (!QDir().mkpath(config) || !QDir().mkpath(runtime))
        return;
    // Qt insists on a runtime folder that only its owner may enter.
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_valid = ::setenv("HOME", qPrintable(home), 1) == 0
        && ::setenv("XDG_CONFIG_HOME", qPrintable(config), 1) == 0
        && ::setenv("XDG_RUNTIME_DIR", qPrintable(runtime), 1) == 0;
}
