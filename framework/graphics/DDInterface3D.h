#pragma once
// The display's and the surface images' road into the Direct3D renderer and
// the 3D self-test. Every call into those classes goes through here, so that
// the DirectDraw side does not depend on their headers; with no renderer the
// calls do nothing and the 3D road stays closed.

#include <string>

namespace Lumo
{

class D3DInterface;
class D3DTester;
class DDInterface;
class Image;
class Rect;
class Color;
class Matrix3;
struct MaskRect;
struct Span;

} // namespace Lumo

struct TriangleVertex;

namespace Lumo
{
namespace D3DRoute
{

// --- the display's renderer
D3DInterface* CreateRenderer();
void DeleteRenderer(D3DInterface* d3d);
// False on failure, with the renderer's last error text.
bool InitRenderer(D3DInterface* d3d, DDInterface* display, std::string* error);
void CleanupRenderer(D3DInterface* d3d);
bool HasError(D3DInterface* d3d);
void EndScene(D3DInterface* d3d);
void RemoveImageTexture(D3DInterface* d3d, Image* image);

// --- the self-test: runs it; out flags say what it found
void DeleteTester(D3DTester* tester);
D3DTester* RunSelfTest(DDInterface* display, void* window, int minVidMemoryMB, int recVidMemoryMB,
                       bool* failed, bool* warned, bool* fresh);
bool TesterFresh(D3DTester* tester);

// --- drawing on the 3D screen
bool FillPolygon(D3DInterface* d3d, const int* points, int count, const Rect* clip,
                 const Color* color, int mode, int tx, int ty);
void FillRect(D3DInterface* d3d, const Rect* rect, const Color* color, int mode);
void DrawLine(D3DInterface* d3d, double x1, double y1, double x2, double y2, const Color* color,
              int mode);
bool TransformStackEmpty(D3DInterface* d3d);
void Blt(D3DInterface* d3d, Image* src, float x, float y, const Rect* srcRect, const Color* color,
         int mode, bool linear);
void BltTranslated(D3DInterface* d3d, Image* src, float x, float y, const Rect* srcRect,
                   const Rect* clip, const Color* color, int mode);
void BltMirrored(D3DInterface* d3d, Image* src, float x, float y, const Rect* srcRect,
                 const Color* color, int mode, bool linear);
void BltStretched(D3DInterface* d3d, Image* src, const Rect* destRect, const Rect* srcRect,
                  const Rect* clip, const Color* color, int mode, bool fast, bool mirror);
void BltRotated(D3DInterface* d3d, Image* src, float x, float y, const Rect* clip,
                const Color* color, int mode, double angle, float cx, float cy,
                const Rect* srcRect);
void BltTransformed(D3DInterface* d3d, Image* src, const Rect* clip, const Color* color, int mode,
                    const Rect* srcRect, const Matrix3& matrix, bool linear, float x, float y,
                    bool center, Image* maskImage, const MaskRect* maskSrcRect,
                    const MaskRect* maskPlaceRect, const Matrix3* maskMatrix);
void DrawTrianglesTex(D3DInterface* d3d, const TriangleVertex* triangles, int count,
                      const Color* color, int mode, Image* texture, float tx, float ty,
                      bool filter);

} // namespace D3DRoute
} // namespace Lumo
