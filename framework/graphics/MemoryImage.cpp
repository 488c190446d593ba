// MemoryImage storage: the pixel array with its guard word, the palette form,
// the alpha flags, the derived buffers of the display drawing, purge and
// rebuild. Drawing lives in MemoryImageDraw.cpp and MemoryImageTransform.cpp.

#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "framework/app/AppHost.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DImageTextures.h"
#include "framework/graphics/MemoryImageDisplay.h"

namespace Lumo
{

namespace
{

struct SaturationTable
{
    unsigned char entries[512];
    SaturationTable()
    {
        for (int i = 0; i < 512; i++)
            entries[i] = (unsigned char)(i < 256 ? i : 255);
    }
};

const SaturationTable& Saturation()
{
    static const SaturationTable table;
    return table;
}

// Fills one row of run bytes from per-pixel classes: each byte is the number of
// pixels from it to the end of its run, capped at 255.
void BuildRunRow(const unsigned char* classes, unsigned char* out, int width)
{
    if (width == 1)
    {
        out[0] = 1;
        return;
    }
    int run = 0;
    for (int x = width - 1; x >= 0; x--)
    {
        if (x == width - 1 || classes[x] != classes[x + 1])
            run = 1;
        else
            run++;
        out[x] = (unsigned char)(run > 255 ? 255 : run);
    }
}

inline unsigned char AlphaClass(uint32_t alpha)
{
    return alpha == 0 ? 0 : (alpha == 255 ? 1 : 2);
}

} // namespace

const unsigned char* GetSaturationTable()
{
    return Saturation().entries;
}

bool PixelArrayFits(int width, int height)
{
    if (width < 0 || height < 0)
        return false;
    return (uint64_t)width * (uint64_t)height + 1 <= SIZE_MAX / sizeof(uint32_t);
}

// --- picture memory ---

uint32_t* MemoryImage::NewPictureWords(size_t count) const
{
    uint32_t* words = new (std::nothrow) uint32_t[count];
    if (!words)
        PictureMemoryRanOut();
    return words;
}

unsigned char* MemoryImage::NewPictureBytes(size_t count) const
{
    unsigned char* bytes = new (std::nothrow) unsigned char[count];
    if (!bytes)
        PictureMemoryRanOut();
    return bytes;
}

uint32_t* MemoryImage::NewPixelArray(int width, int height) const
{
    const size_t count = (size_t)width * (size_t)height;
    uint32_t* pixels = NewPictureWords(count + 1);
    pixels[count] = MEMORY_IMAGE_GUARD;
    return pixels;
}

void MemoryImage::PictureMemoryRanOut() const
{
    if (mApp)
        mApp->PictureMemoryRanOut(mFileName, mWidth, mHeight);
    throw std::bad_alloc();
}

// --- construction ---

MemoryImage::MemoryImage() : MemoryImage(gAppHost) {}

MemoryImage::MemoryImage(AppHost* app) : mApp(app)
{
    if (mApp)
        mApp->AddMemoryImage(this);
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), mChangeCount(other.mChangeCount), mTextureFlags(other.mTextureFlags),
      mAlphaFlagsForced(other.mAlphaFlagsForced), mHasTransparent(other.mHasTransparent),
      mHasTranslucent(other.mHasTranslucent), mBlitOption(other.mBlitOption),
      mPurgeWanted(other.mPurgeWanted), mPalettizeWanted(other.mPalettizeWanted),
      mAlphaFlagsStale(other.mAlphaFlagsStale), mApp(other.mApp)
{
    const size_t count = (size_t)mWidth * (size_t)mHeight;
    MemoryImage& source = const_cast<MemoryImage&>(other);
    if (other.mPixels)
    {
        mPixels = NewPictureWords(count + 1);
        memcpy(mPixels, other.mPixels, (count + 1) * sizeof(uint32_t));
    }
    else if (!other.mColorTable)
    {
        // Build the source's pixels for the copy, then give the source back the
        // form it had.
        uint32_t* built = source.GetPixels();
        mPixels = NewPixelArray(mWidth, mHeight);
        // A surface that cannot be read back gives a see-through copy.
        if (built)
            memcpy(mPixels, built, count * sizeof(uint32_t));
        else
            memset(mPixels, 0, count * sizeof(uint32_t));
        if (source.mPixels == built)
        {
            delete[] source.mPixels;
            source.mPixels = nullptr;
        }
    }
    if (other.mColorTable)
    {
        mColorTable = NewPictureWords(256);
        memcpy(mColorTable, other.mColorTable, 256 * sizeof(uint32_t));
    }
    if (other.mColorIndices)
    {
        mColorIndices = NewPictureBytes(count);
        memcpy(mColorIndices, other.mColorIndices, count);
    }
    if (other.mRunLengthAlphaData)
    {
        mRunLengthAlphaData = NewPictureBytes(count);
        memcpy(mRunLengthAlphaData, other.mRunLengthAlphaData, count);
    }
    if (other.mRunLengthAdditiveData)
    {
        mRunLengthAdditiveData = NewPictureBytes(count);
        memcpy(mRunLengthAdditiveData, other.mRunLengthAdditiveData, count);
    }
    if (other.mNativeAlphaData)
    {
        const size_t words = other.mColorTable ? 256 : count;
        mNativeAlphaData = NewPictureWords(words);
        memcpy(mNativeAlphaData, other.mNativeAlphaData, words * sizeof(uint32_t));
    }
    if (mApp)
        mApp->AddMemoryImage(this);
}

MemoryImage::~MemoryImage()
{
    if (mApp)
        mApp->RemoveMemoryImage(this);
    // An image made without an application is still in the set of the renderer
    // that made its textures; that renderer's clean-up would touch it later.
    if (mTexture && mTexture->owner)
        mTexture->owner->RemoveImageTexture(this);
    delete mTexture; // a record no renderer holds
    mTexture = nullptr;
    delete[] mPixels;
    delete[] mNativeAlphaData;
    delete[] mRunLengthAlphaData;
    delete[] mRunLengthAdditiveData;
    delete[] mColorIndices;
    delete[] mColorTable;
}

// --- derived data ---

NativeFormat MemoryImage::GetNativeFormat(DDInterface* display) const
{
    return NativeFormatOf(display);
}

uint32_t* MemoryImage::GetNativeAlphaData(DDInterface* display)
{
    if (mNativeAlphaData)
        return mNativeAlphaData;
    UpdateAlphaFlags();
    const NativeFormat f = GetNativeFormat(display);
    const uint32_t* colors;
    size_t count;
    if (mColorTable)
    {
        colors = mColorTable;
        count = 256;
    }
    else
    {
        colors = GetPixels();
        count = (size_t)mWidth * (size_t)mHeight;
    }
    uint32_t* data = NewPictureWords(count);
    // A source that cannot be read back counts as see-through: nothing is drawn.
    for (size_t i = 0; i < count; i++)
        data[i] = colors ? NativeAlphaValue(colors[i], f) : 0;
    mNativeAlphaData = data;
    return data;
}

unsigned char* MemoryImage::GetRunLengthAlphaData()
{
    UpdateAlphaFlags();
    if (mRunLengthAlphaData)
        return mRunLengthAlphaData;
    const int w = mWidth, h = mHeight;
    const size_t count = (size_t)w * (size_t)h;
    const uint32_t* pixels = nullptr;
    if (!mColorTable && !mNativeAlphaData)
        pixels = GetPixels();
    unsigned char* data = NewPictureBytes(count);
    std::vector<unsigned char> classes(w > 0 ? w : 1);
    for (int y = 0; y < h; y++)
    {
        const size_t row = (size_t)y * w;
        for (int x = 0; x < w; x++)
        {
            uint32_t color;
            if (mColorTable && mColorIndices)
                color = mColorTable[mColorIndices[row + x]];
            else if (mNativeAlphaData)
                color = mNativeAlphaData[row + x];
            else
                color = pixels ? pixels[row + x] : 0; // unreadable: see-through
            classes[x] = AlphaClass(color >> 24);
        }
        BuildRunRow(classes.data(), data + row, w);
    }
    mRunLengthAlphaData = data;
    return data;
}

unsigned char* MemoryImage::GetRunLengthAdditiveData(DDInterface* display)
{
    if (mRunLengthAdditiveData)
        return mRunLengthAdditiveData;
    const uint32_t* native = GetNativeAlphaData(display);
    const int w = mWidth, h = mHeight;
    const size_t count = (size_t)w * (size_t)h;
    const bool palette = mColorTable && mColorIndices;
    unsigned char* data = NewPictureBytes(count);
    std::vector<unsigned char> classes(w > 0 ? w : 1);
    for (int y = 0; y < h; y++)
    {
        const size_t row = (size_t)y * w;
        for (int x = 0; x < w; x++)
        {
            const uint32_t n = palette ? native[mColorIndices[row + x]] : native[row + x];
            classes[x] = (n & 0x00FFFFFF) != 0;
        }
        BuildRunRow(classes.data(), data + row, w);
    }
    mRunLengthAdditiveData = data;
    return data;
}

void MemoryImage::PurgePixels()
{
    mPurgeWanted = true;
    if (mApp && mApp->Is3DAccelerated())
    {
        if (!mTexture)
            return;
        delete[] mPixels;
        mPixels = nullptr;
        DropPaletteForm();
        return;
    }
    if (!mPixels && !mColorIndices)
        return;
    GetNativeAlphaData(mApp ? mApp->GetDisplay() : nullptr);
    delete[] mPixels;
    mPixels = nullptr;
    if (mTexture)
        DropPaletteForm();
}

void MemoryImage::DropPaletteForm()
{
    // Native data built from a table has 256 words, one per entry; without the
    // table it would be read as one word per pixel, so it goes too.
    if (mColorTable)
    {
        delete[] mNativeAlphaData;
        mNativeAlphaData = nullptr;
    }
    delete[] mColorIndices;
    mColorIndices = nullptr;
    delete[] mColorTable;
    mColorTable = nullptr;
}

void MemoryImage::DeleteDerivedData()
{
    // Called by name: a subclass's DeleteNativeData may also drop its surface.
    MemoryImage::DeleteNativeData();
    delete[] mRunLengthAlphaData;
    mRunLengthAlphaData = nullptr;
}

void MemoryImage::DeleteTexture()
{
    if (mApp)
        mApp->ForgetImageOnDisplay(this);
    if (mTexture && mTexture->owner) // made by a renderer the application does not know
        mTexture->owner->RemoveImageTexture(this);
}

void MemoryImage::DeleteExtraBuffers()
{
    DeleteDerivedData();
    DeleteTexture();
}

void MemoryImage::ApplyStorageOptions()
{
    if (mPalettizeWanted)
        ConvertToPalette();
    if (mPurgeWanted)
        PurgePixels();
}

void MemoryImage::PixelsChanged()
{
    mChangeCount++;
    mAlphaFlagsStale = true;
    delete[] mNativeAlphaData;
    mNativeAlphaData = nullptr;
    delete[] mRunLengthAlphaData;
    mRunLengthAlphaData = nullptr;
    delete[] mRunLengthAdditiveData;
    mRunLengthAdditiveData = nullptr;
}

void MemoryImage::UpdateAlphaFlags()
{
    if (!mAlphaFlagsStale || mAlphaFlagsForced)
        return;
    mHasTranslucent = false;
    const uint32_t* colors = nullptr;
    size_t count = 0;
    if (mPixels)
    {
        colors = mPixels;
        count = (size_t)mWidth * (size_t)mHeight;
    }
    else if (mColorTable)
    {
        colors = mColorTable;
        count = 256;
    }
    if (colors)
    {
        bool transparent = false, translucent = false;
        for (size_t i = 0; i < count; i++)
        {
            const uint32_t a = colors[i] >> 24;
            if (a == 0)
                transparent = true;
            else if (a != 255)
                translucent = true;
        }
        mHasTransparent = transparent;
        mHasTranslucent = translucent;
    }
    else
    {
        mHasTransparent = true;
    }
    mAlphaFlagsStale = false;
}

void MemoryImage::DeleteNativeData()
{
    if (!mPixels && !mColorIndices)
        GetPixels();
    delete[] mNativeAlphaData;
    mNativeAlphaData = nullptr;
    delete[] mRunLengthAdditiveData;
    mRunLengthAdditiveData = nullptr;
}

void MemoryImage::ClearPixels()
{
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return;
    memset(pixels, 0, (size_t)mWidth * (size_t)mHeight * sizeof(uint32_t));
    PixelsChanged();
}

void MemoryImage::SetPixels(const uint32_t* pixels, int width, int height, bool updateAlphaFlags)
{
    if (pixels && pixels == mPixels)
        return;
    if (!PixelArrayFits(width, height))
        return;
    delete[] mColorIndices;
    mColorIndices = nullptr;
    delete[] mColorTable;
    mColorTable = nullptr;
    if (!mPixels || width != mWidth || height != mHeight)
    {
        delete[] mPixels;
        mPixels = nullptr;
        // The new size first: a picture that gets no memory is named with it.
        mWidth = width;
        mHeight = height;
        mPixels = NewPixelArray(width, height);
    }
    const size_t count = (size_t)width * (size_t)height;
    if (pixels)
        memcpy(mPixels, pixels, count * sizeof(uint32_t));
    else
        memset(mPixels, 0, count * sizeof(uint32_t));
    mPixels[count] = MEMORY_IMAGE_GUARD;
    PixelsChanged();
    if (updateAlphaFlags)
        UpdateAlphaFlags();
}

void MemoryImage::Create(int width, int height)
{
    // A size no pixel array can hold is refused: the image stays as it was.
    if (!PixelArrayFits(width, height))
        return;
    delete[] mPixels;
    mPixels = nullptr;
    if (width != mWidth || height != mHeight)
        DropPaletteForm(); // the indices were cut for the old size
    mHasTransparent = true;
    mHasTranslucent = true;
    mWidth = width;
    mHeight = height;
    PixelsChanged();
}

uint32_t* MemoryImage::GetPixels()
{
    if (mPixels)
        return mPixels;
    const size_t count = (size_t)mWidth * (size_t)mHeight;
    uint32_t* pixels = NewPixelArray(mWidth, mHeight);
    if (mColorTable && mColorIndices)
    {
        for (size_t i = 0; i < count; i++)
            pixels[i] = mColorTable[mColorIndices[i]];
        delete[] mColorIndices;
        mColorIndices = nullptr;
        delete[] mColorTable;
        mColorTable = nullptr;
        delete[] mNativeAlphaData;
        mNativeAlphaData = nullptr;
    }
    else if (PixelsAreFile() && mApp && mApp->ReloadPixels(this, pixels))
    {
        // The file gives the picture back exactly, where the native data would
        // round the colours of every translucent pixel.
        mPixelsReloaded = true;
    }
    else if (mNativeAlphaData)
    {
        const NativeFormat f = GetNativeFormat(mApp ? mApp->GetDisplay() : nullptr);
        for (size_t i = 0; i < count; i++)
            pixels[i] = PixelFromNative(mNativeAlphaData[i], f);
    }
    else
    {
        memset(pixels, 0, count * sizeof(uint32_t));
        if (mTexture && !ReadBackTexture(this, pixels))
            memset(pixels, 0, count * sizeof(uint32_t));
    }
    mPixels = pixels;
    return pixels;
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
    UpdateAlphaFlags();
    if (mColorTable)
        return true;
    uint32_t* pixels = GetPixels();
    if (!pixels)
        return false;
    const size_t count = (size_t)mWidth * (size_t)mHeight;
    unsigned char* indices = NewPictureBytes(count > 0 ? count : 1);
    uint32_t* table = NewPictureWords(256);
    memset(table, 0, 256 * sizeof(uint32_t));
    if (BuildPalette(pixels, (int)count, indices, table))
    {
        mColorIndices = indices;
        mColorTable = table;
        delete[] mPixels;
        mPixels = nullptr;
        delete[] mNativeAlphaData;
        mNativeAlphaData = nullptr;
        mPalettizeWanted = true;
        return true;
    }
    delete[] indices;
    delete[] table;
    mPalettizeWanted = false;
    return false;
}

bool BuildPalette(const uint32_t* pixels, int count, unsigned char* indices, uint32_t* table)
{
    if (count <= 0)
        return true;
    // Distinct colours sorted by value, each with its table index.
    uint32_t sortedColor[256];
    unsigned char sortedIndex[256];
    table[0] = pixels[0];
    indices[0] = 0;
    sortedColor[0] = pixels[0];
    sortedIndex[0] = 0;
    int used = 1;
    for (int i = 1; i < count; i++)
    {
        const uint32_t c = pixels[i];
        int low = 0, high = used - 1;
        bool found = false;
        while (low <= high)
        {
            const int mid = (low + high) / 2;
            if (sortedColor[mid] == c)
            {
                indices[i] = sortedIndex[mid];
                found = true;
                break;
            }
            if (c < sortedColor[mid])
                high = mid - 1;
            else
                low = mid + 1;
        }
        if (found)
            continue;
        if (used == 256)
            return false;
        int place = low;
        if (place < used && c > sortedColor[place])
            place++;
        memmove(sortedColor + place + 1, sortedColor + place, (used - place) * sizeof(uint32_t));
        memmove(sortedIndex + place + 1, sortedIndex + place, (used - place));
        sortedColor[place] = c;
        sortedIndex[place] = (unsigned char)used;
        table[used] = c;
        indices[i] = (unsigned char)used;
        used++;
    }
    return true;
}

} // namespace Lumo
