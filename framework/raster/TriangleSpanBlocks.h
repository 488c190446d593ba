// Block forms of the nearest-texel span loops: four texel indices formed at
// once, the texels fetched one by one, then coloured, tested and written
// eight (16-bit rows) or four (32-bit rows) pixels at a time in SSE2 lanes.
// Every lane computes exactly what the scalar pixel rules of TriangleSpans.h
// compute; those stay the reference and the tests hold the two together.
//
// Contents: nearest fetch / paired lanes / the source of a block /
// destination formats.
#pragma once

#include <cstdint>
#include <emmintrin.h>

// The block helpers must inline into their loop: passed through memory, the
// vectors would cost more than the work they carry.
#define SPAN_BLOCK_INLINE inline __attribute__((always_inline))

namespace TriangleSpans
{

// --- nearest fetch ---

// How a span's texel indices are formed and tested.
enum FetchKind
{
    kFetchChecked, // indices at or past the texel count read 0
    kFetchSmall,   // every index lies inside the array; row, column, width below 2^15
};

// Four nearest texels at a time along a span: the indices (v >> 16) x width
// + (u >> 16) of four steps in one vector, unsigned 32-bit as FetchNearest
// forms them.
template <FetchKind Kind> struct NearestFetch
{
    const uint32_t* texels;
    __m128i u, v;      // this step and the next three
    __m128i du4, dv4;  // four steps
    __m128i width;     // below 2^16 (the caller's condition)
    __m128i countBias; // texel count, biased for a signed compare

    NearestFetch(const uint32_t* t, uint32_t w, uint32_t count, uint32_t u0, uint32_t v0,
                 uint32_t du, uint32_t dv)
    {
        // With no texels every index is out of range; the masked loads still
        // need somewhere to read.
        static const uint32_t none[1] = {0};
        texels = count ? t : none;
        u = _mm_set_epi32((int)(u0 + 3 * du), (int)(u0 + 2 * du), (int)(u0 + du), (int)u0);
        v = _mm_set_epi32((int)(v0 + 3 * dv), (int)(v0 + 2 * dv), (int)(v0 + dv), (int)v0);
        du4 = _mm_set1_epi32((int)(4 * du));
        dv4 = _mm_set1_epi32((int)(4 * dv));
        // kFetchSmall: row | column << 16 times width | 1 << 16 in one
        // multiply-add of signed 16-bit halves.
        width = _mm_set1_epi32((int)(Kind == kFetchSmall ? w | 0x10000 : w));
        countBias = _mm_set1_epi32((int)(count ^ 0x80000000u));
    }

    SPAN_BLOCK_INLINE __m128i Next()
    {
        const __m128i row = _mm_srli_epi32(v, 16);
        __m128i index;
        if (Kind == kFetchSmall)
            index = _mm_madd_epi16(
                _mm_or_si128(row, _mm_and_si128(u, _mm_set1_epi32((int)0xFFFF0000u))), width);
        else
        {
            // Row and width both fit 16 bits, so the low and high halves of
            // their 16-bit product make the whole 32-bit one.
            const __m128i product = _mm_or_si128(_mm_mullo_epi16(row, width),
                                                 _mm_slli_epi32(_mm_mulhi_epu16(row, width), 16));
            index = _mm_add_epi32(product, _mm_srli_epi32(u, 16));
        }
        __m128i inside = _mm_setzero_si128();
        if (Kind == kFetchChecked)
        {
            inside =
                _mm_cmplt_epi32(_mm_xor_si128(index, _mm_set1_epi32((int)0x80000000u)), countBias);
            index = _mm_and_si128(index, inside);
        }
        // The indices leave through memory: four reads on the load ports
        // measured faster than the shuffles and moves the compiler would
        // otherwise use, and the empty statement keeps it from doing so.
        alignas(16) uint32_t at[4];
        _mm_store_si128((__m128i*)at, index);
        __asm__("" : "+m"(at));
        const uint32_t i0 = at[0], i1 = at[1], i2 = at[2], i3 = at[3];
        __m128i t = _mm_unpacklo_epi64(_mm_unpacklo_epi32(_mm_cvtsi32_si128((int)texels[i0]),
                                                          _mm_cvtsi32_si128((int)texels[i1])),
                                       _mm_unpacklo_epi32(_mm_cvtsi32_si128((int)texels[i2]),
                                                          _mm_cvtsi32_si128((int)texels[i3])));
        u = _mm_add_epi32(u, du4);
        v = _mm_add_epi32(v, dv4);
        if (Kind == kFetchChecked)
            t = _mm_and_si128(t, inside);
        return t;
    }
};

// --- paired lanes ---
//
// A pixel 0xAARRGGBB splits into two vectors of 16-bit halves: blue and red
// (p & 0x00FF00FF), green and alpha ((p >> 8) & 0x00FF00FF). A factor of
// 0..256 in both halves of a lane then scales two channels with one 16-bit
// multiply, each product below 2^16. The alpha half is scaled along with
// green; what it holds is overwritten or ignored by every caller.

SPAN_BLOCK_INLINE __m128i LowPairs(__m128i p)
{
    return _mm_and_si128(p, _mm_set1_epi32(0x00FF00FF));
}

SPAN_BLOCK_INLINE __m128i HighPairs(__m128i p)
{
    return _mm_and_si128(_mm_srli_epi32(p, 8), _mm_set1_epi32(0x00FF00FF));
}

// Lane values below 2^16 in both halves of their lane.
SPAN_BLOCK_INLINE __m128i BothHalves(__m128i v)
{
    return _mm_or_si128(v, _mm_slli_epi32(v, 16));
}

// (x f) >> 8 in each 16-bit half.
SPAN_BLOCK_INLINE __m128i ScalePairs(__m128i x, __m128i f)
{
    return _mm_srli_epi16(_mm_mullo_epi16(x, f), 8);
}

// Halves of at most 255 back into pixels; the alpha half's bits past the
// byte fall out of the lane.
SPAN_BLOCK_INLINE __m128i JoinPairs(__m128i low, __m128i high)
{
    return _mm_or_si128(low, _mm_slli_epi32(high, 8));
}

// Each colour channel of four pixels times its pixel's alpha, (c x a) >> 8;
// the alpha byte is left undefined.
SPAN_BLOCK_INLINE __m128i PremultiplyBlock(__m128i c, __m128i alpha)
{
    const __m128i a = BothHalves(alpha);
    return JoinPairs(ScalePairs(LowPairs(c), a), ScalePairs(HighPairs(c), a));
}

// --- the source of a block ---

// Lane masks and values of four pixels, 32 bits a lane.
struct BlockSource
{
    __m128i color;  // colour channels after modulation (the texel itself without it)
    __m128i alpha;  // source alpha sa, 0..255
    __m128i skip;   // all ones: the pixel stays untouched
    __m128i opaque; // all ones: the pixel is written without blending
};

// The global colour as paired factors, and its alpha.
struct BlockColor
{
    __m128i blueRed;                         // blue | red << 16
    __m128i greenAlpha;                      // green, and 0 for the alpha byte
    __m128i alpha;                           // in 32-bit lanes
    __m128i red16, green16, blue16, alpha16; // each in every 16-bit lane
};

SPAN_BLOCK_INLINE BlockColor MakeBlockColor(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    BlockColor c;
    c.blueRed = _mm_set1_epi32((int)(b | r << 16));
    c.greenAlpha = _mm_set1_epi32((int)g);
    c.alpha = _mm_set1_epi32((int)a);
    c.red16 = _mm_set1_epi16((short)r);
    c.green16 = _mm_set1_epi16((short)g);
    c.blue16 = _mm_set1_epi16((short)b);
    c.alpha16 = _mm_set1_epi16((short)a);
    return c;
}

// Colour, alpha and decision of four nearest texels t, for a loop with
// TextureAlpha (TA) and GlobalColor (GC) as given and no other colour feature.
template <bool TA, bool GC>
SPAN_BLOCK_INLINE BlockSource NearestBlockSource(__m128i t, const BlockColor& gc)
{
    BlockSource s;
    const __m128i ta = _mm_srli_epi32(t, 24);
    s.color = t;
    s.alpha = TA ? ta : _mm_set1_epi32(255);
    if (GC)
    {
        // Each channel (c x factor) >> 8; the alpha byte becomes 0.
        s.color =
            JoinPairs(ScalePairs(LowPairs(t), gc.blueRed), ScalePairs(HighPairs(t), gc.greenAlpha));
        // (af x ta) >> 8: both below 256, so the 16-bit product of the low
        // half of each lane is the whole product.
        s.alpha = _mm_srli_epi32(_mm_mullo_epi16(gc.alpha, s.alpha), 8);
    }
    s.skip = TA ? _mm_cmplt_epi32(ta, _mm_set1_epi32(9)) : _mm_setzero_si128();
    s.opaque = _mm_cmpgt_epi32(s.alpha, _mm_set1_epi32(239));
    return s;
}

// Eight pixels with one channel to a vector, 16 bits a lane.
struct PlanarSource
{
    __m128i r, g, b; // colour channels after modulation
    __m128i alpha;   // source alpha sa, 0..255
    __m128i skip;    // all ones: the pixel stays untouched
    __m128i opaque;  // all ones: the pixel is written without blending
};

// Byte `shift` of eight texels, one to a 16-bit lane.
template <int Shift> SPAN_BLOCK_INLINE __m128i PlanarChannel(__m128i t0, __m128i t1)
{
    const __m128i byte = _mm_set1_epi32(0xFF);
    if (Shift == 24)
        return _mm_packs_epi32(_mm_srli_epi32(t0, 24), _mm_srli_epi32(t1, 24));
    return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(t0, Shift), byte),
                           _mm_and_si128(_mm_srli_epi32(t1, Shift), byte));
}

// NearestBlockSource for eight texels, one channel to a vector.
template <bool TA, bool GC>
SPAN_BLOCK_INLINE PlanarSource NearestPlanarSource(__m128i t0, __m128i t1, const BlockColor& gc)
{
    PlanarSource s;
    const __m128i ta = TA ? PlanarChannel<24>(t0, t1) : _mm_setzero_si128();
    s.r = PlanarChannel<16>(t0, t1);
    s.g = PlanarChannel<8>(t0, t1);
    s.b = PlanarChannel<0>(t0, t1);
    s.alpha = TA ? ta : _mm_set1_epi16(255);
    if (GC)
    {
        s.r = _mm_srli_epi16(_mm_mullo_epi16(s.r, gc.red16), 8);
        s.g = _mm_srli_epi16(_mm_mullo_epi16(s.g, gc.green16), 8);
        s.b = _mm_srli_epi16(_mm_mullo_epi16(s.b, gc.blue16), 8);
        s.alpha = _mm_srli_epi16(_mm_mullo_epi16(s.alpha, gc.alpha16), 8);
    }
    s.skip = TA ? _mm_cmplt_epi16(ta, _mm_set1_epi16(9)) : _mm_setzero_si128();
    s.opaque = _mm_cmpgt_epi16(s.alpha, _mm_set1_epi16(239));
    return s;
}

// --- destination formats ---

// a where mask is set, else b.
SPAN_BLOCK_INLINE __m128i Select(__m128i mask, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// What a block of four or eight pixels asks for.
enum BlockWork
{
    kBlockOpaque, // every pixel is written opaque: the destination is not read
    kBlockSkip,   // every pixel stays
    kBlockBlend,  // every pixel blends
    kBlockMixed   // some of each
};

SPAN_BLOCK_INLINE BlockWork WorkOf(__m128i skip, __m128i opaque)
{
    if (_mm_movemask_epi8(_mm_andnot_si128(skip, opaque)) == 0xFFFF)
        return kBlockOpaque;
    const int either = _mm_movemask_epi8(_mm_or_si128(skip, opaque));
    if (either == 0)
        return kBlockBlend;
    return _mm_movemask_epi8(skip) == 0xFFFF ? kBlockSkip : kBlockMixed;
}

// 0x8888: four pixels over the destination's own alpha. The lanes are exact
// where the result alpha is 256 (the destination alpha and sa make
// (256 - da)(256 - sa) < 256, which an opaque destination always does for
// sa > 0): the division is then a shift. Lanes that blend with any other
// result alpha are left as they were and returned as bits 0-3, for the
// caller's scalar rule. SourceMayBeZero: a blending lane may have sa 0.
template <bool SourceMayBeZero>
SPAN_BLOCK_INLINE int StoreBlock8888(uint32_t* dp, const BlockSource& s)
{
    const __m128i alphaByte = _mm_set1_epi32((int)0xFF000000u);
    const __m128i opaqueValue = _mm_or_si128(s.color, alphaByte);
    const BlockWork work = WorkOf(s.skip, s.opaque);
    if (work == kBlockOpaque)
    {
        _mm_storeu_si128((__m128i*)dp, opaqueValue);
        return 0;
    }
    if (work == kBlockSkip)
        return 0;

    const __m128i d = _mm_loadu_si128((const __m128i*)dp);
    const __m128i sa = BothHalves(s.alpha);
    const __m128i colorLow = ScalePairs(LowPairs(s.color), sa);
    const __m128i colorHigh = ScalePairs(HighPairs(s.color), sa);
    const __m128i keepPair = _mm_sub_epi32(_mm_set1_epi32(0x01000100), sa); // 256 - sa

    // Four blends over an opaque destination with sa > 0 (which the texture
    // alpha loops' skip test assures): outA is 256 and (d x 255) >> 8 is d
    // less one, stopping at 0.
    if (work == kBlockBlend &&
        (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(d, _mm_set1_epi32(0x00FFFFFF)),
                                          _mm_set1_epi32(-1))) == 0xFFFF) &&
        (!SourceMayBeZero || _mm_movemask_epi8(_mm_cmpeq_epi32(s.alpha, _mm_setzero_si128())) == 0))
    {
        const __m128i x = _mm_subs_epu8(d, _mm_set1_epi8(1));
        _mm_storeu_si128(
            (__m128i*)dp,
            _mm_or_si128(JoinPairs(_mm_add_epi16(ScalePairs(LowPairs(x), keepPair), colorLow),
                                   _mm_add_epi16(ScalePairs(HighPairs(x), keepPair), colorHigh)),
                         alphaByte));
        return 0;
    }

    const __m128i da = _mm_srli_epi32(d, 24);
    const __m128i k256 = _mm_set1_epi32(256);
    // outA = 256 - (((256 - da) x (256 - sa)) >> 8); each factor fits the low
    // half of its lane, so one multiply-add forms the whole product.
    const __m128i keep = _mm_sub_epi32(k256, s.alpha);
    const __m128i outA =
        _mm_sub_epi32(k256, _mm_srli_epi32(_mm_madd_epi16(_mm_sub_epi32(k256, da), keep), 8));
    const __m128i blend = _mm_andnot_si128(_mm_or_si128(s.skip, s.opaque), _mm_set1_epi32(-1));
    const __m128i other = _mm_andnot_si128(_mm_cmpeq_epi32(outA, k256), blend);
    const int scalarLanes = _mm_movemask_ps(_mm_castsi128_ps(other));

    // Per channel ((((d x da) >> 8) x (256 - sa)) >> 8) + ((c x sa) >> 8): each
    // product below 2^16 and the sum at most 255, with result alpha 255.
    const __m128i daPair = BothHalves(da);
    const __m128i low = ScalePairs(ScalePairs(LowPairs(d), daPair), keepPair);
    const __m128i high = ScalePairs(ScalePairs(HighPairs(d), daPair), keepPair);
    const __m128i blended = _mm_or_si128(
        JoinPairs(_mm_add_epi16(low, colorLow), _mm_add_epi16(high, colorHigh)), alphaByte);

    if (work == kBlockBlend && scalarLanes == 0)
        _mm_storeu_si128((__m128i*)dp, blended);
    else
        _mm_storeu_si128((__m128i*)dp, Select(_mm_or_si128(s.skip, other), d,
                                              Select(s.opaque, opaqueValue, blended)));
    return scalarLanes;
}

// 0x888: (d x (255 - sa)) >> 8 + (c x sa) >> 8 per byte, alpha byte 0xFF.
// Each byte's sum stays below 255, so adding in halves is the scalar rule's
// packed add.
SPAN_BLOCK_INLINE void StoreBlock888(uint32_t* dp, const BlockSource& s)
{
    const __m128i alphaByte = _mm_set1_epi32((int)0xFF000000u);
    const __m128i opaqueValue = _mm_or_si128(s.color, alphaByte);
    const BlockWork work = WorkOf(s.skip, s.opaque);
    if (work == kBlockOpaque)
    {
        _mm_storeu_si128((__m128i*)dp, opaqueValue);
        return;
    }
    if (work == kBlockSkip)
        return;
    const __m128i d = _mm_loadu_si128((const __m128i*)dp);
    const __m128i sa = BothHalves(s.alpha);
    const __m128i k = _mm_sub_epi32(_mm_set1_epi32(0x00FF00FF), sa);
    const __m128i blended = _mm_or_si128(
        JoinPairs(_mm_add_epi16(ScalePairs(LowPairs(d), k), ScalePairs(LowPairs(s.color), sa)),
                  _mm_add_epi16(ScalePairs(HighPairs(d), k), ScalePairs(HighPairs(s.color), sa))),
        alphaByte);
    if (work == kBlockBlend)
        _mm_storeu_si128((__m128i*)dp, blended);
    else
        _mm_storeu_si128((__m128i*)dp, Select(s.skip, d, Select(s.opaque, opaqueValue, blended)));
}

// 16-bit rows, on eight pixels one channel to a vector. Pack keeps the top
// bits of each channel. PremulPack packs (c x sa) >> 8 per channel, whose top
// bits (c x sa) >> 11 (>> 10 for 6-bit green) one high multiply gives.
// ScaleDest makes each field f of d (f x ((255 - sa) >> 3)) >> 5, one high
// multiply per field with the factor shifted to meet the field's position.
template <bool Is565> struct Block16
{
    static SPAN_BLOCK_INLINE __m128i Pack(const PlanarSource& s)
    {
        const __m128i top5 = _mm_set1_epi16(0xF8);
        const __m128i r = _mm_slli_epi16(_mm_and_si128(s.r, top5), Is565 ? 8 : 7);
        const __m128i g = Is565 ? _mm_slli_epi16(_mm_and_si128(s.g, _mm_set1_epi16(0xFC)), 3)
                                : _mm_slli_epi16(_mm_and_si128(s.g, top5), 2);
        return _mm_or_si128(_mm_or_si128(r, g), _mm_srli_epi16(s.b, 3));
    }

    static SPAN_BLOCK_INLINE __m128i PremulPack(const PlanarSource& s)
    {
        const __m128i r = _mm_mulhi_epu16(_mm_slli_epi16(s.r, 5), s.alpha);
        const __m128i g = _mm_mulhi_epu16(_mm_slli_epi16(s.g, Is565 ? 6 : 5), s.alpha);
        const __m128i b = _mm_mulhi_epu16(_mm_slli_epi16(s.b, 5), s.alpha);
        return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, Is565 ? 11 : 10), _mm_slli_epi16(g, 5)),
                            b);
    }

    static SPAN_BLOCK_INLINE __m128i ScaleDest(__m128i d, __m128i sa)
    {
        const __m128i k = _mm_srli_epi16(_mm_sub_epi16(_mm_set1_epi16(255), sa), 3);
        const __m128i red =
            Is565 ? _mm_mulhi_epu16(_mm_and_si128(d, _mm_set1_epi16((short)0xF800)), k)
                  : _mm_mulhi_epu16(_mm_and_si128(d, _mm_set1_epi16(0x7C00)), _mm_slli_epi16(k, 1));
        const __m128i green = _mm_mulhi_epu16(
            _mm_and_si128(d, _mm_set1_epi16(Is565 ? 0x07E0 : 0x03E0)), _mm_slli_epi16(k, 6));
        const __m128i blue =
            _mm_mulhi_epu16(_mm_and_si128(d, _mm_set1_epi16(0x001F)), _mm_slli_epi16(k, 11));
        return _mm_or_si128(
            _mm_or_si128(_mm_slli_epi16(red, Is565 ? 11 : 10), _mm_slli_epi16(green, 5)), blue);
    }

    static SPAN_BLOCK_INLINE void Store(uint16_t* dp, const PlanarSource& s)
    {
        const BlockWork work = WorkOf(s.skip, s.opaque);
        if (work == kBlockOpaque)
        {
            _mm_storeu_si128((__m128i*)dp, Pack(s));
            return;
        }
        if (work == kBlockSkip)
            return;
        const __m128i d = _mm_loadu_si128((const __m128i*)dp);
        // A 16-bit add, as the scalar rule.
        const __m128i blended = _mm_add_epi16(ScaleDest(d, s.alpha), PremulPack(s));
        if (work == kBlockBlend)
            _mm_storeu_si128((__m128i*)dp, blended);
        else
            _mm_storeu_si128((__m128i*)dp, Select(s.skip, d, Select(s.opaque, Pack(s), blended)));
    }
};

} // namespace TriangleSpans
