// The rules the screens read off the level: the result kind, the task goals,
// deadlines on game time and the tutorial's steps.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "game/gameplay/GameDeadline.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/gameplay/KpTutorialController.h"

TEST(GameplayRules, ResultKindIsFailedThenBelowGoalThenGoalThenExpert)
{
    // (failed, money, goal, expert) -> kind
    EXPECT_EQ(kResultFailed, LevelResultKind(true, 500, 100, 200));
    EXPECT_EQ(kResultBelow, LevelResultKind(false, 99, 100, 200));
    EXPECT_EQ(kResultGoal, LevelResultKind(false, 100, 100, 200));
    EXPECT_EQ(kResultGoal, LevelResultKind(false, 199, 100, 200));
    EXPECT_EQ(kResultExpert, LevelResultKind(false, 200, 100, 200));
    EXPECT_EQ(kResultExpert, LevelResultKind(false, 100, 100, 100));
}

TEST(GameplayRules, TaskGoalsAreMetByTheirCountsTheExpertMoneyAndAllFour)
{
    KpTaskGoals goals;
    const int targets[kTaskGoalCount] = {2, 1, 1, 2, 1};
    goals.Reset(targets);
    for (int i = 0; i < kTaskGoalCount; i++)
        EXPECT_FALSE(goals.IsGoalMet(i)) << i;

    EXPECT_TRUE(goals.CountDown(0));
    EXPECT_TRUE(goals.CountDown(0));
    EXPECT_FALSE(goals.CountDown(0)); // never below 0
    EXPECT_TRUE(goals.IsGoalMet(0));
    EXPECT_FALSE(goals.CountDown(2)); // goal 2 counts money, not steps
    EXPECT_FALSE(goals.CountDown(4));

    // A row broken before it is met starts over; once met it stays met.
    goals.CountDown(3);
    EXPECT_EQ(1, goals.GetRemaining(3));
    EXPECT_TRUE(goals.ResetChain());
    EXPECT_EQ(2, goals.GetRemaining(3));
    goals.CountDown(3);
    goals.CountDown(3);
    EXPECT_FALSE(goals.ResetChain());
    EXPECT_TRUE(goals.IsGoalMet(3));

    goals.CountDown(1);
    EXPECT_FALSE(goals.IsGoalMet(4)); // the expert money is still missing
    EXPECT_EQ(1, goals.GetRemaining(4));
    EXPECT_TRUE(goals.SetExpertReached());
    EXPECT_TRUE(goals.IsGoalMet(2));
    EXPECT_EQ(0, goals.GetRemaining(2));
    EXPECT_TRUE(goals.IsGoalMet(4));
    EXPECT_EQ(0, goals.GetRemaining(4));
    EXPECT_FALSE(goals.IsGoalMet(5));
    EXPECT_FALSE(goals.IsGoalMet(-1));

    // A goal the level leaves out (target 0) is never met, and so neither is mega.
    const int some[kTaskGoalCount] = {1, 0, 1, 1, 1};
    goals.Reset(some);
    goals.CountDown(0);
    goals.CountDown(1);
    goals.CountDown(3);
    goals.SetExpertReached();
    EXPECT_FALSE(goals.IsGoalMet(1));
    EXPECT_FALSE(goals.IsGoalMet(4));
}

TEST(GameplayRules, DeadlinesRunOnGameTimeOnly)
{
    KpGameClock::Set(5000);
    GameDeadline deadline;
    EXPECT_FALSE(deadline.IsRunning()); // never set
    deadline.Set(1.5f);
    EXPECT_EQ(6500, deadline.GetExpiry());
    EXPECT_TRUE(deadline.IsRunning());
    KpGameClock::Advance(1490);
    EXPECT_TRUE(deadline.IsRunning());
    KpGameClock::Advance(10);
    EXPECT_FALSE(deadline.IsRunning()); // at the expiry it has passed
    KpGameClock::Advance(-100);         // time never runs back
    EXPECT_EQ(6500, KpGameClock::Now());
    for (float bad : {-2.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        deadline.Set(bad);
        EXPECT_FALSE(deadline.IsRunning()) << bad;
    }
    deadline.Set(std::numeric_limits<float>::infinity());
    EXPECT_FALSE(deadline.IsRunning());
    deadline.Set(1e30f); // far away, but no overflow
    EXPECT_TRUE(deadline.IsRunning());
    KpGameClock::Set(0);
}

namespace
{
class ViewLog : public KpTutorialView
{
public:
    void ShowTutorialElement(const std::string& name, bool show) override
    {
        log += (show ? "+" : "-") + name + " ";
    }
    void ShowTutorialSkip(bool show) override { log += show ? "+skip " : "-skip "; }
    std::string log;
};
} // namespace

TEST(GameplayRules, TutorialTipsShowOnlyWhileTheirEventCanHappenAndSkipHidesThem)
{
    std::vector<KpTutorialStep> steps(3);
    steps[0] = {"tutorial_serve", "serve"};
    steps[1] = {"tutorial_clean", "clean"};
    steps[2] = {"tutorial_money", "pay"};
    ViewLog view;
    KpTutorialController tutorial;
    // A new level: nobody waits, nothing is dirty.
    tutorial.SetPossible("serve", false);
    tutorial.SetPossible("clean", false);
    tutorial.Start(steps, &view);
    EXPECT_EQ("+skip ", view.log);
    EXPECT_EQ(-1, tutorial.GetShownStep());
    tutorial.SetPossible("serve", true);
    EXPECT_EQ("+skip +tutorial_serve ", view.log);
    tutorial.OnEvent("clean"); // not the event the step waits for
    EXPECT_EQ(0, tutorial.GetCurrentStep());

    // Served: the clean tip waits for a dirty table, the serve tip is gone.
    tutorial.OnEvent("serve");
    EXPECT_EQ(1, tutorial.GetCurrentStep());
    EXPECT_EQ("+skip +tutorial_serve -tutorial_serve ", view.log);
    tutorial.SetPossible("clean", true);
    tutorial.SetPossible("clean", true); // no news: no second show
    EXPECT_EQ("+skip +tutorial_serve -tutorial_serve +tutorial_clean ", view.log);
    view.log.clear();
    tutorial.SetPossible("clean", false); // cleaned some other way, or not yet
    EXPECT_EQ("-tutorial_clean ", view.log);
    tutorial.SetPossible("clean", true);
    tutorial.OnEvent("clean");
    // Paying comes with serving: the money tip shows while a client waits.
    EXPECT_EQ("-tutorial_clean +tutorial_clean -tutorial_clean +tutorial_money ", view.log);
    tutorial.SetPossible("serve", false);
    tutorial.OnEvent("pay");
    EXPECT_FALSE(tutorial.IsRunning());
    EXPECT_EQ("-tutorial_clean +tutorial_clean -tutorial_clean +tutorial_money -tutorial_money "
              "-skip ",
              view.log);

    view.log.clear();
    tutorial.SetPossible("serve", true);
    tutorial.Start(steps, &view);
    tutorial.Skip();
    EXPECT_FALSE(tutorial.IsRunning());
    EXPECT_EQ("+skip +tutorial_serve -tutorial_serve -skip ", view.log);
    tutorial.Skip(); // nothing left to hide
    tutorial.SetPossible("clean", true);
    EXPECT_EQ("+skip +tutorial_serve -tutorial_serve -skip ", view.log);
}
