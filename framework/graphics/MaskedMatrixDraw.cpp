// The software masked matrix draw: a layer composed per destination pixel,
// then drawn through the destination's ordinary blit (see the header).

#include "framework/graphics/MaskedMatrixDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "framework/app/Color.h"
#include "framework/graphics/MemoryImage.h"

namespace Lumo
{

namespace
{

bool InvertAffine(const Matrix3& m, Matrix3& out)
{
    const float det = m.m00 * m.m11 - m.m01 * m.m10;
    if (det == 0.0f || !std::isfinite(det))
        return false;
    const float inv = 1.0f / det;
    out.LoadIdentity();
    out.m00 = m.m11 * inv;
    out.m01 = -m.m01 * inv;
    out.m10 = -m.m10 * inv;
    out.m11 = m.m00 * inv;
    out.m02 = (m.m01 * m.m12 - m.m11 * m.m02) * inv;
    out.m12 = (m.m10 * m.m02 - m.m00 * m.m12) * inv;
    return true;
}

// Texels of one image inside a rectangle; anything outside reads as 0.
struct TexelArea
{
    const uint32_t* pixels;
    int stride;
    Rect area;

    uint32_t At(int tx, int ty) const
    {
        if (tx < area.mX || ty < area.mY || tx >= area.mX + area.mWidth ||
            ty >= area.mY + area.mHeight)
            return 0;
        return pixels[(size_t)ty * stride + tx];
    }
    // Clamped into the area: a picture's own edge texels repeat.
    uint32_t Clamped(int tx, int ty) const
    {
        tx = std::min(std::max(tx, area.mX), area.mX + area.mWidth - 1);
        ty = std::min(std::max(ty, area.mY), area.mY + area.mHeight - 1);
        return pixels[(size_t)ty * stride + tx];
    }
};

// Straight (not premultiplied) bilinear mix of four texels, weights in 1/256.
uint32_t Bilinear(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, int fx, int fy)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int c00 = (p00 >> shift) & 0xFF, c10 = (p10 >> shift) & 0xFF;
        const int c01 = (p01 >> shift) & 0xFF, c11 = (p11 >> shift) & 0xFF;
        const int top = c00 * (256 - fx) + c10 * fx;
        const int bottom = c01 * (256 - fx) + c11 * fx;
        out |= (uint32_t)(((top * (256 - fy) + bottom * fy) >> 16) & 0xFF) << shift;
    }
    return out;
}

// The texel under a point of texel space: nearest, or bilinear about the
// texel centres (clamped for the picture, zero outside for the mask).
uint32_t Sample(const TexelArea& t, float u, float v, bool filter, bool clamp)
{
    if (!filter)
    {
        const int tx = (int)std::floor(u), ty = (int)std::floor(v);
        return clamp ? t.Clamped(tx, ty) : t.At(tx, ty);
    }
    const float su = u - 0.5f, sv = v - 0.5f;
    const float fu = std::floor(su), fv = std::floor(sv);
    const int tx = (int)fu, ty = (int)fv;
    const int fx = (int)((su - fu) * 256.0f), fy = (int)((sv - fv) * 256.0f);
    if (clamp)
        return Bilinear(t.Clamped(tx, ty), t.Clamped(tx + 1, ty), t.Clamped(tx, ty + 1),
                        t.Clamped(tx + 1, ty + 1), fx, fy);
    return Bilinear(t.At(tx, ty), t.At(tx + 1, ty), t.At(tx, ty + 1), t.At(tx + 1, ty + 1), fx, fy);
}

// The alpha of the picture's sample alone, as Sample (clamped) gives it:
// the layer takes nothing else of the picture, and the channels of a
// bilinear mix do not mix with each other.
inline uint32_t SampleAlpha(const TexelArea& t, float u, float v, bool filter)
{
    if (!filter)
        return t.Clamped((int)std::floor(u), (int)std::floor(v)) >> 24;
    const float su = u - 0.5f, sv = v - 0.5f;
    const float fu = std::floor(su), fv = std::floor(sv);
    const int tx = (int)fu, ty = (int)fv;
    const int fx = (int)((su - fu) * 256.0f), fy = (int)((sv - fv) * 256.0f);
    const int a00 = t.Clamped(tx, ty) >> 24, a10 = t.Clamped(tx + 1, ty) >> 24;
    const int a01 = t.Clamped(tx, ty + 1) >> 24, a11 = t.Clamped(tx + 1, ty + 1) >> 24;
    const int top = a00 * (256 - fx) + a10 * fx;
    const int bottom = a01 * (256 - fx) + a11 * fx;
    return (uint32_t)(((top * (256 - fy) + bottom * fy) >> 16) & 0xFF);
}

// A mask moved by whole pixels only is read at texel centres, where nearest
// and bilinear sampling both give the texel itself: it is read straight.
bool IsWholePixelShift(const Matrix3& m)
{
    return m.m00 == 1.0f && m.m01 == 0.0f && m.m10 == 0.0f && m.m11 == 1.0f;
}

// The texel whose centre a row's first sample point hits, when it does.
bool TexelCentre(float u, float v, int& tx, int& ty)
{
    const float su = u - 0.5f, sv = v - 0.5f;
    if (!(std::fabs(su) < 1.0e6f && std::fabs(sv) < 1.0e6f) || su != std::floor(su) ||
        sv != std::floor(sv))
        return false;
    tx = (int)su;
    ty = (int)sv;
    return true;
}

} // namespace

bool ComposeMaskedLayer(MemoryImage* source, const Rect& srcRect, const Matrix3& matrix, float x,
                        float y, const Rect& clip, MemoryImage* mask, const Rect& maskSrcRect,
                        float maskPosX, float maskPosY, const Matrix3& maskMatrix, bool filter,
                        MemoryImage& layer, Rect& area)
{
    if (!source || !mask || srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return false;
    const Rect maskArea = maskSrcRect.Intersection(Rect(0, 0, mask->mWidth, mask->mHeight));
    const Rect sourceArea = srcRect.Intersection(Rect(0, 0, source->mWidth, source->mHeight));
    if (maskArea.mWidth <= 0 || maskArea.mHeight <= 0 || !(sourceArea == srcRect))
        return false;
    Matrix3 toPicture, toMask;
    if (!InvertAffine(matrix, toPicture) || !InvertAffine(maskMatrix, toMask))
        return false;

    // The picture's destination bounds, cut to the clip.
    const float w = (float)srcRect.mWidth, h = (float)srcRect.mHeight;
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    const float cornerX[4] = {0.0f, w, 0.0f, w}, cornerY[4] = {0.0f, 0.0f, h, h};
    for (int i = 0; i < 4; i++)
    {
        const LumoVector2 p = matrix.TransformPoint(LumoVector2(cornerX[i], cornerY[i]));
        minX = std::min(minX, p.x + x);
        maxX = std::max(maxX, p.x + x);
        minY = std::min(minY, p.y + y);
        maxY = std::max(maxY, p.y + y);
    }
    if (!(maxX - minX < 1e7f) || !(maxY - minY < 1e7f))
        return false;
    const Rect bounds((int)std::floor(minX), (int)std::floor(minY),
                      (int)std::ceil(maxX) - (int)std::floor(minX),
                      (int)std::ceil(maxY) - (int)std::floor(minY));
    area = bounds.Intersection(clip);
    if (area.mWidth <= 0 || area.mHeight <= 0)
        return false;

    const uint32_t* picturePixels = source->GetPixels();
    const uint32_t* maskPixels = mask->GetPixels();
    if (!picturePixels || !maskPixels)
        return false;
    const TexelArea picture = {picturePixels, source->mWidth, srcRect};
    const TexelArea maskTexels = {maskPixels, mask->mWidth, maskArea};

    layer.Create(area.mWidth, area.mHeight);
    uint32_t* out = layer.GetPixels();
    if (!out)
        return false;
    // Both mappings are affine: step them along a row instead of transforming each pixel.
    const float pdx = toPicture.m00, pdy = toPicture.m10;
    const float mdx = toMask.m00, mdy = toMask.m10;
    const bool maskShifted = IsWholePixelShift(toMask);
    for (int row = 0; row < area.mHeight; row++)
    {
        const float py = area.mY + row + 0.5f, px = area.mX + 0.5f;
        LumoVector2 at = toPicture.TransformPoint(LumoVector2(px - x, py - y));
        LumoVector2 maskAt = toMask.TransformPoint(LumoVector2(px, py));
        float u = at.x, v = at.y;
        float mu = maskAt.x - maskPosX + maskSrcRect.mX, mv = maskAt.y - maskPosY + maskSrcRect.mY;
        int maskX = 0, maskY = 0;
        const bool maskStraight = maskShifted && TexelCentre(mu, mv, maskX, maskY);
        uint32_t* line = out + (size_t)row * area.mWidth;
        for (int col = 0; col < area.mWidth; col++, u += pdx, v += pdy, mu += mdx, mv += mdy)
        {
            line[col] = 0;
            if (!(u >= 0.0f && v >= 0.0f && u < w && v < h))
                continue;
            const uint32_t shapeAlpha =
                SampleAlpha(picture, u + srcRect.mX, v + srcRect.mY, filter);
            if (!shapeAlpha)
                continue;
            const uint32_t colour = maskStraight ? maskTexels.At(maskX + col, maskY)
                                                 : Sample(maskTexels, mu, mv, filter, false);
            const uint32_t alpha = (shapeAlpha * (colour >> 24) + 127) / 255;
            line[col] = alpha ? (alpha << 24) | (colour & 0xFFFFFF) : 0;
        }
    }
    layer.PixelsChanged();
    return true;
}

bool DrawMaskedMatrix(Image* dest, Image* src, float x, float y, const Matrix3& matrix,
                      const Rect* clip, const Color* color, int mode, const Rect* srcRect,
                      bool filter, Image* maskImage, const MaskRect* maskSrcRect,
                      const MaskRect* maskPlaceRect, const Matrix3* maskMatrix)
{
    if (!maskImage || !maskMatrix)
        return false;
    MemoryImage* source = dynamic_cast<MemoryImage*>(src);
    MemoryImage* mask = dynamic_cast<MemoryImage*>(maskImage);
    if (!dest || !source || !mask)
        return true;
    maskImage->mUsed = true;
    const Rect whole(0, 0, source->mWidth, source->mHeight);
    const Rect maskRect = maskSrcRect ? Rect((int)maskSrcRect->x, (int)maskSrcRect->y,
                                             (int)maskSrcRect->width, (int)maskSrcRect->height)
                                      : Rect(0, 0, mask->mWidth, mask->mHeight);
    const float maskX = maskPlaceRect ? maskPlaceRect->x : 0.0f;
    const float maskY = maskPlaceRect ? maskPlaceRect->y : 0.0f;
    const Rect destArea(0, 0, dest->mWidth, dest->mHeight);
    const Rect cut = clip ? clip->Intersection(destArea) : destArea;

    MemoryImage layer(nullptr); // a scratch picture: not one of the application's images
    Rect area;
    if (!ComposeMaskedLayer(source, srcRect ? *srcRect : whole, matrix, x, y, cut, mask, maskRect,
                            maskX, maskY, *maskMatrix, filter, layer, area))
        return true;
    const Rect layerRect(0, 0, area.mWidth, area.mHeight);
    dest->DrawImage(&layer, area.mX, area.mY, &layerRect, color, mode);
    return true;
}

} // namespace Lumo
