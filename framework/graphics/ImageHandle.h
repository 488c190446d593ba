#pragma once
// Counted handle on an image. A handle holds either an entry of the
// application's shared-image cache (counted; the cache deletes the image once
// the count fell to 0) or a plain image that it may own.

#include <atomic>

namespace Lumo
{

class Image;

// One distinct image of the shared-image cache. The entry never deletes its
// image; the cache does when it purges entries whose count is 0.
struct SharedImageEntry
{
    Image* mImage = nullptr;
    // Handles are taken and dropped on the loading thread and the main thread
    // at once, while the main thread purges entries whose count is 0.
    std::atomic<int> mRefCount{0};
};

class ImageHandle
{
public:
    SharedImageEntry* mEntry = nullptr;
    Image* mImage = nullptr; // plain image, used before the entry's
    bool mOwns = false;      // delete mImage on release

    ImageHandle() = default;
    ImageHandle(SharedImageEntry* entry);
    // A copy shares the entry (counted) and the plain image but never owns it.
    ImageHandle(const ImageHandle& other);
    ~ImageHandle();

    // Same as AssignEntryOf: a plain image is never taken over by assignment.
    ImageHandle& operator=(const ImageHandle& other);

    void Release();
    void AssignEntryOf(const ImageHandle& other);
    void AssignEntry(SharedImageEntry* entry);
    void AssignOwned(Image* image);

    Image* GetEntryImage() const;
    Image* GetImage() const;
    operator Image*() const { return GetImage(); }
};

} // namespace Lumo
