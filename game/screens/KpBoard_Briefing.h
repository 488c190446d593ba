// The level's intro dialog over the game board: the day's picture, its
// briefing text, the goal and expert targets and the start button. While it is
// on view the board is paused and the dialog is modal; "start" closes it and
// the level runs. Career and survival levels each have their own texts and
// pictures. The board makes it (layout "briefing_dialog") and shows it with
// the HUD when a level starts.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "game/screens/KpScreenTable.h"
#include "game/ui/KpDialog.h"

class KpText;

// The cafe (N) and day (D) numbers a level shows: career levels by the cafe
// table, an endless level L as cafe L with the career rule for its day.
struct KpLevelNumbers
{
    int cafe;
    int day;
};
KpLevelNumbers GetLevelNumbers(int level, bool endless);
// Sets "currentcafe", "cafe", "currentday" and "day" to the loc texts whose
// ids are the numbers themselves ("1", "2", ...).
void SetLevelNumberVars(int level, bool endless);

class KpBoard_Briefing : public KpDialog
{
public:
    KpBoard_Briefing(KpEngine* app, IXMLDOMNode* layoutRoot);
    ~KpBoard_Briefing() override;

    // --- Overrides, in the dialog's slot order
    void OnShow() override;
    void OnHide() override;
    void LockImages() override;
    void UnlockImages() override;
    void AddChild(const std::string& name, KpCandyWidget* child) override;
    // Leaving the tree (the board goes): the siblings are not reordered then.
    void RemovedFromManager(Lumo::WidgetManager* manager) override;
    void OnButton(KpCandyWidget* widget) override;

    KpText* goalText = nullptr;     // "goal_text"
    KpText* expertText = nullptr;   // "expert_text"
    KpText* settingsText = nullptr; // "settings_text"
    KpCandyWidget* startButton = nullptr;
    std::string pictureName; // the texture last wanted

private:
    KpBoardPauseHold mPause;
    KpBoardModalHold mModal;
};
