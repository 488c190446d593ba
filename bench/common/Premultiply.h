#pragma once
// pixman blends premultiplied colour; the native benchmark programs convert the
// straight-alpha test pictures with this before handing them over.

#include <cstdint>
#include <vector>

namespace BenchPixels
{

inline std::vector<uint32_t> Premultiply(std::vector<uint32_t> px)
{
    for (auto& p : px)
    {
        const uint32_t a = p >> 24;
        uint32_t out = a << 24;
        for (int s = 0; s < 24; s += 8)
            out |= (((p >> s) & 0xFF) * a / 255) << s;
        p = out;
    }
    return px;
}

} // namespace BenchPixels
