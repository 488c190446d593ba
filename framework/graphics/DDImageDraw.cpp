// The draw rule of DDImage and its surface routines: every operation goes to
// the renderer (3D screen), to the locked surface, or to the memory image.
// A surface routine that cannot lock leaves mSurfaceDrawFailed set, and the
// rule then draws in memory instead, so the draw is never lost.

#include "framework/graphics/DDImage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/app/Matrix3.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/ImageTriangles.h"
#include "framework/graphics/MaskedMatrixDraw.h"

namespace Lumo
{

namespace
{

bool IsWhite(const Color* color)
{
    return !color || *color == gColorWhite;
}

const Color& ColorOf(const Color* color)
{
    return color ? *color : gColorWhite;
}

// The surface half of the draw rule: mode 0 and mode 1 each have a surface
// routine, and a routine that could not lock sets mSurfaceDrawFailed. True when
// the surface took the draw.
template <typename Normal, typename Additive>
bool DrewOnSurface(DDImage& image, int mode, Normal normal, Additive additive)
{
    image.mSurfaceDrawFailed = false;
    if (mode == 0)
        normal();
    else if (mode == 1)
        additive();
    return !image.mSurfaceDrawFailed;
}

// Runs draw(bits) on the surface locked by the image's lock, then unlocks. A
// source that is not ready or a failed lock marks the draw failed instead, so
// the draw rule falls back to memory.
template <typename Draw>
void DrawOnLockedSurface(DDImage& image, bool ready, bool (DDImage::*lock)(SurfaceBits&), Draw draw)
{
    SurfaceBits bits;
    if (!ready || !(image.*lock)(bits))
    {
        image.mSurfaceDrawFailed = true;
        return;
    }
    draw(bits);
    image.Unlock();
}

// The start of the surface image routines: the source as a memory image with
// up-to-date alpha flags and the source rectangle (whole image by default).
// Null when the source is no memory image.
MemoryImage* SurfaceImageSource(Image* src, const Rect* srcRect, Rect& sr)
{
    src->mUsed = true;
    MemoryImage* mem = dynamic_cast<MemoryImage*>(src);
    if (!mem)
        return nullptr;
    mem->UpdateAlphaFlags();
    sr = srcRect ? *srcRect : Rect(0, 0, src->mWidth, src->mHeight);
    return mem;
}

} // namespace

// --- helpers --------------------------------------------------------------------

void DDImage::SurfaceDrawn()
{
    // Without a surface the memory copies are the only picture.
    if (!mSurface)
        return;
    DeleteMemoryCopies();
    // Any texture of the old picture is stale now.
    ++mChangeCount;
}

SurfaceSource DDImage::SourceOf(MemoryImage* src, int parts)
{
    SurfaceSource s;
    // A surface source that cannot be read back (locked out, lost, the 3D
    // screen) has no picture to give: draw nothing rather than build from null.
    if (!ImageReadable(src))
        return s;
    s.width = src->mWidth;
    s.height = src->mHeight;
    if (src->mColorTable && src->mColorIndices)
    {
        s.colorTable = src->mColorTable;
        s.indices = src->mColorIndices;
    }
    else if (parts & SOURCE_ARGB)
        s.argb = src->GetPixels();
    if (parts & SOURCE_NATIVE)
        s.native = src->GetNativeAlphaData(mDDInterface);
    if (parts & SOURCE_RUN_ALPHA)
        s.runAlpha = src->GetRunLengthAlphaData();
    if (parts & SOURCE_RUN_ADDITIVE)
        s.runAdditive = src->GetRunLengthAdditiveData(mDDInterface);
    // A purge-wanted picture read from a file draws from its native data: the
    // pixels go, and come back from the file (then to stay) when a draw through
    // the pixels needs them again.
    DDImage* dd = dynamic_cast<DDImage*>(src);
    if (!(parts & SOURCE_ARGB) && s.native && src->mPixels && src->mPurgeWanted &&
        !src->mPixelsReloaded && src->PixelsAreFile() && !(dd && dd->mSurface))
        src->MemoryImage::PurgePixels();
    s.hasTransparent = src->mHasTransparent;
    s.hasTranslucent = src->mHasTranslucent;
    return s;
}

bool DDImage::BltFrom(DDImage* src, const RECT& dest, const RECT& from)
{
    IDirectDrawSurface* target = GetSurface();
    IDirectDrawSurface* source = src->GetSurface();
    if (!target || !source)
        return false;
    bool wasLocked = mLockCount > 0;
    if (wasLocked)
        target->Unlock(nullptr);
    DDBLTFX fx;
    memset(&fx, 0, sizeof(fx));
    fx.dwSize = sizeof(DDBLTFX);
    DWORD flags = DDBLT_WAIT | (src->mHasTransparent ? DDBLT_KEYSRC : 0);
    HRESULT hr = target->Blt((RECT*)&dest, source, (RECT*)&from, flags, &fx);
    if (wasLocked && target->Lock(nullptr, &mLockedSurfaceDesc, DDLOCK_WAIT, nullptr) != DD_OK)
        mLockCount = 0; // the lock is gone; do not unlock it later
    return hr == DD_OK;
}

// --- draw rule ----------------------------------------------------------------------

bool DDImage::FillPolygon(const int* points, int count, const Rect* clip, const Color* color,
                          int mode, int tx, int ty, int extra)
{
    if (!DrawsThrough3D())
        return false;
    mDDInterface->mD3D->FillPolygon(points, count, clip, color, mode, tx, ty);
    return true;
}

void DDImage::FillRect(const Rect* rect, const Color* color, int mode)
{
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->FillRect(rect, color, mode);
        return;
    }
    UpdateAlphaFlags();
    if (SurfaceFit())
    {
        if (DrewOnSurface(
                *this, mode, [&] { SurfaceFillRect(rect, color); },
                [&] { SurfaceFillRectAdditive(rect, color); }))
        {
            SurfaceDrawn();
            return;
        }
    }
    if (GetPixels())
        MemoryImage::FillRect(rect, color, mode);
}

void DDImage::DrawLine(double x1, double y1, double x2, double y2, const Color* color, int mode)
{
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->DrawLine(x1, y1, x2, y2, color, mode);
        return;
    }
    if (SurfaceFit())
    {
        if (y1 == y2)
        {
            int left = (int)(x1 < x2 ? x1 : x2), right = (int)(x1 < x2 ? x2 : x1);
            Rect r(left, (int)y1, right - left + 1, 1);
            FillRect(&r, color, mode);
            return;
        }
        if (x1 == x2)
        {
            int top = (int)(y1 < y2 ? y1 : y2), bottom = (int)(y1 < y2 ? y2 : y1);
            Rect r((int)x1, top, 1, bottom - top + 1);
            FillRect(&r, color, mode);
            return;
        }
        UpdateAlphaFlags();
        if (DrewOnSurface(
                *this, mode, [&] { SurfaceDrawLine(x1, y1, x2, y2, color); },
                [&] { SurfaceDrawLineAdditive(x1, y1, x2, y2, color); }))
        {
            SurfaceDrawn();
            return;
        }
    }
    if (GetPixels())
        MemoryImage::DrawLine(x1, y1, x2, y2, color, mode);
}

void DDImage::DrawLineAA(double x1, double y1, double x2, double y2, const Color* color, int mode)
{
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->DrawLine(x1, y1, x2, y2, color, mode);
        return;
    }
    if (SurfaceFit())
    {
        if (y1 == y2 || x1 == x2)
        {
            DrawLine(x1, y1, x2, y2, color, mode);
            return;
        }
        UpdateAlphaFlags();
        if (DrewOnSurface(
                *this, mode, [&] { SurfaceDrawLineAA(x1, y1, x2, y2, color); },
                [&] { SurfaceDrawLineAAAdditive(x1, y1, x2, y2, color); }))
        {
            SurfaceDrawn();
            return;
        }
    }
    if (GetPixels())
        MemoryImage::DrawLineAA(x1, y1, x2, y2, color, mode);
}

void DDImage::FillScanLinesWithCoverage(Span* spans, int count, const Color* color, int mode,
                                        const unsigned char* coverage, int x, int y, int width,
                                        int height)
{
    if (count <= 0)
        return;
    if (DrawsThrough3D())
    {
        int left = spans[0].x, top = spans[0].y, right = left, bottom = top;
        for (int i = 0; i < count; ++i)
        {
            left = std::min(left, spans[i].x);
            right = std::max(right, spans[i].x + spans[i].width - 1);
            top = std::min(top, spans[i].y);
            bottom = std::max(bottom, spans[i].y);
        }
        for (int i = 0; i < count; ++i)
        {
            spans[i].x -= left;
            spans[i].y -= top;
        }
        MemoryImage box(mApp);
        box.Create(right - left + 1, bottom - top + 1);
        box.GetPixels();
        box.MemoryImage::FillScanLinesWithCoverage(spans, count, color, mode, coverage, x - left,
                                                   y - top, width, height);
        Rect whole(0, 0, box.mWidth, box.mHeight);
        DrawImage(&box, left, top, &whole, &gColorWhite, mode);
        // The box dies here; the renderer must not keep its texture.
        mDDInterface->RemoveImageTexture(&box);
        return;
    }
    SurfaceBits bits;
    if (!mNoLock && LockBits(bits))
    {
        SurfaceFillCoverageBits(bits, spans, count, ColorOf(color), coverage, x, y, width);
        Unlock();
        SurfaceDrawn();
        return;
    }
    if (!mNoLock && GetPixels())
        MemoryImage::FillScanLinesWithCoverage(spans, count, color, mode, coverage, x, y, width,
                                               height);
}

void DDImage::DrawImage(Image* src, int x, int y, const Rect* srcRect, const Color* color, int mode)
{
    if (!src)
        return;
    Rect whole(0, 0, src->mWidth, src->mHeight);
    const Rect& sr = srcRect ? *srcRect : whole;
    if (DrawsThrough3D())
    {
        src->mUsed = true;
        MemoryImage* mem = dynamic_cast<MemoryImage*>(src);
        if (mem)
            mem->UpdateAlphaFlags();
        DDImage* dd = dynamic_cast<DDImage*>(src);
        if (dd && dd->mSurface && mDDInterface->mD3D->TransformStackEmpty() && mode == 0 &&
            IsWhite(color) && !dd->mHasTranslucent)
        {
            RECT dest = {x, y, x + sr.mWidth, y + sr.mHeight};
            RECT from = {sr.mX, sr.mY, sr.mX + sr.mWidth, sr.mY + sr.mHeight};
            BltFrom(dd, dest, from);
            return;
        }
        mDDInterface->mD3D->Blt(src, (float)x, (float)y, &sr, color, mode, false);
        return;
    }
    src->mUsed = true;
    UpdateAlphaFlags();
    bool cursorArea = mDDInterface && (this == mDDInterface->mOldCursorAreaImage ||
                                       this == mDDInterface->mNewCursorAreaImage);
    if (!mHasTranslucent && !mHasTransparent &&
        (!(mDDInterface && mDDInterface->mIs3D) || cursorArea))
    {
        if (DrewOnSurface(
                *this, mode, [&] { SurfaceDrawImage(src, x, y, &sr, color); },
                [&] { SurfaceDrawImageAdditive(src, x, y, &sr, color); }))
        {
            SurfaceDrawn();
            return;
        }
    }
    if (GetPixels() && ImageReadable(src))
        MemoryImage::DrawImage(src, x, y, &sr, color, mode);
}

void DDImage::DrawImageF(Image* src, float x, float y, const Rect* srcRect, const Rect* clip,
                         const Color* color, int mode)
{
    if (!src)
        return;
    src->mUsed = true;
    if (DrawsThrough3D())
    {
        FRect dest(x, y, src->mWidth, src->mHeight);
        FRect box =
            clip ? dest.Intersection(FRect(clip->mX, clip->mY, clip->mWidth, clip->mHeight)) : dest;
        if (box.mWidth == dest.mWidth && box.mHeight == dest.mHeight)
            mDDInterface->mD3D->Blt(src, x, y, srcRect, color, mode, true);
        else if (box.mWidth > 0 && box.mHeight > 0)
            mDDInterface->mD3D->BltTranslated(src, x, y, srcRect, clip, color, mode);
        return;
    }
    DrawImageRotated(src, x, y, srcRect, clip, color, mode, 0.0, 0.0f, 0.0f);
}

void DDImage::DrawImageRotated(Image* src, float x, float y, const Rect* srcRect, const Rect* clip,
                               const Color* color, int mode, double angle, float centerX,
                               float centerY)
{
    if (!src)
        return;
    src->mUsed = true;
    if (mNoLock)
        return;
    UpdateAlphaFlags();
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->BltRotated(src, x, y, clip, color, mode, angle, centerX, centerY,
                                       srcRect);
        return;
    }
    MemoryImage* mem = dynamic_cast<MemoryImage*>(src);
    Rect whole(0, 0, src->mWidth, src->mHeight);
    const Rect& sr = srcRect ? *srcRect : whole;
    Rect fullClip(0, 0, mWidth, mHeight);
    const Rect& cl = clip ? *clip : fullClip;
    if (mem && SurfaceFit())
    {
        FRect bounds;
        if (!GetRotatedBounds(x, y, sr, cl, angle, centerX, centerY, bounds))
            return;
        mem->UpdateAlphaFlags();
        SurfaceSource source = SourceOf(mem, SOURCE_ARGB);
        SurfaceBits bits;
        if ((source.argb || source.colorTable) && LockBits(bits))
        {
            SurfaceDrawRotatedBits(bits, mDDInterface->GetSurfaceFormat(), source, x, y, sr, bounds,
                                   ColorOf(color), mode, angle, centerX, centerY);
            Unlock();
            SurfaceDrawn();
            return;
        }
    }
    if (GetPixels() && ImageReadable(src))
        MemoryImage::DrawImageRotated(src, x, y, srcRect, clip, color, mode, angle, centerX,
                                      centerY);
}

void DDImage::DrawImageStretched(Image* src, const Rect* destRect, const Rect* srcRect,
                                 const Rect* clip, const Color* color, int mode, bool fast)
{
    if (!src || !destRect)
        return;
    src->mUsed = true;
    UpdateAlphaFlags();
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->BltStretched(src, destRect, srcRect, clip, color, mode, fast, false);
        return;
    }
    MemoryImage* mem = dynamic_cast<MemoryImage*>(src);
    if (!mem)
        return;
    mem->UpdateAlphaFlags();
    Rect whole(0, 0, src->mWidth, src->mHeight);
    const Rect& sr = srcRect ? *srcRect : whole;
    Rect fullClip(0, 0, mWidth, mHeight);
    const Rect& cl = clip ? *clip : fullClip;
    FRect floatSrc;
    Rect clipped;
    if (!GetStretchClip(sr, cl, *destRect, floatSrc, clipped))
        return;
    bool is3D = mDDInterface && mDDInterface->mIs3D;
    if (!fast)
    {
        if (mHasTranslucent || mHasTransparent || is3D)
        {
            if (GetPixels() && ImageReadable(src))
                MemoryImage::DrawImageStretched(src, destRect, srcRect, clip, color, mode, fast);
            return;
        }
        MemoryImage temp(mApp);
        temp.Create(clipped.mWidth, clipped.mHeight);
        temp.GetPixels();
        temp.StretchFiltered(mem, floatSrc, Rect(0, 0, clipped.mWidth, clipped.mHeight));
        Rect all(0, 0, clipped.mWidth, clipped.mHeight);
        DrawImage(&temp, clipped.mX, clipped.mY, &all, color, mode);
        return;
    }
    DDImage* dd = dynamic_cast<DDImage*>(src);
    if (dd && IsWhite(color) && mode == 0 && !dd->mHasTranslucent && mSurface && dd->mSurface)
    {
        RECT from = {(LONG)floatSrc.mX, (LONG)floatSrc.mY, (LONG)(floatSrc.mX + floatSrc.mWidth),
                     (LONG)(floatSrc.mY + floatSrc.mHeight)};
        RECT dest = {clipped.mX, clipped.mY, clipped.mX + clipped.mWidth,
                     clipped.mY + clipped.mHeight};
        if (BltFrom(dd, dest, from))
        {
            SurfaceDrawn();
            return;
        }
    }
    if (SurfaceDrawStretched(mem, floatSrc, clipped, color, mode, false))
        return;
    if (GetPixels() && ImageReadable(src))
        MemoryImage::DrawImageStretched(src, destRect, srcRect, clip, color, mode, fast);
}

void DDImage::DrawImageStretchedMirrored(Image* src, const Rect* destRect, const Rect* srcRect,
                                         const Rect* clip, const Color* color, int mode, bool fast)
{
    if (!src || !destRect)
        return;
    src->mUsed = true;
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->BltStretched(src, destRect, srcRect, clip, color, mode, fast, true);
        return;
    }
    MemoryImage* mem = dynamic_cast<MemoryImage*>(src);
    if (!mem)
        return;
    mem->UpdateAlphaFlags();
    Rect whole(0, 0, src->mWidth, src->mHeight);
    const Rect& sr = srcRect ? *srcRect : whole;
    Rect fullClip(0, 0, mWidth, mHeight);
    const Rect& cl = clip ? *clip : fullClip;
    FRect floatSrc;
    Rect clipped;
    if (!GetMirroredStretchClip(sr, cl, *destRect, floatSrc, clipped))
        return;
    SurfaceDrawStretched(mem, floatSrc, clipped, color, mode, true);
}

bool DDImage::SurfaceDrawStretched(MemoryImage* mem, const FRect& floatSrc, const Rect& clipped,
                                   const Color* color, int mode, bool mirror)
{
    SurfaceSource source = SourceOf(mem, SOURCE_NATIVE);
    SurfaceBits bits;
    if (!source.native || !LockBits(bits))
        return false;
    SurfaceDrawStretchedBits(bits, mDDInterface->GetSurfaceFormat(), source, floatSrc, clipped,
                             ColorOf(color), mode, mirror);
    Unlock();
    SurfaceDrawn();
    return true;
}

void DDImage::DrawImageMirrored(Image* src, int x, int y, const Rect* srcRect, const Color* color,
                                int mode)
{
    if (!src)
        return;
    UpdateAlphaFlags();
    Rect whole(0, 0, src->mWidth, src->mHeight);
    const Rect& sr = srcRect ? *srcRect : whole;
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->BltMirrored(src, (float)x, (float)y, &sr, color, mode, false);
        return;
    }
    if (mode == 0)
        SurfaceDrawImageMirrored(src, x, y, &sr, color);
    else if (mode == 1)
        SurfaceDrawImageMirroredAdditive(src, x, y, &sr, color);
    SurfaceDrawn();
}

namespace
{

int TriangleFormatOf(const SurfaceBits& bits)
{
    if (bits.bitsPerPixel == 32)
        return TrianglePixelFormat888;
    if (bits.bitsPerPixel == 16 && bits.redMask == 0xF800 && bits.greenMask == 0x7E0 &&
        bits.blueMask == 0x1F)
        return TrianglePixelFormat565;
    if (bits.bitsPerPixel == 16 && bits.redMask == 0x7C00 && bits.greenMask == 0x3E0 &&
        bits.blueMask == 0x1F)
        return TrianglePixelFormat555;
    return 0;
}

} // namespace

void DDImage::DrawImageMatrix(Image* src, float x, float y, const Matrix3& matrix, const Rect* clip,
                              const Color* color, int mode, const Rect* srcRect, bool filter,
                              Image* maskImage, const MaskRect* maskSrcRect,
                              const MaskRect* maskPlaceRect, const Matrix3* maskMatrix)
{
    if (!src)
        return;
    src->mUsed = true;
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->BltTransformed(src, clip, color, mode, srcRect, matrix, filter, x, y,
                                           false, maskImage, maskSrcRect, maskPlaceRect,
                                           maskMatrix);
        return;
    }
    if (DrawMaskedMatrix(this, src, x, y, matrix, clip, color, mode, srcRect, filter, maskImage,
                         maskSrcRect, maskPlaceRect, maskMatrix))
        return;
    MemoryImage* mem = dynamic_cast<MemoryImage*>(src);
    if (!mem || !ImageReadable(src))
        return;
    SurfaceBits bits;
    if (!LockBits(bits))
    {
        if (GetPixels())
            MemoryImage::DrawImageMatrix(src, x, y, matrix, clip, color, mode, srcRect, filter,
                                         maskImage, maskSrcRect, maskPlaceRect, maskMatrix);
        return;
    }
    int format = TriangleFormatOf(bits);
    if (format && mem->mWidth > 0 && mem->mHeight > 0)
    {
        Rect whole(0, 0, src->mWidth, src->mHeight);
        const Rect& sr = srcRect ? *srcRect : whole;
        Rect fullClip(0, 0, mWidth, mHeight);
        const Rect& cl = clip ? *clip : fullClip;
        TriangleVertex quad[4];
        const float cx[4] = {0.0f, (float)sr.mWidth, 0.0f, (float)sr.mWidth};
        const float cy[4] = {0.0f, 0.0f, (float)sr.mHeight, (float)sr.mHeight};
        for (int i = 0; i < 4; ++i)
        {
            float in[3] = {cx[i], cy[i], 1.0f}, out[3];
            matrix.TransformVector3(in, out);
            quad[i].x = out[0] + x - 0.5f;
            quad[i].y = out[1] + y - 0.5f;
            quad[i].u = (sr.mX + cx[i]) / (float)mem->mWidth;
            quad[i].v = (sr.mY + cy[i]) / (float)mem->mHeight;
            quad[i].color = 0xFFFFFFFF;
        }
        DrawTriangle(quad, 4, mem, ColorOf(color), mode, cl, bits.bits, bits.pitch, format, filter,
                     false);
    }
    Unlock();
    SurfaceDrawn();
}

void DDImage::DrawTrianglesTex(Image* texture, const TriangleVertex* triangles, int count,
                               const Rect* clip, const Color* color, int mode, float tx, float ty,
                               bool filter)
{
    if (texture)
        texture->mUsed = true;
    if (DrawsThrough3D())
    {
        mDDInterface->mD3D->DrawTrianglesTex(triangles, count, color, mode, texture, tx, ty,
                                             filter);
        return;
    }
    if (count < 1 || !triangles || (texture && !ImageReadable(texture)))
        return;
    SurfaceBits bits;
    if (!LockBits(bits))
    {
        if (GetPixels())
            MemoryImage::DrawTrianglesTex(texture, triangles, count, clip, color, mode, tx, ty,
                                          filter);
        return;
    }
    int format = TriangleFormatOf(bits);
    MemoryImage* mem = dynamic_cast<MemoryImage*>(texture);
    Rect fullClip(0, 0, mWidth, mHeight);
    const Rect& cl = clip ? *clip : fullClip;
    for (int t = 0; format && t < count; ++t)
    {
        TriangleVertex v[3];
        bool useColors = false;
        for (int i = 0; i < 3; ++i)
        {
            v[i] = triangles[t * 3 + i];
            v[i].x += tx;
            v[i].y += ty;
            useColors |= v[i].color != 0;
        }
        DrawTriangle(v, 3, mem, ColorOf(color), mode, cl, bits.bits, bits.pitch, format, filter,
                     useColors);
    }
    Unlock();
    SurfaceDrawn();
}

// --- surface routines -------------------------------------------------------------

void DDImage::SurfaceFillRect(const Rect* rect, const Color* color)
{
    if (mNoLock || !rect)
        return;
    DrawOnLockedSurface(
        *this, true, &DDImage::LockBits,
        [&](const SurfaceBits& bits)
        { SurfaceFillRectBits(bits, mDDInterface->GetSurfaceFormat(), *rect, ColorOf(color)); });
}

void DDImage::SurfaceFillRectAdditive(const Rect* rect, const Color* color)
{
    if (mNoLock || !rect)
        return;
    DrawOnLockedSurface(*this, true, &DDImage::LockBits,
                        [&](const SurfaceBits& bits) {
                            SurfaceFillRectAdditiveBits(bits, mDDInterface->GetSurfaceFormat(),
                                                        *rect, ColorOf(color));
                        });
}

void DDImage::SurfaceDrawLine(double x1, double y1, double x2, double y2, const Color* color)
{
    if (mNoLock)
        return;
    DrawOnLockedSurface(*this, true, &DDImage::LockBits,
                        [&](const SurfaceBits& bits)
                        {
                            SurfaceDrawLineBits(bits, mDDInterface->GetSurfaceFormat(), x1, y1, x2,
                                                y2, ColorOf(color), false);
                        });
}

void DDImage::SurfaceDrawLineAdditive(double x1, double y1, double x2, double y2,
                                      const Color* color)
{
    if (mNoLock)
        return;
    DrawOnLockedSurface(*this, true, &DDImage::LockBits,
                        [&](const SurfaceBits& bits)
                        {
                            SurfaceDrawLineBits(bits, mDDInterface->GetSurfaceFormat(), x1, y1, x2,
                                                y2, ColorOf(color), true);
                        });
}

void DDImage::SurfaceDrawLineAA(double x1, double y1, double x2, double y2, const Color* color)
{
    DrawOnLockedSurface(*this, true, &DDImage::LockBits,
                        [&](const SurfaceBits& bits)
                        { SurfaceDrawLineAABits(bits, x1, y1, x2, y2, ColorOf(color)); });
}

void DDImage::SurfaceDrawLineAAAdditive(double, double, double, double, const Color*) {}

void DDImage::SurfaceDrawImage(Image* src, int x, int y, const Rect* srcRect, const Color* color)
{
    if (!src)
        return;
    Rect sr;
    MemoryImage* mem = SurfaceImageSource(src, srcRect, sr);
    if (!mem)
        return;
    DDImage* dd = dynamic_cast<DDImage*>(src);
    bool white = IsWhite(color);
    if (mem->mBlitOption && !(dd && dd->mSurface) && !mNoLock && white)
    {
        const SurfaceSource source = SourceOf(mem, SOURCE_ARGB);
        DrawOnLockedSurface(
            *this, true, &DDImage::LockBits,
            [&](const SurfaceBits& bits)
            { SurfaceDrawStraightBits(bits, mDDInterface->GetSurfaceFormat(), source, x, y, sr); });
        return;
    }
    if (!mem->mHasTranslucent && white)
    {
        if (dd && dd->mSurface && (mWantVideoMemory || !dd->mWantVideoMemory))
        {
            RECT dest = {x, y, x + sr.mWidth, y + sr.mHeight};
            RECT from = {sr.mX, sr.mY, sr.mX + sr.mWidth, sr.mY + sr.mHeight};
            if (!BltFrom(dd, dest, from))
                mSurfaceDrawFailed = true;
            return;
        }
        const SurfaceSource source = SourceOf(mem, SOURCE_NATIVE);
        DrawOnLockedSurface(*this, source.native != nullptr, &DDImage::LockBits,
                            [&](const SurfaceBits& bits)
                            { SurfaceDrawOpaqueBits(bits, source, x, y, sr); });
        return;
    }
    if (mNoLock)
        return;
    const SurfaceSource source = SourceOf(mem, SOURCE_NATIVE | SOURCE_RUN_ALPHA);
    DrawOnLockedSurface(*this, source.native && source.runAlpha, &DDImage::LockBits,
                        [&](const SurfaceBits& bits)
                        { SurfaceDrawBlendBits(bits, source, x, y, sr, ColorOf(color), false); });
}

void DDImage::SurfaceDrawImageAdditive(Image* src, int x, int y, const Rect* srcRect,
                                       const Color* color)
{
    SurfaceDrawImageAdded(src, x, y, srcRect, color, false);
}

void DDImage::SurfaceDrawImageMirrored(Image* src, int x, int y, const Rect* srcRect,
                                       const Color* color)
{
    SurfaceDrawImageBlended(src, x, y, srcRect, color, true);
}

void DDImage::SurfaceDrawImageMirroredAdditive(Image* src, int x, int y, const Rect* srcRect,
                                               const Color* color)
{
    SurfaceDrawImageAdded(src, x, y, srcRect, color, true);
}

void DDImage::SurfaceDrawImageBlended(Image* src, int x, int y, const Rect* srcRect,
                                      const Color* color, bool mirror)
{
    if (!src || mNoLock)
        return;
    Rect sr;
    MemoryImage* mem = SurfaceImageSource(src, srcRect, sr);
    if (!mem)
        return;
    const SurfaceSource source = SourceOf(mem, SOURCE_NATIVE | SOURCE_RUN_ALPHA);
    DrawOnLockedSurface(*this, source.native && source.runAlpha, &DDImage::LockBits,
                        [&](const SurfaceBits& bits)
                        { SurfaceDrawBlendBits(bits, source, x, y, sr, ColorOf(color), mirror); });
}

void DDImage::SurfaceDrawImageAdded(Image* src, int x, int y, const Rect* srcRect,
                                    const Color* color, bool mirror)
{
    if (!src || mNoLock)
        return;
    Rect sr;
    MemoryImage* mem = SurfaceImageSource(src, srcRect, sr);
    if (!mem)
        return;
    const SurfaceSource source = SourceOf(mem, SOURCE_NATIVE | SOURCE_RUN_ADDITIVE);
    DrawOnLockedSurface(*this, source.native && source.runAdditive, &DDImage::LockBits,
                        [&](const SurfaceBits& bits)
                        {
                            SurfaceDrawAdditiveBits(bits, mDDInterface->GetSurfaceFormat(), source,
                                                    x, y, sr, ColorOf(color), mirror);
                        });
}

} // namespace Lumo
