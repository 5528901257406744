#include "platform/screens.h"

#include <QGuiApplication>
#include <QScreen>

std::vector<PixelRect> MonitorBounds()
{
    std::vector<PixelRect> monitors;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return monitors;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect bounds = screen->geometry();
        // QRect::right() is inclusive; the monitor list uses exclusive edges.
        monitors.push_back(
            { bounds.x(), bounds.y(), bounds.x() + bounds.width(), bounds.y() + bounds.height() });
    }
    return monitors;
}
