// Row loops of the hottest memory-image paths. The SSE2 forms work on four
// pixels with channels widened to 16 bits; every product of two 8-bit values
// (or of a value and 256 - w) fits, so they give the scalar rule's bits. Where a
// group of pixels needs a division (destination alpha below 255) the group
// falls back to the scalar rule.

#include "framework/graphics/BlendRows.h"

#include <emmintrin.h>

#include <cstring>

#include "framework/graphics/BlendPixel.h"
#include "framework/graphics/MemoryImage.h"

namespace Lumo
{

namespace BlendRowsScalar
{

void FillRow(uint32_t* d, int n, uint32_t value)
{
    for (int i = 0; i < n; i++)
        d[i] = value;
}

void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    for (int i = 0; i < n; i++)
        d[i] = BlendCoverage(d[i], rgb, a);
}

void BlitRunsOpaqueDest(uint32_t* d, const uint32_t* s, const unsigned char* runs, int n)
{
    int i = 0;
    while (i < n)
    {
        int len = runs[i];
        if (len > n - i)
            len = n - i;
        if (len < 1)
            len = 1;
        const uint32_t S = s[i] >> 24;
        if (S == 255)
            memcpy(d + i, s + i, (size_t)len * 4);
        else if (S != 0)
            for (int k = i; k < i + len; k++)
                d[k] = BlendOpaqueDest(d[k], s[k], s[k] >> 24);
        i += len;
    }
}

void BlendWhiteRow(uint32_t* d, const uint32_t* s, int n)
{
    for (int i = 0; i < n; i++)
        d[i] = BlendWhite(d[i], s[i]);
}

void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    const unsigned char* sat = GetSaturationTable();
    for (int i = 0; i < n; i++)
        d[i] = BlendAdditive(d[i], s[i], true, translucent, 0, 0, 0, sat);
}

void BlendSampledRow(uint32_t* d, const uint32_t* s, int n)
{
    for (int i = 0; i < n; i++)
        d[i] = BlendSample(d[i], s[i]);
}

void BlendFilteredRow(uint32_t* d, const uint32_t* c, int n)
{
    for (int i = 0; i < n; i++)
        d[i] = BlendFiltered(d[i], c[i]);
}

} // namespace BlendRowsScalar

namespace
{

const __m128i kZero = _mm_setzero_si128();

inline __m128i Lo16(__m128i v)
{
    return _mm_unpacklo_epi8(v, _mm_setzero_si128());
}

inline __m128i Hi16(__m128i v)
{
    return _mm_unpackhi_epi8(v, _mm_setzero_si128());
}

// True when all four pixels have alpha 255.
inline bool AllOpaque(__m128i v)
{
    const __m128i alpha = _mm_srli_epi32(v, 24);
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_set1_epi32(255))) == 0xFFFF;
}

// Per-pixel weights broadcast over the pixel's four 16-bit lanes, for the two
// pixels of a widened half: the pixel's alpha byte.
inline __m128i AlphaLanes(__m128i wide)
{
    wide = _mm_shufflelo_epi16(wide, _MM_SHUFFLE(3, 3, 3, 3));
    return _mm_shufflehi_epi16(wide, _MM_SHUFFLE(3, 3, 3, 3));
}

// Opaque-destination blend of two widened pixels by weights w (16-bit lanes):
// red and green ((d(256-w) + sw) >> 8), blue ((d(256-w)) >> 8) + ((sw) >> 8).
// Clearing the low byte of both products in the blue lanes before the one sum
// gives blue's two separately shifted halves.
inline __m128i BlendHalf(__m128i d, __m128i s, __m128i w)
{
    const __m128i keep = _mm_set_epi16(-1, -1, -1, (short)0xFF00, -1, -1, -1, (short)0xFF00);
    const __m128i dw = _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(256), w));
    const __m128i sw = _mm_mullo_epi16(s, w);
    return _mm_srli_epi16(_mm_add_epi16(_mm_and_si128(dw, keep), _mm_and_si128(sw, keep)), 8);
}

// All channels as ((d(256-w)) >> 8) + ((sw) >> 8), by the same low-byte mask.
inline __m128i BlendHalfSeparate(__m128i d, __m128i s, __m128i w)
{
    const __m128i keep = _mm_set1_epi16((short)0xFF00);
    const __m128i dw = _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(256), w));
    const __m128i sw = _mm_mullo_epi16(s, w);
    return _mm_srli_epi16(_mm_add_epi16(_mm_and_si128(dw, keep), _mm_and_si128(sw, keep)), 8);
}

const __m128i kAlphaMask = _mm_set1_epi32((int)0xFF000000);

} // namespace

void FillRow(uint32_t* d, int n, uint32_t value)
{
    int i = 0;
    const __m128i v = _mm_set1_epi32((int)value);
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128((__m128i*)(d + i), v);
    for (; i < n; i++)
        d[i] = value;
}

void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    if (a == 0)
        return;
    // Over an opaque pixel the new alpha is 255 and the weight is a itself.
    const __m128i s = Lo16(_mm_set1_epi32((int)rgb));
    const __m128i sw = _mm_mullo_epi16(s, _mm_set1_epi16((short)a));
    const __m128i iw = _mm_set1_epi16((short)(256 - a));
    auto blend4 = [&](__m128i px)
    {
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(Lo16(px), iw), sw), 8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(Hi16(px), iw), sw), 8);
        return _mm_or_si128(_mm_packus_epi16(lo, hi), kAlphaMask);
    };
    int i = 0;
    for (; i + 8 <= n; i += 8)
    {
        const __m128i a = _mm_loadu_si128((const __m128i*)(d + i));
        const __m128i b = _mm_loadu_si128((const __m128i*)(d + i + 4));
        const __m128i alpha = _mm_and_si128(_mm_and_si128(a, b), kAlphaMask);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, kAlphaMask)) != 0xFFFF)
            break;
        _mm_storeu_si128((__m128i*)(d + i), blend4(a));
        _mm_storeu_si128((__m128i*)(d + i + 4), blend4(b));
    }
    for (; i + 4 <= n; i += 4)
    {
        const __m128i px = _mm_loadu_si128((const __m128i*)(d + i));
        if (!AllOpaque(px))
        {
            for (int k = i; k < i + 4; k++)
                d[k] = BlendCoverage(d[k], rgb, a);
            continue;
        }
        _mm_storeu_si128((__m128i*)(d + i), blend4(px));
    }
    for (; i < n; i++)
        d[i] = BlendCoverage(d[i], rgb, a);
}

static void BlendOpaqueDestSpan(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
    for (; i + 4 <= n; i += 4)
    {
        const __m128i dp = _mm_loadu_si128((const __m128i*)(d + i));
        const __m128i sp = _mm_loadu_si128((const __m128i*)(s + i));
        const __m128i slo = Lo16(sp), shi = Hi16(sp);
        const __m128i lo = BlendHalf(Lo16(dp), slo, AlphaLanes(slo));
        const __m128i hi = BlendHalf(Hi16(dp), shi, AlphaLanes(shi));
        _mm_storeu_si128((__m128i*)(d + i), _mm_or_si128(_mm_packus_epi16(lo, hi), kAlphaMask));
    }
    for (; i < n; i++)
        d[i] = BlendOpaqueDest(d[i], s[i], s[i] >> 24);
}

void CopyPixels(uint32_t* d, const uint32_t* s, int n)
{
    if (n >= 4096)
    {
        memcpy(d, s, (size_t)n * 4);
        return;
    }
    int i = 0;
    // Aligned stores: a store that splits a cache line costs as much as two.
    for (; i < n && ((uintptr_t)(d + i) & 15) != 0; i++)
        d[i] = s[i];
    for (; i + 16 <= n; i += 16)
    {
        const __m128i a = _mm_loadu_si128((const __m128i*)(s + i));
        const __m128i b = _mm_loadu_si128((const __m128i*)(s + i + 4));
        const __m128i c = _mm_loadu_si128((const __m128i*)(s + i + 8));
        const __m128i e = _mm_loadu_si128((const __m128i*)(s + i + 12));
        _mm_store_si128((__m128i*)(d + i), a);
        _mm_store_si128((__m128i*)(d + i + 4), b);
        _mm_store_si128((__m128i*)(d + i + 8), c);
        _mm_store_si128((__m128i*)(d + i + 12), e);
    }
    for (; i + 4 <= n; i += 4)
        _mm_store_si128((__m128i*)(d + i), _mm_loadu_si128((const __m128i*)(s + i)));
    for (; i < n; i++)
        d[i] = s[i];
}

void BlitRunsOpaqueDest(uint32_t* d, const uint32_t* s, const unsigned char* runs, int n)
{
    // Runs of one class that follow each other (a run longer than 255 bytes
    // is cut into several) are handled as one.
    int i = 0;
    while (i < n)
    {
        const uint32_t S = s[i] >> 24;
        const int kind = S == 0 ? 0 : (S == 255 ? 1 : 2);
        int end = i;
        do
        {
            int len = runs[end];
            if (len < 1)
                len = 1;
            end += len;
            if (end >= n)
            {
                end = n;
                break;
            }
            const uint32_t next = s[end] >> 24;
            if ((next == 0 ? 0 : (next == 255 ? 1 : 2)) != kind)
                break;
        } while (true);
        if (kind == 1)
            CopyPixels(d + i, s + i, end - i);
        else if (kind == 2)
            BlendOpaqueDestSpan(d + i, s + i, end - i);
        i = end;
    }
}

void BlendWhiteRow(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
    for (; i + 4 <= n; i += 4)
    {
        const __m128i dp = _mm_loadu_si128((const __m128i*)(d + i));
        if (!AllOpaque(dp))
        {
            for (int k = i; k < i + 4; k++)
                d[k] = BlendWhite(d[k], s[k]);
            continue;
        }
        // Opaque destination: A = 255 and w = S; S = 0 keeps the pixel.
        const __m128i sp = _mm_loadu_si128((const __m128i*)(s + i));
        const __m128i slo = Lo16(sp), shi = Hi16(sp);
        const __m128i lo = BlendHalf(Lo16(dp), slo, AlphaLanes(slo));
        const __m128i hi = BlendHalf(Hi16(dp), shi, AlphaLanes(shi));
        const __m128i blended = _mm_or_si128(_mm_packus_epi16(lo, hi), kAlphaMask);
        const __m128i keep = _mm_cmpeq_epi32(_mm_srli_epi32(sp, 24), kZero);
        _mm_storeu_si128((__m128i*)(d + i),
                         _mm_or_si128(_mm_and_si128(keep, dp), _mm_andnot_si128(keep, blended)));
    }
    for (; i < n; i++)
        d[i] = BlendWhite(d[i], s[i]);
}

void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    const __m128i one = _mm_set1_epi32(0x00010101);
    int i = 0;
    for (; i + 4 <= n; i += 4)
    {
        const __m128i dp = _mm_loadu_si128((const __m128i*)(d + i));
        const __m128i raw = _mm_loadu_si128((const __m128i*)(s + i));
        __m128i sp = _mm_and_si128(raw, colour);
        if (translucent)
        {
            const __m128i alpha = _mm_srli_epi32(raw, 24);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, kZero)) == 0xFFFF)
                continue; // (s x 0) >> 8 adds nothing
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_set1_epi32(255))) == 0xFFFF)
            {
                sp = _mm_subs_epu8(sp, one); // (s x 255) >> 8 is s - 1, 0 stays 0
            }
            else
            {
                // Alpha in both 16-bit halves of each pixel's word, then spread
                // over that pixel's four lanes; the channels sit in the high
                // byte of their lanes, so the high half of the product is (s S) >> 8.
                const __m128i pair = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
                const __m128i lo =
                    _mm_mulhi_epu16(_mm_unpacklo_epi8(kZero, sp), _mm_unpacklo_epi32(pair, pair));
                const __m128i hi =
                    _mm_mulhi_epu16(_mm_unpackhi_epi8(kZero, sp), _mm_unpackhi_epi32(pair, pair));
                sp = _mm_packus_epi16(lo, hi);
            }
        }
        // The alpha bytes of sp are 0: d's alpha stays.
        _mm_storeu_si128((__m128i*)(d + i), _mm_adds_epu8(dp, sp));
    }
    const unsigned char* sat = GetSaturationTable();
    for (; i < n; i++)
        d[i] = BlendAdditive(d[i], s[i], true, translucent, 0, 0, 0, sat);
}

// Over an opaque destination the sampled and the filtered rule agree: alpha
// 255 and every channel ((d(256-a)) >> 8) + ((s a) >> 8); alpha 0 keeps d.
template <uint32_t (*Scalar)(uint32_t, uint32_t)>
static void BlendSeparateRow(uint32_t* d, const uint32_t* s, int n)
{
    // With a = 255 the destination drops out: (d x 1) >> 8 is 0, the alpha
    // becomes 255 and each channel is (s x 255) >> 8, that is s - 1 (0 stays 0).
    const __m128i one = _mm_set1_epi32(0x00010101);
    int i = 0;
    for (; i + 4 <= n; i += 4)
    {
        const __m128i sp = _mm_loadu_si128((const __m128i*)(s + i));
        if (AllOpaque(sp))
        {
            _mm_storeu_si128((__m128i*)(d + i), _mm_or_si128(_mm_subs_epu8(sp, one), kAlphaMask));
            continue;
        }
        const __m128i dp = _mm_loadu_si128((const __m128i*)(d + i));
        if (!AllOpaque(dp))
        {
            for (int k = i; k < i + 4; k++)
                d[k] = Scalar(d[k], s[k]);
            continue;
        }
        const __m128i slo = Lo16(sp), shi = Hi16(sp);
        const __m128i lo = BlendHalfSeparate(Lo16(dp), slo, AlphaLanes(slo));
        const __m128i hi = BlendHalfSeparate(Hi16(dp), shi, AlphaLanes(shi));
        const __m128i blended = _mm_or_si128(_mm_packus_epi16(lo, hi), kAlphaMask);
        const __m128i keep = _mm_cmpeq_epi32(_mm_srli_epi32(sp, 24), kZero);
        _mm_storeu_si128((__m128i*)(d + i),
                         _mm_or_si128(_mm_and_si128(keep, dp), _mm_andnot_si128(keep, blended)));
    }
    for (; i < n; i++)
        d[i] = Scalar(d[i], s[i]);
}

void BlendSampledRow(uint32_t* d, const uint32_t* s, int n)
{
    BlendSeparateRow<BlendSample>(d, s, n);
}

void BlendFilteredRow(uint32_t* d, const uint32_t* c, int n)
{
    BlendSeparateRow<BlendFiltered>(d, c, n);
}

} // namespace Lumo
