#pragma once
// The source pictures both benchmark programs draw: the same seeded bytes, so
// the two sides do the same work.

#include <cstdint>
#include <vector>

#include "../common/BenchRandom.h"

namespace BenchCases
{

using BenchRandom::Next;

// Opaque noise.
inline std::vector<uint32_t> Opaque(int w, int h, uint32_t seed)
{
    std::vector<uint32_t> px((size_t)w * h);
    for (auto& p : px)
        p = 0xFF000000 | (Next(seed) >> 8);
    return px;
}

// A sprite: transparent border, a soft translucent ring, an opaque middle.
inline std::vector<uint32_t> Sprite(int w, int h, uint32_t seed)
{
    std::vector<uint32_t> px((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
        {
            const double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
            const double r = dx * dx + dy * dy;
            uint32_t a = r > 1.0 ? 0 : (r < 0.6 ? 255 : (uint32_t)((1.0 - r) / 0.4 * 254) + 1);
            px[(size_t)y * w + x] = (a << 24) | (Next(seed) >> 8);
        }
    return px;
}

} // namespace BenchCases
