#include "framework/raster/DrawTriangle.h"

#include <cmath>
#include <cstring>

#include "framework/raster/TriangleDriver.h"
#include "framework/raster/TriangleVariants.h"

TriangleVertex gClipVertexPool[CLIP_VERTEX_POOL_SIZE];
int gClipVertexPoolNext = 0;

namespace
{

const int MAX_POLYGON = 64;

// Clip lines are kept where x x 65536 fits 32 bits with room for every
// difference the set-up forms; no destination is anywhere near this size.
const float COORD_MIN = -16384.0f;
const float COORD_MAX = 16383.0f;

enum ClipSide
{
    ClipLeft,
    ClipRight,
    ClipTop,
    ClipBottom
};

// On the line counts as inside, and so does a coordinate that is not a number.
inline bool Inside(const TriangleVertex* v, ClipSide side, float line)
{
    switch (side)
    {
    case ClipLeft:
        return !(v->x < line);
    case ClipRight:
        return !(v->x > line);
    case ClipTop:
        return !(v->y < line);
    default:
        return !(v->y > line);
    }
}

inline uint32_t LerpChannel(uint32_t a, uint32_t b, int shift, float t)
{
    float ca = (float)((a >> shift) & 0xFF);
    float cb = (float)((b >> shift) & 0xFF);
    float f = ca + (cb - ca) * t;
    if (!(f > 0.0f))
        return 0;
    if (f >= 255.0f)
        return 255u << shift;
    return (uint32_t)(int)f << shift;
}

// The crossing, always from the outside vertex a towards the inside vertex b.
inline void Cross(const TriangleVertex* a, const TriangleVertex* b, float t, TriangleVertex* out)
{
    out->x = (b->x - a->x) * t + a->x;
    out->y = (b->y - a->y) * t + a->y;
    out->u = (b->u - a->u) * t + a->u;
    out->v = (b->v - a->v) * t + a->v;
    out->color = LerpChannel(a->color, b->color, 24, t) | LerpChannel(a->color, b->color, 16, t) |
                 LerpChannel(a->color, b->color, 8, t) | LerpChannel(a->color, b->color, 0, t);
}

// The crossing lies on its line: interpolated, it can come out a hair inside,
// and on the top or left line that hair leaves the whole first row or column
// of the clip unpainted (a picture drawn into a part of the screen shows a
// seam there).
TriangleVertex* ClipEdgeAtX(const TriangleVertex* a, const TriangleVertex* b, float line)
{
    TriangleVertex* out = &gClipVertexPool[gClipVertexPoolNext++ % CLIP_VERTEX_POOL_SIZE];
    float t = (line - a->x) / (b->x - a->x);
    Cross(a, b, t, out);
    out->x = line;
    return out;
}

TriangleVertex* ClipEdgeAtY(const TriangleVertex* a, const TriangleVertex* b, float line)
{
    TriangleVertex* out = &gClipVertexPool[gClipVertexPoolNext++ % CLIP_VERTEX_POOL_SIZE];
    float t = (line - a->y) / (b->y - a->y);
    Cross(a, b, t, out);
    out->y = line;
    return out;
}

int ClipPolygonToEdge(const TriangleVertex* const* in, int n, const TriangleVertex** out,
                      ClipSide side, float line)
{
    bool vertical = side == ClipLeft || side == ClipRight;
    int m = 0;
    for (int i = 0; i < n && m < MAX_POLYGON - 1; ++i)
    {
        const TriangleVertex* cur = in[i];
        const TriangleVertex* next = in[i + 1 < n ? i + 1 : 0];
        bool curIn = Inside(cur, side, line);
        bool nextIn = Inside(next, side, line);
        if (curIn)
            out[m++] = cur;
        if (curIn != nextIn)
        {
            const TriangleVertex* outside = curIn ? next : cur;
            const TriangleVertex* inside = curIn ? cur : next;
            out[m++] =
                vertical ? ClipEdgeAtX(outside, inside, line) : ClipEdgeAtY(outside, inside, line);
        }
    }
    return m;
}

// Saturating float-to-16.16 truncation; not-a-number lands on the minimum.
inline int32_t ToFixed(double d)
{
    if (!(d > -2147483648.0))
        return INT32_MIN;
    if (d >= 2147483647.0)
        return INT32_MAX;
    return (int32_t)d;
}

inline bool IsFinite(float f)
{
    return std::isfinite(f);
}

bool sVariantTableFilled = false;

} // namespace

int ClipTriangleToRect(const TriangleVertex* a, const TriangleVertex* b, const TriangleVertex* c,
                       float left, float right, float top, float bottom, const TriangleVertex** out)
{
    gClipVertexPoolNext = 0;
    const TriangleVertex* bufA[MAX_POLYGON];
    const TriangleVertex* bufB[MAX_POLYGON];
    bufA[0] = a;
    bufA[1] = b;
    bufA[2] = c;
    int n = ClipPolygonToEdge(bufA, 3, bufB, ClipLeft, left);
    if (n < 3)
        return 0;
    n = ClipPolygonToEdge(bufB, n, bufA, ClipRight, right);
    if (n < 3)
        return 0;
    n = ClipPolygonToEdge(bufA, n, bufB, ClipTop, top);
    if (n < 3)
        return 0;
    n = ClipPolygonToEdge(bufB, n, out, ClipBottom, bottom);
    return n < 3 ? 0 : n;
}

void DrawTriangleStrip(const TriangleVertex* vertices, int count, const TriangleTexture* texture,
                       const Lumo::Color& color, const Lumo::Rect& clipRect, void* bits, int pitch,
                       int pixelFormat, bool bilinear, bool useVertexColor)
{
    // The full game fills the table when its first level board is built; the
    // framework's own image drawing must not depend on that.
    if (!sVariantTableFilled)
    {
        InitTriangleVariantTable();
        sVariantTableFilled = true;
    }

    // The last column and row inside the rectangle.
    float left = (float)clipRect.mX;
    float top = (float)clipRect.mY;
    float right = (float)((double)clipRect.mX + clipRect.mWidth - 1);
    float bottom = (float)((double)clipRect.mY + clipRect.mHeight - 1);
    left = left < COORD_MIN ? COORD_MIN : left;
    top = top < COORD_MIN ? COORD_MIN : top;
    right = right > COORD_MAX ? COORD_MAX : right;
    bottom = bottom > COORD_MAX ? COORD_MAX : bottom;

    TriangleColorInfo colorInfo = {color.mAlpha, color.mRed, color.mGreen, color.mBlue};
    const bool globalColor = color != gColorWhite;
    const bool textured = texture != nullptr;
    const bool textureAlpha =
        textured && (texture->hasTranslucent || texture->hasTransparent || bilinear);
    if (count < 3 || !vertices || !bits)
        return;

    TriangleTextureInfo texInfo = {};
    double texWidth = 0.0, texHeight = 0.0;
    if (textured)
    {
        int w = texture->width > 0 ? texture->width : 0;
        int h = texture->height > 0 ? texture->height : 0;
        int log2w = 0;
        while (log2w < 30 && ((int64_t)2 << log2w) <= w)
            ++log2w;
        int64_t texels = (int64_t)w * h;
        texInfo.texels = texture->pixels;
        texInfo.shift = 16 - log2w;
        texInfo.uMask = (int32_t)((uint32_t)(w - 1) << 16);
        texInfo.vMask = (int32_t)((uint32_t)(h - 1) << 16);
        texInfo.width = w;
        // No texel array reads as an empty texture rather than as memory at 0.
        texInfo.texelCount = !texture->pixels     ? 0
                             : texels > INT32_MAX ? INT32_MAX
                                                  : (int32_t)texels;
        texInfo.height = h;
        texWidth = texture->width;
        texHeight = texture->height;
    }

    const TriangleVertex* polygon[MAX_POLYGON];
    PreparedVertex prepared[MAX_POLYGON];
    for (int k = 0; k + 2 < count; ++k)
    {
        const TriangleVertex* a = &vertices[k];
        const TriangleVertex* b = &vertices[k + 1];
        const TriangleVertex* c = &vertices[k + 2];
        if (k & 1)
        {
            const TriangleVertex* t = b;
            b = c;
            c = t;
        }
        // Not-a-number or infinite corners have no place on the screen, and the
        // clipper would pass them through as "inside".
        if (!IsFinite(a->x) || !IsFinite(a->y) || !IsFinite(b->x) || !IsFinite(b->y) ||
            !IsFinite(c->x) || !IsFinite(c->y))
            continue;
        int n = ClipTriangleToRect(a, b, c, left, right, top, bottom, polygon);
        if (n == 0)
            continue;

        bool usable = true;
        for (int i = 0; i < n; ++i)
        {
            const TriangleVertex* v = polygon[i];
            float x = v->x, y = v->y;
            // A crossing of enormous coordinates can come out as not-a-number.
            if (!IsFinite(x) || !IsFinite(y))
            {
                usable = false;
                break;
            }
            // Float rounding may put a crossing a hair beyond its clip line.
            x = x < left ? left : x > right ? right : x;
            y = y < top ? top : y > bottom ? bottom : y;
            PreparedVertex& p = prepared[i];
            p.X = (int32_t)(x * 65536.0f);
            p.Y = (int32_t)(y * 65536.0f);
            p.A = p.R = p.G = p.B = p.U = p.V = 0;
            if (textured)
            {
                p.U = ToFixed((double)v->u * texWidth * 65536.0);
                p.V = ToFixed((double)v->v * texHeight * 65536.0);
            }
            if (useVertexColor)
            {
                uint32_t cw = v->color;
                p.A = (int32_t)cw >> 8 & 0xFF0000;
                p.R = (int32_t)(cw & 0xFF0000);
                p.G = (int32_t)((cw & 0xFF00) << 8);
                p.B = (int32_t)((cw & 0xFF) << 16);
            }
        }
        if (!usable)
            continue;

        SelectTriangleVariant(textured, textureAlpha, useVertexColor, globalColor, prepared, bits,
                              pitch, &texInfo, &colorInfo, pixelFormat, bilinear);
        // The rest of the polygon as a fan around its first vertex.
        for (int j = 3; j < n; ++j)
        {
            prepared[1] = prepared[j - 1];
            prepared[2] = prepared[j];
            SelectTriangleVariant(textured, textureAlpha, useVertexColor, globalColor, prepared,
                                  bits, pitch, &texInfo, &colorInfo, pixelFormat, bilinear);
        }
    }
}
