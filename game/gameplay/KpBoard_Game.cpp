#include "game/gameplay/KpBoard_Game.h"

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/raster/TriangleVariants.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpLevelData.h"

KpBoard_Game* gGameBoard = nullptr;

KpBoard_Game* GetGameBoard()
{
    return gGameBoard;
}

KpBoard_Game::KpBoard_Game(KpEngine* app) : KpDialog(nullptr, app)
{
    InitTriangleVariantTable();
    mName = "game_board";
    // The board takes clicks on the scene and the focus when dialogs close.
    mMouseVisible = true;
    mWantsFocus = true;
    SetVisible(false);
    gGameBoard = this;
}

KpBoard_Game::~KpBoard_Game()
{
    mLoader.Cancel();
    delete mLevelData;
    if (gGameBoard == this)
        gGameBoard = nullptr;
}

// ============================================================================
// Level
// ============================================================================

bool KpBoard_Game::StartLevelLoading(int level, bool endless)
{
    if (!IsLevelNumberValid(level, endless))
    {
        WriteLog("WARNING: KpBoard_Game::StartLevelLoading: no %s level %d",
                 endless ? "survival" : "career", level);
        return false;
    }
    if (mLevelActive || mLevelData)
        QuitLevel();
    mLevel = level;
    mEndless = endless;
    ShowLoadScreen(true);
    // A thread that cannot start is reported as a load that failed.
    mLoader.Start(level, endless);
    return true;
}

void KpBoard_Game::RestartLevel()
{
    if (IsLevelNumberValid(mLevel, mEndless))
        StartLevelLoading(mLevel, mEndless);
}

void KpBoard_Game::QuitLevel()
{
    EndLevel();
}

void KpBoard_Game::EndLevel()
{
    mLevelActive = false;
}

void KpBoard_Game::BeginLevel(KpLevelData* level)
{
    delete mLevelData;
    mLevelData = level;
    ResetPause();
    mLevelActive = true;
    SetVisible(true);
    OnLevelStart();
}

namespace
{
const size_t kReasonChars = 300; // of the loader's reason, the rest cut

// The box's text: the sentence and the loader's reason, cut so that the box
// stays short (the system box wraps every line within the screen).
std::wstring RefusalText(const std::wstring& sentence, const std::string& reason)
{
    std::wstring why = Lumo::StringToWString(reason.substr(0, kReasonChars));
    if (reason.size() > kReasonChars)
        why += L"...";
    return sentence + L"\n\n" + why;
}
} // namespace

void KpBoard_Game::OnLevelLoadFailed(const std::string& error)
{
    WriteLog("WARNING: KpBoard_Game: level %d cannot be played: %s", mLevel, error.c_str());
    // Back at the menus first: the box says so over them (TellRefusal).
    mRefusal = RefusalText(GetEngineLocTable()->GetText("level_load_failed"), error);
    ReturnToMenus();
}

void KpBoard_Game::TellRefusal()
{
    // The load screen may still be going through its hide effect.
    Lumo::Widget* loadScreen = gEngine3Boards[kBoardLoadScreen];
    if (loadScreen && loadScreen->mVisible)
        return;
    std::wstring text;
    text.swap(mRefusal);
    if (!gLumoApp)
        return;
    Lumo::WidgetManager* manager = gLumoApp->mWidgetManager;
    // The menus are drawn, and shown on the surface the box opens over (full
    // screen flips to the desktop's surface, which may hold an older frame);
    // all of the screen is drawn again once the box has gone.
    if (manager)
        manager->SetAllDirty();
    gLumoApp->DrawDirtyStuff();
    gLumoApp->BeginPopup();
    gLumoApp->Redraw(nullptr);
    if (gEngine)
        gEngine->modalBoxOpen = 1;
    gLumoApp->MsgBoxW(text, gLumoApp->mTitle, MB_OK | MB_ICONWARNING);
    if (gEngine)
        gEngine->modalBoxOpen = 0;
    gLumoApp->EndPopup();
    if (manager)
        manager->SetAllDirty();
}

void KpBoard_Game::OnLevelStart() {}

bool KpBoard_Game::IsCutSceneShown()
{
    return false;
}

float KpBoard_Game::GetDayProgress()
{
    return 0.0f;
}

void KpBoard_Game::ReturnToMenus()
{
    mLevelActive = false;
    SetVisible(false);
    ShowEngineScreen(kBoardMenuBackground, true);
    ShowEngineScreen(kBoardMainMenu, true);
}

void KpBoard_Game::ShowEngineScreen(int index, bool show)
{
    Lumo::Widget* screen = gEngine3Boards[index];
    if (!screen)
        return;
    KpCandyWidget* candy = dynamic_cast<KpCandyWidget*>(screen);
    if (candy && show)
        candy->Show();
    else if (candy)
        candy->Hide();
    else
        screen->SetVisible(show);
}

void KpBoard_Game::ShowLoadScreen(bool show)
{
    Lumo::Widget* screen = gEngine3Boards[kBoardLoadScreen];
    if (show && screen && mManager && screen->mParent == mManager)
        mManager->BringToFront(screen);
    ShowEngineScreen(kBoardLoadScreen, show);
}

// ============================================================================
// Pause
// ============================================================================

void KpBoard_Game::Pause()
{
    if (++mPauseCount != 1)
        return;
    GetSoundManager()->SoundPauseGroup("game");
    OnPauseHook();
}

void KpBoard_Game::Resume()
{
    // A stray Resume must not leave the count below 0, where the next Pause
    // would no longer pause.
    if (mPauseCount <= 0)
        return;
    if (--mPauseCount != 0)
        return;
    GetSoundManager()->SoundResumeGroup("game");
    OnResumeHook();
}

void KpBoard_Game::ResetPause()
{
    if (mPauseCount <= 0)
        return;
    mPauseCount = 1;
    Resume();
}

void KpBoard_Game::OnPauseHook() {}

void KpBoard_Game::OnResumeHook() {}

bool KpBoard_Game::IsRunning()
{
    return mLevelActive && mPauseCount == 0 && !(gEngine && gEngine->modalBoxOpen) &&
           !IsCutSceneShown();
}

// ============================================================================
// Widget
// ============================================================================

void KpBoard_Game::Update()
{
    KpDialog::Update();
    if (!mRefusal.empty())
        TellRefusal();
    if (!mLoader.IsBusy())
        return;
    // When the load finishes depends on the machine: a demo holds the update
    // it was seen on, and a replay waits for its own load there.
    bool done = mLoader.IsDone();
    if (gLumoApp)
        gLumoApp->SyncDemoBool(done);
    if (done)
    {
        std::string error;
        KpLevelData* level = mLoader.Take(error, mLoadWarnings);
        ShowLoadScreen(false);
        if (level)
            BeginLevel(level);
        else
            OnLevelLoadFailed(error);
    }
}

void KpBoard_Game::MouseDown(int x, int y, int button, int clicks)
{
    KpDialog::MouseDown(x, y, button, clicks);
    if (button == 0 && IsRunning())
        OnScenePress(x, y);
}

void KpBoard_Game::OnScenePress(int, int) {}

void KpBoard_Game::OnHide()
{
    // The player left the level's screen: it is no longer the active level.
    mLevelActive = false;
}
