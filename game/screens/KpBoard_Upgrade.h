// The upgrade shop: the in-level dialog in which the player picks one of up
// to six upgrades for the cafe. Each offer sits on a tray with its small
// picture; choosing a tray applies its upgrade to the scene at once (the
// player sees it behind the shop) and shows its description, and choosing
// another first undoes the one shown. Closing keeps the last one chosen; in
// a career level the level's result follows. The board makes it (layout
// "upgrade_menu") and keeps it for its life; it pauses the level while open.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <vector>

#include "game/screens/KpScreenTable.h"
#include "game/ui/KpDialog.h"

struct KpUpgradeOffer;
class KpText;

// The most offers the shop shows at once.
const int kUpgradeMaxOffers = 6;

class KpBoard_Upgrade : public KpDialog
{
public:
    KpBoard_Upgrade(KpEngine* app, IXMLDOMNode* layoutRoot);
    ~KpBoard_Upgrade() override;

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;

    // Applies offer i to the scene, marks its tray and shows its description.
    void SelectOffer(int i);
    // Offers that have a tray to show them on.
    int GetShownOfferCount() const;

    KpCandyWidget* closeButton = nullptr;       // "upgrade" of "upgrade_dialog"
    KpText* descriptionText = nullptr;          // "upgrade_description" of "upgrade_dialog"
    KpCandyWidget* dialog = nullptr;            // "upgrade_dialog"
    std::vector<KpCandyWidget*> trays;          // "upgrade_tray...", in layout order
    std::vector<KpCandyWidget*> trayHighlights; // each tray's "button"
    std::vector<KpCandyWidget*> traySelects;    // each tray's "select"
    const KpUpgradeOffer* current = nullptr;    // the offer applied now
    int selected = -1;                          // tray of the offer applied now
    std::vector<const KpUpgradeOffer*> offers;  // at most kUpgradeMaxOffers
    int offerCount = 0;

private:
    KpBoardPauseHold mPause;
};
