// The board's calls on its in-level dialogs and on the screens of the engine's
// table. Each dialog is made in CreateLevelDialogs once its screen class
// exists, and each call below does nothing while its dialog or screen is
// missing, so the level runs the same with or without them.
#include "game/gameplay/KpBoard_Game3.h"

#include "game/engine/KpEngine3.h"
#include "game/screens/KBoard_Hud.h"
#include "game/screens/KpBoard_Briefing.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpBoard_Debriefing.h"
#include "game/screens/KpBoard_EscapeMenu.h"
#include "game/screens/KpBoard_Upgrade.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpScreenTable.h"

namespace
{
KBoard_Hud* AsHud(KpDialog* hud)
{
    return dynamic_cast<KBoard_Hud*>(hud);
}
} // namespace

void KpBoard_Game3::CreateLevelDialogs(IXMLDOMNode* layoutRoot)
{
    // Made here from the layout root and added as the board's children, kept
    // for the board's life: the comic player ("comix_ui"), the HUD ("hud", its
    // InitElements run once), the pause menu ("escape_menu"), the upgrade shop
    // ("upgrade_menu"), the briefing ("briefing_dialog") and the success and
    // fail debriefings ("debriefing_dialog", "debriefing_dialog_fail").
    mComix = new KpComix(mApp, layoutRoot);
    AddChild("comix_ui", mComix);
    // A board without layouts (its own tests) plays without them.
    if (!layoutRoot)
        return;
    KBoard_Hud* hud = new KBoard_Hud(mApp, layoutRoot);
    mHud = hud;
    AddChild("hud", hud);
    hud->InitElements();
    mBriefing = new KpBoard_Briefing(mApp, layoutRoot);
    AddChild("briefing_dialog", mBriefing);
    mEscapeMenu = new KpBoard_EscapeMenu(mApp, layoutRoot);
    AddChild("escape_menu", mEscapeMenu);
    mUpgradeMenu = new KpBoard_Upgrade(mApp, layoutRoot);
    AddChild("upgrade_menu", mUpgradeMenu);
    mDebriefingSuccess = new KpBoard_Debriefing(mApp, layoutRoot, false);
    AddChild("debriefing_dialog", mDebriefingSuccess);
    mDebriefingFail = new KpBoard_Debriefing(mApp, layoutRoot, true);
    AddChild("debriefing_dialog_fail", mDebriefingFail);
}

// The comic player: KpComix::Play of the name, then Show.
void KpBoard_Game3::PlayComix(const std::string& name)
{
    if (KpComix* comix = dynamic_cast<KpComix*>(mComix))
    {
        comix->Play(name);
        comix->Show();
    }
}

// The HUD (KBoard_Hud): ShowLevelPanels (endless) when a level starts,
// ResetForLevel when it ends.
void KpBoard_Game3::HudShowLevelPanels()
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ShowLevelPanels(mEndless);
}

void KpBoard_Game3::HudResetForLevel()
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ResetForLevel();
}

// ShowGoalSplash: the goal money reached, and each new survival day.
void KpBoard_Game3::HudShowGoalSplash()
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ShowGoalSplash();
}

// ShowExpertSplash: the expert money reached.
void KpBoard_Game3::HudShowExpertSplash()
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ShowExpertSplash();
}

// ShowLives (count): survival, at the start and at each life lost.
void KpBoard_Game3::HudShowLives(int count)
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ShowLives(count);
}

// ShowUpgradeButton: survival, a day with offers begins or its offer was taken.
void KpBoard_Game3::HudShowUpgradeButton(bool show)
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ShowUpgradeButton(show);
}

// ShowElement (name, show): the tutorial's steps.
void KpBoard_Game3::HudShowElement(const std::string& name, bool show)
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ShowElement(name, show);
}

// UpdateTaskGoals: a task goal counted down or started over.
void KpBoard_Game3::HudUpdateTaskGoals()
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->UpdateTaskGoals();
}

// The HUD's splash for the level's end: success, fail, or the survival run's end.
void KpBoard_Game3::HudShowEndSplash()
{
    bool won = !mFailed && mLevelData && mPlay.GetMoney() >= mLevelData->goalMoney;
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->ShowEndSplash(mEndless, won);
}

// Every splash down: the upgrade shop shows the cafe clear.
void KpBoard_Game3::HudHideSplashes()
{
    if (KBoard_Hud* hud = AsHud(mHud))
        hud->HideSplashes();
}

// KpBoard_Career::SetLevelResult (money, kind, level) on the career book of
// the engine's table.
void KpBoard_Game3::ReportCareerResult(int money, KpLevelResultKind kind, int level)
{
    if (KpBoard_Career* book = GetCareerBook())
        book->SetLevelResult(money, kind, level);
}

// ShowMessageBox ("upgrade") before the shop opens; false while there is no box.
bool KpBoard_Game3::ShowUpgradeNotice()
{
    return gConfirm1 && ShowMessageBox("upgrade") == 1;
}
