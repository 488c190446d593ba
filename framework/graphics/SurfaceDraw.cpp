#include "framework/graphics/SurfaceDraw.h"

namespace Lumo
{

int MaskBitCount(uint32_t mask)
{
    int count = 0;
    for (; mask; mask &= mask - 1)
        ++count;
    return count;
}

int MaskShift(uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

static void BuildChannel(uint32_t mask, int& bits, int& shift, std::vector<uint32_t>& saturation,
                         uint32_t* color)
{
    bits = MaskBitCount(mask);
    shift = MaskShift(mask);
    uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    if (bits > 16)
        max = 0xFFFF;  // never a screen channel; keeps the table small
    saturation.assign(2 * max + 1, 0);
    for (uint32_t i = 0; i < saturation.size(); ++i)
        saturation[i] = i < max ? i : max;
    for (uint32_t v = 0; v < 256; ++v)
        color[v] = (uint32_t)(((uint64_t)v * mask) / 255) & mask;
}

void ScreenFormatTables::Build(uint32_t red, uint32_t green, uint32_t blue)
{
    redMask = red;
    greenMask = green;
    blueMask = blue;
    BuildChannel(red, redBits, redShift, redSaturation, redColor);
    BuildChannel(green, greenBits, greenShift, greenSaturation, greenColor);
    BuildChannel(blue, blueBits, blueShift, blueSaturation, blueColor);
    isRGB = MasksAreRGB(red, green, blue);
}

SurfaceFormat ScreenFormatTables::GetFormat() const
{
    SurfaceFormat f;
    f.redBits = redBits;
    f.greenBits = greenBits;
    f.blueBits = blueBits;
    f.redShift = redShift;
    f.greenShift = greenShift;
    f.blueShift = blueShift;
    f.redSaturation = redSaturation.empty() ? nullptr : redSaturation.data();
    f.greenSaturation = greenSaturation.empty() ? nullptr : greenSaturation.data();
    f.blueSaturation = blueSaturation.empty() ? nullptr : blueSaturation.data();
    f.isRGB = isRGB;
    return f;
}

}  // namespace Lumo
