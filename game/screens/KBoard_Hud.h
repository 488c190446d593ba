// The head-up display over a running level: the goal and expert money panels,
// the day clock (career) or the survival clock with the upgrade button, the
// survival lives, the menu button, the splashes (goal, expert, success, fail,
// end of survival), the clean and freeze bonus overlays, the smiles, the five
// task-goal panels and the tutorial's widgets with their skip button. The
// board makes it (layout "hud"), keeps it and drives it; the HUD only reads
// the board and the task goals. Its labels take their texts from the layout
// and the board's text variables: the HUD only shows and hides them.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <string>
#include <vector>

#include "game/engine/KpTextureManager.h"
#include "game/gameplay/GameDeadline.h"
#include "game/ui/KpDialog.h"

// The task-goal atlas "achievment": cells of 60 x 90; counts 1 to 40 in row 1.
const int kHudAtlasCellW = 60;
const int kHudAtlasCellH = 90;
const int kHudAtlasCountCells = 40;

struct KpHudGoalPanel
{
    KpCandyWidget* panel = nullptr; // "achiev_%d"
    KpCandyWidget* ghost = nullptr; // "achiev_%d_ghost"
    KpCandyWidget* count[2] = {};   // "achiev_nm" of the panel and of the ghost
    KpCandyWidget* gauge[2] = {};   // "achiev_pr" of the panel and of the ghost
};

// The atlas cells of one task goal: its gauge (none for a goal without a
// target) and its count.
struct KpHudGoalCells
{
    bool hasGauge;
    Lumo::Rect gauge;
    Lumo::Rect count;
};
KpHudGoalCells GetHudGoalCells(int goal, int target, int remaining);

class KBoard_Hud : public KpDialog
{
public:
    KBoard_Hud(KpEngine* app, IXMLDOMNode* layoutRoot);

    // --- Virtual operations appended to the dialog's, in slot order
    // A level starts: the panels of its mode, the task goals laid out.
    virtual void ShowLevelPanels(bool endless);
    // A level ended: everything hidden, ready for the next.
    virtual void ResetForLevel();

    // --- What the board calls
    void ShowGoalSplash();
    void ShowExpertSplash();
    void ShowCleaning();
    void ShowFreeze(float seconds);
    void ShowLives(int count);
    void ShowUpgradeButton(bool show);
    void ShowElement(const std::string& name, bool show);
    void UpdateTaskGoals();
    void InitElements();
    // The level's end: success, fail or the end of survival.
    void ShowEndSplash(bool endless, bool won);
    // Takes every splash down, so a dialog that previews the cafe sees it clear.
    void HideSplashes();

    // --- Overrides
    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void ReadXml(IXMLDOMNode* element) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;
    void LockImages() override;
    void UnlockImages() override;
    void Update() override;

    // The task-goal panels of a level (also run by the tests).
    void LayoutTaskGoals();

    bool endless = false;
    KpCandyWidget* skipTutorialDialog = nullptr;
    KpCandyWidget* livesPanel = nullptr;
    int shownLife = 0;
    KpCandyWidget* lifeWidgets[4] = {};
    KpCandyWidget* goalSplash = nullptr;
    KpCandyWidget* expertSplash = nullptr;
    KpCandyWidget* successSplash = nullptr;
    KpCandyWidget* failSplash = nullptr;
    KpCandyWidget* survivalEndSplash = nullptr;
    KpCandyWidget* leftPart = nullptr;
    KpCandyWidget* leftSurvivalPart = nullptr;
    KpCandyWidget* rightPart = nullptr;
    KpCandyWidget* menuButton = nullptr;
    KpCandyWidget* upgradeButton = nullptr;
    KpCandyWidget* upgradeBack = nullptr;
    KpCandyWidget* goalValue = nullptr;
    KpCandyWidget* expertValue = nullptr;
    KpCandyWidget* goalBackground = nullptr;
    KpCandyWidget* expertBackground = nullptr;
    KpCandyWidget* goalText = nullptr;
    KpCandyWidget* expertText = nullptr;
    KpCandyWidget* moneyGoalValue = nullptr;
    KpCandyWidget* moneyExpertValue = nullptr;
    KpCandyWidget* moneyGoalGhost = nullptr;
    KpCandyWidget* moneyExpertGhost = nullptr;
    KpCandyWidget* alarm = nullptr;
    KpCandyWidget* closedSign = nullptr;
    bool alarmPending = false;
    std::vector<KpImageHandle> watchFrames;
    std::vector<KpImageHandle> upgradeFrames;
    int lastClockFrame = -1;
    KpCandyWidget* clock = nullptr;
    KpCandyWidget* survivalClock = nullptr;
    KpCandyWidget* cleanOverlay = nullptr;
    KpCandyWidget* freezeOverlay = nullptr;
    GameDeadline freezeDeadline;
    std::map<std::string, KpCandyWidget*> tutorialWidgets;
    std::vector<KpCandyWidget*> tutorialList;
    KpCandyWidget* smiles[3] = {};
    KpCandyWidget* tutorResetWidget = nullptr;
    KpCandyWidget* achievementsPanel = nullptr;
    KpHudGoalPanel goalPanels[5];
    KpImageHandle achievementImage;

private:
    void SwitchMoneyPanels(bool expert);
    void SetCell(KpCandyWidget* w, const Lumo::Rect& cell);
    std::vector<KpImageHandle>* mLockedFrames = nullptr; // the frame list LockImages held
};
