#include "framework/graphics/MemoryImage.h"

#include <cstring>

namespace Lumo
{

static unsigned char sSaturationTable[512];
static bool sSaturationInit = [] {
    for (int i = 0; i < 512; i++)
        sSaturationTable[i] = (unsigned char)(i < 256 ? i : 255);
    return true;
}();

const unsigned char* GetSaturationTable()
{
    return sSaturationTable;
}

bool GetRotatedBounds(float, float, const Rect&, const Rect&, double, float, float, FRect&)
{
    return false;
}
bool GetStretchClip(const Rect&, const Rect&, const Rect&, FRect&, Rect&)
{
    return false;
}
bool GetMirroredStretchClip(const Rect&, const Rect&, const Rect&, FRect&, Rect&)
{
    return false;
}
bool BuildPalette(const uint32_t*, int, unsigned char*, uint32_t*)
{
    return false;
}

MemoryImage::MemoryImage() {}
MemoryImage::MemoryImage(LumoAppBase* app) : mApp(app) {}
MemoryImage::MemoryImage(const MemoryImage& other) : Image(other) {}
MemoryImage::~MemoryImage()
{
    delete[] mPixels;
    delete[] mNativeAlphaData;
    delete[] mRunLengthAlphaData;
    delete[] mRunLengthAdditiveData;
    delete[] mColorIndices;
    delete[] mColorTable;
}

void MemoryImage::FillRect(const Rect*, const Color*, int) {}
void MemoryImage::ClearRect(const Rect*) {}
void MemoryImage::DrawLine(double, double, double, double, const Color*, int) {}
void MemoryImage::DrawLineAA(double, double, double, double, const Color*, int) {}
void MemoryImage::FillScanLinesWithCoverage(Span*, int, const Color*, int, const unsigned char*,
                                            int, int, int, int)
{
}
void MemoryImage::DrawImage(Image*, int, int, const Rect*, const Color*, int) {}
void MemoryImage::DrawImageF(Image*, float, float, const Rect*, const Rect*, const Color*, int) {}
void MemoryImage::DrawImageRotated(Image*, float, float, const Rect*, const Rect*, const Color*,
                                   int, double, float, float)
{
}
void MemoryImage::DrawImageStretched(Image*, const Rect*, const Rect*, const Rect*, const Color*,
                                     int, bool)
{
}
void MemoryImage::DrawImageMatrix(Image*, float, float, const Matrix3&, const Rect*, const Color*,
                                  int, const Rect*, bool, Image*, const MaskRect*,
                                  const MaskRect*, const Matrix3*)
{
}
void MemoryImage::DrawTrianglesTex(Image*, const TriangleVertex*, int, const Rect*, const Color*,
                                   int, float, float, bool)
{
}

uint32_t* MemoryImage::GetNativeAlphaData(DDInterface*)
{
    return nullptr;
}
unsigned char* MemoryImage::GetRunLengthAlphaData()
{
    return nullptr;
}
unsigned char* MemoryImage::GetRunLengthAdditiveData(DDInterface*)
{
    return nullptr;
}
void MemoryImage::PurgePixels() {}
void MemoryImage::DeleteDerivedData() {}
void MemoryImage::DeleteTexture() {}
void MemoryImage::DeleteExtraBuffers() {}
void MemoryImage::ApplyStorageOptions() {}
void MemoryImage::PixelsChanged()
{
    mChangeCount++;
}
void MemoryImage::UpdateAlphaFlags() {}
void MemoryImage::DeleteNativeData() {}
void MemoryImage::ClearPixels() {}
void MemoryImage::SetPixels(const uint32_t*, int, int, bool) {}
void MemoryImage::Create(int width, int height)
{
    delete[] mPixels;
    mPixels = nullptr;
    mWidth = width;
    mHeight = height;
    PixelsChanged();
}
uint32_t* MemoryImage::GetPixels()
{
    if (!mPixels)
    {
        mPixels = new uint32_t[(size_t)mWidth * mHeight + 1]();
        mPixels[(size_t)mWidth * mHeight] = MEMORY_IMAGE_GUARD;
    }
    return mPixels;
}
void MemoryImage::SetAlphaFlags(bool hasTransparent, bool hasTranslucent)
{
    mAlphaFlagsForced = true;
    mHasTransparent = hasTransparent;
    mHasTranslucent = hasTranslucent;
}
void MemoryImage::SetBlitOption(bool on)
{
    mBlitOption = on;
}
bool MemoryImage::ConvertToPalette()
{
    return false;
}
void MemoryImage::StretchFiltered(MemoryImage*, const FRect&, const Rect&) {}
NativeFormat MemoryImage::GetNativeFormat(DDInterface*) const
{
    return NativeFormat();
}

}  // namespace Lumo
