#pragma once

#include "platform/port_list.h"

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// COM numbers for serial devices. A device called COMn (as on Windows) is n. Other systems name
// their devices differently, so each name gets a number derived from the name alone, the same on
// every run: the usual families get fixed ranges, anything else a hash. The user's own map (the
// [PORTS] section of the settings: number → device path) comes first and is never overridden.

constexpr int kFirstComNumber = 1;
constexpr int kLastComNumber = 255;

// The number a device path asks for, 1 to 255, before collisions are settled.
int PreferredComNumber(const QString& devicePath);

// Numbers every listed device and adds the mapped ones that exist (exists(path) true). No two
// entries share a number; a device whose number is taken goes to the next free one above it
// (after 255 comes 1). Mapped numbers outside 1 to 255 are ignored. Sorted by number.
std::vector<PortListEntry> NumberPorts(const QStringList& devicePaths,
    const std::map<int, QString>& mappedPorts, bool (*exists)(const QString& path));
