#pragma once

#include "link/frame_checks.h"
#include "link/frame_format.h"
#include "shell/version_texts.h"
#include "sim/information_block.h"

#include <cstdint>
#include <string>

// The simulator's clock: milliseconds, counted from any fixed start. Wide enough for runs of years.
using SimTime = std::int64_t;

// The virtual engine behind the unit's inputs and pickup.
struct EngineSettings {
    // -1: the engine idles, revs and stalls on its own; otherwise it is held at this speed (RPM) while
    // the ignition is on.
    int fixedRpm = -1;
    // Multifunction inputs: -1 grounded now and then on their own, 0 always open, 1 always grounded.
    int input1 = -1;
    int input2 = -1;
    // The unit is fed from the generator (AC) instead of a battery (DC).
    bool acSupply = false;
    // The pickup's real polarity, which the unit measures.
    bool pickupNegative = false;
    // Running time already on the hour meter.
    std::uint32_t hourMeterMinutes = 754;
};

// Faults of the line or the unit, each switchable while the unit runs.
struct UnitFaults {
    // Chance per byte sent to the PC that it arrives changed / does not arrive (0..1).
    double corruptRate = 0.0;
    double dropRate = 0.0;
    // The same for each byte the PC sends, before the unit hears it.
    double requestCorruptRate = 0.0;
    double requestDropRate = 0.0;
    // Every reply leaves this many milliseconds late.
    int replyDelayMs = 0;
    // The unit hears everything and answers nothing.
    bool silent = false;
    // No unit at all, but a loop-back plug: every byte the PC sends comes straight back.
    bool echo = false;
    // The unit reports an error in its programmed data (monitor byte 48).
    bool dataError = false;
    // Each request is lost on its way the first time it is sent; its repeat gets through.
    bool loseFirstAttempt = false;
    // After answering this many requests the cable is out: nothing more arrives or leaves. -1 never.
    int unplugAfterReplies = -1;
};

struct UnitConfig {
    int protocol = IGN50;
    // The speed the unit listens at; bytes sent at any other speed are noise to it. 0: any speed.
    int baudRate = 57600;
    // What the unit identifies with: the key of the IGN family, the version word of WCOM
    // identification, and monitor byte 49. 1..255.
    int key = kRsKey;
    // WCOM identification: the unit's name, the largest frame it takes (16 bytes of overhead plus
    // its data), and its hardware code.
    std::string wcomName = "Tarvo-X";
    int wcomFrameSize = kWcomDefaultFrameSize;
    int hardwareCode = 0x0321;
    // WCOM replies without data (to writes and commands) in the short form, as the unit's firmware
    // sends them; false sends the full form.
    bool wcomShortReplies = true;
    // A pause between two bytes of a request longer than this drops the partial request.
    int gapTimeoutMs = 50;
    // Seeds the virtual engine and the faults.
    std::uint64_t seed = 1;
    InformationSettings information;
    EngineSettings engine;
    UnitFaults faults;
};

// The speed a unit of this protocol listens at: 115200 for IGN300, 57600 for the others.
int DefaultBaudRate(int protocol);
// The protocol code of a name ("IGN50", "wcoms"…, any case), or 0.
int ProtocolFromName(const std::string& name);
