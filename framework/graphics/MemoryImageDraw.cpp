// MemoryImage drawing: fills, coverage spans, aliased and antialiased lines and
// the unscaled blits in normal and additive mode. The caller (Graphics) clips;
// positions that still fall outside the image are cut here so that a bad caller
// cannot write past the pixel array.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/BlendPixel.h"
#include "framework/graphics/BlendRows.h"
#include "framework/graphics/MemoryImage.h"

namespace Lumo
{

namespace
{

inline uint32_t Channel(int v)
{
    return (uint32_t)v & 0xFF;
}

inline uint32_t PackRGB(const Color& c)
{
    return (Channel(c.mRed) << 16) | (Channel(c.mGreen) << 8) | Channel(c.mBlue);
}

inline bool IsWhite(const Color& c)
{
    return c.mRed == 255 && c.mGreen == 255 && c.mBlue == 255 && c.mAlpha == 255;
}

// Cuts rect to (0, 0, w, h); false when nothing is left.
bool CutToImage(int& x, int& y, int& rw, int& rh, int w, int h)
{
    if (x < 0)
    {
        rw += x;
        x = 0;
    }
    if (y < 0)
    {
        rh += y;
        y = 0;
    }
    if (rw > w - x)
        rw = w - x;
    if (rh > h - y)
        rh = h - y;
    return rw > 0 && rh > 0;
}

// Rows of width w handed to one row call: several when they follow each other
// in both images (whole-width rows), so narrow images pay the per-row set-up
// of the block loops once per about eight thousand pixels. Much longer calls were
// measured slower on large images.
int RowsPerCall(int w, int dstWidth, int srcWidth)
{
    if (w != dstWidth || w != srcWidth || w <= 0)
        return 1;
    return std::max(1, 8192 / w);
}

// Walks a Bresenham line on doubles and calls plot(x, y) for every pixel. The
// walk never leaves the box of its end points.
template <typename Plot> void WalkLine(double x1, double y1, double x2, double y2, Plot plot)
{
    double dx = x2 - x1, dy = y2 - y1;
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    if (std::fabs(dx) <= std::fabs(dy))
    {
        if (dy < 0)
        {
            std::swap(x1, x2);
            std::swap(y1, y2);
            dx = -dx;
            dy = -dy;
        }
        int step = 1;
        if (dx < 0)
        {
            step = -1;
            dx = -dx;
        }
        const int i1 = (int)(2 * dx);
        const int i2 = (int)(2 * (dx - dy));
        int e = (int)((x1 - (int)x1) * i1 + (int)(2 * dx - dy));
        int x = (int)x1;
        plot(x, (int)y1);
        for (int y = (int)(y1 + 1); y <= y2; y++)
        {
            if (e < 1)
            {
                e += i1;
            }
            else
            {
                x += step;
                if (x < minX || x > maxX || y < minY || y > maxY)
                    return;
                e += i2;
            }
            plot(x, y);
        }
    }
    else
    {
        if (dx < 0)
        {
            std::swap(x1, x2);
            std::swap(y1, y2);
            dx = -dx;
            dy = -dy;
        }
        int step = 1;
        if (dy < 0)
        {
            step = -1;
            dy = -dy;
        }
        const int i1 = (int)(2 * dy);
        const int i2 = (int)(2 * (dy - dx));
        int e = (int)((y1 - (int)y1) * i1 + (int)(2 * dy - dx));
        int y = (int)y1;
        plot((int)x1, y);
        for (int x = (int)(x1 + 1); x <= x2; x++)
        {
            if (e < 1)
            {
                e += i1;
            }
            else
            {
                y += step;
                if (y < minY || y > maxY || x < minX || x > maxX)
                    return;
                e += i2;
            }
            plot(x, y);
        }
    }
}

} // namespace

// --- fills ---

void MemoryImage::FillRect(const Rect* rect, const Color* color, int mode)
{
    int x = rect->mX, y = rect->mY, rw = rect->mWidth, rh = rect->mHeight;
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return; // a surface that cannot be read back: nothing to draw on
    if (CutToImage(x, y, rw, rh, mWidth, mHeight))
    {
        if (color->mAlpha == 255)
        {
            const uint32_t packed = (uint32_t)color->ToInt();
            for (int j = 0; j < rh; j++)
                FillRow(pixels + (size_t)(y + j) * mWidth + x, rw, packed);
        }
        else
        {
            const uint32_t rgb = PackRGB(*color);
            const uint32_t a = Channel(color->mAlpha);
            const int step = RowsPerCall(rw, mWidth, rw);
            for (int j = 0; j < rh; j += step)
                BlendCoverageRow(pixels + (size_t)(y + j) * mWidth + x, rw * std::min(step, rh - j),
                                 rgb, a);
        }
    }
    PixelsChanged();
}

void MemoryImage::ClearRect(const Rect* rect)
{
    int x = rect->mX, y = rect->mY, rw = rect->mWidth, rh = rect->mHeight;
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return;
    if (CutToImage(x, y, rw, rh, mWidth, mHeight))
    {
        for (int j = 0; j < rh; j++)
            memset(pixels + (size_t)(y + j) * mWidth + x, 0, (size_t)rw * 4);
    }
    PixelsChanged();
}

void MemoryImage::FillScanLinesWithCoverage(Span* spans, int count, const Color* color, int mode,
                                            const unsigned char* coverage, int x, int y, int width,
                                            int height)
{
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return;
    const uint32_t rgb = PackRGB(*color);
    const uint32_t ca = Channel(color->mAlpha);
    for (int i = 0; i < count; i++)
    {
        const Span& s = spans[i];
        const int row = s.y - y;
        if (s.y < 0 || s.y >= mHeight || row < 0 || (height > 0 && row >= height))
            continue;
        for (int k = 0; k < s.width; k++)
        {
            const int px = s.x + k;
            const int col = px - x;
            if (px < 0 || px >= mWidth || col < 0 || col >= width)
                continue;
            const uint32_t a = (ca * ((uint32_t)coverage[(size_t)row * width + col] + 1)) >> 8;
            if (a > 0)
            {
                uint32_t& d = pixels[(size_t)s.y * mWidth + px];
                d = BlendCoverage(d, rgb, a);
            }
        }
    }
    PixelsChanged();
}

// --- lines ---

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color* color, int mode)
{
    if (y1 == y2)
    {
        const int x = (int)std::min(x1, x2);
        Rect r(x, (int)y1, (int)std::max(x1, x2) - x + 1, 1);
        FillRect(&r, color, mode);
        return;
    }
    if (x1 == x2)
    {
        const int y = (int)std::min(y1, y2);
        Rect r((int)x1, y, 1, (int)std::max(y1, y2) - y + 1);
        FillRect(&r, color, mode);
        return;
    }
    if (mode != 0 && mode != 1)
        return;
    const uint32_t a = Channel(color->mAlpha);
    // A line of alpha 0 changes nothing (its rule would still force alpha 255).
    if (a == 0)
        return;
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return;
    const int w = mWidth, h = mHeight;
    const uint32_t cr = Channel(color->mRed), cg = Channel(color->mGreen),
                   cb = Channel(color->mBlue);
    if (mode == 0 && a == 255)
    {
        const uint32_t value = 0xFF000000 | (((cr * 255 + 127) >> 8) << 16) |
                               (((cg * 255 + 127) >> 8) << 8) | ((cb * 255 + 127) >> 8);
        WalkLine(x1, y1, x2, y2,
                 [&](int x, int y)
                 {
                     if ((unsigned)x < (unsigned)w && (unsigned)y < (unsigned)h)
                         pixels[(size_t)y * w + x] = value;
                 });
    }
    else if (mode == 0)
    {
        auto pre = [a](uint32_t c) { return ((((c * a + 128) >> 8) * 255) + 127) >> 8; };
        const uint32_t pr = pre(cr), pg = pre(cg), pb = pre(cb);
        const uint32_t ia = 256 - a;
        WalkLine(x1, y1, x2, y2,
                 [&](int x, int y)
                 {
                     if ((unsigned)x >= (unsigned)w || (unsigned)y >= (unsigned)h)
                         return;
                     uint32_t& d = pixels[(size_t)y * w + x];
                     const uint32_t r = ((((d >> 16) & 0xFF) * ia + 127) >> 8) + pr;
                     const uint32_t g = ((((d >> 8) & 0xFF) * ia + 127) >> 8) + pg;
                     const uint32_t b = (((d & 0xFF) * ia + 127) >> 8) + pb;
                     d = 0xFF000000 + (r << 16) + (g << 8) + b;
                 });
    }
    else
    {
        const unsigned char* sat = GetSaturationTable();
        const uint32_t kr = (cr * a) / 255, kg = (cg * a) / 255, kb = (cb * a) / 255;
        WalkLine(x1, y1, x2, y2,
                 [&](int x, int y)
                 {
                     if ((unsigned)x >= (unsigned)w || (unsigned)y >= (unsigned)h)
                         return;
                     uint32_t& d = pixels[(size_t)y * w + x];
                     d = 0xFF000000 | (AddChannels(d, kr, kg, kb, sat) & 0x00FFFFFF);
                 });
    }
    PixelsChanged();
}

void MemoryImage::DrawLineAA(double x1, double y1, double x2, double y2, const Color* color,
                             int mode)
{
    if (y1 == y2 || x1 == x2)
    {
        DrawLine(x1, y1, x2, y2, color, mode);
        return;
    }
    if (mode != 0)
    {
        PixelsChanged();
        return;
    }
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return;
    const int w = mWidth, h = mHeight;
    const uint32_t rgb = PackRGB(*color);
    const uint32_t alphaPlus = Channel(color->mAlpha) + 1;

    int X1 = (int)x1, Y1 = (int)y1, X2 = (int)x2, Y2 = (int)y2;
    if (Y1 > Y2)
    {
        std::swap(X1, X2);
        std::swap(Y1, Y2);
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int ddx = X2 - X1, sx = 1;
    if (ddx < 0)
    {
        sx = -1;
        ddx = -ddx;
    }
    const int ddy = Y2 - Y1;
    const int boxLeft = std::min(X1, X2), boxRight = std::max(X1, X2);

    // Pixels outside the end points' box or the image are dropped, so the
    // neighbour pixel never wraps into the next row.
    auto plot = [&](int x, int y, uint32_t weight)
    {
        if (x < boxLeft || x > boxRight || y < Y1 || y > Y2)
            return;
        if ((unsigned)x >= (unsigned)w || (unsigned)y >= (unsigned)h)
            return;
        uint32_t& d = pixels[(size_t)y * w + x];
        d = BlendCoverage(d, rgb, (weight * alphaPlus) >> 8);
    };
    auto mainWeight = [](uint32_t f) { return 255 - ((f >> 8) & 255); };
    auto sideWeight = [](uint32_t f) { return (f >> 8) & 255; };

    uint32_t f = (uint32_t)(std::fabs(y1 - Y1) * std::fabs(x1 - X1) * 65536.0);
    plot(X1, Y1, mainWeight(f));
    int x = X1, y = Y1;
    if (ddx < ddy)
    {
        if (ddy - 1 > 0)
        {
            const uint32_t s = (uint32_t)(65536.0 * std::fabs(x2 - x1) / (y2 - y1));
            for (int i = 0; i < ddy - 1; i++)
            {
                f += s;
                if (f >= 65536)
                {
                    f &= 0xFFFF;
                    if (x != X2)
                        x += sx;
                }
                y++;
                plot(x, y, mainWeight(f));
                plot(x + sx, y, sideWeight(f));
            }
        }
    }
    else if (ddx - 1 > 0)
    {
        const uint32_t s = (uint32_t)(65536.0 * (y2 - y1) / std::fabs(x2 - x1));
        for (int i = 0; i < ddx - 1; i++)
        {
            f += s;
            if (f >= 65536)
            {
                f &= 0xFFFF;
                if (y != Y2)
                    y++;
            }
            x += sx;
            plot(x, y, mainWeight(f));
            if (y < h - 1)
                plot(x, y + 1, sideWeight(f));
        }
    }
    plot(X2, Y2, mainWeight(f));
    PixelsChanged();
}

// --- blits ---

void MemoryImage::DrawImage(Image* src, int x, int y, const Rect* srcRect, const Color* color,
                            int mode)
{
    if (!src)
        return;
    src->mUsed = true;
    MemoryImage* source = dynamic_cast<MemoryImage*>(src);
    if (!source || (mode != 0 && mode != 1))
        return;
    Rect r = srcRect ? *srcRect : Rect(0, 0, source->mWidth, source->mHeight);
    // A source rectangle reaching outside the source would read past its pixels.
    if (r.mWidth < 0 || r.mHeight < 0 || r.mX < 0 || r.mY < 0 || r.mX > source->mWidth - r.mWidth ||
        r.mY > source->mHeight - r.mHeight)
        return;
    // Cut the destination to this image, moving the source corner along.
    int dx = x, dy = y, w = r.mWidth, h = r.mHeight;
    if (!CutToImage(dx, dy, w, h, mWidth, mHeight))
    {
        PixelsChanged();
        return;
    }
    const int sx = r.mX + (dx - x), sy = r.mY + (dy - y);

    const bool white = IsWhite(*color);
    if (mode == 0)
    {
        const bool fast = !mHasTransparent && !mHasTranslucent && white;
        const unsigned char* runs = fast ? source->GetRunLengthAlphaData() : nullptr;
        const bool palette = source->mColorTable && source->mColorIndices;
        const uint32_t* table = source->mColorTable;
        const uint32_t* spix = palette ? nullptr : source->GetPixels();
        uint32_t* dpix = GetPixels();
        if ((!palette && !spix) || !dpix)
            return; // one side cannot be read back
        const int sw = source->mWidth;
        const uint32_t cr = Channel(color->mRed), cg = Channel(color->mGreen),
                       cb = Channel(color->mBlue), ca = Channel(color->mAlpha);
        const bool grey = cr == cg && cg == cb;
        // A source whose flags were found by a scan (not forced) and show no
        // transparent or translucent pixel is opaque throughout: its rows are
        // copied whole, one block when both sides are contiguous.
        if (fast && !palette && !source->mAlphaFlagsForced && !source->mAlphaFlagsStale &&
            !source->mHasTransparent && !source->mHasTranslucent)
        {
            if (sx == 0 && dx == 0 && w == sw && w == mWidth)
                CopyPixels(dpix + (size_t)dy * mWidth, spix + (size_t)sy * sw, w * h);
            else
                for (int j = 0; j < h; j++)
                    CopyPixels(dpix + (size_t)(dy + j) * mWidth + dx,
                               spix + (size_t)(sy + j) * sw + sx, w);
            PixelsChanged();
            return;
        }
        uint32_t rowBuf[256];
        for (int j = 0; j < h; j++)
        {
            uint32_t* d = dpix + (size_t)(dy + j) * mWidth + dx;
            const size_t srow = (size_t)(sy + j) * sw + sx;
            for (int i0 = 0; i0 < w; i0 += 256)
            {
                const int n = std::min(256, w - i0);
                const uint32_t* s;
                if (palette)
                {
                    const unsigned char* idx = source->mColorIndices + srow + i0;
                    for (int k = 0; k < n; k++)
                        rowBuf[k] = table[idx[k]];
                    s = rowBuf;
                }
                else
                {
                    s = spix + srow + i0;
                }
                if (fast)
                    BlitRunsOpaqueDest(d + i0, s, runs + srow + i0, n);
                else if (white)
                    BlendWhiteRow(d + i0, s, n);
                else if (grey)
                    for (int k = 0; k < n; k++)
                        d[i0 + k] = BlendGrey(d[i0 + k], s[k], cr, ca);
                else
                    for (int k = 0; k < n; k++)
                        d[i0 + k] = BlendTinted(d[i0 + k], s[k], cr, cg, cb, ca);
            }
        }
    }
    else
    {
        const bool translucent = source->mHasTranslucent;
        const bool palette = source->mColorTable && source->mColorIndices;
        const uint32_t* table = source->mColorTable;
        const uint32_t* spix = palette ? nullptr : source->GetPixels();
        uint32_t* dpix = GetPixels();
        if ((!palette && !spix) || !dpix)
            return; // one side cannot be read back
        const int sw = source->mWidth;
        const unsigned char* sat = GetSaturationTable();
        const uint32_t ca = Channel(color->mAlpha);
        const uint32_t kr = (Channel(color->mRed) * ca) / 255,
                       kg = (Channel(color->mGreen) * ca) / 255,
                       kb = (Channel(color->mBlue) * ca) / 255;
        if (!palette && white)
        {
            const int step = RowsPerCall(w, mWidth, sw);
            for (int j = 0; j < h; j += step)
                AddRow(dpix + (size_t)(dy + j) * mWidth + dx, spix + (size_t)(sy + j) * sw + sx,
                       w * std::min(step, h - j), translucent);
            PixelsChanged();
            return;
        }
        for (int j = 0; j < h; j++)
        {
            uint32_t* d = dpix + (size_t)(dy + j) * mWidth + dx;
            const size_t srow = (size_t)(sy + j) * sw + sx;
            for (int k = 0; k < w; k++)
            {
                const uint32_t s =
                    palette ? table[source->mColorIndices[srow + k]] : spix[srow + k];
                d[k] = BlendAdditive(d[k], s, white, translucent, kr, kg, kb, sat);
            }
        }
    }
    PixelsChanged();
}

} // namespace Lumo
