#include "shell/settings_location.h"

#include "platform/paths.h"

#include <QDir>

namespace
{

const QString kMakerFolder = QStringLiteral("Kordanex");
const QString kProgramFolder = QStringLiteral("Velmor");

} // namespace

SettingsLocation LocateSettingsIn(const QString& baseFolder, int programVersion)
{
    SettingsLocation where;
    if (!baseFolder.isEmpty()) {
        const QString folder = baseFolder + u'/' + kMakerFolder + u'/' + kProgramFolder + u'/'
            + QString::number(programVersion);
        // The base itself may be missing too (a fresh user's ~/.config).
        QDir().mkpath(folder);
        where.folder = folder + u'/';
    }
    where.iniPath = where.folder + QStringLiteral("application.ini");
    where.blockPath = where.folder + QStringLiteral("default.ini");
#ifdef _WIN32
    where.testMarkerPath = QStringLiteral("c:/test_zorvik.txt");
#else
    where.testMarkerPath = where.folder + QStringLiteral("test_zorvik.txt");
#endif
    return where;
}

SettingsLocation LocateSettings(int programVersion)
{
    return LocateSettingsIn(SettingsBaseFolder(), programVersion);
}
