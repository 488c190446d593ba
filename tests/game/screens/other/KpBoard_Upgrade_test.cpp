// The upgrade shop on a loaded career level (day 5 offers three upgrades):
// the offers on their trays, each choice applied to the cafe at once and the
// one before undone, the board paused while the shop is open, the level's
// result after it closes, and a layout with fewer trays than offers.
#include <gtest/gtest.h>

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpTextureManager.h"
#include "game/engine/KpXml.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpUpgrade.h"
#include "game/scene/KpTexture.h"
#include "game/screens/KpBoard_Upgrade.h"
#include "game/ui/KpText.h"
#include "tests/game/screens/other/OtherScreensSupport.h"

using namespace OtherScreens;

namespace
{
class UpgradeShop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreshProfile(L"Anna", 5);
        board = AddScreen(kBoardGame, new KpBoard_Game3(Engine(), LayoutRoot()));
        ASSERT_TRUE(LoadLevel(board, 5, false));
        shop = dynamic_cast<KpBoard_Upgrade*>(board->mUpgradeMenu);
        ASSERT_NE(shop, nullptr);
        ASSERT_EQ(shop->trays.size(), 6u);
    }
    void TearDown() override { ClearScreens(); }

    bool Applied(const KpUpgradeOffer* offer)
    {
        return board->GetPlay().IsUpgradeApplied(offer->object, offer->name);
    }
    std::string TrayPicture(int i)
    {
        KpTexture* image = shop->trays[i]->GetImage(0, 0);
        return image ? image->GetHandle().GetName() : std::string();
    }

    KpBoard_Game3* board = nullptr;
    KpBoard_Upgrade* shop = nullptr;
};
} // namespace

TEST_F(UpgradeShop, ShowsTheOffersAppliesTheChoiceAndHoldsTheBoardPaused)
{
    const int pausesBefore = board->GetPauseCount();
    board->ShowUpgradeMenu();
    RunUpdates(40);
    ASSERT_EQ(shop->offerCount, 3);
    EXPECT_EQ(board->GetPauseCount(), pausesBefore + 1);
    EXPECT_FALSE(board->IsRunning());
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(shop->trays[i]->mVisible, i < 3) << "tray " << i;
    // Each tray shows its offer's picture, named after its object and name.
    for (int i = 0; i < 3; i++)
    {
        const KpUpgradeOffer* offer = shop->offers[i];
        EXPECT_EQ(TrayPicture(i), "mn09_char_small_" + offer->object + "_" + offer->name);
        EXPECT_FALSE(IsImageHandleNull(KpTextureManager::GetImage(TrayPicture(i))));
        EXPECT_TRUE(shop->traySelects[i]->mVisible);
    }
    // Offer 0 is chosen on opening: applied, marked and described.
    EXPECT_TRUE(Applied(shop->offers[0]));
    EXPECT_TRUE(shop->trayHighlights[0]->mVisible);
    const std::wstring description = shop->descriptionText->GetText();
    EXPECT_FALSE(description.empty());
    EXPECT_NE(description[0], L'$') << "missing text for the first offer";

    // Tray 2, then tray 0: each choice undoes the one before.
    const KpUpgradeOffer* first = shop->offers[0];
    const KpUpgradeOffer* third = shop->offers[2];
    Click(shop->trays[2]);
    EXPECT_TRUE(Applied(third));
    EXPECT_FALSE(Applied(first));
    EXPECT_TRUE(shop->trayHighlights[2]->mVisible);
    EXPECT_FALSE(shop->trayHighlights[0]->mVisible);
    Click(shop->trays[0]);
    EXPECT_TRUE(Applied(first));
    EXPECT_FALSE(Applied(third));

    // A tray with no offer on it does nothing.
    shop->OnButton(shop->trays[4]);
    EXPECT_EQ(shop->selected, 0);

    // Closing keeps the choice, gives the pause back and shows the day's result.
    Click(shop->closeButton);
    RunUpdates(40);
    EXPECT_FALSE(shop->mVisible);
    EXPECT_TRUE(Applied(first));
    EXPECT_NE(board->GetShownDebriefing(), 0);
    // The shop's pause is given back; the debriefing holds one of its own now.
    EXPECT_EQ(board->GetPauseCount(), pausesBefore + 1);
}

TEST_F(UpgradeShop, LeavingThroughThePauseMenuUndoesTheOfferOnView)
{
    board->ShowUpgradeMenu();
    RunUpdates(40);
    const int pausesBefore = board->GetPauseCount();
    const KpUpgradeOffer* shown = shop->current;
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(Applied(shown));
    board->mLevelAbandoned = 1;
    shop->Hide();
    RunUpdates(40);
    EXPECT_FALSE(Applied(shown));
    EXPECT_EQ(board->GetShownDebriefing(), 0) << "an abandoned level has no result";
    EXPECT_EQ(board->GetPauseCount(), pausesBefore - 1);
}

TEST_F(UpgradeShop, ALayoutWithFewerTraysShowsAsManyOffersAsItHasTrays)
{
    KpXmlDocument doc = XmlLoadBytes(
        "<ui><layouts><widget type=\"kpdialog\" name=\"upgrade_menu\" x=\"0\" y=\"0\" w=\"1024\" "
        "h=\"768\" visible=\"0\">"
        "<widget type=\"kpwidget\" name=\"upgrade_dialog\" x=\"0\" y=\"400\" w=\"1024\" h=\"300\">"
        "<widget type=\"kptext\" name=\"upgrade_description\" x=\"0\" y=\"0\" w=\"600\" h=\"40\"/>"
        "<widget type=\"kpbutton\" name=\"upgrade\" x=\"0\" y=\"200\" w=\"170\" h=\"56\"/></widget>"
        "<widget type=\"kpbutton\" name=\"upgrade_tray_a\" x=\"100\" y=\"480\" w=\"110\" "
        "h=\"110\"/>"
        "<widget type=\"kpbutton\" name=\"upgrade_tray_b\" x=\"300\" y=\"480\" w=\"110\" "
        "h=\"110\"/>"
        "</widget></layouts></ui>",
        "two trays");
    ASSERT_TRUE(doc);
    KpXmlNode root = XmlSelectNode(doc.Get(), L"ui");
    KpBoard_Upgrade* small = new KpBoard_Upgrade(Engine(), root.Get());
    ASSERT_EQ(small->trays.size(), 2u);
    board->AddChild("small_shop", small);
    small->Show();
    RunUpdates(40);
    EXPECT_EQ(small->offerCount, 3);
    EXPECT_EQ(small->GetShownOfferCount(), 2);
    Click(small->trays[1]);
    EXPECT_EQ(small->selected, 1);
    EXPECT_TRUE(Applied(small->offers[1]));
    EXPECT_FALSE(Applied(small->offers[2]));
    board->mLevelAbandoned = 1; // no result for this check
    const int pausesOpen = board->GetPauseCount();
    small->Hide();
    RunUpdates(40);
    EXPECT_EQ(board->GetPauseCount(), pausesOpen - 1);
}
