// The career book on profiles made by the tests: which days and cafes are
// open, what a finished level stores (unlocking, best money, awards that stay
// earned, the expert mark, the career total in the records), and damaged
// profile values that the book must not index with.
#include "game/screens/KpBoard_Career.h"

#include <gtest/gtest.h>

#include "game/engine/KpLocTable.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpTextVars.h"
#include "game/gameplay/KpTaskGoals.h"
#include "tests/game/screens/ScreensTestSupport.h"

namespace
{
class Career : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreshProfileFile(L"Lucie");
        // An empty career table, so every total the book offers enters it.
        KpRecord* records = gProfileFile.GetRecords(false);
        for (int i = 0; i < kRecordCount; i++)
            records[i] = KpRecord();
        book = new KpBoard_Career(TestEngine(), ScreensLayoutRoot());
        gEngine3Boards[kBoardCareer] = book;
    }
    void TearDown() override
    {
        ClearScreens();
        gTaskGoals.Clear();
    }

    // What the book shows for the profile's highest level.
    void Open(int highestLevel)
    {
        gProfileFile.mProfile.highestLevel = highestLevel;
        book->selectedDay = -1;
        book->SelectHighestLevel();
        book->SetupCafePage(true);
        book->RefreshDays(false, false);
    }
    bool DayOpen(int day) { return !book->dayButtons[day - 1]->mDisabled; }
    bool TabOpen(int cafe) { return !book->cafeButton[cafe - 1]->mDisabled; }

    KpBoard_Career* book = nullptr;
};

const int kNoGoals[5] = {0, 0, 0, 0, 0};
} // namespace

TEST_F(Career, NewProfileShowsDayOneOfTheFirstCafeWithTheOthersLocked)
{
    Open(1);
    EXPECT_EQ(book->shownCafe, 1);
    EXPECT_EQ(book->selectedDay, 1);
    EXPECT_EQ(book->unlockedDays, 1);
    EXPECT_TRUE(DayOpen(1));
    EXPECT_FALSE(DayOpen(2));
    EXPECT_TRUE(book->dayButtons[14]->mVisible);
    EXPECT_FALSE(book->dayButtons[15]->mVisible); // cafe 1 has 15 days
    EXPECT_FALSE(TabOpen(2));
    EXPECT_FALSE(TabOpen(3));
    EXPECT_FALSE(book->goalTicks[0]->mVisible || book->expertTicks[0]->mVisible);
    EXPECT_EQ(GetTextVars()->Get("brief_debrief"), GetEngineLocTable()->GetText("breif_qq"));
    EXPECT_EQ(book->briefingImageName, "briefing_qq");
    EXPECT_EQ(book->cafeImageName, "cafe_1");
}

TEST_F(Career, CafesOpenAtTheirFirstLevelsAndTheLastDayLeavesEverythingOpen)
{
    Open(15);
    EXPECT_FALSE(TabOpen(2));
    EXPECT_EQ(book->selectedDay, 15);
    Open(16);
    EXPECT_TRUE(TabOpen(2));
    EXPECT_FALSE(TabOpen(3));
    EXPECT_EQ(book->shownCafe, 2);
    EXPECT_EQ(book->selectedDay, 1);
    EXPECT_EQ(book->GetSelectedLevel(), 16);
    Open(35);
    EXPECT_FALSE(TabOpen(3));
    Open(36);
    EXPECT_TRUE(TabOpen(3));
    EXPECT_EQ(book->shownCafe, 3);
    Open(60);
    EXPECT_EQ(book->shownCafe, 3);
    EXPECT_EQ(book->selectedDay, 24);
    EXPECT_TRUE(DayOpen(24));
    // A played day shows its own text and picture.
    EXPECT_EQ(GetTextVars()->Get("brief_debrief"), GetEngineLocTable()->GetText("breif_l59"));
    EXPECT_EQ(book->briefingImageName, "briefing_59");
}

TEST_F(Career, LevelResultsUnlockKeepTheBestMoneyAndAwardsAndEnterTheCareerTotal)
{
    KpProfile& profile = gProfileFile.mProfile;
    Open(1);
    // Below the goal and failed: nothing stored, but the money is shown.
    book->StartLevel(1);
    book->SetLevelResult(30, kCareerBelow, 1);
    book->SetLevelResult(10, kCareerFailed, 1);
    EXPECT_EQ(profile.highestLevel, 1);
    EXPECT_EQ(profile.levelMoney[1], 0);
    EXPECT_EQ(GetTextVars()->Get("debrief_money"), L"10");

    // Goal reached with flash and expert goals met.
    const int targets[5] = {1, 0, 1, 0, 0};
    gTaskGoals.Reset(targets);
    gTaskGoals.CountDown(0);
    gTaskGoals.SetExpertReached();
    book->SetLevelResult(70, kCareerGoal, 1);
    EXPECT_EQ(profile.highestLevel, 2);
    EXPECT_EQ(profile.levelMoney[1], 70);
    EXPECT_EQ(profile.levelGoals[1][0], 1);
    EXPECT_EQ(profile.levelGoals[1][2], 1);
    EXPECT_EQ(profile.levelExpert[1], 0);
    EXPECT_TRUE(book->goalTicks[0]->mVisible);
    EXPECT_TRUE(DayOpen(2));
    EXPECT_EQ(gProfileFile.GetRecords(false)[0].score, 70);

    // Again at expert level with less money and no goals: the best money and
    // the awards stay, the expert mark comes, no new record.
    gTaskGoals.Reset(kNoGoals);
    book->SetLevelResult(50, kCareerExpert, 1);
    EXPECT_EQ(profile.highestLevel, 2);
    EXPECT_EQ(profile.levelMoney[1], 70);
    EXPECT_EQ(profile.levelGoals[1][0], 1);
    EXPECT_EQ(profile.levelExpert[1], 1);
    EXPECT_TRUE(book->expertTicks[0]->mVisible);
    EXPECT_FALSE(book->goalTicks[0]->mVisible);
    EXPECT_EQ(gProfileFile.GetRecords(false)[1].score, 0);

    // Day 2 for more: the total of both days goes into the career table.
    book->SetLevelResult(40, kCareerGoal, 2);
    EXPECT_EQ(profile.highestLevel, 3);
    EXPECT_EQ(gProfileFile.GetRecords(false)[0].score, 110);
    EXPECT_EQ(gProfileFile.GetRecords(false)[0].name, L"Lucie");
    EXPECT_EQ(gProfileFile.GetRecords(false)[1].score, 70);
}

TEST_F(Career, TheLastLevelsTotalStopsAtLevelFiftyNineAndBadValuesAreClamped)
{
    KpProfile& profile = gProfileFile.mProfile;
    for (int level = 1; level <= 59; level++)
        profile.levelMoney[level] = 1;
    profile.highestLevel = 59;
    book->SetLevelResult(5, kCareerGoal, 59);
    EXPECT_EQ(profile.highestLevel, 60);
    EXPECT_EQ(CareerTotal(profile), 58 + 5);
    EXPECT_EQ(gProfileFile.GetRecords(false)[0].score, 63);

    // Values no book can index: shown as the nearest sane ones.
    Open(1000);
    EXPECT_EQ(book->shownCafe, 3);
    EXPECT_EQ(book->selectedDay, 24);
    Open(-7);
    EXPECT_EQ(book->shownCafe, 1);
    EXPECT_EQ(book->selectedDay, 1);
    book->SetLevelResult(10, kCareerGoal, 400);
    book->StartLevel(99);
    EXPECT_EQ(book->startedLevel, 59);
    EXPECT_EQ(book->GetSelectedLevel(), 59);
}

TEST_F(Career, EarnedAwardsArePackedFromTheLeft)
{
    KpProfile& profile = gProfileFile.mProfile;
    profile.levelGoals[3][1] = profile.levelGoals[3][3] = profile.levelGoals[3][4] = 1;
    profile.levelMoney[3] = 20;
    Open(5);
    book->selectedDay = 3;
    book->RefreshDays(false, false);
    KpCandyWidget* right = book->careerPage->FindChild("right_page");
    KpCandyWidget* clean = right->FindChild("achiev_clean_active");
    KpCandyWidget* match = right->FindChild("achiev_match_active");
    KpCandyWidget* mega = right->FindChild("achiev_mega_active");
    EXPECT_FALSE(right->FindChild("achiev_flash_active")->mVisible);
    EXPECT_TRUE(clean->mVisible && match->mVisible && mega->mVisible);
    EXPECT_EQ(clean->mX, 60);
    EXPECT_EQ(clean->mY, 353);
    EXPECT_EQ(match->mX, 126);
    EXPECT_EQ(mega->mX, 355); // the mega award keeps its place
    EXPECT_EQ(GetTextVars()->Get("level_score"), L"20");
    EXPECT_EQ(book->briefingImageName, "briefing_03");
}

TEST_F(Career, DaysNotPassedShowNoMarksOrAwardsWhateverTheFileHolds)
{
    // A damaged file: money, the expert mark and every award on every day.
    KpProfile& profile = gProfileFile.mProfile;
    for (int level = 1; level < kProfileLevels; level++)
    {
        profile.levelMoney[level] = 99;
        profile.levelExpert[level] = 1;
        for (int i = 0; i < kProfileGoals; i++)
            profile.levelGoals[level][i] = 1;
    }
    KpCandyWidget* right = book->careerPage->FindChild("right_page");
    auto anyAward = [&]
    {
        bool any = false;
        for (const char* icon :
             {"achiev_flash_active", "achiev_clean_active", "achiev_expert_active",
              "achiev_match_active", "achiev_mega_active"})
            any = any || right->FindChild(icon)->mVisible;
        return any;
    };
    // Days 1 and 2 were passed; day 3 is the one to play.
    Open(3);
    EXPECT_TRUE(book->expertTicks[0]->mVisible && book->expertTicks[1]->mVisible);
    EXPECT_FALSE(book->expertTicks[2]->mVisible || book->goalTicks[2]->mVisible);
    EXPECT_FALSE(anyAward());
    book->selectedDay = 2;
    book->RefreshDays(false, false);
    EXPECT_TRUE(anyAward());
    // A cafe not reached yet (only a damaged file opens it) shows its first day bare.
    book->shownCafe = 2;
    book->SetupCafePage(true);
    book->RefreshDays(false, false);
    EXPECT_EQ(book->GetSelectedLevel(), 16);
    EXPECT_FALSE(book->expertTicks[0]->mVisible || book->goalTicks[0]->mVisible);
    EXPECT_FALSE(anyAward());
}

TEST_F(Career, NextDayIntoANewCafeOpensOnlyItsDaysUpToTheHighestLevel)
{
    for (int last : {15, 35})
    {
        Open(last);
        book->StartLevel(last);
        book->SetLevelResult(500, kCareerGoal, last);
        book->StartLevel(last + 1); // the debriefing's "Next day"
        book->OnShow();
        EXPECT_EQ(book->shownCafe, CareerCafeOfLevel(last + 1)) << last;
        EXPECT_EQ(book->unlockedDays, 1) << last;
        EXPECT_TRUE(DayOpen(1)) << last;
        EXPECT_FALSE(DayOpen(2)) << last;
    }
}
