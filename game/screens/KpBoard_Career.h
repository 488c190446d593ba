// The career screen, drawn as an open book. The left page shows the days of
// one cafe as buttons with a tick for each passed day (goal or expert), the
// right page the selected day: its picture, briefing or debriefing text, best
// money and the task-goal awards earned in it. Tabs switch cafes with the
// main menu's page turn (a copy of the old page, the snapshot, stays in view
// while the new one turns in); the play button starts the selected level.
// After each career level the game board reports the result here, and the
// book stores it in the current profile. Layout "career_menu"; entry
// kBoardCareer of the engine's screen table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

#include "game/engine/KpTextureManager.h"
#include "game/screens/KpCareerRules.h"
#include "game/ui/KpDialog.h"

class KpBoard_Career : public KpDialog
{
public:
    KpBoard_Career(KpEngine* app, IXMLDOMNode* layoutRoot);

    // --- Overrides
    void OnShow() override;
    void OnHide() override;
    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;

    // Starts a career level (at most 59) on the game board; the book hides.
    void StartLevel(int level);
    // The game board reports a finished career level (kinds: CareerResultKind).
    void SetLevelResult(int money, int kind, int level);
    // The main menu's page turn to the book ended (in this order, resetDay false).
    void SetupCafePage(bool resetDay);
    void ShowCafeTabs();

    // --- Steps (also run by the tests)
    void SelectHighestLevel();
    void HideCafeTab(bool alsoTools);
    void RefreshDays(bool showFx, bool doneFx);
    void ShowGoalIcons(int level, bool snapshot);
    void SwitchCafe(int cafe);
    int GetSelectedLevel() const { return selectedDay + firstLevel; }

    KpEngine* app;
    KpCandyWidget* backButton = nullptr;
    KpCandyWidget* playButton = nullptr;
    KpCandyWidget* restartButton = nullptr;
    KpCandyWidget* cafeButton[3] = {};
    KpCandyWidget* currentDayButton = nullptr;
    KpCandyWidget* resetButton = nullptr;
    KpCandyWidget* leftPage = nullptr;
    KpCandyWidget* rightPage = nullptr;
    KpCandyWidget* dayFrame = nullptr;     // "day_mark"
    KpCandyWidget* briefDebrief = nullptr; // "brief_debrief"
    KpCandyWidget* cafeBigText[3] = {};
    KpCandyWidget* scorePoints = nullptr;
    KpCandyWidget* photoBriefing = nullptr;
    KpCandyWidget* photoCafe = nullptr;
    KpCandyWidget* pages = nullptr;
    KpCandyWidget* careerPage = nullptr; // "career_dlg"
    KpImageHandle briefingImage;
    std::string briefingImageName;
    KpImageHandle cafeImage;
    std::string cafeImageName;
    std::vector<KpCandyWidget*> dayButtons, dayTexts, goalTicks, expertTicks; // 24 each
    KpCandyWidget* snapshotPage = nullptr;                                    // "career_dlg_fake"
    std::vector<KpCandyWidget*> snapshotDayTexts, snapshotGoalTicks, snapshotExpertTicks;
    KpCandyWidget* snapshotDayFrame = nullptr;
    KpCandyWidget* snapshotPhotoBriefing = nullptr;
    KpCandyWidget* snapshotPhotoCafe = nullptr;
    int selectedDay = -1;  // 1-based day of the shown cafe; -1 none
    int unlockedDays = -1; // days of the shown cafe that can be chosen
    int firstLevel = 0;    // the shown cafe's level offset
    int startedLevel = -1; // the level last started from the book
    int dayCount = 0;      // days of the shown cafe
    int resultMoney = 0;   // money of the last reported result
    int shownCafe = 1;     // 1 to 3

private:
    void BindCareerPage(KpCandyWidget* page);
    void BindSnapshotPage(KpCandyWidget* page);
    void SetCafe(int cafe);
    void PutAwayTabs();
    void PlaceDayFrame(KpCandyWidget* frame);
    std::wstring DayText() const;
    int HighestLevel() const;
};
