// A picture that is either a region of an atlas page or a plain image file.
// A region remembers its page (owned by the cache), its rectangle there, where
// the trimmed rectangle sat in the original picture and the original size, so
// callers place and measure it as if it were the untrimmed file.
#pragma once

#include <string>

#include "framework/app/Rect.h"

namespace Lumo
{
class Image;
}
class KpAtlasCache;

class KpAtlasImage
{
public:
    KpAtlasImage() = default;
    ~KpAtlasImage();
    KpAtlasImage(const KpAtlasImage&) = delete;
    KpAtlasImage& operator=(const KpAtlasImage&) = delete;

    // The region of the path in the cache (when a cache is given and holds it),
    // else the image file itself; empty when neither loads. False when empty.
    bool Load(KpAtlasCache* cache, const std::string& path);
    // A picture made in memory becomes this plain image, owned from then on.
    void Adopt(Lumo::Image* image);
    void Clear();

    bool IsEmpty() const { return !mImage; }
    bool IsRegion() const { return mImage && !mOwned; }
    // The plain image's size, or the region's untrimmed size.
    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    // The plain image, or the region's page image.
    Lumo::Image* GetImage() const { return mImage; }
    // The rectangle to draw from GetImage: the region's, or the whole plain image.
    const Lumo::Rect& GetRect() const { return mRect; }
    // Where the drawn rectangle sits in the untrimmed picture (0, 0 for a plain image).
    int GetTrimX() const { return mTrimX; }
    int GetTrimY() const { return mTrimY; }

private:
    Lumo::Image* mImage = nullptr;
    bool mOwned = false; // a plain image is ours; a page is the cache's
    Lumo::Rect mRect;
    int mTrimX = 0, mTrimY = 0;
    int mWidth = 0, mHeight = 0;
};
