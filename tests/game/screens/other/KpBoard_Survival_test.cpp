// The survival page: the cafes the career has opened (at days 16 and 36),
// the stored choice falling back to cafe 1 when its cafe is locked, and play
// starting the cafe's endless level behind the load screen.
#include <gtest/gtest.h>

#include "game/engine/KpProfileFile.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_LoadScreen.h"
#include "game/screens/KpBoard_Survival.h"
#include "tests/game/screens/other/OtherScreensSupport.h"

using namespace OtherScreens;

namespace
{
class SurvivalPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreshProfile(L"Anna");
        page = AddScreen(kBoardSurvival, new KpBoard_Survival(Engine(), LayoutRoot()));
        for (int i = 0; i < kSurvivalCafeCount; i++)
        {
            ASSERT_NE(page->cafeButtons[i], nullptr);
            ASSERT_NE(page->cafeSmallPhotos[i], nullptr);
            ASSERT_NE(page->cafePhotos[i], nullptr);
            ASSERT_NE(page->cafeTexts[i], nullptr);
        }
    }
    void TearDown() override { ClearScreens(); }

    // Which cafes can be chosen: the small photo is shown and the button enabled.
    std::string Open()
    {
        std::string open;
        for (int i = 0; i < kSurvivalCafeCount; i++)
            if (page->cafeSmallPhotos[i]->mVisible && !page->cafeButtons[i]->mDisabled)
                open += char('1' + i);
        return open;
    }

    KpBoard_Survival* page = nullptr;
};
} // namespace

TEST_F(SurvivalPage, OffersTheCafesTheCareerHasReached)
{
    struct Case
    {
        int highest, stored;
        const char* open;
        int selected;
    } cases[] = {{15, 2, "1", 1},  {15, 3, "1", 1},   {16, 3, "12", 1},
                 {16, 2, "12", 2}, {36, 3, "123", 3}, {59, 2, "123", 2}};
    for (const Case& c : cases)
    {
        gProfileFile.mProfile.highestLevel = c.highest;
        page->selectedCafe = c.stored;
        page->Show();
        RunUpdates(3);
        EXPECT_EQ(Open(), c.open) << "highest level " << c.highest;
        EXPECT_EQ(page->selectedCafe, c.selected) << "highest level " << c.highest;
        // The chosen cafe shows its photo and its name in place of its button.
        for (int i = 0; i < kSurvivalCafeCount; i++)
        {
            const bool chosen = i == c.selected - 1;
            EXPECT_EQ(page->cafePhotos[i]->mVisible, chosen);
            EXPECT_EQ(page->cafeTexts[i]->mVisible, chosen);
            EXPECT_EQ(page->cafeButtons[i]->mVisible, !chosen);
        }
    }
}

TEST_F(SurvivalPage, ChoosingACafeAndPlayStartsItsEndlessLevelBehindTheLoadScreen)
{
    gProfileFile.mProfile.highestLevel = 40;
    KpBoard_Game3* board = AddScreen(kBoardGame, new KpBoard_Game3(Engine(), LayoutRoot()));
    KpBoard_LoadScreen* load =
        AddScreen(kBoardLoadScreen, new KpBoard_LoadScreen(Engine(), LayoutRoot()));
    page->Show();
    RunUpdates(3);
    Click(page->cafeSmallPhotos[2]);
    EXPECT_EQ(page->selectedCafe, 3);
    Click(page->cafeButtons[1]);
    EXPECT_EQ(page->selectedCafe, 2);
    Click(page->cafeButtons[2]);
    ASSERT_EQ(page->selectedCafe, 3);

    Click(page->playButton);
    EXPECT_TRUE(board->IsLoading());
    EXPECT_TRUE(load->mVisible) << "the load screen covers the loading";
    for (int i = 0; i < 3000 && !board->IsLevelActive(); i++)
    {
        RunUpdates(1);
        if (!board->IsLevelActive())
            Sleep(1);
    }
    ASSERT_TRUE(board->IsLevelActive());
    EXPECT_EQ(board->GetLevel(), 3);
    EXPECT_TRUE(board->IsEndless());
    RunUpdates(40);
    EXPECT_FALSE(load->mVisible);
    EXPECT_FALSE(page->mVisible);
}
