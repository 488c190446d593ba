#include "game/engine/KpEngine3.h"

#include "framework/app/StringUtils.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpComPtr.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpTextVars.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/scene/KpEffect.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpBoard_HiScores.h"
#include "game/screens/KpBoard_Help.h"
#include "game/screens/KpBoard_LoadScreen.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpBoard_Menu.h"
#include "game/screens/KpBoard_Options.h"
#include "game/screens/KpScreenTable.h"
#include "game/screens/KpBoard_Splash.h"
#include "game/screens/KpBoard_Survival.h"
#include "game/screens/KpCareerRules.h"
#include "game/ui/KpText.h"

KpEngine3* gEngine3 = nullptr;
Lumo::Widget* gEngine3Boards[kEngineBoardCount] = {};

KpEngine3::KpEngine3() : mAskingQuit(false)
{
    gEngine3 = this;
}

KpEngine3::~KpEngine3()
{
    WaitForLoadingThread();
    DestroyConfirmBoxes();
    for (Lumo::Widget*& board : gEngine3Boards)
    {
        if (board && mWidgetManager)
            mWidgetManager->RemoveWidget(board);
        delete board;
        board = nullptr;
    }
    if (gEngine3 == this)
        gEngine3 = nullptr;
}

void KpEngine3::LoadingCompleted()
{
    KpEngine::LoadingCompleted();
    for (Lumo::Widget* board : gEngine3Boards)
        if (board)
            mWidgetManager->AddWidget(board);
    AttachConfirmBoxes(mWidgetManager);
    ShowFirstScreen();
}

void KpEngine3::ShowFirstScreen()
{
    // The splash leads on to the menus when it ends; without one they come at once.
    if (KpCandyWidget* splash = dynamic_cast<KpCandyWidget*>(gEngine3Boards[kBoardSplash]))
    {
        splash->Show();
        return;
    }
    if (Lumo::Widget* background = gEngine3Boards[kBoardMenuBackground])
        background->SetVisible(true);
    if (KpCandyWidget* menu = dynamic_cast<KpCandyWidget*>(gEngine3Boards[kBoardMainMenu]))
        menu->Show();
}

namespace
{
// The layouts without which the game shows nothing it can be played or left
// by, a menu button would do nothing, or the start and a level's loading would
// take odd roads; the comic player's holds the only way out of a comic. The
// menu backdrop is left out: the game plays on without that picture.
const char* const kEssentialLayouts[] = {"main_menu",
                                         "comix_ui",
                                         "dialogbox_2button",
                                         "dialogbox_1button",
                                         "career_menu",
                                         "survival_menu",
                                         "options",
                                         "help",
                                         "hiscores",
                                         "hud",
                                         "briefing_dialog",
                                         "escape_menu",
                                         "upgrade_menu",
                                         "debriefing_dialog",
                                         "debriefing_dialog_fail",
                                         "splash",
                                         "load_screen"};

// The dialog layout of that name lies whole on a screen of that size.
bool IsLayoutOnScreen(IXMLDOMNode* root, const char* name, int width, int height)
{
    std::wstring match = L"[@type=\"kpdialog\" and @name=\"" + Lumo::StringToWString(name) + L"\"]";
    KpXmlNode layout = XmlSelectNode(root, L"layouts/widget" + match);
    if (!layout)
        layout = XmlSelectNode(root, L"widget" + match);
    if (!layout)
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    XmlReadInt(layout.Get(), "x", x);
    XmlReadInt(layout.Get(), "y", y);
    XmlReadInt(layout.Get(), "w", w);
    XmlReadInt(layout.Get(), "h", h);
    return x >= 0 && y >= 0 && w > 0 && h > 0 && w <= width - x && h <= height - y;
}

// A comic ends only through a button of its player's layout.
bool ComicPlayerHasButton(IXMLDOMNode* root)
{
    const std::wstring button = L"[@type=\"kpdialog\" and @name=\"comix_ui\"]"
                                L"//widget[@type=\"kpbutton\"]";
    return XmlSelectNode(root, L"layouts/widget" + button) ||
           XmlSelectNode(root, L"widget" + button);
}

} // namespace

void KpEngine3::LoadingThreadWork()
{
    KpComScope com;
    KpEngine::LoadingThreadWork();
    // Every screen comes and goes through its effects.
    if (!KpEffect::EnsureLoaded())
        NoteDamagedData("cfg\\effect.xml");
    if (IXMLDOMNode* layouts = GetLayoutRoot())
    {
        for (const char* name : kEssentialLayouts)
            if (!IsLayoutOnScreen(layouts, name, mWidth, mHeight))
                NoteDamagedData("cfg\\ui.xml");
        if (!ComicPlayerHasButton(layouts))
            NoteDamagedData("cfg\\ui.xml");
    }
    CreateScreens();
}

void KpEngine3::CreateScreens()
{
    // Each screen is made here, once, from its layout under GetLayoutRoot(), into
    // its gEngine3Boards entry.
    IXMLDOMNode* layouts = GetLayoutRoot();
    gEngine3Boards[kBoardGame] = new KpBoard_Game3(this, layouts);
    gEngine3Boards[kBoardMenuBackground] = new KpBoard_Menu(this, layouts);
    gEngine3Boards[kBoardMainMenu] = new KpBoard_MainMenu(layouts, this);
    gEngine3Boards[kBoardOptions] = new KpBoard_Options(this, layouts);
    gEngine3Boards[kBoardHelp] = new KpBoard_Help(this, layouts);
    gEngine3Boards[kBoardHiScores] = new KpBoard_HiScores(this, layouts);
    gEngine3Boards[kBoardCareer] = new KpBoard_Career(this, layouts);
    gEngine3Boards[kBoardSurvival] = new KpBoard_Survival(this, layouts);
    gEngine3Boards[kBoardSplash] = new KpBoard_Splash(this, layouts);
    gEngine3Boards[kBoardLoadScreen] = new KpBoard_LoadScreen(this, layouts);
    CreateConfirmBoxes(this, layouts);
}

void KpEngine3::InitApp()
{
    mVSyncWanted = true;
    if (!GetEngineLocTable()->LoadFile("cfg\\loc.xml"))
        FailOnDamagedData("cfg\\loc.xml");
    if (GetEngineLocTable()->HasText("app_title"))
        mTitle = GetEngineLocTable()->GetText("app_title");
    KpEngine::InitApp();
    if (mShutdown)
        return;
    gProfileFile.ApplySettings();
}

void KpEngine3::SwitchScreenMode(bool windowed, bool is3D, bool force)
{
    KpEngine::SwitchScreenMode(windowed, is3D, force);
    gProfileFile.mWindowed = mIsWindowed ? 1 : 0;
}

void KpEngine3::Shutdown()
{
    // Off the main thread only the request is recorded; the loop calls back.
    if (mPrimaryThreadId != 0 && GetCurrentThreadId() != mPrimaryThreadId)
    {
        LumoAppBase::Shutdown();
        return;
    }
    if (mShutdown || !mLoadingThreadFinished || mAskingQuit)
        return;
    // The end of the Windows session arrives as a message sent to the window and
    // cannot wait for an answer: it saves and ends without asking.
    if (!InSendMessage() && !ConfirmQuit())
        return;
    // The run ends from here: a replay handed back at its end gives this end's
    // saves what the recording's own end found.
    NoteRunEnding(true);
    // A player who stays keeps the progress in memory for the next save to try.
    // A file another program held at the start, or a folder out of reach, is
    // not saved to in this run: the quit question said so.
    if (!gProfileFile.SavesNothing() && !gProfileFile.Save() && !InSendMessage() &&
        !ConfirmSaveLostAtQuit())
    {
        NoteRunEnding(false);
        return;
    }
    // Hiding the window can take seconds under some window managers: the
    // last picture on screen is the game, not the box that was just answered.
    for (KpCandyWidget* box :
         std::initializer_list<KpCandyWidget*>{gConfirm2, gConfirm1, gBgDialog})
        if (box && box->mVisible)
            box->SetVisible(false);
    PresentNow();
    // Outside the screen trace, which replays compare: a driver may hold the
    // game here to read the last picture before the window goes.
    OutputDebugStringA("KpEngine: quit: last picture presented\n");
    LumoAppBase::Shutdown();
}

void KpEngine3::UpdateOnce()
{
    KpEngine::UpdateOnce();
    // Told between updates, never inside a box or before the boxes exist.
    if (mLoadingCompleted && !modalBoxOpen && !mShutdown && !mAskingQuit)
    {
        TellProfileNews();
        TellDisplayNews();
    }
}

void KpEngine3::TellDisplayNews()
{
    // Not over the splash or the load screen, where the box would be missed.
    for (KpEngineBoard board : {kBoardSplash, kBoardLoadScreen})
        if (KpCandyWidget* screen = GetScreen(board))
            if (screen->mVisible)
                return;
    if (!TakeFullscreenRefusal())
        return;
    ScreenTrace("full screen refused: playing in a window");
    ShowMessageBox("nofullscr");
}

namespace
{
// The days as the career book numbers them, "day 3 of cafe 1 (Ann)", a few
// of them and how many more: the box has room for no more.
std::wstring ResetDaysText(const std::vector<KpResetDay>& days)
{
    const size_t kMostNamed = 2;
    std::vector<std::wstring> names;
    gProfileFile.ReadAllProfiles(names);
    KpTextVars* vars = GetTextVars();
    KpLocTable* loc = GetEngineLocTable();
    std::wstring list;
    for (size_t i = 0; i < days.size() && i < kMostNamed; i++)
    {
        const CareerCafe& cafe = GetCareerCafe(CareerCafeOfLevel(days[i].level));
        size_t slot = size_t(days[i].slot);
        vars->Set("profile_player", slot < names.size() ? names[slot] : L"");
        vars->SetInt("profile_cafe", cafe.cafe);
        vars->SetInt("profile_day", days[i].level - cafe.levelOffset);
        list += (i ? L", " : L"") + KpText::ExpandTextVars(loc->GetText("db01_day_profileday"));
    }
    if (days.size() > kMostNamed)
    {
        vars->SetInt("profile_more", int(days.size() - kMostNamed));
        list += L" " + KpText::ExpandTextVars(loc->GetText("db01_more_profileday"));
    }
    return list;
}

// Why no copy of the profile file could be kept, for the boxes that say so.
void SetNoCopyReason()
{
    KpTextVars* vars = GetTextVars();
    vars->Set("profile_file", Lumo::WidePathName(gProfileFile.GetPath()));
    vars->SetInt("profile_copies", KpProfileFile::MostKeptCopies());
    vars->Set("profile_nocopy",
              KpText::ExpandTextVars(GetEngineLocTable()->GetText(
                  gProfileFile.AreCopyNamesTaken() ? "db01_why_namestaken" : "db01_why_nocopy")));
}
} // namespace

void KpEngine3::TellProfileNews()
{
    // A file kept aside or grown is news of the first screen the player sees:
    // the main menu.
    KpCandyWidget* menu = GetScreen(kBoardMainMenu);
    if ((gProfileFile.HasKeptCopy() || gProfileFile.HasGrownNews()) && menu && menu->mVisible)
    {
        // A grown file stays one whenever its copy is kept: at the start, or
        // by a later save once the disk has room.
        gProfileFile.TakeGrownNews();
        const bool grew = gProfileFile.DidGrow();
        std::string copy = gProfileFile.TakeKeptCopy();
        KpTextVars* vars = GetTextVars();
        vars->Set("profile_copy", Lumo::WidePathName(copy));
        vars->Set("profile_file", Lumo::WidePathName(gProfileFile.GetPath()));
        if (grew)
            ScreenTrace("profile file grew past its end");
        if (!copy.empty())
            ScreenTrace("profile file kept as '%s'", copy.c_str());
        // What became of the file: it grew (every player and setting loaded;
        // a copy kept unless only zeros lay past its end), nothing of it
        // loaded, players of it left out, or every player loaded with what
        // was out of range reset.
        ShowMessageBox(grew ? (copy.empty() ? "profilegrew" : "profilegrewkept")
                       : !gProfileFile.WasReadInPart()     ? "profilekept"
                       : gProfileFile.WerePlayersLeftOut() ? "profilepart"
                                                           : "profilereset");
    }
    // No name the system gives the game reaches the profile's folder: nothing
    // was read, and nothing is saved in this run.
    if (gProfileFile.HasNoFolderNews() && menu && menu->mVisible)
    {
        gProfileFile.TakeNoFolderNews();
        GetTextVars()->Set("profile_folder", KpProfileFile::DefaultFolder());
        ScreenTrace("profile folder out of reach: nothing is saved in this run");
        ShowMessageBox("profilefolder");
    }
    // Another program held the file through the start: it is untouched, and
    // this run saves nothing over it.
    if (gProfileFile.HasHeldNews() && menu && menu->mVisible)
    {
        gProfileFile.TakeHeldNews();
        GetTextVars()->Set("profile_file", Lumo::WidePathName(gProfileFile.GetPath()));
        ScreenTrace("profile file in use by another program: '%s'", gProfileFile.GetPath().c_str());
        ShowMessageBox("profileheld");
    }
    // A damaged file that could not be kept aside stays as it is: the player
    // learns why nothing will be saved, and where the file is.
    if (gProfileFile.HasUnkeptNews() && menu && menu->mVisible)
    {
        gProfileFile.TakeUnkeptNews();
        SetNoCopyReason();
        const bool grew = gProfileFile.DidGrow();
        ScreenTrace("profile file %s, no copy kept: '%s'", grew ? "grown" : "damaged",
                    gProfileFile.GetPath().c_str());
        ShowMessageBox(grew ? "profilegrewnocopy" : "profilenocopy");
    }
    // Days whose best money was damaged read as not won: the player learns
    // which, as the career book now shows them.
    if (gProfileFile.HasMoneyResetNews() && menu && menu->mVisible)
    {
        std::vector<KpResetDay> days = gProfileFile.TakeMoneyResetDays();
        GetTextVars()->Set("profile_days", ResetDaysText(days));
        ScreenTrace("profile days reset to not won: %u", unsigned(days.size()));
        ShowMessageBox(days.size() == 1 ? "profileday" : "profiledays");
    }
    if (gProfileFile.TakeSaveFailure())
    {
        SetNoCopyReason();
        ScreenTrace("profile save failed: %s", gProfileFile.GetSaveError().c_str());
        ShowMessageBox(gProfileFile.IsSaveRefusedForDamage() ? "savenocopy" : "savefail");
    }
}

bool KpEngine3::ConfirmSaveLostAtQuit()
{
    gProfileFile.TakeSaveFailure(); // told here, not again
    SetNoCopyReason();
    ScreenTrace("profile save failed at quit: %s", gProfileFile.GetSaveError().c_str());
    mAskingQuit = true;
    // Only "Stay" keeps the game: a wait the application ended closes it. The
    // box names the cause: a refusal for want of a copy is no failed write.
    bool stay =
        ShowConfirmBox(gProfileFile.IsSaveRefusedForDamage() ? "savelostnocopy" : "savelost") == 0;
    mAskingQuit = false;
    return !stay;
}

bool KpEngine3::ConfirmQuit()
{
    // The boxes join the screen when loading completes; a close before then waits.
    if (gConfirm2 && !gConfirm2->mManager)
        return false;
    mAskingQuit = true;
    // After a failed save the question must not promise that progress is saved,
    // nor in a run that saves nothing over a file another program held.
    const std::string key = gProfileFile.IsHeldElsewhere()   ? "quitheld"
                            : gProfileFile.IsFolderUnnamed() ? "quitnofolder"
                            : gProfileFile.IsSaveFailing()   ? "quitunsaved"
                                                             : "quit";
    bool yes;
    if (gConfirm2)
        yes = ShowConfirmBox(key) == 1;
    else
    {
        // Without the game's own box (its layout is missing) a system box asks.
        modalBoxOpen = 1;
        yes = MsgBoxW(GetEngineLocTable()->GetText("db01_text1_" + key), mTitle,
                      MB_YESNO | MB_ICONQUESTION) == IDYES;
        modalBoxOpen = 0;
    }
    mAskingQuit = false;
    return yes;
}
