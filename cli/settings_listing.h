#pragma once

#include "params/parameter_block.h"

#include <QString>

// The settings of a block in readable form: one line per setting with its value in its own unit,
// the curve points as "speed rpm: advance deg", then the raw 100 bytes in rows of ten.
QString ListSettings(const ParameterBlock& block);
