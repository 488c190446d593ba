#include "game/gameplay/KpTaskGoals.h"

KpTaskGoals gTaskGoals;

void KpTaskGoals::Reset(const int targets[kTaskGoalCount])
{
    for (int i = 0; i < kTaskGoalCount; i++)
        mTarget[i] = mRemaining[i] = targets[i] > 0 ? targets[i] : 0;
    mExpertReached = false;
}

void KpTaskGoals::Clear()
{
    const int none[kTaskGoalCount] = {};
    Reset(none);
}

bool KpTaskGoals::IsGoalMet(int i) const
{
    switch (i)
    {
    case 2:
        return mExpertReached;
    case 4:
        return IsGoalMet(0) && IsGoalMet(1) && IsGoalMet(2) && IsGoalMet(3);
    case 0:
    case 1:
    case 3:
        return mTarget[i] > 0 && mRemaining[i] == 0;
    default:
        return false;
    }
}

bool KpTaskGoals::CountDown(int i)
{
    if ((i != 0 && i != 1 && i != 3) || mRemaining[i] <= 0)
        return false;
    mRemaining[i]--;
    UpdateMega();
    return true;
}

bool KpTaskGoals::ResetChain()
{
    if (mRemaining[3] <= 0 || mRemaining[3] == mTarget[3])
        return false;
    mRemaining[3] = mTarget[3];
    return true;
}

bool KpTaskGoals::SetExpertReached()
{
    if (mExpertReached)
        return false;
    mExpertReached = true;
    if (mRemaining[2] > 0)
        mRemaining[2] = 0;
    UpdateMega();
    return true;
}

void KpTaskGoals::UpdateMega()
{
    if (mRemaining[4] > 0 && IsGoalMet(4))
        mRemaining[4] = 0;
}
