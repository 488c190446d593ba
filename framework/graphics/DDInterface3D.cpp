#include "framework/graphics/DDInterface3D.h"

// The renderer and the self-test are not in the build yet: the road stays
// closed (no renderer is created, so no image is the 3D screen).

namespace Lumo
{
namespace D3DRoute
{

D3DInterface* CreateRenderer() { return nullptr; }
void DeleteRenderer(D3DInterface*) {}
bool InitRenderer(D3DInterface* d3d, DDInterface*, std::string* error)
{
    if (!d3d && error)
        *error = "no renderer";
    return d3d != nullptr;
}
void CleanupRenderer(D3DInterface*) {}
bool HasError(D3DInterface*) { return false; }
void EndScene(D3DInterface*) {}
void RemoveImageTexture(D3DInterface*, Image*) {}

void DeleteTester(D3DTester*) {}
D3DTester* RunSelfTest(DDInterface*, void*, int, int, bool* failed, bool* warned, bool* fresh)
{
    *failed = true;
    *warned = false;
    *fresh = false;
    return nullptr;
}
bool TesterFresh(D3DTester*) { return false; }

bool FillPolygon(D3DInterface*, const int*, int, const Rect*, const Color*, int, int, int)
{
    return false;
}
void FillRect(D3DInterface*, const Rect*, const Color*, int) {}
void DrawLine(D3DInterface*, double, double, double, double, const Color*, int) {}
bool TransformStackEmpty(D3DInterface*) { return true; }
void Blt(D3DInterface*, Image*, float, float, const Rect*, const Color*, int, bool) {}
void BltTranslated(D3DInterface*, Image*, float, float, const Rect*, const Rect*, const Color*,
                   int)
{
}
void BltMirrored(D3DInterface*, Image*, float, float, const Rect*, const Color*, int, bool) {}
void BltStretched(D3DInterface*, Image*, const Rect*, const Rect*, const Rect*, const Color*, int,
                  bool, bool)
{
}
void BltRotated(D3DInterface*, Image*, float, float, const Rect*, const Color*, int, double, float,
                float, const Rect*)
{
}
void BltTransformed(D3DInterface*, Image*, const Rect*, const Color*, int, const Rect*,
                    const Matrix3&, bool, float, float, bool, Image*, const MaskRect*,
                    const MaskRect*, const Matrix3*)
{
}
void DrawTrianglesTex(D3DInterface*, const TriangleVertex*, int, const Color*, int, Image*, float,
                      float, bool)
{
}

}  // namespace D3DRoute
}  // namespace Lumo
