#pragma once
// The seeded generator behind every benchmark picture, so the Windows programs
// and their native counterparts draw exactly the same bytes.

#include <cstdint>

namespace BenchRandom
{

// Steps the linear congruential state and returns the new state.
inline uint32_t Next(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

} // namespace BenchRandom
