#include "platform/paths.h"

#include <QDir>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#ifdef _MSC_VER
#pragma comment(lib, "shell32.lib")
#endif
#endif

namespace
{

#ifdef _WIN32
QString ShellFolder(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer)))
        return QString();
    return QDir::fromNativeSeparators(QString::fromWCharArray(buffer));
}
#endif

} // namespace

QString SettingsBaseFolder()
{
#ifdef _WIN32
    return ShellFolder(CSIDL_COMMON_APPDATA);
#else
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.isEmpty() && QDir::isAbsolutePath(config))
        return config;
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        return QString();
    return home + QStringLiteral("/.config");
#endif
}

QString DocumentsFolder()
{
#ifdef _WIN32
    const QString folder = ShellFolder(CSIDL_PERSONAL);
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#endif
    if (folder.isEmpty() || !QDir(folder).exists())
        return QString();
    return folder;
}

QString LinkLogPath()
{
    const QString documents = DocumentsFolder();
    if (documents.isEmpty())
        return QStringLiteral("uart.log");
    return documents + QStringLiteral("/uart.log");
}
