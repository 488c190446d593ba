#pragma once
// What the memory image needs of the display and the renderer: the screen
// format its native alpha data is built for, the conversions into and out of
// that format, and reading a texture back. Kept apart so the pixel rules can be
// tested without a display.

#include <cstdint>

#include "framework/graphics/MemoryImage.h"

namespace Lumo
{

// The display's screen format, or 8-8-8 at shifts 16, 8, 0 without a display.
NativeFormat NativeFormatOf(DDInterface* display);

// Premultiplied by (alpha + 1) / 256, cut to the display's bits; alpha on top.
inline uint32_t NativeAlphaValue(uint32_t c, const NativeFormat& f)
{
    const uint32_t k = (c >> 24) + 1;
    const uint32_t r =
        (((((c & 0x00FF0000u) * k) >> 8) >> (24 - f.redBits)) << f.redShift) & f.redMask;
    const uint32_t g =
        (((((c & 0x0000FF00u) * k) >> 8) >> (16 - f.greenBits)) << f.greenShift) & f.greenMask;
    const uint32_t b =
        (((((c & 0x000000FFu) * k) >> 8) >> (8 - f.blueBits)) << f.blueShift) & f.blueMask;
    return r | g | b | (c & 0xFF000000u);
}

// Undoes NativeAlphaValue as far as the lost bits allow.
inline uint32_t PixelFromNative(uint32_t n, const NativeFormat& f)
{
    const uint32_t a = n >> 24;
    auto channel = [&](uint32_t mask, int bits, int shift) -> uint32_t
    {
        const uint32_t c = (((n & mask) << 8) / (a + 1)) & mask;
        return ((c << 8) >> (shift + bits)) & 0xFF;
    };
    return (a << 24) | (channel(f.redMask, f.redBits, f.redShift) << 16) |
           (channel(f.greenMask, f.greenBits, f.greenShift) << 8) |
           channel(f.blueMask, f.blueBits, f.blueShift);
}

// Reads the image's texture back into `pixels`; false when the texture is out
// of date or cannot be read.
bool ReadBackTexture(MemoryImage* image, uint32_t* pixels);

// True when the image is the display's Direct3D screen; asked once by a
// drawing context built on it.
bool GraphicsDrawsThrough3D(Image* image);

} // namespace Lumo
