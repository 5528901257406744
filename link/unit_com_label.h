#pragma once

#include <QString>

#include <span>

// The COM label of the main window while no unit is connected: what the link is doing instead.
// `slotPorts` are the ports the search slots are trying (0 for an idle slot); `portSelection` is
// -1 ports off, 0 automatic, n only COM n.
QString ComLabelWithoutUnit(bool offline, int releasedPort, int portSelection, std::span<const int> slotPorts);

// "COM=7" for the port of the connected unit.
QString ComLabelConnected(int port);
