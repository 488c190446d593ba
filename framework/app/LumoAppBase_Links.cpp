// Calls from the application object into its neighbours.
#include "framework/app/LumoAppBase_Links.h"

namespace Lumo
{
namespace AppLink
{

WidgetManager* WMCreate(LumoAppBase* app) { return nullptr; }
void WMDelete(WidgetManager* wm) { }
bool WMUpdateFrame(WidgetManager* wm) { return false; }
void WMUpdateFrameWithFraction(WidgetManager* wm, float fraction) { }
bool WMDrawScreen(WidgetManager* wm) { return false; }
void WMSetScreenImage(WidgetManager* wm, Image* image) { }
void WMMarkAllDirty(WidgetManager* wm) { }
void WMSetMouseRects(WidgetManager* wm, const Rect& dest, const Rect& src) { }
void WMScaleMousePosition(WidgetManager* wm, int& x, int& y) { }
void WMMouseMoveOrDrag(WidgetManager* wm, int x, int y) { }
void WMMouseDown(WidgetManager* wm, int x, int y, int clickCode) { }
void WMMouseUp(WidgetManager* wm, int x, int y, int clickCode) { }
void WMMouseWheel(WidgetManager* wm, int delta) { }
void WMMouseExit(WidgetManager* wm, int x, int y) { }
void WMKeyDown(WidgetManager* wm, int key) { }
void WMKeyUp(WidgetManager* wm, int key) { }
void WMKeyChar(WidgetManager* wm, wchar_t ch) { }
bool WMIsKeyDown(WidgetManager* wm, int key) { return false; }
void WMClearKeysDown(WidgetManager* wm) { }
int WMHeldButtons(WidgetManager* wm) { return 0; }
bool WMReleaseMouseHold(WidgetManager* wm) { return false; }
void WMDisplayChangedAll(WidgetManager* wm) { }
void WMAddWidget(WidgetManager* wm, Widget* widget) { }
void WMRemoveWidget(WidgetManager* wm, Widget* widget) { }
void WMPushModalDefault(WidgetManager* wm, Widget* widget) { }
void WMPopModal(WidgetManager* wm, Widget* widget) { }
void WMAppGotFocus(WidgetManager* wm) { }
void WMAppLostFocus(WidgetManager* wm) { }
void WMReleaseHeldButtons(WidgetManager* wm) { }
void DeleteWidget(Widget* widget) { }
Dialog* NewDialog(int id, bool isModal, const std::wstring& header, const std::wstring& lines, const std::wstring& footer, int buttonMode) { return nullptr; }
Widget* DialogAsWidget(Dialog* dialog) { return nullptr; }
int DialogId(Dialog* dialog) { return 0; }
bool DialogIsModal(Dialog* dialog) { return false; }
int DialogWidth(Dialog* dialog) { return 0; }
int DialogPreferredHeight(Dialog* dialog, int width) { return 0; }
void DialogResize(Dialog* dialog, int x, int y, int width, int height) { }
int DialogResult(Dialog* dialog) { return 0; }
void DialogSetResult(Dialog* dialog, int result) { }
DDInterface* DDCreate(LumoAppBase* app) { return nullptr; }
void DDDelete(DDInterface* dd) { }
int DDInit(DDInterface* dd, HWND window, bool windowed) { return 0; }
bool DDRedraw(DDInterface* dd, Rect* rect) { return false; }
std::string DDResultToString(int result) { return std::string(); }
std::string DDErrorText(DDInterface* dd) { return std::string(); }
Image* DDScreenImage(DDInterface* dd) { return nullptr; }
int DDWidth(DDInterface* dd) { return 0; }
int DDHeight(DDInterface* dd) { return 0; }
Rect DDPresentationRect(DDInterface* dd) { return Rect(); }
int DDRefreshRate(DDInterface* dd) { return 0; }
int DDMillisPerRefresh(DDInterface* dd) { return 0; }
void DDLock(DDInterface* dd) { }
void DDUnlock(DDInterface* dd) { }
bool DDSetCursorImage(DDInterface* dd, Image* image) { return false; }
void DDSetCursorPos(DDInterface* dd, int x, int y) { }
void DDSetPendingCursorPos(DDInterface* dd, int x, int y) { }
void DDGetCursorPos(DDInterface* dd, int& x, int& y) { }
bool DDIs3D(DDInterface* dd) { return false; }
void DDSet3D(DDInterface* dd, bool is3D) { }
bool DDHasDirectDraw(DDInterface* dd) { return false; }
void DDRestoreDisplayMode(DDInterface* dd) { }
void DDFlipToGDISurface(DDInterface* dd) { }
bool DDSelfTestRanAfresh(DDInterface* dd) { return false; }
bool DDIs3DSupported(DDInterface* dd) { return false; }
bool DDIs3DRecommended(DDInterface* dd) { return false; }
void DDForgetImage(DDInterface* dd, MemoryImage* image) { }
DDImage* DDNewImage(DDInterface* dd) { return nullptr; }
bool D3DFailedThisRun() { return false; }
void D3DClearFailedThisRun() { }
void ImageApplyStorageOptions(MemoryImage* image) { }
void ImageDeleteNativeData(MemoryImage* image) { }
void ImageDeleteExtraBuffers(MemoryImage* image) { }
void DeleteImage(Image* image) { }
DDImage* LoadDDImage(DDInterface* dd, const std::string& fileName, bool commit) { return nullptr; }
DDImage* CopyToDDImage(DDInterface* dd, Image* source) { return nullptr; }
void LoadJ2KCodec() { }
void FreeJ2KCodec() { }
MusicInterface* NewMusicInterface(HWND window, bool noMusic, bool useLibrary) { return nullptr; }
void DeleteMusicInterface(MusicInterface* music) { }
void MusicSetVolume(MusicInterface* music, double volume) { }
void MusicUpdate(MusicInterface* music) { }
void MusicStopAll(MusicInterface* music) { }
ResourceManager* NewResourceManager(LumoAppBase* app) { return nullptr; }
void DeleteResourceManager(ResourceManager* rm) { }
bool ReadWholeFile(const std::string& fileName, std::string& bytes) { return false; }
void BufferSetData(Buffer* buffer, const std::string& bytes) { }

} // namespace AppLink
} // namespace Lumo
