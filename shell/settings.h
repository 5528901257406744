#pragma once

#include "platform/screens.h"
#include "shell/file_history.h"
#include "shell/settings_block_file.h"
#include "shell/settings_location.h"
#include "shell/settings_window.h"

#include <QString>

#include <map>
#include <vector>

// Everything the program keeps between runs: application.ini (section BASIC, and PORTS for the
// serial device map) and default.ini (the last parameter block).
struct VelmorSettings {
    WindowPlacement window;
    int comPort = 0; // -1 offline, 0 automatic search, n >= 1 always COMn
    int comPortAuto = 0; // where the automatic search goes on
    int language = 0; // 0 English, 1 German, 2 Czech
    int updateNumber = -1; // kept from run to run, never interpreted
    QString file; // the current parameter file
    QString dialogPath; // start path of the Open and Save dialogs
    int newInstall = 1; // 1 until the unit has been read or a parameter file accepted
    bool monitorPlayer = false;
    FileHistory history;
    std::map<int, QString> ports; // COM number -> device path, for devices the system does not list
    StoredBlock block {};
};

// The stored language code: Czech is 3, not 2.
int EncodeLanguage(int language);
// A stored code that is not 0, 1 or 3 leaves `current`.
int DecodeLanguage(int stored, int current);

// Reads the settings. `current` supplies what an absent value leaves as it is: the window placement
// (the centred window), comPortAuto, the language and the block (its defaults); every other absent
// value takes its fixed default. The stored window is fitted onto `monitors`. Missing or damaged
// files are no error. The block is returned as stored; bringing it within its limits is the caller's.
VelmorSettings LoadSettings(
    const SettingsLocation& where, const VelmorSettings& current, const std::vector<PixelRect>& monitors);

// Writes application.ini, then default.ini, each as one atomic replacement; keys the program does not
// write stay in the file. A file that cannot be written keeps its old contents. Returns true when
// both files were written.
bool SaveSettings(const SettingsLocation& where, const VelmorSettings& settings);
