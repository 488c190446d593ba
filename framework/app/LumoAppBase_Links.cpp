// Calls from the application object into its neighbours.
#include "framework/app/LumoAppBase_Links.h"

#include "framework/app/BassMusicInterface.h"
#include "framework/app/Buffer.h"
#include "framework/app/FModMusicInterface.h"
#include "framework/app/LumoAppBase.h"
#include "framework/app/MersenneRandom.h"
#include "framework/app/PakInterface.h"
#include "framework/app/StringUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ResourceManager.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

namespace Lumo
{
namespace AppLink
{

// ---------------------------------------------------------------- widget manager

WidgetManager* WMCreate(LumoAppBase* app)
{
    return new WidgetManager(app);
}

void WMDelete(WidgetManager* wm)
{
    delete wm;
}

bool WMUpdateFrame(WidgetManager* wm)
{
    return wm->UpdateFrame();
}

void WMUpdateFrameWithFraction(WidgetManager* wm, float fraction)
{
    wm->UpdateFrameWithFraction(fraction);
}

bool WMDrawScreen(WidgetManager* wm)
{
    return wm->DrawScreen(wm->mApp);
}

void WMSetScreenImage(WidgetManager* wm, Image* image)
{
    wm->mImage = image;
}

void WMMarkAllDirty(WidgetManager* wm)
{
    wm->SetAllDirty();
}

void WMSetMouseRects(WidgetManager* wm, const Rect& dest, const Rect& src)
{
    wm->SetMouseRects(dest, src);
}

void WMScaleMousePosition(WidgetManager* wm, int& x, int& y)
{
    wm->ScaleMousePosition(x, y);
}

void WMMouseMoveOrDrag(WidgetManager* wm, int x, int y)
{
    wm->MouseMoveOrDrag(x, y);
}

void WMMouseDown(WidgetManager* wm, int x, int y, int clickCode)
{
    wm->MouseDown(x, y, clickCode);
}

void WMMouseUp(WidgetManager* wm, int x, int y, int clickCode)
{
    wm->MouseUp(x, y, clickCode);
}

void WMMouseWheel(WidgetManager* wm, int delta)
{
    wm->MouseWheel(delta);
}

void WMMouseExit(WidgetManager* wm, int, int)
{
    wm->MouseExit();
}

void WMKeyDown(WidgetManager* wm, int key)
{
    wm->KeyDown(key);
}

void WMKeyUp(WidgetManager* wm, int key)
{
    wm->KeyUp(key);
}

void WMKeyChar(WidgetManager* wm, wchar_t ch)
{
    wm->KeyChar(ch);
}

bool WMIsKeyDown(WidgetManager* wm, int key)
{
    return wm->IsKeyDown(key);
}

void WMClearKeysDown(WidgetManager* wm)
{
    for (int i = 0; i < 255; i++)
        wm->mKeyDown[i] = false;
}

int WMHeldButtons(WidgetManager* wm)
{
    return (int)wm->mDownButtons;
}

bool WMReleaseMouseHold(WidgetManager* wm)
{
    if (!wm->mLastDownWidget || wm->mDownButtons == 0)
        return false;
    wm->ReleaseButtons(wm->mLastDownWidget, wm->mDownButtons);
    return true;
}

void WMDisplayChangedAll(WidgetManager* wm)
{
    wm->DisplayChangedAll();
}

void WMAddWidget(WidgetManager* wm, Widget* widget)
{
    wm->AddWidget(widget);
}

void WMRemoveWidget(WidgetManager* wm, Widget* widget)
{
    wm->RemoveWidget(widget);
}

void WMPushModalDefault(WidgetManager* wm, Widget* widget)
{
    wm->PushModalDefault(widget);
}

void WMPopModal(WidgetManager* wm, Widget* widget)
{
    wm->PopModal(widget);
}

void WMAppGotFocus(WidgetManager* wm)
{
    wm->AppGotFocus();
}

void WMAppLostFocus(WidgetManager* wm)
{
    wm->AppLostFocus();
}

void WMReleaseHeldButtons(WidgetManager* wm)
{
    wm->ReleaseHeldButtons();
}

// ---------------------------------------------------------------- widgets and dialogs

void DeleteWidget(Widget* widget)
{
    delete widget;
}

Dialog* NewDialog(int id, bool isModal, const std::wstring& header, const std::wstring& lines,
                  const std::wstring& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, isModal, header, lines, footer, buttonMode);
}

Widget* DialogAsWidget(Dialog* dialog)
{
    return dialog;
}

int DialogId(Dialog* dialog)
{
    return dialog->mId;
}

bool DialogIsModal(Dialog* dialog)
{
    return dialog->IsModal();
}

int DialogWidth(Dialog* dialog)
{
    return dialog->mWidth;
}

int DialogPreferredHeight(Dialog* dialog, int width)
{
    return dialog->GetPreferredHeight(width);
}

void DialogResize(Dialog* dialog, int x, int y, int width, int height)
{
    dialog->Resize(x, y, width, height);
}

int DialogResult(Dialog* dialog)
{
    return dialog->mResult;
}

void DialogSetResult(Dialog* dialog, int result)
{
    dialog->mResult = result;
}

// ---------------------------------------------------------------- display

DDInterface* DDCreate(LumoAppBase* app)
{
    return new DDInterface(app);
}

void DDDelete(DDInterface* dd)
{
    delete dd;
}

int DDInit(DDInterface* dd, HWND window, bool windowed)
{
    return dd->Init(window, windowed);
}

bool DDRedraw(DDInterface* dd, Rect* rect)
{
    return dd->Redraw(rect);
}

std::string DDResultToString(int result)
{
    return DDInterface::ResultToString(result);
}

std::string DDErrorText(DDInterface* dd)
{
    return dd->mErrorString;
}

Image* DDScreenImage(DDInterface* dd)
{
    return (Image*)dd->GetScreenImage();
}

int DDWidth(DDInterface* dd)
{
    return dd->mDisplayWidth;
}

int DDHeight(DDInterface* dd)
{
    return dd->mDisplayHeight;
}

Rect DDPresentationRect(DDInterface* dd)
{
    return dd->mPresentationRect;
}

int DDRefreshRate(DDInterface* dd)
{
    return dd->mRefreshRate;
}

int DDMillisPerRefresh(DDInterface* dd)
{
    return dd->mMillisecondsPerFrame;
}

void DDLock(DDInterface* dd)
{
    dd->mCritSect.Enter();
}

void DDUnlock(DDInterface* dd)
{
    dd->mCritSect.Leave();
}

bool DDSetCursorImage(DDInterface* dd, Image* image)
{
    return dd->SetCursorImage(image);
}

void DDSetCursorPos(DDInterface* dd, int x, int y)
{
    dd->SetCursorPos(x, y);
}

void DDSetPendingCursorPos(DDInterface* dd, int x, int y)
{
    dd->mNextCursorX = x;
    dd->mNextCursorY = y;
}

void DDGetCursorPos(DDInterface* dd, int& x, int& y)
{
    x = dd->mCursorX;
    y = dd->mCursorY;
}

bool DDIs3D(DDInterface* dd)
{
    return dd->mIs3D;
}

void DDSet3D(DDInterface* dd, bool is3D)
{
    dd->mIs3D = is3D;
}

bool DDHasDirectDraw(DDInterface* dd)
{
    return dd->mDD != nullptr;
}

void DDRestoreDisplayMode(DDInterface* dd)
{
    if (dd->mDD)
        dd->mDD->RestoreDisplayMode();
}

void DDFlipToGDISurface(DDInterface* dd)
{
    if (dd->mDD)
        dd->mDD->FlipToGDISurface();
}

bool DDSelfTestRanAfresh(DDInterface* dd)
{
    return dd->mD3DTester && dd->mD3DTester->mResultsChanged;
}

bool DDIs3DSupported(DDInterface* dd)
{
    return dd->mD3DTester && dd->mD3DTester->mFailureReason.empty();
}

bool DDIs3DRecommended(DDInterface* dd)
{
    return DDIs3DSupported(dd) && dd->mD3DTester->mWarning.empty();
}

void DDForgetImage(DDInterface* dd, MemoryImage* image)
{
    dd->RemoveImageTexture((Image*)image);
}

DDImage* DDNewImage(DDInterface* dd)
{
    return new DDImage(dd);
}

bool D3DFailedThisRun()
{
    return gD3DRenderTargetFailed;
}

void D3DClearFailedThisRun()
{
    gD3DRenderTargetFailed = false;
}

// ---------------------------------------------------------------- images

void ImageApplyStorageOptions(MemoryImage* image)
{
    image->ApplyStorageOptions();
}

void ImageDeleteNativeData(MemoryImage* image)
{
    image->DeleteNativeData();
}

void ImageDeleteExtraBuffers(MemoryImage* image)
{
    image->DeleteExtraBuffers();
}

void DeleteImage(Image* image)
{
    delete image;
}

DDImage* LoadDDImage(DDInterface* dd, const std::string& fileName, bool commit)
{
    ImageLib::Image* file = ImageLib::GetImage(fileName, true);
    if (!file)
        return nullptr;
    DDImage* image = new DDImage(dd);
    image->mFileName = fileName;
    image->SetPixels(file->GetBits(), file->GetWidth(), file->GetHeight(), commit);
    delete file;
    return image;
}

DDImage* CopyToDDImage(DDInterface* dd, Image* source)
{
    if (!source)
        return nullptr;
    DDImage* image = new DDImage(dd);
    image->Create(source->mWidth, source->mHeight);
    Graphics g(image);
    g.DrawImage(source, 0, 0);
    image->mFileName = source->mFileName;
    image->mRows = source->mRows;
    image->mColumns = source->mColumns;
    return image;
}

void LoadJ2KCodec()
{
    ImageLib::LoadJ2KCodec();
}

void FreeJ2KCodec()
{
    ImageLib::FreeJ2KCodec();
}

// ---------------------------------------------------------------- music

MusicInterface* NewMusicInterface(HWND window, bool noMusic, bool useLibrary)
{
    if (noMusic)
        return new MusicInterface();
    if (useLibrary)
        return new FModMusicInterface(window);
    return new BassMusicInterface(window);
}

void DeleteMusicInterface(MusicInterface* music)
{
    delete music;
}

void MusicSetVolume(MusicInterface* music, double volume)
{
    music->SetVolume(volume);
}

void MusicUpdate(MusicInterface* music)
{
    music->Update();
}

void MusicStopAll(MusicInterface* music)
{
    music->StopAllMusic();
}

// ---------------------------------------------------------------- resources, files

ResourceManager* NewResourceManager(LumoAppBase* app)
{
    return new ResourceManager(app);
}

void DeleteResourceManager(ResourceManager* rm)
{
    delete rm;
}

static void* PakOpenOp(const char* name)
{
    return PakOpen(name, "rb");
}
static int PakSeekOp(void* file, long offset, int origin)
{
    return PakSeek((PakFile*)file, offset, origin);
}
static long PakTellOp(void* file)
{
    return PakTell((PakFile*)file);
}
static size_t PakReadOp(void* dest, size_t count, void* file)
{
    return PakRead(dest, 1, count, (PakFile*)file);
}
static void PakCloseOp(void* file)
{
    PakClose((PakFile*)file);
}

bool ReadWholeFileWith(const FileReadOps& ops, const std::string& fileName, std::string& bytes)
{
    void* file = ops.open(fileName.c_str());
    if (!file)
        return false;
    bool ok = ops.seek(file, 0, SEEK_END) == 0;
    long size = ok ? ops.tell(file) : -1;
    ok = ok && size >= 0 && ops.seek(file, 0, SEEK_SET) == 0;
    std::string read;
    if (ok)
    {
        read.resize((size_t)size);
        // A short read is a failure: the caller must never see half a file.
        ok = size == 0 || ops.read(&read[0], (size_t)size, file) == (size_t)size;
    }
    ops.close(file);
    if (ok)
        bytes.swap(read);
    return ok;
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes)
{
    static const FileReadOps pakOps = {PakOpenOp, PakSeekOp, PakTellOp, PakReadOp, PakCloseOp};
    return ReadWholeFileWith(pakOps, fileName, bytes);
}

void BufferSetData(Buffer* buffer, const std::string& bytes)
{
    buffer->SetData(bytes.data(), (int)bytes.size());
}

void SetAppDataFolder(const std::string& folder)
{
    Lumo::SetAppDataFolder(folder);
}

std::string GetAppDataFolder()
{
    return Lumo::GetAppDataFolder();
}

void SeedRandom(DWORD seed)
{
    ::SeedRandom((unsigned int)seed);
}

} // namespace AppLink
} // namespace Lumo
