#pragma once

#include "sim/unit_state.h"

#include <QByteArray>
#include <QString>

// The file in which the simulator keeps what a unit keeps when it is switched off: its parameter
// memory, its programming counter and its hour meter. A short text, so it can be read and compared:
//
//   VELMOR-SIM-MEMORY 1
//   PROGRAMMINGS 3
//   HOURMETER 754
//   0000 0A0F0F... (32 bytes per line, hexadecimal, every line of the 8000 bytes once)

enum class MemoryFileStatus { Loaded, Missing, Damaged };

// Files larger than this are not memory files.
constexpr qint64 kMaxMemoryFileSize = 64 * 1024;

QByteArray SerializeUnitMemory(const PersistentUnit& unit);
// Fills unit only when the whole text is sound; otherwise false with a reason ("line 7: …").
bool ParseUnitMemory(const QByteArray& text, PersistentUnit& unit, QString& error);

// A file that does not exist is Missing (a new unit); one that cannot be read or parsed is Damaged
// and leaves unit untouched.
MemoryFileStatus LoadUnitMemory(const QString& path, PersistentUnit& unit, QString& error);
// Replaces the file as one step, so an interrupted save leaves the previous contents.
bool SaveUnitMemory(const QString& path, const PersistentUnit& unit);
