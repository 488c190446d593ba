// The cafe's level board. It builds the level's cafe (KpCafePlay) when the
// loader hands over a level, runs it on game time, draws it, and takes the
// level to its end: the day's clock running out, or the lives (the failure
// condition), and then the result: upgrade offer, career result, debriefing,
// or the survival records. It keeps the in-level dialogs for its whole life
// (comic player, HUD, pause menu, upgrade shop, briefing, the two
// debriefings): each is made here once its screen exists, and every call on
// one does nothing while it does not.
//
// Text variables it keeps for the HUD: "level_money" (money so far),
// "goal_money", "expert_money", "lives" (lives left), "survival_day".
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/gameplay/KpBoard_Game.h"
#include "game/gameplay/KpCafePlay.h"
#include "game/gameplay/KpTutorialController.h"
#include "game/scene/KpSceneChanges.h"
#include "game/scene/KpSprite.h"

// The kind of a finished career level, as the career book stores it.
enum KpLevelResultKind
{
    kResultExpert = 0, // the expert money was reached
    kResultGoal = 1,   // the goal money was reached
    kResultBelow = 2,  // below the goal money
    kResultFailed = 3, // lost by the failure condition (the lives ran out)
};

// 3 when failed, 2 when money < goal, 1 when money < expert, else 0.
KpLevelResultKind LevelResultKind(bool failed, int money, int goal, int expert);

class KpBoard_Game3 : public KpBoard_Game, public KpTutorialView
{
public:
    // The layout root is the "ui" element the in-level dialogs are read from.
    explicit KpBoard_Game3(KpEngine* app = nullptr, IXMLDOMNode* layoutRoot = nullptr);
    ~KpBoard_Game3() override;

    // --- Money
    int GetMoney() const { return mPlay.GetMoney(); }
    // (goal money, expert money); (0, 0) without a level.
    std::pair<int, int> GetMoneyTargets() const;

    // --- Flow
    // Shows the HUD and the briefing and plays "level1", "level2" or "level3" by the cafe.
    void PlayCafeMusic();
    // Plays a comic on the board's comic player and shows it.
    void ShowDebriefingComix(const std::string& name);
    // After the level: the career result (stored in the career book, the
    // success or fail debriefing, the profile saved) or the survival records.
    void ShowLevelResult();
    // After a won career level with offers: the "upgrade" notice and the shop;
    // otherwise the result at once.
    void OfferUpgradeOrResult();

    // --- Upgrades
    void ShowUpgradeMenu();
    // Fills at most 6 offers of the current stage that fit the level (not
    // applied yet); returns their number.
    int GetUpgradeOffers(std::vector<const KpUpgradeOffer*>& offers);
    // Applies (true) or undoes (false) an offer on the scene, seen at once.
    void ApplyUpgrade(const KpUpgradeOffer* offer, bool apply);

    // --- The level's play (tests and tools look at it)
    KpCafePlay& GetPlay() { return mPlay; }
    // The level is over (won, lost or its run ended) and its result is pending or shown.
    bool IsLevelOver() const { return mLevelOver; }
    // The result kind of the last career level, -1 before one.
    int GetLastResultKind() const { return mLastResultKind; }
    // Which debriefing the last result showed: 0 none, 1 success, 2 fail.
    int GetShownDebriefing() const { return mShownDebriefing; }
    // The place the last survival run took in the records (14: none).
    int GetLastRecordPlace() const { return mLastRecordPlace; }

    // --- KpBoard_Game
    void OnLevelStart() override;
    bool IsCutSceneShown() override;
    float GetDayProgress() override;
    void BeginLevel(KpLevelData* level) override;
    void EndLevel() override;

    // --- Widget
    void Update() override;
    void Draw(Lumo::Graphics* g) override;
    // Escape on the running level opens the pause menu, as the HUD's "Menu" does.
    void KeyUp(int key) override;

    // --- KpTutorialView: the tutorial's widgets live in the HUD
    void ShowTutorialElement(const std::string& name, bool show) override;
    void ShowTutorialSkip(bool show) override;

    // --- Fields the screens read and write
    uint8_t mFailed = 0;                       // the level was lost by its failure condition
    uint8_t mGoalReached = 0;                  // the goal splash was shown
    uint8_t mLevelAbandoned = 0;               // left through the pause menu: no result for it
    std::string mOnStartComix, mOnFinishComix; // the level's comics; empty: none
    std::vector<const KpUpgradeOffer*> mOfferedUpgrades; // survival: offered this day

    // In-level dialogs, null until their screens exist.
    KpDialog* mComix = nullptr;             // "comix_ui"
    KpDialog* mHud = nullptr;               // "hud"
    KpDialog* mEscapeMenu = nullptr;        // "escape_menu"
    KpDialog* mUpgradeMenu = nullptr;       // "upgrade_menu"
    KpDialog* mBriefing = nullptr;          // "briefing_dialog"
    KpDialog* mDebriefingSuccess = nullptr; // "debriefing_dialog"
    KpDialog* mDebriefingFail = nullptr;    // "debriefing_dialog_fail"

protected:
    void OnScenePress(int x, int y) override;

private:
    // --- the level's course
    void RunLevel(int ms);
    void CheckMoney();
    void StartSurvivalDay(int day);
    // The level is over; its result follows after a short pause on the scene.
    void FinishLevel(bool failed);
    void SetTextVars();
    // Career: the upgrades kept after the earlier days of this level's cafe
    // (the profile's levelUpgrade) go on the scene before the day starts.
    void ApplyKeptUpgrades();
    // The upgrade this day added to those it started with (the shop's choice),
    // as the profile keeps it; 0 for none.
    int ChosenUpgradeCode() const;

    // --- calls on the in-level dialogs and the engine's screens
    void CreateLevelDialogs(IXMLDOMNode* layoutRoot);
    void PlayComix(const std::string& name);
    void HudShowLevelPanels();
    void HudResetForLevel();
    void HudShowGoalSplash();
    void HudShowExpertSplash();
    void HudShowLives(int count);
    void HudShowUpgradeButton(bool show);
    void HudShowElement(const std::string& name, bool show);
    void HudUpdateTaskGoals();
    void HudShowEndSplash();
    void HudHideSplashes();
    void ReportCareerResult(int money, KpLevelResultKind kind, int level);
    bool ShowUpgradeNotice();

    // Asks to draw again what changed on the scene since the last time:
    // the board's own list of changed rectangles.
    void RepaintSceneChanges();

    KpCafePlay mPlay;
    KpSprite mBackdrop; // the cafe picture behind the scene
    KpSceneChanges mSceneChanges;
    Lumo::DirtyRegion mChangedRects; // scene (board) coordinates
    bool mLevelOver = false;
    bool mExpertShown = false;
    int mEndDelayMs = 0; // time left on the finished scene before the result
    bool mEndFailed = false;
    int mShownMoney = -1, mShownLives = -1;
    int mShownGoals[kTaskGoalCount] = {};
    bool mUpgradeChosen = false; // survival: an offer of this day was applied
    int mKeptUpgrades = 0;       // career: upgrades the day started with, applied first
    int mLastResultKind = -1;
    int mShownDebriefing = 0;
    int mLastRecordPlace = 14;
};
