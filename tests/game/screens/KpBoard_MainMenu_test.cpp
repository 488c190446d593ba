// The main menu and its profiles: the first run asks a name before anything
// else, names are cut to 12 characters and never taken twice, delete is
// refused for the last profile, deleting the current profile leaves a valid
// one current, the page turn's geometry, and the menu stepping aside while a
// level is active.
#include "game/screens/KpBoard_MainMenu.h"

#include <gtest/gtest.h>

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpTextVars.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpLevelData.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/ui/KpButton.h"
#include "game/ui/KpEditWidget.h"
#include "game/ui/KpList.h"
#include "tests/game/screens/ScreensTestSupport.h"

namespace
{
class MainMenu : public ::testing::Test
{
protected:
    void SetUp() override
    {
        menu = new KpBoard_MainMenu(ScreensLayoutRoot(), TestEngine());
        book = new KpBoard_Career(TestEngine(), ScreensLayoutRoot());
        gEngine3Boards[kBoardMainMenu] = menu;
        gEngine3Boards[kBoardCareer] = book;
        TestEngine()->mWidgetManager->AddWidget(menu);
        TestEngine()->mWidgetManager->AddWidget(book);
    }
    void TearDown() override { ClearScreens(); }

    void Type(const wchar_t* text)
    {
        for (const wchar_t* c = text; *c; c++)
            TestEngine()->mWidgetManager->KeyChar(*c);
    }
    // Answers the next question box with yes.
    void AnswerYes()
    {
        TestEngine()->mOnStep = []
        {
            ClickWidget(gConfirm2->yesButton);
            return true;
        };
    }

    KpBoard_MainMenu* menu = nullptr;
    KpBoard_Career* book = nullptr;
};
} // namespace

TEST_F(MainMenu, FirstRunAsksANameCutToTwelveCharactersBeforeTheMainPage)
{
    FreshProfileFile();
    menu->Show();
    EXPECT_TRUE(menu->nameDialog->mVisible);
    EXPECT_FALSE(menu->mainPage->mVisible);
    EXPECT_TRUE(menu->nameCancelButton->mDisabled);
    EXPECT_TRUE(menu->openTab->mDisabled);
    EXPECT_EQ(TestEngine()->mWidgetManager->GetFocusWidget(), menu->nameField);
    // Escape cannot skip it.
    TestEngine()->mWidgetManager->KeyDown(27);
    EXPECT_TRUE(menu->nameDialog->mVisible);

    Type(L"Barista Lucie Novak");
    EXPECT_EQ(menu->nameField->GetText(), L"Barista Luci");
    TestEngine()->mWidgetManager->KeyDown(13);
    ASSERT_EQ(gProfileFile.GetProfileCount(), 1);
    EXPECT_EQ(gProfileFile.mProfile.name, L"Barista Luci");
    EXPECT_TRUE(menu->mainPage->mVisible);
    EXPECT_FALSE(menu->openTab->mDisabled);
    EXPECT_EQ(GetTextVars()->Get("profile_name"), L"Barista Luci");
    RunUpdates(30);
    EXPECT_FALSE(menu->nameDialog->mVisible);
    // A key after the entry closed creates nothing.
    TestEngine()->mWidgetManager->KeyDown(13);
    EXPECT_EQ(gProfileFile.GetProfileCount(), 1);
}

TEST_F(MainMenu, ATakenNameCreatesNothingAndTheLastProfileCannotBeDeleted)
{
    FreshProfileFile(L"Anna");
    menu->Show();
    menu->OpenProfilePage();
    RunUpdates(80); // the page turn
    EXPECT_TRUE(menu->deleteButton->mDisabled);
    AnswerYes();
    menu->OnButton(menu->deleteButton);
    TestEngine()->mOnStep = nullptr;
    EXPECT_EQ(gProfileFile.GetProfileCount(), 1);

    ClickWidget(menu->createButton);
    EXPECT_FALSE(menu->nameCancelButton->mDisabled);
    Type(L"Anna");
    ClickWidget(menu->nameCreateButton);
    EXPECT_EQ(gProfileFile.GetProfileCount(), 1);
    RunUpdates(30);
    EXPECT_FALSE(menu->nameDialog->mVisible);
}

TEST_F(MainMenu, DeletingTheCurrentProfileLeavesAValidOneCurrentAndResetsTheBook)
{
    FreshProfileFile(L"Anna");
    gProfileFile.NewProfile(L"Milo", nullptr, nullptr);
    gProfileFile.NewProfile(L"Petr", nullptr, nullptr); // current: slot 2
    menu->Show();
    menu->OpenProfilePage();
    RunUpdates(80);
    EXPECT_EQ(menu->profileList->GetItemCount(), 3);
    EXPECT_EQ(menu->profileList->GetHighlighted(), 2);
    EXPECT_FALSE(menu->deleteButton->mDisabled);

    book->selectedDay = 4;
    AnswerYes();
    ClickWidget(menu->deleteButton);
    TestEngine()->mOnStep = nullptr;
    RunUpdates(30); // the box's closing effect
    ASSERT_EQ(gProfileFile.GetProfileCount(), 2);
    EXPECT_TRUE(gProfileFile.mProfileLoaded);
    EXPECT_EQ(gProfileFile.mCurrentSlot, 0);
    EXPECT_EQ(gProfileFile.mProfile.name, L"Anna");
    EXPECT_EQ(book->selectedDay, -1);
    EXPECT_EQ(menu->profileList->GetSelected(), 0);

    // Selecting another one makes it current and saves the file.
    menu->profileList->SetSelected(1);
    book->selectedDay = 4;
    ClickWidget(menu->selectButton);
    EXPECT_EQ(gProfileFile.mProfile.name, L"Milo");
    EXPECT_EQ(book->selectedDay, -1);
    EXPECT_TRUE(menu->IsTurning());
}

TEST_F(MainMenu, PageTurnSweepsThePagesAndEndsOnTheMainMenuWithBothPagesWhole)
{
    FreshProfileFile(L"Anna");
    menu->Show();
    KpCandyWidget* left = menu->mainPage->FindChild("left_page");
    KpCandyWidget* right = menu->mainPage->FindChild("right_page");
    KpCandyWidget* fold = menu->FindChild("f_pages");

    menu->TurnMenuPage(menu->mainPage, false, kTurnMainMenu);
    RunUpdates(1, 200); // t = 0.2 s forward: x = 678, w = 136
    EXPECT_EQ(left->GetRect(), Lumo::Rect(678, 0, 136, kBookPageHeight));
    EXPECT_EQ(right->GetRect(), Lumo::Rect(814, 0, 136, kBookPageHeight));
    EXPECT_EQ(right->GetParentOffsetX(), -339);
    EXPECT_EQ(fold->GetRect().mX, 814 - 73);
    EXPECT_EQ(fold->GetRect().mY, 35);
    EXPECT_NEAR(fold->GetAlpha(), 1.0f - 2.0f * (0.5f - 0.2f / 0.7f), 0.001f);
    EXPECT_TRUE(fold->mVisible && menu->FindChild("f_cover")->mVisible);

    RunUpdates(1, 600); // past 0.7 s in one frame: the turn ends there
    EXPECT_FALSE(menu->IsTurning());
    EXPECT_EQ(left->GetRect(), Lumo::Rect(0, 0, kBookPageWidth, kBookPageHeight));
    EXPECT_EQ(right->GetRect(), Lumo::Rect(kBookPageWidth, 0, kBookPageWidth, kBookPageHeight));
    EXPECT_EQ(right->GetParentOffsetX(), 0);
    EXPECT_FALSE(fold->mVisible);
    EXPECT_TRUE(menu->mVisible);
    EXPECT_FALSE(book->mVisible);

    // Backwards at 0.2 s: the pages grow from the left edge and the spine.
    menu->TurnMenuPage(nullptr, true, kTurnCareer);
    EXPECT_EQ(menu->turnAction, kTurnMainMenu); // no page: the main menu
    RunUpdates(1, 200);
    EXPECT_EQ(right->GetRect(), Lumo::Rect(135, 0, 135, kBookPageHeight));
    EXPECT_EQ(right->GetParentOffsetX(), 135 - 475);
    EXPECT_EQ(left->GetRect(), Lumo::Rect(0, 0, 135, kBookPageHeight));
    RunUpdates(1, 600);

    // The career book turns in and ends with its tabs.
    book->Show();
    EXPECT_TRUE(book->mVisible);
    RunUpdates(80);
    EXPECT_FALSE(menu->mVisible);
    EXPECT_TRUE(book->cafeBigText[0]->mVisible);
    EXPECT_TRUE(book->resetButton->mVisible);
}

TEST_F(MainMenu, ShowingTheMenuWhileALevelIsActiveHidesItAgain)
{
    FreshProfileFile(L"Anna");
    KpBoard_Game3* board = MakeGameBoard();
    KpLevelData* level = new KpLevelData();
    level->endless = true;
    level->dayLengthMs = 60000;
    level->goalMoney = 10;
    level->expertMoney = 20;
    level->lives = 3;
    board->BeginLevel(level);
    ASSERT_TRUE(board->IsLevelActive());
    menu->Show();
    RunUpdates(30);
    EXPECT_FALSE(menu->mVisible);
    // The run over, the book turns from the whole main page.
    board->ShowLevelResult();
    EXPECT_TRUE(menu->mVisible && menu->mainPage->mVisible);
}
