#include "game/screens/KpBoard_Survival.h"

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpScreenTable.h"

namespace
{
KpCandyWidget* Find(KpCandyWidget* half, const std::string& name)
{
    return half ? half->FindChild(name) : nullptr;
}
} // namespace

KpBoard_Survival::KpBoard_Survival(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine)
{
    LoadLayout(layoutRoot, "survival_menu");
}

void KpBoard_Survival::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "survival_dlg")
        BindPage(child);
    KpDialog::AddChild(name, child);
}

void KpBoard_Survival::BindPage(KpCandyWidget* dlg)
{
    page = dlg;
    KpCandyWidget* left = dlg->FindChild("left_page");
    KpCandyWidget* right = dlg->FindChild("right_page");
    cancelButton = Find(right, "cancel_button");
    playButton = Find(right, "play_button");
    for (int i = 0; i < kSurvivalCafeCount; i++)
    {
        const int n = i + 1;
        cafeButtons[i] = Find(left, Lumo::StrFormat("cafe%d_button", n));
        cafeTexts[i] = Find(left, Lumo::StrFormat("cafe%d_text", n));
        cafeSmallPhotos[i] = Find(left, Lumo::StrFormat("cafe%d_small_photo", n));
        cafeHeads[i] = Find(right, Lumo::StrFormat("cafe%d_head", n));
        cafeDescs[i] = Find(right, Lumo::StrFormat("cafe%d_desc", n));
        cafePhotos[i] = Find(right, Lumo::StrFormat("cafe%d_photo", n));
    }
}

void KpBoard_Survival::Refresh()
{
    const int highest = gProfileFile.mProfileLoaded ? gProfileFile.mProfile.highestLevel : 1;
    SetVisibleIf(cafeSmallPhotos[0], true);
    SetDisabledIf(cafeSmallPhotos[0], false);
    for (int i = 1; i < kSurvivalCafeCount; i++)
    {
        SetVisibleIf(cafeSmallPhotos[i], false);
        SetDisabledIf(cafeSmallPhotos[i], true);
    }
    for (int i = 0; i < kSurvivalCafeCount; i++)
    {
        SetVisibleIf(cafePhotos[i], false);
        SetVisibleIf(cafeTexts[i], false);
        SetVisibleIf(cafeHeads[i], false);
        HideIf(cafeDescs[i]);
        SetVisibleIf(cafeButtons[i], false);
        SetDisabledIf(cafeButtons[i], i > 0);
    }
    if (highest < kSurvivalCafe2Level)
        selectedCafe = 1;
    else
    {
        SetDisabledIf(cafeButtons[1], false);
        SetVisibleIf(cafeSmallPhotos[1], true);
        SetDisabledIf(cafeSmallPhotos[1], false);
    }
    if (highest < kSurvivalCafe3Level)
    {
        if (selectedCafe == 3)
            selectedCafe = 1;
    }
    else
    {
        SetDisabledIf(cafeButtons[2], false);
        SetVisibleIf(cafeSmallPhotos[2], true);
        SetDisabledIf(cafeSmallPhotos[2], false);
    }
    if (selectedCafe < 1 || selectedCafe > kSurvivalCafeCount)
        selectedCafe = 1;
    const int n = selectedCafe - 1;
    ShowIf(cafePhotos[n]);
    ShowIf(cafeHeads[n]);
    ShowIf(cafeDescs[n]);
    SetVisibleIf(cafeTexts[n], true);
    for (int i = 0; i < kSurvivalCafeCount; i++)
        if (i != n)
            SetVisibleIf(cafeButtons[i], true);
}

void KpBoard_Survival::OnShow()
{
    Refresh();
    if (mManager)
        mManager->SetFocus(this);
    GetSoundManager()->SoundPlay("briefing_show");
    if (KpBoard_MainMenu* menu = GetMainMenu())
        menu->TurnMenuPage(page, false, kTurnSurvival);
    ScreenTrace("survival page shown: cafe %d", selectedCafe);
}

void KpBoard_Survival::OnHide() {}

void KpBoard_Survival::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    if (widget == cancelButton)
    {
        if (KpBoard_MainMenu* menu = GetMainMenu())
            menu->TurnMenuPage(nullptr, true, kTurnNone);
        return;
    }
    if (widget == playButton)
    {
        Hide();
        if (KpCandyWidget* board = GetScreen(kBoardGame))
            if (board->mParent)
                board->mParent->BringToFront(board);
        ScreenTrace("survival level %d started", selectedCafe);
        StartGameLevel(selectedCafe, true);
        return;
    }
    for (int i = 0; i < kSurvivalCafeCount; i++)
        if (widget == cafeButtons[i] || widget == cafeSmallPhotos[i])
        {
            selectedCafe = i + 1;
            Refresh();
            ScreenTrace("survival cafe %d chosen", selectedCafe);
            return;
        }
}
