#include "framework/graphics/DDInterface3D.h"

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDInterface.h"

namespace Lumo
{
namespace D3DRoute
{

D3DInterface* CreateRenderer()
{
    return new D3DInterface();
}

void DeleteRenderer(D3DInterface* d3d)
{
    delete d3d;
}

bool InitRenderer(D3DInterface* d3d, DDInterface* display, std::string* error)
{
    if (!d3d)
    {
        if (error)
            *error = "no renderer";
        return false;
    }
    if (d3d->Init(display))
        return true;
    if (error)
        *error = gD3DLastError;
    return false;
}

void CleanupRenderer(D3DInterface* d3d)
{
    if (d3d)
        d3d->Cleanup();
}

bool HasError(D3DInterface* d3d)
{
    return d3d && !gD3DLastError.empty();
}

void EndScene(D3DInterface* d3d)
{
    if (d3d)
        d3d->EndSceneIfOpen();
}

void RemoveImageTexture(D3DInterface* d3d, Image* image)
{
    if (d3d)
        d3d->RemoveImageTexture(image);
}

void DeleteTester(D3DTester* tester)
{
    delete tester;
}

D3DTester* RunSelfTest(DDInterface* display, void* window, int minVidMemoryMB, int recVidMemoryMB,
                       bool* failed, bool* warned, bool* fresh)
{
    D3DTester* tester = new D3DTester();
    tester->SetVidMemoryRequirements(minVidMemoryMB, recVidMemoryMB);
    tester->TestD3D((HWND)window, display->mDD7);
    *failed = !tester->GetFailureReason().empty();
    *warned = !tester->GetWarning().empty();
    *fresh = tester->ResultsChanged();
    return tester;
}

bool TesterFresh(D3DTester* tester)
{
    return tester && tester->ResultsChanged();
}

bool FillPolygon(D3DInterface* d3d, const int* points, int count, const Rect* clip,
                 const Color* color, int mode, int tx, int ty)
{
    d3d->FillPolygon(points, count, clip, color, mode, tx, ty);
    return true;
}

void FillRect(D3DInterface* d3d, const Rect* rect, const Color* color, int mode)
{
    d3d->FillRect(rect, color, mode);
}

void DrawLine(D3DInterface* d3d, double x1, double y1, double x2, double y2, const Color* color,
              int mode)
{
    d3d->DrawLine(x1, y1, x2, y2, color, mode);
}

bool TransformStackEmpty(D3DInterface* d3d)
{
    return d3d->TransformStackEmpty();
}

void Blt(D3DInterface* d3d, Image* src, float x, float y, const Rect* srcRect, const Color* color,
         int mode, bool linear)
{
    d3d->Blt(src, x, y, srcRect, color, mode, linear);
}

void BltTranslated(D3DInterface* d3d, Image* src, float x, float y, const Rect* srcRect,
                   const Rect* clip, const Color* color, int mode)
{
    d3d->BltTranslated(src, x, y, srcRect, clip, color, mode);
}

void BltMirrored(D3DInterface* d3d, Image* src, float x, float y, const Rect* srcRect,
                 const Color* color, int mode, bool linear)
{
    d3d->BltMirrored(src, x, y, srcRect, color, mode, linear);
}

void BltStretched(D3DInterface* d3d, Image* src, const Rect* destRect, const Rect* srcRect,
                  const Rect* clip, const Color* color, int mode, bool fast, bool mirror)
{
    d3d->BltStretched(src, destRect, srcRect, clip, color, mode, fast, mirror);
}

void BltRotated(D3DInterface* d3d, Image* src, float x, float y, const Rect* clip,
                const Color* color, int mode, double angle, float cx, float cy, const Rect* srcRect)
{
    d3d->BltRotated(src, x, y, clip, color, mode, angle, cx, cy, srcRect);
}

void BltTransformed(D3DInterface* d3d, Image* src, const Rect* clip, const Color* color, int mode,
                    const Rect* srcRect, const Matrix3& matrix, bool linear, float x, float y,
                    bool center, Image* maskImage, const MaskRect* maskSrcRect,
                    const MaskRect* maskPlaceRect, const Matrix3* maskMatrix)
{
    d3d->BltTransformed(src, clip, color, mode, srcRect, matrix, linear, x, y, center, maskImage,
                        maskSrcRect, maskPlaceRect, maskMatrix);
}

void DrawTrianglesTex(D3DInterface* d3d, const TriangleVertex* triangles, int count,
                      const Color* color, int mode, Image* texture, float tx, float ty, bool filter)
{
    d3d->DrawTrianglesTex(triangles, count, color, mode, texture, tx, ty, filter);
}

} // namespace D3DRoute
} // namespace Lumo
