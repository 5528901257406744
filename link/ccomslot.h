#pragma once

#include "link/ccomframe.h"

#include <string>

// States of a search slot.
constexpr int kSlotChoose = 0; // pick a port or the next row
constexpr int kSlotOpening = 1; // open requested, waiting for the port
constexpr int kSlotAskedOnce = 2; // identification request sent
constexpr int kSlotClosing = 3; // close requested, waiting for the port
constexpr int kSlotAskedTwice = 4; // request sent again after the row's time-out
constexpr int kSlotIdentified = 5; // a unit answered
constexpr int kSlotNoAnswer = 6; // the row got no answer
constexpr int kSlotPortFailed = 7; // the port is given up (no open, echo, unmatched unit)

// One search slot: a port tried with one row of the protocol table at a time, and what the unit on
// it said. The connected unit is a copy of the slot that found it, codec included, so it keeps the
// port, protocol, frame size and overhead, name, version and hardware code. The connected unit's
// codec is the transfer worker's; everything else in it stays as found and may be read on the main
// thread at any time.
struct CCOMSLOT {
    int port = 0; // COM port being tried, 0 none
    int row = 0; // current row of the protocol table
    int stateTime = 0; // TMR when the slot entered its state
    int state = kSlotChoose;
    int protocol = 0; // protocol code of the current row (the codec's, readable by any thread)
    int hardwareCode = -1; // from a WCOM identification, else -1
    int version = -1; // from the identification; -1 unknown
    std::string name; // display name of the unit, UTF-8
    int frameSize = 0; // F: the largest frame the unit takes
    int overhead = 0; // O: frame bytes that are not data (2 or 16)
    CCOMFRAME codec;

    // C = F - O: data bytes per frame.
    int BlockSize() const { return frameSize - overhead; }
};
