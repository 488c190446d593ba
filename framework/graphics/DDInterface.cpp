#include "framework/graphics/DDInterface.h"

namespace Lumo
{

bool gDisplayIsRGB = false;

NativeDisplay::~NativeDisplay() = default;

DDInterface::DDInterface(LumoAppBase* app) : mApp(app) {}
DDInterface::~DDInterface() {}
int DDInterface::Init(HWND, bool) { return RESULT_DD_CREATE_FAIL; }
void DDInterface::Cleanup() {}
bool DDInterface::Redraw(Rect*) { return false; }
std::string DDInterface::ResultToString(int) { return "RESULT_UNKNOWN"; }
bool DDInterface::CheckResult(HRESULT result, const char*) { return FAILED(result); }
HRESULT DDInterface::CreateSurface(DDSURFACEDESC2*, IDirectDrawSurface** surface)
{
    *surface = nullptr;
    return DDERR_NOTINITIALIZED;
}
void DDInterface::ClearSurface(IDirectDrawSurface*) {}
void DDInterface::CreateScreenImage(bool) {}
void DDInterface::AddDDImage(DDImage* image) { mDDImageSet.insert(image); }
void DDInterface::RemoveDDImage(DDImage* image) { mDDImageSet.erase(image); }
void DDInterface::RemoveImageTexture(Image*) {}
bool DDInterface::SetCursorImage(Image* image)
{
    if (image == mCursorImage)
        return false;
    mCursorImage = image;
    return true;
}
void DDInterface::SetCursorPos(int x, int y)
{
    mNextCursorX = x;
    mNextCursorY = y;
}
void DDInterface::DrawCursor(IDirectDrawSurface*, bool) {}
void DDInterface::RestoreCursorArea(IDirectDrawSurface*, bool) {}
void DDInterface::MoveCursor(IDirectDrawSurface*, bool, int, int) {}
bool DDInterface::Run3DSelfTest(HWND) { return false; }

}  // namespace Lumo
