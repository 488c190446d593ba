#pragma once
// Lumo::DDImage is a MemoryImage that can also live in a DirectDraw surface.
// Every draw decides, call by call, where it happens: in the Direct3D renderer
// when the image is the 3D screen; on the locked surface with the software
// routines when the image holds no alpha and the display runs no 3D; in the
// memory pixels otherwise. A surface draw throws the memory copies away (the
// surface holds the truth), a change of the pixels throws the surface away, and
// the pixels are read back from the surface whenever somebody asks for them.
// Appends slots 35-49 after MemoryImage's ConvertToPalette.

#include <windows.h>
#include <ddraw.h>

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SurfaceDraw.h"

namespace Lumo
{

class DDInterface;

class DDImage : public MemoryImage
{
public:
    DDInterface* mDDInterface = nullptr;    // not owned
    IDirectDrawSurface* mSurface = nullptr; // one reference owned
    bool mAttachedSurface = false;          // handed in by SetSurface: storage leaves it alone
    bool mNoLock = false;                   // surface routines draw nothing, no read-back
    bool mWantVideoMemory = false;          // a built surface goes to video memory
    bool mSurfaceMade = false;              // a build passed the alpha test: rebuild on storage ops
    int mLockCount = 0;                     // nesting depth of Lock
    bool mSurfaceDrawFailed = false;        // the last surface routine could not lock
    DDSURFACEDESC mLockedSurfaceDesc;       // filled by the surface lock

    explicit DDImage(DDInterface* display);
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;

    // --- slots 0-16 overridden
    ~DDImage() override;
    bool FillPolygon(const int* points, int count, const Rect* clip, const Color* color, int mode,
                     int tx, int ty, int extra) override;
    void FillRect(const Rect* rect, const Color* color, int mode) override;
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
    void DrawImageMirrored(Image* src, int x, int y, const Rect* srcRect, const Color* color,
                           int mode) override;
    void DrawImageStretchedMirrored(Image* src, const Rect* destRect, const Rect* srcRect,
                                    const Rect* clip, const Color* color, int mode,
                                    bool fast) override;

    // --- slots 17-34 overridden
    void PurgePixels() override;
    void DeleteExtraBuffers() override;
    void ApplyStorageOptions() override;
    void PixelsChanged() override;
    void UpdateAlphaFlags() override;
    void DeleteNativeData() override;
    void Create(int width, int height) override;
    uint32_t* GetPixels() override;
    bool ConvertToPalette() override;

    // --- slots 35-49
    virtual void SetWantSurface(bool videoMemory);
    virtual void CreateSurface();
    virtual void SurfaceFillRect(const Rect* rect, const Color* color);
    virtual void SurfaceFillRectAdditive(const Rect* rect, const Color* color);
    virtual void SurfaceDrawImage(Image* src, int x, int y, const Rect* srcRect,
                                  const Color* color);
    virtual void SurfaceDrawImageAdditive(Image* src, int x, int y, const Rect* srcRect,
                                          const Color* color);
    virtual void SurfaceDrawLine(double x1, double y1, double x2, double y2, const Color* color);
    virtual void SurfaceDrawLineAdditive(double x1, double y1, double x2, double y2,
                                         const Color* color);
    virtual void SurfaceDrawLineAA(double x1, double y1, double x2, double y2, const Color* color);
    virtual void SurfaceDrawLineAAAdditive(double x1, double y1, double x2, double y2,
                                           const Color* color);
    virtual void SurfaceDrawImageMirrored(Image* src, int x, int y, const Rect* srcRect,
                                          const Color* color);
    virtual void SurfaceDrawImageMirroredAdditive(Image* src, int x, int y, const Rect* srcRect,
                                                  const Color* color);
    virtual bool Lock();
    virtual bool Unlock();
    virtual void SetSurface(IDirectDrawSurface* surface);

    // --- surface storage
    void Init();
    // Builds the surface from the memory pixels; true when a surface exists.
    bool BuildSurface();
    // The surface, built on demand; null when none can be built.
    IDirectDrawSurface* GetSurface();
    // Reads the pixels back first when nothing else holds the picture.
    void DeleteSurface();
    // Frees pixels, derived data and the palette form; after every surface draw.
    void DeleteMemoryCopies();
    // The image is the display's draw surface while the display runs 3D.
    bool DrawsThrough3D() const;

private:
    bool SurfaceFit() const;
    bool LockBits(SurfaceBits& bits);
    // What a surface routine reads of its source; the derived buffers are
    // built only when a routine walks them (an opaque picture needs no runs).
    enum SourceParts
    {
        SOURCE_ARGB = 1,         // pixels or the palette form
        SOURCE_NATIVE = 2,       // premultiplied screen values
        SOURCE_RUN_ALPHA = 4,    // runs of alpha classes (blended draws)
        SOURCE_RUN_ADDITIVE = 8, // runs of black / not black (additive draws)
    };
    SurfaceSource SourceOf(MemoryImage* src, int parts);
    bool BltFrom(DDImage* src, const RECT& dest, const RECT& from);
    // The plain and mirrored image draws share these; mirror flips the source across.
    void SurfaceDrawImageBlended(Image* src, int x, int y, const Rect* srcRect, const Color* color,
                                 bool mirror);
    void SurfaceDrawImageAdded(Image* src, int x, int y, const Rect* srcRect, const Color* color,
                               bool mirror);
    // Stretches through the locked surface; false when the source or the lock is missing.
    bool SurfaceDrawStretched(MemoryImage* mem, const FRect& floatSrc, const Rect& clipped,
                              const Color* color, int mode, bool mirror);
    // After a draw into the surface: the memory copies go, textures go stale.
    void SurfaceDrawn();
};

// True when the image is a DDImage that draws through Direct3D.
bool ImageDrawsThrough3D(Image* image);

// False for a surface image whose picture cannot be read back (no-lock flag,
// the 3D screen, a lost surface): memory routines would read its pixels
// through a null pointer. Every other image is readable.
bool ImageReadable(Image* image);

} // namespace Lumo
