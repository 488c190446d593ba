// A simulated player for tuning the levels: plays a level on the game's own
// level board (the play, its rules, the tutorial and the day's end as the game
// runs them, with no window and no pictures), clicking as a person would:
// it notices a guest or a dirty table only after its reaction time, moves the
// pointer at its own speed and needs a moment between clicks. Two styles: a
// new player (slow, serves the guest nearest the pointer, cleans only when
// nobody waits) and a good player (quick, serves the most impatient guest
// first, cleans as soon as the queue needs a table). The new player also
// stops to read each tutorial tip when it appears.
#pragma once

#include <string>
#include <vector>

struct KpLevelData;

struct SimStyle
{
    const char* name;
    int reactMs;        // from a guest sitting down (a table left dirty) to the player seeing it
    int clickMs;        // the least time between two clicks
    int pointerSpeed;   // pixels per second the pointer travels between targets
    bool mostImpatient; // serves the guest with the least patience left, not the nearest
    bool cleansEarly;   // cleans while guests wait when a queue needs the table
    int readTipMs;      // reads each tutorial tip this long, eyes off the cafe (0: knows the game)
};

extern const SimStyle kNewPlayer;
extern const SimStyle kGoodPlayer;

// One day as a player played it.
struct SimDay
{
    int money = 0;
    bool failed = false; // the lives ran out
    int goalAtMs = -1;   // day time the goal money was reached (-1: never)
    int expertAtMs = -1; // day time the expert money was reached (-1: never)
    int served = 0, walkouts = 0;
};

// A career day, from the start to the close (or the last life lost).
SimDay SimPlayCareerDay(const KpLevelData& level, const SimStyle& style, unsigned seed);

// A survival run until its lives run out or maxDays days have closed: the
// money of each day begun (the last one may end early).
std::vector<int> SimPlaySurvival(const KpLevelData& level, const SimStyle& style, unsigned seed,
                                 int maxDays);

// Both players on one level (fixed seeds: the level's number), as the
// difficulty table's check and `levelgen --play` print it.
struct SimLevelRow
{
    int number = 0;
    bool endless = false;
    int dayLengthMs = 0, clients = 0, goal = 0, expert = 0;
    SimDay newDay, goodDay;           // career
    std::vector<int> newRun, goodRun; // survival: money of each day
};
SimLevelRow SimPlayLevel(const KpLevelData& level);

// The table's heading and one line per level.
std::string SimTableHeading();
std::string SimTableLine(const SimLevelRow& row);
