#include "shell/settings_window.h"

#include <algorithm>
#include <cstdint>

namespace
{

// Window edges in 64 bits: left + width of values read from a file may not fit an int.
struct Edges {
    int64_t left, top, right, bottom;
};

int64_t Overhang(const Edges& window, const PixelRect& monitor)
{
    return std::max<int64_t>(0, monitor.left - window.left)
        + std::max<int64_t>(0, window.right - monitor.right) + std::max<int64_t>(0, monitor.top - window.top)
        + std::max<int64_t>(0, window.bottom - monitor.bottom);
}

} // namespace

WindowPlacement FitWindowToMonitors(const WindowPlacement& window, const std::vector<PixelRect>& monitors)
{
    Edges rect { window.left, window.top, int64_t(window.left) + window.width,
        int64_t(window.top) + window.height };

    const PixelRect* best = nullptr;
    int64_t bestOverhang = INT64_MAX;
    for (const PixelRect& monitor : monitors) {
        const int64_t overhang = Overhang(rect, monitor);
        if (overhang < bestOverhang) {
            bestOverhang = overhang;
            best = &monitor;
        }
    }
    if (!best || bestOverhang == 0)
        return window;

    const PixelRect& m = *best;
    if (m.Width() < rect.right - rect.left) {
        rect.left = m.left;
        rect.right = m.right;
    }
    if (m.Height() < rect.bottom - rect.top) {
        rect.top = m.top;
        rect.bottom = m.bottom;
    }
    auto shift = [](int64_t& low, int64_t& high, int64_t by) {
        low += by;
        high += by;
    };
    if (rect.right > m.right)
        shift(rect.left, rect.right, m.right - rect.right);
    if (rect.bottom > m.bottom)
        shift(rect.top, rect.bottom, m.bottom - rect.bottom);
    if (rect.left < m.left)
        shift(rect.left, rect.right, m.left - rect.left);
    if (rect.top < m.top)
        shift(rect.top, rect.bottom, m.top - rect.top);
    rect.right = std::min<int64_t>(rect.right, m.right);
    rect.bottom = std::min<int64_t>(rect.bottom, m.bottom);

    // Every edge now lies within the monitor, so each value fits an int again.
    return { int(rect.left), int(rect.top), int(rect.right - rect.left), int(rect.bottom - rect.top) };
}
