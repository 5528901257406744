#pragma once

#include "shell/rskey.h"

#include "params/parameter_block.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// The parameter file (".ign"): one complete setting as keyword text in Windows-1250 with CR LF line
// ends. The first number in the file is its format version; files of older program versions are read
// with conversions.

inline constexpr int kParameterFileVersion = kRsKey;

// Files of this size and above are refused unread.
inline constexpr qint64 kMaxParameterFileSize = 10485761;

// What the file records besides the block: the program and unit versions it was written with and the
// unit information, as the window shows them at the time of saving.
struct ParameterFileInfo {
    QString productKey = QStringLiteral("VELMOR");
    QString exeName = QStringLiteral("Velmor");
    QString unitProgramDate;
    QString unitProgramTime;
    QString unitProgramVersion;
    QString buildDate; // of this program, as "Apr 24 2025"
    QString buildTime; // as "15:34:55"
    std::array<QString, 5> unitInformation;
    int powerSource = -1; // 0 battery, 1 flywheel, -1 unknown (not written)
};

// The whole file for the block. The block is written as it is; callers normalise it first.
QByteArray WriteParameterFile(const ParameterBlock& block, const ParameterFileInfo& info);

enum class ParameterFileStatus {
    Current, // the current format; read
    Older, // a known older format; read with conversions
    NoHeader, // not a parameter file; block unchanged
    Unmatched, // an unknown format version; block unchanged
    CannotOpen, // block unchanged
    TooLarge, // at least kMaxParameterFileSize bytes; block unchanged
    ReadError, // the file could not be read whole; block unchanged
};

struct ParameterFileResult {
    ParameterFileStatus status = ParameterFileStatus::NoHeader;
    int version = 0; // format version found in the header; 0 unless the file was read

    bool Accepted() const { return version != 0; }
};

// Reads a parameter file's text into the block. The text ends at its end or at its first zero byte.
// The keyword BIKE resets every setting to the bike's defaults before the file's later values, so a
// complete file sets every byte it carries and leaves the others at their defaults. Values that do
// not fit a byte become 0; the block is not normalised here.
ParameterFileResult ReadParameterFile(QByteArrayView text, ParameterBlock& block);

// Reads the file at `path` whole (when it is smaller than kMaxParameterFileSize) and parses it.
ParameterFileResult LoadParameterFile(const QString& path, ParameterBlock& block);

// Writes the file atomically: the previous file stays intact when any step fails.
bool SaveParameterFile(const QString& path, const ParameterBlock& block, const ParameterFileInfo& info);

// The message box a result calls for; the window shows it from its message table.
enum class ParameterFileMessage {
    None,
    OlderVersion, // "Older version of *.ign file!…"
    UnmatchedVersion, // "Unmatched version of *.ign file!"
    OpenFileError, // "Open file error!"
};

ParameterFileMessage MessageFor(const ParameterFileResult& result);
