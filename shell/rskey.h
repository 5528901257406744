#pragma once

// The compatibility number shared by the protocol key, the unit program version the PC accepts, the
// parameter file version and the monitor recording check. One number for all of them: a unit, a file
// and this program belong together when they carry the same one.
inline constexpr int kRsKey = 109;
