#include "framework/graphics/Image.h"

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/CelAnimation.h"

namespace Lumo
{

Image::Image() = default;

Image::Image(const Image& other)
    : mWidth(other.mWidth), mHeight(other.mHeight), mRows(other.mRows), mColumns(other.mColumns)
{
    if (other.mAnimation)
        mAnimation = new CelAnimation(*other.mAnimation);
}

Image::~Image()
{
    delete mAnimation;
}

void Image::CopyCelLayout(const Image& other)
{
    mRows = other.mRows;
    mColumns = other.mColumns;
    CelAnimation* copy = other.mAnimation ? new CelAnimation(*other.mAnimation) : nullptr;
    delete mAnimation;
    mAnimation = copy;
}

bool Image::FillPolygon(const int*, int, const Rect*, const Color*, int, int, int, int)
{
    return false;
}

void Image::FillRect(const Rect*, const Color*, int) {}

void Image::DrawRect(const Rect* rect, const Color* color, int mode)
{
    const int x = rect->mX, y = rect->mY, w = rect->mWidth, h = rect->mHeight;
    Rect top(x, y, w + 1, 1);
    Rect bottom(x, y + h, w + 1, 1);
    Rect left(x, y + 1, 1, h - 1);
    Rect right(x + w, y + 1, 1, h - 1);
    FillRect(&top, color, mode);
    FillRect(&bottom, color, mode);
    FillRect(&left, color, mode);
    FillRect(&right, color, mode);
}

void Image::ClearRect(const Rect*) {}

void Image::DrawLine(double, double, double, double, const Color*, int) {}

void Image::DrawLineAA(double, double, double, double, const Color*, int) {}

void Image::FillScanLines(Span* spans, int count, const Color* color, int mode)
{
    for (int i = 0; i < count; i++)
    {
        Rect r(spans[i].x, spans[i].y, spans[i].width, 1);
        FillRect(&r, color, mode);
    }
}

void Image::FillScanLinesWithCoverage(Span*, int, const Color*, int, const unsigned char*, int, int,
                                      int, int)
{
}

void Image::DrawImage(Image*, int, int, const Rect*, const Color*, int) {}

void Image::DrawImageF(Image*, float, float, const Rect*, const Rect*, const Color*, int) {}

void Image::DrawImageRotated(Image*, float, float, const Rect*, const Rect*, const Color*, int,
                             double, float, float)
{
}

void Image::DrawImageStretched(Image*, const Rect*, const Rect*, const Rect*, const Color*, int,
                               bool)
{
}

void Image::DrawImageMatrix(Image*, float, float, const Matrix3&, const Rect*, const Color*, int,
                            const Rect*, bool, Image*, const MaskRect*, const MaskRect*,
                            const Matrix3*)
{
}

void Image::DrawTrianglesTex(Image*, const TriangleVertex*, int, const Rect*, const Color*, int,
                             float, float, bool)
{
}

void Image::DrawImageMirrored(Image*, int, int, const Rect*, const Color*, int) {}

void Image::DrawImageStretchedMirrored(Image*, const Rect*, const Rect*, const Rect*, const Color*,
                                       int, bool)
{
}

} // namespace Lumo
