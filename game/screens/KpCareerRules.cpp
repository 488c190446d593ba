#include "game/screens/KpCareerRules.h"

#include "game/engine/KpProfileFile.h"

namespace
{
const CareerCafe kCafes[kCareerCafeCount] = {
    {1, 1, 0, 15},
    {2, 16, 15, 20},
    {3, 36, 35, 24},
};
} // namespace

const CareerCafe& GetCareerCafe(int cafe)
{
    cafe = cafe < 1 ? 1 : (cafe > kCareerCafeCount ? kCareerCafeCount : cafe);
    return kCafes[cafe - 1];
}

int CareerCafeOfLevel(int level)
{
    return level < 16 ? 1 : (level < 36 ? 2 : 3);
}

int ClampHighestLevel(int highestLevel)
{
    return highestLevel < 1
               ? 1
               : (highestLevel > kCareerLastLevel + 1 ? kCareerLastLevel + 1 : highestLevel);
}

int ClampCareerLevel(int level)
{
    return level < 1 ? 1 : (level > kCareerLastLevel ? kCareerLastLevel : level);
}

int CareerUnlockedDays(int cafe, int highestLevel)
{
    const CareerCafe& c = GetCareerCafe(cafe);
    int days = ClampHighestLevel(highestLevel) - c.levelOffset;
    return days < 1 ? 1 : (days > c.days ? c.days : days);
}

bool IsCareerLevelPassed(const KpProfile& profile, int level)
{
    return level >= 1 && level < ClampHighestLevel(profile.highestLevel);
}

bool ApplyCareerResult(KpProfile& profile, int money, int kind, int level,
                       const bool goalsMet[kCareerAwardCount])
{
    if (kind != kCareerExpert && kind != kCareerGoal)
        return false;
    if (level < 1 || level > kCareerLastLevel)
        return false;
    if (level == profile.highestLevel)
        profile.highestLevel = level + 1;
    for (int i = 0; i < kCareerAwardCount; i++)
        if (goalsMet[i])
            profile.levelGoals[level][i] = 1;
    if (kind == kCareerExpert)
        profile.levelExpert[level] = 1;
    if (money <= profile.levelMoney[level])
        return false;
    profile.levelMoney[level] = money;
    return true;
}

int64_t CareerTotal(const KpProfile& profile)
{
    // Indexes stop at 59: after the last level highestLevel is 60, past the table.
    int last = ClampHighestLevel(profile.highestLevel);
    if (last > kCareerLastLevel)
        last = kCareerLastLevel;
    int64_t total = 0;
    for (int level = 1; level <= last; level++)
        total += profile.levelMoney[level];
    return total;
}
