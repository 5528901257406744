#pragma once

#include <cstdint>

// The simulator's only source of chance: SplitMix64. It gives the same numbers on every platform and
// compiler for a given seed (the standard library's distributions do not promise that), so a seed
// replays a run exactly.
class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed = 1) : m_state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // lo..hi, both included; lo when hi is not above it.
    int Between(int lo, int hi)
    {
        if (hi <= lo)
            return lo;
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
        return static_cast<int>(lo + static_cast<std::int64_t>(Next() % span));
    }

    // True with the given chance (0 never, 1 always).
    bool Chance(double chance)
    {
        if (chance <= 0.0)
            return false;
        if (chance >= 1.0)
            return true;
        // 53 bits give every double in [0, 1) the same weight.
        return static_cast<double>(Next() >> 11) * 0x1.0p-53 < chance;
    }

private:
    std::uint64_t m_state;
};
