#pragma once

#include "platform/screens.h"

#include <vector>

// The main window's stored placement, in pixels.
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowPlacement&) const = default;
};

// Moves and, where it is larger, shrinks the window onto the monitor it sticks out of least (the first
// of equal ones), so that a window saved on a monitor that is gone, or larger than the screen, comes
// back fully visible. A window that lies wholly on a monitor, or a list without monitors, leaves it
// unchanged. Stored values of any size are safe: the arithmetic does not overflow.
WindowPlacement FitWindowToMonitors(const WindowPlacement& window, const std::vector<PixelRect>& monitors);
