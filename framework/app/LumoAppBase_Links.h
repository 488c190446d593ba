// The application object's calls into the widget manager, the display, the
// images and the music interface, gathered in one narrow place. The loop,
// the window procedure and the settings code speak only to these, which
// keeps them readable and lets each neighbour's API change in one file.
#pragma once

#include <windows.h>

#include <string>

#include "framework/app/Rect.h"

namespace Lumo
{
class LumoAppBase;
class WidgetManager;
class Widget;
class Dialog;
class DDInterface;
class DDImage;
class Image;
class MemoryImage;
class MusicInterface;
class ResourceManager;
class Buffer;

namespace AppLink
{

// --- widget manager
WidgetManager* WMCreate(LumoAppBase* app);
void WMDelete(WidgetManager* wm);
bool WMUpdateFrame(WidgetManager* wm);
void WMUpdateFrameWithFraction(WidgetManager* wm, float fraction);
bool WMDrawScreen(WidgetManager* wm);
void WMSetScreenImage(WidgetManager* wm, Image* image);
void WMMarkAllDirty(WidgetManager* wm);
void WMSetMouseRects(WidgetManager* wm, const Rect& dest, const Rect& src);
void WMScaleMousePosition(WidgetManager* wm, int& x, int& y);
void WMMouseMoveOrDrag(WidgetManager* wm, int x, int y);
void WMMouseDown(WidgetManager* wm, int x, int y, int clickCode);
void WMMouseUp(WidgetManager* wm, int x, int y, int clickCode);
void WMMouseWheel(WidgetManager* wm, int delta);
void WMMouseExit(WidgetManager* wm, int x, int y);
void WMKeyDown(WidgetManager* wm, int key);
void WMKeyUp(WidgetManager* wm, int key);
void WMKeyChar(WidgetManager* wm, wchar_t ch);
bool WMIsKeyDown(WidgetManager* wm, int key);
void WMClearKeysDown(WidgetManager* wm);
int WMHeldButtons(WidgetManager* wm); // bits: 1 left, 2 right, 4 middle
// Releases a mouse hold of a pressed button; true when there was one.
bool WMReleaseMouseHold(WidgetManager* wm);
void WMDisplayChangedAll(WidgetManager* wm);
void WMAddWidget(WidgetManager* wm, Widget* widget);
void WMRemoveWidget(WidgetManager* wm, Widget* widget);
void WMPushModalDefault(WidgetManager* wm, Widget* widget);
void WMPopModal(WidgetManager* wm, Widget* widget);
void WMAppGotFocus(WidgetManager* wm);
void WMAppLostFocus(WidgetManager* wm);
void WMReleaseHeldButtons(WidgetManager* wm);

// --- widgets and dialogs
void DeleteWidget(Widget* widget);
Dialog* NewDialog(int id, bool isModal, const std::wstring& header, const std::wstring& lines,
                  const std::wstring& footer, int buttonMode);
Widget* DialogAsWidget(Dialog* dialog);
int DialogId(Dialog* dialog);
bool DialogIsModal(Dialog* dialog);
int DialogWidth(Dialog* dialog);
int DialogPreferredHeight(Dialog* dialog, int width);
void DialogResize(Dialog* dialog, int x, int y, int width, int height);
int DialogResult(Dialog* dialog);
void DialogSetResult(Dialog* dialog, int result);

// --- display
DDInterface* DDCreate(LumoAppBase* app);
void DDDelete(DDInterface* dd);
int DDInit(DDInterface* dd, HWND window, bool windowed);
bool DDRedraw(DDInterface* dd, Rect* rect);
std::string DDResultToString(int result);
std::string DDErrorText(DDInterface* dd);
Image* DDScreenImage(DDInterface* dd);
int DDWidth(DDInterface* dd); // size of the picture actually shown
int DDHeight(DDInterface* dd);
Rect DDPresentationRect(DDInterface* dd);
int DDRefreshRate(DDInterface* dd);
int DDMillisPerRefresh(DDInterface* dd);
void DDLock(DDInterface* dd); // the display lock; re-entrant
void DDUnlock(DDInterface* dd);
bool DDSetCursorImage(DDInterface* dd, Image* image); // true when it changed
void DDSetCursorPos(DDInterface* dd, int x, int y);
void DDSetPendingCursorPos(DDInterface* dd, int x, int y);
void DDGetCursorPos(DDInterface* dd, int& x, int& y);
bool DDIs3D(DDInterface* dd);
void DDSet3D(DDInterface* dd, bool is3D);
bool DDHasDirectDraw(DDInterface* dd);
void DDRestoreDisplayMode(DDInterface* dd);
void DDFlipToGDISurface(DDInterface* dd);
bool DDSelfTestRanAfresh(DDInterface* dd);
bool DDIs3DSupported(DDInterface* dd);
bool DDIs3DRecommended(DDInterface* dd);
void DDForgetImage(DDInterface* dd, MemoryImage* image);
DDImage* DDNewImage(DDInterface* dd);
bool D3DFailedThisRun();
void D3DClearFailedThisRun();

// --- images
void ImageApplyStorageOptions(MemoryImage* image);
void ImageDeleteNativeData(MemoryImage* image);
void ImageDeleteExtraBuffers(MemoryImage* image);
void DeleteImage(Image* image);
// Loads a file into a new display image; null when the file cannot be read.
DDImage* LoadDDImage(DDInterface* dd, const std::string& fileName, bool commit);
DDImage* CopyToDDImage(DDInterface* dd, Image* source);
void LoadJ2KCodec();
void FreeJ2KCodec();

// --- music
MusicInterface* NewMusicInterface(HWND window, bool noMusic, bool useLibrary);
void DeleteMusicInterface(MusicInterface* music);
void MusicSetVolume(MusicInterface* music, double volume);
void MusicUpdate(MusicInterface* music);
void MusicStopAll(MusicInterface* music);

// --- resources, files
ResourceManager* NewResourceManager(LumoAppBase* app);
void DeleteResourceManager(ResourceManager* rm);
// Reads a whole file through the archive-aware file functions; false when it
// cannot be opened or read in full.
bool ReadWholeFile(const std::string& fileName, std::string& bytes);
// The same over any file functions (tests hand in their own).
struct FileReadOps
{
    void* (*open)(const char* name); // null when it cannot be opened
    int (*seek)(void* file, long offset, int origin);
    long (*tell)(void* file);
    size_t (*read)(void* dest, size_t count, void* file);
    void (*close)(void* file);
};
bool ReadWholeFileWith(const FileReadOps& ops, const std::string& fileName, std::string& bytes);
void BufferSetData(Buffer* buffer, const std::string& bytes);
void SetAppDataFolder(const std::string& folder);
std::string GetAppDataFolder();
void SeedRandom(DWORD seed);

} // namespace AppLink
} // namespace Lumo
