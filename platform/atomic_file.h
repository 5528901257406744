#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's contents as one step: the bytes go to a temporary file in the same folder, which
// is flushed to the disk and then renamed over the target. A crash, a full disk or a folder without
// write permission leaves the old file exactly as it was, never a torn or empty one.
// Returns false when the new contents could not be put in place; the temporary file is then removed.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);
