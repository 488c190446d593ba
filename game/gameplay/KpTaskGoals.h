// The five task goals of the running level, in the HUD's order: 0 flash
// (quick serves), 1 clean (tables cleaned), 2 expert (the expert money), 3
// match (serves in a row without a client walking out), 4 mega (goals 0 to 3
// all met). Each has a target and a remaining count that the play counts down;
// a target of 0 leaves the goal out of the level.
#pragma once

#include "game/gameplay/KpLevelData.h"

class KpTaskGoals
{
public:
    // New targets; every remaining count starts at its target.
    void Reset(const int targets[kTaskGoalCount]);
    // No goal at all (no level).
    void Clear();

    int GetTarget(int i) const { return IsIndex(i) ? mTarget[i] : 0; }
    int GetRemaining(int i) const { return IsIndex(i) ? mRemaining[i] : 0; }

    // Goal i (0-4) is met: 2 when the expert money was reached, 4 when goals
    // 0 to 3 all are, the others when their target is above 0 and counted down.
    bool IsGoalMet(int i) const;

    // --- counting by the play; each returns true when a count changed
    // One step down of goal 0, 1 or 3 (never below 0).
    bool CountDown(int i);
    // Goal 3's row was broken: it starts over unless it is already met.
    bool ResetChain();
    // The expert money was reached (goal 2).
    bool SetExpertReached();

private:
    static bool IsIndex(int i) { return i >= 0 && i < kTaskGoalCount; }
    // Keeps goal 4's count in step with goals 0 to 3.
    void UpdateMega();

    int mTarget[kTaskGoalCount] = {};
    int mRemaining[kTaskGoalCount] = {};
    bool mExpertReached = false;
};

extern KpTaskGoals gTaskGoals;
