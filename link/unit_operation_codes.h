#pragma once

#include <cstdint>

// Requested unit operations: the commands leave one of these codes; the driver takes it up when it
// is idle.
namespace UnitRequest
{
inline constexpr int kNone = 0;
inline constexpr int kRead = 64;
inline constexpr int kVerify = 80;
inline constexpr int kProgramAll = 96;
inline constexpr int kProgramChanges = 98; // only the bytes marked changed; after an edit
inline constexpr int kReset = 128;
inline constexpr int kResetThenOffline = 129; // the bootloader tool wants the port after the reset
} // namespace UnitRequest

// Codes of the message from the maker's bootloader tool, which borrows the serial port. The
// message's first parameter is the COM port number.
namespace BootloaderCode
{
inline constexpr uint32_t kRelease = 0x7FFFFFA1; // for the connected port: go offline
inline constexpr uint32_t kResetAndRelease = 0x7FFFFFA2; // for the connected port: reset the unit, then go offline
inline constexpr uint32_t kTakeBack = 0x7FFFFFA4; // for the released port: go online again
} // namespace BootloaderCode

// On Windows the tool posts WM_APP + this offset to the main window.
inline constexpr unsigned kBootloaderMessageOffset = 0x309;
