#pragma once

// Exit codes of velmor-cli. Scripts rely on them: the values never change.
namespace CliExit
{
inline constexpr int kOk = 0;
// The operation failed for another reason: the unit was lost, a read failed, a file could not be written.
inline constexpr int kFailed = 1;
// Unknown command or option, a missing or extra argument, a value out of range.
inline constexpr int kUsage = 2;
// A settings file could not be opened or read, or its format version is unknown.
inline constexpr int kFileError = 3;
// No unit answered within the timeout.
inline constexpr int kNoUnit = 4;
// A unit answered but its program version does not belong to this program.
inline constexpr int kUnitMismatch = 5;
// Verify, or the read-back after programming, found the unit's settings different.
inline constexpr int kVerifyError = 6;
// The unit is locked against reading.
inline constexpr int kReadingRefused = 7;
} // namespace CliExit
