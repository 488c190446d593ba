#pragma once
// Lumo::MemoryImage: the software image. The picture lives as 32-bit 0xAARRGGBB
// pixels, or to save memory as a 256-colour table with 8-bit indices, or only
// in a derived form (native alpha data for the display, a texture for the
// renderer). The derived buffers are caches dropped whenever the pixels change.
// Adds slots 17-34 to the image order; DDImage appends after ConvertToPalette.

#include <cstdint>

#include "framework/graphics/Image.h"
#include "framework/app/Rect.h"

namespace Lumo
{

class AppHost;
class DDInterface;
class ImageTextures;

// Written after the last pixel of every pixel array; a changed guard word means
// something wrote past the picture.
constexpr uint32_t MEMORY_IMAGE_GUARD = 0x4BEEFADE;

// The screen format the native alpha data is built for: per channel mask, bit
// count and shift (bit position of the lowest bit).
struct NativeFormat
{
    uint32_t redMask = 0x00FF0000;
    uint32_t greenMask = 0x0000FF00;
    uint32_t blueMask = 0x000000FF;
    int redBits = 8;
    int greenBits = 8;
    int blueBits = 8;
    int redShift = 16;
    int greenShift = 8;
    int blueShift = 0;
};

// True when width x height pixels and the guard word fit in one allocation;
// negative sizes never do. Sizes beyond it would wrap the array's byte count.
bool PixelArrayFits(int width, int height);

// 512 entries, entry i = min(i, 255): table[a + b] adds two channel values with
// saturation. Filled statically, so it exists without an application object.
const unsigned char* GetSaturationTable();

// Clipping helpers of the transformed draws, shared with DDImage. Both return
// false when nothing is left to draw.
bool GetRotatedBounds(float x, float y, const Rect& srcRect, const Rect& clip, double angle,
                      float centerX, float centerY, FRect& bounds);
bool GetStretchClip(const Rect& srcRect, const Rect& clip, const Rect& destRect, FRect& floatSrc,
                    Rect& clippedDest);
bool GetMirroredStretchClip(const Rect& srcRect, const Rect& clip, const Rect& destRect,
                            FRect& floatSrc, Rect& clippedDest);

class MemoryImage : public Image
{
public:
    uint32_t* mPixels = nullptr;            // mWidth x mHeight + guard word, or null
    int mChangeCount = 0;                   // bumped by PixelsChanged; textures compare it
    ImageTextures* mTexture = nullptr;      // the renderer's; handed back to it when the image goes
    int mTextureFlags = 8;                  // renderer options, kept and copied only
    uint32_t* mColorTable = nullptr;        // 256 entries, palette form
    unsigned char* mColorIndices = nullptr; // mWidth x mHeight, palette form
    bool mAlphaFlagsForced = false;         // SetAlphaFlags: never rescan
    bool mHasTransparent = false;           // some pixel has alpha 0
    bool mHasTranslucent = false;           // some pixel has alpha 1..254
    bool mBlitOption = false;               // read by the surface drawing
    bool mPurgeWanted = false;
    bool mPalettizeWanted = false;
    uint32_t* mNativeAlphaData = nullptr;            // premultiplied, display format
    unsigned char* mRunLengthAlphaData = nullptr;    // runs of alpha class per row
    unsigned char* mRunLengthAdditiveData = nullptr; // runs of black / non-black
    bool mAlphaFlagsStale = false;                   // pixels changed since the last scan
    AppHost* mApp = nullptr;                         // the application registered with
    // The change count at which the pixels were exactly those of the file the
    // image was loaded from (mFileName), or -1: while it holds, pixels purged
    // from memory come back by reading that file again, bit for bit.
    int mFileChangeCount = -1;
    bool mPixelsReloaded = false; // the file was read again: a draw needs the pixels

    MemoryImage();
    explicit MemoryImage(AppHost* app);
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;

    bool HasTransparent() const { return mHasTransparent; }
    bool HasTranslucent() const { return mHasTranslucent; }

    // --- slots 0-16 overridden ---
    ~MemoryImage() override;
    void FillRect(const Rect* rect, const Color* color, int mode) override;
    void ClearRect(const Rect* rect) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color* color,
                  int mode) override;
    void DrawLineAA(double x1, double y1, double x2, double y2, const Color* color,
                    int mode) override;
    void FillScanLinesWithCoverage(Span* spans, int count, const Color* color, int mode,
                                   const unsigned char* coverage, int x, int y, int width,
                                   int height) override;
    void DrawImage(Image* src, int x, int y, const Rect* srcRect, const Color* color,
                   int mode) override;
    void DrawImageF(Image* src, float x, float y, const Rect* srcRect, const Rect* clip,
                    const Color* color, int mode) override;
    void DrawImageRotated(Image* src, float x, float y, const Rect* srcRect, const Rect* clip,
                          const Color* color, int mode, double angle, float centerX,
                          float centerY) override;
    void DrawImageStretched(Image* src, const Rect* destRect, const Rect* srcRect, const Rect* clip,
                            const Color* color, int mode, bool fast) override;
    void DrawImageMatrix(Image* src, float x, float y, const Matrix3& matrix, const Rect* clip,
                         const Color* color, int mode, const Rect* srcRect, bool filter,
                         Image* maskImage, const MaskRect* maskSrcRect,
                         const MaskRect* maskPlaceRect, const Matrix3* maskMatrix) override;
    void DrawTrianglesTex(Image* texture, const TriangleVertex* triangles, int count,
                          const Rect* clip, const Color* color, int mode, float tx, float ty,
                          bool filter) override;

    // --- slots 17-34: storage and derived data ---
    virtual uint32_t* GetNativeAlphaData(DDInterface* display);
    virtual unsigned char* GetRunLengthAlphaData();
    virtual unsigned char* GetRunLengthAdditiveData(DDInterface* display);
    virtual void PurgePixels();
    virtual void DeleteDerivedData();
    virtual void DeleteTexture();
    virtual void DeleteExtraBuffers();
    virtual void ApplyStorageOptions();
    virtual void PixelsChanged();
    virtual void UpdateAlphaFlags();
    virtual void DeleteNativeData();
    virtual void ClearPixels();
    virtual void SetPixels(const uint32_t* pixels, int width, int height, bool updateAlphaFlags);
    virtual void Create(int width, int height);
    virtual uint32_t* GetPixels();
    virtual void SetAlphaFlags(bool hasTransparent, bool hasTranslucent);
    virtual void SetBlitOption(bool on);
    virtual bool ConvertToPalette();

    // --- software paths DDImage calls directly ---
    // Filtered two-pass stretch of the clipped float source area into this
    // image's clipped destination rectangle; colour and mode are not used.
    void StretchFiltered(MemoryImage* src, const FRect& floatSrc, const Rect& clippedDest);
    // Screen format used for the native alpha data of this image's display.
    NativeFormat GetNativeFormat(DDInterface* display) const;
    // Frees indices and table (and native data built from the table).
    void DropPaletteForm();
    // The pixels are the loaded file's (MarkAsFile after loading); a change ends it.
    void MarkAsFile() { mFileChangeCount = mChangeCount; }
    bool PixelsAreFile() const { return mFileChangeCount == mChangeCount && !mFileName.empty(); }
    // Source pixel i (palette or pixels) without building anything.
    uint32_t SourcePixel(int index) const
    {
        return mColorTable ? mColorTable[mColorIndices[index]] : mPixels[index];
    }

    // --- picture memory: every array of the picture and its derived forms.
    // When there is none, the application ends the run with a box that names
    // the picture (AppHost::PictureMemoryRanOut); without an application
    // std::bad_alloc passes as from any allocation.
    uint32_t* NewPictureWords(size_t count) const;
    unsigned char* NewPictureBytes(size_t count) const;
    // width x height pixels and the guard word after them.
    uint32_t* NewPixelArray(int width, int height) const;

private:
    [[noreturn]] void PictureMemoryRanOut() const;
};

// Packs the palette of `count` pixels into `indices` and `table` (order of first
// appearance). False when more than 256 colours are found.
bool BuildPalette(const uint32_t* pixels, int count, unsigned char* indices, uint32_t* table);

} // namespace Lumo
