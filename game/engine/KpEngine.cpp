#include "game/engine/KpEngine.h"

#include "framework/app/PakInterface.h"
#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpComPtr.h"
#include "game/engine/KpCursorSet.h"
#include "game/engine/KpDevOverlay.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpFont.h"
#include "game/engine/KpGameFiles.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpTextVars.h"
#include "game/engine/KpTextureManager.h"
#include "game/engine/KpWorkingFolder.h"
#include "game/screens/KpComix.h"
#include "game/ui/KpText.h"
#include "platform/sound/SoundLayer.h"

#include <cmath>

Lumo::LumoAppBase* gGameApp = nullptr;
KpEngine* gEngine = nullptr;

static bool DevOptionsEnabled()
{
    return gDevOptions.IsEnabled();
}

KpEngine::KpEngine() : mPakInterface(nullptr), mCurrentFrameTime(0), modalBoxOpen(0)
{
    gEngine = this;
    gDevOptionsQuery = DevOptionsEnabled;

    mProductName = "Zorka Cafe";
    mTitle = L"Zorka Cafe";
    mProductVersion = "1.0";
    mRegKey = "Tessik Games\\Zorka Cafe";
    mWidth = 1024;
    mHeight = 768;

    KpUseExecutableFolder();

    // Registered before any other thread starts; a missing archive is no error.
    if (!gDevOptions.mIgnorePaks)
    {
        mPakInterface = new PakInterface();
        mPakInterface->AddPakFile("loc.pak");
        mPakInterface->AddPakFile("data.pak");
        mPakInterface->AddPakFile("mod.pak");
    }
}

KpEngine::~KpEngine()
{
    // The base destructor shuts down first; nothing reads archives after this.
    WaitForLoadingThread();
    LumoAppBase::Shutdown();
    KpCursorSet::Clear();
    KpFont::Clear();
    KpTextureManager::Clear();
    GetEngineMusic()->Clear();
    KpSoundSystem::Shutdown();
    gDevOptions.ReleaseDevFont();
    mLayoutRoot.Reset();
    mUiDocument.Reset();
    delete mPakInterface;
    mPakInterface = nullptr;
    if (gEngine == this)
        gEngine = nullptr;
}

// The developer hot keys; each acts only while the developer master switch is on.
void KpEngine::OnKeyUp(int keyCode)
{
    if (gDevOptions.IsEnabled())
        ComixDebugKey(keyCode);
}

void KpEngine::NoteDamagedData(const std::string& file)
{
    if (mDamagedData.empty())
        mDamagedData = file;
}

void KpEngine::FailOnDamagedData(const std::string& file)
{
    OutputDebugStringA(("KpEngine: damaged data: " + file + "\n").c_str());
    std::wstring text = GetString("DATA_FILE_DAMAGED",
                                  L"A file of the game is damaged or missing, so the game cannot "
                                  L"start:\n\n") +
                        Lumo::StringToWString(file) +
                        GetString("DATA_FILE_REINSTALL", L"\n\nPlease install the game again.");
    PopupW(text);
    ExitImmediately(1);
}

void KpEngine::LoadingCompleted()
{
    // A black screen is all the game could show without these.
    if (!mDamagedData.empty())
        FailOnDamagedData(mDamagedData);
    KpCursorSet::Show();
    // Always on the debugger output (not the log): what the run really loaded.
    OutputDebugStringA(
        Lumo::StrFormat("KpEngine: loading completed: %d sounds, %d music streams, %d textures, "
                        "%d fonts, %d cursors, %d texts, layouts %s, sound %s\n",
                        GetSoundManager()->GetCount(), GetEngineMusic()->GetStreamCount(),
                        KpTextureManager::GetCount(), KpFont::GetCount(), KpCursorSet::GetCount(),
                        GetEngineLocTable()->GetCount(), mLayoutRoot ? "ready" : "missing",
                        gSoundAvailable ? "on" : "off")
            .c_str());
}

void KpEngine::LoadingThreadWork()
{
    KpComScope com;
    mLoadingTotal = 2;

    KpXmlDocument cfg = XmlLoadFile("cfg\\cfg.xml");
    if (cfg && XmlSelectNode(cfg.Get(), L"cfg"))
    {
        GetSoundManager()->LoadConfig(cfg.Get());
        GetEngineMusic()->LoadConfig(cfg.Get());
    }
    else
        NoteDamagedData("cfg\\cfg.xml");
    mLoadingDone++;

    mUiDocument = XmlLoadFile("cfg\\ui.xml");
    if (mUiDocument)
        mLayoutRoot = XmlSelectNode(mUiDocument.Get(), L"ui");
    if (mLayoutRoot)
    {
        KpTextureManager::LoadConfig(mUiDocument.Get());
        KpFont::LoadConfig(mUiDocument.Get());
        KpCursorSet::LoadConfig(mUiDocument.Get());
    }
    else
        NoteDamagedData("cfg\\ui.xml");
    mLoadingDone++;
}

void KpEngine::InitApp()
{
    LumoAppBase::InitApp();
    if (mShutdown)
        return;
    KpSoundSystem::Init(mHWnd);
    if (!mProfileReadEarly)
    {
        gProfileFile.UseDefaultPath();
        if (mPlayingDemo)
            gProfileFile.SetReplaySavePath(Lumo::DemoReplayFileName(mDemoFileName, "pref.dat"));
        gProfileFile.Read();
    }
    // A first run, or one whose file is damaged, keeps the screen mode the
    // application chose.
    if (!gProfileFile.HasFileSettings())
        gProfileFile.mWindowed = mIsWindowed ? 1 : 0;
}

void KpEngine::BeforeMakeWindow()
{
    LumoAppBase::BeforeMakeWindow();
    // A demo reads it here too, as the stream's first record, so a recording
    // opens the window its player saved, as the run it records would. Demos
    // of formats before 4 read it after the window, in InitApp.
    if (mPlayingDemo && mDemoFormatVersion < 4)
        return;
    gProfileFile.UseDefaultPath();
    if (mPlayingDemo)
        gProfileFile.SetReplaySavePath(Lumo::DemoReplayFileName(mDemoFileName, "pref.dat"));
    gProfileFile.Read();
    mProfileReadEarly = true;
    // A window saved is a window at once: no full-screen try first.
    if (gProfileFile.HasFileSettings())
        mIsWindowed = gProfileFile.mWindowed != 0;
}

namespace
{
// Why a recording cannot be written at its name: the box's text key and its
// words after the name.
struct DemoNameRefusal
{
    Lumo::FileWriteProblem problem;
    const char* key;
    const wchar_t* reason;
};

const DemoNameRefusal kDemoFolder = {
    Lumo::FileWriteProblem::None, "DEMO_FILE_IS_FOLDER",
    L": that names a folder, not a file. Please name a demo file."};
const DemoNameRefusal kDemoGameFile = {
    Lumo::FileWriteProblem::None, "DEMO_FILE_IS_GAME_FILE",
    L": the game keeps its own data in that file. Please name another demo file."};
const DemoNameRefusal kDemoOutsideCodePage = {
    Lumo::FileWriteProblem::None, "DEMO_FILE_OUTSIDE_CODE_PAGE",
    L": the game can name new files and folders only with the letters of the system's code "
    L"page, and that name has others. Please name the demo file with other letters."};
const DemoNameRefusal kDemoWriteProblems[] = {
    {Lumo::FileWriteProblem::Device, "DEMO_FILE_IS_DEVICE",
     L": the system keeps that name for a device, not a file. Please name another demo file."},
    {Lumo::FileWriteProblem::Characters, "DEMO_FILE_BAD_CHARACTERS",
     L": a file name cannot hold any of the characters \" * < > ? | or control characters. "
     L"Please name another demo file."},
    {Lumo::FileWriteProblem::TooLong, "DEMO_FILE_TOO_LONG",
     L": the name is longer than the system takes. Please name a shorter demo file."},
    {Lumo::FileWriteProblem::ThroughFile, "DEMO_FILE_THROUGH_FILE",
     L": a folder on that path is a file. Please name another demo file."},
    {Lumo::FileWriteProblem::NotWritable, "DEMO_FILE_NOT_WRITABLE",
     L": that file cannot be written. Please name another demo file."},
    {Lumo::FileWriteProblem::CannotCreate, "DEMO_FILE_CANNOT_CREATE",
     L": no file can be created there. Please name another demo file."},
};

// The refusal of a recording's name, or none when it can be written.
const DemoNameRefusal* FindDemoNameRefusal(const std::string& name, bool reached)
{
    if (Lumo::IsFolderPath(name))
        return &kDemoFolder;
    if (KpIsGameFile(KpCurrentGameFiles(), name))
        return &kDemoGameFile;
    if (!reached)
        return &kDemoOutsideCodePage;
    const Lumo::FileWriteProblem problem = Lumo::CheckFileWrite(name, Lumo::kDemoTemporarySuffix);
    for (const DemoNameRefusal& refusal : kDemoWriteProblems)
        if (refusal.problem == problem)
            return &refusal;
    return nullptr;
}
} // namespace

void KpEngine::ReceiveCommandLine(const std::string& arguments)
{
    for (const auto& option : Lumo::SplitCommandLineOptions(arguments))
        HandleCommandLineOption(option.first, option.second);
    if (!mRecordingDemo)
        return;
    // The recording replaces its file as the run ends: never a folder, a name
    // no file can have or a place where none can be written, where the whole
    // run would be played for nothing, and never one of the game's own files,
    // which the player would lose right after the quit box said it is saved.
    bool reached = true;
    const std::wstring shown = TypedCommandLineText(mDemoFileName, &reached);
    const DemoNameRefusal* refusal = FindDemoNameRefusal(mDemoFileName, reached);
    if (!refusal)
        return;
    mRecordingDemo = false;
    const std::string key = refusal->key;
    PopupW(GetString(key, L"A demo cannot be recorded to ") + shown +
           GetString(key + "_END", refusal->reason));
    ExitImmediately(1);
}

void KpEngine::GotFocus()
{
    GetSoundManager()->SoundResumeAll();
}

void KpEngine::LostFocus()
{
    GetSoundManager()->SoundPauseAll();
}

bool KpEngine::StepApp(bool& updated)
{
    mCurrentFrameTime = mFrameTime;
    if (mLoadingCompleted)
        GetSoundManager()->Update();
    bool result = LumoAppBase::StepApp(updated);
    RefreshDevOverlay();
    return result;
}

void KpEngine::SetMusicVolume(double volume)
{
    LumoAppBase::SetMusicVolume(volume);
    SndGroupSetVolume(kMusicGroup, mMuteCount > 0 ? 0 : int(std::lround(volume * 100.0)));
}

void KpEngine::RefreshDevOverlay()
{
    std::string text;
    if (gDevOptions.IsEnabled() && mWidgetManager)
        text = KpDevOverlayText(mUpdateCount, mCurrentFrameTime, mWidgetManager->mLastMouseX,
                                mWidgetManager->mLastMouseY,
                                KpWidgetPath(mWidgetManager->mOverWidget), modalBoxOpen != 0);
    // The line sits over whatever is drawn there: a new one (or none) needs the
    // screen drawn again under it.
    if (text != mDevOverlayText && mWidgetManager)
        mWidgetManager->SetAllDirty();
    mDevOverlayText = text;
}

// The game cursor is the display's own cursor picture (KpCursorSet), which the
// cursor thread moves between frames; only the developer overlay draws here.
void KpEngine::DrawOverlay(Lumo::Graphics* g)
{
    if (gDevOptions.IsEnabled())
        KpDrawDevOverlay(g, mDevOverlayText);
}

namespace
{
void RefreshLabels(Lumo::WidgetContainer* node)
{
    for (Lumo::Widget* w : node->mWidgets)
    {
        if (KpCandyWidget* candy = dynamic_cast<KpCandyWidget*>(w))
            if (KpText* text = candy->AsText())
                text->RefreshVariables();
        RefreshLabels(w);
    }
}
} // namespace

void KpEngine::UpdateOnce()
{
    unsigned before = GetTextVars()->GetChangeCount();
    Lumo::LumoAppBase::UpdateOnce();
    // Fades follow game time, one frame time per update. Stepped here rather
    // than per main-loop step: a step that waits in a question box runs many
    // updates of its own, and counting them again ended a fade at once.
    GetEngineMusic()->Update(mFrameTime);
    if (GetTextVars()->GetChangeCount() != before && mWidgetManager)
        RefreshLabels(mWidgetManager);
}

void KpEngine::EngineHook1() {}

void KpEngine::EngineHook2() {}
