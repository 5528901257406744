#pragma once

#include <QString>

// Folders the program keeps its files in. Each answer is computed from the environment at the time
// of the call, so a test process that points XDG_CONFIG_HOME or HOME elsewhere never reaches the
// user's real folders.

// The base folder below which the settings folder levels are made: on Windows the all-users
// application data folder; elsewhere $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
// Empty when none can be found (the caller then uses the current directory).
QString SettingsBaseFolder();

// The user's documents folder, or empty when it cannot be found or does not exist.
QString DocumentsFolder();

// The link log of test mode: "uart.log" in the documents folder, or in the current directory when
// there is no documents folder.
QString LinkLogPath();
