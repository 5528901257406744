#pragma once

#include <QString>

// Where the settings files of one installation lie.
struct SettingsLocation {
    QString folder; // with a trailing "/"; empty means the current directory
    QString iniPath; // "application.ini"
    QString blockPath; // "default.ini", the last parameter block
    QString testMarkerPath; // the file whose word DIAG_ACTIVE switches test mode on
};

// Makes the folder Kordanex/Velmor/<version> below `baseFolder` (and the base when it is missing) and
// names the files in it. A level that cannot be made is not an error: loading then
// finds no files and saving fails quietly. An empty base puts the files in the current directory.
SettingsLocation LocateSettingsIn(const QString& baseFolder, int programVersion);

// The same below the platform's settings base folder (see platform/paths.h).
SettingsLocation LocateSettings(int programVersion);
