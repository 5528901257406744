#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// "default.ini": the last parameter block as 100 decimal numbers, ten lines of ten values written
// "%5u " each, and an empty line after them.
using StoredBlock = std::array<uint8_t, 100>;

QByteArray FormatBlockFile(const StoredBlock& block);
// Reads whole decimal numbers separated by white space, in order, into the leading bytes of `block`,
// each modulo 256, until the end of the text, a word that is not a number, or 100 values. Bytes past
// the last value read keep what they held. Returns how many bytes were set.
int ParseBlockFile(const QByteArray& text, StoredBlock& block);

// The same through a file. A missing or unreadable file sets nothing and returns 0.
int ReadBlockFile(const QString& path, StoredBlock& block);
// Replaces the file atomically; false when that failed (the old file then stays as it was).
bool WriteBlockFile(const QString& path, const StoredBlock& block);
