#pragma once

#include <QString>

#include <vector>

// One serial port as the device link numbers it: COM number 1 to 255 and the path to open.
struct PortListEntry {
    int number = 0;
    QString devicePath;
};

// Tells which serial ports the system has. Asked on the main thread, about once a second.
class IPortListProvider
{
public:
    virtual ~IPortListProvider() = default;
    // Fills ports with the ports present now; false when the system could not be asked.
    virtual bool List(std::vector<PortListEntry>& ports) = 0;
};
