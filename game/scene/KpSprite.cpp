#include "game/scene/KpSprite.h"

#include <cmath>

#include "framework/app/Rect.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"

void KpSprite::Set(const std::string& texture, float anchorX, float anchorY)
{
    mAnchorX = anchorX;
    mAnchorY = anchorY;
    if (texture == mName && (mLocked || texture.empty()))
        return;
    Release();
    mName = texture;
    mHandle = texture.empty() ? KpImageHandle() : KpTextureManager::GetImage(texture);
    mLocked = !mHandle.IsNull() && mHandle.Lock();
    if (!mLocked && !mHandle.IsNull())
        mHandle.Unlock();
}

void KpSprite::Release()
{
    if (mLocked)
        mHandle.Unlock();
    mLocked = false;
    mHandle = KpImageHandle();
    mName.clear();
}

Lumo::Image* KpSprite::GetImage() const
{
    return mLocked ? mHandle.GetImage() : nullptr;
}

int KpSprite::GetWidth() const
{
    Lumo::Image* image = GetImage();
    return image ? image->mWidth : 0;
}

int KpSprite::GetHeight() const
{
    Lumo::Image* image = GetImage();
    return image ? image->mHeight : 0;
}

void KpSprite::Draw(Lumo::Graphics* g, float x, float y, float alpha) const
{
    Lumo::Image* image = GetImage();
    if (!image)
        return;
    Lumo::Rect r = GetRect(x, y);
    DrawPart(g, r.mX, r.mY, 0, 0, image->mWidth, image->mHeight, alpha);
}

Lumo::Rect KpSprite::GetRect(float x, float y) const
{
    Lumo::Image* image = GetImage();
    if (!image)
        return Lumo::Rect();
    int left = int(std::floor(x - mAnchorX * image->mWidth + 0.5f));
    int top = int(std::floor(y - mAnchorY * image->mHeight + 0.5f));
    return Lumo::Rect(left, top, image->mWidth, image->mHeight);
}

void KpSprite::DrawPart(Lumo::Graphics* g, int x, int y, int sx, int sy, int sw, int sh,
                        float alpha) const
{
    Lumo::Image* image = GetImage();
    if (!image || sw <= 0 || sh <= 0 || alpha <= 0.0f)
        return;
    g->PushState();
    if (alpha < 1.0f)
    {
        g->SetTintImages(true);
        g->SetColor(255, 255, 255, int(std::lround(alpha * 255.0f)));
    }
    g->DrawImage(image, x, y, Lumo::Rect(sx, sy, sw, sh));
    g->PopState();
}
