#pragma once

#include "params/parameter_layout.h"

#include <array>
#include <cstdint>

// The unit's settings: byte i is byte i of the unit's parameter memory (layout in parameter_layout.h).
// Plain data, copied and compared as a whole.
struct ParameterBlock {
    static constexpr int kSize = 100;

    std::array<std::uint8_t, kSize> bytes {};

    std::uint8_t& operator[](int index) { return bytes[static_cast<std::size_t>(index)]; }
    std::uint8_t operator[](int index) const { return bytes[static_cast<std::size_t>(index)]; }
    std::uint8_t* data() { return bytes.data(); }
    const std::uint8_t* data() const { return bytes.data(); }

    bool operator==(const ParameterBlock&) const = default;
};

// The copies kept beside the working block by its owner, all in the block's layout.
struct ParameterState {
    // What the connected unit is known to hold; valid once a Read or Program has been confirmed.
    ParameterBlock unitCopy;
    bool unitCopyValid = false;

    // The block as last saved to or opened from a parameter file.
    ParameterBlock savedCopy;

    // One mark per byte changed through the undo history since it was last reset; programming after
    // a change writes only the marked bytes and then clears them.
    std::array<bool, ParameterBlock::kSize> changed {};

    // Format version of the last parameter file read; 0 when it had no valid header.
    int fileVersion = 0;
};

// The values of a new setting. The bike code and bytes 95..99 stay; polarity and ignitions per
// revolution follow the bike (ApplyBikeDefaults), and so does the base advance.
void SetDefaults(ParameterBlock& block);

// B := A for every value that exists once per setting set.
void CopyAToB(ParameterBlock& block);
