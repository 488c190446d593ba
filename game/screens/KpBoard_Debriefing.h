// The level's result dialog over the game board, in two instances the board
// makes: success ("debriefing_dialog") and fail ("debriefing_dialog_fail").
// It pauses the board, plays its jingle and reveals the task-goal awards the
// player earned one after another; pointing at an award shows its name and
// description (KpSetAchDescTask). Its buttons go on to the closing comic or
// the next day, replay a failed day, or go back to the main menu.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <cstdint>

#include "game/screens/KpScreenTable.h"
#include "game/ui/KpDialog.h"
#include "game/ui/KpTask.h"

class KpText;

// The five task goals as awards, in order.
enum AwardKind
{
    kAwardFlash = 0,
    kAwardClean,
    kAwardExpert,
    kAwardMatch,
    kAwardMega,
    kAwardCount
};

// Writes an award's name and description into two labels (a mouse-enter or
// mouse-leave task of the award's icon). A task without labels does nothing;
// empty ids write one blank.
class KpSetAchDescTask : public KpTask
{
public:
    void Run() override;

    KpText* nameLabel = nullptr;
    KpText* aboutLabel = nullptr;
    const char* nameId = "";
    const char* aboutId = "";
};

// Task (award, state) at [award * 2 + state] (state 0 earned, 1 not earned),
// and the clearing task at [10]. They live for the whole run.
extern KpSetAchDescTask gAchDescTasks[kAwardCount * 2 + 1];

class KpBoard_Debriefing : public KpDialog
{
public:
    KpBoard_Debriefing(KpEngine* app, IXMLDOMNode* layoutRoot, bool isFail);
    ~KpBoard_Debriefing() override;

    // --- Overrides, in the dialog's slot order
    void Update() override;
    void OnShow() override;
    void OnHide() override;
    void LockImages() override;
    void UnlockImages() override;
    void AddChild(const std::string& name, KpCandyWidget* child) override;
    // Leaving the tree (the board goes): the siblings are not reordered then.
    void RemovedFromManager(Lumo::WidgetManager* manager) override;
    void ReadXml(IXMLDOMNode* element) override;
    void OnButton(KpCandyWidget* widget) override;

    // The next career day after the book's selected one; after the last day
    // the main menu (the book selects the highest level next time).
    void StartNextLevel();
    // Back to the main menu: the level is left.
    void GoToMenu();

    float revealDelay = 0.0f; // seconds until the next award shows
    int32_t earned[kAwardCount] = {};
    int32_t revealedCount = 0;
    int32_t earnedCount = 0;
    uint8_t isFail = 0;
    uint8_t awardsReady = 0;
    KpCandyWidget* startButton = nullptr;
    KpCandyWidget* menuButton = nullptr;
    KpCandyWidget* replayButton = nullptr;
    KpText* outroText = nullptr;                    // "level_outro_text"
    KpCandyWidget* awardIcons[kAwardCount][3] = {}; // active, inactive, active ghost

private:
    void BindAchievements();
    // Points the shared description tasks at this dialog's labels.
    void BindDescriptionLabels();
    KpText* mNameLabel = nullptr;
    KpText* mAboutLabel = nullptr;
    KpBoardPauseHold mPause;
    KpBoardModalHold mModal;
};
