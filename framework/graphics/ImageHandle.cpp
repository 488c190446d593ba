#include "framework/graphics/ImageHandle.h"

#include "framework/app/AppHost.h"
#include "framework/graphics/Image.h"

namespace Lumo
{

ImageHandle::ImageHandle(SharedImageEntry* entry) : mEntry(entry)
{
    if (mEntry)
        mEntry->mRefCount++;
}

ImageHandle::ImageHandle(const ImageHandle& other) : mEntry(other.mEntry), mImage(other.mImage)
{
    if (mEntry)
        mEntry->mRefCount++;
}

ImageHandle::~ImageHandle()
{
    Release();
}

ImageHandle& ImageHandle::operator=(const ImageHandle& other)
{
    if (this != &other)
        AssignEntryOf(other);
    return *this;
}

void ImageHandle::Release()
{
    if (mOwns && mImage)
        delete mImage;
    mImage = nullptr;
    if (mEntry)
    {
        // The cache deletes the image on its next purge, not here.
        if (--mEntry->mRefCount == 0 && gAppHost)
            gAppHost->SharedImageReleased();
        mEntry = nullptr;
    }
}

void ImageHandle::AssignEntryOf(const ImageHandle& other)
{
    SharedImageEntry* entry = other.mEntry;
    // Count first: releasing may drop the last reference of the same entry.
    if (entry)
        entry->mRefCount++;
    Release();
    mEntry = entry;
}

void ImageHandle::AssignEntry(SharedImageEntry* entry)
{
    if (entry)
        entry->mRefCount++;
    Release();
    mEntry = entry;
}

void ImageHandle::AssignOwned(Image* image)
{
    Release();
    mImage = image;
    mOwns = true;
}

Image* ImageHandle::GetEntryImage() const
{
    return mEntry ? mEntry->mImage : nullptr;
}

Image* ImageHandle::GetImage() const
{
    return mImage ? mImage : GetEntryImage();
}

} // namespace Lumo
