#pragma once

#include "params/parameter_block.h"

#include <cstdint>
#include <span>

// Brings any block into the valid ranges of every setting. Never fails: out-of-range values are
// clamped or replaced, never rejected. The steps run in a fixed order because later steps rely on
// earlier ones (the unused curve points are filled before advances are clamped, the limiters are
// clamped before the start limiter is kept below the hard limiter, and A=B copies last).
// Normalising a normalised block changes nothing.
void NormalizeParameters(ParameterBlock& block);

// Makes a row strictly increasing by at least `step` between neighbours, within minimum..maximum.
// Every point k is first kept within minimum + step·k .. maximum − step·(n−1−k), so that raising a
// point to its predecessor + step can never run past the maximum.
void MakeStrictlyIncreasing(std::span<std::uint8_t> row, int minimum, int maximum, int step);
