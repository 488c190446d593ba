// The application's developer keys and the actions behind them: frame-rate
// overlay, 3D switch and video statistics, screenshots and the image dump, and
// the profiler. The window procedure hands the keys of its key-down messages
// here during demo playback and while the debug-keys flag is on; the codes are
// window key codes, so 113 ('q' in the table's letters) is F2, 114 F3, 119 F8
// and 122 F11, and Shift is read from the widget manager's key table.
#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DebugFiles.h"
#include "framework/diagnostics/DebugOverlay.h"
#include "framework/diagnostics/Profiler.h"
#include "framework/graphics/D3DImageTextures.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/WidgetManager.h"

#include <mmsystem.h>

namespace Lumo
{

bool LumoAppBase::HandleDebugKey(int key)
{
    bool shift = mWidgetManager && mWidgetManager->IsKeyDown(VK_SHIFT);
    switch (key)
    {
    case 'R':
    case 'r':
        if (shift)
        {
            mShowFPS = true;
            mShowFPSMode = (mShowFPSMode + 1) % 2;
        }
        else
            mShowFPS = !mShowFPS;
        // The overlay's old place must be drawn over by the widgets again.
        if (mWidgetManager)
            mWidgetManager->SetAllDirty();
        if (mShowFPS)
            RestartFrameRateCount();
        return true;

    case 'w':
        if (!shift)
        {
            ShowVideoStats();
            return true;
        }
        InitDisplay(!Is3DAccelerated(), true);
        MsgBox(StrFormat("3D-Mode: %s", Is3DAccelerated() ? "ON" : "OFF"), "Mode Switch", MB_OK);
        mLastFrameTime = timeGetTime();
        return true;

    case 'z':
        if (shift)
            DumpImages();
        else
            SaveScreenshot();
        return true;

    case 'q':
        if (!IsProfiling())
        {
            ResetFrameTiming();
            ProfileStart(false);
        }
        else
        {
            ProfileStop();
            MsgBox(ProfileReport(), "Perf Results", MB_OK);
            ResetFrameTiming();
        }
        return false;

    default:
        return false;
    }
}

void LumoAppBase::SaveScreenshot()
{
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!CopyScreenPixels(mDDInterface, pixels, width, height))
        return;

    std::string folder = GetAppDataFolder() + "_screenshots";
    MakeDirectories(folder);
    folder += "/";
    int number = HighestFileNumber(folder, "image", ".png") + 1;
    if (number < 1)
        number = 1;
    // Another program may have written one meanwhile.
    while (FileExists(folder + StrFormat("image%d.png", number)))
        number++;
    std::string path = folder + StrFormat("image%d.png", number);
    if (!ImageLib::WritePNGPixels(path, pixels.data(), width, height))
        DebugWarning("LumoAppBase::SaveScreenshot: cannot write " + path);
    ResetFrameTiming();
}

void LumoAppBase::ShowVideoStats()
{
    const char* system =
        Is3DRecommended() ? "Recommended" : (Is3DSupported() ? "Supported" : "Unsupported");
    std::string text = StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n",
                                 Is3DAccelerated() ? "On" : "Off", system);

    // Texture pieces by format: count and bytes.
    const TextureFormat formats[4] = {A8R8G8B8, A4R4G4B4, R5G6B5, Palette8};
    int counts[4] = {0, 0, 0, 0};
    int64_t bytes[4] = {0, 0, 0, 0};
    int64_t textureBytes = 0;
    size_t imageCount = 0;
    int64_t totalVideo = 0, freeVideo = 0;
    if (mDDInterface)
        mDDInterface->mCritSect.Enter();
    imageCount = mMemoryImages.size();
    if (mDDInterface && mDDInterface->mD3D)
    {
        for (MemoryImage* image : mDDInterface->mD3D->mTextureSet)
        {
            ImageTextures* texture = image->mTexture;
            if (!texture)
                continue;
            textureBytes += texture->textureBytes;
            for (int i = 0; i < 4; i++)
            {
                if (texture->format == formats[i])
                {
                    counts[i]++;
                    bytes[i] += texture->textureBytes;
                }
            }
        }
    }
    if (mDDInterface && mDDInterface->mDD)
    {
        IDirectDraw2* dd2 = nullptr;
        if (mDDInterface->mDD->QueryInterface(IID_IDirectDraw2, (void**)&dd2) == DD_OK && dd2)
        {
            DDSCAPS caps = {DDSCAPS_VIDEOMEMORY};
            DWORD total = 0, free = 0;
            if (dd2->GetAvailableVidMem(&caps, &total, &free) == DD_OK)
            {
                totalVideo = total;
                freeVideo = free;
            }
            dd2->Release();
        }
    }
    if (mDDInterface)
        mDDInterface->mCritSect.Leave();

    text += StrFormat("Num Images: %d\r\n", (int)imageCount);
    text += StrFormat("Video Memory: %s/%s KB\r\n",
                      FormatThousands((totalVideo - freeVideo) / 1024).c_str(),
                      FormatThousands(totalVideo / 1024).c_str());
    text += StrFormat("Texture Memory: %s KB\r\n", FormatThousands(textureBytes / 1024).c_str());
    for (int i = 0; i < 4; i++)
        text += StrFormat("%s: %d - %s KB\r\n", TextureFormatName(formats[i]), counts[i],
                          FormatThousands(bytes[i] / 1024).c_str());
    MsgBox(text, "Video Stats", MB_OK);
}

} // namespace Lumo
