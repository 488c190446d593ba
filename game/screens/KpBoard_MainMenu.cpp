#include "game/screens/KpBoard_MainMenu.h"

#include <cmath>

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpTextVars.h"
#include "game/engine/KpTextureManager.h"
#include "game/scene/KpFrameClock.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpScreenTable.h"
#include "game/ui/KpEditWidget.h"
#include "game/ui/KpList.h"

namespace
{
const int kKeyEscape = 27;
const int kNameLength = 12; // characters of a player's name

// The named child of `page`'s "right_page" or "left_page" (or of the page itself).
KpCandyWidget* OnPage(KpCandyWidget* page, const char* side, const char* name)
{
    KpCandyWidget* half = page->FindChild(side);
    return (half ? half : page)->FindChild(name);
}

KpCandyWidget* ParentOf(KpCandyWidget* w)
{
    return w ? dynamic_cast<KpCandyWidget*>(w->mParent) : nullptr;
}

void BringToFrontOfParent(Lumo::Widget* w)
{
    if (w && w->mParent)
        w->mParent->BringToFront(w);
}

// The screen a page turn ends on, by its action.
KpEngineBoard ScreenOfAction(int action)
{
    switch (action)
    {
    case kTurnMainMenu:
        return kBoardMainMenu;
    case kTurnHelp:
        return kBoardHelp;
    case kTurnCareer:
        return kBoardCareer;
    case kTurnSurvival:
        return kBoardSurvival;
    case kTurnHiScores:
        return kBoardHiScores;
    }
    return kEngineBoardCount;
}
} // namespace

KpBoard_MainMenu::KpBoard_MainMenu(IXMLDOMNode* layoutRoot, KpEngine* engine)
    : KpDialog(nullptr, engine), app(mApp)
{
    LoadLayout(layoutRoot, "main_menu");
}

// ============================================================================
// Layout
// ============================================================================

void KpBoard_MainMenu::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "main_menu_dlg")
        BindMainPage(child);
    else if (name == "profile_open")
        openTab = child;
    else if (name == "girl_front")
        girlFront = child;
    else if (name == "select_profile")
        BindProfilePage(child);
    else if (name == "profile_close")
        closeTab = child;
    else if (name == "pages")
        pages = child;
    else if (name == "create_profile")
        BindNameDialog(child);
    KpDialog::AddChild(name, child);
}

void KpBoard_MainMenu::BindMainPage(KpCandyWidget* page)
{
    mainPage = page;
    careerButton = OnPage(page, "right_page", "career");
    survivalButton = OnPage(page, "right_page", "survival");
    scoresButton = OnPage(page, "right_page", "scores");
    settingsButton = OnPage(page, "right_page", "settings");
    helpButton = OnPage(page, "right_page", "help");
    quitButton = OnPage(page, "right_page", "quit");
    girlPhoto = OnPage(page, "left_page", "girl_photo");
}

void KpBoard_MainMenu::BindProfilePage(KpCandyWidget* page)
{
    profilePage = dynamic_cast<KpDialog*>(page);
    createButton = OnPage(page, "left_page", "create");
    selectButton = OnPage(page, "left_page", "select");
    deleteButton = OnPage(page, "left_page", "delete");
    profileList = dynamic_cast<KpList*>(OnPage(page, "left_page", "list"));
}

void KpBoard_MainMenu::BindNameDialog(KpCandyWidget* dialog)
{
    nameDialog = dynamic_cast<KpDialog*>(dialog);
    KpCandyWidget* box = dialog->FindChild("create_profile2");
    if (!box)
        box = dialog;
    nameCancelButton = box->FindChild("cancel");
    nameCreateButton = box->FindChild("create");
    nameField = dynamic_cast<KpEditWidget*>(box->FindChild("entername_text"));
    // While a name is asked nothing else of the book takes the pointer.
    if (nameDialog)
        nameDialog->SetModal(true);
}

// ============================================================================
// Showing
// ============================================================================

void KpBoard_MainMenu::OnShow()
{
    GetEngineMusic()->Change("main_menu");
    if (gProfileFile.mProfileLoaded)
        ShowMainPage();
    else
        ShowNameEntry(true);
    if (openTab && !(closeTab && closeTab->IsVisibleInTree()))
        openTab->SetVisible(true);
    ScreenTrace("main menu shown");
}

void KpBoard_MainMenu::OnHide() {}

void KpBoard_MainMenu::LockImages()
{
    KpDialog::LockImages();
}

void KpBoard_MainMenu::UnlockImages()
{
    KpDialog::UnlockImages();
    profileNames.clear();
}

void KpBoard_MainMenu::ShowMainPage()
{
    RefreshProfiles();
    if (IsGameLevelActive())
    {
        // Show makes the menu visible after its OnShow: it goes again on the next update.
        Hide();
        mHideAgain = true;
        return;
    }
    SetVisibleIf(mainPage, true);
    if (openTab && !openTab->mVisible)
        openTab->SetVisible(true);
    if (closeTab && closeTab->mVisible)
        closeTab->SetVisible(false);
    if (profilePage)
        profilePage->SetModal(false);
}

void KpBoard_MainMenu::OpenProfilePage()
{
    if (profilePage)
    {
        TurnMenuPage(profilePage, true, kTurnMainMenu);
        profilePage->ShowChildren();
    }
    if (openTab && openTab->mVisible)
        openTab->Hide();
    if (closeTab && !closeTab->mVisible)
        closeTab->Show();
    RefreshProfiles();
}

// ============================================================================
// Profiles
// ============================================================================

void KpBoard_MainMenu::RefreshProfiles()
{
    if (profileList)
    {
        profileNames.clear();
        gProfileFile.ReadAllProfiles(profileNames);
        profileList->Clear();
        for (const std::wstring& name : profileNames)
            profileList->AddItem(name);
        int current = gProfileFile.mProfileLoaded ? gProfileFile.mCurrentSlot : -1;
        profileList->SetHighlighted(current);
        profileList->SetSelected(current);
        if (deleteButton)
            deleteButton->SetDisabled(profileNames.size() <= 1);
    }
    GetTextVars()->Set("profile_name",
                       gProfileFile.mProfileLoaded ? gProfileFile.mProfile.name : std::wstring());
}

bool KpBoard_MainMenu::IsProfileNameFree(const std::wstring& name)
{
    RefreshProfiles();
    for (const std::wstring& taken : profileNames)
        if (taken == name)
            return false;
    return true;
}

void KpBoard_MainMenu::ShowNameEntry(bool cancelDisabled)
{
    if (openTab)
        openTab->SetDisabled(true);
    if (closeTab)
        closeTab->SetDisabled(true);
    if (nameDialog)
    {
        if (nameField)
        {
            nameField->SetText(L"");
            nameField->SetMaxLength(kNameLength);
            if (mManager)
                mManager->SetFocus(nameField);
        }
        if (gBgDialog)
        {
            gBgDialog->SetVisible(true);
            // The name dialog lives inside this screen: the backdrop goes
            // right behind the whole screen, so it covers what lies behind
            // the book without covering the dialog it stands for.
            if (mManager && gBgDialog->mParent == mParent)
                mManager->PutBehind(gBgDialog, this);
        }
        nameDialog->Show();
        BringToFront(nameDialog);
    }
    if (nameCancelButton)
        nameCancelButton->SetDisabled(cancelDisabled);
}

void KpBoard_MainMenu::CloseNameEntry()
{
    if (gBgDialog)
        gBgDialog->SetVisible(false);
    if (nameDialog)
        nameDialog->Hide();
}

void KpBoard_MainMenu::ConfirmNameEntry()
{
    // Keys reach the screen after the name entry closed too; they create nothing then.
    if (nameDialog && nameDialog->mVisible && nameField && !nameField->GetText().empty())
    {
        if (!gProfileFile.mProfileLoaded)
            ShowMainPage();
        std::wstring name = nameField->GetText();
        if (IsProfileNameFree(name) && gProfileFile.NewProfile(name, nullptr, nullptr))
        {
            ScreenTrace("profile created");
            // A new player: the career book selects their highest level next time.
            if (KpBoard_Career* book = GetCareerBook())
                book->selectedDay = -1;
        }
        CloseNameEntry();
        RefreshProfiles();
    }
    SetDisabledIf(openTab, false);
    SetDisabledIf(closeTab, false);
}

// ============================================================================
// Input
// ============================================================================

void KpBoard_MainMenu::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    if (widget == careerButton)
    {
        if (KpCandyWidget* book = GetScreen(kBoardCareer))
            book->Show();
    }
    else if (widget == survivalButton)
    {
        if (KpCandyWidget* survival = GetScreen(kBoardSurvival))
            survival->Show();
    }
    else if (widget == quitButton)
    {
        if (gEngine3)
            gEngine3->Shutdown();
    }
    else if (widget == helpButton)
    {
        if (KpCandyWidget* help = GetScreen(kBoardHelp))
        {
            HideHelpPages(help);
            help->Show();
        }
    }
    else if (widget == settingsButton)
    {
        if (KpCandyWidget* options = GetScreen(kBoardOptions))
            options->Show();
    }
    else if (widget == scoresButton)
    {
        if (KpCandyWidget* scores = GetScreen(kBoardHiScores))
            scores->Show();
    }
    else if (widget == openTab)
        OpenProfilePage();
    else if (widget == selectButton)
    {
        if (profileList)
        {
            int index = profileList->GetSelected();
            if (index >= 0)
            {
                gProfileFile.Save();
                gProfileFile.LoadProfile(nullptr, index);
                ScreenTrace("profile %d selected", index);
            }
            RefreshProfiles();
            if (KpBoard_Career* book = GetCareerBook())
                book->selectedDay = -1;
        }
        ShowMainPage();
        TurnMenuPage(mainPage, false, kTurnMainMenu);
    }
    else if (widget == closeTab)
    {
        ShowMainPage();
        TurnMenuPage(mainPage, false, kTurnMainMenu);
    }
    else if (widget == deleteButton)
    {
        // Refused while one profile or none is stored (the button is disabled then too).
        if (profileList && gProfileFile.GetProfileCount() > 1 && ShowConfirmBox("delprof") == 1)
        {
            int index = profileList->GetSelected();
            if (index >= 0)
            {
                int current = gProfileFile.mCurrentSlot;
                gProfileFile.DeleteProfile(index);
                gProfileFile.Save();
                ScreenTrace("profile %d deleted", index);
                // The current player was the one deleted: another one is current now.
                if (index == current)
                    if (KpBoard_Career* book = GetCareerBook())
                        book->selectedDay = -1;
            }
            RefreshProfiles();
        }
    }
    else if (widget == createButton)
        ShowNameEntry(false);
    else if (widget == nameCancelButton)
    {
        CloseNameEntry();
        SetDisabledIf(openTab, false);
        SetDisabledIf(closeTab, false);
    }
    else if (widget == nameCreateButton)
        ConfirmNameEntry();
}

void KpBoard_MainMenu::KeyDown(int key)
{
    if (key == kKeyEscape)
    {
        if (nameCancelButton && !nameCancelButton->mDisabled && nameDialog && nameDialog->mVisible)
        {
            if (profileList)
                profileList->GetSelected();
            CloseNameEntry();
            SetDisabledIf(openTab, false);
            SetDisabledIf(closeTab, false);
        }
        return;
    }
    ConfirmNameEntry();
}

void KpBoard_MainMenu::Draw(Lumo::Graphics* g)
{
    KpDialog::Draw(g);
    if (!mDrawn)
    {
        mDrawn = true;
        ScreenTrace("main menu drawn");
    }
}

// ============================================================================
// Page turn
// ============================================================================

void KpBoard_MainMenu::TurnMenuPage(KpCandyWidget* page, bool back, int action)
{
    turnAction = action;
    if (page)
    {
        SetVisibleIf(openTab, false);
        turnPage = page;
    }
    else
    {
        turnPage = mainPage;
        turnAction = kTurnMainMenu;
        SetVisibleIf(profilePage, false);
    }
    if (!turnPage)
        return;
    turnTime = 0.0f;
    turning = true;
    turnBack = back;

    for (Lumo::Widget* w = turnPage; w && w->mParent; w = dynamic_cast<Lumo::Widget*>(w->mParent))
        w->mParent->BringToFront(w);

    KpCandyWidget* holder = ParentOf(turnPage);
    KpCandyWidget* fold = holder ? holder->FindChild("f_pages") : nullptr;
    if (fold)
    {
        BringToFrontOfParent(fold);
        fold->SetStateImage(0, KpTextureManager::GetImage(back ? "pages_b" : "pages_f"),
                            Lumo::Rect());
    }
    turnPage->SetVisible(false);
    ShowTurnDestination();
    if (KpCandyWidget* cover = holder ? holder->FindChild("f_cover") : nullptr)
        BringToFrontOfParent(cover);
    ScreenTrace("page turn to %d %s", turnAction, back ? "back" : "forward");
}

void KpBoard_MainMenu::ShowTurnDestination()
{
    switch (turnAction)
    {
    case kTurnMainMenu:
        SetScreenVisible(kBoardMenuBackground, true);
        SetVisible(true);
        if (closeTab)
            BringToFront(closeTab);
        if (openTab)
            BringToFront(openTab);
        break;
    case kTurnHelp:
        if (KpCandyWidget* help = GetScreen(kBoardHelp))
        {
            help->SetVisible(true);
            SetVisibleIf(help->FindChild("prev_btn"), false);
            SetVisibleIf(help->FindChild("next_btn"), false);
        }
        break;
    case kTurnCareer:
    case kTurnSurvival:
    case kTurnHiScores:
        SetScreenVisible(ScreenOfAction(turnAction), true);
        break;
    }
}

void KpBoard_MainMenu::Update()
{
    if (mHideAgain)
    {
        mHideAgain = false;
        if (mVisible)
            Hide();
    }
    if (turning && turnPage)
    {
        KpCandyWidget* left = turnPage->FindChild("left_page");
        KpCandyWidget* right = turnPage->FindChild("right_page");
        KpCandyWidget* holder = ParentOf(turnPage);
        KpCandyWidget* fold = holder ? holder->FindChild("f_pages") : nullptr;
        KpCandyWidget* cover = holder ? holder->FindChild("f_cover") : nullptr;
        SetVisibleIf(cover, true);
        turnTime += KpFrameTimeMs() / 1000.0f;
        turnPage->SetVisible(true);
        if (turnTime >= kMenuTurnSeconds)
        {
            if (left)
            {
                left->Resize(0, 0, kBookPageWidth, kBookPageHeight);
                left->SetParentOffset(0, 0);
            }
            if (right)
            {
                right->Resize(kBookPageWidth, 0, kBookPageWidth, kBookPageHeight);
                right->SetParentOffset(0, 0);
            }
            turning = false;
            SetVisibleIf(fold, false);
            SetVisibleIf(cover, false);
            FinishTurn();
            return;
        }
        const float t = turnTime;
        const int spread = 2 * kBookPageWidth;
        int foldX;
        if (turnBack)
        {
            int x = (int)(t * kBookPageWidth / kMenuTurnSeconds);
            if (right)
            {
                right->Resize(x, 0, x, kBookPageHeight);
                right->SetParentOffset(x - kBookPageWidth, 0);
            }
            if (left)
                left->Resize(0, 0, x, kBookPageHeight);
            foldX = x - 73;
        }
        else
        {
            int x = (int)(spread - t * spread / kMenuTurnSeconds);
            int w = (spread - x) / 2;
            if (left)
                left->Resize(x, 0, w, kBookPageHeight);
            if (right)
            {
                right->Resize(x + w, 0, spread - x - w, kBookPageHeight);
                right->SetParentOffset(kBookPageWidth - x - w, 0);
            }
            foldX = x + w - 73;
        }
        if (fold)
        {
            fold->Move(foldX, 35);
            fold->SetAlpha(1.0f - 2.0f * std::fabs(0.5f - t / kMenuTurnSeconds));
            fold->SetVisible(true);
        }
        BringToFrontOfParent(cover);
    }
    KpDialog::Update();
}

void KpBoard_MainMenu::FinishTurn()
{
    const int action = turnAction;
    const KpEngineBoard screens[5] = {kBoardMainMenu, kBoardCareer, kBoardHelp, kBoardHiScores,
                                      kBoardSurvival};
    for (KpEngineBoard entry : screens)
        SetScreenVisible(entry, entry == ScreenOfAction(action));
    if (action == kTurnMainMenu)
    {
        if (openTab && !(closeTab && closeTab->IsVisibleInTree()))
            openTab->SetVisible(true);
    }
    else if (action == kTurnHelp)
    {
        if (KpCandyWidget* help = GetScreen(kBoardHelp))
            for (const char* name : {"next_btn", "prev_btn"})
                if (KpCandyWidget* button = help->FindChild(name))
                {
                    button->RewindImages();
                    button->Show();
                }
    }
    else if (action == kTurnCareer)
    {
        if (KpBoard_Career* book = GetCareerBook())
        {
            book->SetupCafePage(false);
            book->ShowCafeTabs();
        }
    }
    turnAction = kTurnNone;
    ScreenTrace("page turn ended on %d", action);
}
