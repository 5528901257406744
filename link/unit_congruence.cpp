#include "link/unit_congruence.h"

#include "params/parameter_layout.h"

Congruence UnitCongruence(const ParameterBlock& block, const ParameterState& state)
{
    if (!state.unitCopyValid)
        return Congruence::Unknown;
    if (state.unitCopy[ParamIndex::kNoReading] != 0)
        return Congruence::NoReading;
    for (int i = 0; i < ParameterBlock::kSize; ++i)
        if (i != ParamIndex::kActiveSet && state.unitCopy[i] != block[i])
            return Congruence::Different;
    return Congruence::Identical;
}
