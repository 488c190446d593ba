#include "game/scene/KpTexture.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"

KpTexture::~KpTexture()
{
    Unlock();
}

void KpTexture::SetImage(const KpImageHandle& handle)
{
    SetImageRect(handle, Lumo::Rect());
}

void KpTexture::SetImageRect(const KpImageHandle& handle, const Lumo::Rect& rect)
{
    // Lock the new picture before letting the old go: the same texture keeps its picture.
    if (mLocked)
        handle.Lock();
    if (mLocked)
        mHandle.Unlock();
    mHandle = handle;
    mRect = rect;
    if (mFrame >= GetFrameCount())
        mFrame = 0;
}

bool KpTexture::Lock()
{
    // The lock stands for the holder's wish, so a picture set later while locked
    // is locked too; an empty handle counts nothing.
    if (mLocked)
        return GetPicture() != nullptr;
    mLocked = true;
    return mHandle.Lock();
}

void KpTexture::Unlock()
{
    if (!mLocked)
        return;
    mLocked = false;
    mHandle.Unlock();
}

Lumo::Image* KpTexture::GetPicture() const
{
    return mLocked ? mHandle.GetImage() : nullptr;
}

void KpTexture::SetAnimation(int fps, bool loop)
{
    mFps = fps > 0 ? fps : 0;
    mLoop = loop;
}

int KpTexture::GetFrameCount() const
{
    Lumo::Image* picture = GetPicture();
    if (!picture || mRect.mWidth > 0)
        return 1;
    int cels = picture->mRows * picture->mColumns;
    return cels > 0 ? cels : 1;
}

void KpTexture::SetFrame(int frame)
{
    int count = GetFrameCount();
    mFrame = frame < 0 ? 0 : (frame >= count ? count - 1 : frame);
    mFrameTimeMs = 0;
}

void KpTexture::Rewind()
{
    mFrame = 0;
    mFrameTimeMs = 0;
    mPlaying = true;
}

bool KpTexture::IsPlaying() const
{
    return mFps > 0 && mPlaying && (mLoop || mFrame < GetFrameCount() - 1);
}

void KpTexture::Advance(int ms)
{
    if (!IsPlaying() || ms <= 0)
        return;
    int count = GetFrameCount();
    const int frameMs = 1000 / mFps > 0 ? 1000 / mFps : 1;
    mFrameTimeMs += ms;
    while (mFrameTimeMs >= frameMs)
    {
        mFrameTimeMs -= frameMs;
        if (mFrame + 1 < count)
            mFrame++;
        else if (mLoop)
            mFrame = 0;
        else
        {
            mPlaying = false;
            mFrameTimeMs = 0;
            break;
        }
    }
}

Lumo::Rect KpTexture::GetSourceRect() const
{
    Lumo::Image* picture = GetPicture();
    if (!picture)
        return Lumo::Rect();
    if (mRect.mWidth > 0)
        return mRect;
    int columns = picture->mColumns > 0 ? picture->mColumns : 1;
    int rows = picture->mRows > 0 ? picture->mRows : 1;
    int w = picture->mWidth / columns, h = picture->mHeight / rows;
    int frame = mFrame < columns * rows ? mFrame : 0;
    return Lumo::Rect((frame % columns) * w, (frame / columns) * h, w, h);
}

void KpTexture::Draw(Lumo::Graphics* g, int widgetWidth, int widgetHeight) const
{
    Lumo::Image* picture = GetPicture();
    if (!picture)
        return;
    Lumo::Rect source = GetSourceRect();
    if (source.mWidth <= 0 || source.mHeight <= 0)
        return;
    switch (mMode)
    {
    case kTextureStretch:
        g->DrawImageStretched(picture, Lumo::Rect(mX, mY, widgetWidth - mX, widgetHeight - mY),
                              source);
        break;
    case kTextureBox:
        g->DrawImageBox(source, Lumo::Rect(mX, mY, widgetWidth - mX, widgetHeight - mY), picture);
        break;
    default:
        g->DrawImage(picture, mX, mY, source);
        break;
    }
}
