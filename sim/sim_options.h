#pragma once

#include "sim/unit_config.h"

#include <QString>
#include <QStringList>

// What the velmor-sim command line asks for.
struct SimOptions {
    UnitConfig unit;
    QString memoryFile;  // empty: the unit forgets everything when it ends
    int mapCom = 0;      // 0: no [PORTS] entry
    bool quiet = false;
    bool help = false;
};

// Reads the arguments (without the program name). False with a message naming the bad option or
// value; options then holds nothing useful.
bool ParseSimOptions(const QStringList& arguments, SimOptions& options, QString& error);
// The text of --help.
QString SimUsage();
