#pragma once

#include "params/parameter_block.h"
#include "shell/status_texts.h"

// What the congruence label says about the unit's settings against the working block. Byte 22 (the
// set the unit uses) never counts: the unit may switch sets itself while it runs.
Congruence UnitCongruence(const ParameterBlock& block, const ParameterState& state);
