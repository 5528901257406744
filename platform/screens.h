#pragma once

#include <vector>

// A rectangle in screen pixels with exclusive right and bottom edges: width = right - left.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// The full bounds of every monitor, in the order the system lists them. Empty without a running
// QGuiApplication.
std::vector<PixelRect> MonitorBounds();
