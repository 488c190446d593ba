// MemoryImage transformed drawing: float-position and rotated blits with
// bilinear sampling in 16.16, the fast and the filtered stretch, and the matrix
// and triangle draws that go through the software rasterizer.

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "framework/graphics/BlendPixel.h"
#include "framework/graphics/BlendRows.h"
#include "framework/graphics/MaskedMatrixDraw.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/RotatedRow.h"
#include "framework/graphics/ImageTriangles.h"

namespace Lumo
{

namespace
{

inline uint32_t Channel(int v)
{
    return (uint32_t)v & 0xFF;
}

inline bool IsWhite(const Color& c)
{
    return c.mRed == 255 && c.mGreen == 255 && c.mBlue == 255 && c.mAlpha == 255;
}

// The clip, cut to the destination image so no path can write outside it.
Rect ClipInImage(const Rect* clip, int w, int h)
{
    const Rect whole(0, 0, w, h);
    return clip ? clip->Intersection(whole) : whole;
}

bool SourceRectInside(const Rect& r, const MemoryImage* source)
{
    return r.mWidth >= 0 && r.mHeight >= 0 && r.mX >= 0 && r.mY >= 0 &&
           r.mX <= source->mWidth - r.mWidth && r.mY <= source->mHeight - r.mHeight;
}

// The source of a transformed draw, marked used, with its source rectangle
// (the whole image by default). Null when src is no memory image or the
// rectangle reaches outside it.
MemoryImage* DrawSource(Image* src, const Rect* srcRect, Rect& r)
{
    if (!src)
        return nullptr;
    src->mUsed = true;
    MemoryImage* source = dynamic_cast<MemoryImage*>(src);
    if (!source)
        return nullptr;
    r = srcRect ? *srcRect : Rect(0, 0, source->mWidth, source->mHeight);
    return SourceRectInside(r, source) ? source : nullptr;
}

// Source pixels readable by index, from the palette or the pixel array.
struct SourcePixels
{
    const uint32_t* pixels = nullptr;
    const uint32_t* table = nullptr;
    const unsigned char* indices = nullptr;
    int width = 0;

    explicit SourcePixels(MemoryImage* image) : width(image->mWidth)
    {
        if (image->mColorTable && image->mColorIndices)
        {
            table = image->mColorTable;
            indices = image->mColorIndices;
        }
        else
        {
            pixels = image->GetPixels();
        }
    }
    // False for a source that cannot give its picture (a surface image that
    // cannot be read back): the draw then leaves the destination alone.
    bool Readable() const { return pixels || table; }
    uint32_t At(int x, int y) const
    {
        const size_t i = (size_t)y * width + x;
        return table ? table[indices[i]] : pixels[i];
    }
};

bool HasPicture(MemoryImage* image)
{
    return (image->mColorTable && image->mColorIndices) || image->GetPixels();
}

int TrianglePixelFormatOf(const MemoryImage* image)
{
    return (image->mAlphaFlagsForced && !image->mHasTransparent && !image->mHasTranslucent)
               ? TrianglePixelFormat888
               : TrianglePixelFormat8888;
}

} // namespace

// --- clipping helpers ---

bool GetRotatedBounds(float x, float y, const Rect& srcRect, const Rect& clip, double angle,
                      float centerX, float centerY, FRect& bounds)
{
    const float c = (float)std::cos(angle);
    const float s = (float)std::sin(angle);
    const float w = (float)srcRect.mWidth, h = (float)srcRect.mHeight;
    const float cornerX[4] = {0.0f, w, 0.0f, w};
    const float cornerY[4] = {0.0f, 0.0f, h, h};
    float minX = 1e7f, minY = 1e7f, maxX = -1e7f, maxY = -1e7f;
    for (int i = 0; i < 4; i++)
    {
        const float dx = cornerX[i] - centerX;
        const float dy = cornerY[i] - centerY;
        const float X = dx * c + dy * s + centerX + x;
        const float Y = dy * c - dx * s + centerY + y;
        minX = std::min(minX, X);
        maxX = std::max(maxX, X);
        minY = std::min(minY, Y);
        maxY = std::max(maxY, Y);
    }
    const FRect box(minX, minY, (double)maxX - minX, (double)maxY - minY);
    bounds = box.Intersection(FRect(clip.mX, clip.mY, clip.mWidth, clip.mHeight));
    return bounds.mWidth > 0 && bounds.mHeight > 0;
}

static bool StretchClip(const Rect& srcRect, const Rect& clip, const Rect& destRect,
                        FRect& floatSrc, Rect& clippedDest, bool mirrored)
{
    if (destRect.mWidth <= 0 || destRect.mHeight <= 0)
        return false;
    clippedDest = destRect.Intersection(clip);
    const double sx = (double)srcRect.mWidth / destRect.mWidth;
    const double sy = (double)srcRect.mHeight / destRect.mHeight;
    const Rect& d = destRect;
    const Rect& c = clippedDest;
    const double fx = mirrored ? srcRect.mX + (d.mX - c.mX - c.mWidth + d.mWidth) * sx
                               : srcRect.mX + (c.mX - d.mX) * sx;
    floatSrc =
        FRect(fx, srcRect.mY + (c.mY - d.mY) * sy, srcRect.mWidth + sx * (c.mWidth - d.mWidth),
              srcRect.mHeight + sy * (c.mHeight - d.mHeight));
    return floatSrc.mWidth > 0 && floatSrc.mHeight > 0 && c.mWidth > 0 && c.mHeight > 0;
}

bool GetStretchClip(const Rect& srcRect, const Rect& clip, const Rect& destRect, FRect& floatSrc,
                    Rect& clippedDest)
{
    return StretchClip(srcRect, clip, destRect, floatSrc, clippedDest, false);
}

bool GetMirroredStretchClip(const Rect& srcRect, const Rect& clip, const Rect& destRect,
                            FRect& floatSrc, Rect& clippedDest)
{
    return StretchClip(srcRect, clip, destRect, floatSrc, clippedDest, true);
}

// --- rotated ---

void MemoryImage::DrawImageF(Image* src, float x, float y, const Rect* srcRect, const Rect* clip,
                             const Color* color, int mode)
{
    if (src)
        src->mUsed = true;
    DrawImageRotated(src, x, y, srcRect, clip, color, mode, 0.0, 0.0f, 0.0f);
}

void MemoryImage::DrawImageRotated(Image* src, float x, float y, const Rect* srcRect,
                                   const Rect* clip, const Color* color, int mode, double angle,
                                   float centerX, float centerY)
{
    Rect r;
    MemoryImage* source = DrawSource(src, srcRect, r);
    if (!source)
        return;
    FRect bounds;
    if (!GetRotatedBounds(x, y, r, ClipInImage(clip, mWidth, mHeight), angle, centerX, centerY,
                          bounds))
        return;

    const SourcePixels sp(source);
    uint32_t* dpix = GetPixels();
    if (!sp.Readable() || !dpix)
        return;
    const double c = std::cos(angle), s = std::sin(angle);
    const int C = (int)(c * 65536), S = (int)(s * 65536);
    const int RW = r.mWidth, RH = r.mHeight;
    const int X0 = (int)bounds.mX;
    const int Y0 = (int)bounds.mY;
    const int lastStep = (int)(bounds.mWidth - 1);
    const bool white = IsWhite(*color);
    const uint32_t ca = Channel(color->mAlpha);
    const uint32_t cr = Channel(color->mRed), cg = Channel(color->mGreen),
                   cb = Channel(color->mBlue);
    const uint32_t kr = (cr * ca) / 255, kg = (cg * ca) / 255, kb = (cb * ca) / 255;
    const unsigned char* sat = GetSaturationTable();
    const __m128i tintPlusOne =
        _mm_set_epi16(0, 0, 0, 0, 256, (short)(cr + 1), (short)(cg + 1), (short)(cb + 1));
    // Sample positions that keep the whole 2x2 block inside the source rect.
    const int64_t maxU = ((int64_t)RW - 1) << 16, maxV = ((int64_t)RH - 1) << 16;

    for (int row = 0; row < bounds.mHeight; row++)
    {
        const int Y = Y0 + row;
        const double dy = Y - centerY - y;
        const double dx0 = X0 - centerX - x;
        int u = (int)((dx0 * c - s * dy + centerX) * 65536);
        int v = (int)((dy * c + dx0 * s + centerY) * 65536);
        int k0 = 0, k1 = lastStep;
        if (!NarrowRotatedRow(u, v, C, S, RW, RH, k0, k1))
            continue;
        // The narrowing above keeps every sample inside; make sure of it at both
        // ends of the span (u and v are linear in k).
        auto inside = [&](int k)
        {
            const int64_t uu = (int64_t)u + (int64_t)k * C, vv = (int64_t)v + (int64_t)k * S;
            return uu >= 0 && vv >= 0 && uu < maxU && vv < maxV;
        };
        while (k0 <= k1 && !inside(k0))
            k0++;
        while (k1 >= k0 && !inside(k1))
            k1--;
        if (k0 > k1 || Y < 0 || Y >= mHeight)
            continue;
        u += k0 * C;
        v += k0 * S;
        uint32_t* d = dpix + (size_t)Y * mWidth;
        for (int k = k0; k <= k1; k++, u += C, v += S)
        {
            const int X = X0 + k;
            if ((unsigned)X >= (unsigned)mWidth)
                continue;
            const int tx = r.mX + (u >> 16), ty = r.mY + (v >> 16);
            uint32_t p00, p10, p01, p11;
            __m128i topPair, bottomPair; // (p00, p10) and (p01, p11) in the low 64 bits
            if (sp.table)
            {
                p00 = sp.At(tx, ty);
                p10 = sp.At(tx + 1, ty);
                p01 = sp.At(tx, ty + 1);
                p11 = sp.At(tx + 1, ty + 1);
                topPair =
                    _mm_unpacklo_epi32(_mm_cvtsi32_si128((int)p00), _mm_cvtsi32_si128((int)p10));
                bottomPair =
                    _mm_unpacklo_epi32(_mm_cvtsi32_si128((int)p01), _mm_cvtsi32_si128((int)p11));
            }
            else
            {
                const uint32_t* t = sp.pixels + (size_t)ty * sp.width + tx;
                p00 = t[0];
                p10 = t[1];
                p01 = t[sp.width];
                p11 = t[sp.width + 1];
                topPair = _mm_loadl_epi64((const __m128i*)t);
                bottomPair = _mm_loadl_epi64((const __m128i*)(t + sp.width));
            }
            const uint32_t fu = ((uint32_t)u & 0xFFFE) + 1, fv = ((uint32_t)v & 0xFFFE) + 1;
            uint32_t w00 = ((((0x10000 - fu) * (0x10000 - fv)) >> 16) * (p00 >> 24)) >> 16;
            uint32_t w10 = (((fu * (0x10000 - fv)) >> 16) * (p10 >> 24)) >> 16;
            uint32_t w01 = ((((0x10000 - fu) * fv) >> 16) * (p01 >> 24)) >> 16;
            uint32_t w11 = (((fu * fv) >> 16) * (p11 >> 24)) >> 16;
            if (!white)
            {
                w00 = (w00 * ca) >> 8;
                w10 = (w10 * ca) >> 8;
                w01 = (w01 * ca) >> 8;
                w11 = (w11 * ca) >> 8;
            }
            const uint32_t W = w00 + w10 + w01 + w11;
            if (W == 0)
                continue;
            // Channel sums in 16-bit lanes (blue, green, red, alpha): every
            // product is at most 255 x 255 and the weights add up to at most 255.
            const __m128i zero = _mm_setzero_si128();
            // Weights spread as (w, w, w, w) per tap: two unpacks from one word.
            __m128i wt = _mm_cvtsi32_si128((int)(w00 | (w10 << 16)));
            wt = _mm_unpacklo_epi32(_mm_unpacklo_epi16(wt, wt), _mm_unpacklo_epi16(wt, wt));
            __m128i wb = _mm_cvtsi32_si128((int)(w01 | (w11 << 16)));
            wb = _mm_unpacklo_epi32(_mm_unpacklo_epi16(wb, wb), _mm_unpacklo_epi16(wb, wb));
            const __m128i m =
                _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(topPair, zero), wt),
                              _mm_mullo_epi16(_mm_unpacklo_epi8(bottomPair, zero), wb));
            const __m128i sums = _mm_add_epi16(m, _mm_srli_si128(m, 8));
            uint32_t& dp = d[X];
            if (mode == 0)
            {
                // s' per channel: sum >> 8, or (sum x (c + 1)) >> 16 with a tint.
                const __m128i scaled =
                    white ? _mm_srli_epi16(sums, 8) : _mm_mulhi_epu16(sums, tintPlusOne);
                const uint32_t packed =
                    (uint32_t)_mm_cvtsi128_si32(_mm_packus_epi16(scaled, scaled));
                if (W >= 251)
                {
                    dp = 0xFF000000 | (packed & 0x00FFFFFF);
                    continue;
                }
                const uint32_t vr = (packed >> 16) & 0xFF, vg = (packed >> 8) & 0xFF,
                               vb = packed & 0xFF;
                const uint32_t D = dp >> 24;
                const uint32_t T = 256 - W;
                const uint32_t A = 256 - ((T * (256 - D)) >> 8);
                auto mix = [&](uint32_t dc, uint32_t sc)
                { return (((((dc * D) >> 8) * T) + 256 * sc) / A) & 0xFF; };
                dp = ((A - 1) << 24) | (mix((dp >> 16) & 0xFF, vr) << 16) |
                     (mix((dp >> 8) & 0xFF, vg) << 8) | mix(dp & 0xFF, vb);
            }
            else
            {
                const uint32_t sb = (uint32_t)_mm_extract_epi16(sums, 0);
                const uint32_t sg = (uint32_t)_mm_extract_epi16(sums, 1);
                const uint32_t sr = (uint32_t)_mm_extract_epi16(sums, 2);
                uint32_t vr, vg, vb;
                if (white)
                {
                    vr = sr >> 8;
                    vg = sg >> 8;
                    vb = sb >> 8;
                }
                else
                {
                    vr = ((sr >> 8) * kr) >> 8;
                    vg = (sg * kg) >> 16;
                    vb = (sb * kb) >> 16;
                }
                dp = AddChannels(dp, std::min(vr, 255u), std::min(vg, 255u), std::min(vb, 255u),
                                 sat);
            }
        }
    }
    PixelsChanged();
}

// --- stretched ---

void MemoryImage::DrawImageStretched(Image* src, const Rect* destRect, const Rect* srcRect,
                                     const Rect* clip, const Color* color, int mode, bool fast)
{
    Rect r;
    MemoryImage* source = DrawSource(src, srcRect, r);
    if (!source)
        return;
    FRect fs;
    Rect cd;
    if (!GetStretchClip(r, ClipInImage(clip, mWidth, mHeight), *destRect, fs, cd))
        return;
    if (!fast)
    {
        StretchFiltered(source, fs, cd);
        return;
    }
    if (!IsWhite(*color))
        return;

    const SourcePixels sp(source);
    uint32_t* dpix = GetPixels();
    if (!sp.Readable() || !dpix)
        return;
    const double sx = fs.mWidth / cd.mWidth, sy = fs.mHeight / cd.mHeight;
    std::vector<int> columns(cd.mWidth);
    for (int col = 0; col < cd.mWidth; col++)
        columns[col] = std::min(std::max((int)(fs.mX + col * sx), 0), source->mWidth - 1);
    std::vector<uint32_t> samples(cd.mWidth);
    int sampledRow = -1; // a magnified row repeats the previous row's samples
    for (int row = 0; row < cd.mHeight; row++)
    {
        const int srow = std::min(std::max((int)(fs.mY + row * sy), 0), source->mHeight - 1);
        if (srow != sampledRow && sp.table)
        {
            for (int col = 0; col < cd.mWidth; col++)
                samples[col] = sp.At(columns[col], srow);
        }
        else if (srow != sampledRow)
        {
            const uint32_t* row = sp.pixels + (size_t)srow * sp.width;
            for (int col = 0; col < cd.mWidth; col++)
                samples[col] = row[columns[col]];
        }
        sampledRow = srow;
        BlendSampledRow(dpix + (size_t)(cd.mY + row) * mWidth + cd.mX, samples.data(), cd.mWidth);
    }
    PixelsChanged();
}

void MemoryImage::StretchFiltered(MemoryImage* source, const FRect& fs, const Rect& cd)
{
    int x0 = (int)std::floor(fs.mX), y0 = (int)std::floor(fs.mY);
    int aw = (int)std::ceil(fs.mX - x0 + fs.mWidth);
    int ah = (int)std::ceil(fs.mY - y0 + fs.mHeight);
    if (x0 < 0)
    {
        aw += x0;
        x0 = 0;
    }
    if (y0 < 0)
    {
        ah += y0;
        y0 = 0;
    }
    aw = std::min(aw, source->mWidth - x0);
    ah = std::min(ah, source->mHeight - y0);
    const int DW = cd.mWidth, DH = cd.mHeight;
    if (aw <= 0 || ah <= 0 || DW <= 0 || DH <= 0)
        return;
    if (cd.mX < 0 || cd.mY < 0 || cd.mX > mWidth - DW || cd.mY > mHeight - DH)
        return;

    const SourcePixels sp(source);
    if (!sp.Readable() || !GetPixels())
        return;
    // First pass: per buffer column four 16-bit accumulators (blue, green, red,
    // alpha); a full weight of 257 on a 255 channel is exactly 0xFFFF. Buffer
    // rows are DW + 4 columns; the second pass reads columns 1 to DW.
    const int bw = DW + 4;
    // Palette rows, and the single pixel of a one-column area, are read from
    // a copy with a spare pixel after it.
    const bool copyRows = sp.table || aw == 1;
    std::vector<uint32_t> areaRow(aw + 1, 0);
    auto sourceRow = [&](int row) -> const uint32_t*
    {
        if (!copyRows)
            return sp.pixels + (size_t)(y0 + row) * sp.width + x0;
        for (int i = 0; i < aw; i++)
            areaRow[i] = sp.At(x0 + i, y0 + row);
        return areaRow.data();
    };

    // Magnifying: each of the buffer columns 1 to DW + 2 weighs two
    // neighbouring area pixels, left[j] and left[j] + 1.
    const bool magnifyWidth = DW > fs.mWidth;
    std::vector<int> left;
    std::vector<int16_t> weights;
    // Minifying: each area column adds into one or two buffer columns.
    std::vector<int> lowCol, highCol, lowWeight, highWeight, acc;
    if (magnifyWidth)
    {
        // One sample at the start for a single column; a source narrower than one
        // pixel samples its start everywhere instead of stepping backwards, and
        // the columns past the last destination column stop at the area's edge.
        double step = DW > 1 ? (fs.mWidth - 1) / (DW - 1) : 0.0;
        if (step < 0)
            step = 0;
        left.assign(bw, 0);
        weights.assign((size_t)bw * 8, 0);
        for (int j = 1; j <= DW + 2; j++)
        {
            const double pos = fs.mX + (j - 1) * step;
            const int i = (int)pos;
            const int f = (int)((1 - (pos - i)) * 257);
            const int tap0 = std::min(std::max(i, x0), x0 + aw - 1) - x0;
            int16_t w0 = (int16_t)f, w1 = (int16_t)(257 - f);
            left[j] = tap0;
            if (tap0 == aw - 1)
            {
                // The last pixel weighs 257 in all; as the right one of a pair
                // (or alone, before the copy's spare pixel).
                left[j] = aw > 1 ? aw - 2 : 0;
                w0 = aw > 1 ? 0 : 257;
                w1 = aw > 1 ? 257 : 0;
            }
            for (int k = 0; k < 8; k++)
                weights[(size_t)j * 8 + k] = k < 4 ? w0 : w1;
        }
    }
    else
    {
        const double k = DW / fs.mWidth;
        const double start = (x0 - fs.mX) * k + 1.0;
        lowCol.resize(aw);
        highCol.resize(aw);
        lowWeight.resize(aw);
        highWeight.resize(aw);
        acc.resize((size_t)bw * 4);
        for (int i = 0; i < aw; i++)
        {
            const double lo = start + i * k, hi = lo + k;
            lowCol[i] = std::min(std::max((int)lo, 0), bw - 1);
            highCol[i] = std::min(std::max((int)hi, 0), bw - 1);
            if ((int)lo == (int)hi)
            {
                lowWeight[i] = (int)(257 * k);
                highWeight[i] = 0;
            }
            else
            {
                lowWeight[i] = (int)(((int)hi - lo) * 257);
                highWeight[i] = (int)((hi - (int)hi) * 257);
            }
        }
    }
    // The first pass of area row `row` into one buffer row.
    auto filterRow = [&](int row, uint16_t* out)
    {
        const uint32_t* s = sourceRow(row);
        if (magnifyWidth)
        {
            memset(out, 0, 4 * sizeof(uint16_t));
            memset(out + (DW + 3) * 4, 0, 4 * sizeof(uint16_t));
            MagnifyColumns(out + 4, s, &left[1], &weights[8], DW + 2);
            return;
        }
        std::fill(acc.begin(), acc.end(), 0);
        for (int i = 0; i < aw; i++)
        {
            const uint32_t p = s[i];
            for (int c = 0; c < 4; c++)
            {
                const int v = (int)((p >> (8 * c)) & 0xFF);
                acc[lowCol[i] * 4 + c] += v * lowWeight[i];
                acc[highCol[i] * 4 + c] += v * highWeight[i];
            }
        }
        for (int i = 0; i < bw * 4; i++)
            out[i] = (uint16_t)std::min(acc[i], 0xFFFF);
    };

    // Second pass: each output row from the first pass's rows, blended into
    // the destination.
    uint32_t* dpix = GetPixels();
    if (DH > fs.mHeight)
    {
        // Each output row reads two neighbouring buffer rows, in order: two
        // rows, filled as they are first needed, stay in the cache.
        std::vector<uint16_t> pair((size_t)2 * bw * 4);
        int held[2] = {-1, -1};
        auto bufferRow = [&](int i) -> const uint16_t*
        {
            uint16_t* slot = &pair[(size_t)(i & 1) * bw * 4];
            if (held[i & 1] != i)
            {
                filterRow(i, slot);
                held[i & 1] = i;
            }
            return slot;
        };
        double step = DH > 1 ? (fs.mHeight - 1) / (DH - 1) : 0.0;
        if (step < 0)
            step = 0;
        for (int r = 0; r < DH; r++)
        {
            const double pos = (fs.mY - y0) + r * step;
            const int i = (int)pos;
            const int f = (int)((1 - (pos - i)) * 256);
            const int i0 = std::min(std::max(i, 0), ah - 1);
            const int i1 = std::min(i0 + 1, ah - 1);
            // Output column c reads buffer column c + 1.
            const uint16_t* a = bufferRow(i0) + 4;
            const uint16_t* b = bufferRow(i1) + 4;
            BlendMagnifiedRows(dpix + (size_t)(cd.mY + r) * mWidth + cd.mX, a, b, f, DW);
        }
    }
    else
    {
        // Kept between calls: a fresh multi-megabyte block costs a page fault
        // per page on every stretch.
        static thread_local std::vector<uint16_t> firstStore;
        if (firstStore.size() < (size_t)ah * bw * 4)
            firstStore.resize((size_t)ah * bw * 4);
        uint16_t* first = firstStore.data();
        for (int row = 0; row < ah; row++)
            filterRow(row, &first[(size_t)row * bw * 4]);

        std::vector<int> second((size_t)(DH + 4) * bw * 4, 0);
        auto addRow = [&](int to, int from, int weight)
        {
            int* d = &second[(size_t)to * bw * 4];
            const uint16_t* s = &first[(size_t)from * bw * 4];
            for (int i = 0; i < bw * 4; i++)
                d[i] += s[i] * weight;
        };
        const double k = DH / fs.mHeight;
        const double start = (y0 - fs.mY) * k + 1.0;
        for (int i = 0; i < ah; i++)
        {
            const double lo = start + i * k, hi = lo + k;
            const int fl = (int)std::floor(lo), fh = (int)std::floor(hi);
            const int L = std::min(std::max(fl, 0), DH + 3);
            const int H = std::min(std::max(fh, 0), DH + 3);
            if (fl == fh)
                addRow(L, i, (int)(256 * k));
            else
            {
                addRow(L, i, (int)((fh - lo) * 256));
                addRow(H, i, (int)((hi - fh) * 256));
            }
        }
        std::vector<uint32_t> result(DW);
        for (int r = 0; r < DH; r++)
        {
            const int* acc2 = &second[((size_t)(r + 1) * bw + 1) * 4];
            for (int c = 0; c < DW; c++, acc2 += 4)
            {
                uint32_t out = 0;
                for (int ch = 0; ch < 4; ch++)
                    out |= (uint32_t)std::min(std::max(acc2[ch] >> 16, 0), 255) << (8 * ch);
                result[c] = out;
            }
            BlendFilteredRow(dpix + (size_t)(cd.mY + r) * mWidth + cd.mX, result.data(), DW);
        }
    }
    PixelsChanged();
}

// --- rasterizer ---

void MemoryImage::DrawImageMatrix(Image* src, float x, float y, const Matrix3& matrix,
                                  const Rect* clip, const Color* color, int mode,
                                  const Rect* srcRect, bool filter, Image* maskImage,
                                  const MaskRect* maskSrcRect, const MaskRect* maskPlaceRect,
                                  const Matrix3* maskMatrix)
{
    if (!src)
        return;
    src->mUsed = true;
    if (DrawMaskedMatrix(this, src, x, y, matrix, clip, color, mode, srcRect, filter, maskImage,
                         maskSrcRect, maskPlaceRect, maskMatrix))
        return;
    MemoryImage* source = dynamic_cast<MemoryImage*>(src);
    if (!source)
        return;
    const Rect r = srcRect ? *srcRect : Rect(0, 0, source->mWidth, source->mHeight);
    if (source->mWidth <= 0 || source->mHeight <= 0)
        return;
    const float w = (float)r.mWidth, h = (float)r.mHeight;
    const float cornerX[4] = {0.0f, w, 0.0f, w};
    const float cornerY[4] = {0.0f, 0.0f, h, h};
    TriangleVertex quad[4];
    for (int i = 0; i < 4; i++)
    {
        const LumoVector2 p = matrix.TransformPoint(LumoVector2(cornerX[i], cornerY[i]));
        quad[i].x = p.x + (x - 0.5f);
        quad[i].y = p.y + (y - 0.5f);
        quad[i].u = (r.mX + cornerX[i]) / (float)source->mWidth;
        quad[i].v = (r.mY + cornerY[i]) / (float)source->mHeight;
        quad[i].color = 0xFFFFFFFF;
    }
    uint32_t* dpix = GetPixels();
    if (!dpix || !HasPicture(source))
        return;
    DrawTriangle(quad, 4, source, *color, mode, ClipInImage(clip, mWidth, mHeight), dpix,
                 mWidth * 4, TrianglePixelFormatOf(this), filter, false);
    PixelsChanged();
}

void MemoryImage::DrawTrianglesTex(Image* texture, const TriangleVertex* triangles, int count,
                                   const Rect* clip, const Color* color, int mode, float tx,
                                   float ty, bool filter)
{
    if (texture)
        texture->mUsed = true;
    MemoryImage* tex = dynamic_cast<MemoryImage*>(texture);
    if (count < 1 || !triangles)
        return;
    uint32_t* dpix = GetPixels();
    if (!dpix || (tex && !HasPicture(tex)))
        return;
    const Rect cut = ClipInImage(clip, mWidth, mHeight);
    const int format = TrianglePixelFormatOf(this);
    for (int t = 0; t < count; t++)
    {
        TriangleVertex v[3];
        bool vertexColors = false;
        for (int i = 0; i < 3; i++)
        {
            v[i] = triangles[t * 3 + i];
            v[i].x += tx;
            v[i].y += ty;
            vertexColors = vertexColors || v[i].color != 0;
        }
        DrawTriangle(v, 3, tex, *color, mode, cut, dpix, mWidth * 4, format, filter, vertexColors);
    }
    PixelsChanged();
}

} // namespace Lumo
