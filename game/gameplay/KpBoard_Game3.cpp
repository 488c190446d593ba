#include "game/gameplay/KpBoard_Game3.h"

#include <algorithm>

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpTextVars.h"
#include "game/gameplay/GameDeadline.h"
#include "game/gameplay/KpLevelData.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/scene/KpFrameClock.h"
#include "game/scene/KpItem.h"
#include "game/scene/KpItemList.h"
#include "game/scene/KpZOrderManager.h"

KpBoard_Game3* gGameBoard3 = nullptr;

namespace
{
// The finished scene stays on view this long (game time) before the result.
const int kEndDelayMs = 1800;
// The shop offers at most this many upgrades at once.
const int kMaxOffers = 6;
} // namespace

KpLevelResultKind LevelResultKind(bool failed, int money, int goal, int expert)
{
    if (failed)
        return kResultFailed;
    if (money < goal)
        return kResultBelow;
    if (money < expert)
        return kResultGoal;
    return kResultExpert;
}

KpBoard_Game3::KpBoard_Game3(KpEngine* app, IXMLDOMNode* layoutRoot) : KpBoard_Game(app)
{
    gGameBoard3 = this;
    CreateLevelDialogs(layoutRoot);
}

KpBoard_Game3::~KpBoard_Game3()
{
    mLoader.Cancel();
    mPlay.End();
    gTutorial.Stop();
    if (gGameBoard3 == this)
        gGameBoard3 = nullptr;
}

std::pair<int, int> KpBoard_Game3::GetMoneyTargets() const
{
    if (!mLevelData)
        return {0, 0};
    return {mLevelData->goalMoney, mLevelData->expertMoney};
}

// ============================================================================
// Level start and end
// ============================================================================

void KpBoard_Game3::BeginLevel(KpLevelData* level)
{
    mPlay.End();
    delete mLevelData;
    mLevelData = level;
    mLevel = level->number;
    mEndless = level->endless;

    mLevelAbandoned = 0;
    mFailed = 0;
    mGoalReached = 0;
    mExpertShown = false;
    mLevelOver = false;
    mEndDelayMs = 0;
    mUpgradeChosen = false;
    mOfferedUpgrades.clear();
    mOnStartComix = level->onStartComix;
    mOnFinishComix = level->onFinishComix;
    // A dialog hidden without its Resume must not keep the new level paused.
    ResetPause();

    gTaskGoals.Reset(level->goalTargets);
    for (int i = 0; i < kTaskGoalCount; i++)
        mShownGoals[i] = gTaskGoals.GetRemaining(i);
    mPlay.Begin(level);
    ApplyKeptUpgrades();
    mBackdrop.Set(level->look + "_back", 0.0f, 0.0f);
    // The cafe picture covers the screen: nothing behind the board shows.
    bool opaque = mBackdrop.GetImage() != nullptr;
    mHasTransparencies = !opaque;
    mSeeThrough = !opaque;
    mShownMoney = mShownLives = -1;
    SetTextVars();

    mLevelActive = true;
    // A new cafe: all of it is drawn.
    mSceneChanges.Reset();
    SetDirtyOverlaps();
    SetVisible(true);
    HudShowLevelPanels();
    if (mEndless)
    {
        HudShowLives(mPlay.GetLives());
        StartSurvivalDay(1);
    }
    gTutorial.Start(level->tutorial, this);
    OnLevelStart();
    if (mManager && !mManager->GetFocusWidget())
        mManager->SetFocus(this);
}

void KpBoard_Game3::OnLevelStart()
{
    if (!gDevOptions.mNoComix && !mOnStartComix.empty() && mComix)
        PlayComix(mOnStartComix);
    else
        PlayCafeMusic();
}

void KpBoard_Game3::EndLevel()
{
    // The level's items go first, then the level itself.
    mPlay.End();
    HudResetForLevel();
    // Nothing of this day stays on view: the next day's HUD comes with its
    // start (PlayCafeMusic), after its comic, never behind it.
    if (mHud)
        mHud->SetVisible(false);
    gTutorial.Stop();
    mOfferedUpgrades.clear();
    mUpgradeChosen = false;
    mLevelOver = true;
    mEndDelayMs = 0;
    mBackdrop.Release();
    mHasTransparencies = true;
    mSeeThrough = true;
    // What lies behind shows again where the cafe was.
    mSceneChanges.Reset();
    SetDirtyOverlaps();
    KpBoard_Game::EndLevel();
}

void KpBoard_Game3::PlayCafeMusic()
{
    if (mHud)
        mHud->Show();
    if (mBriefing)
        mBriefing->Show();
    GetEngineMusic()->Change(Lumo::StrFormat("level%d", LevelCafe(mLevel, mEndless)));
}

void KpBoard_Game3::ShowDebriefingComix(const std::string& name)
{
    PlayComix(name);
}

bool KpBoard_Game3::IsCutSceneShown()
{
    return mComix && mComix->mVisible;
}

float KpBoard_Game3::GetDayProgress()
{
    if (!mLevelData || mLevelData->dayLengthMs <= 0)
        return 0.0f;
    float p = float(mPlay.GetDayTimeMs()) / float(mLevelData->dayLengthMs);
    return p < 0.0f ? 0.0f : p > 1.0f ? 1.0f : p;
}

// ============================================================================
// The level's course
// ============================================================================

void KpBoard_Game3::Update()
{
    KpBoard_Game::Update();
    if (!mLevelActive)
        return;
    if (IsRunning())
        RunLevel(KpFrameTimeMs());
    // Survival: the day's offers are used up once one was taken and the shop closed.
    if (mUpgradeChosen && !(mUpgradeMenu && mUpgradeMenu->mVisible))
    {
        mUpgradeChosen = false;
        mOfferedUpgrades.clear();
        HudShowUpgradeButton(false);
    }
    RepaintSceneChanges();
}

void KpBoard_Game3::RepaintSceneChanges()
{
    mChangedRects.Clear();
    mSceneChanges.Collect(gItemList, mChangedRects);
    for (const Lumo::Rect& r : mChangedRects.GetRects())
        SetDirtyArea(r);
}

void KpBoard_Game3::RunLevel(int ms)
{
    KpGameClock::Advance(ms);
    if (mLevelOver)
    {
        // The closed cafe: the queue walks out while the scene stays on view.
        mPlay.Update(ms);
        if (mEndDelayMs <= 0)
            return;
        mEndDelayMs -= ms;
        if (mEndDelayMs > 0)
            return;
        mEndDelayMs = 0;
        if (mEndless || mEndFailed)
            ShowLevelResult();
        else
            OfferUpgradeOrResult();
        return;
    }

    mPlay.Update(ms);
    CheckMoney();
    if (mPlay.GetLives() != mShownLives)
    {
        mShownLives = mPlay.GetLives();
        GetTextVars()->SetInt("lives", mShownLives);
        if (mEndless)
            HudShowLives(mShownLives);
    }
    bool goalsChanged = false;
    for (int i = 0; i < kTaskGoalCount; i++)
        if (mShownGoals[i] != gTaskGoals.GetRemaining(i))
        {
            mShownGoals[i] = gTaskGoals.GetRemaining(i);
            goalsChanged = true;
        }
    if (goalsChanged)
        HudUpdateTaskGoals();

    if (mPlay.GetLives() <= 0)
        FinishLevel(true);
    else if (mPlay.IsDayOver())
    {
        if (mEndless)
            StartSurvivalDay(mPlay.GetDay() + 1);
        else
            FinishLevel(false);
    }
}

void KpBoard_Game3::CheckMoney()
{
    int money = mPlay.GetMoney();
    if (money == mShownMoney)
        return;
    mShownMoney = money;
    GetTextVars()->SetInt("level_money", money);
    if (mEndless || !mLevelData)
        return;
    if (!mGoalReached && money >= mLevelData->goalMoney)
    {
        mGoalReached = 1;
        HudShowGoalSplash();
    }
    if (!mExpertShown && money >= mLevelData->expertMoney)
    {
        mExpertShown = true;
        HudShowExpertSplash();
    }
}

void KpBoard_Game3::StartSurvivalDay(int day)
{
    if (day > 1)
    {
        mPlay.BeginDay(day);
        HudShowGoalSplash();
    }
    GetTextVars()->SetInt("survival_day", mPlay.GetDay());
    mUpgradeChosen = false;
    GetUpgradeOffers(mOfferedUpgrades);
    HudShowUpgradeButton(!mOfferedUpgrades.empty());
}

void KpBoard_Game3::FinishLevel(bool failed)
{
    mLevelOver = true;
    mEndFailed = failed;
    mFailed = failed ? 1 : 0;
    mEndDelayMs = kEndDelayMs;
    // The cafe closes: its queue leaves and the tutorial has nothing left to lead.
    mPlay.Close();
    gTutorial.Skip();
    HudShowEndSplash();
}

void KpBoard_Game3::SetTextVars()
{
    KpTextVars* vars = GetTextVars();
    vars->SetInt("level_money", mPlay.GetMoney());
    vars->SetInt("goal_money", mLevelData ? mLevelData->goalMoney : 0);
    vars->SetInt("expert_money", mLevelData ? mLevelData->expertMoney : 0);
    vars->SetInt("lives", mPlay.GetLives());
    vars->SetInt("survival_day", mPlay.GetDay());
}

void KpBoard_Game3::OnScenePress(int x, int y)
{
    if (mLevelOver)
        return;
    if (mPlay.Click(float(x), float(y)))
        GetSoundManager()->SoundPlay("click");
    // A serve or a clean shows with the next drawing, as updates do.
    RepaintSceneChanges();
}

void KpBoard_Game3::KeyUp(int key)
{
    // Released keys reach the board from its dialogs too: only a running,
    // unfinished level opens the menu (a pause, a box or a comic means another
    // screen has the key).
    if (key == VK_ESCAPE && mEscapeMenu && !mEscapeMenu->mVisible && IsRunning() && !mLevelOver)
    {
        mEscapeMenu->Show();
        return;
    }
    KpBoard_Game::KeyUp(key);
}

void KpBoard_Game3::Draw(Lumo::Graphics* g)
{
    if (!mBackdrop.GetImage() && gItemList.Count() == 0)
        return;
    mBackdrop.Draw(g, 0.0f, 0.0f);
    gZOrderManager.Draw(g);
}

// ============================================================================
// The level's result
// ============================================================================

void KpBoard_Game3::OfferUpgradeOrResult()
{
    if (mLevelAbandoned)
        return;
    std::vector<const KpUpgradeOffer*> offers;
    bool won = !mFailed && mLevelData && mPlay.GetMoney() >= mLevelData->goalMoney;
    if (won && !mEndless && mUpgradeMenu && GetUpgradeOffers(offers) > 0)
    {
        ShowUpgradeNotice();
        // The shop's closing runs the level's result.
        ShowUpgradeMenu();
        return;
    }
    ShowLevelResult();
}

void KpBoard_Game3::ShowLevelResult()
{
    if (mLevelAbandoned || !mLevelData)
        return;
    int money = mPlay.GetMoney();
    if (!mEndless)
    {
        KpLevelResultKind kind =
            LevelResultKind(mFailed != 0, money, mLevelData->goalMoney, mLevelData->expertMoney);
        mLastResultKind = kind;
        // A won day keeps the shop's choice (or none) for the later days of its cafe.
        if ((kind == kResultExpert || kind == kResultGoal) && mLevel >= 1 &&
            mLevel < kProfileLevels)
            gProfileFile.mProfile.levelUpgrade[mLevel] = uint8_t(ChosenUpgradeCode());
        ReportCareerResult(money, kind, mLevel);
        bool fail = kind == kResultBelow || kind == kResultFailed;
        mShownDebriefing = fail ? 2 : 1;
        if (KpDialog* debriefing = fail ? mDebriefingFail : mDebriefingSuccess)
            debriefing->Show();
        gProfileFile.Save();
        return;
    }
    // Survival: the money goes into the records, then back to the book.
    mLastRecordPlace = kRecordCount;
    if (gProfileFile.mProfileLoaded)
    {
        mLastRecordPlace = gProfileFile.InsertRecord(true, gProfileFile.mProfile.name, money);
        gProfileFile.Save();
    }
    Hide();
    QuitLevel();
    ShowEngineScreen(kBoardMenuBackground, true);
    // The book's page turns from the main menu's, as it does in the menus: a
    // whole book under the turning page, never the bare desk.
    ShowEngineScreen(kBoardMainMenu, true);
    ShowEngineScreen(mLastRecordPlace < kRecordCount ? kBoardHiScores : kBoardSurvival, true);
}

// ============================================================================
// Upgrades
// ============================================================================

void KpBoard_Game3::ShowUpgradeMenu()
{
    if (!mUpgradeMenu)
        return;
    // The shop previews its offers on the cafe: no "Well done!" ribbon over it.
    HudHideSplashes();
    mUpgradeMenu->Show();
}

int KpBoard_Game3::GetUpgradeOffers(std::vector<const KpUpgradeOffer*>& offers)
{
    offers.clear();
    if (!mLevelData)
        return 0;
    // Survival offers the stage of the day, the last stage once the days pass it.
    int stage = 1;
    if (mEndless)
    {
        int last = 1;
        for (const KpUpgradeOffer& offer : mLevelData->upgrades)
            last = std::max(last, offer.stage);
        stage = std::min(mPlay.GetDay(), last);
    }
    for (const KpUpgradeOffer& offer : mLevelData->upgrades)
    {
        if (int(offers.size()) >= kMaxOffers)
            break;
        if (offer.stage == stage && mLevel >= offer.lowestLevel && mLevel <= offer.highestLevel &&
            !mPlay.IsUpgradeApplied(offer.object, offer.name))
            offers.push_back(&offer);
    }
    return int(offers.size());
}

void KpBoard_Game3::ApplyKeptUpgrades()
{
    mKeptUpgrades = 0;
    if (mEndless || !gProfileFile.mProfileLoaded)
        return;
    const KpProfile& profile = gProfileFile.mProfile;
    for (int level = mLevel - LevelDay(mLevel) + 1; level < mLevel && level < kProfileLevels;
         level++)
    {
        const KpUpgradeInfo* info = FindUpgradeByCode(profile.levelUpgrade[level]);
        if (!info || mPlay.IsUpgradeApplied(info->object, info->name))
            continue;
        KpUpgradeOffer kept;
        kept.object = info->object;
        kept.name = info->name;
        kept.kind = info->kind;
        mPlay.ApplyUpgrade(kept, true);
        mKeptUpgrades++;
    }
}

int KpBoard_Game3::ChosenUpgradeCode() const
{
    const std::vector<KpUpgradeOffer>& applied = mPlay.GetApplied();
    if (int(applied.size()) <= mKeptUpgrades)
        return 0;
    return GetUpgradeCode(applied.back().object, applied.back().name);
}

void KpBoard_Game3::ApplyUpgrade(const KpUpgradeOffer* offer, bool apply)
{
    if (!offer || !mPlay.IsRunning())
        return;
    mPlay.ApplyUpgrade(*offer, apply);
    if (mEndless && apply)
        mUpgradeChosen = true;
    SetDirty();
}

// ============================================================================
// Tutorial
// ============================================================================

void KpBoard_Game3::ShowTutorialElement(const std::string& name, bool show)
{
    HudShowElement(name, show);
}

void KpBoard_Game3::ShowTutorialSkip(bool show)
{
    KpCandyWidget* skip = mHud ? mHud->FindChild("skip_tutorial_dlg") : nullptr;
    if (skip && show)
        skip->Show();
    else if (skip)
        skip->Hide();
}
