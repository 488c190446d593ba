// The renderer's device, texture records and failure recording.
#include "framework/graphics/D3DInterface.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/app/AppHost.h"
#include "framework/diagnostics/DXResultNames.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/DDInterfaceLock.h"
#include "framework/graphics/MemoryImage.h"

namespace Lumo
{

std::string gD3DLastError;
bool gD3DRenderTargetFailed = false;
bool gLinearFilterOn = false;

namespace
{

void WriteToApplicationRegistry(const std::string& text)
{
    if (gAppHost)
        gAppHost->WriteRegistryString("Test3D\\RuntimeError", text);
}

D3DErrorSink gErrorSink = WriteToApplicationRegistry;

HRESULT CALLBACK CollectTextureFormat(DDPIXELFORMAT* format, void* context)
{
    *(uint32_t*)context |= GetTextureFormat(*format);
    return D3DENUMRET_OK;
}

// Holds the display lock when there is one.
class OptionalLock
{
public:
    explicit OptionalLock(CritSect* lock) : mLock(lock)
    {
        if (mLock)
            mLock->Enter();
    }
    ~OptionalLock()
    {
        if (mLock)
            mLock->Leave();
    }

private:
    CritSect* mLock;
};

} // namespace

void SetD3DErrorSink(D3DErrorSink sink)
{
    gErrorSink = sink ? sink : WriteToApplicationRegistry;
}

bool CheckD3DResult(HRESULT result, const char* text)
{
    if (result >= 0)
        return false;
    if (gD3DLastError.empty())
    {
        gD3DLastError = std::string(text) + ": " + GetDXResultName((int32_t)result);
        gErrorSink(gD3DLastError);
    }
    return true;
}

// ---------------------------------------------------------------- device

D3DInterface::D3DInterface()
{
    ResetTextureLimits();
}

D3DInterface::~D3DInterface()
{
    mLock = nullptr; // the display may be gone; the destructor walks the set unlocked
    Cleanup();
}

bool D3DInterface::Init(DDInterface* display)
{
    if (!display)
        return false;
    return InitOn(display->mDD7, display->mHWnd, display->mDrawSurface, display->mWidth,
                  display->mHeight, &display->mCritSect);
}

bool D3DInterface::InitOn(IDirectDraw7* dd, HWND window, IDirectDrawSurface* drawSurface, int width,
                          int height, CritSect* lock)
{
    gD3DLastError.clear();
    // A second Init without the display's Cleanup must not leak the old device.
    if (mDevice || mD3D || mDrawSurface)
        Cleanup();
    mDirectDraw = dd;
    mHWnd = window;
    mWidth = width;
    mHeight = height;
    mLock = lock;
    if (!dd || !drawSurface)
    {
        if (gD3DLastError.empty())
            gD3DLastError = "Query DrawSurface: no surface";
        return false;
    }
    if (CheckD3DResult(drawSurface->QueryInterface(IID_IDirectDrawSurface7, (void**)&mDrawSurface),
                       "Query DrawSurface"))
    {
        mDrawSurface = nullptr;
        return false;
    }
    return InitDevice();
}

bool D3DInterface::InitDevice()
{
    if (CheckD3DResult(mDirectDraw->QueryInterface(IID_IDirect3D7, (void**)&mD3D),
                       "QueryInterface IID_IDirect3D7"))
    {
        mD3D = nullptr;
        return false;
    }
    if (CheckD3DResult(mD3D->CreateDevice(IID_IDirect3DHALDevice, mDrawSurface, &mDevice),
                       "CreateDevice IID_IDirect3DHALDevice"))
    {
        mDevice = nullptr;
        return false;
    }
    D3DDEVICEDESC7 desc;
    memset(&desc, 0, sizeof(desc));
    if (CheckD3DResult(mDevice->GetCaps(&desc), ""))
        return false;

    if (desc.dwMaxTextureWidth == 0)
    {
        ResetTextureLimits();
    }
    else
    {
        gMinTextureWidth = std::max((int)desc.dwMinTextureWidth, 1);
        gMinTextureHeight = std::max((int)desc.dwMinTextureHeight, 1);
        gMaxTextureWidth = (int)std::min<DWORD>(desc.dwMaxTextureWidth, 2048);
        gMaxTextureHeight = (int)std::min<DWORD>(std::max<DWORD>(desc.dwMaxTextureHeight, 1), 2048);
        gMaxTextureAspectRatio = desc.dwMaxTextureAspectRatio == 0
                                     ? 65536
                                     : (int)std::min<DWORD>(desc.dwMaxTextureAspectRatio, 65536);
    }

    gSupportedTextureFormats = 0;
    mDevice->EnumTextureFormats(CollectTextureFormat, &gSupportedTextureFormats);
    if (!(desc.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_ALPHAPALETTE))
        gSupportedTextureFormats &= ~(uint32_t)Palette8;

    UpdateViewport();
    mDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    return true;
}

void D3DInterface::UpdateViewport()
{
    if (!mDevice)
        return;
    RECT client = {0, 0, mWidth, mHeight};
    if (mHWnd)
        GetClientRect(mHWnd, &client);
    POINT topLeft = {client.left, client.top}, bottomRight = {client.right, client.bottom};
    if (mHWnd)
    {
        ClientToScreen(mHWnd, &topLeft);
        ClientToScreen(mHWnd, &bottomRight);
    }
    mViewport.dwX = 0;
    mViewport.dwY = 0;
    mViewport.dwWidth = (DWORD)std::max<LONG>(bottomRight.x - topLeft.x, 0);
    mViewport.dwHeight = (DWORD)std::max<LONG>(bottomRight.y - topLeft.y, 0);
    mViewport.dvMinZ = 0.0f;
    mViewport.dvMaxZ = 1.0f;
    mDevice->SetViewport(&mViewport);
}

void D3DInterface::ReleaseRecord(MemoryImage* image)
{
    if (!image->mTexture)
        return;
    // A purged image lives only in its textures: take the pixels back out
    // before they go, or the picture is lost when 3D is switched off.
    if (!image->mPixels && !(image->mColorTable && image->mColorIndices) &&
        !image->mNativeAlphaData && image->mWidth > 0 && image->mHeight > 0)
    {
        std::vector<uint32_t> pixels((size_t)image->mWidth * image->mHeight);
        if (ReadBackImageInto(image, pixels.data()))
            image->SetPixels(pixels.data(), image->mWidth, image->mHeight, false);
    }
    delete image->mTexture;
    image->mTexture = nullptr;
}

void D3DInterface::Cleanup()
{
    EndSceneIfOpen();
    {
        OptionalLock lock(mLock);
        for (MemoryImage* image : mTextureSet)
            ReleaseRecord(image);
        mTextureSet.clear();
    }
    if (mDevice)
    {
        mDevice->Release();
        mDevice = nullptr;
    }
    if (mD3D)
    {
        mD3D->Release();
        mD3D = nullptr;
    }
    if (mDrawSurface)
    {
        mDrawSurface->Release();
        mDrawSurface = nullptr;
    }
    mTransformStack.clear();
}

// ---------------------------------------------------------------- textures

bool D3DInterface::CreateImageTexture(MemoryImage* image)
{
    if (!image || !mDevice || !mDirectDraw || image->mWidth <= 0 || image->mHeight <= 0)
        return false;
    bool created = false;
    bool purgeWanted = false;
    if (!image->mTexture)
    {
        image->mTexture = new ImageTextures();
        image->mTexture->owner = this;
        created = true;
        purgeWanted = image->mPurgeWanted;
        OptionalLock lock(mLock);
        mTextureSet.insert(image);
    }
    image->mTexture->UpdateTextures(image, mDevice, mDirectDraw);
    const bool usable = image->mTexture->format != TextureFormatNone;
    // Only textures that hold the picture may stand in for the pixels.
    if (created && purgeWanted && usable)
        image->PurgePixels();
    return usable;
}

void D3DInterface::RemoveImageTexture(Image* image)
{
    MemoryImage* memoryImage = dynamic_cast<MemoryImage*>(image);
    if (!memoryImage)
        return;
    // Textures made by another renderer leave that renderer's set.
    if (memoryImage->mTexture && memoryImage->mTexture->owner &&
        memoryImage->mTexture->owner != this)
    {
        memoryImage->mTexture->owner->RemoveImageTexture(image);
        return;
    }
    if (memoryImage->mTexture)
    {
        delete memoryImage->mTexture;
        memoryImage->mTexture = nullptr;
    }
    OptionalLock lock(mLock);
    mTextureSet.erase(memoryImage);
}

bool D3DInterface::ReadBackImage(MemoryImage* image)
{
    return image && ReadBackImageInto(image, image->mPixels);
}

bool D3DInterface::ReadBackImageInto(MemoryImage* image, uint32_t* pixels)
{
    if (!image || !image->mTexture || !pixels)
        return false;
    ImageTextures* record = image->mTexture;
    if (record->changeCount != image->mChangeCount || record->width != image->mWidth ||
        record->height != image->mHeight)
        return false;
    return record->ReadBack(pixels);
}

// ---------------------------------------------------------------- transform stack

void D3DInterface::PushTransform(const Matrix3& matrix, bool concatenate)
{
    if (concatenate && !mTransformStack.empty())
    {
        Matrix3 combined;
        mTransformStack.back().Multiply(combined, matrix);
        mTransformStack.push_back(combined);
    }
    else
        mTransformStack.push_back(matrix);
}

void D3DInterface::PopTransform()
{
    if (!mTransformStack.empty())
        mTransformStack.pop_back();
}

LumoVector2 D3DInterface::ThroughStack(float x, float y) const
{
    if (mTransformStack.empty())
        return LumoVector2(x, y);
    return mTransformStack.back().TransformPoint(LumoVector2(x, y));
}

} // namespace Lumo
