#include "game/screens/KpBoard_Upgrade.h"

#include <algorithm>

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpTextureManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpUpgrade.h"
#include "game/ui/KpText.h"

namespace
{
const char kTrayPrefix[] = "upgrade_tray"; // 12 characters
} // namespace

KpBoard_Upgrade::KpBoard_Upgrade(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine)
{
    LoadLayout(layoutRoot, "upgrade_menu");
}

KpBoard_Upgrade::~KpBoard_Upgrade()
{
    mPause.Release();
}

void KpBoard_Upgrade::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "upgrade_dialog")
    {
        dialog = child;
        closeButton = child->FindChild("upgrade");
        KpCandyWidget* text = child->FindChild("upgrade_description");
        descriptionText = text ? text->AsText() : nullptr;
    }
    else if (name.compare(0, sizeof(kTrayPrefix) - 1, kTrayPrefix) == 0)
    {
        trays.push_back(child);
        trayHighlights.push_back(child->FindChild("button"));
        traySelects.push_back(child->FindChild("select"));
    }
    KpDialog::AddChild(name, child);
}

int KpBoard_Upgrade::GetShownOfferCount() const
{
    // A layout with fewer trays than offers shows as many offers as it has trays.
    return std::min(offerCount, int(trays.size()));
}

void KpBoard_Upgrade::OnShow()
{
    current = nullptr;
    selected = -1;
    ShowIf(dialog);
    offers.clear();
    offerCount = gGameBoard3 ? gGameBoard3->GetUpgradeOffers(offers) : 0;
    offerCount = std::min(offerCount, kUpgradeMaxOffers);
    const int shown = GetShownOfferCount();
    for (int i = 0; i < shown; i++)
    {
        const KpUpgradeOffer* offer = offers[i];
        SetWidgetImage(trays[i],
                       KpTextureManager::GetImage(Lumo::StrFormat(
                           "mn09_char_small_%s_%s", offer->object.c_str(), offer->name.c_str())));
        trays[i]->Show();
        HideIf(trayHighlights[i]);
        ShowIf(traySelects[i]);
    }
    // With no offer there is nothing to select.
    if (shown > 0)
        SelectOffer(0);
    mPause.Take();
    if (mParent)
        mParent->BringToFront(this);
    GetSoundManager()->SoundPlay("window_open");
    if (mManager)
        mManager->SetFocus(this);
    ScreenTrace("upgrade shop shown: %d offers", shown);
}

void KpBoard_Upgrade::SelectOffer(int i)
{
    if (i < 0 || i >= GetShownOfferCount())
        return;
    selected = i;
    current = offers[i];
    if (gGameBoard3)
        gGameBoard3->ApplyUpgrade(current, true);
    if (descriptionText)
        descriptionText->SetText(GetEngineLocTable()->GetText(
            Lumo::StrFormat("mn09_desc_%s_%s", current->object.c_str(), current->name.c_str())));
    ShowIf(trayHighlights[selected]);
    ScreenTrace("upgrade %s %s chosen", current->object.c_str(), current->name.c_str());
}

void KpBoard_Upgrade::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    if (widget == closeButton)
    {
        Hide();
        return;
    }
    // Trays beyond the offers stay hidden, and a click on one does nothing.
    for (int i = 0; i < GetShownOfferCount(); i++)
    {
        if (widget != trays[i])
            continue;
        if (gGameBoard3 && current)
            gGameBoard3->ApplyUpgrade(current, false);
        if (selected >= 0)
            HideIf(trayHighlights[selected]);
        SelectOffer(i);
        return;
    }
}

void KpBoard_Upgrade::OnHide()
{
    HideIf(dialog);
    for (size_t i = 0; i < trays.size(); i++)
    {
        trays[i]->Hide();
        HideIf(traySelects[i]);
    }
    // A Hide of the closed shop runs no result a second time.
    if (!mPause.IsHeld())
        return;
    KpBoard_Game3* board = gGameBoard3;
    // Left through the pause menu (restart or quit): the offer on view was only
    // looked at, not taken.
    if (board && board->mLevelAbandoned && current)
        board->ApplyUpgrade(current, false);
    mPause.Release();
    FocusGameBoard();
    ScreenTrace("upgrade shop closed");
    if (board && !board->mLevelAbandoned && !board->IsEndless())
        board->ShowLevelResult();
}
