#pragma once
// What both benchmark programs draw: a seeded 256 x 256 texture, rotated by 30
// degrees and scaled by 5 about the centre of a 1024 x 768 screen, so that the
// quad covers every screen pixel.

#include <cmath>
#include <cstdint>
#include <vector>

#include "../common/BenchRandom.h"

namespace RasterCases
{

const int SCREEN_W = 1024, SCREEN_H = 768;
const int TEX = 256;
const double ANGLE = 30.0 * 3.14159265358979 / 180.0;
const double SCALE = 5.0;

using BenchRandom::Next;

// alphaLow..alphaHigh per texel (255, 255 for an opaque texture).
inline std::vector<uint32_t> Texture(uint32_t seed, uint32_t alphaLow, uint32_t alphaHigh)
{
    std::vector<uint32_t> px((size_t)TEX * TEX);
    for (auto& p : px)
    {
        uint32_t a = alphaLow + (Next(seed) >> 8) % (alphaHigh - alphaLow + 1);
        p = (a << 24) | (Next(seed) >> 8);
    }
    return px;
}

// Screen position of texture point (tu, tv) in texels.
inline void Map(double tu, double tv, double& x, double& y)
{
    double dx = (tu - TEX / 2.0) * SCALE, dy = (tv - TEX / 2.0) * SCALE;
    x = SCREEN_W / 2.0 + dx * std::cos(ANGLE) - dy * std::sin(ANGLE);
    y = SCREEN_H / 2.0 + dx * std::sin(ANGLE) + dy * std::cos(ANGLE);
}

} // namespace RasterCases
