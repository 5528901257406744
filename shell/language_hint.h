#pragma once

#include <QString>

// A design hint may hold a short part for the tooltip and a long part for status panel 0, written
// "short|long". Returns the long part, or the whole hint when it has no "|".
QString LongHint(const QString& hint);
