#pragma once

#include <QProgressBar>

// QProgressBar::setValue repaints at once whenever the change shows, and an immediate repaint paints
// every part of the window that is waiting to be painted. Called on the tick right after the monitor
// panel's labels changed, that was a full paint of the window inside the tick, several times the
// tick's own work. The new value is drawn with the window's next ordinary paint instead, which comes
// before the next tick.
inline void SetGaugeValue(QProgressBar& gauge, int value)
{
    if (gauge.value() == value)
        return;
    gauge.setUpdatesEnabled(false);
    gauge.setValue(value);
    // Enabling updates again schedules the gauge's paint.
    gauge.setUpdatesEnabled(true);
}
