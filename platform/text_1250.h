#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Conversion between Unicode text and the 8-bit Windows-1250 code page used by parameter files, the
// clipboard and every 8-bit text the unit or older program versions produce.
//
// The table is our own rather than the system codec's, so the result is the same on every machine:
// a character that the code page cannot hold becomes one '?', and the five byte values the code page
// leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) map to the control characters of the same number,
// so that decoding and encoding again gives back the original bytes.

QByteArray ToWindows1250(QStringView text);
QString FromWindows1250(QByteArrayView bytes);

// For program literals, which are UTF-8 in source.
QByteArray Utf8ToWindows1250(const char* utf8);
