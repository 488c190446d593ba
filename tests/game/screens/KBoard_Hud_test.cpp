// The HUD on a running level: the money panels switching to expert and back,
// survival's own goal in place of a money goal, the day clock following the
// day's progress with its alarm once, the task goals packed to the right from
// the "Match3PosX" constant with their atlas cells, and the lives.
#include "game/screens/KBoard_Hud.h"

#include <cstdlib>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpTextVars.h"

#include "game/gameplay/KpTaskGoals.h"
#include "game/gameplay/KpTutorialController.h"
#include "game/scene/KpEffect.h"
#include "game/scene/KpTexture.h"
#include "tests/game/screens/LevelScreensTestSupport.h"
#include "tests/game/screens/ScreensTestSupport.h"

namespace
{
const int kGoals[5] = {3, 0, 2, 0, 0};

KBoard_Hud* Hud(KpBoard_Game3* board)
{
    return dynamic_cast<KBoard_Hud*>(board->mHud);
}

bool Shows(KpCandyWidget* w, const KpImageHandle& handle)
{
    return w->GetImage(0, 0) && w->GetImage(0, 0)->GetHandle() == handle;
}

// The screen as the game's widget manager draws it whole.
std::vector<uint32_t> DrawnScreen()
{
    Lumo::MemoryImage screen;
    screen.Create(1024, 768);
    Lumo::WidgetManager* manager = TestEngine()->mWidgetManager;
    Lumo::Image* saved = manager->mImage;
    manager->mImage = &screen;
    manager->SetAllDirty();
    manager->DrawScreen(nullptr);
    manager->mImage = saved;
    return std::vector<uint32_t>(screen.GetPixels(), screen.GetPixels() + 1024 * 768);
}
} // namespace

using HudTest = LevelScreens;

TEST_F(HudTest, GoalSplashSwitchesToTheExpertPanelsUntilTheMoneyFallsBelowTheGoal)
{
    StartLevel(60000, 10, 20, kGoals);
    KBoard_Hud* hud = Hud(board);
    ASSERT_NE(hud, nullptr);
    EXPECT_TRUE(hud->mVisible);
    EXPECT_TRUE(hud->goalText->mVisible && hud->moneyGoalValue->mVisible);
    EXPECT_FALSE(hud->expertText->mVisible);

    board->mGoalReached = 1;
    hud->ShowGoalSplash();
    EXPECT_TRUE(hud->goalSplash->mVisible);
    EXPECT_TRUE(hud->expertText->mVisible && hud->expertBackground->mVisible);
    EXPECT_FALSE(hud->goalText->mVisible);
    // The money (0) is below the goal: the goal panels come back and the goal
    // may be announced again.
    RunUpdates(1);
    EXPECT_TRUE(hud->goalText->mVisible && hud->goalBackground->mVisible);
    EXPECT_FALSE(hud->expertText->mVisible);
    EXPECT_EQ(board->mGoalReached, 0);
    // The splash goes by itself.
    RunUpdates(30, 100);
    EXPECT_FALSE(hud->goalSplash->mVisible);
}

// A survival run has no money goal: the goal line of the money panel tells
// its goal (lasting the day, which each new day's goal splash celebrates),
// whatever money the level file names, where a career day shows its goal money.
TEST_F(HudTest, SurvivalShowsItsOwnGoalWhereACareerDayShowsItsGoalMoney)
{
    for (bool endless : {false, true})
    {
        StartLevel(60000, 10, 20, kGoals, endless);
        KBoard_Hud* hud = Hud(board);
        const Lumo::WidgetPoint at = hud->goalText->GetAbsPos();
        const Lumo::WidgetPoint end = hud->goalValue->GetAbsPos();
        std::vector<uint32_t> line[2];
        for (int money : {95, 12345})
        {
            GetTextVars()->SetInt("goal_money", money);
            std::vector<uint32_t> shown = DrawnScreen();
            for (int y = at.mY; y < at.mY + hud->goalText->mHeight; y++)
                for (int x = at.mX; x < end.mX + hud->goalValue->mWidth; x++)
                    line[money == 95 ? 0 : 1].push_back(shown[size_t(y) * 1024 + x]);
        }
        // The picture over the money goal is opaque but for a level of rounding.
        int differing = 0;
        for (size_t i = 0; i < line[0].size(); i++)
            for (int shift : {0, 8, 16})
                if (std::abs(int((line[0][i] >> shift) & 0xFF) -
                             int((line[1][i] >> shift) & 0xFF)) > 2)
                {
                    differing++;
                    break;
                }
        EXPECT_EQ(differing == 0, endless)
            << (endless ? "survival" : "career") << ": " << differing << " pixels differ";
        board->QuitLevel();
    }
}

TEST_F(HudTest, DayClockFollowsTheDayAndRingsTheAlarmOnce)
{
    StartLevel(11000, 10, 20, kGoals);
    KBoard_Hud* hud = Hud(board);
    ASSERT_EQ(hud->watchFrames.size(), 12u);
    board->mBriefing->Hide(); // the day runs once the briefing is closed
    ASSERT_EQ(board->GetPauseCount(), 0);
    RunUpdates(1);
    EXPECT_TRUE(Shows(hud->clock, hud->watchFrames[0]));
    RunUpdates(55, 100); // 5.5 s of 11: half the day
    EXPECT_NEAR(board->GetDayProgress(), 0.5f, 0.01f);
    EXPECT_TRUE(Shows(hud->clock, hud->watchFrames[5]));
    EXPECT_FALSE(hud->alarm->mVisible);
    RunUpdates(60, 100);
    EXPECT_TRUE(Shows(hud->clock, hud->watchFrames[11]));
    EXPECT_TRUE(hud->alarm->mVisible);
    EXPECT_TRUE(hud->closedSign->mVisible);
    hud->alarm->SetVisible(false);
    RunUpdates(3);
    EXPECT_FALSE(hud->alarm->mVisible);
}

TEST_F(HudTest, TaskGoalsPackToTheRightFromTheConstantAndTakeTheirAtlasCells)
{
    KpEffect::SetConstant("Match3PosX", 300.0f);
    StartLevel(60000, 10, 20, kGoals);
    KBoard_Hud* hud = Hud(board);
    EXPECT_TRUE(hud->achievementsPanel->mVisible);
    const int shown[5] = {1, 0, 1, 0, 0};
    for (int i = 0; i < 5; i++)
    {
        EXPECT_EQ(hud->goalPanels[i].panel->mVisible, shown[i] != 0) << i;
        EXPECT_FALSE(hud->goalPanels[i].ghost->mVisible) << i;
    }
    // Goals 1 and 3 in goal order on the two rightmost slots: 300 + 60 x 3 and x 4.
    EXPECT_EQ(hud->goalPanels[0].panel->mX, 480);
    EXPECT_EQ(hud->goalPanels[2].panel->mX, 540);
    EXPECT_EQ(hud->goalPanels[2].ghost->mX, 540);
    EXPECT_TRUE(Shows(hud->goalPanels[0].gauge[0], hud->achievementImage));
    EXPECT_TRUE(Shows(hud->goalPanels[0].count[1], hud->achievementImage));

    KpHudGoalCells full = GetHudGoalCells(3, 4, 4);
    EXPECT_EQ(full.gauge, Lumo::Rect(180, 630, 60, 90)); // row 7
    EXPECT_EQ(full.count, Lumo::Rect(180, 90, 60, 90));  // column 3, row 1
    KpHudGoalCells done = GetHudGoalCells(0, 4, 0);
    EXPECT_EQ(done.gauge, Lumo::Rect(0, 180, 60, 90)); // row 2
    EXPECT_EQ(done.count, Lumo::Rect(0, 720, 60, 90)); // column 0, row 8
    // No target: no gauge (no division by it); more left than the target, or
    // more than the atlas counts, stays inside the atlas.
    EXPECT_FALSE(GetHudGoalCells(1, 0, 0).hasGauge);
    EXPECT_EQ(GetHudGoalCells(1, 2, 9).gauge.mY, 630);
    EXPECT_EQ(GetHudGoalCells(1, 80, 75).count.mX, 60 * (kHudAtlasCountCells - 1));
    // The endless HUD has no task goals.
    hud->ShowLevelPanels(true);
    EXPECT_FALSE(hud->achievementsPanel->mVisible);
}

TEST_F(HudTest, LivesShowTheCountAndNothingOutsideTheLifeWidgets)
{
    StartLevel(60000, 10, 20, kGoals);
    KBoard_Hud* hud = Hud(board);
    hud->ShowLives(3);
    EXPECT_TRUE(hud->lifeWidgets[3]->mVisible);
    hud->ShowLives(3);
    EXPECT_TRUE(hud->lifeWidgets[3]->mVisible);
    hud->ShowLives(2);
    EXPECT_FALSE(hud->lifeWidgets[3]->mVisible);
    EXPECT_TRUE(hud->lifeWidgets[2]->mVisible);
    hud->ShowLives(7);
    for (KpCandyWidget* life : hud->lifeWidgets)
        EXPECT_FALSE(life->mVisible);
    hud->ShowLives(-1);
    hud->ShowLives(1);
    EXPECT_TRUE(hud->lifeWidgets[1]->mVisible);
    // A layout without watch frames leaves the clock alone.
    hud->watchFrames.clear();
    RunUpdates(2);
    // A day quit in the middle of its tutorial takes its Skip along.
    gTutorial.Start({{"tutorial_serve", "serve"}}, board);
    EXPECT_TRUE(hud->skipTutorialDialog->mVisible);
    board->QuitLevel();
    EXPECT_FALSE(hud->skipTutorialDialog->mVisible);
}
