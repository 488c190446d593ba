// The survival page of the menus' book: the left page offers the three cafes
// (a cafe is open for survival once the current player's career has reached
// it), the right page shows the chosen cafe's photo, heading and description
// with the play and cancel buttons. Play starts the cafe's endless level on
// the game board behind the load screen. Layout "survival_menu"; entry
// kBoardSurvival of the engine's screen table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include "game/ui/KpDialog.h"

// Survival cafes and the first career level of each (where it opens).
const int kSurvivalCafeCount = 3;
const int kSurvivalCafe2Level = 16;
const int kSurvivalCafe3Level = 36;

class KpBoard_Survival : public KpDialog
{
public:
    KpBoard_Survival(KpEngine* app, IXMLDOMNode* layoutRoot);

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;

    // Shows the open cafes and the selected one (falls back to cafe 1 when
    // the selected cafe is locked).
    void Refresh();

    // Per cafe, index 0 to 2 for cafes 1 to 3.
    KpCandyWidget* cancelButton = nullptr;                   // "cancel_button"
    KpCandyWidget* playButton = nullptr;                     // "play_button"
    KpCandyWidget* cafeButtons[kSurvivalCafeCount] = {};     // "cafe1_button"...
    KpCandyWidget* cafeTexts[kSurvivalCafeCount] = {};       // "cafe1_text"...
    KpCandyWidget* cafeHeads[kSurvivalCafeCount] = {};       // "cafe1_head"...
    KpCandyWidget* cafeDescs[kSurvivalCafeCount] = {};       // "cafe1_desc"...
    KpCandyWidget* cafePhotos[kSurvivalCafeCount] = {};      // "cafe1_photo"...
    KpCandyWidget* cafeSmallPhotos[kSurvivalCafeCount] = {}; // "cafe1_small_photo"...
    KpCandyWidget* page = nullptr;                           // "survival_dlg"
    int selectedCafe = 1;                                    // 1 to 3

private:
    void BindPage(KpCandyWidget* page);
};
