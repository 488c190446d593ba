// The filtered stretch against its accumulator rules written out plainly:
// whole buffers, channel by channel, every column and row of both passes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "framework/app/Rect.h"
#include "framework/graphics/BlendPixel.h"
#include "framework/graphics/BlendRows.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

uint32_t Byte(uint32_t p, int ch)
{
    return (p >> (8 * ch)) & 0xFF;
}

void RefStretchFiltered(std::vector<uint32_t>& dst, int dstW, const std::vector<uint32_t>& src,
                        int srcW, int srcH, const FRect& fs, const Rect& cd)
{
    int x0 = (int)std::floor(fs.mX), y0 = (int)std::floor(fs.mY);
    int aw = (int)std::ceil(fs.mX - x0 + fs.mWidth), ah = (int)std::ceil(fs.mY - y0 + fs.mHeight);
    if (x0 < 0)
        aw += x0, x0 = 0;
    if (y0 < 0)
        ah += y0, y0 = 0;
    aw = std::min(aw, srcW - x0);
    ah = std::min(ah, srcH - y0);
    const int DW = cd.mWidth, DH = cd.mHeight, bw = DW + 4;
    if (aw <= 0 || ah <= 0 || DW <= 0 || DH <= 0)
        return;
    auto px = [&](int col, int row) { return src[(size_t)(y0 + row) * srcW + x0 + col]; };

    // First pass: 16-bit accumulators per area row and buffer column.
    std::vector<uint16_t> first((size_t)ah * bw * 4, 0);
    auto firstAt = [&](int row, int col, int ch) -> uint16_t&
    { return first[((size_t)row * bw + col) * 4 + ch]; };
    if (DW > fs.mWidth)
    {
        const double step = DW > 1 ? std::max((fs.mWidth - 1) / (DW - 1), 0.0) : 0.0;
        for (int j = 1; j <= DW + 2; j++)
        {
            const double pos = fs.mX + (j - 1) * step;
            const int i = (int)pos, f = (int)((1 - (pos - i)) * 257);
            const int t0 = std::min(std::max(i, x0), x0 + aw - 1) - x0;
            const int t1 = std::min(t0 + 1, aw - 1);
            for (int row = 0; row < ah; row++)
                for (int ch = 0; ch < 4; ch++)
                    firstAt(row, j, ch) =
                        (uint16_t)(Byte(px(t0, row), ch) * f + Byte(px(t1, row), ch) * (257 - f));
        }
    }
    else
    {
        const double k = DW / fs.mWidth, start = (x0 - fs.mX) * k + 1.0;
        for (int row = 0; row < ah; row++)
        {
            std::vector<int> acc((size_t)bw * 4, 0);
            for (int i = 0; i < aw; i++)
            {
                const double lo = start + i * k, hi = lo + k;
                const int L = std::min(std::max((int)lo, 0), bw - 1);
                const int H = std::min(std::max((int)hi, 0), bw - 1);
                const int wl = (int)lo == (int)hi ? (int)(257 * k) : (int)(((int)hi - lo) * 257);
                const int wh = (int)lo == (int)hi ? 0 : (int)((hi - (int)hi) * 257);
                for (int ch = 0; ch < 4; ch++)
                {
                    acc[L * 4 + ch] += (int)Byte(px(i, row), ch) * wl;
                    acc[H * 4 + ch] += (int)Byte(px(i, row), ch) * wh;
                }
            }
            for (int col = 0; col < bw; col++)
                for (int ch = 0; ch < 4; ch++)
                    firstAt(row, col, ch) = (uint16_t)std::min(acc[col * 4 + ch], 0xFFFF);
        }
    }

    // Second pass: each output pixel's channels, then the blend.
    std::vector<uint32_t> out((size_t)DW * DH, 0);
    if (DH > fs.mHeight)
    {
        const double step = DH > 1 ? std::max((fs.mHeight - 1) / (DH - 1), 0.0) : 0.0;
        for (int r = 0; r < DH; r++)
        {
            const double pos = (fs.mY - y0) + r * step;
            const int i = (int)pos, f = (int)((1 - (pos - i)) * 256);
            const int i0 = std::min(std::max(i, 0), ah - 1), i1 = std::min(i0 + 1, ah - 1);
            for (int c = 0; c < DW; c++)
                for (int ch = 0; ch < 4; ch++)
                {
                    const uint32_t v = ((uint32_t)firstAt(i0, c + 1, ch) * f +
                                        (uint32_t)firstAt(i1, c + 1, ch) * (256 - f)) >>
                                       16;
                    out[(size_t)r * DW + c] |= std::min(v, 255u) << (8 * ch);
                }
        }
    }
    else
    {
        std::vector<int> second((size_t)(DH + 4) * bw * 4, 0);
        const double k = DH / fs.mHeight, start = (y0 - fs.mY) * k + 1.0;
        for (int i = 0; i < ah; i++)
        {
            const double lo = start + i * k, hi = lo + k;
            const int fl = (int)std::floor(lo), fh = (int)std::floor(hi);
            const int L = std::min(std::max(fl, 0), DH + 3), H = std::min(std::max(fh, 0), DH + 3);
            const int wl = fl == fh ? (int)(256 * k) : (int)((fh - lo) * 256);
            const int wh = fl == fh ? 0 : (int)((hi - fh) * 256);
            for (int col = 0; col < bw; col++)
                for (int ch = 0; ch < 4; ch++)
                {
                    second[((size_t)L * bw + col) * 4 + ch] += firstAt(i, col, ch) * wl;
                    second[((size_t)H * bw + col) * 4 + ch] += firstAt(i, col, ch) * wh;
                }
        }
        for (int r = 0; r < DH; r++)
            for (int c = 0; c < DW; c++)
                for (int ch = 0; ch < 4; ch++)
                {
                    const int v = second[((size_t)(r + 1) * bw + c + 1) * 4 + ch] >> 16;
                    out[(size_t)r * DW + c] |= (uint32_t)std::min(std::max(v, 0), 255) << (8 * ch);
                }
    }
    for (int r = 0; r < DH; r++)
        for (int c = 0; c < DW; c++)
        {
            uint32_t& d = dst[(size_t)(cd.mY + r) * dstW + cd.mX + c];
            d = BlendFiltered(d, out[(size_t)r * DW + c]);
        }
}

} // namespace

TEST(FilteredStretch, MatchesThePlainAccumulatorRules)
{
    std::mt19937 rng(77);
    for (int round = 0; round < 300; round++)
    {
        const int sw = 1 + rng() % 40, sh = 1 + rng() % 40;
        std::vector<uint32_t> src((size_t)sw * sh);
        for (uint32_t& p : src)
            p = rng() % 4 ? rng() : (rng() % 2 ? 0xFF000000u | rng() : 0);
        const int dw = 1 + rng() % 90, dh = 1 + rng() % 90;
        std::vector<uint32_t> dst((size_t)dw * dh);
        for (uint32_t& p : dst)
            p = rng() % 2 ? rng() : 0xFF000000u | rng();
        // A float source rect inside the source, magnified or minified on
        // each axis, and a destination rect inside the destination.
        const double fx = (rng() % 1000) / 1000.0 * (sw - 0.5);
        const double fy = (rng() % 1000) / 1000.0 * (sh - 0.5);
        const FRect fs(fx, fy, std::max(0.1, (rng() % 1000) / 1000.0 * (sw - fx)),
                       std::max(0.1, (rng() % 1000) / 1000.0 * (sh - fy)));
        const int cw = 1 + rng() % dw, ch = 1 + rng() % dh;
        const Rect cd(rng() % (dw - cw + 1), rng() % (dh - ch + 1), cw, ch);

        MemoryImage source(nullptr), actual(nullptr);
        source.SetPixels(src.data(), sw, sh, true);
        actual.SetPixels(dst.data(), dw, dh, true);
        actual.StretchFiltered(&source, fs, cd);
        RefStretchFiltered(dst, dw, src, sw, sh, fs, cd);
        for (int i = 0; i < dw * dh; i++)
            ASSERT_EQ(dst[i], actual.GetPixels()[i])
                << "round " << round << " pixel (" << i % dw << ", " << i / dw << ")";
    }
}

TEST(FilteredStretch, MagnifyingRowsEqualTheirScalarForms)
{
    std::mt19937 rng(4711);
    for (int round = 0; round < 400; round++)
    {
        const int n = 1 + rng() % 40, aw = 2 + rng() % 30;
        std::vector<uint32_t> s(aw);
        for (uint32_t& p : s)
            p = rng();
        std::vector<int> left(n);
        std::vector<int16_t> weights((size_t)n * 8);
        for (int j = 0; j < n; j++)
        {
            left[j] = rng() % (aw - 1);
            const int f = (int)(rng() % 300) - 20; // past both ends of 0..257 too
            for (int k = 0; k < 8; k++)
                weights[j * 8 + k] = (int16_t)(k < 4 ? f : 257 - f);
        }
        std::vector<uint16_t> fast((size_t)n * 4), plain((size_t)n * 4);
        MagnifyColumns(fast.data(), s.data(), left.data(), weights.data(), n);
        BlendRowsScalar::MagnifyColumns(plain.data(), s.data(), left.data(), weights.data(), n);
        ASSERT_EQ(plain, fast) << "round " << round;

        std::vector<uint16_t> a((size_t)n * 4), b((size_t)n * 4);
        for (size_t i = 0; i < a.size(); i++)
        {
            a[i] = (uint16_t)rng();
            b[i] = rng() % 3 ? (uint16_t)rng() : a[i];
        }
        std::vector<uint32_t> d1(n);
        for (uint32_t& p : d1)
            p = rng() % 2 ? rng() : 0xFF000000u | rng();
        std::vector<uint32_t> d2 = d1;
        const int f = round % 4 ? (int)(rng() % 257) : (int)(rng() % 70000) - 35000;
        BlendMagnifiedRows(d1.data(), a.data(), b.data(), f, n);
        BlendRowsScalar::BlendMagnifiedRows(d2.data(), a.data(), b.data(), f, n);
        ASSERT_EQ(d2, d1) << "round " << round << " f " << f;
    }
}
