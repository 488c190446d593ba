#include "framework/graphics/DDImage.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "framework/app/Matrix3.h"
#include "framework/graphics/DDInterface.h"
#include "framework/raster/DrawTriangle.h"

namespace Lumo
{

bool ImageReadable(Image* image)
{
    DDImage* dd = dynamic_cast<DDImage*>(image);
    return !dd || dd->mPixels || dd->mColorTable || dd->mNativeAlphaData || !dd->mSurface ||
           dd->GetPixels();
}

// --- construction -----------------------------------------------------------

DDImage::DDImage(DDInterface* display)
    : MemoryImage(display ? display->mApp : nullptr), mDDInterface(display)
{
    Init();
}

void DDImage::Init()
{
    mSurface = nullptr;
    if (mDDInterface)
        mDDInterface->AddDDImage(this);
    mAttachedSurface = false;
    mNoLock = false;
    mWantVideoMemory = false;
    mSurfaceMade = false;
    mLockCount = 0;
    memset(&mLockedSurfaceDesc, 0, sizeof(mLockedSurfaceDesc));
}

DDImage::~DDImage()
{
    if (mSurface)
    {
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
        mSurface->Release();
        mSurface = nullptr;
    }
    if (mDDInterface)
        mDDInterface->RemoveDDImage(this);
}

bool ImageDrawsThrough3D(Image* image)
{
    DDImage* dd = dynamic_cast<DDImage*>(image);
    return dd && dd->DrawsThrough3D();
}

bool DDImage::DrawsThrough3D() const
{
    return mDDInterface && mDDInterface->mIs3D && mDDInterface->mD3D && mSurface &&
           mSurface == mDDInterface->mDrawSurface;
}

bool DDImage::SurfaceFit() const
{
    return !mHasTranslucent && !mHasTransparent && !(mDDInterface && mDDInterface->mIs3D);
}

// --- surface storage ------------------------------------------------------------

void DDImage::SetSurface(IDirectDrawSurface* surface)
{
    // The image owns one reference; a surface held before would leak.
    if (mSurface && mSurface != surface)
    {
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
        mLockCount = 0;
        mSurface->Release();
    }
    mAttachedSurface = true;
    mSurface = surface;
    if (!surface)
        return;
    surface->AddRef();
    DDSURFACEDESC desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    if (SUCCEEDED(surface->GetSurfaceDesc(&desc)))
    {
        mWidth = (int)desc.dwWidth;
        mHeight = (int)desc.dwHeight;
    }
    mNoLock = false;
}

bool DDImage::BuildSurface()
{
    if (mSurface)
        return true;
    if (!mDDInterface || mWidth <= 0 || mHeight <= 0)
        return false;
    UpdateAlphaFlags();
    if (mHasTranslucent)
        return false; // such an image is never kept in a surface
    mSurfaceMade = true;
    // The pixels first: once a surface exists GetPixels reads from it.
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return false;
    // The conversion's memory before any lock: a picture that gets none
    // ends the run in a box. The bit set of used values is cleared on need.
    const int count = mWidth * mHeight;
    std::unique_ptr<uint32_t[]> convertedHeld(NewPictureWords((size_t)count));
    uint32_t* converted = convertedHeld.get();
    std::unique_ptr<unsigned char[]> usedHeld(mHasTransparent ? NewPictureBytes(0x1000000 / 8)
                                                              : nullptr);

    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(DDSURFACEDESC2);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = (DWORD)mWidth;
    desc.dwHeight = (DWORD)mHeight;
    desc.ddsCaps.dwCaps = mWantVideoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;

    AutoCrit lock(mDDInterface->mCritSect);
    IDirectDrawSurface* surface = nullptr;
    if (mDDInterface->CreateSurface(&desc, &surface) != DD_OK || !surface)
        return false;
    mSurface = surface;
    if (!Lock())
    {
        // An unfilled surface would stand for the picture: drop it.
        mSurface->Release();
        mSurface = nullptr;
        return false;
    }

    const DDInterface& d = *mDDInterface;
    const DDPIXELFORMAT& pf = mLockedSurfaceDesc.ddpfPixelFormat;
    auto convert = [&](uint32_t p)
    {
        uint32_t r = (((p >> 16) & 255) >> (8 - d.mRedBits)) << d.mRedShift;
        uint32_t g = (((p >> 8) & 255) >> (8 - d.mGreenBits)) << d.mGreenShift;
        uint32_t b = ((p & 255) >> (8 - d.mBlueBits)) << d.mBlueShift;
        return (r & pf.dwRBitMask) | (g & pf.dwGBitMask) | (b & pf.dwBBitMask);
    };
    int bpp = (int)pf.dwRGBBitCount;
    if ((bpp != 16 && bpp != 32) || d.mRedBits > 8 || d.mGreenBits > 8 || d.mBlueBits > 8)
    {
        Unlock();
        mSurface->Release();
        mSurface = nullptr;
        return false;
    }

    uint32_t key = 0;
    bool keyFound = false;
    bool collision = false;
    for (int i = 0; i < count; ++i)
    {
        converted[i] = convert(pixels[i]);
        if (!keyFound && (pixels[i] >> 24) < 255)
        {
            key = converted[i];
            keyFound = true;
        }
    }
    if (mHasTransparent)
    {
        for (int i = 0; i < count && !collision; ++i)
            collision = (pixels[i] >> 24) == 255 && converted[i] == key;
        if (collision)
        {
            // A free value that no visible pixel uses; 8 KiB or 2 MiB of bits.
            size_t range = bpp == 16 ? 0x10000 : 0x1000000;
            unsigned char* used = usedHeld.get();
            memset(used, 0, range / 8);
            for (int i = 0; i < count; ++i)
            {
                if ((pixels[i] >> 24) > 0)
                {
                    uint32_t v = converted[i] & (uint32_t)(range - 1);
                    used[v >> 3] |= (uint8_t)(1 << (v & 7));
                }
            }
            for (size_t v = 0; v < range; ++v)
            {
                if (!(used[v >> 3] & (1 << (v & 7))))
                {
                    key = (uint32_t)v;
                    break;
                }
            }
        }
    }

    uint8_t* bits = (uint8_t*)mLockedSurfaceDesc.lpSurface;
    int pitch = (int)mLockedSurfaceDesc.lPitch;
    for (int y = 0; y < mHeight; ++y)
    {
        uint8_t* row = bits + (intptr_t)y * pitch;
        for (int x = 0; x < mWidth; ++x)
        {
            int i = y * mWidth + x;
            uint32_t v = converted[i];
            if (mHasTransparent && (pixels[i] >> 24) < 255)
                v = key;
            if (bpp == 16)
                ((uint16_t*)row)[x] = (uint16_t)v;
            else
                ((uint32_t*)row)[x] = v;
        }
    }
    if (mHasTransparent)
    {
        DDCOLORKEY colorKey;
        colorKey.dwColorSpaceLowValue = key;
        colorKey.dwColorSpaceHighValue = key;
        mSurface->SetColorKey(DDCKEY_SRCBLT, &colorKey);
    }
    Unlock();
    return true;
}

IDirectDrawSurface* DDImage::GetSurface()
{
    if (!mSurface)
        BuildSurface();
    return mSurface;
}

void DDImage::CreateSurface()
{
    BuildSurface();
}

void DDImage::DeleteSurface()
{
    if (!mSurface || mAttachedSurface)
        return;
    if (!mColorTable && !mPixels && !mTexture)
        GetPixels(); // the surface is the only copy: keep the picture
    if (mLockCount > 0)
        mSurface->Unlock(nullptr);
    mLockCount = 0;
    mSurface->Release();
    mSurface = nullptr;
}

void DDImage::DeleteMemoryCopies()
{
    delete[] mPixels;
    mPixels = nullptr;
    delete[] mNativeAlphaData;
    mNativeAlphaData = nullptr;
    delete[] mRunLengthAdditiveData;
    mRunLengthAdditiveData = nullptr;
    delete[] mRunLengthAlphaData;
    mRunLengthAlphaData = nullptr;
    delete[] mColorTable;
    mColorTable = nullptr;
    delete[] mColorIndices;
    mColorIndices = nullptr;
}

void DDImage::SetWantSurface(bool videoMemory)
{
    if (videoMemory == mWantVideoMemory)
        return;
    mWantVideoMemory = videoMemory;
    GetPixels();
    DeleteSurface();
}

// --- counted lock -----------------------------------------------------------------

bool DDImage::Lock()
{
    if (DrawsThrough3D())
        return false;
    if (mLockCount == 0)
    {
        memset(&mLockedSurfaceDesc, 0, sizeof(mLockedSurfaceDesc));
        mLockedSurfaceDesc.dwSize = sizeof(DDSURFACEDESC);
        IDirectDrawSurface* surface = GetSurface();
        if (!surface)
            return false;
        if (surface->Lock(nullptr, &mLockedSurfaceDesc, DDLOCK_WAIT, nullptr) != DD_OK)
            return false;
    }
    ++mLockCount;
    return true;
}

bool DDImage::Unlock()
{
    if (DrawsThrough3D())
        return false;
    if (mLockCount <= 0)
        return false; // never below zero, never an unlock of an unlocked surface
    if (--mLockCount == 0 && mSurface)
        mSurface->Unlock(nullptr);
    return true;
}

bool DDImage::LockBits(SurfaceBits& bits)
{
    // The routines need the display's screen format.
    if (!mDDInterface || !Lock())
        return false;
    const DDSURFACEDESC& d = mLockedSurfaceDesc;
    bits.bits = (uint8_t*)d.lpSurface;
    bits.pitch = (int)d.lPitch;
    bits.width = (int)d.dwWidth;
    bits.height = (int)d.dwHeight;
    bits.bitsPerPixel = (int)d.ddpfPixelFormat.dwRGBBitCount;
    bits.redMask = d.ddpfPixelFormat.dwRBitMask;
    bits.greenMask = d.ddpfPixelFormat.dwGBitMask;
    bits.blueMask = d.ddpfPixelFormat.dwBBitMask;
    return true;
}

// --- storage overrides ----------------------------------------------------------

uint32_t* DDImage::GetPixels()
{
    if (mPixels)
        return mPixels;
    if (!mSurface)
        return MemoryImage::GetPixels();
    if (mNoLock || !mDDInterface)
        return nullptr;
    // Before the lock: a picture that gets no memory ends the run in a box.
    int count = mWidth * mHeight;
    std::unique_ptr<uint32_t[]> held(NewPixelArray(mWidth, mHeight));
    uint32_t* pixels = held.get();
    SurfaceBits bits;
    if (!LockBits(bits))
        return nullptr;
    if (bits.bitsPerPixel != 16 && bits.bitsPerPixel != 32)
    {
        Unlock();
        return nullptr;
    }
    const DDInterface& d = *mDDInterface;
    int w = mWidth < bits.width ? mWidth : bits.width;
    int h = mHeight < bits.height ? mHeight : bits.height;
    if (w < mWidth || h < mHeight)
        memset(pixels, 0, sizeof(uint32_t) * count);
    for (int y = 0; y < h; ++y)
    {
        const uint8_t* row = bits.bits + (intptr_t)y * bits.pitch;
        for (int x = 0; x < w; ++x)
        {
            uint32_t v =
                bits.bitsPerPixel == 16 ? ((const uint16_t*)row)[x] : ((const uint32_t*)row)[x];
            uint32_t r = ((v >> d.mRedShift) << (8 - d.mRedBits)) & 255;
            uint32_t g = ((v >> d.mGreenShift) << (8 - d.mGreenBits)) & 255;
            uint32_t b = ((v >> d.mBlueShift) << (8 - d.mBlueBits)) & 255;
            pixels[y * mWidth + x] = 0xFF000000 | (r << 16) | (g << 8) | b;
        }
    }
    Unlock();
    mPixels = held.release();
    return mPixels;
}

void DDImage::Create(int width, int height)
{
    // A size no pixel array can hold is refused: the image stays as it was.
    if (!PixelArrayFits(width, height))
        return;
    if (width != mWidth || height != mHeight)
    {
        // A palette form of the old size cannot stand for the new picture.
        delete[] mColorTable;
        mColorTable = nullptr;
        delete[] mColorIndices;
        mColorIndices = nullptr;
    }
    delete[] mPixels;
    mPixels = nullptr;
    mWidth = width;
    mHeight = height;
    PixelsChanged();
}

void DDImage::PixelsChanged()
{
    MemoryImage::PixelsChanged();
    // The pixels hold the truth now; the display's own surface stays.
    if (mSurface && !mAttachedSurface)
    {
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
        mLockCount = 0;
        mSurface->Release();
        mSurface = nullptr;
    }
}

void DDImage::UpdateAlphaFlags()
{
    if (mSurface)
        return; // the pixels may be gone
    MemoryImage::UpdateAlphaFlags();
}

void DDImage::DeleteExtraBuffers()
{
    if (mAttachedSurface)
        return;
    MemoryImage::DeleteExtraBuffers();
    DeleteSurface();
}

void DDImage::DeleteNativeData()
{
    if (mAttachedSurface)
        return;
    MemoryImage::DeleteNativeData();
    DeleteSurface();
}

void DDImage::ApplyStorageOptions()
{
    MemoryImage::ApplyStorageOptions();
    if (mSurfaceMade)
        BuildSurface();
}

void DDImage::PurgePixels()
{
    if (mAttachedSurface)
        return;
    mPurgeWanted = true;
    UpdateAlphaFlags();
    if (mDDInterface && mDDInterface->mIs3D)
    {
        if (mSurface)
        {
            GetPixels();
            DeleteSurface();
        }
        MemoryImage::PurgePixels();
        return;
    }
    if (mSurfaceMade && BuildSurface())
    {
        delete[] mPixels;
        mPixels = nullptr;
        delete[] mColorIndices;
        mColorIndices = nullptr;
        delete[] mColorTable;
        mColorTable = nullptr;
        return;
    }
    MemoryImage::PurgePixels();
}

bool DDImage::ConvertToPalette()
{
    if (!MemoryImage::ConvertToPalette())
        return false;
    DeleteSurface();
    return true;
}

} // namespace Lumo
