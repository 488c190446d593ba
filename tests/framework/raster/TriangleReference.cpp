#include "TriangleReference.h"

#include <algorithm>
#include <cmath>

namespace
{

struct Features
{
    int format; // 0 8888, 1 888, 2 565, 3 555
    bool textured, textureAlpha, vertexColor, globalColor, bilinear;
};

Features Decode(int index)
{
    Features f;
    f.format = index / 32;
    int e = index % 32;
    f.textured = (e & 16) != 0;
    f.textureAlpha = (e & 8) != 0;
    f.vertexColor = (e & 4) != 0;
    f.globalColor = (e & 2) != 0;
    f.bilinear = (e & 1) != 0;
    return f;
}

int64_t FloorShift16(int64_t a)
{
    // Floor division by 65536, spelled without relying on the shift of a negative value.
    return a >= 0 ? a / 65536 : -((-a + 65535) / 65536);
}

int64_t CeilDiv65536(int64_t a)
{
    return -FloorShift16(-a);
}

// (delta << 16) / span the way the loops form it; false when it would not fit.
bool Slope(int64_t delta, int64_t span, int64_t& out)
{
    long double exact = (long double)delta * 65536.0L / (long double)span;
    if (std::fabs((double)exact) >= 2147483648.0 * 0.999)
        return false;
    int64_t inv = ((int64_t)1 << 48) / span;
    int64_t product = delta * inv;
    // Floor of product / 2^32.
    out = product >= 0 ? product / 4294967296LL : -((-product + 4294967295LL) / 4294967296LL);
    return true;
}

struct Vtx
{
    int64_t X, Y;
    int64_t q[6]; // U V A R G B
};

uint32_t TexelAt(const TriangleTextureInfo& t, uint32_t index)
{
    return index < (uint32_t)t.texelCount ? t.texels[index] : 0;
}

int Ch(uint32_t c, int shift)
{
    return (int)((c >> shift) & 0xFF);
}

// Sample colour channels (premultiplied) and alpha.
void Bilinear(const TriangleTextureInfo& t, uint32_t U, uint32_t V, int rgb[3], int& alpha)
{
    int64_t u1 = (int32_t)(U - 0x8000);
    int64_t v1 = (int32_t)(V - 0x8000);
    int64_t ui = FloorShift16(u1), vi = FloorShift16(v1);
    uint32_t fu = (uint32_t)((u1 - ui * 65536) & 0xFFFE) + 1;
    uint32_t fv = (uint32_t)((v1 - vi * 65536) & 0xFFFE) + 1;
    uint32_t i = (uint32_t)(vi * t.width + ui);
    uint32_t tap[4] = {TexelAt(t, i), TexelAt(t, i + 1), TexelAt(t, i + t.width),
                       TexelAt(t, i + t.width + 1)};
    uint64_t area[4] = {((uint64_t)(65536 - fu) * (65536 - fv)) >> 16,
                        ((uint64_t)fu * (65536 - fv)) >> 16, ((uint64_t)(65536 - fu) * fv) >> 16,
                        ((uint64_t)fu * fv) >> 16};
    int w[4];
    alpha = 0;
    for (int k = 0; k < 4; ++k)
    {
        w[k] = (int)((area[k] * (tap[k] >> 24)) >> 16);
        alpha += w[k];
    }
    alpha &= 0xFF;
    for (int c = 0; c < 3; ++c)
    {
        int sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += Ch(tap[k], 16 - 8 * c) * w[k];
        rgb[c] = sum >> 8;
    }
}

void Shade(const Features& f, void* pixel, uint32_t U, uint32_t V, uint32_t A, uint32_t R,
           uint32_t G, uint32_t B, const TriangleTextureInfo& tex, const TriangleColorInfo& col)
{
    // Negative colours are read as 0.
    uint32_t* vc[4] = {&A, &R, &G, &B};
    for (uint32_t* p : vc)
        if ((int32_t)*p < 0)
            *p = 0;

    enum
    {
        Skip,
        Opaque,
        Blend
    } action;
    int src[3];          // source colour channels, 0-255
    int sa = 0;          // source alpha
    bool premul = false; // src already weighted by its alpha
    bool untexturedBlend = false;

    if (!f.textured)
    {
        if (A <= 0x80000)
            return;
        src[0] = (int)(R >> 16);
        src[1] = (int)(G >> 16);
        src[2] = (int)(B >> 16);
        sa = (int)(A >> 16);
        action = A > 0xF00000 ? Opaque : Blend;
        untexturedBlend = true;
    }
    else
    {
        int c[3], ta;
        if (f.bilinear)
            Bilinear(tex, U, V, c, ta);
        else
        {
            uint32_t t = TexelAt(tex, (V >> 16) * (uint32_t)tex.width + (U >> 16));
            c[0] = Ch(t, 16);
            c[1] = Ch(t, 8);
            c[2] = Ch(t, 0);
            ta = Ch(t, 24);
        }
        if (f.textureAlpha && ta <= 8)
            return;
        bool colored = f.vertexColor || f.globalColor;
        int fac[3] = {255, 255, 255};
        int af = 255;
        if (f.vertexColor && f.globalColor)
        {
            fac[0] = (int)(((uint64_t)col.red * R) >> 24);
            fac[1] = (int)(((uint64_t)col.green * G) >> 24);
            fac[2] = (int)(((uint64_t)col.blue * B) >> 24);
            af = (int)(((uint64_t)col.alpha * A) >> 24);
        }
        else if (f.vertexColor)
        {
            fac[0] = (int)(R >> 16);
            fac[1] = (int)(G >> 16);
            fac[2] = (int)(B >> 16);
            af = (int)(A >> 16);
        }
        else if (f.globalColor)
        {
            fac[0] = col.red;
            fac[1] = col.green;
            fac[2] = col.blue;
            af = col.alpha;
        }
        for (int k = 0; k < 3; ++k)
        {
            src[k] = colored ? (c[k] * fac[k]) >> 8 : c[k];
            if (colored && f.bilinear)
                src[k] = (src[k] * af) >> 8;
        }
        premul = f.bilinear;
        if (!f.textureAlpha && !colored)
            action = Opaque;
        else
        {
            sa = colored ? (af * (f.textureAlpha ? ta : 255)) >> 8 : ta;
            action = sa >= 240 ? Opaque : Blend;
        }
    }

    if (f.format <= 1)
    {
        uint32_t* dp = (uint32_t*)pixel;
        uint32_t d = *dp;
        if (action == Opaque || (f.textured && !f.textureAlpha && !f.vertexColor && !f.globalColor))
        {
            *dp = 0xFF000000u | ((uint32_t)src[0] << 16) | ((uint32_t)src[1] << 8) | src[2];
            return;
        }
        if (f.format == 0)
        {
            int da = Ch(d, 24);
            int outA = 256 - (((256 - da) * (256 - sa)) >> 8);
            if (outA == 0)
                return;
            int units[3];
            for (int k = 0; k < 3; ++k)
                units[k] = premul ? src[k] * 256 : ((src[k] * sa) >> 8) * 256;
            if (untexturedBlend)
            {
                units[0] = (int)(((uint64_t)R * sa) >> 24) * 256;
                units[1] = (int)((((uint64_t)G >> 8) * sa) >> 16) * 256;
                units[2] = (int)((((uint64_t)B >> 16) * sa) >> 8) * 256;
            }
            uint32_t out = (uint32_t)(outA - 1) << 24;
            for (int k = 0; k < 3; ++k)
            {
                int dc = Ch(d, 16 - 8 * k);
                int v = ((((dc * da) >> 8) * (256 - sa)) + units[k]) / outA;
                out |= (uint32_t)(v & 0xFF) << (16 - 8 * k);
            }
            *dp = out;
        }
        else
        {
            int k = 255 - sa;
            uint32_t sum = 0;
            for (int c = 0; c < 3; ++c)
            {
                int dc = (Ch(d, 16 - 8 * c) * k) >> 8;
                int sc = premul ? src[c] : (src[c] * sa) >> 8;
                sum += (uint32_t)(dc + sc) << (16 - 8 * c);
            }
            *dp = sum | 0xFF000000u;
        }
        return;
    }

    // 16-bit: fields of 5 (red, blue) and 6 or 5 (green) bits.
    bool is565 = f.format == 2;
    int greenBits = is565 ? 6 : 5;
    int shifts[3] = {is565 ? 11 : 10, 5, 0};
    int bits[3] = {5, greenBits, 5};
    uint16_t* dp = (uint16_t*)pixel;
    uint32_t d = *dp;
    if (action == Opaque)
    {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= (uint32_t)(src[c] >> (8 - bits[c])) << shifts[c];
        *dp = (uint16_t)out;
        return;
    }
    int k = (255 - sa) >> 3;
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c)
    {
        uint32_t field = (d >> shifts[c]) & ((1u << bits[c]) - 1);
        uint32_t scaled = (field * k) >> 5;
        int s = premul ? src[c] : (src[c] * sa) >> 8;
        out += (scaled + (uint32_t)(s >> (8 - bits[c]))) << shifts[c];
    }
    *dp = (uint16_t)out;
}

} // namespace

void ReferenceDrawTriangle(int index, const PreparedVertex* in, void* bits, int pitch,
                           const TriangleTextureInfo& tex, const TriangleColorInfo& col)
{
    Features f = Decode(index);
    if (!f.textured && !f.vertexColor)
        return;

    Vtx v[3];
    for (int i = 0; i < 3; ++i)
    {
        v[i].X = in[i].X;
        v[i].Y = in[i].Y;
        int64_t q[6] = {in[i].U, in[i].V, in[i].A, in[i].R, in[i].G, in[i].B};
        if (f.vertexColor && f.globalColor)
        {
            q[2] = ((uint32_t)in[i].A * (uint32_t)col.alpha) >> 8;
            q[3] = ((uint32_t)in[i].R * (uint32_t)col.red) >> 8;
            q[4] = ((uint32_t)in[i].G * (uint32_t)col.green) >> 8;
            q[5] = ((uint32_t)in[i].B * (uint32_t)col.blue) >> 8;
        }
        for (int k = 0; k < 6; ++k)
            v[i].q[k] = q[k];
    }
    // Top, middle, bottom by the same three compare-and-swaps.
    int o[3] = {0, 1, 2};
    if (v[o[0]].Y > v[o[1]].Y)
        std::swap(o[0], o[1]);
    if (v[o[1]].Y > v[o[2]].Y)
        std::swap(o[1], o[2]);
    if (v[o[0]].Y > v[o[1]].Y)
        std::swap(o[0], o[1]);
    const Vtx& T = v[o[0]];
    const Vtx& M = v[o[1]];
    const Vtx& Bt = v[o[2]];

    int64_t firstRow = CeilDiv65536(T.Y), midRow = CeilDiv65536(M.Y), endRow = CeilDiv65536(Bt.Y);
    if (firstRow == endRow)
        return;
    int64_t dXdy, dqdy[6] = {}, dqdx[6] = {};
    if (!Slope(Bt.X - T.X, Bt.Y - T.Y, dXdy))
        return;
    int qFirst = f.textured ? 0 : 2, qEnd = f.vertexColor ? 6 : 2;
    for (int k = qFirst; k < qEnd; ++k)
        if (!Slope(Bt.q[k] - T.q[k], Bt.Y - T.Y, dqdy[k]))
            return;
    int64_t xAtMid = T.X + FloorShift16(dXdy * (M.Y - T.Y));
    if (xAtMid == M.X)
        return;
    for (int k = qFirst; k < qEnd; ++k)
        if (!Slope(M.q[k] - FloorShift16(dqdy[k] * (M.Y - T.Y)) - T.q[k], M.X - xAtMid, dqdx[k]))
            return;
    int64_t dXsUp = 0, dXsLow = 0;
    if (firstRow < midRow && !Slope(M.X - T.X, M.Y - T.Y, dXsUp))
        return;
    if (midRow < endRow && !Slope(Bt.X - M.X, Bt.Y - M.Y, dXsLow))
        return;

    int64_t pre = firstRow * 65536 - T.Y;
    int64_t preMid = midRow * 65536 - M.Y;
    bool longRight = xAtMid > M.X;
    int bpp = f.format <= 1 ? 4 : 2;
    int64_t rowBytes = (int64_t)(bpp == 4 ? pitch >> 2 : pitch >> 1) * bpp;

    for (int64_t y = firstRow; y < endRow; ++y)
    {
        int64_t n = y - firstRow;
        int64_t xLong = T.X + FloorShift16(dXdy * pre) + n * dXdy;
        int64_t xShort = y < midRow ? T.X + FloorShift16(dXsUp * pre) + n * dXsUp
                                    : M.X + FloorShift16(dXsLow * preMid) + (y - midRow) * dXsLow;
        int64_t left = longRight ? xShort : xLong;
        int64_t right = longRight ? xLong : xShort;
        int64_t start = CeilDiv65536(left), end = CeilDiv65536(right);
        for (int64_t x = start; x < end; ++x)
        {
            uint32_t q[6] = {};
            for (int k = qFirst; k < qEnd; ++k)
            {
                int64_t qLong = T.q[k] + FloorShift16(dqdy[k] * pre) + n * dqdy[k];
                int64_t q0 = qLong + FloorShift16(dqdx[k] * (start * 65536 - xLong));
                q[k] = (uint32_t)(q0 + (x - start) * dqdx[k]);
            }
            unsigned char* pixel = (unsigned char*)bits + y * rowBytes + x * bpp;
            Shade(f, pixel, q[0], q[1], q[2], q[3], q[4], q[5], tex, col);
        }
    }
}
