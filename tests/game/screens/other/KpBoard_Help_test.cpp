// The help book: pages turned forwards and backwards with the main menu's
// page turn, the buttons disabled at either end, and closing back to where
// it was opened from: the main menu, or the pause menu over a level.
#include <gtest/gtest.h>

#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_EscapeMenu.h"
#include "game/screens/KpBoard_Help.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpBoard_Menu.h"
#include "tests/game/screens/other/OtherScreensSupport.h"

using namespace OtherScreens;

namespace
{
// Long enough for a page turn (0.7 s) to end.
const int kTurnUpdates = 80;

class HelpBook : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreshProfile(L"Anna");
        AddScreen(kBoardMenuBackground, new KpBoard_Menu(Engine(), LayoutRoot()));
        menu = AddScreen(kBoardMainMenu, new KpBoard_MainMenu(LayoutRoot(), Engine()));
        help = AddScreen(kBoardHelp, new KpBoard_Help(Engine(), LayoutRoot()));
        ASSERT_EQ(help->pages.size(), 3u);
        ASSERT_NE(help->prevButton, nullptr);
        ASSERT_NE(help->nextButton, nullptr);
        ASSERT_NE(help->closeButton, nullptr);
    }
    void TearDown() override { ClearScreens(); }

    void Turn()
    {
        RunUpdates(kTurnUpdates);
        ASSERT_FALSE(menu->IsTurning());
    }
    // The page on top of the book: visible, the last one turned to.
    void ExpectPage(int n)
    {
        EXPECT_EQ(help->currentPage, n);
        EXPECT_TRUE(help->pages[n]->mVisible);
        EXPECT_EQ(help->prevButton->mDisabled, n == 0);
        EXPECT_EQ(help->nextButton->mDisabled, n == 2);
    }

    KpBoard_MainMenu* menu = nullptr;
    KpBoard_Help* help = nullptr;
};
} // namespace

TEST_F(HelpBook, PagesTurnForwardAndBackFromTheMainMenuAndCloseToIt)
{
    menu->Show();
    Turn();
    Click(menu->helpButton);
    EXPECT_TRUE(help->mVisible);
    EXPECT_TRUE(menu->IsTurning());
    Turn();
    ExpectPage(0);
    EXPECT_FALSE(menu->mVisible) << "the turn ends on the help screen alone";
    EXPECT_TRUE(help->nextButton->mVisible);

    Click(help->nextButton);
    EXPECT_FALSE(menu->turnBack);
    Turn();
    Click(help->nextButton);
    Turn();
    ExpectPage(2);
    Click(help->prevButton);
    EXPECT_TRUE(menu->turnBack);
    Turn();
    ExpectPage(1);

    Click(help->closeButton);
    EXPECT_TRUE(menu->turnBack);
    Turn();
    EXPECT_FALSE(help->mVisible);
    EXPECT_TRUE(menu->mVisible);
    EXPECT_TRUE(menu->mainPage->mVisible);

    // Opened again, it starts from the first page.
    Click(menu->helpButton);
    Turn();
    ExpectPage(0);
    EXPECT_FALSE(help->pages[1]->mVisible);
}

TEST_F(HelpBook, OpenedFromThePauseMenuItClosesBackToIt)
{
    KpBoard_Game3* board = AddScreen(kBoardGame, new KpBoard_Game3(Engine(), LayoutRoot()));
    ASSERT_TRUE(LoadLevel(board, 1, true));
    KpBoard_EscapeMenu* pause = dynamic_cast<KpBoard_EscapeMenu*>(board->mEscapeMenu);
    ASSERT_NE(pause, nullptr);
    const int pausesBefore = board->GetPauseCount();
    pause->Show();
    RunUpdates(40);
    ASSERT_EQ(board->GetPauseCount(), pausesBefore + 1);

    Click(pause->helpButton);
    EXPECT_TRUE(help->mVisible);
    Turn();
    ExpectPage(0);
    Click(help->nextButton);
    Turn();
    ExpectPage(1);

    Click(help->closeButton);
    Turn();
    EXPECT_FALSE(help->mVisible);
    EXPECT_FALSE(menu->mVisible) << "no main menu over a running level";
    EXPECT_TRUE(pause->mVisible);
    EXPECT_TRUE(pause->page->mVisible);
    EXPECT_EQ(board->GetPauseCount(), pausesBefore + 1) << "the pause menu still holds the level";
    pause->Hide();
    RunUpdates(40);
    EXPECT_EQ(board->GetPauseCount(), pausesBefore);
}
