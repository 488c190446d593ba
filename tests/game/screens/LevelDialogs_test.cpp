// The briefing, the pause menu and the debriefings on a running level: each
// holds one count of the board's pause while it is on view, the briefing and
// debriefing are modal, the pause menu closes on Escape and keeps the level
// paused when a question is declined, and the debriefing reveals the earned
// awards on its delays, describes them under the pointer and goes on to the
// right level.
#include <gtest/gtest.h>

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpTextVars.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/screens/KpBoard_Briefing.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/ui/KpButton.h"
#include "game/screens/KpBoard_Debriefing.h"
#include "game/screens/KpBoard_EscapeMenu.h"
#include "game/ui/KpText.h"
#include "tests/game/screens/LevelScreensTestSupport.h"
#include "tests/game/screens/ScreensTestSupport.h"

namespace
{
const int kGoals[5] = {1, 1, 1, 0, 0};
} // namespace

using LevelDialogs = LevelScreens;

TEST_F(LevelDialogs, BriefingPausesTheLevelUntilStartAndTellsTheDay)
{
    StartLevel(60000, 55, 85, kGoals);
    auto* briefing = dynamic_cast<KpBoard_Briefing*>(board->mBriefing);
    ASSERT_NE(briefing, nullptr);
    EXPECT_TRUE(briefing->mVisible);
    EXPECT_EQ(board->GetPauseCount(), 1);
    EXPECT_EQ(TestEngine()->mWidgetManager->mBaseModalWidget, briefing);
    EXPECT_EQ(briefing->goalText->GetText(), GetEngineLocTable()->GetText("mn04_goal"));
    EXPECT_EQ(GetTextVars()->Get("currentday"), GetEngineLocTable()->GetText("1"));
    // Survival numbers: the level is the cafe, the day follows the career rule.
    KpLevelNumbers n = GetLevelNumbers(3, true);
    EXPECT_EQ(n.cafe, 3);
    EXPECT_EQ(n.day, 3);
    n = GetLevelNumbers(40, false);
    EXPECT_EQ(n.cafe, 3);
    EXPECT_EQ(n.day, 5);

    ClickWidget(briefing->startButton);
    EXPECT_EQ(board->GetPauseCount(), 0);
    RunUpdates(30);
    EXPECT_FALSE(briefing->mVisible);
    EXPECT_EQ(TestEngine()->mWidgetManager->mBaseModalWidget, nullptr);
    // A second Hide gives back nothing it does not hold.
    board->Pause();
    briefing->Hide();
    EXPECT_EQ(board->GetPauseCount(), 1);
    board->Resume();

    // The line under the goal stands beside its own picture: the star of the
    // expert money on a career day, a heart in survival, where it tells the hearts.
    for (bool endless : {false, true})
    {
        StartLevel(60000, 55, 85, kGoals, endless);
        ASSERT_TRUE(briefing->mVisible) << endless;
        EXPECT_EQ(briefing->expertText->GetText(),
                  GetEngineLocTable()->GetText(endless ? "mn04_endless_expert" : "mn04_expert"));
        ASSERT_TRUE(briefing->FindChild("expert_icon") && briefing->FindChild("lives_icon"));
        EXPECT_EQ(briefing->FindChild("expert_icon")->mVisible, !endless) << endless;
        EXPECT_EQ(briefing->FindChild("lives_icon")->mVisible, endless) << endless;
        ClickWidget(briefing->startButton);
        RunUpdates(30);
    }
}

TEST_F(LevelDialogs, PauseMenuClosesOnEscapeAndADeclinedQuestionKeepsItOpen)
{
    StartLevel(60000, 55, 85, kGoals);
    board->mBriefing->Hide();
    RunUpdates(30); // its closing effect
    auto* menu = dynamic_cast<KpBoard_EscapeMenu*>(board->mEscapeMenu);
    ASSERT_NE(menu, nullptr);
    ClickWidget(board->mHud->FindChild("menu_btn"));
    EXPECT_TRUE(menu->mVisible);
    EXPECT_EQ(board->GetPauseCount(), 1);
    EXPECT_EQ(TestEngine()->mWidgetManager->GetFocusWidget(), menu);

    ScreensEngine* engine = TestEngine();
    engine->mOnStep = [&]
    {
        ClickWidget(gConfirm2->noButton);
        return true;
    };
    ClickWidget(menu->quitButton);
    RunUpdates(30); // the box's closing effect
    ClickWidget(menu->restartButton);
    RunUpdates(30);
    engine->mOnStep = nullptr;
    EXPECT_TRUE(menu->mVisible);
    EXPECT_TRUE(board->IsLevelActive());
    EXPECT_EQ(board->GetPauseCount(), 1);
    EXPECT_EQ(board->mLevelAbandoned, 0);

    EXPECT_EQ(engine->mWidgetManager->GetFocusWidget(), menu);
    engine->mWidgetManager->KeyUp(27);
    EXPECT_EQ(board->GetPauseCount(), 0);
    RunUpdates(30);
    EXPECT_FALSE(menu->mVisible);
    EXPECT_EQ(engine->mWidgetManager->GetFocusWidget(), board);
}

TEST_F(LevelDialogs, DebriefingRevealsTheEarnedAwardsOnTheirDelaysAndDescribesThem)
{
    StartLevel(60000, 55, 85, kGoals);
    board->mBriefing->Hide();
    RunUpdates(30);
    gTaskGoals.CountDown(0);
    gTaskGoals.CountDown(1);
    gTaskGoals.SetExpertReached();
    auto* debriefing = dynamic_cast<KpBoard_Debriefing*>(board->mDebriefingSuccess);
    ASSERT_NE(debriefing, nullptr);
    EXPECT_TRUE(debriefing->awardsReady);
    debriefing->Show();
    EXPECT_EQ(debriefing->earnedCount, 3);
    EXPECT_EQ(board->GetPauseCount(), 1);
    auto revealed = [&]
    {
        int n = 0;
        for (auto& icons : debriefing->awardIcons)
            n += icons[0]->mVisible ? 1 : 0;
        return n;
    };
    // At 2, 3 and 4 seconds, each a frame late at most (the delays count down in floats).
    const int checks[6][2] = {{198, 0}, {7, 1}, {93, 1}, {7, 2}, {93, 2}, {7, 3}};
    for (const auto& check : checks)
    {
        RunUpdates(check[0]);
        EXPECT_EQ(revealed(), check[1]);
    }
    EXPECT_TRUE(debriefing->awardIcons[kAwardExpert][0]->mVisible);
    EXPECT_FALSE(debriefing->awardIcons[kAwardMatch][0]->mVisible);
    EXPECT_TRUE(debriefing->awardIcons[kAwardMatch][1]->mVisible);

    // Pointing at a not-earned award names it and says how to earn it.
    KpText* name = debriefing->FindChild("label_achiev")->AsText();
    KpText* about = debriefing->FindChild("label_achiev_about")->AsText();
    debriefing->awardIcons[kAwardMatch][1]->MouseEnter();
    EXPECT_EQ(name->GetText(), GetEngineLocTable()->GetText("mn00_achiev_mach"));
    EXPECT_EQ(about->GetText(), GetEngineLocTable()->GetText("mn00_achiev_mach_inactive"));
    debriefing->awardIcons[kAwardMatch][1]->MouseLeave();
    EXPECT_EQ(name->GetText(), L" ");
    EXPECT_EQ(about->GetText(), L" ");
}

TEST_F(LevelDialogs, DebriefingButtonsGoOnReplayTheFailedDayAndEndAfterTheLastOne)
{
    auto* book = new KpBoard_Career(TestEngine(), ScreensLayoutRoot());
    gEngine3Boards[kBoardCareer] = book;
    auto* success = dynamic_cast<KpBoard_Debriefing*>(board->mDebriefingSuccess);
    auto* fail = dynamic_cast<KpBoard_Debriefing*>(board->mDebriefingFail);
    ASSERT_TRUE(success && fail);

    book->StartLevel(5);
    StartLevel(60000, 55, 85, kGoals);
    fail->Show();
    ClickWidget(fail->replayButton);
    EXPECT_EQ(book->startedLevel, 5); // the failed day again, not the next one

    success->Show();
    ClickWidget(success->startButton);
    EXPECT_EQ(book->startedLevel, 6);

    // With a closing comic the success dialog offers no way to the menu.
    board->mOnFinishComix = "finale";
    success->Show();
    EXPECT_TRUE(success->menuButton->mDisabled);
    board->mOnFinishComix.clear();
    success->Hide();

    book->StartLevel(59);
    StartLevel(60000, 55, 85, kGoals);
    success->Show();
    ClickWidget(success->startButton);
    EXPECT_EQ(book->startedLevel, 59);
    EXPECT_EQ(book->selectedDay, -1);
    EXPECT_FALSE(board->IsLevelActive());
}
