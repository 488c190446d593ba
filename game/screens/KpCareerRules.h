// The career's fixed rules, kept apart from the book's widgets so they can be
// checked on their own: 59 levels in three cafes (a level is a day of its
// cafe), the result of a finished level stored in a player profile, and the
// career total that goes into the career records. Profile values may come
// from a damaged file: every index is clamped before it is used.
#pragma once

#include <cstdint>

struct KpProfile;

struct CareerCafe
{
    int cafe;        // 1 to 3
    int firstLevel;  // its first career level
    int levelOffset; // level minus day
    int days;        // levels in the cafe
};

const int kCareerLastLevel = 59; // levels 1 to 59
const int kCareerDaySlots = 24;  // day slots on a page
const int kCareerAwardCount = 5; // flash, clean, expert, match, mega
const int kCareerCafeCount = 3;

// The cafe of a number 1 to 3 (clamped).
const CareerCafe& GetCareerCafe(int cafe);
// The cafe a level belongs to: 1 below 16, 2 below 36, else 3.
int CareerCafeOfLevel(int level);
// highestLevel of a profile as the book may use it: 1 to 60.
int ClampHighestLevel(int highestLevel);
// A level number as the book may use it: 1 to 59.
int ClampCareerLevel(int level);
// Days of a cafe a player whose next level is highestLevel may choose: the
// days up to that level, all of a cafe left behind, and the first day of a
// cafe not reached (only a damaged profile opens one).
int CareerUnlockedDays(int cafe, int highestLevel);

// A level the profile has passed: below its highestLevel. Only such a level
// can hold a best money, an expert mark or awards; bytes of any other one
// come from a damaged file and show nothing.
bool IsCareerLevelPassed(const KpProfile& profile, int level);

// Result kinds the game board reports.
enum CareerResultKind
{
    kCareerExpert = 0, // the expert money was reached
    kCareerGoal = 1,   // the goal money was reached
    kCareerBelow = 2,  // below the goal money
    kCareerFailed = 3, // lost by the failure condition
};

// Stores a finished level's result in the profile: a passed level (kinds 0
// and 1) unlocks the next one when it was the highest, keeps every award
// earned now or before, marks the expert result, and keeps the best money.
// Returns true when the money beat the stored best, so the career total is
// offered to the records; kinds 2 and 3 change nothing.
bool ApplyCareerResult(KpProfile& profile, int money, int kind, int level,
                       const bool goalsMet[kCareerAwardCount]);
// The sum of the best money of levels 1 to highestLevel (at most level 59).
int64_t CareerTotal(const KpProfile& profile);
