#pragma once
// Lumo::Image is the root of every image in the framework. It has no pixels and
// every drawing operation is empty; MemoryImage and DDImage append to the one
// order of virtual operations declared here, and callers rely on that order, so
// new operations go at the end of the derived classes, never in between.

#include <string>

namespace Lumo
{

class CelAnimation;
class Rect;
class Color;
class Matrix3;
class MemoryImage;

// One horizontal run of pixels: row y, first column x, width pixels.
struct Span
{
    int y;
    int x;
    int width;
};

// Four floats the drawing context carries for the matrix draw's mask (source
// rectangle on the mask's page, placement rectangle).
struct MaskRect
{
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

} // namespace Lumo

struct TriangleVertex;

namespace Lumo
{

class Image
{
public:
    bool mUsed = false;                 // set when drawn FROM; never cleared here
    std::string mFileName;              // path the image was loaded from
    int mWidth = 0;                     // pixels
    int mHeight = 0;                    // pixels
    int mRows = 1;                      // cel rows
    int mColumns = 1;                   // cel columns
    CelAnimation* mAnimation = nullptr; // owned; strip images only

    Image();
    // Copies size and cel layout (animation deeply); the file name and the used
    // flag are not carried over.
    Image(const Image& other);
    Image& operator=(const Image&) = delete;

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }

    // Takes rows, columns and a private copy of the other's animation record.
    void CopyCelLayout(const Image& other);

    // --- slots 0-16, shared by every image class ---
    virtual ~Image();
    virtual bool FillPolygon(const int* points, int count, const Rect* clip, const Color* color,
                             int mode, int tx, int ty, int extra);
    virtual void FillRect(const Rect* rect, const Color* color, int mode);
    virtual void DrawRect(const Rect* rect, const Color* color, int mode);
    virtual void ClearRect(const Rect* rect);
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color* color, int mode);
    virtual void DrawLineAA(double x1, double y1, double x2, double y2, const Color* color,
                            int mode);
    virtual void FillScanLines(Span* spans, int count, const Color* color, int mode);
    // The coverage map's top-left byte lies at (x, y) of this image; rows are
    // width bytes long.
    virtual void FillScanLinesWithCoverage(Span* spans, int count, const Color* color, int mode,
                                           const unsigned char* coverage, int x, int y, int width,
                                           int height);
    virtual void DrawImage(Image* src, int x, int y, const Rect* srcRect, const Color* color,
                           int mode);
    virtual void DrawImageF(Image* src, float x, float y, const Rect* srcRect, const Rect* clip,
                            const Color* color, int mode);
    virtual void DrawImageRotated(Image* src, float x, float y, const Rect* srcRect,
                                  const Rect* clip, const Color* color, int mode, double angle,
                                  float centerX, float centerY);
    virtual void DrawImageStretched(Image* src, const Rect* destRect, const Rect* srcRect,
                                    const Rect* clip, const Color* color, int mode, bool fast);
    // The last four arguments are the drawing context's mask fields: with a
    // mask image the picture gives the shape and the mask the colour
    // (MaskedMatrixDraw.h), on the Direct3D and the software road alike.
    virtual void DrawImageMatrix(Image* src, float x, float y, const Matrix3& matrix,
                                 const Rect* clip, const Color* color, int mode,
                                 const Rect* srcRect, bool filter, Image* maskImage,
                                 const MaskRect* maskSrcRect, const MaskRect* maskPlaceRect,
                                 const Matrix3* maskMatrix);
    virtual void DrawTrianglesTex(Image* texture, const TriangleVertex* triangles, int count,
                                  const Rect* clip, const Color* color, int mode, float tx,
                                  float ty, bool filter);
    virtual void DrawImageMirrored(Image* src, int x, int y, const Rect* srcRect,
                                   const Color* color, int mode);
    virtual void DrawImageStretchedMirrored(Image* src, const Rect* destRect, const Rect* srcRect,
                                            const Rect* clip, const Color* color, int mode,
                                            bool fast);
};

} // namespace Lumo
