#include "game/screens/KBoard_Hud.h"

#include "framework/app/StringUtils.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/gameplay/KpTutorialController.h"
#include "game/scene/KpEffect.h"
#include "game/scene/KpTexture.h"
#include "game/screens/KpScreenTable.h"

namespace
{
// The clean and freeze overlays are small pictures blown up to the screen.
const float kOverlayScale = 5.12f;
const int kMaxFrames = 100;

// "<prefix>00", "<prefix>01", ... up to the first name no texture bears.
std::vector<KpImageHandle> CollectFrames(const char* format)
{
    std::vector<KpImageHandle> frames;
    for (int n = 0; n < kMaxFrames; n++)
    {
        KpImageHandle handle = KpTextureManager::GetImage(Lumo::StrFormat(format, n));
        if (handle.IsNull())
            break;
        frames.push_back(handle);
    }
    return frames;
}

void ShowSplash(KpCandyWidget* splash)
{
    if (!splash)
        return;
    splash->Show();
    splash->ShowChildren();
}

void HideWithChildren(KpCandyWidget* w)
{
    if (!w)
        return;
    w->SetVisible(false);
    for (auto& named : w->GetNamedChildren())
        named.second->SetVisible(false);
}
} // namespace

KpHudGoalCells GetHudGoalCells(int goal, int target, int remaining)
{
    KpHudGoalCells cells;
    if (remaining < 0)
        remaining = 0;
    // A goal left out of the level (target 0) has no gauge; any count above
    // the target stays on the gauge's last row.
    cells.hasGauge = target > 0;
    int row = 2;
    if (target > 0)
        row = 2 + (int)(remaining * 5.0 / target + 0.5);
    row = row < 2 ? 2 : (row > 7 ? 7 : row);
    cells.gauge =
        Lumo::Rect(kHudAtlasCellW * goal, kHudAtlasCellH * row, kHudAtlasCellW, kHudAtlasCellH);
    if (remaining > 0)
    {
        int column = remaining - 1;
        if (column >= kHudAtlasCountCells)
            column = kHudAtlasCountCells - 1;
        cells.count =
            Lumo::Rect(kHudAtlasCellW * column, kHudAtlasCellH, kHudAtlasCellW, kHudAtlasCellH);
    }
    else
        cells.count = Lumo::Rect(0, kHudAtlasCellH * 8, kHudAtlasCellW, kHudAtlasCellH);
    return cells;
}

KBoard_Hud::KBoard_Hud(KpEngine* app, IXMLDOMNode* layoutRoot) : KpDialog(nullptr, app)
{
    achievementImage = KpTextureManager::GetImage("achievment");
    lastClockFrame = -1;
    LoadLayout(layoutRoot, "hud");
    watchFrames = CollectFrames("hud_watch%02d");
    upgradeFrames = CollectFrames("hud_upgrade_%02d");
}

// ============================================================================
// Layout
// ============================================================================

void KBoard_Hud::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "skip_tutorial_dlg")
        skipTutorialDialog = child;
    else if (name == "survival_life")
    {
        livesPanel = child;
        for (int i = 0; i < 4; i++)
            lifeWidgets[i] = child->FindChild(Lumo::StrFormat("life_%d", i));
    }
    else if (name == "goal_splash")
        goalSplash = child;
    else if (name == "expert_splash")
        expertSplash = child;
    else if (name == "success_splash")
        successSplash = child;
    else if (name == "fail_splash")
        failSplash = child;
    else if (name == "surv_end_splash")
        survivalEndSplash = child;
    else if (name == "left_part")
    {
        leftPart = child;
        alarm = child->FindChild("alarm");
        closedSign = child->FindChild("closed");
        clock = child->FindChild("clock");
    }
    else if (name == "left_survival_part")
    {
        leftSurvivalPart = child;
        upgradeButton = child->FindChild("upgrade_btn");
        upgradeBack = child->FindChild("upgrade_back");
        survivalClock = child->FindChild("clock");
    }
    else if (name == "right_part")
    {
        rightPart = child;
        goalValue = child->FindChild("goal_value");
        expertValue = child->FindChild("expert_value");
        goalBackground = child->FindChild("goal_bkg");
        expertBackground = child->FindChild("expert_bkg");
        goalText = child->FindChild("goal_text");
        expertText = child->FindChild("expert_text");
        moneyGoalValue = child->FindChild("money_goal_value");
        moneyExpertValue = child->FindChild("money_expert_value");
        moneyGoalGhost = child->FindChild("money_goal_value_ghost");
        moneyExpertGhost = child->FindChild("money_expert_value_ghost");
    }
    else if (name == "menu_btn")
        menuButton = child;
    else if (name == "globalclean")
    {
        cleanOverlay = child;
        if (KpCandyWidget* sparkle = child->FindChild("globalcleaning"))
            sparkle->SetScale(kOverlayScale);
    }
    else if (name == "freeze")
    {
        freezeOverlay = child;
        for (const char* step : {"step_1", "step_2", "step_3"})
            if (KpCandyWidget* w = child->FindChild(step))
                w->SetScale(kOverlayScale);
    }
    else if (name == "smile01" || name == "smile02" || name == "smile03")
        smiles[name[6] - '1'] = child;
    if (name.compare(0, 8, "tutorial") == 0)
    {
        tutorialWidgets[name] = child;
        tutorialList.push_back(child);
    }
    KpDialog::AddChild(name, child);
}

void KBoard_Hud::ReadXml(IXMLDOMNode* element)
{
    KpDialog::ReadXml(element);
    tutorResetWidget = FindChild("tutor_reset_widget");
    achievementsPanel = FindChild("achievments");
    for (int i = 0; i < 5; i++)
    {
        KpHudGoalPanel& p = goalPanels[i];
        KpCandyWidget* in = achievementsPanel ? achievementsPanel : this;
        p.panel = in->FindChild(Lumo::StrFormat("achiev_%d", i + 1));
        p.ghost = in->FindChild(Lumo::StrFormat("achiev_%d_ghost", i + 1));
        KpCandyWidget* both[2] = {p.panel, p.ghost};
        for (int k = 0; k < 2; k++)
        {
            p.count[k] = both[k] ? both[k]->FindChild("achiev_nm") : nullptr;
            p.gauge[k] = both[k] ? both[k]->FindChild("achiev_pr") : nullptr;
        }
    }
}

void KBoard_Hud::InitElements()
{
    for (KpCandyWidget* w : tutorialList)
        if (w->mParent)
            w->mParent->BringToFront(w);
}

// ============================================================================
// Level start and end
// ============================================================================

void KBoard_Hud::ShowLevelPanels(bool isEndless)
{
    for (KpCandyWidget* splash :
         {goalSplash, expertSplash, successSplash, failSplash, survivalEndSplash})
        SetVisibleIf(splash, false);
    endless = isEndless;
    lastClockFrame = -1;
    alarmPending = true;
    // The last day's closing stays up across "Next day": every start takes it down.
    SetVisibleIf(closedSign, false);
    SetVisibleIf(alarm, false);
    for (KpCandyWidget* w :
         {goalBackground, goalText, goalValue, moneyGoalValue, moneyGoalGhost, rightPart})
        ShowIf(w);
    if (!endless)
        ShowIf(leftPart);
    else
    {
        ShowIf(livesPanel);
        ShowIf(leftSurvivalPart);
    }
    LayoutTaskGoals();
    for (KpCandyWidget* smile : smiles)
        SetVisibleIf(smile, false);
}

void KBoard_Hud::ResetForLevel()
{
    for (int i = 0; i < 3; i++)
        SetVisibleIf(lifeWidgets[i], false);
    shownLife = 0;
    SetVisibleIf(leftPart, false);
    SetVisibleIf(leftSurvivalPart, false);
    HideSplashes();
    for (KpCandyWidget* w :
         {goalBackground, expertBackground, goalValue, expertValue, goalText, expertText,
          moneyGoalValue, moneyExpertValue, moneyGoalGhost, moneyExpertGhost, livesPanel})
        SetVisibleIf(w, false);
    ShowUpgradeButton(false);
    SetVisibleIf(rightPart, false);
    for (KpCandyWidget* w : tutorialList)
        w->SetVisible(false);
    // A day left in the middle of its tutorial must not hand its Skip, which
    // has nothing left to skip, to the next level.
    SetVisibleIf(skipTutorialDialog, false);
}

void KBoard_Hud::LayoutTaskGoals()
{
    if (endless)
    {
        SetVisibleIf(achievementsPanel, false);
        return;
    }
    SetVisibleIf(achievementsPanel, true);
    if (!goalPanels[0].panel)
        return;
    const int w = goalPanels[0].panel->mWidth;
    const float x0 = KpEffect::GetConstant("Match3PosX");
    int x[5];
    bool shown[5];
    for (int i = 0; i < 5; i++)
    {
        x[i] = (int)(w * i + x0);
        shown[i] = gTaskGoals.GetTarget(i) > 0;
        SetVisibleIf(goalPanels[i].panel, shown[i]);
        SetVisibleIf(goalPanels[i].ghost, false);
    }
    // The shown panels gather at the right: each takes the rightmost free slot.
    int free = -1;
    for (int i = 4; i >= 0; i--)
    {
        if (!shown[i])
        {
            if (free == -1)
                free = i;
            continue;
        }
        int slot = i;
        if (free != -1)
            slot = free--;
        for (KpCandyWidget* p : {goalPanels[i].panel, goalPanels[i].ghost})
            if (p)
                p->Move(x[slot], 0);
    }
    UpdateTaskGoals();
}

void KBoard_Hud::SetCell(KpCandyWidget* w, const Lumo::Rect& cell)
{
    if (!w)
        return;
    if (KpTexture* image = w->GetImage(0, 0))
    {
        image->SetImageRect(achievementImage, cell);
        w->SetDirty();
    }
    else
        w->SetStateImage(0, achievementImage, cell);
}

void KBoard_Hud::UpdateTaskGoals()
{
    for (int i = 0; i < 5; i++)
    {
        KpHudGoalCells cells =
            GetHudGoalCells(i, gTaskGoals.GetTarget(i), gTaskGoals.GetRemaining(i));
        for (int k = 0; k < 2; k++)
        {
            if (cells.hasGauge)
                SetCell(goalPanels[i].gauge[k], cells.gauge);
            SetCell(goalPanels[i].count[k], cells.count);
        }
    }
}

// ============================================================================
// What the board shows
// ============================================================================

void KBoard_Hud::SwitchMoneyPanels(bool expert)
{
    for (KpCandyWidget* w : {goalBackground, goalValue, goalText, moneyGoalValue, moneyGoalGhost})
        expert ? HideIf(w) : ShowIf(w);
    for (KpCandyWidget* w :
         {expertBackground, expertValue, expertText, moneyExpertValue, moneyExpertGhost})
        expert ? ShowIf(w) : HideIf(w);
}

void KBoard_Hud::ShowGoalSplash()
{
    ShowSplash(goalSplash);
    GetSoundManager()->SoundPlay("goal");
    if (!endless)
        SwitchMoneyPanels(true);
    ScreenTrace("hud: goal splash");
}

void KBoard_Hud::ShowExpertSplash()
{
    ShowSplash(expertSplash);
    GetSoundManager()->SoundPlay("expert");
    ScreenTrace("hud: expert splash");
}

void KBoard_Hud::ShowEndSplash(bool isEndless, bool won)
{
    ShowSplash(isEndless ? survivalEndSplash : (won ? successSplash : failSplash));
}

void KBoard_Hud::HideSplashes()
{
    for (KpCandyWidget* splash :
         {goalSplash, expertSplash, successSplash, failSplash, survivalEndSplash})
        HideWithChildren(splash);
}

void KBoard_Hud::ShowCleaning()
{
    ShowSplash(cleanOverlay);
}

void KBoard_Hud::ShowFreeze(float seconds)
{
    freezeDeadline.Set(seconds);
    ShowSplash(freezeOverlay);
}

void KBoard_Hud::ShowLives(int count)
{
    if (count == shownLife)
        return;
    // A count outside the life widgets shows none of them.
    if (shownLife >= 0 && shownLife < 4)
        HideIf(lifeWidgets[shownLife]);
    if (count >= 0 && count < 4)
        ShowIf(lifeWidgets[count]);
    shownLife = count;
}

void KBoard_Hud::ShowUpgradeButton(bool show)
{
    for (KpCandyWidget* w : {upgradeButton, upgradeBack})
        show ? ShowIf(w) : HideIf(w);
}

void KBoard_Hud::ShowElement(const std::string& name, bool show)
{
    auto found = tutorialWidgets.find(name);
    if (found == tutorialWidgets.end())
        return;
    show ? found->second->Show() : found->second->Hide();
}

// ============================================================================
// Input, showing and the frame
// ============================================================================

void KBoard_Hud::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    KpBoard_Game3* board = gGameBoard3;
    if (widget == menuButton)
    {
        if (board && board->mEscapeMenu)
            board->mEscapeMenu->Show();
    }
    else if (widget == upgradeButton)
    {
        if (board)
            board->ShowUpgradeMenu();
    }
    else if (widget->mName == "skip")
        gTutorial.Skip();
}

void KBoard_Hud::OnShow()
{
    if (mParent)
        mParent->BringToFront(this);
}

void KBoard_Hud::OnHide() {}

void KBoard_Hud::LockImages()
{
    KpDialog::LockImages();
    mLockedFrames = endless ? &upgradeFrames : &watchFrames;
    for (const KpImageHandle& frame : *mLockedFrames)
        frame.Lock();
    if (endless)
        SetVisibleIf(achievementsPanel, false);
    else
        SetVisibleIf(closedSign, false);
}

void KBoard_Hud::UnlockImages()
{
    KpDialog::UnlockImages();
    if (mLockedFrames)
        for (const KpImageHandle& frame : *mLockedFrames)
            frame.Unlock();
    mLockedFrames = nullptr;
}

void KBoard_Hud::Update()
{
    KpDialog::Update();
    KpBoard_Game3* board = gGameBoard3;
    if (!mVisible || !board)
        return;

    // The money fell below the goal again: the goal can be reached and announced anew.
    if (expertText && expertText->mVisible && board->GetMoney() < board->GetMoneyTargets().first)
    {
        SwitchMoneyPanels(false);
        board->mGoalReached = 0;
    }
    for (KpCandyWidget* smile : smiles)
        if (smile && smile->mVisible && !smile->IsAnyImagePlaying())
            smile->SetVisible(false);

    // The career clock's own flag gates both clocks.
    if (clock && clock->mVisible)
    {
        float p = board->GetDayProgress();
        if (!endless)
        {
            int n = (int)watchFrames.size();
            if (n > 0)
            {
                int frame = (int)((n - 1) * p);
                if (frame != lastClockFrame)
                {
                    lastClockFrame = frame;
                    clock->SetStateImage(0, watchFrames[frame],
                                         Lumo::Rect(0, 0, clock->mWidth, clock->mHeight));
                }
                if (frame == n - 1)
                {
                    if (alarmPending)
                    {
                        ShowIf(alarm);
                        ShowIf(closedSign);
                        // The sign takes the tutorial's Skip place; nothing is
                        // left to skip once the doors are closed.
                        if (skipTutorialDialog && skipTutorialDialog->mVisible)
                            skipTutorialDialog->Hide();
                        alarmPending = false;
                    }
                }
                else if (alarm && alarm->mVisible)
                    alarm->Hide();
            }
        }
        else if (survivalClock)
        {
            // While the day's offers wait, the upgrade button stands in the
            // clock's place: one thing there at a time.
            int n = (int)upgradeFrames.size();
            if (!board->mOfferedUpgrades.empty())
            {
                if (survivalClock->mVisible)
                    survivalClock->SetVisible(false);
            }
            else if (n > 0)
            {
                int frame = (int)((n - 1) * p);
                if (frame != lastClockFrame)
                {
                    lastClockFrame = frame;
                    survivalClock->SetStateImage(0, upgradeFrames[frame], Lumo::Rect());
                }
                if (!survivalClock->mVisible)
                    survivalClock->SetVisible(true);
            }
        }
    }

    if (freezeOverlay && freezeOverlay->mVisible && !freezeDeadline.IsRunning())
    {
        freezeOverlay->HideChildren();
        freezeOverlay->Hide();
    }
}
