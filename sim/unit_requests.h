#pragma once

#include "sim/unit_state.h"

#include <cstdint>
#include <vector>

// Request codes as the unit decodes them. IGN family: the command byte names the operation and,
// for block operations, the block b of N bytes at address b × N; a reply carries the request's code
// with bit 7 set.
namespace IgnRequest {
inline constexpr std::uint8_t kCommand = 0x00;
inline constexpr std::uint8_t kWriteFirst = 0x01; // 0x01 + b
inline constexpr std::uint8_t kWriteLast = 0x2F;
inline constexpr std::uint8_t kMonitorFirst = 0x30; // 0x30 + b; 0x30 with all data 0 identifies
inline constexpr std::uint8_t kMonitorLast = 0x3F;
inline constexpr std::uint8_t kInformation = 0x40;
inline constexpr std::uint8_t kReadFirst = 0x41; // 0x41 + b
inline constexpr std::uint8_t kReadLast = 0x7F;
// The reset command's code in the data of a command request (data bytes 12 and 13).
inline constexpr int kResetCodeAt = 12;
inline constexpr std::uint8_t kResetCode[2] = { 0xA5, 0x10 };
} // namespace IgnRequest

// WCOM family command words.
namespace WcomRequest {
inline constexpr std::uint16_t kReadInformation = 0x701F;
inline constexpr std::uint16_t kReadMemory = 0x7010;
inline constexpr std::uint16_t kWriteMemory = 0x7020;
inline constexpr std::uint16_t kMonitor = 0x7050;
inline constexpr std::uint16_t kReset = 0xF000;
inline constexpr std::uint16_t kResetAddress = 0x0640;
} // namespace WcomRequest

// The unit's answer to a valid frame of its protocol family; empty when it gives none. The frame is
// acted on as well (writes stored, tests started, reset begun).
std::vector<std::uint8_t> AnswerIgnRequest(UnitState& unit, const std::uint8_t* frame, SimTime now);
std::vector<std::uint8_t> AnswerWcomRequest(UnitState& unit, const std::uint8_t* frame, SimTime now);
