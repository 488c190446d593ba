// The difficulty of the shipped levels, played on the game's own board by the
// level generator's simulated players: a new player makes the goal on the
// first days of cafe 1 (on the days with tips, reading each one and losing at
// most one heart) and falls short from the last days of cafe 1 on; a good
// player makes the expert money on every day, but only near its end; in
// survival the good player lasts longer than the new one. The table of what
// both earn is printed with the result.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "framework/app/StringUtils.h"
#include "game/gameplay/KpLevelData.h"
#include "tests/game/gameplay/GameplayTestSupport.h"
#include "tools/levelgen/SimPlayer.h"

namespace
{
// Cafe 1's days on which a new player must make the goal, and its last days
// on which it must not.
const int kEasyDays = 5, kHardLastDays = 3;
// Cafe 1's days that show tips.
const int kTutorialDays = 2;
// The good player's expert money comes in this part of the day, percent.
const int kExpertFrom = 75, kExpertTo = 99;
} // namespace

TEST(Difficulty, ANewPlayerLearnsOnCafeOneAndAGoodPlayerMakesExpertNearEachDaysEnd)
{
    std::string table = SimTableHeading();
    for (bool endless : {false, true})
        for (int n = 1; n <= (endless ? kSurvivalLevelCount : kCareerLevelCount); n++)
        {
            std::string name = Lumo::StrFormat(endless ? "e%03d.xml" : "l%03d.xml", n);
            std::unique_ptr<KpLevelData> level(LevelFromText(ShippedLevelText(name), n, endless));
            SimLevelRow row = SimPlayLevel(*level);
            table += SimTableLine(row);
            if (endless)
            {
                // Longer, or as long and with more money on the last day.
                size_t newDays = row.newRun.size(), goodDays = row.goodRun.size();
                EXPECT_TRUE(goodDays > newDays ||
                            (goodDays == newDays && row.goodRun.back() > row.newRun.back()))
                    << name;
                if (n == 1)
                {
                    EXPECT_GT(newDays, 1u) << name << ": a new player gets through a day";
                }
                continue;
            }
            int cafe = LevelCafe(n, false), day = LevelDay(n);
            bool newMadeGoal = !row.newDay.failed && row.newDay.money >= row.goal;
            if (cafe == 1 && day <= kEasyDays)
            {
                EXPECT_TRUE(newMadeGoal) << name << ": a new player makes the early days";
            }
            if (cafe == 1 && day <= kTutorialDays)
            {
                EXPECT_LE(row.newDay.walkouts, 1)
                    << name << ": reading the tips costs a heart at most";
            }
            if (cafe > 1 || day > 15 - kHardLastDays)
            {
                EXPECT_FALSE(newMadeGoal) << name << ": later days need more than a new player";
            }
            EXPECT_FALSE(row.goodDay.failed) << name;
            ASSERT_GE(row.goodDay.expertAtMs, 0) << name << ": a good player makes expert";
            int at = row.goodDay.expertAtMs * 100 / row.dayLengthMs;
            EXPECT_GE(at, kExpertFrom) << name << ": expert comes too early";
            EXPECT_LE(at, kExpertTo) << name;
        }
    printf("%s", table.c_str());
}
