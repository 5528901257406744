#pragma once

#include "shell/settings_location.h"

#include <QString>

// Makes Velmor find the simulated unit: pseudo-terminals never show up among the system's serial
// ports, so the simulator enters its device under a COM number in the [PORTS] section of Velmor's
// application.ini, and takes the entry out again when it ends. Every other line of the file stays.

constexpr int kFirstComNumber = 1;
constexpr int kLastComNumber = 255;

// Writes COM<number>=<devicePath>; false when the file could not be written. A device the number
// named before is given back in previous (empty when there was none), for UnmapComPort to restore.
bool MapComPort(const SettingsLocation& where, int number, const QString& devicePath, QString* previous = nullptr);
// Takes the entry back when COM<number> still names devicePath (Velmor or the user may have changed
// it since): the previous device returns, or the entry goes. True when nothing of the simulator's is
// left in the file.
bool UnmapComPort(const SettingsLocation& where, int number, const QString& devicePath, const QString& previous = {});
