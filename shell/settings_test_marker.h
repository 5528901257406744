#pragma once

#include <QString>

// Test mode is on when the marker file holds the word "DIAG_ACTIVE" among its blank-separated words.
// A missing or unreadable file means no test mode. Words are cut to 255 characters, and the rest of a
// longer word is dropped rather than read as a word of its own.
bool ReadTestMarker(const QString& markerPath);
