#pragma once
// The per-pixel rules of the software drawing, one inline function each, so
// the row loops, the fast paths and the tests share one definition. Pixels are
// 0xAARRGGBB; every product is unsigned 32-bit and cannot overflow for 8-bit
// inputs.

#include <cstdint>

namespace Lumo
{

// Coverage blend of colour `rgb` (alpha bits ignored) with effective alpha a
// onto d. An effective alpha of 0 leaves the pixel as it was (the rule would
// divide by zero on a transparent pixel).
inline uint32_t BlendCoverage(uint32_t d, uint32_t rgb, uint32_t a)
{
    if (a == 0)
        return d;
    const uint32_t D = d >> 24;
    const uint32_t A = D + ((255 - D) * a) / 255;
    const uint32_t w = (255 * a) / A;
    const uint32_t iw = 256 - w;
    const uint32_t r = (((d >> 16) & 0xFF) * iw + ((rgb >> 16) & 0xFF) * w) >> 8;
    const uint32_t g = (((d >> 8) & 0xFF) * iw + ((rgb >> 8) & 0xFF) * w) >> 8;
    const uint32_t b = ((d & 0xFF) * iw + (rgb & 0xFF) * w) >> 8;
    return (A << 24) | (r << 16) | (g << 8) | b;
}

// Normal blit onto an opaque destination: s blended by its own alpha S (1..254).
inline uint32_t BlendOpaqueDest(uint32_t d, uint32_t s, uint32_t S)
{
    const uint32_t rb =
        ((((d & 0x00FF00FF) * (256 - S)) >> 8) + (((s & 0x00FF00FF) * S) >> 8)) & 0x00FF00FF;
    const uint32_t g = ((((d & 0xFF00) * (256 - S)) >> 8) + (((s & 0xFF00) * S) >> 8)) & 0xFF00;
    return 0xFF000000 | rb | g;
}

// New alpha and weight of a normal blit with effective alpha a (1..255) onto
// destination alpha D.
inline void BlitWeight(uint32_t D, uint32_t a, uint32_t& A, uint32_t& w)
{
    A = D + ((255 - D) * a) / 255;
    w = (255 * a) / A;
}

// Normal blit with a white colour.
inline uint32_t BlendWhite(uint32_t d, uint32_t s)
{
    const uint32_t S = s >> 24;
    if (S == 0)
        return d;
    uint32_t A, w;
    BlitWeight(d >> 24, S, A, w);
    const uint32_t rb =
        ((((d & 0x00FF00FF) * (256 - w)) >> 8) + (((s & 0x00FF00FF) * w) >> 8)) & 0x00FF00FF;
    const uint32_t g = ((((d & 0xFF00) * (256 - w)) >> 8) + (((s & 0xFF00) * w) >> 8)) & 0xFF00;
    return (A << 24) | rb | g;
}

// Normal blit modulated by a grey colour (c, c, c, ca).
inline uint32_t BlendGrey(uint32_t d, uint32_t s, uint32_t c, uint32_t ca)
{
    const uint32_t a = ((s >> 24) * ca) / 255;
    if (a == 0)
        return d;
    uint32_t A, w;
    BlitWeight(d >> 24, a, A, w);
    const uint32_t rb = ((((((s & 0x00FF00FF) * c) >> 8) & 0x00FF00FF) * w >> 8) +
                         (((d & 0x00FF00FF) * (256 - w)) >> 8)) &
                        0x00FF00FF;
    const uint32_t g =
        ((((d & 0xFF00) * (256 - w)) >> 8) + (((s & 0xFF00) * w * c) >> 16)) & 0xFF00;
    return (A << 24) | rb | g;
}

// Normal blit modulated by any other colour.
inline uint32_t BlendTinted(uint32_t d, uint32_t s, uint32_t cr, uint32_t cg, uint32_t cb,
                            uint32_t ca)
{
    const uint32_t a = ((s >> 24) * ca) / 255;
    if (a == 0)
        return d;
    uint32_t A, w;
    BlitWeight(d >> 24, a, A, w);
    const uint32_t r =
        (((((((s & 0xFF0000) * w) >> 8) * cr) >> 8) + (((d & 0xFF0000) * (256 - w)) >> 8))) &
        0xFF0000;
    const uint32_t g =
        ((((s & 0xFF00) * w * cg) >> 16) + (((d & 0xFF00) * (256 - w)) >> 8)) & 0xFF00;
    const uint32_t b = ((((s & 0xFF) * w * cb) >> 16) + (((d & 0xFF) * (256 - w)) >> 8)) & 0xFF;
    return (A << 24) | r | g | b;
}

// Point-sampled stretch: every channel blended in two shifted halves.
inline uint32_t BlendSample(uint32_t d, uint32_t s)
{
    const uint32_t S = s >> 24;
    if (S == 0)
        return d;
    uint32_t A, w;
    BlitWeight(d >> 24, S, A, w);
    const uint32_t iw = 256 - w;
    auto mix = [&](int shift)
    { return (((((d >> shift) & 0xFF) * iw) >> 8) + ((((s >> shift) & 0xFF) * w) >> 8)) & 0xFF; };
    return (A << 24) | (mix(16) << 16) | (mix(8) << 8) | mix(0);
}

// Filtered stretch: the resampled colour c (alpha a) over d, blended by a
// itself; only the alpha goes through the coverage rule.
inline uint32_t BlendFiltered(uint32_t d, uint32_t c)
{
    const uint32_t a = c >> 24;
    if (a == 0)
        return d;
    const uint32_t D = d >> 24;
    auto mix = [&](int shift)
    {
        return (((((d >> shift) & 0xFF) * (256 - a)) >> 8) + ((((c >> shift) & 0xFF) * a) >> 8)) &
               0xFF;
    };
    return ((D + ((255 - D) * a) / 255) << 24) | (mix(16) << 16) | (mix(8) << 8) | mix(0);
}

// Saturating add of three channel values onto d; d's alpha stays.
inline uint32_t AddChannels(uint32_t d, uint32_t vr, uint32_t vg, uint32_t vb,
                            const unsigned char* sat)
{
    return (d & 0xFF000000) | ((uint32_t)sat[((d >> 16) & 0xFF) + vr] << 16) |
           ((uint32_t)sat[((d >> 8) & 0xFF) + vg] << 8) | sat[(d & 0xFF) + vb];
}

// Additive blit value of one source pixel. k are the colour's premultiplied
// channels ((c x ca) / 255), or -1 for white; translucent says whether the
// source's own alpha scales it.
inline uint32_t BlendAdditive(uint32_t d, uint32_t s, bool white, bool translucent, uint32_t kr,
                              uint32_t kg, uint32_t kb, const unsigned char* sat)
{
    uint32_t vr = (s >> 16) & 0xFF, vg = (s >> 8) & 0xFF, vb = s & 0xFF;
    if (!white)
    {
        vr = (vr * kr) >> 8;
        vg = (vg * kg) >> 8;
        vb = (vb * kb) >> 8;
    }
    if (translucent)
    {
        const uint32_t S = s >> 24;
        vr = (vr * S) >> 8;
        vg = (vg * S) >> 8;
        vb = (vb * S) >> 8;
    }
    return AddChannels(d, vr, vg, vb, sat);
}

} // namespace Lumo
