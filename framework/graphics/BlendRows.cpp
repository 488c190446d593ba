// Row loops of the hottest memory-image paths. The SSE2 forms work on four
// pixels with channels widened to 16 bits; every product of two 8-bit values
// (or of a value and 256 - w) fits, so they give the scalar rule's bits. Where a
// group of pixels needs a division (destination alpha below 255) the group
// falls back to the scalar rule.

#include "framework/graphics/BlendRows.h"

#include <cpuid.h>
#include <immintrin.h>

#include <algorithm>
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

void MagnifyColumns(uint16_t* out, const uint32_t* s, const int* left, const int16_t* weights,
                    int n)
{
    for (int j = 0; j < n; j++)
        for (int ch = 0; ch < 4; ch++)
        {
            const uint32_t p0 = (s[left[j]] >> (8 * ch)) & 0xFF;
            const uint32_t p1 = (s[left[j] + 1] >> (8 * ch)) & 0xFF;
            out[j * 4 + ch] = (uint16_t)(p0 * weights[j * 8 + ch] + p1 * weights[j * 8 + 4 + ch]);
        }
}

void BlendMagnifiedRows(uint32_t* d, const uint16_t* a, const uint16_t* b, int f, int n)
{
    for (int c = 0; c < n; c++)
    {
        uint32_t px = 0;
        for (int ch = 0; ch < 4; ch++)
        {
            const uint32_t v =
                ((uint32_t)a[c * 4 + ch] * f + (uint32_t)b[c * 4 + ch] * (256 - f)) >> 16;
            px |= std::min(v, 255u) << (8 * ch);
        }
        d[c] = BlendFiltered(d[c], px);
    }
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

// --- filtered stretch: the magnifying passes ---

// Two columns a step: each column's pair of neighbours is one 8-byte load,
// widened to 16-bit lanes and weighted; the two halves then sum.
void MagnifyColumns(uint16_t* out, const uint32_t* s, const int* left, const int16_t* weights,
                    int n)
{
    auto weighted = [&](int j)
    {
        const __m128i pair =
            _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(s + left[j])), kZero);
        return _mm_mullo_epi16(pair, _mm_loadu_si128((const __m128i*)(weights + j * 8)));
    };
    int j = 0;
    for (; j + 2 <= n; j += 2)
    {
        const __m128i a = weighted(j), b = weighted(j + 1);
        _mm_storeu_si128((__m128i*)(out + j * 4),
                         _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b)));
    }
    if (j < n)
    {
        const __m128i a = weighted(j);
        _mm_storel_epi64((__m128i*)(out + j * 4), _mm_add_epi16(a, _mm_srli_si128(a, 8)));
    }
}

// Two columns of both rows a step. With a and b moved to signed 16 bits
// (less 32768) one multiply-add forms a' f + b' (256 - f), and adding back
// 32768 x 256 gives a f + b (256 - f), both modulo 2^32 as the scalar form
// computes them, for any f whose two weights fit 16 bits. Four pixels then
// blend at once.
void BlendMagnifiedRows(uint32_t* d, const uint16_t* a, const uint16_t* b, int f, int n)
{
    if (f < -32512 || f > 32767)
    {
        BlendRowsScalar::BlendMagnifiedRows(d, a, b, f, n);
        return;
    }
    const __m128i weights =
        _mm_set1_epi32((int)((uint32_t)(uint16_t)f | (uint32_t)(uint16_t)(256 - f) << 16));
    const __m128i toSigned = _mm_set1_epi16((short)0x8000);
    const __m128i unbias = _mm_set1_epi32(32768 * 256);
    auto twoColumns = [&](int c)
    {
        const __m128i va = _mm_xor_si128(_mm_loadu_si128((const __m128i*)(a + c * 4)), toSigned);
        const __m128i vb = _mm_xor_si128(_mm_loadu_si128((const __m128i*)(b + c * 4)), toSigned);
        const __m128i s0 = _mm_srli_epi32(
            _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(va, vb), weights), unbias), 16);
        const __m128i s1 = _mm_srli_epi32(
            _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(va, vb), weights), unbias), 16);
        return _mm_packs_epi32(s0, s1); // two pixels, 16 bits a channel
    };
    // Four opaque results replace the pixels outright (see BlendSeparateRow);
    // any others blend through the filtered row.
    const __m128i one = _mm_set1_epi32(0x00010101);
    alignas(16) uint32_t result[4];
    int c = 0;
    for (; c + 4 <= n; c += 4)
    {
        const __m128i px = _mm_packus_epi16(twoColumns(c), twoColumns(c + 2));
        if (AllOpaque(px))
        {
            _mm_storeu_si128((__m128i*)(d + c), _mm_or_si128(_mm_subs_epu8(px, one), kAlphaMask));
            continue;
        }
        _mm_store_si128((__m128i*)result, px);
        BlendSeparateRow<BlendFiltered>(d + c, result, 4);
    }
    if (c < n)
        BlendRowsScalar::BlendMagnifiedRows(d + c, a + c * 4, b + c * 4, f, n - c);
}

// --- additive blit and translucent fill: SSE2, AVX2 and AVX-512 forms ---
//
// The SSE2 and AVX2 forms work in blocks of four or eight pixels on aligned
// destination addresses. The unaligned ends of a row are computed as whole
// blocks from the original pixels before the aligned middle is written and
// stored after it, so no pixel is blended twice and no end pixel needs the
// scalar rule (with its divisions). The AVX-512 additive row masks its ends.

namespace
{

// What a block asks of the row loop.
enum BlockResult
{
    kBlockStored, // the block's result was written out
    kBlockKept,   // every pixel stays as it is
    kBlockScalar  // the block needs the scalar rule
};

// One row through kernel K: K::W pixels per block; K::Block(d, s, out)
// computes the block at d (reading s alongside) into out; K::Scalar(d, s, n)
// applies the scalar rule.
template <class K>
inline __attribute__((always_inline)) void RunRow(const K& k, uint32_t* d, const uint32_t* s, int n)
{
    constexpr int W = K::W;
    if (n < W)
    {
        k.Scalar(d, s, n);
        return;
    }
    const int head = (int)(((uintptr_t)0 - (uintptr_t)d) & (W * 4 - 1)) / 4;
    const int end = head + (n - head) / W * W;
    uint32_t headOut[W] = {}, tailOut[W] = {};
    int headKind = kBlockKept, tailKind = kBlockKept;
    if (head > 0)
        headKind = k.Block(d, s, headOut);
    if (end < n)
        tailKind = k.Block(d + n - W, s + n - W, tailOut);
    if (headKind == kBlockScalar)
        k.Scalar(d, s, head);
    if (tailKind == kBlockScalar)
        k.Scalar(d + end, s + end, n - end);
    for (int i = head; i < end; i += W)
        if (k.Block(d + i, s + i, d + i) == kBlockScalar)
            k.Scalar(d + i, s + i, W);
    // The end blocks go out whole: where they overlap the middle they hold the
    // same values the middle got.
    if (headKind == kBlockStored)
        memcpy(d, headOut, sizeof headOut);
    if (tailKind == kBlockStored)
        memcpy(d + n - W, tailOut, sizeof tailOut);
}

// Scalar ends shared by both forms.
struct CoverageScalar
{
    uint32_t rgb, a;
    void Scalar(uint32_t* d, const uint32_t*, int n) const
    {
        for (int i = 0; i < n; i++)
            d[i] = BlendCoverage(d[i], rgb, a);
    }
};

struct AddScalar
{
    const unsigned char* sat;
    void Scalar(uint32_t* d, const uint32_t* s, int n) const
    {
        for (int i = 0; i < n; i++)
            d[i] = BlendAdditive(d[i], s[i], true, true, 0, 0, 0, sat);
    }
};

struct AddPlainScalar
{
    const unsigned char* sat;
    void Scalar(uint32_t* d, const uint32_t* s, int n) const
    {
        for (int i = 0; i < n; i++)
            d[i] = BlendAdditive(d[i], s[i], true, false, 0, 0, 0, sat);
    }
};

// The coverage blend over an opaque pixel is (d(256 - a) + c a) >> 8 per
// channel with alpha 255. Red and blue go as the 16-bit lanes of d AND
// 0x00FF00FF, green and alpha as those of d >> 8; the alpha lane's constant
// 255a makes its high byte (255(256 - a) + 255a) >> 8 = 255.
inline uint32_t CoverageLanesRB(uint32_t rgb, uint32_t a)
{
    return ((((rgb >> 16) & 0xFF) * a) << 16) | ((rgb & 0xFF) * a);
}

inline uint32_t CoverageLanesGA(uint32_t rgb, uint32_t a)
{
    return ((255 * a) << 16) | (((rgb >> 8) & 0xFF) * a);
}

// True when the alpha byte of each of the four pixels equals that of v.
inline bool AlphaBytesAll(__m128i px, __m128i v)
{
    return (_mm_movemask_epi8(_mm_cmpeq_epi8(px, v)) & 0x8888) == 0x8888;
}

// Eight pixels a block, so one opacity test serves two vectors.
struct CoverageSse2 : CoverageScalar
{
    static constexpr int W = 8;
    __m128i iw, krb, kga;
    CoverageSse2(uint32_t rgb_, uint32_t a_) : CoverageScalar{rgb_, a_}
    {
        iw = _mm_set1_epi16((short)(256 - a));
        krb = _mm_set1_epi32((int)CoverageLanesRB(rgb, a));
        kga = _mm_set1_epi32((int)CoverageLanesGA(rgb, a));
    }
    __m128i Blend(__m128i px) const
    {
        const __m128i rb = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(px, _mm_set1_epi32(0x00FF00FF)), iw), krb),
            8);
        const __m128i ga =
            _mm_and_si128(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(px, 8), iw), kga),
                          _mm_set1_epi32((int)0xFF00FF00));
        return _mm_or_si128(rb, ga);
    }
    int Block(const uint32_t* d, const uint32_t*, uint32_t* out) const
    {
        const __m128i p0 = _mm_loadu_si128((const __m128i*)d);
        const __m128i p1 = _mm_loadu_si128((const __m128i*)(d + 4));
        if (!AlphaBytesAll(_mm_and_si128(p0, p1), _mm_set1_epi32(-1)))
            return kBlockScalar;
        _mm_storeu_si128((__m128i*)out, Blend(p0));
        _mm_storeu_si128((__m128i*)(out + 4), Blend(p1));
        return kBlockStored;
    }
};

// Additive white with the source's alpha: each channel v = (s S) >> 8. Blue
// and red are the 16-bit lanes of s << 8 (channel in the high byte), so the
// high half of the product by S is (s S) >> 8 in place; green and alpha are
// the lanes of s >> 8, multiplied by (S, 0) so the alpha drops out.
struct AddSse2 : AddScalar
{
    static constexpr int W = 4;
    int Block(const uint32_t* d, const uint32_t* s, uint32_t* out) const
    {
        const __m128i raw = _mm_loadu_si128((const __m128i*)s);
        if (AlphaBytesAll(raw, _mm_setzero_si128()))
            return kBlockKept; // (s x 0) >> 8 adds nothing
        __m128i v;
        if (AlphaBytesAll(raw, _mm_set1_epi32(-1)))
        {
            // (s x 255) >> 8 is s - 1, and 0 stays 0.
            v = _mm_subs_epu8(_mm_and_si128(raw, _mm_set1_epi32(0x00FFFFFF)),
                              _mm_set1_epi32(0x00010101));
        }
        else
        {
            const __m128i S = _mm_srli_epi32(raw, 24);
            const __m128i SS = _mm_or_si128(S, _mm_slli_epi32(S, 16));
            const __m128i rb = _mm_mulhi_epu16(_mm_slli_epi16(raw, 8), SS);
            const __m128i g = _mm_and_si128(_mm_mullo_epi16(_mm_srli_epi16(raw, 8), S),
                                            _mm_set1_epi32(0x0000FF00));
            v = _mm_or_si128(rb, g);
        }
        // v's alpha bytes are 0: d's alpha stays.
        _mm_storeu_si128((__m128i*)out, _mm_adds_epu8(_mm_loadu_si128((const __m128i*)d), v));
        return kBlockStored;
    }
};

struct AddPlainSse2 : AddPlainScalar
{
    static constexpr int W = 4;
    int Block(const uint32_t* d, const uint32_t* s, uint32_t* out) const
    {
        const __m128i v =
            _mm_and_si128(_mm_loadu_si128((const __m128i*)s), _mm_set1_epi32(0x00FFFFFF));
        _mm_storeu_si128((__m128i*)out, _mm_adds_epu8(_mm_loadu_si128((const __m128i*)d), v));
        return kBlockStored;
    }
};

} // namespace

#pragma GCC push_options
#pragma GCC target("avx2")

namespace
{

// The AVX2 forms: the same lanes as the SSE2 ones, eight pixels at a time.
struct CoverageAvx2 : CoverageScalar
{
    static constexpr int W = 8;
    __m256i iw, krb, kga;
    CoverageAvx2(uint32_t rgb_, uint32_t a_) : CoverageScalar{rgb_, a_}
    {
        iw = _mm256_set1_epi16((short)(256 - a));
        krb = _mm256_set1_epi32((int)CoverageLanesRB(rgb, a));
        kga = _mm256_set1_epi32((int)CoverageLanesGA(rgb, a));
    }
    int Block(const uint32_t* d, const uint32_t*, uint32_t* out) const
    {
        const __m256i px = _mm256_loadu_si256((const __m256i*)d);
        const __m256i alpha = _mm256_set1_epi32((int)0xFF000000);
        if (!_mm256_testc_si256(px, alpha))
            return kBlockScalar;
        const __m256i rb = _mm256_srli_epi16(
            _mm256_add_epi16(
                _mm256_mullo_epi16(_mm256_and_si256(px, _mm256_set1_epi32(0x00FF00FF)), iw), krb),
            8);
        const __m256i ga = _mm256_and_si256(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(px, 8), iw), kga),
            _mm256_set1_epi32((int)0xFF00FF00));
        _mm256_storeu_si256((__m256i*)out, _mm256_or_si256(rb, ga));
        return kBlockStored;
    }
};

struct AddAvx2 : AddScalar
{
    static constexpr int W = 8;
    int Block(const uint32_t* d, const uint32_t* s, uint32_t* out) const
    {
        const __m256i raw = _mm256_loadu_si256((const __m256i*)s);
        const __m256i alpha = _mm256_set1_epi32((int)0xFF000000);
        if (_mm256_testz_si256(raw, alpha))
            return kBlockKept;
        __m256i v;
        if (_mm256_testc_si256(raw, alpha))
        {
            v = _mm256_subs_epu8(_mm256_andnot_si256(alpha, raw), _mm256_set1_epi32(0x00010101));
        }
        else
        {
            // S << 8 in both lanes of each pixel, straight from its alpha byte.
            const __m256i S8 = _mm256_shuffle_epi8(
                raw, _mm256_setr_epi8(-1, 3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15,
                                      -1, 3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15));
            const __m256i rb =
                _mm256_mulhi_epu16(_mm256_and_si256(raw, _mm256_set1_epi32(0x00FF00FF)), S8);
            const __m256i g = _mm256_and_si256(
                _mm256_mulhi_epu16(_mm256_and_si256(raw, _mm256_set1_epi32(0x0000FF00)), S8),
                _mm256_set1_epi32(0x0000FF00));
            v = _mm256_or_si256(rb, g);
        }
        _mm256_storeu_si256((__m256i*)out,
                            _mm256_adds_epu8(_mm256_loadu_si256((const __m256i*)d), v));
        return kBlockStored;
    }
};

struct AddPlainAvx2 : AddPlainScalar
{
    static constexpr int W = 8;
    int Block(const uint32_t* d, const uint32_t* s, uint32_t* out) const
    {
        const __m256i v =
            _mm256_and_si256(_mm256_loadu_si256((const __m256i*)s), _mm256_set1_epi32(0x00FFFFFF));
        _mm256_storeu_si256((__m256i*)out,
                            _mm256_adds_epu8(_mm256_loadu_si256((const __m256i*)d), v));
        return kBlockStored;
    }
};

void BlendCoverageRowAvx2(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    RunRow(CoverageAvx2(rgb, a), d, d, n);
}

void AddRowAvx2(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    const unsigned char* sat = GetSaturationTable();
    if (translucent)
        RunRow(AddAvx2{{sat}}, d, s, n);
    else
        RunRow(AddPlainAvx2{{sat}}, d, s, n);
}

} // namespace

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")

namespace
{

// The AVX-512 additive row: sixteen pixels a block, the row's unaligned ends
// through masked loads and stores. The lanes are those of the AVX2 form.
inline __m512i Scaled512(__m512i raw)
{
    // S << 8 in both lanes of each pixel, straight from its alpha byte.
    const __m512i S8 =
        _mm512_shuffle_epi8(raw, _mm512_set4_epi32(0x0F800F80, 0x0B800B80, 0x07800780, 0x03800380));
    const __m512i rb = _mm512_mulhi_epu16(_mm512_and_si512(raw, _mm512_set1_epi32(0x00FF00FF)), S8);
    const __m512i g = _mm512_mulhi_epu16(_mm512_and_si512(raw, _mm512_set1_epi32(0x0000FF00)), S8);
    // rb OR (g AND 0x0000FF00)
    return _mm512_ternarylogic_epi32(rb, g, _mm512_set1_epi32(0x0000FF00), 0xF8);
}

template <bool Translucent> inline void AddBlock512(uint32_t* d, const uint32_t* s, __mmask16 k)
{
    const __m512i raw = _mm512_maskz_loadu_epi32(k, s);
    __m512i v;
    if (Translucent)
    {
        const __m512i alpha = _mm512_set1_epi32((int)0xFF000000);
        if (!_mm512_test_epi32_mask(raw, alpha))
            return; // (s x 0) >> 8 adds nothing
        if (_mm512_cmpge_epu32_mask(raw, alpha) == 0xFFFF)
            v = _mm512_subs_epu8(raw, _mm512_set1_epi32((int)0xFF010101)); // s - 1, alpha 0
        else
            v = Scaled512(raw);
    }
    else
    {
        v = _mm512_and_si512(raw, _mm512_set1_epi32(0x00FFFFFF));
    }
    _mm512_mask_storeu_epi32(d, k, _mm512_adds_epu8(_mm512_maskz_loadu_epi32(k, d), v));
}

template <bool Translucent> void AddRow512(uint32_t* d, const uint32_t* s, int n)
{
    int i = std::min(n, (int)(((uintptr_t)0 - (uintptr_t)d) & 63) / 4);
    if (i > 0)
        AddBlock512<Translucent>(d, s, (__mmask16)((1u << i) - 1));
    for (; i + 16 <= n; i += 16)
        AddBlock512<Translucent>(d + i, s + i, 0xFFFF);
    if (i < n)
        AddBlock512<Translucent>(d + i, s + i, (__mmask16)((1u << (n - i)) - 1));
}

void AddRowAvx512(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    if (translucent)
        AddRow512<true>(d, s, n);
    else
        AddRow512<false>(d, s, n);
}

} // namespace

#pragma GCC pop_options

namespace
{

// AVX-512 (F and BW) needs the system's saving of the opmask and 512-bit
// registers too (XCR0 bits 5 to 7).
bool DetectAvx512()
{
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE))
        return false;
    unsigned lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    if ((lo & 0xE6) != 0xE6)
        return false;
    if (__get_cpuid_max(0, nullptr) < 7)
        return false;
    __cpuid_count(7, 0, a, b, c, d);
    return (b & bit_AVX512F) && (b & bit_AVX512BW);
}

// AVX2 needs the processor's support and the system's saving of the 256-bit
// registers (XCR0 bits 1 and 2).
bool DetectAvx2()
{
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    if (!(c & bit_OSXSAVE) || !(c & bit_AVX))
        return false;
    unsigned lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    if ((lo & 6) != 6)
        return false;
    if (__get_cpuid_max(0, nullptr) < 7)
        return false;
    __cpuid_count(7, 0, a, b, c, d);
    return (b & bit_AVX2) != 0;
}

} // namespace

bool RowsUseAvx2()
{
    static const bool avx2 = DetectAvx2();
    return avx2;
}

bool RowsUseAvx512()
{
    static const bool avx512 = DetectAvx512();
    return avx512;
}

namespace BlendRowsAvx2
{

void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    if (a != 0)
        BlendCoverageRowAvx2(d, n, rgb, a);
}

void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    AddRowAvx2(d, s, n, translucent);
}

} // namespace BlendRowsAvx2

namespace BlendRowsSse2
{

void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    if (a == 0)
        return;
    RunRow(CoverageSse2(rgb, a), d, d, n);
}

void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    const unsigned char* sat = GetSaturationTable();
    if (translucent)
        RunRow(AddSse2{{sat}}, d, s, n);
    else
        RunRow(AddPlainSse2{{sat}}, d, s, n);
}

} // namespace BlendRowsSse2

void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    if (a == 0)
        return;
    if (RowsUseAvx2())
        BlendCoverageRowAvx2(d, n, rgb, a);
    else
        BlendRowsSse2::BlendCoverageRow(d, n, rgb, a);
}

void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    if (RowsUseAvx512())
        AddRowAvx512(d, s, n, translucent);
    else if (RowsUseAvx2())
        AddRowAvx2(d, s, n, translucent);
    else
        BlendRowsSse2::AddRow(d, s, n, translucent);
}

} // namespace Lumo
