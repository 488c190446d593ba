// The memory image's blend paths against small per-channel references worked
// out from the packed formulas by hand (red and green blend in one sum, blue in
// two shifted halves), on seeded random pixels. Every draw also checks the
// guard word after the last pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/BlendRows.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

uint32_t Ch(uint32_t p, int i) // 0 blue, 1 green, 2 red, 3 alpha
{
    return (p >> (8 * i)) & 0xFF;
}

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

void Weight(uint32_t D, uint32_t a, uint32_t& A, uint32_t& w)
{
    A = D + (255 - D) * a / 255;
    w = 255 * a / A;
}

// --- references ---

uint32_t RefWhite(uint32_t d, uint32_t s)
{
    const uint32_t S = Ch(s, 3);
    if (S == 0)
        return d;
    uint32_t A, w;
    Weight(Ch(d, 3), S, A, w);
    const uint32_t r = (Ch(d, 2) * (256 - w) + Ch(s, 2) * w) >> 8;
    const uint32_t g = (Ch(d, 1) * (256 - w) + Ch(s, 1) * w) >> 8;
    const uint32_t b = ((Ch(d, 0) * (256 - w)) >> 8) + ((Ch(s, 0) * w) >> 8);
    return Pack(A, r, g, b);
}

uint32_t RefOpaqueDest(uint32_t d, uint32_t s)
{
    const uint32_t S = Ch(s, 3);
    if (S == 255)
        return s;
    if (S == 0)
        return d;
    const uint32_t r = (Ch(d, 2) * (256 - S) + Ch(s, 2) * S) >> 8;
    const uint32_t g = (Ch(d, 1) * (256 - S) + Ch(s, 1) * S) >> 8;
    const uint32_t b = ((Ch(d, 0) * (256 - S)) >> 8) + ((Ch(s, 0) * S) >> 8);
    return Pack(255, r, g, b);
}

uint32_t RefGrey(uint32_t d, uint32_t s, uint32_t c, uint32_t ca)
{
    const uint32_t a = Ch(s, 3) * ca / 255;
    if (a == 0)
        return d;
    uint32_t A, w;
    Weight(Ch(d, 3), a, A, w);
    const uint32_t sr = Ch(s, 2) * c >> 8, sb = Ch(s, 0) * c >> 8;
    const uint32_t r = (sr * w + Ch(d, 2) * (256 - w)) >> 8;
    const uint32_t g = (Ch(d, 1) * (256 - w) + ((Ch(s, 1) * w * c) >> 8)) >> 8;
    const uint32_t b = ((sb * w) >> 8) + ((Ch(d, 0) * (256 - w)) >> 8);
    return Pack(A, r, g, b);
}

uint32_t RefTinted(uint32_t d, uint32_t s, uint32_t cr, uint32_t cg, uint32_t cb, uint32_t ca)
{
    const uint32_t a = Ch(s, 3) * ca / 255;
    if (a == 0)
        return d;
    uint32_t A, w;
    Weight(Ch(d, 3), a, A, w);
    const uint32_t r = (Ch(s, 2) * w * cr + Ch(d, 2) * (256 - w) * 256) >> 16;
    const uint32_t g = (((Ch(s, 1) * w * cg) >> 8) + Ch(d, 1) * (256 - w)) >> 8;
    const uint32_t b = ((Ch(s, 0) * w * cb) >> 16) + ((Ch(d, 0) * (256 - w)) >> 8);
    return Pack(A, r, g, b);
}

uint32_t RefAdditive(uint32_t d, uint32_t s, const Color& c, bool translucent)
{
    const bool white = c == gColorWhite;
    uint32_t out = d & 0xFF000000;
    for (int i = 0; i < 3; i++)
    {
        uint32_t v = Ch(s, i);
        if (!white)
        {
            const int comp = i == 2 ? c.mRed : (i == 1 ? c.mGreen : c.mBlue);
            v = v * (uint32_t)(comp * c.mAlpha / 255) >> 8;
        }
        if (translucent)
            v = v * Ch(s, 3) >> 8;
        out |= std::min<uint32_t>(Ch(d, i) + v, 255) << (8 * i);
    }
    return out;
}

uint32_t RefCoverage(uint32_t d, const Color& c, uint32_t a)
{
    if (a == 0)
        return d;
    uint32_t A, w;
    Weight(Ch(d, 3), a, A, w);
    const uint32_t src[3] = {(uint32_t)c.mBlue, (uint32_t)c.mGreen, (uint32_t)c.mRed};
    uint32_t out = A << 24;
    for (int i = 0; i < 3; i++)
        out |= ((Ch(d, i) * (256 - w) + src[i] * w) >> 8) << (8 * i);
    return out;
}

// Pixels with alphas biased to the interesting values 0, 255 and in between.
uint32_t RandomPixel(std::mt19937& rng)
{
    const uint32_t v = rng();
    const uint32_t pick = rng() % 4;
    const uint32_t alpha = pick == 0 ? 0 : (pick == 1 ? 255 : (rng() & 0xFF));
    return (v & 0x00FFFFFF) | (alpha << 24);
}

void Fill(MemoryImage& img, int w, int h, std::mt19937& rng)
{
    std::vector<uint32_t> px(w * h);
    for (auto& p : px)
        p = RandomPixel(rng);
    img.SetPixels(px.data(), w, h, true);
}

void ExpectGuard(MemoryImage& img)
{
    EXPECT_EQ(img.GetPixels()[img.mWidth * img.mHeight], MEMORY_IMAGE_GUARD);
}

} // namespace

TEST(BlendPaths, NormalBlitMatchesReferenceForEveryColourPath)
{
    std::mt19937 rng(1234);
    const Color colors[] = {gColorWhite, Color(128, 128, 128, 255), Color(255, 255, 255, 100),
                            Color(40, 200, 90, 255), Color(250, 10, 128, 77)};
    for (int round = 0; round < 20; round++)
    {
        MemoryImage src(nullptr), dst(nullptr);
        Fill(src, 37, 11, rng);
        Fill(dst, 40, 12, rng);
        const std::vector<uint32_t> before(dst.GetPixels(), dst.GetPixels() + 40 * 12);
        const Color& c = colors[round % 5];
        const Rect sr(2, 1, 30, 9);
        dst.DrawImage(&src, 5, 3, &sr, &c, 0);
        const uint32_t* d = dst.GetPixels();
        const uint32_t* s = src.GetPixels();
        for (int y = 0; y < 12; y++)
            for (int x = 0; x < 40; x++)
            {
                uint32_t expect = before[y * 40 + x];
                const int sx = x - 5 + 2, sy = y - 3 + 1;
                if (x >= 5 && x < 35 && y >= 3 && y < 12)
                {
                    const uint32_t sp = s[sy * 37 + sx];
                    if (c == gColorWhite)
                        expect = RefWhite(expect, sp);
                    else if (c.mRed == c.mGreen && c.mGreen == c.mBlue)
                        expect = RefGrey(expect, sp, c.mRed, c.mAlpha);
                    else
                        expect = RefTinted(expect, sp, c.mRed, c.mGreen, c.mBlue, c.mAlpha);
                }
                ASSERT_EQ(d[y * 40 + x], expect) << "round " << round << " at " << x << "," << y;
            }
        ExpectGuard(dst);
        EXPECT_TRUE(src.mUsed);
    }
}

TEST(BlendPaths, OpaqueDestinationFastPathMatchesReference)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 10; round++)
    {
        // Long runs of each class, some longer than 255.
        const int w = 700, h = 3;
        std::vector<uint32_t> px(w * h);
        for (int i = 0; i < w * h;)
        {
            const int run = 1 + rng() % 400;
            const uint32_t kind = rng() % 3;
            for (int k = 0; k < run && i < w * h; k++, i++)
            {
                const uint32_t a = kind == 0 ? 0 : (kind == 1 ? 255 : 1 + rng() % 254);
                px[i] = (rng() & 0xFFFFFF) | (a << 24);
            }
        }
        if (round < 2) // an opaque source is copied row by row without its runs
            for (auto& p : px)
                p |= 0xFF000000;
        MemoryImage src(nullptr), dst(nullptr);
        src.SetPixels(px.data(), w, h, true);
        std::vector<uint32_t> dp(w * h);
        for (auto& p : dp)
            p = 0xFF000000 | (rng() & 0xFFFFFF);
        dst.SetPixels(dp.data(), w, h, true);
        ASSERT_FALSE(dst.mHasTransparent || dst.mHasTranslucent);
        const Rect sr(3, 0, w - 3, h);
        dst.DrawImage(&src, 0, 0, &sr, &gColorWhite, 0);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w - 3; x++)
                ASSERT_EQ(dst.GetPixels()[y * w + x],
                          RefOpaqueDest(dp[y * w + x], px[y * w + x + 3]))
                    << x << "," << y;
        ExpectGuard(dst);
    }
}

TEST(BlendPaths, AdditiveBlitMatchesReference)
{
    std::mt19937 rng(7);
    const Color colors[] = {gColorWhite, Color(200, 100, 50, 180)};
    for (int round = 0; round < 8; round++)
    {
        MemoryImage src(nullptr), dst(nullptr);
        Fill(src, 20, 20, rng);
        if (round & 2)
        {
            // Without translucent pixels the source alpha is not looked at.
            std::vector<uint32_t> px(src.GetPixels(), src.GetPixels() + 400);
            for (auto& p : px)
                p = (p & 0xFFFFFF) | ((p >> 24) >= 128 ? 0xFF000000 : 0);
            src.SetPixels(px.data(), 20, 20, true);
        }
        Fill(dst, 20, 20, rng);
        const std::vector<uint32_t> before(dst.GetPixels(), dst.GetPixels() + 400);
        const Color& c = colors[round & 1];
        const Rect sr(0, 0, 20, 20);
        dst.DrawImage(&src, 0, 0, &sr, &c, 1);
        for (int i = 0; i < 400; i++)
            ASSERT_EQ(dst.GetPixels()[i],
                      RefAdditive(before[i], src.GetPixels()[i], c, src.mHasTranslucent))
                << i;
        ExpectGuard(dst);
    }
}

TEST(BlendPaths, FillsAndCoverageSpansMatchReference)
{
    std::mt19937 rng(55);
    for (int round = 0; round < 10; round++)
    {
        MemoryImage dst(nullptr);
        Fill(dst, 16, 16, rng);
        std::vector<uint32_t> expect(dst.GetPixels(), dst.GetPixels() + 256);
        const Color c(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF, rng() % 255);
        const Rect r(2, 3, 10, 5);
        dst.FillRect(&r, &c, round & 1);
        for (int y = 3; y < 8; y++)
            for (int x = 2; x < 12; x++)
                expect[y * 16 + x] = RefCoverage(expect[y * 16 + x], c, c.mAlpha);
        std::vector<unsigned char> coverage(16 * 16);
        for (auto& v : coverage)
            v = rng() & 0xFF;
        Span spans[2] = {{10, 1, 14}, {12, 0, 16}};
        dst.FillScanLinesWithCoverage(spans, 2, &c, 0, coverage.data(), 0, 0, 16, 16);
        for (const Span& s : spans)
            for (int k = 0; k < s.width; k++)
            {
                const int i = s.y * 16 + s.x + k;
                expect[i] = RefCoverage(expect[i], c, (c.mAlpha * (coverage[i] + 1)) >> 8);
            }
        for (int i = 0; i < 256; i++)
            ASSERT_EQ(dst.GetPixels()[i], expect[i]) << i;
        ExpectGuard(dst);
    }
}

TEST(BlendPaths, WorkedFillCases)
{
    MemoryImage img(nullptr);
    const uint32_t px[3] = {0x12345678, 0xFF000000, 0x00000000};
    img.SetPixels(px, 3, 1, true);
    const Rect all(0, 0, 3, 1), one(1, 0, 1, 1), two(2, 0, 1, 1);
    const Color solid(10, 20, 30, 255);
    img.FillRect(&all, &solid, 1);
    EXPECT_EQ(img.GetPixels()[0], 0xFF0A141Eu);
    img.SetPixels(px, 3, 1, true);
    const Color half(255, 255, 255, 128);
    img.FillRect(&one, &half, 0);
    img.FillRect(&two, &half, 0);
    EXPECT_EQ(img.GetPixels()[1], 0xFF7F7F7Fu);
    EXPECT_EQ(img.GetPixels()[2], 0x80FEFEFEu);

    // Opaque white coverage over black gives 254: no shortcut for full alpha.
    const uint32_t black = 0xFF000000;
    img.SetPixels(&black, 1, 1, true);
    const unsigned char full = 255;
    Span span{0, 0, 1};
    img.FillScanLinesWithCoverage(&span, 1, &gColorWhite, 0, &full, 0, 0, 1, 1);
    EXPECT_EQ(img.GetPixels()[0], 0xFFFEFEFEu);
}

TEST(BlendPaths, WorkedBlitCases)
{
    MemoryImage dst(nullptr), src(nullptr);
    const uint32_t d = 0x80C0C0C0, s = 0xFFFFFFFF;
    dst.SetPixels(&d, 1, 1, true);
    src.SetPixels(&s, 1, 1, true);
    const Rect r(0, 0, 1, 1);
    dst.DrawImage(&src, 0, 0, &r, &gColorWhite, 1);
    EXPECT_EQ(dst.GetPixels()[0], 0x80FFFFFFu);

    // Modes other than 0 and 1 draw nothing and change nothing.
    const int changes = dst.mChangeCount;
    dst.DrawImage(&src, 0, 0, &r, &gColorWhite, 2);
    EXPECT_EQ(dst.mChangeCount, changes);

    // A source of another image class draws nothing.
    Image plain;
    plain.mWidth = plain.mHeight = 1;
    dst.DrawImage(&plain, 0, 0, &r, &gColorWhite, 0);
    EXPECT_EQ(dst.mChangeCount, changes);
    EXPECT_TRUE(plain.mUsed);
}

TEST(BlendPaths, SourceRectOutsideSourceDrawsNothing)
{
    MemoryImage dst(nullptr), src(nullptr);
    std::vector<uint32_t> px(4 * 4, 0xFF00FF00);
    src.SetPixels(px.data(), 4, 4, true);
    std::vector<uint32_t> dp(8 * 8, 0xFF000000);
    dst.SetPixels(dp.data(), 8, 8, true);
    const Rect outside[] = {Rect(2, 0, 3, 4), Rect(0, 2, 4, 3), Rect(-1, 0, 2, 2),
                            Rect(0, -1, 2, 2)};
    for (const Rect& r : outside)
    {
        dst.DrawImage(&src, 0, 0, &r, &gColorWhite, 0);
        dst.DrawImageF(&src, 0.5f, 0.5f, &r, nullptr, &gColorWhite, 0);
        const Rect dest(0, 0, 8, 8), clip(0, 0, 8, 8);
        dst.DrawImageStretched(&src, &dest, &r, &clip, &gColorWhite, 0, true);
        dst.DrawImageStretched(&src, &dest, &r, &clip, &gColorWhite, 0, false);
    }
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(dst.GetPixels()[i], 0xFF000000u) << i;
    ExpectGuard(dst);
}

TEST(BlendPaths, RunLengthOpaqueRunLongerThan255IsCopiedWhole)
{
    MemoryImage src(nullptr), dst(nullptr);
    std::vector<uint32_t> px(300);
    for (int i = 0; i < 300; i++)
        px[i] = 0xFF000000 | i;
    src.SetPixels(px.data(), 300, 1, true);
    std::vector<uint32_t> dp(300, 0xFFFFFFFF);
    dst.SetPixels(dp.data(), 300, 1, true);
    const Rect r(0, 0, 300, 1);
    dst.DrawImage(&src, 0, 0, &r, &gColorWhite, 0);
    for (int i = 0; i < 300; i++)
        ASSERT_EQ(dst.GetPixels()[i], px[i]) << i;
    ExpectGuard(dst);
}

TEST(BlendPaths, PaletteSourceDrawsLikePlainSource)
{
    std::mt19937 rng(4242);
    uint32_t colors[40];
    for (auto& c : colors)
        c = RandomPixel(rng);
    std::vector<uint32_t> px(30 * 20);
    for (auto& p : px)
        p = colors[rng() % 40];
    MemoryImage plain(nullptr), pal(nullptr);
    plain.SetPixels(px.data(), 30, 20, true);
    pal.SetPixels(px.data(), 30, 20, true);
    ASSERT_TRUE(pal.ConvertToPalette());
    ASSERT_EQ(pal.mPixels, nullptr);

    const Color tints[] = {gColorWhite, Color(90, 90, 90, 200), Color(10, 220, 130, 255)};
    for (int mode = 0; mode < 2; mode++)
        for (const Color& c : tints)
        {
            MemoryImage a(nullptr), b(nullptr);
            std::vector<uint32_t> dp(40 * 30);
            for (auto& p : dp)
                p = RandomPixel(rng);
            a.SetPixels(dp.data(), 40, 30, true);
            b.SetPixels(dp.data(), 40, 30, true);
            const Rect sr(1, 2, 25, 15);
            a.DrawImage(&plain, 3, 4, &sr, &c, mode);
            b.DrawImage(&pal, 3, 4, &sr, &c, mode);
            a.DrawImageRotated(&plain, 2.3f, 1.7f, &sr, nullptr, &c, mode, 0.6, 5.0f, 4.0f);
            b.DrawImageRotated(&pal, 2.3f, 1.7f, &sr, nullptr, &c, mode, 0.6, 5.0f, 4.0f);
            const Rect dest(0, 0, 37, 23), clip(0, 0, 40, 30);
            a.DrawImageStretched(&plain, &dest, &sr, &clip, &c, mode, false);
            b.DrawImageStretched(&pal, &dest, &sr, &clip, &c, mode, false);
            a.DrawImageStretched(&plain, &dest, &sr, &clip, &gColorWhite, mode, true);
            b.DrawImageStretched(&pal, &dest, &sr, &clip, &gColorWhite, mode, true);
            for (int i = 0; i < 40 * 30; i++)
                ASSERT_EQ(a.GetPixels()[i], b.GetPixels()[i]) << i;
        }
    // Drawing from the palette form does not undo it.
    EXPECT_NE(pal.mColorTable, nullptr);
}

TEST(BlendPaths, FastRowsEqualScalarRows)
{
    std::mt19937 rng(31337);
    for (int round = 0; round < 200; round++)
    {
        const int n = 1 + rng() % 70;
        std::vector<uint32_t> s(n), d(n);
        for (auto& p : s)
            p = RandomPixel(rng);
        for (auto& p : d)
            p = RandomPixel(rng);
        // Mostly opaque destinations, so the four-pixel groups take the fast form.
        if (round % 3 != 0)
            for (size_t i = 0; i < d.size(); i++)
                if (rng() % 16 != 0)
                    d[i] |= 0xFF000000;
        std::vector<unsigned char> classes(n), runs(n);
        for (int i = 0; i < n; i++)
            classes[i] = (s[i] >> 24) == 0 ? 0 : ((s[i] >> 24) == 255 ? 1 : 2);
        for (int i = n - 1; i >= 0; i--)
            runs[i] =
                (i == n - 1 || classes[i] != classes[i + 1]) ? 1 : std::min(runs[i + 1] + 1, 255);

        auto a = d, b = d;
        BlendWhiteRow(a.data(), s.data(), n);
        BlendRowsScalar::BlendWhiteRow(b.data(), s.data(), n);
        ASSERT_EQ(a, b);
        a = d, b = d;
        for (auto& p : a)
            p |= 0xFF000000;
        b = a;
        BlitRunsOpaqueDest(a.data(), s.data(), runs.data(), n);
        BlendRowsScalar::BlitRunsOpaqueDest(b.data(), s.data(), runs.data(), n);
        ASSERT_EQ(a, b);
        a = d, b = d;
        AddRow(a.data(), s.data(), n, round & 1);
        BlendRowsScalar::AddRow(b.data(), s.data(), n, round & 1);
        ASSERT_EQ(a, b);
        a = d, b = d;
        const uint32_t rgb = rng() & 0xFFFFFF, alpha = 1 + rng() % 254;
        BlendCoverageRow(a.data(), n, rgb, alpha);
        BlendRowsScalar::BlendCoverageRow(b.data(), n, rgb, alpha);
        ASSERT_EQ(a, b);
        // Runs of opaque samples take the shortcut that ignores the destination.
        std::vector<uint32_t> so = s;
        for (size_t i = 0; i < so.size(); i++)
            if (rng() % 8 != 0)
                so[i] |= 0xFF000000;
        a = d, b = d;
        BlendSampledRow(a.data(), so.data(), n);
        BlendRowsScalar::BlendSampledRow(b.data(), so.data(), n);
        ASSERT_EQ(a, b);
        a = d, b = d;
        BlendFilteredRow(a.data(), so.data(), n);
        BlendRowsScalar::BlendFilteredRow(b.data(), so.data(), n);
        ASSERT_EQ(a, b);
        // Groups of four opaque or four transparent pixels take shortcuts too.
        std::vector<uint32_t> clear = s;
        for (size_t i = 0; i < clear.size(); i++)
            if (rng() % 8 != 0)
                clear[i] &= 0x00FFFFFF;
        for (const auto* src : {&so, &clear})
        {
            a = d, b = d;
            AddRow(a.data(), src->data(), n, true);
            BlendRowsScalar::AddRow(b.data(), src->data(), n, true);
            ASSERT_EQ(a, b);
        }
        a = d, b = d;
        BlendSampledRow(a.data(), s.data(), n);
        BlendRowsScalar::BlendSampledRow(b.data(), s.data(), n);
        ASSERT_EQ(a, b);
        a = d, b = d;
        BlendFilteredRow(a.data(), s.data(), n);
        BlendRowsScalar::BlendFilteredRow(b.data(), s.data(), n);
        ASSERT_EQ(a, b);
        a = d, b = d;
        FillRow(a.data(), n, rgb);
        BlendRowsScalar::FillRow(b.data(), n, rgb);
        ASSERT_EQ(a, b);
    }
}

namespace
{

// Sources whose alphas cover every value 0-255, then blocks of 0 and of 255
// (long enough to fill whole eight-pixel groups), then random pixels.
std::vector<uint32_t> AlphaSweep(int n, std::mt19937& rng)
{
    std::vector<uint32_t> px(n);
    for (int i = 0; i < n; i++)
    {
        const uint32_t rgb = rng() & 0xFFFFFF;
        if (i < 256)
            px[i] = ((uint32_t)i << 24) | rgb;
        else if (i < 256 + 40)
            px[i] = rgb;
        else if (i < 256 + 80)
            px[i] = 0xFF000000 | rgb;
        else
            px[i] = RandomPixel(rng);
    }
    // Colour channels of 0 and 255 too.
    px[300 % n] &= 0xFF000000;
    px[301 % n] |= 0x00FFFFFF;
    return px;
}

// A 32-byte aligned buffer with n pixels starting `offset` pixels in.
struct Shifted
{
    std::vector<uint32_t> store;
    uint32_t* p;
    Shifted(const std::vector<uint32_t>& px, int offset) : store(px.size() + 32)
    {
        uintptr_t a = (uintptr_t)(store.data() + 8);
        a = (a + 31) & ~(uintptr_t)31;
        p = (uint32_t*)a + offset;
        std::copy(px.begin(), px.end(), p);
    }
    std::vector<uint32_t> Get(size_t n) const { return std::vector<uint32_t>(p, p + n); }
};

} // namespace

// Every row length up to a few blocks and a long one, at every alignment of
// destination and source, through the SSE2 form, the form this processor uses
// (AVX2 where it has it) and the scalar rule.
TEST(BlendPaths, BlockRowsEqualScalarAtEveryAlignmentAndAlpha)
{
    std::mt19937 rng(2718);
    const std::vector<uint32_t> sweep = AlphaSweep(700, rng);
    std::vector<uint32_t> dst(700);
    for (size_t i = 0; i < dst.size(); i++)
        dst[i] = RandomPixel(rng) | (i % 9 != 0 ? 0xFF000000 : 0); // mostly opaque
    for (const int n : {1, 3, 7, 8, 9, 15, 16, 17, 23, 31, 33, 64, 301, 699})
        for (int dOff = 0; dOff < 8; dOff++)
        {
            const int sOff = (dOff * 3 + n) % 8;
            const int from = (n * 7 + dOff * 13) % (int)(sweep.size() - n);
            const std::vector<uint32_t> s(sweep.begin() + from, sweep.begin() + from + n);
            const std::vector<uint32_t> d(dst.begin() + from, dst.begin() + from + n);
            const Shifted src(s, sOff);
            for (const bool translucent : {false, true})
            {
                std::vector<uint32_t> want = d;
                BlendRowsScalar::AddRow(want.data(), s.data(), n, translucent);
                Shifted a(d, dOff), b(d, dOff), c(d, dOff);
                AddRow(a.p, src.p, n, translucent);
                BlendRowsSse2::AddRow(b.p, src.p, n, translucent);
                if (RowsUseAvx2())
                    BlendRowsAvx2::AddRow(c.p, src.p, n, translucent);
                else
                    BlendRowsScalar::AddRow(c.p, src.p, n, translucent);
                for (const Shifted* x : {&a, &b, &c})
                {
                    ASSERT_EQ(x->Get(n), want)
                        << "n " << n << " offset " << dOff << " t " << translucent;
                    // Nothing written outside the row.
                    EXPECT_TRUE(x->p[n] == 0 && x->p[-1] == 0) << "n " << n << " offset " << dOff;
                }
            }
            for (uint32_t alpha = 0; alpha < 256; alpha += (n < 20 ? 1 : 17))
            {
                const uint32_t rgb = alpha == 85 ? 0xFFFFFF : (alpha == 170 ? 0 : rng() & 0xFFFFFF);
                std::vector<uint32_t> want = d;
                BlendRowsScalar::BlendCoverageRow(want.data(), n, rgb, alpha);
                Shifted a(d, dOff), b(d, dOff), c(d, dOff);
                BlendCoverageRow(a.p, n, rgb, alpha);
                BlendRowsSse2::BlendCoverageRow(b.p, n, rgb, alpha);
                if (RowsUseAvx2())
                    BlendRowsAvx2::BlendCoverageRow(c.p, n, rgb, alpha);
                else
                    BlendRowsScalar::BlendCoverageRow(c.p, n, rgb, alpha);
                for (const Shifted* x : {&a, &b, &c})
                {
                    ASSERT_EQ(x->Get(n), want) << "n " << n << " offset " << dOff << " a " << alpha;
                    EXPECT_TRUE(x->p[n] == 0 && x->p[-1] == 0) << "n " << n << " offset " << dOff;
                }
            }
        }
}

// Whole-width fills and additive blits hand several rows to one row call; the
// result is still the per-pixel rule, and a partial rectangle stays inside.
TEST(BlendPaths, WholeWidthFillAndAdditiveBlitMatchReference)
{
    std::mt19937 rng(161);
    const int w = 37, h = 300; // more rows than one call takes
    for (int round = 0; round < 4; round++)
    {
        MemoryImage src(nullptr), dst(nullptr);
        Fill(src, w, h, rng);
        Fill(dst, w, h, rng);
        std::vector<uint32_t> px(dst.GetPixels(), dst.GetPixels() + w * h);
        for (size_t i = 0; i < px.size(); i++)
            if (i % 5 != 0)
                px[i] |= 0xFF000000;
        dst.SetPixels(px.data(), w, h, true);
        const Color fill(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF, 1 + rng() % 254);
        const Rect r = (round & 1) ? Rect(0, 7, w, h - 20) : Rect(0, 0, w, h);
        dst.FillRect(&r, &fill, 0);
        std::vector<uint32_t> expect = px;
        for (int y = r.mY; y < r.mY + r.mHeight; y++)
            for (int x = 0; x < w; x++)
                expect[y * w + x] = RefCoverage(expect[y * w + x], fill, fill.mAlpha);
        for (int i = 0; i < w * h; i++)
            ASSERT_EQ(dst.GetPixels()[i], expect[i]) << i;
        ExpectGuard(dst);

        const Rect sr(0, 0, w, h);
        const int y0 = (round & 2) ? 5 : 0; // cut at the bottom
        dst.DrawImage(&src, 0, y0, &sr, &gColorWhite, 1);
        for (int y = y0; y < h; y++)
            for (int x = 0; x < w; x++)
                expect[y * w + x] =
                    RefAdditive(expect[y * w + x], src.GetPixels()[(y - y0) * w + x], gColorWhite,
                                src.mHasTranslucent);
        for (int i = 0; i < w * h; i++)
            ASSERT_EQ(dst.GetPixels()[i], expect[i]) << i;
        ExpectGuard(dst);
    }
}
