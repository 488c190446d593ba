// The title screen, drawn as an open book: the right page holds the six main
// buttons (career, survival, scores, settings, help, quit), the left page the
// player's photo; a profile tab turns to the profile page, where the player
// selects, creates or deletes a profile, and the name entry asks a new
// player's name (first run: before anything else). It also owns the book's
// page turn, TurnMenuPage, which the career book, survival, hi-score and help
// screens call on it to turn from one page to the next screen. Layout
// "main_menu"; entry kBoardMainMenu of the engine's screen table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

#include "game/ui/KpDialog.h"

class KpEditWidget;
class KpList;

// Which screen a page turn ends on.
enum MenuTurnAction
{
    kTurnNone = 0,
    kTurnMainMenu = 1,
    kTurnHelp = 2,
    kTurnCareer = 3,
    kTurnSurvival = 4,
    kTurnHiScores = 5,
};

// Seconds a page turn lasts, and the book's page size in pixels.
const float kMenuTurnSeconds = 0.7f;
const int kBookPageWidth = 475;
const int kBookPageHeight = 727;

class KpBoard_MainMenu : public KpDialog
{
public:
    KpBoard_MainMenu(IXMLDOMNode* layoutRoot, KpEngine* app = nullptr);

    // --- Overrides
    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;
    void LockImages() override;
    void UnlockImages() override;
    void KeyDown(int key) override;
    void Update() override;
    // The first drawing is reported once (start-up time is measured to it).
    void Draw(Lumo::Graphics* g) override;

    // Turns the book to `page` (null: the main page, ending on the main menu),
    // backwards (left to right) or forwards, ending on the screen of `action`.
    void TurnMenuPage(KpCandyWidget* page, bool back, int action);
    bool IsTurning() const { return turning; }

    // --- Steps (also run by the tests)
    void ShowMainPage();
    void RefreshProfiles();
    void ShowNameEntry(bool cancelDisabled);
    void OpenProfilePage();
    bool IsProfileNameFree(const std::wstring& name);
    void ConfirmNameEntry();

    KpEngine* app;
    KpCandyWidget* mainPage = nullptr; // "main_menu_dlg"
    KpCandyWidget* careerButton = nullptr;
    KpCandyWidget* survivalButton = nullptr;
    KpCandyWidget* scoresButton = nullptr;
    KpCandyWidget* settingsButton = nullptr;
    KpCandyWidget* helpButton = nullptr;
    KpCandyWidget* quitButton = nullptr;
    KpCandyWidget* openTab = nullptr;   // "profile_open"
    KpCandyWidget* girlFront = nullptr; // "girl_front"
    KpCandyWidget* girlPhoto = nullptr; // "girl_photo"
    KpDialog* profilePage = nullptr;    // "select_profile"
    KpCandyWidget* createButton = nullptr;
    KpCandyWidget* selectButton = nullptr;
    KpCandyWidget* deleteButton = nullptr;
    KpCandyWidget* closeTab = nullptr; // "profile_close"
    KpList* profileList = nullptr;     // "list"
    KpCandyWidget* pages = nullptr;    // "pages"
    KpDialog* nameDialog = nullptr;    // "create_profile"
    KpCandyWidget* nameCancelButton = nullptr;
    KpCandyWidget* nameCreateButton = nullptr;
    KpEditWidget* nameField = nullptr;      // "entername_text"
    std::vector<std::wstring> profileNames; // every stored profile's name, in file order
    bool turning = false;
    bool turnBack = false;
    KpCandyWidget* turnPage = nullptr;
    int turnAction = kTurnNone;
    float turnTime = 0.0f; // seconds since the turn began

private:
    void BindMainPage(KpCandyWidget* page);
    void BindProfilePage(KpCandyWidget* page);
    void BindNameDialog(KpCandyWidget* dialog);
    void CloseNameEntry();
    bool mHideAgain = false; // shown while a level is active: hidden on the next update
    bool mDrawn = false;
    void FinishTurn();
    void ShowTurnDestination();
};
