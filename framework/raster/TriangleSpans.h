// The span scheme shared by every inner loop, as one template over the
// destination format and the five features. Each named loop instantiates it
// once, so the features are compile-time constants and the per-pixel path has
// no feature tests. Included by the rasterizer's own .cpp files and its tests.
//
// The per-pixel rules below are the readable reference. The nearest loops
// without vertex colours run them in blocks (TriangleSpanBlocks.h), which
// must give the same bits.
//
// Contents: fixed-point helpers / texel fetch and colour / destination formats /
// pixel shading / span blocks / the triangle walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>

#include "framework/raster/TriangleSpanBlocks.h"
#include "framework/raster/TriangleVariants.h"

namespace TriangleSpans
{

enum Format
{
    Format8888,
    Format888,
    Format565,
    Format555,
};

// Interpolated quantities. Texture coordinates come first so that the loops
// without vertex colours interpolate a prefix and the untextured ones a suffix.
enum
{
    QU,
    QV,
    QA,
    QR,
    QG,
    QB,
    QCount
};

// --- fixed-point helpers ---

inline int32_t Ceil16(int32_t a)
{
    return (int32_t)(((int64_t)a + 0xFFFF) >> 16);
}

inline int32_t Snap16(int32_t a)
{
    return (int32_t)(((int64_t)a + 0xFFFF) & ~(int64_t)0xFFFF);
}

// delta / span in 16.16, formed as (delta x (2^48 / span)) >> 32. False when the
// result does not fit 32 bits: the edge or gradient belongs to a needle-thin
// triangle whose 64-bit product would overflow, and nothing is drawn for it.
inline bool Slope16(int64_t delta, int64_t span, int32_t& out)
{
    int64_t deltaMag = delta < 0 ? -delta : delta;
    int64_t spanMag = span < 0 ? -span : span;
    if (spanMag == 0 || deltaMag >= (spanMag << 15))
        return false;
    int64_t inv = ((int64_t)1 << 48) / span;
    out = (int32_t)((delta * inv) >> 32);
    return true;
}

// x of the edge a to b (a above b) on row y, from the end points alone: for
// an edge too flat for Slope16, whose rows lie within its own height, so the
// product stays far inside 64 bits.
template <typename V> inline int32_t FlatEdgeX(const V* a, const V* b, int32_t y)
{
    const int64_t dy = (int64_t)b->Y - a->Y;
    const int64_t at = ((int64_t)y << 16) - a->Y;
    return (int32_t)(a->X + ((int64_t)b->X - a->X) * at / dy);
}

// --- texel fetch and colour ---

// No wrapping and no clamping: anything outside the texel array is transparent black.
inline uint32_t FetchNearest(const uint32_t* texels, uint32_t width, uint32_t count, uint32_t u,
                             uint32_t v)
{
    uint32_t index = (v >> 16) * width + (u >> 16);
    return index < count ? texels[index] : 0;
}

// Four taps weighted by area and by their own alpha; the colour comes back
// premultiplied (0x00RRGGBB) and the summed weight in sampleAlpha.
//
// Per channel the sample is (sum of tap channel x weight) >> 8: every weight is
// at most 254 and the weights sum to at most 255, so each product and each sum
// fits 16 bits and the whole fetch runs exactly in SSE2 16-bit lanes. The
// alpha lane carries 256 in place of the tap alpha, which sums the weights.
inline uint32_t FetchBilinear(const uint32_t* texels, uint32_t width, uint32_t count,
                              uint32_t fastLimit, uint32_t u, uint32_t v, uint32_t& sampleAlpha)
{
    // Half a texel back, so that texel centres sample one tap alone.
    int32_t u1 = (int32_t)(u - 0x8000);
    int32_t v1 = (int32_t)(v - 0x8000);
    int32_t uf = (int32_t)((uint32_t)u1 & 0xFFFF0000u);
    int32_t vf = (int32_t)((uint32_t)v1 & 0xFFFF0000u);
    uint32_t i = (uint32_t)(vf >> 16) * width + (uint32_t)(uf >> 16);
    // Odd fractions 1..0xFFFF keep every complement within 16 bits.
    uint32_t fu = ((uint32_t)(u1 - uf) & 0xFFFE) + 1;
    uint32_t fv = ((uint32_t)(v1 - vf) & 0xFFFE) + 1;

    __m128i taps; // t00, t01 (i + 1), t10 (i + width), t11 (i + width + 1)
    if (i < fastLimit)
        taps = _mm_unpacklo_epi64(_mm_loadl_epi64((const __m128i*)(texels + i)),
                                  _mm_loadl_epi64((const __m128i*)(texels + i + width)));
    else
    {
        // Near the end of the array, or outside it: taps past the end read 0.
        uint32_t t00 = i < count ? texels[i] : 0;
        uint32_t t01 = i + 1 < count ? texels[i + 1] : 0;
        uint32_t t10 = i + width < count ? texels[i + width] : 0;
        uint32_t t11 = i + width + 1 < count ? texels[i + width + 1] : 0;
        taps = _mm_set_epi32((int)t11, (int)t10, (int)t01, (int)t00);
    }

    // Areas (1-fu)(1-fv), fu(1-fv), (1-fu)fv, fu fv, each >> 16, in lanes 0-3.
    __m128i us = _mm_shufflelo_epi16(_mm_cvtsi32_si128((int)((0x10000 - fu) | (fu << 16))),
                                     _MM_SHUFFLE(1, 0, 1, 0));
    __m128i vs = _mm_shufflelo_epi16(_mm_cvtsi32_si128((int)((0x10000 - fv) | (fv << 16))),
                                     _MM_SHUFFLE(1, 1, 0, 0));
    __m128i area = _mm_mulhi_epu16(us, vs);
    __m128i alpha = _mm_srli_epi32(taps, 24);
    alpha = _mm_packs_epi32(alpha, alpha);
    __m128i w = _mm_mulhi_epu16(area, alpha); // (area x a) >> 16
    w = _mm_unpacklo_epi16(w, w);
    __m128i w01 = _mm_unpacklo_epi32(w, w); // w00 x4, w01 x4
    __m128i w23 = _mm_unpackhi_epi32(w, w); // w10 x4, w11 x4

    const __m128i zero = _mm_setzero_si128();
    const __m128i colorLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i weightLane = _mm_set_epi16(256, 0, 0, 0, 256, 0, 0, 0);
    __m128i c01 =
        _mm_or_si128(_mm_and_si128(_mm_unpacklo_epi8(taps, zero), colorLanes), weightLane);
    __m128i c23 =
        _mm_or_si128(_mm_and_si128(_mm_unpackhi_epi8(taps, zero), colorLanes), weightLane);
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(c01, w01), _mm_mullo_epi16(c23, w23));
    sum = _mm_add_epi16(sum, _mm_srli_si128(sum, 8));
    sum = _mm_srli_epi16(sum, 8);
    uint32_t packed = (uint32_t)_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum));
    sampleAlpha = packed >> 24;
    return packed & 0xFFFFFF;
}

// Each channel of c times its factor (0-255), truncated: (channel x factor) >> 8.
inline uint32_t Modulate(uint32_t c, uint32_t fr, uint32_t fg, uint32_t fb)
{
    return ((((c & 0xFF0000) * fr) & 0xFF000000u) | (((c & 0xFF00) * fg) & 0xFF0000) |
            (((c & 0xFF) * fb) & 0xFF00)) >>
           8;
}

// Negative 8.16 colour values (as unsigned) become 0.
inline uint32_t ClampColor(uint32_t c)
{
    return c & ~(uint32_t)((int32_t)c >> 31);
}

// --- destination formats ---
//
// Each format supplies: OpaqueTexel (store a source colour), BlendStraight (a
// nearest source, not premultiplied), BlendPremul (a bilinear source, already
// weighted by its alpha), and the untextured store and blend of 8.16 colours.

template <int Fmt> struct Dest;

// Porter-Duff over against the destination's own alpha, divided by the result alpha.
template <> struct Dest<Format8888>
{
    typedef uint32_t Pixel;
    enum
    {
        BytesPerPixel = 4
    };

    static void Over(Pixel* dp, uint32_t srcR, uint32_t srcG, uint32_t srcB, uint32_t sa)
    {
        uint32_t d = *dp;
        uint32_t da = d >> 24;
        uint32_t outA = 256 - (((256 - da) * (256 - sa)) >> 8);
        // A fully transparent source over a fully transparent pixel has no
        // result alpha to divide by; the pixel stays as it is.
        if (outA == 0)
            return;
        uint32_t k = 256 - sa;
        uint32_t r = ((((((d & 0xFF0000) * da) >> 8) & 0xFF0000) * k + srcR) / outA) & 0xFF0000;
        uint32_t g = ((((((d & 0xFF00) * da) >> 8) & 0xFF00) * k + srcG) / outA) & 0xFF00;
        uint32_t b = ((((((d & 0xFF) * da) >> 8) & 0xFF) * k + srcB) / outA) & 0xFF;
        *dp = r | g | b | ((outA - 1) << 24);
    }
    static void OpaqueTexel(Pixel* dp, uint32_t c) { *dp = c | 0xFF000000u; }
    static void BlendStraight(Pixel* dp, uint32_t c, uint32_t sa)
    {
        Over(dp, ((c & 0xFF0000) * sa) & 0xFF000000u, ((c & 0xFF00) * sa) & 0xFF0000,
             ((c & 0xFF) * sa) & 0xFF00, sa);
    }
    static void BlendPremul(Pixel* dp, uint32_t p, uint32_t sa)
    {
        Over(dp, (p & 0xFF0000) << 8, (p & 0xFF00) << 8, (p & 0xFF) << 8, sa);
    }
    static void OpaqueColor(Pixel* dp, uint32_t r, uint32_t g, uint32_t b)
    {
        *dp = 0xFF000000u | (r & 0xFFFF0000u) | ((g >> 8) & 0xFF00) | ((b >> 16) & 0xFF);
    }
    // Red keeps 16 fraction bits in its source term, green 8 and blue none.
    static void BlendColor(Pixel* dp, uint32_t r, uint32_t g, uint32_t b, uint32_t sa)
    {
        Over(dp, (r * sa) & 0xFF000000u, ((g >> 8) * sa) & 0xFF0000, ((b >> 16) * sa) & 0xFF00, sa);
    }
};

// A plain weighted sum without division; the alpha byte is never read and always 0xFF.
template <> struct Dest<Format888>
{
    typedef uint32_t Pixel;
    enum
    {
        BytesPerPixel = 4
    };

    static void Mix(Pixel* dp, uint32_t srcPart, uint32_t sa)
    {
        uint32_t d = *dp;
        uint32_t k = 255 - sa;
        uint32_t dst =
            ((((d & 0xFF00FF) * k) & 0xFF00FF00u) | (((d & 0xFF00) * k) & 0xFF0000)) >> 8;
        *dp = (dst + srcPart) | 0xFF000000u;
    }
    static void OpaqueTexel(Pixel* dp, uint32_t c) { *dp = c | 0xFF000000u; }
    static void BlendStraight(Pixel* dp, uint32_t c, uint32_t sa)
    {
        Mix(dp, ((((c & 0xFF00FF) * sa) >> 8) & 0xFF00FF) | ((((c & 0xFF00) * sa) >> 8) & 0xFF00),
            sa);
    }
    static void BlendPremul(Pixel* dp, uint32_t p, uint32_t sa) { Mix(dp, p, sa); }
    static void OpaqueColor(Pixel* dp, uint32_t r, uint32_t g, uint32_t b)
    {
        *dp = 0xFF000000u | (((r >> 16) & 0xFF) << 16) | (((g >> 16) & 0xFF) << 8) |
              ((b >> 16) & 0xFF);
    }
    static void BlendColor(Pixel* dp, uint32_t r, uint32_t g, uint32_t b, uint32_t sa)
    {
        Mix(dp,
            (((((r & 0xFF0000) | (b >> 16)) * sa) >> 8) & 0xFF00FF) |
                ((((g & 0xFF0000) * sa) >> 16) & 0xFF00),
            sa);
    }
};

// The two 16-bit rows differ only in their field layout; red and blue share one
// product in every scaling.
template <bool Is565> struct Dest16
{
    typedef uint16_t Pixel;
    enum
    {
        BytesPerPixel = 2
    };

    static uint32_t Pack(uint32_t c)
    {
        if (Is565)
            return ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F);
        return ((c >> 9) & 0x7C00) | ((c >> 6) & 0x03E0) | ((c >> 3) & 0x001F);
    }
    // Each field f becomes (f x ((255 - a) >> 3)) >> 5.
    static uint32_t ScaleDest(uint32_t d, uint32_t a)
    {
        uint32_t k = (255 - a) >> 3;
        if (Is565)
        {
            uint32_t rb = ((d & 0xF81F) * k) >> 5;
            uint32_t g = ((d & 0x07E0) * k) >> 5;
            return ((g ^ rb) & 0x07E0) ^ rb;
        }
        return ((((d & 0x03E0) * k) >> 5) & 0x03E0) | ((((d & 0x7C1F) * k) >> 5) & 0x7C1F);
    }
    static uint32_t PremulPack(uint32_t c, uint32_t a)
    {
        uint32_t rb = (((c & 0xFF00FF) * a) >> 8) & 0xFF00FF;
        if (Is565)
            return ((rb >> 3) & 0x001F) | ((rb >> 8) & 0xF800) |
                   ((((c & 0xFF00) * a) >> 13) & 0x07E0);
        return ((rb >> 3) & 0x001F) | ((rb >> 9) & 0x7C00) | ((((c & 0xFF00) * a) >> 14) & 0x03E0);
    }
    static void OpaqueTexel(Pixel* dp, uint32_t c) { *dp = (Pixel)Pack(c); }
    static void BlendStraight(Pixel* dp, uint32_t c, uint32_t sa)
    {
        *dp = (Pixel)(ScaleDest(*dp, sa) + PremulPack(c, sa));
    }
    static void BlendPremul(Pixel* dp, uint32_t p, uint32_t sa)
    {
        *dp = (Pixel)(ScaleDest(*dp, sa) + Pack(p));
    }
    static void OpaqueColor(Pixel* dp, uint32_t r, uint32_t g, uint32_t b)
    {
        if (Is565)
            *dp = (Pixel)(((r >> 8) & 0xF800) | ((g >> 13) & 0x07E0) | ((b >> 19) & 0x001F));
        else
            *dp = (Pixel)(((r >> 9) & 0x7C00) | ((g >> 14) & 0x03E0) | ((b >> 19) & 0x001F));
    }
    static void BlendColor(Pixel* dp, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
    {
        uint32_t rb = ((((r & 0xFF0000) | (b >> 16)) * a) >> 8) & 0xFF00FF;
        uint32_t s;
        if (Is565)
            s = ((rb >> 3) & 0x001F) | ((rb >> 8) & 0xF800) |
                ((((g & 0xFF0000) * a) >> 21) & 0x07E0);
        else
            s = ((rb >> 3) & 0x001F) | ((rb >> 9) & 0x7C00) |
                ((((g & 0xFF0000) * a) >> 22) & 0x03E0);
        *dp = (Pixel)(ScaleDest(*dp, a) + s);
    }
};

template <> struct Dest<Format565> : Dest16<true>
{
};
template <> struct Dest<Format555> : Dest16<false>
{
};

// --- pixel shading ---

// What one span needs besides the interpolated values.
struct SpanContext
{
    const uint32_t* texels;
    uint32_t width;
    uint32_t count;
    uint32_t fastLimit;      // bilinear: below this index all four taps lie in the array
    uint32_t rows;           // whole rows of width texels in the array
    uint32_t gA, gR, gG, gB; // global colour
};

template <int Fmt, bool T, bool TA, bool VC, bool GC, bool BL>
inline void ShadePixel(typename Dest<Fmt>::Pixel* dp, const SpanContext& ctx, uint32_t u,
                       uint32_t v, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    typedef Dest<Fmt> D;
    if constexpr (VC)
    {
        // Truncating steps can carry a channel that is 0 at a vertex a few units
        // below zero; read unsigned it would be a huge, opaque value.
        a = ClampColor(a);
        r = ClampColor(r);
        g = ClampColor(g);
        b = ClampColor(b);
    }
    if constexpr (!T)
    {
        // Untextured vertex colour: 8.0 or less is skipped, above 240.0 is opaque.
        if (a <= 0x80000)
            return;
        if (a > 0xF00000)
            D::OpaqueColor(dp, r, g, b);
        else
            D::BlendColor(dp, r, g, b, a >> 16);
    }
    else
    {
        uint32_t c, ta;
        if constexpr (BL)
            c = FetchBilinear(ctx.texels, ctx.width, ctx.count, ctx.fastLimit, u, v, ta);
        else
        {
            c = FetchNearest(ctx.texels, ctx.width, ctx.count, u, v);
            ta = c >> 24;
        }
        if constexpr (TA)
        {
            if (ta <= 8)
                return;
        }
        constexpr bool kColored = VC || GC;
        if constexpr (!TA && !kColored)
        {
            D::OpaqueTexel(dp, c);
            return;
        }
        uint32_t src = c;
        uint32_t sa = ta;
        if constexpr (kColored)
        {
            uint32_t fr, fg, fb, af;
            if constexpr (VC && GC)
            {
                fr = (ctx.gR * r) >> 24;
                fg = (ctx.gG * g) >> 24;
                fb = (ctx.gB * b) >> 24;
                af = (ctx.gA * a) >> 24;
            }
            else if constexpr (VC)
            {
                fr = r >> 16;
                fg = g >> 16;
                fb = b >> 16;
                af = a >> 16;
            }
            else
            {
                fr = ctx.gR;
                fg = ctx.gG;
                fb = ctx.gB;
                af = ctx.gA;
            }
            src = Modulate(c, fr, fg, fb);
            if constexpr (BL)
                src = Modulate(src, af, af, af);
            sa = (af * (TA ? ta : 255)) >> 8;
        }
        if (sa >= 240)
            D::OpaqueTexel(dp, src);
        else if constexpr (BL)
            D::BlendPremul(dp, src, sa);
        else
            D::BlendStraight(dp, src, sa);
    }
}

template <int Fmt, bool T, bool TA, bool VC, bool GC, bool BL>
inline void DrawSpanScalar(typename Dest<Fmt>::Pixel* dp, int n, const SpanContext& ctx,
                           const uint32_t* q, const uint32_t* dq)
{
    uint32_t u = q[QU], v = q[QV], a = q[QA], r = q[QR], g = q[QG], b = q[QB];
    const uint32_t du = dq[QU], dv = dq[QV], da = dq[QA], dr = dq[QR], dg = dq[QG], db = dq[QB];
    for (; n > 0; --n, ++dp)
    {
        ShadePixel<Fmt, T, TA, VC, GC, BL>(dp, ctx, u, v, a, r, g, b);
        if constexpr (T)
        {
            u += du;
            v += dv;
        }
        if constexpr (VC)
        {
            a += da;
            r += dr;
            g += dg;
            b += db;
        }
    }
}

// --- span blocks ---

// Which loops run their spans in blocks: the nearest ones without vertex
// colours. The plain texture copy of the 32-bit rows stays per pixel; it
// is a load and a store either way.
template <int Fmt, bool T, bool TA, bool VC, bool GC, bool BL>
constexpr bool kSpanBlocks = T && !VC && !BL && (TA || GC || Fmt == Format565 || Fmt == Format555);

// Writes up to eight pixels from eight texels.
template <int Fmt, bool TA, bool GC>
SPAN_BLOCK_INLINE void StoreBlock(typename Dest<Fmt>::Pixel* dp, int count, __m128i t0, __m128i t1,
                                  const BlockColor& gc)
{
    if constexpr (Fmt == Format8888)
    {
        const BlockSource s[2] = {NearestBlockSource<TA, GC>(t0, gc),
                                  NearestBlockSource<TA, GC>(t1, gc)};
        // Without a colour the texture alpha loops blend only sa above 8.
        int lanes = StoreBlock8888<GC>(dp, s[0]) | (StoreBlock8888<GC>(dp + 4, s[1]) << 4);
        lanes &= (1 << count) - 1;
        if (lanes == 0)
            return;
        // Blends with a result alpha other than 256 take the scalar rule; its
        // three divisions measured as fast as one division and three
        // multiplies by an exact reciprocal.
        uint32_t color[8], alpha[8];
        _mm_storeu_si128((__m128i*)color, s[0].color);
        _mm_storeu_si128((__m128i*)(color + 4), s[1].color);
        _mm_storeu_si128((__m128i*)alpha, s[0].alpha);
        _mm_storeu_si128((__m128i*)(alpha + 4), s[1].alpha);
        for (int i = 0; i < 8; ++i)
            if (lanes & (1 << i))
                Dest<Format8888>::BlendStraight(dp + i, color[i], alpha[i]);
    }
    else if constexpr (Fmt == Format888)
    {
        StoreBlock888(dp, NearestBlockSource<TA, GC>(t0, gc));
        StoreBlock888(dp + 4, NearestBlockSource<TA, GC>(t1, gc));
    }
    else
        Block16<Fmt == Format565>::Store(dp, NearestPlanarSource<TA, GC>(t0, t1, gc));
}

// True when every step of a span reads inside the texel array: u and v lie
// inside the texture at both ends, and so all the way between them.
inline bool SpanInsideTexture(const SpanContext& ctx, uint32_t u, uint32_t v, uint32_t du,
                              uint32_t dv, int n)
{
    const int64_t uLimit = (int64_t)ctx.width << 16, vLimit = (int64_t)ctx.rows << 16;
    const int64_t uEnd = (int64_t)u + (int64_t)(int32_t)du * (n - 1);
    const int64_t vEnd = (int64_t)v + (int64_t)(int32_t)dv * (n - 1);
    return u < uLimit && v < vLimit && uEnd >= 0 && uEnd < uLimit && vEnd >= 0 && vEnd < vLimit;
}

template <int Fmt, bool TA, bool GC, FetchKind Kind>
inline void DrawSpanBlocks(typename Dest<Fmt>::Pixel* dp, int n, const SpanContext& ctx, uint32_t u,
                           uint32_t v, uint32_t du, uint32_t dv)
{
    typedef typename Dest<Fmt>::Pixel Pixel;
    const BlockColor gc = GC ? MakeBlockColor(ctx.gR, ctx.gG, ctx.gB, ctx.gA) : BlockColor{};
    NearestFetch<Kind> fetch(ctx.texels, ctx.width, ctx.count, u, v, du, dv);
    for (; n >= 8; n -= 8, dp += 8)
    {
        const __m128i t0 = fetch.Next();
        const __m128i t1 = fetch.Next();
        StoreBlock<Fmt, TA, GC>(dp, 8, t0, t1, gc);
    }
    if (n > 0)
    {
        // The last few pixels go through a whole block on a copy. The steps
        // past the span's end are fetched checked and never stored.
        Pixel copy[8] = {};
        memcpy(copy, dp, n * sizeof(Pixel));
        NearestFetch<kFetchChecked> rest(ctx.texels, ctx.width, ctx.count,
                                         (uint32_t)_mm_cvtsi128_si32(fetch.u),
                                         (uint32_t)_mm_cvtsi128_si32(fetch.v), du, dv);
        const __m128i t0 = rest.Next();
        const __m128i t1 = rest.Next();
        StoreBlock<Fmt, TA, GC>(copy, n, t0, t1, gc);
        memcpy(dp, copy, n * sizeof(Pixel));
    }
}

template <int Fmt, bool T, bool TA, bool VC, bool GC, bool BL>
inline void DrawSpan(typename Dest<Fmt>::Pixel* dp, int n, const SpanContext& ctx,
                     const uint32_t* q, const uint32_t* dq)
{
    if constexpr (kSpanBlocks<Fmt, T, TA, VC, GC, BL>)
    {
        // The block fetch multiplies in 16 bits; wider textures take the scalar rule.
        if (ctx.width < 0x10000)
        {
            const uint32_t u = q[QU], v = q[QV], du = dq[QU], dv = dq[QV];
            if (ctx.width < 0x8000 && ctx.rows < 0x8000 && SpanInsideTexture(ctx, u, v, du, dv, n))
                DrawSpanBlocks<Fmt, TA, GC, kFetchSmall>(dp, n, ctx, u, v, du, dv);
            else
                DrawSpanBlocks<Fmt, TA, GC, kFetchChecked>(dp, n, ctx, u, v, du, dv);
            return;
        }
    }
    if constexpr (T && !TA && !VC && !GC && !BL && (Fmt == Format8888 || Fmt == Format888))
    {
        // A picture drawn a texel to a pixel (moved, never scaled or turned)
        // copies a row of its texels: the walk would fetch the same ones.
        // Clipping leaves the steps a unit or so off one texel; they still
        // are when the span's last pixel lands a whole row of texels on, in
        // the same texel row, since every step then moves one texel.
        const uint32_t u = q[QU], v = q[QV], du = dq[QU], dv = dq[QV];
        const int64_t last = n - 1;
        if (n > 0 && (int32_t)du > 0x8000 && (int32_t)du < 0x20000 &&
            SpanInsideTexture(ctx, u, v, du, dv, n) &&
            (((int64_t)u + (int32_t)du * last) >> 16) == (int64_t)(u >> 16) + last &&
            (((int64_t)v + (int32_t)dv * last) >> 16) == (int64_t)(v >> 16))
        {
            const uint32_t* from = ctx.texels + (size_t)(v >> 16) * ctx.width + (u >> 16);
            for (int i = 0; i < n; i++)
                Dest<Fmt>::OpaqueTexel(dp + i, from[i]);
            return;
        }
    }
    DrawSpanScalar<Fmt, T, TA, VC, GC, BL>(dp, n, ctx, q, dq);
}

// --- the triangle walk ---

struct WalkVertex
{
    int32_t X, Y;
    int32_t q[QCount];
};

// Sorts by Y, sets up the long edge, the row gradients and the two short edges
// in 16.16, and draws every row: pixel (x, y) is covered when
// ceil(top) <= y < ceil(bottom) and ceil(left edge) <= x < ceil(right edge).
template <int Fmt, bool T, bool TA, bool VC, bool GC, bool BL>
void DrawTriangleSpans(const PreparedVertex* in, void* bits, int pitch,
                       const TriangleTextureInfo* tex, const TriangleColorInfo* col)
{
    typedef Dest<Fmt> D;
    typedef typename D::Pixel Pixel;
    constexpr int qFirst = T ? QU : QA;
    constexpr int qEnd = VC ? QCount : QA;

    WalkVertex w[3];
    for (int i = 0; i < 3; ++i)
    {
        w[i].X = in[i].X;
        w[i].Y = in[i].Y;
        w[i].q[QU] = in[i].U;
        w[i].q[QV] = in[i].V;
        w[i].q[QA] = in[i].A;
        w[i].q[QR] = in[i].R;
        w[i].q[QG] = in[i].G;
        w[i].q[QB] = in[i].B;
        if constexpr (VC && GC)
        {
            // The global colour scales the vertex colours once, on our own copies.
            w[i].q[QA] = (int32_t)(((uint32_t)in[i].A * (uint32_t)col->alpha) >> 8);
            w[i].q[QR] = (int32_t)(((uint32_t)in[i].R * (uint32_t)col->red) >> 8);
            w[i].q[QG] = (int32_t)(((uint32_t)in[i].G * (uint32_t)col->green) >> 8);
            w[i].q[QB] = (int32_t)(((uint32_t)in[i].B * (uint32_t)col->blue) >> 8);
        }
    }

    const WalkVertex* top = &w[0];
    const WalkVertex* mid = &w[1];
    const WalkVertex* bot = &w[2];
    const WalkVertex* swap;
    if (top->Y > mid->Y)
        swap = top, top = mid, mid = swap;
    if (mid->Y > bot->Y)
        swap = mid, mid = bot, bot = swap;
    if (top->Y > mid->Y)
        swap = top, top = mid, mid = swap;

    int32_t firstRow = Ceil16(top->Y);
    int32_t midRow = Ceil16(mid->Y);
    int32_t endRow = Ceil16(bot->Y);
    if (firstRow == endRow)
        return;

    // Long edge, top to bottom.
    int64_t longDy = (int64_t)bot->Y - top->Y;
    int32_t dXdy;
    if (!Slope16((int64_t)bot->X - top->X, longDy, dXdy))
        return;
    int32_t dqdy[QCount] = {};
    for (int i = qFirst; i < qEnd; ++i)
        if (!Slope16((int64_t)bot->q[i] - top->q[i], longDy, dqdy[i]))
            return;
    int64_t midDy = (int64_t)mid->Y - top->Y;
    int32_t xAtMid = (int32_t)(top->X + (((int64_t)dXdy * midDy) >> 16));
    if (xAtMid == mid->X)
        return;

    // Gradients along a row, measured once at the middle vertex.
    int64_t width = (int64_t)mid->X - xAtMid;
    int32_t dqdx[QCount] = {};
    for (int i = qFirst; i < qEnd; ++i)
    {
        int64_t across = (int64_t)mid->q[i] - (((int64_t)dqdy[i] * midDy) >> 16) - top->q[i];
        if (!Slope16(across, width, dqdx[i]))
            return;
    }

    // Short edges. One too flat for a 16.16 slope spans a row or two at most
    // (a clip line a hair off a corner makes such edges on large pictures);
    // its x is then worked out for each of those rows, and the triangle,
    // however large, is still drawn.
    int32_t dXsUpper = 0, dXsLower = 0;
    const bool flatUpper = firstRow < midRow && !Slope16((int64_t)mid->X - top->X, midDy, dXsUpper);
    const bool flatLower =
        midRow < endRow && !Slope16((int64_t)bot->X - mid->X, (int64_t)bot->Y - mid->Y, dXsLower);

    // Prestep to the first sampled row.
    int32_t pre = (int32_t)(((int64_t)firstRow << 16) - top->Y);
    int32_t xLong = (int32_t)(top->X + (((int64_t)dXdy * pre) >> 16));
    uint32_t qLong[QCount] = {};
    for (int i = qFirst; i < qEnd; ++i)
        qLong[i] = (uint32_t)top->q[i] + (uint32_t)(int32_t)(((int64_t)dqdy[i] * pre) >> 16);
    const bool longOnRight = xAtMid > mid->X;

    SpanContext ctx = {};
    if constexpr (T)
    {
        ctx.texels = tex->texels;
        ctx.width = (uint32_t)tex->width;
        ctx.count = (uint32_t)tex->texelCount;
        ctx.fastLimit = ctx.count > ctx.width + 1 ? ctx.count - ctx.width - 1 : 0;
        ctx.rows = ctx.width ? ctx.count / ctx.width : 0;
    }
    if constexpr (GC)
    {
        ctx.gA = (uint32_t)col->alpha;
        ctx.gR = (uint32_t)col->red;
        ctx.gG = (uint32_t)col->green;
        ctx.gB = (uint32_t)col->blue;
    }

    // The pitch counts in whole pixels, rounded down.
    const ptrdiff_t rowStep =
        (ptrdiff_t)(pitch >> (D::BytesPerPixel == 4 ? 2 : 1)) * D::BytesPerPixel;
    unsigned char* row = (unsigned char*)bits + (ptrdiff_t)firstRow * rowStep;

    auto drawRows = [&](int32_t fromRow, int32_t toRow, int32_t xShort, int32_t dXs,
                        const WalkVertex* flatFrom, const WalkVertex* flatTo)
    {
        for (int32_t y = fromRow; y < toRow; ++y)
        {
            if (flatFrom)
                xShort = FlatEdgeX(flatFrom, flatTo, y);
            int32_t start = Snap16(longOnRight ? xShort : xLong);
            int32_t end = Snap16(longOnRight ? xLong : xShort);
            if ((int64_t)end - start >= 0x10000)
            {
                int32_t offset = start - xLong;
                uint32_t q0[QCount] = {};
                for (int i = qFirst; i < qEnd; ++i)
                    q0[i] =
                        qLong[i] + (uint32_t)(int32_t)(((int64_t)(int32_t)dqdx[i] * offset) >> 16);
                DrawSpan<Fmt, T, TA, VC, GC, BL>((Pixel*)row + (start >> 16),
                                                 (int)(((int64_t)end - start) >> 16), ctx, q0,
                                                 (const uint32_t*)dqdx);
            }
            xLong += dXdy;
            xShort += dXs;
            for (int i = qFirst; i < qEnd; ++i)
                qLong[i] += (uint32_t)dqdy[i];
            row += rowStep;
        }
    };

    if (firstRow < midRow)
        drawRows(firstRow, midRow, (int32_t)(top->X + (((int64_t)dXsUpper * pre) >> 16)), dXsUpper,
                 flatUpper ? top : nullptr, mid);
    if (midRow < endRow)
    {
        int32_t preMid = (int32_t)(((int64_t)midRow << 16) - mid->Y);
        drawRows(midRow, endRow, (int32_t)(mid->X + (((int64_t)dXsLower * preMid) >> 16)), dXsLower,
                 flatLower ? mid : nullptr, bot);
    }
}

} // namespace TriangleSpans
