#pragma once
// The software routines that draw straight into a locked 16- or 32-bit surface
// in the screen's own pixel format: fills, lines, antialiased lines, image
// draws (normal, additive, mirrored), coverage spans, and the surface side of
// the rotated and stretched draws. They are pure functions over a pixel
// pointer, a pitch and a format record, so that their exact integer results can
// be checked on plain buffers; DDImage locks its surface and calls them.
// Positions arrive clipped by the drawing context; only the line and rotated
// routines keep to their own bounds.

#include <cstdint>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/Image.h"

namespace Lumo
{

// What a surface lock hands out: the first pixel, the row step and the format
// the surface itself reports.
struct SurfaceBits
{
    uint8_t* bits = nullptr; // first pixel of the first row
    int pitch = 0;           // bytes from one row to the next
    int width = 0;           // pixels
    int height = 0;          // rows
    int bitsPerPixel = 0;    // 16 or 32; anything else draws nothing
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

// The screen format of the display: per channel bit count and shift, the
// saturation tables (2 x max + 1 entries, entry i = min(i, max)) that additive
// drawing indexes with the sum of two channel values, and whether the masks run
// red, green, blue from the high bits down (which allows the packed forms).
struct SurfaceFormat
{
    int redBits = 8, greenBits = 8, blueBits = 8;
    int redShift = 16, greenShift = 8, blueShift = 0;
    const uint32_t* redSaturation = nullptr;
    const uint32_t* greenSaturation = nullptr;
    const uint32_t* blueSaturation = nullptr;
    bool isRGB = true;
};

// A screen format with tables of its own; the display keeps one, tests build
// them for any masks.
class ScreenFormatTables
{
public:
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    int redBits = 0, greenBits = 0, blueBits = 0;
    int redShift = 0, greenShift = 0, blueShift = 0;
    std::vector<uint32_t> redSaturation, greenSaturation, blueSaturation;
    uint32_t redColor[256] = {}, greenColor[256] = {}, blueColor[256] = {}; // v x mask / 255 & mask
    bool isRGB = false;

    // Derives bits, shifts and all tables from the three masks.
    void Build(uint32_t red, uint32_t green, uint32_t blue);
    SurfaceFormat GetFormat() const;
};

// Number of set bits of a mask, and the index of its lowest set bit (0 for 0).
int MaskBitCount(uint32_t mask);
int MaskShift(uint32_t mask);
// Blue below green below red: the channel order red, green, blue from high bits.
inline bool MasksAreRGB(uint32_t red, uint32_t green, uint32_t blue)
{
    return blue < green && green < red;
}

// The picture of a source image as the surface routines read it. Palette
// sources give colour table and indices; the native data then has 256 entries.
struct SurfaceSource
{
    int width = 0;
    int height = 0;
    const uint32_t* argb = nullptr;       // 0xAARRGGBB pixels (straight and rotated draws)
    const uint32_t* colorTable = nullptr; // palette form: 256 ARGB entries
    const uint8_t* indices = nullptr;     // palette form: one table index per pixel
    const uint32_t* native = nullptr;     // premultiplied screen values, alpha in the top byte
    const uint8_t* runAlpha = nullptr;    // run lengths of alpha classes (0, 255, between)
    const uint8_t* runAdditive = nullptr; // run lengths of black / not black
    bool hasTransparent = false;
    bool hasTranslucent = false;

    uint32_t Argb(int index) const { return colorTable ? colorTable[indices[index]] : argb[index]; }
    uint32_t Native(int index) const
    {
        return indices && colorTable ? native[indices[index]] : native[index];
    }
};

// --- fills
void SurfaceFillRectBits(const SurfaceBits& dst, const SurfaceFormat& fmt, const Rect& rect,
                         const Color& color);
void SurfaceFillRectAdditiveBits(const SurfaceBits& dst, const SurfaceFormat& fmt, const Rect& rect,
                                 const Color& color);
// Spans {y, x, width}; the coverage byte of pixel (px, y) is read at
// (y - coverageY) x coverageWidth - coverageX + px.
void SurfaceFillCoverageBits(const SurfaceBits& dst, const Span* spans, int count,
                             const Color& color, const unsigned char* coverage, int coverageX,
                             int coverageY, int coverageWidth);

// --- lines
void SurfaceDrawLineBits(const SurfaceBits& dst, const SurfaceFormat& fmt, double x1, double y1,
                         double x2, double y2, const Color& color, bool additive);
void SurfaceDrawLineAABits(const SurfaceBits& dst, double x1, double y1, double x2, double y2,
                           const Color& color);

// --- image draws; (x, y) receives the source rectangle's top-left corner
// Straight alpha from ARGB pixels, white colour only.
void SurfaceDrawStraightBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                             const SurfaceSource& src, int x, int y, const Rect& srcRect);
// Copies native values; transparent pixels are left when the source has any.
void SurfaceDrawOpaqueBits(const SurfaceBits& dst, const SurfaceSource& src, int x, int y,
                           const Rect& srcRect);
// Premultiplied blend by alpha runs, tinted by any colour; mirrored walks the
// destination from its right end.
void SurfaceDrawBlendBits(const SurfaceBits& dst, const SurfaceSource& src, int x, int y,
                          const Rect& srcRect, const Color& color, bool mirrored);
void SurfaceDrawAdditiveBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                             const SurfaceSource& src, int x, int y, const Rect& srcRect,
                             const Color& color, bool mirrored);

// --- transformed draws
// Bilinear rotated draw into `bounds` (already clipped, non-empty); mode 0
// blends, any other mode adds.
void SurfaceDrawRotatedBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                            const SurfaceSource& src, float x, float y, const Rect& srcRect,
                            const FRect& bounds, const Color& color, int mode, double angle,
                            float centerX, float centerY);
// Point-sampled stretch of the float source rectangle into the clipped
// destination; mode 1 adds, mode 0 blends.
void SurfaceDrawStretchedBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                              const SurfaceSource& src, const FRect& floatSrc,
                              const Rect& clippedDest, const Color& color, int mode, bool mirrored);

} // namespace Lumo
