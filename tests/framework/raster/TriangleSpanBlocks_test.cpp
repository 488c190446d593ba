#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "framework/raster/TriangleSpans.h"

using namespace TriangleSpans;

namespace
{

// Alphas on and around every threshold of the pixel rules.
const uint32_t kAlphas[] = {0, 1, 8, 9, 40, 128, 200, 239, 240, 254, 255};

uint32_t RandomAlpha(std::mt19937& rng)
{
    return kAlphas[rng() % (sizeof kAlphas / sizeof kAlphas[0])];
}

// One span drawn by the block loop and by the per-pixel reference over the
// same random destination; true when every pixel agrees.
template <int Fmt, bool TA, bool GC> void CompareSpans(uint32_t seed)
{
    typedef typename Dest<Fmt>::Pixel Pixel;
    std::mt19937 rng(seed);
    const uint32_t width = 1 + rng() % 24, height = 1 + rng() % 24;
    std::vector<uint32_t> texels(width * height);
    for (uint32_t& t : texels)
        t = RandomAlpha(rng) << 24 | (rng() & 0xFFFFFF);

    SpanContext ctx = {};
    ctx.texels = texels.data();
    ctx.width = width;
    ctx.count = width * height;
    ctx.rows = height;
    ctx.gA = rng() % 3 ? RandomAlpha(rng) : rng() & 0xFF;
    ctx.gR = rng() & 0xFF;
    ctx.gG = rng() & 0xFF;
    ctx.gB = rng() & 0xFF;

    const int n = 1 + rng() % 40;
    // Steps that stay inside the texture, and steps that run off either side
    // or start far outside it.
    uint32_t q[QCount] = {}, dq[QCount] = {};
    q[QU] = rng() % (width << 16);
    q[QV] = rng() % (height << 16);
    dq[QU] = (uint32_t)((int32_t)(rng() % 0x40000) - 0x20000);
    dq[QV] = (uint32_t)((int32_t)(rng() % 0x40000) - 0x20000);
    if (rng() % 4 == 0)
    {
        q[QU] = rng();
        q[QV] = rng();
    }
    else if (rng() % 2)
    {
        dq[QU] /= 16;
        dq[QV] /= 16;
    }

    // Destination pixels with the alphas the 0x8888 blend divides by.
    std::vector<Pixel> expected(n);
    for (Pixel& p : expected)
        p = (Pixel)(RandomAlpha(rng) << 24 | (rng() & 0xFFFFFF));
    if (rng() % 2)
        for (Pixel& p : expected)
            p = (Pixel)(p | 0xFF000000u);
    std::vector<Pixel> actual = expected;

    DrawSpanScalar<Fmt, true, TA, false, GC, false>(expected.data(), n, ctx, q, dq);
    DrawSpan<Fmt, true, TA, false, GC, false>(actual.data(), n, ctx, q, dq);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(expected[i], actual[i]) << "format " << Fmt << " TA " << TA << " GC " << GC
                                          << " seed " << seed << " pixel " << i << " of " << n;
}

template <int Fmt> void CompareFormat()
{
    for (uint32_t seed = 0; seed < 3000; ++seed)
    {
        CompareSpans<Fmt, false, false>(seed);
        CompareSpans<Fmt, true, false>(seed);
        CompareSpans<Fmt, false, true>(seed);
        CompareSpans<Fmt, true, true>(seed);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace

TEST(TriangleSpanBlocks, NearestBlocksMatchThePixelRulesInEveryFormat)
{
    CompareFormat<Format8888>();
    CompareFormat<Format888>();
    CompareFormat<Format565>();
    CompareFormat<Format555>();
}
