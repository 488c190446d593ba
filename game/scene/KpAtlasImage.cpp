#include "game/scene/KpAtlasImage.h"

#include "framework/graphics/Image.h"
#include "game/scene/KpAtlasCache.h"
#include "game/scene/KpPicture.h"

KpAtlasImage::~KpAtlasImage()
{
    Clear();
}

void KpAtlasImage::Clear()
{
    if (mOwned)
        delete mImage;
    mImage = nullptr;
    mOwned = false;
    mRect = Lumo::Rect();
    mTrimX = mTrimY = mWidth = mHeight = 0;
}

bool KpAtlasImage::Load(KpAtlasCache* cache, const std::string& path)
{
    Clear();
    if (cache)
    {
        const KpAtlasRegion* region = cache->FindRegion(path);
        Lumo::Image* page = region ? cache->GetPage(region->page) : nullptr;
        // A region reaching past its page is as good as missing.
        if (page && region->rect.mX + region->rect.mWidth <= page->mWidth &&
            region->rect.mY + region->rect.mHeight <= page->mHeight)
        {
            mImage = page;
            mRect = region->rect;
            mTrimX = region->trimX;
            mTrimY = region->trimY;
            mWidth = region->width;
            mHeight = region->height;
            return true;
        }
    }
    if (path.empty())
        return false;
    mImage = KpLoadPicture(path);
    if (!mImage)
        return false;
    mOwned = true;
    mWidth = mImage->mWidth;
    mHeight = mImage->mHeight;
    mRect = Lumo::Rect(0, 0, mWidth, mHeight);
    return true;
}

void KpAtlasImage::Adopt(Lumo::Image* image)
{
    Clear();
    if (!image)
        return;
    mImage = image;
    mOwned = true;
    mWidth = image->mWidth;
    mHeight = image->mHeight;
    mRect = Lumo::Rect(0, 0, mWidth, mHeight);
}
