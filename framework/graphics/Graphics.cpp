// Lumo::Graphics: state, translation, clipping and the calls into the
// destination image. Text layout is defined with the fonts (GraphicsText.cpp).

#include "framework/graphics/Graphics.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImageDisplay.h"

namespace Lumo
{

Image gEmptyImage;

namespace
{

// A memory destination would read an unreadable surface image through null
// pixels; surface destinations check their sources themselves.
bool SourceReadable(Image* dest, Image* src)
{
    return dynamic_cast<DDImage*>(dest) || ImageReadable(src);
}

} // namespace

DrawPassLock::DrawPassLock(Image* image) : mSurface(dynamic_cast<DDImage*>(image))
{
    mLocked = mSurface != nullptr && mSurface->Lock();
}

DrawPassLock::~DrawPassLock()
{
    if (mLocked)
        mSurface->Unlock();
}

void GraphicsState::CopyFrom(const GraphicsState& other)
{
    *this = other;
}

Graphics::Graphics(Image* destImage)
{
    mDestImage = destImage ? destImage : &gEmptyImage;
    mClipRect = Rect(0, 0, mDestImage->mWidth, mDestImage->mHeight);
    mIs3D = destImage ? GraphicsDrawsThrough3D(destImage) : false;
}

Graphics::Graphics(const Graphics& other) : GraphicsState()
{
    CopyFrom(other);
}

Graphics::~Graphics() = default;

Graphics* Graphics::Clone() const
{
    return new Graphics(*this);
}

// --- saved states ---

void Graphics::PushState()
{
    mStateStack.push_back(static_cast<const GraphicsState&>(*this));
}

void Graphics::PopState()
{
    if (mStateStack.empty())
        return;
    CopyFrom(mStateStack.back());
    mStateStack.pop_back();
}

void Graphics::Translate(int dx, int dy)
{
    mTransX += dx;
    mTransY += dy;
}

// --- clipping ---

void Graphics::SetClipRect(int x, int y, int width, int height)
{
    const Rect r((int)(mTransX + x), (int)(mTransY + y), width, height);
    mClipRect = r.Intersection(Rect(0, 0, mDestImage->mWidth, mDestImage->mHeight));
}

void Graphics::SetClipRect(const Rect& rect)
{
    SetClipRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Graphics::IntersectClipRect(int x, int y, int width, int height)
{
    const Rect r((int)(mTransX + x), (int)(mTransY + y), width, height);
    mClipRect = mClipRect.Intersection(r);
}

void Graphics::IntersectClipRect(const Rect& rect)
{
    IntersectClipRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

bool Graphics::ClipLine(double& x1, double& y1, double& x2, double& y2) const
{
    const double left = mClipRect.mX, top = mClipRect.mY;
    const double right = (double)mClipRect.mX + mClipRect.mWidth;
    const double bottom = (double)mClipRect.mY + mClipRect.mHeight;
    double ax = x1, ay = y1, bx = x2, by = y2;
    if (ax > bx)
    {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ax < left)
    {
        if (bx < left)
            return false;
        ay += (left - ax) * ((by - ay) / (bx - ax));
        ax = left;
    }
    if (bx >= right)
    {
        if (ax >= right)
            return false;
        by += ((right - 1) - bx) * ((by - ay) / (bx - ax));
        bx = right - 1;
    }
    if (ay > by)
    {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ay < top)
    {
        if (by < top)
            return false;
        ax += (top - ay) * ((bx - ax) / (by - ay));
        ay = top;
    }
    if (by >= bottom)
    {
        if (ay >= bottom)
            return false;
        bx += ((bottom - 1) - by) * ((bx - ax) / (by - ay));
        by = bottom - 1;
    }
    x1 = ax;
    y1 = ay;
    x2 = bx;
    y2 = by;
    return true;
}

// --- fills and lines ---

void Graphics::FillRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0)
        return;
    Rect r((int)(mTransX + x), (int)(mTransY + y), width, height);
    r = r.Intersection(mClipRect);
    if (r.mWidth <= 0 || r.mHeight <= 0)
        return;
    mDestImage->FillRect(&r, &mColor, mDrawMode);
}

void Graphics::FillRect(const Rect& rect)
{
    FillRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Graphics::DrawRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0)
        return;
    const int tx = (int)(mTransX + x), ty = (int)(mTransY + y);
    const Rect& c = mClipRect;
    if (tx >= c.mX && ty >= c.mY && (int64_t)tx + width + 1 <= (int64_t)c.mX + c.mWidth &&
        (int64_t)ty + height + 1 <= (int64_t)c.mY + c.mHeight)
    {
        Rect r(tx, ty, width, height);
        mDestImage->DrawRect(&r, &mColor, mDrawMode);
        return;
    }
    FillRect(x, y, width + 1, 1);
    FillRect(x, y + height, width + 1, 1);
    FillRect(x, y + 1, 1, height - 1);
    FillRect(x + width, y + 1, 1, height - 1);
}

void Graphics::DrawRect(const Rect& rect)
{
    DrawRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Graphics::DrawLine(int x1, int y1, int x2, int y2)
{
    double ax = (double)x1 + mTransX, ay = (double)y1 + mTransY;
    double bx = (double)x2 + mTransX, by = (double)y2 + mTransY;
    if (!ClipLine(ax, ay, bx, by))
        return;
    mDestImage->DrawLine(ax, ay, bx, by, &mColor, mDrawMode);
}

// --- images ---

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (!image || !SourceReadable(mDestImage, image))
        return;
    if (mScaleX != 1.0f || mScaleY != 1.0f)
    {
        DrawImage(image, x, y, Rect(0, 0, image->mWidth, image->mHeight));
        return;
    }
    const int tx = (int)(mTransX + x), ty = (int)(mTransY + y);
    const Rect r = Rect(tx, ty, image->mWidth, image->mHeight).Intersection(mClipRect);
    if (r.mWidth < 1 || r.mHeight < 1)
        return;
    const Rect src(r.mX - tx, r.mY - ty, r.mWidth, r.mHeight);
    mDestImage->DrawImage(image, r.mX, r.mY, &src, ImageColor(), mDrawMode);
}

void Graphics::DrawImage(Image* image, int x, int y, const Rect& srcRect)
{
    if (!image || !SourceReadable(mDestImage, image))
        return;
    // A source rectangle reaching past the image draws nothing.
    if (srcRect.mX < 0 || srcRect.mY < 0 || srcRect.mWidth < 0 || srcRect.mHeight < 0 ||
        srcRect.mX > image->mWidth - srcRect.mWidth ||
        srcRect.mY > image->mHeight - srcRect.mHeight)
        return;
    const int tx = (int)(mTransX + x), ty = (int)(mTransY + y);
    if (mScaleX != 1.0f || mScaleY != 1.0f)
    {
        const float px = (float)(tx - mScaleOrigX) * mScaleX;
        const float py = (float)(ty - mScaleOrigY) * mScaleY;
        const float pw = (float)srcRect.mWidth * mScaleX;
        const float ph = (float)srcRect.mHeight * mScaleY;
        const Rect dest((int)(std::floor(px) + mScaleOrigX), (int)(std::floor(py) + mScaleOrigY),
                        (int)std::ceil(pw), (int)std::ceil(ph));
        mDestImage->DrawImageStretched(image, &dest, &srcRect, &mClipRect, ImageColor(), mDrawMode,
                                       mFastStretch);
        return;
    }
    const Rect r = Rect(tx, ty, srcRect.mWidth, srcRect.mHeight).Intersection(mClipRect);
    if (r.mWidth < 1 || r.mHeight < 1)
        return;
    const Rect src(srcRect.mX + r.mX - tx, srcRect.mY + r.mY - ty, r.mWidth, r.mHeight);
    mDestImage->DrawImage(image, r.mX, r.mY, &src, ImageColor(), mDrawMode);
}

void Graphics::DrawImageStretched(Image* image, int x, int y, int width, int height)
{
    if (!image || !SourceReadable(mDestImage, image))
        return;
    const Rect dest((int)(mTransX + x), (int)(mTransY + y), width, height);
    const Rect src(0, 0, image->mWidth, image->mHeight);
    mDestImage->DrawImageStretched(image, &dest, &src, &mClipRect, ImageColor(), mDrawMode,
                                   mFastStretch);
}

void Graphics::DrawImageStretched(Image* image, const Rect& destRect, const Rect& srcRect)
{
    if (!image || !SourceReadable(mDestImage, image))
        return;
    const Rect dest((int)(mTransX + destRect.mX), (int)(mTransY + destRect.mY), destRect.mWidth,
                    destRect.mHeight);
    mDestImage->DrawImageStretched(image, &dest, &srcRect, &mClipRect, ImageColor(), mDrawMode,
                                   mFastStretch);
}

void Graphics::DrawImageStretchedMirrored(Image* image, const Rect& destRect, const Rect& srcRect,
                                          bool mirror)
{
    if (!mirror)
    {
        DrawImageStretched(image, destRect, srcRect);
        return;
    }
    if (!image || !SourceReadable(mDestImage, image))
        return;
    const Rect dest((int)(mTransX + destRect.mX), (int)(mTransY + destRect.mY), destRect.mWidth,
                    destRect.mHeight);
    mDestImage->DrawImageStretchedMirrored(image, &dest, &srcRect, &mClipRect, ImageColor(),
                                           mDrawMode, mFastStretch);
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& srcRect, float x,
                               float y)
{
    if (!image || !SourceReadable(mDestImage, image))
        return;
    const float oldX = mTransX, oldY = mTransY;
    mTransX = 0.0f;
    mTransY = 0.0f;
    mDestImage->DrawImageMatrix(image, x, y, matrix, &mClipRect, ImageColor(), mDrawMode, &srcRect,
                                mBilinearFilter, mMaskImage, &mMaskSrcRect, &mMaskPlaceRect,
                                &mMaskMatrix);
    mTransX = (float)(int)oldX;
    mTransY = (float)(int)oldY;
}

void Graphics::DrawImageBox(const Rect& destRect, Image* image)
{
    if (!image)
        return;
    DrawImageBox(Rect(0, 0, image->mWidth, image->mHeight), destRect, image);
}

void Graphics::DrawImageBox(const Rect& srcRect, const Rect& destRect, Image* image)
{
    if (!image)
        return;
    const int sx = srcRect.mX, sy = srcRect.mY, sw = srcRect.mWidth, sh = srcRect.mHeight;
    const int dx = destRect.mX, dy = destRect.mY, dw = destRect.mWidth, dh = destRect.mHeight;
    if (sw < 1 || sh < 1)
        return;
    const int cw = sw / 3, ch = sh / 3;
    const int mw = sw - 2 * cw, mh = sh - 2 * ch;

    DrawImage(image, dx, dy, Rect(sx, sy, cw, ch));
    DrawImage(image, dx + dw - cw, dy, Rect(sx + cw + mw, sy, cw, ch));
    DrawImage(image, dx, dy + dh - ch, Rect(sx, sy + ch + mh, cw, ch));
    DrawImage(image, dx + dw - cw, dy + dh - ch, Rect(sx + cw + mw, sy + ch + mh, cw, ch));

    {
        Graphics g(*this);
        g.IntersectClipRect(dx + cw, dy, dw - 2 * cw, dh);
        const int count = (dw - 2 * cw + mw - 1) / mw;
        for (int i = 0; i < count; i++)
        {
            g.DrawImage(image, dx + cw + i * mw, dy, Rect(sx + cw, sy, mw, ch));
            g.DrawImage(image, dx + cw + i * mw, dy + dh - ch, Rect(sx + cw, sy + ch + mh, mw, ch));
        }
    }
    {
        Graphics g(*this);
        g.IntersectClipRect(dx, dy + ch, dw, dh - 2 * ch);
        const int count = (dh - 2 * ch + mh - 1) / mh;
        for (int j = 0; j < count; j++)
        {
            g.DrawImage(image, dx, dy + ch + j * mh, Rect(sx, sy + ch, cw, mh));
            g.DrawImage(image, dx + dw - cw, dy + ch + j * mh, Rect(sx + cw + mw, sy + ch, cw, mh));
        }
    }
    {
        Graphics g(*this);
        g.IntersectClipRect(dx + cw, dy + ch, dw - 2 * cw, dh - 2 * ch);
        const int columns = (dw - 2 * cw + mw - 1) / mw;
        const int rows = (dh - 2 * ch + mh - 1) / mh;
        for (int i = 0; i < columns; i++)
            for (int j = 0; j < rows; j++)
                g.DrawImage(image, dx + cw + i * mw, dy + ch + j * mh,
                            Rect(sx + cw, sy + ch, mw, mh));
    }
}

} // namespace Lumo
