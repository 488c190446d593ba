#include "framework/graphics/SurfaceDraw.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/graphics/RotatedRow.h"

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
    while (!(mask & 1u))
    {
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
        max = 0xFFFF; // never a screen channel; keeps the table small
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

} // namespace Lumo

// ---------------------------------------------------------------------------
// Pixel arithmetic. The forms below are part of the result: the 16-bit and
// 32-bit fills round differently, the packed 5-6-5 and 5-5-5 forms blend two
// fields at once with 5-bit factors, and the 32-bit packed form two channels.

namespace Lumo
{
namespace
{

constexpr uint32_t kMask565 = 0x7E0F81F;
constexpr uint32_t kMask555 = 0x3E07C1F;

enum PackedForm
{
    FORM_MASK, // per channel on (value AND mask)
    FORM_565,
    FORM_555,
    FORM_32 // channel pairs 0xFF00FF and 0xFF00
};

PackedForm FormOf(const SurfaceBits& d)
{
    if (d.bitsPerPixel == 32)
        return FORM_32;
    uint32_t all = d.redMask | d.greenMask | d.blueMask;
    if (d.greenMask == 0x7E0 && all == 0xFFFF)
        return FORM_565;
    if (d.greenMask == 0x3E0 && all == 0x7FFF)
        return FORM_555;
    return FORM_MASK;
}

inline uint32_t Spread(uint32_t p, PackedForm form)
{
    return form == FORM_565 ? (((p & 0x7E0) << 16) | (p & 0xF81F))
                            : (((p & 0x3E0) << 16) | (p & 0x7C1F));
}

inline uint32_t PackedMask(PackedForm form)
{
    return form == FORM_565 ? kMask565 : kMask555;
}

inline uint32_t Fold(uint32_t x)
{
    return ((x >> 16) | x) & 0xFFFF;
}

// (value AND m) x f, shifted and masked; 64-bit so that masks in the top
// byte do not wrap.
inline uint32_t Scale(uint32_t value, uint32_t m, uint32_t f, int shift)
{
    return (uint32_t)((((uint64_t)(value & m)) * f) >> shift) & m;
}

inline uint8_t* Row(const SurfaceBits& d, int y)
{
    return d.bits + (intptr_t)y * d.pitch;
}

inline uint32_t GetPixel(const SurfaceBits& d, int x, int y)
{
    uint8_t* row = Row(d, y);
    return d.bitsPerPixel == 16 ? ((uint16_t*)row)[x] : ((uint32_t*)row)[x];
}

inline void PutPixel(const SurfaceBits& d, int x, int y, uint32_t v)
{
    uint8_t* row = Row(d, y);
    if (d.bitsPerPixel == 16)
        ((uint16_t*)row)[x] = (uint16_t)v;
    else
        ((uint32_t*)row)[x] = v;
}

inline bool DepthOk(const SurfaceBits& d)
{
    return d.bits && (d.bitsPerPixel == 16 || d.bitsPerPixel == 32);
}

struct Channels
{
    uint32_t m[3];
    int ch[3];
};

Channels ChannelsOf(const SurfaceBits& d, const Color& c)
{
    return Channels{{d.redMask, d.greenMask, d.blueMask}, {c.mRed, c.mGreen, c.mBlue}};
}

struct FormatChannel
{
    uint32_t mask;
    int bits;
    int shift;
    const uint32_t* saturation;
};

void FormatChannels(const SurfaceBits& d, const SurfaceFormat& f, FormatChannel out[3])
{
    out[0] = {d.redMask, f.redBits, f.redShift, f.redSaturation};
    out[1] = {d.greenMask, f.greenBits, f.greenShift, f.greenSaturation};
    out[2] = {d.blueMask, f.blueBits, f.blueShift, f.blueSaturation};
}

inline uint32_t Saturate(const FormatChannel& c, uint32_t index)
{
    if (!c.saturation)
    {
        uint32_t max = c.bits >= 32 ? 0xFFFFFFFFu : (1u << c.bits) - 1;
        return index < max ? index : max;
    }
    uint32_t max = (1u << c.bits) - 1;
    return c.saturation[index < 2 * max ? index : 2 * max];
}

// 8-bit value (0..255) reduced to the channel's bit count.
inline uint32_t ToBits(uint32_t v8, int bits)
{
    return bits >= 8 ? v8 : v8 >> (8 - bits);
}

} // namespace

// --- fills -------------------------------------------------------------------

void SurfaceFillRectBits(const SurfaceBits& dst, const SurfaceFormat&, const Rect& rect,
                         const Color& color)
{
    if (!DepthOk(dst) || rect.mWidth <= 0 || rect.mHeight <= 0)
        return;
    Channels c = ChannelsOf(dst, color);
    uint32_t a = (uint32_t)color.mAlpha;
    bool is16 = dst.bitsPerPixel == 16;
    if (a >= 255)
    {
        uint32_t value = 0;
        for (int i = 0; i < 3; ++i)
        {
            uint64_t ch = (uint64_t)c.ch[i] + (is16 ? 1 : 0);
            value |= (uint32_t)((ch * c.m[i]) >> 8) & c.m[i];
        }
        for (int y = rect.mY; y < rect.mY + rect.mHeight; ++y)
            for (int x = rect.mX; x < rect.mX + rect.mWidth; ++x)
                PutPixel(dst, x, y, value);
        return;
    }
    uint32_t round = is16 ? 128 : 127;
    uint32_t p = 0;
    for (int i = 0; i < 3; ++i)
    {
        uint64_t pre = (((uint32_t)c.ch[i] * a + round) >> 8) + 1;
        p += (uint32_t)((pre * c.m[i]) >> 8) & c.m[i];
    }
    uint32_t inv = 256 - a;
    for (int y = rect.mY; y < rect.mY + rect.mHeight; ++y)
    {
        for (int x = rect.mX; x < rect.mX + rect.mWidth; ++x)
        {
            uint32_t d = GetPixel(dst, x, y);
            uint32_t out = p;
            for (int i = 0; i < 3; ++i)
            {
                uint64_t t = (uint64_t)(d & c.m[i]) * inv + (is16 ? c.m[i] : 0);
                out += (uint32_t)(t >> 8) & c.m[i];
            }
            PutPixel(dst, x, y, out);
        }
    }
}

void SurfaceFillRectAdditiveBits(const SurfaceBits& dst, const SurfaceFormat& fmt, const Rect& rect,
                                 const Color& color)
{
    if (!DepthOk(dst) || rect.mWidth <= 0 || rect.mHeight <= 0)
        return;
    FormatChannel fc[3];
    FormatChannels(dst, fmt, fc);
    int ch[3] = {color.mRed, color.mGreen, color.mBlue};
    uint32_t k[3];
    for (int i = 0; i < 3; ++i)
        k[i] = ToBits((uint32_t)(ch[i] * color.mAlpha) / 255, fc[i].bits);
    for (int y = rect.mY; y < rect.mY + rect.mHeight; ++y)
    {
        for (int x = rect.mX; x < rect.mX + rect.mWidth; ++x)
        {
            uint32_t d = GetPixel(dst, x, y);
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i)
                out |= Saturate(fc[i], ((d & fc[i].mask) >> fc[i].shift) + k[i]) << fc[i].shift;
            PutPixel(dst, x, y, out);
        }
    }
}

void SurfaceFillCoverageBits(const SurfaceBits& dst, const Span* spans, int count,
                             const Color& color, const unsigned char* coverage, int coverageX,
                             int coverageY, int coverageWidth)
{
    if (!DepthOk(dst) || !spans || !coverage)
        return;
    Channels c = ChannelsOf(dst, color);
    uint32_t value = 0;
    for (int i = 0; i < 3; ++i)
        value |= (uint32_t)(((uint64_t)c.ch[i] * c.m[i]) >> 8) & c.m[i];
    for (int s = 0; s < count; ++s)
    {
        const Span& span = spans[s];
        const unsigned char* cov =
            coverage + (intptr_t)(span.y - coverageY) * coverageWidth - coverageX;
        for (int x = span.x; x < span.x + span.width; ++x)
        {
            uint32_t a = ((uint32_t)(cov[x] + 1) * (uint32_t)color.mAlpha) >> 8;
            uint32_t d = GetPixel(dst, x, span.y);
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i)
            {
                uint64_t t = (uint64_t)(d & c.m[i]) * (256 - a) + (uint64_t)(value & c.m[i]) * a;
                out += (uint32_t)(t >> 8) & c.m[i];
            }
            PutPixel(dst, x, span.y, out);
        }
    }
}

// --- lines -------------------------------------------------------------------

namespace
{

struct LinePen
{
    const SurfaceBits* dst;
    FormatChannel fc[3];
    uint32_t m[3];
    bool additive;
    bool opaque;
    uint32_t value; // opaque pixel
    uint32_t p;     // premultiplied colour (alpha below 255)
    uint32_t inv;   // 256 - alpha
    uint32_t k[3];  // additive amounts in channel bits

    void Plot(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= dst->width || y >= dst->height)
            return;
        if (additive)
        {
            uint32_t d = GetPixel(*dst, x, y);
            uint32_t out = 0;
            for (int i = 0; i < 3; ++i)
                out |= Saturate(fc[i], ((d & fc[i].mask) >> fc[i].shift) + k[i]) << fc[i].shift;
            PutPixel(*dst, x, y, out);
        }
        else if (opaque)
        {
            PutPixel(*dst, x, y, value);
        }
        else
        {
            uint32_t d = GetPixel(*dst, x, y);
            uint32_t out = p;
            for (int i = 0; i < 3; ++i)
            {
                uint64_t t = (uint64_t)(d & m[i]) * inv + (m[i] >> 1);
                out += (uint32_t)(t >> 8) & m[i];
            }
            PutPixel(*dst, x, y, out);
        }
    }
};

} // namespace

void SurfaceDrawLineBits(const SurfaceBits& dst, const SurfaceFormat& fmt, double x1, double y1,
                         double x2, double y2, const Color& color, bool additive)
{
    if (!DepthOk(dst))
        return;
    LinePen pen;
    pen.dst = &dst;
    FormatChannels(dst, fmt, pen.fc);
    pen.additive = additive;
    int ch[3] = {color.mRed, color.mGreen, color.mBlue};
    uint32_t a = (uint32_t)color.mAlpha;
    pen.opaque = a >= 255;
    pen.inv = 256 - a;
    pen.value = 0;
    pen.p = 0;
    for (int i = 0; i < 3; ++i)
    {
        uint32_t m = pen.fc[i].mask;
        pen.m[i] = m;
        pen.value |= (uint32_t)(((uint64_t)ch[i] * m + (m >> 1)) >> 8) & m;
        uint64_t pre = ((uint32_t)ch[i] * a + 128) >> 8;
        pen.p += (uint32_t)((pre * m + (m >> 1)) >> 8) & m;
        pen.k[i] = ToBits((uint32_t)(ch[i] * (int)a) / 255, pen.fc[i].bits);
    }

    double minX = x1 < x2 ? x1 : x2, maxX = x1 < x2 ? x2 : x1;
    double minY = y1 < y2 ? y1 : y2, maxY = y1 < y2 ? y2 : y1;
    double dx = x2 - x1, dy = y2 - y1;
    bool yMajor = std::fabs(dx) <= std::fabs(dy);
    // Order the points so that the major coordinate grows.
    if ((yMajor && dy < 0) || (!yMajor && dx < 0))
    {
        std::swap(x1, x2);
        std::swap(y1, y2);
        dx = -dx;
        dy = -dy;
    }
    if (yMajor)
    {
        int step = dx < 0 ? -1 : 1;
        double adx = std::fabs(dx);
        int x = (int)x1;
        int y = (int)y1;
        pen.Plot(x, y);
        int inc1 = (int)(2 * adx);
        int inc2 = (int)(2 * (adx - dy));
        int e = (int)((x1 - (int)x1) * inc1 + (int)(2 * adx - dy));
        for (y = (int)y1 + 1; y <= y2; ++y)
        {
            if (e >= 1)
            {
                x += step;
                e += inc2;
                if (x < minX || x > maxX || y < minY || y > maxY)
                    return;
            }
            else
            {
                e += inc1;
            }
            pen.Plot(x, y);
        }
    }
    else
    {
        int step = dy < 0 ? -1 : 1;
        double ady = std::fabs(dy);
        int x = (int)x1;
        int y = (int)y1;
        pen.Plot(x, y);
        int inc1 = (int)(2 * ady);
        int inc2 = (int)(2 * (ady - dx));
        int e = (int)((y1 - (int)y1) * inc1 + (int)(2 * ady - dx));
        for (x = (int)x1 + 1; x <= x2; ++x)
        {
            if (e >= 1)
            {
                y += step;
                e += inc2;
                if (x < minX || x > maxX || y < minY || y > maxY)
                    return;
            }
            else
            {
                e += inc1;
            }
            pen.Plot(x, y);
        }
    }
}

namespace
{

// Writes colour value c over d with weight w (0..255).
inline uint32_t WeightedOver(uint32_t d, uint32_t c, uint32_t w, PackedForm form,
                             const SurfaceBits& dst)
{
    switch (form)
    {
    case FORM_32:
    {
        uint32_t rb = (((d & 0xFF00FF) * (256 - w) + (c & 0xFF00FF) * w) >> 8) & 0xFF00FF;
        uint32_t g = (((d & 0xFF00) * (256 - w) + (c & 0xFF00) * w) >> 8) & 0xFF00;
        return rb | g;
    }
    case FORM_565:
    case FORM_555:
    {
        uint32_t mask = PackedMask(form);
        uint32_t s = ((Spread(c, form) * (w >> 3)) >> 5) & mask;
        uint32_t t = ((Spread(d, form) * ((256 - w) >> 3)) >> 5) & mask;
        return Fold(s + t);
    }
    default:
    {
        uint32_t m[3] = {dst.redMask, dst.greenMask, dst.blueMask};
        uint32_t out = 0;
        for (int i = 0; i < 3; ++i)
        {
            uint64_t t = (uint64_t)(d & m[i]) * (256 - w) + (uint64_t)(c & m[i]) * w;
            out += (uint32_t)(t >> 8) & m[i];
        }
        return out;
    }
    }
}

} // namespace

void SurfaceDrawLineAABits(const SurfaceBits& dst, double x1, double y1, double x2, double y2,
                           const Color& color)
{
    if (!DepthOk(dst))
        return;
    PackedForm form = FormOf(dst);
    Channels cc = ChannelsOf(dst, color);
    uint32_t c = 0;
    for (int i = 0; i < 3; ++i)
        c |= (uint32_t)(((uint64_t)cc.ch[i] * cc.m[i]) >> 8) & cc.m[i];
    uint32_t alpha = (uint32_t)color.mAlpha;
    int bytes = dst.bitsPerPixel / 8;
    int rowLength = dst.pitch / bytes;

    auto plot = [&](int x, int y, uint32_t w)
    {
        if (x < 0 || y < 0 || x >= dst.width || y >= dst.height)
            return;
        if (alpha < 255)
            w = (w * (alpha + 1)) >> 8;
        PutPixel(dst, x, y, WeightedOver(GetPixel(dst, x, y), c, w, form, dst));
    };

    int X1 = (int)x1, Y1 = (int)y1, X2 = (int)x2, Y2 = (int)y2;
    if (Y1 > Y2)
    {
        std::swap(X1, X2);
        std::swap(Y1, Y2);
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int step = X2 >= X1 ? 1 : -1;
    int dX = X2 >= X1 ? X2 - X1 : X1 - X2;
    int dY = Y2 - Y1;
    uint32_t error = (uint32_t)std::lround(std::fabs(x1 - X1) * std::fabs(y1 - Y1) * 65536.0);
    plot(X1, Y1, 255 - ((error >> 8) & 255));
    int x = X1, y = Y1;
    if (dX < dY)
    {
        uint32_t slope = (uint32_t)std::lround(std::fabs(x2 - x1) / (y2 - y1) * 65536.0);
        for (int i = 0; i < dY - 1; ++i)
        {
            error += slope;
            if (error > 0xFFFF)
            {
                error &= 0xFFFF;
                x += step;
            }
            ++y;
            uint32_t w = (error >> 8) & 255;
            plot(x, y, 255 - w);
            int nx = x + step;
            if (nx >= 0 && nx < rowLength - 1)
                plot(nx, y, w);
        }
    }
    else if (dX > 0)
    {
        uint32_t slope = (uint32_t)std::lround((y2 - y1) / std::fabs(x2 - x1) * 65536.0);
        for (int i = 0; i < dX - 1; ++i)
        {
            error += slope;
            if (error > 0xFFFF)
            {
                error &= 0xFFFF;
                ++y;
            }
            x += step;
            uint32_t w = (error >> 8) & 255;
            plot(x, y, 255 - w);
            if (y < dst.height - 1)
                plot(x, y + 1, w);
        }
    }
    plot(X2, Y2, 255 - ((error >> 8) & 255));
}

// --- image draws -----------------------------------------------------------

void SurfaceDrawStraightBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                             const SurfaceSource& src, int x, int y, const Rect& srcRect)
{
    if (!DepthOk(dst) || (!src.argb && !src.colorTable))
        return;
    PackedForm form = FormOf(dst);
    bool packed = fmt.isRGB && form != FORM_MASK;
    uint32_t m[3] = {dst.redMask, dst.greenMask, dst.blueMask};
    bool is16 = dst.bitsPerPixel == 16;
    for (int row = 0; row < srcRect.mHeight; ++row)
    {
        int srcIndex = (srcRect.mY + row) * src.width + srcRect.mX;
        for (int col = 0; col < srcRect.mWidth; ++col)
        {
            uint32_t s = src.Argb(srcIndex + col);
            uint32_t a = s >> 24;
            uint32_t d = GetPixel(dst, x + col, y + row);
            uint32_t out;
            if (packed && form == FORM_32)
            {
                uint32_t rb = ((((s & 0xFF00FF) - (d & 0xFF00FF)) * a) >> 8) + (d & 0xFF00FF);
                uint32_t g = ((((s & 0xFF00) - (d & 0xFF00)) * a) >> 8) + (d & 0xFF00);
                out = (rb & 0xFF00FF) | (g & 0xFF00);
            }
            else if (packed)
            {
                uint32_t r = (s >> 16) & 255, g = (s >> 8) & 255, b = s & 255;
                uint32_t ss = form == FORM_565 ? (((g >> 2) << 21) | ((r >> 3) << 11) | (b >> 3))
                                               : (((g >> 3) << 21) | ((r >> 3) << 10) | (b >> 3));
                uint32_t sd = Spread(d, form);
                out = Fold(((((ss - sd) * (a >> 3)) >> 5) + sd) & PackedMask(form));
            }
            else
            {
                int ch[3] = {(int)((s >> 16) & 255), (int)((s >> 8) & 255), (int)(s & 255)};
                out = 0;
                for (int i = 0; i < 3; ++i)
                {
                    uint64_t dd = (uint64_t)(d & m[i]) * (256 - a);
                    uint64_t ss = is16 ? (((uint64_t)ch[i] * a * m[i]) >> 8)
                                       : (((uint64_t)ch[i] * a) >> 8) * m[i];
                    out += (uint32_t)((dd + ss + (m[i] >> 1)) >> 8) & m[i];
                }
            }
            PutPixel(dst, x + col, y + row, out);
        }
    }
}

void SurfaceDrawOpaqueBits(const SurfaceBits& dst, const SurfaceSource& src, int x, int y,
                           const Rect& srcRect)
{
    if (!DepthOk(dst) || !src.native)
        return;
    for (int row = 0; row < srcRect.mHeight; ++row)
    {
        int srcIndex = (srcRect.mY + row) * src.width + srcRect.mX;
        for (int col = 0; col < srcRect.mWidth; ++col)
        {
            uint32_t s = src.Native(srcIndex + col);
            if (src.hasTransparent && (s >> 24) == 0)
                continue;
            PutPixel(dst, x + col, y + row, dst.bitsPerPixel == 16 ? (s & 0xFFFF) : s);
        }
    }
}

namespace
{

// Walks a source row run by run; `visit` gets (first column, run length,
// first native value) for every run.
template <typename Visit>
void WalkRuns(const SurfaceSource& src, const uint8_t* runs, int srcIndex, int width, Visit visit)
{
    int col = 0;
    while (col < width)
    {
        int run = runs[srcIndex + col];
        if (run < 1)
            run = 1; // a zero byte never stalls the walk
        if (run > width - col)
            run = width - col;
        visit(col, run, src.Native(srcIndex + col));
        col += run;
    }
}

} // namespace

void SurfaceDrawBlendBits(const SurfaceBits& dst, const SurfaceSource& src, int x, int y,
                          const Rect& srcRect, const Color& color, bool mirrored)
{
    if (!DepthOk(dst) || !src.native || !src.runAlpha)
        return;
    PackedForm form = FormOf(dst);
    uint32_t m[3] = {dst.redMask, dst.greenMask, dst.blueMask};
    bool is16 = dst.bitsPerPixel == 16;
    bool white = color == gColorWhite;
    uint32_t ca = (uint32_t)color.mAlpha;
    uint32_t tint[3] = {(uint32_t)(color.mRed * color.mAlpha) / 255,
                        (uint32_t)(color.mGreen * color.mAlpha) / 255,
                        (uint32_t)(color.mBlue * color.mAlpha) / 255};
    bool grey = tint[0] == tint[1] && tint[1] == tint[2];
    uint32_t cr = tint[0];
    for (int row = 0; row < srcRect.mHeight; ++row)
    {
        int srcIndex = (srcRect.mY + row) * src.width + srcRect.mX;
        int dy = y + row;
        auto destX = [&](int col) { return mirrored ? x + srcRect.mWidth - 1 - col : x + col; };
        WalkRuns(
            src, src.runAlpha, srcIndex, srcRect.mWidth,
            [&](int col, int run, uint32_t first)
            {
                uint32_t firstAlpha = first >> 24;
                if (firstAlpha == 0)
                    return;
                for (int i = col; i < col + run; ++i)
                {
                    uint32_t s = src.Native(srcIndex + i);
                    if (is16)
                        s &= 0xFFFF;
                    uint32_t a = src.Native(srcIndex + i) >> 24;
                    int px = destX(i);
                    uint32_t out;
                    if (white)
                    {
                        if (firstAlpha == 255)
                        {
                            PutPixel(dst, px, dy, s);
                            continue;
                        }
                        uint32_t d = GetPixel(dst, px, dy);
                        uint32_t inv = 256 - a;
                        if (form == FORM_32)
                        {
                            out = ((((d & 0xFF00FF) * inv) >> 8) & 0xFF00FF) +
                                  ((((d & 0xFF00) * inv) >> 8) & 0xFF00) + s;
                        }
                        else if (form != FORM_MASK)
                        {
                            out =
                                Fold(((Spread(d, form) * (inv >> 3)) >> 5) & PackedMask(form)) + s;
                        }
                        else
                        {
                            out = s;
                            for (int c = 0; c < 3; ++c)
                                out += Scale(d, m[c], inv, 8);
                        }
                    }
                    else
                    {
                        bool full = firstAlpha == 255 && ca == 255;
                        uint32_t inv = 256 - (a * ca) / 255;
                        uint32_t d = full ? 0 : GetPixel(dst, px, dy);
                        if (grey && (form == FORM_565 || form == FORM_555))
                        {
                            uint32_t f = cr >> 3;
                            uint32_t mask = PackedMask(form);
                            if (full)
                                out = Fold(((Spread(s, form) * f) >> 5) & mask);
                            else
                                out = Fold(
                                    ((Spread(s, form) * f + Spread(d, form) * (inv >> 3)) >> 5) &
                                    mask);
                        }
                        else if (grey && form == FORM_32)
                        {
                            uint32_t rb, g;
                            if (full)
                            {
                                rb = (((s & 0xFF00FF) * cr) >> 8) & 0xFF00FF;
                                g = (((s & 0xFF00) * cr) >> 8) & 0xFF00;
                            }
                            else
                            {
                                rb = (((s & 0xFF00FF) * cr + (d & 0xFF00FF) * inv) >> 8) & 0xFF00FF;
                                g = (((s & 0xFF00) * cr + (d & 0xFF00) * inv) >> 8) & 0xFF00;
                            }
                            out = rb | g;
                        }
                        else
                        {
                            out = 0;
                            for (int c = 0; c < 3; ++c)
                            {
                                uint64_t t = (uint64_t)(s & m[c]) * tint[c];
                                if (!full)
                                    t += (uint64_t)(d & m[c]) * inv;
                                out += (uint32_t)(t >> 8) & m[c];
                            }
                        }
                    }
                    PutPixel(dst, px, dy, out);
                }
            });
    }
}

void SurfaceDrawAdditiveBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                             const SurfaceSource& src, int x, int y, const Rect& srcRect,
                             const Color& color, bool mirrored)
{
    if (!DepthOk(dst) || !src.native || !src.runAdditive)
        return;
    FormatChannel fc[3];
    FormatChannels(dst, fmt, fc);
    bool white = color == gColorWhite;
    uint32_t k[3] = {(uint32_t)(color.mRed * color.mAlpha) / 255,
                     (uint32_t)(color.mGreen * color.mAlpha) / 255,
                     (uint32_t)(color.mBlue * color.mAlpha) / 255};
    for (int row = 0; row < srcRect.mHeight; ++row)
    {
        int srcIndex = (srcRect.mY + row) * src.width + srcRect.mX;
        int dy = y + row;
        WalkRuns(src, src.runAdditive, srcIndex, srcRect.mWidth,
                 [&](int col, int run, uint32_t first)
                 {
                     if ((first & 0xFFFFFF) == 0)
                         return; // black adds nothing
                     for (int i = col; i < col + run; ++i)
                     {
                         uint32_t s = src.Native(srcIndex + i);
                         int px = mirrored ? x + srcRect.mWidth - 1 - i : x + i;
                         uint32_t d = GetPixel(dst, px, dy);
                         uint32_t out = 0;
                         for (int c = 0; c < 3; ++c)
                         {
                             uint32_t dv = (d & fc[c].mask) >> fc[c].shift;
                             uint32_t sv = (s & fc[c].mask) >> fc[c].shift;
                             uint32_t index = white ? sv + dv : ((sv * k[c]) >> 8) + dv;
                             out |= Saturate(fc[c], index) << fc[c].shift;
                         }
                         PutPixel(dst, px, dy, out);
                     }
                 });
    }
}

// --- transformed draws ------------------------------------------------------

void SurfaceDrawRotatedBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                            const SurfaceSource& src, float x, float y, const Rect& srcRect,
                            const FRect& bounds, const Color& color, int mode, double angle,
                            float centerX, float centerY)
{
    if (!DepthOk(dst) || (!src.argb && !src.colorTable))
        return;
    if (bounds.mWidth <= 0 || bounds.mHeight <= 0 || srcRect.mWidth < 2 || srcRect.mHeight < 2)
        return;
    PackedForm form = FormOf(dst);
    FormatChannel fc[3];
    FormatChannels(dst, fmt, fc);
    bool white = color == gColorWhite;
    uint32_t ca = (uint32_t)color.mAlpha;
    int ch[3] = {color.mRed, color.mGreen, color.mBlue};
    uint32_t k[3];
    for (int i = 0; i < 3; ++i)
        k[i] = (uint32_t)(ch[i] * color.mAlpha) / 255;
    const int bytePos[3] = {16, 8, 0};

    double c = std::cos(angle), s = std::sin(angle);
    int C = (int)(c * 65536.0), S = (int)(s * 65536.0);
    int X0 = (int)bounds.mX, Y0 = (int)bounds.mY;
    int lastStep = (int)(bounds.mWidth - 1);
    int RW = srcRect.mWidth, RH = srcRect.mHeight;

    for (int r = 0; r < bounds.mHeight; ++r)
    {
        int Y = Y0 + r;
        double dy = Y - centerY - y;
        double dx0 = X0 - centerX - x;
        int u = (int)((dx0 * c - s * dy + centerX) * 65536.0);
        int v = (int)((dy * c + dx0 * s + centerY) * 65536.0);
        int k0 = 0, k1 = lastStep;
        if (!NarrowRotatedRow(u, v, C, S, RW, RH, k0, k1))
            continue;
        u += k0 * C;
        v += k0 * S;
        for (int step = k0; step <= k1; ++step, u += C, v += S)
        {
            int tu = u >> 16, tv = v >> 16;
            // The narrowing keeps every 2x2 block inside; this guards rounding.
            if (tu < 0 || tv < 0 || tu >= RW - 1 || tv >= RH - 1)
                continue;
            int px = X0 + step;
            if (px < 0 || px >= dst.width || Y < 0 || Y >= dst.height)
                continue;
            int base = (srcRect.mY + tv) * src.width + srcRect.mX + tu;
            uint32_t p[4] = {src.Argb(base), src.Argb(base + 1), src.Argb(base + src.width),
                             src.Argb(base + src.width + 1)};
            uint32_t fu = (u & 0xFFFE) + 1, fv = (v & 0xFFFE) + 1;
            uint32_t area[4] = {((0x10000 - fu) * (0x10000 - fv)) >> 16,
                                (fu * (0x10000 - fv)) >> 16, ((0x10000 - fu) * fv) >> 16,
                                (fu * fv) >> 16};
            uint32_t w[4], W = 0;
            for (int t = 0; t < 4; ++t)
            {
                w[t] = (area[t] * (p[t] >> 24)) >> 16;
                if (!white)
                    w[t] = (w[t] * ca) >> 8;
                W += w[t];
            }
            if (W == 0)
                continue;
            uint64_t sum[3] = {0, 0, 0}; // channel x weight in the channel's byte position
            for (int t = 0; t < 4; ++t)
                for (int i = 0; i < 3; ++i)
                    sum[i] += (uint64_t)(p[t] & (0xFFu << bytePos[i])) * w[t];
            uint32_t d = GetPixel(dst, px, Y);
            uint32_t out = 0;
            if (mode != 0)
            {
                for (int i = 0; i < 3; ++i)
                {
                    uint32_t v8 = (uint32_t)(sum[i] >> (bytePos[i] + 8));
                    if (!white)
                        v8 = (v8 * k[i]) >> 8;
                    uint32_t dv = (d & fc[i].mask) >> fc[i].shift;
                    out |= Saturate(fc[i], dv + ToBits(v8, fc[i].bits)) << fc[i].shift;
                }
            }
            else
            {
                uint32_t T = W >= 256 ? 0 : 256 - W;
                if (white && fmt.isRGB && (form == FORM_565 || form == FORM_555))
                {
                    uint32_t R = (uint32_t)(sum[0] >> 16), G = (uint32_t)(sum[1] >> 8),
                             B = (uint32_t)sum[2];
                    uint32_t q = form == FORM_565
                                     ? (((G >> 10) << 21) | ((R >> 11) << 11) | (B >> 11))
                                     : (((G >> 11) << 21) | ((R >> 11) << 10) | (B >> 11));
                    uint32_t mask = PackedMask(form);
                    out = Fold((((Spread(d, form) * (T >> 3)) >> 5) & mask) + q);
                }
                else if (white && fmt.isRGB && form == FORM_32)
                {
                    uint32_t rb = (uint32_t)(sum[0] + sum[2]);
                    uint32_t g = (uint32_t)sum[1];
                    out = ((((rb & 0xFF00FF00) + (d & 0xFF00FF) * T) >> 8) & 0xFF00FF) |
                          ((((g & 0xFF0000) + (d & 0xFF00) * T) >> 8) & 0xFF00);
                }
                else
                {
                    for (int i = 0; i < 3; ++i)
                    {
                        uint64_t sc = sum[i];
                        if (!white)
                            sc = (sc * (uint32_t)(ch[i] + 1)) >> 8;
                        int down = bytePos[i] + 16 - fc[i].bits;
                        uint32_t field = (uint32_t)(down >= 0 ? sc >> down : sc << -down);
                        field = (field << fc[i].shift) & fc[i].mask;
                        out += field + Scale(d, fc[i].mask, T, 8);
                    }
                }
            }
            PutPixel(dst, px, Y, out);
        }
    }
}

void SurfaceDrawStretchedBits(const SurfaceBits& dst, const SurfaceFormat& fmt,
                              const SurfaceSource& src, const FRect& floatSrc,
                              const Rect& clippedDest, const Color& color, int mode, bool mirrored)
{
    if (!DepthOk(dst) || !src.native || (mode != 0 && mode != 1))
        return;
    if (clippedDest.mWidth <= 0 || clippedDest.mHeight <= 0 || src.width <= 0 || src.height <= 0)
        return;
    FormatChannel fc[3];
    FormatChannels(dst, fmt, fc);
    bool white = color == gColorWhite;
    uint32_t ca = (uint32_t)color.mAlpha;
    uint32_t tint[3] = {(uint32_t)(color.mRed * color.mAlpha) / 255,
                        (uint32_t)(color.mGreen * color.mAlpha) / 255,
                        (uint32_t)(color.mBlue * color.mAlpha) / 255};
    bool is16 = dst.bitsPerPixel == 16;
    int u0 = (int)(floatSrc.mX * 65536.0), v0 = (int)(floatSrc.mY * 65536.0);
    int du = (int)(floatSrc.mWidth / clippedDest.mWidth * 65536.0);
    int dv = (int)(floatSrc.mHeight / clippedDest.mHeight * 65536.0);
    for (int r = 0; r < clippedDest.mHeight; ++r)
    {
        int sy = (v0 + r * dv) >> 16;
        sy = std::min(std::max(sy, 0), src.height - 1);
        int py = clippedDest.mY + r;
        for (int col = 0; col < clippedDest.mWidth; ++col)
        {
            int sx = (u0 + col * du) >> 16;
            sx = std::min(std::max(sx, 0), src.width - 1);
            int px =
                mirrored ? clippedDest.mX + clippedDest.mWidth - 1 - col : clippedDest.mX + col;
            uint32_t s = src.Native(sy * src.width + sx);
            uint32_t a = s >> 24;
            if (is16)
                s &= 0xFFFF;
            uint32_t d = GetPixel(dst, px, py);
            uint32_t out = 0;
            if (mode == 1)
            {
                if ((s | (a << 24)) == 0)
                    continue;
                for (int i = 0; i < 3; ++i)
                {
                    uint32_t sv = (s & fc[i].mask) >> fc[i].shift;
                    uint32_t dv2 = (d & fc[i].mask) >> fc[i].shift;
                    uint32_t index = white ? sv + dv2 : ((sv * tint[i]) >> 8) + dv2;
                    out |= Saturate(fc[i], index) << fc[i].shift;
                }
            }
            else if (white)
            {
                if (a == 0)
                    continue;
                out = s;
                for (int i = 0; i < 3; ++i)
                    out += Scale(d, fc[i].mask, 256 - a, 8);
            }
            else
            {
                uint32_t a2 = (a * ca) / 255;
                if (a2 == 0)
                    continue;
                for (int i = 0; i < 3; ++i)
                {
                    uint64_t t = (uint64_t)(d & fc[i].mask) * (256 - a2) +
                                 (uint64_t)(s & fc[i].mask) * tint[i];
                    out += (uint32_t)(t >> 8) & fc[i].mask;
                }
            }
            PutPixel(dst, px, py, out);
        }
    }
}

} // namespace Lumo
