#include "game/gameplay/KpTutorialController.h"

#include <algorithm>

KpTutorialController gTutorial;

void KpTutorialController::Start(const std::vector<KpTutorialStep>& steps, KpTutorialView* view)
{
    Stop();
    mSteps = steps;
    mView = view;
    if (mSteps.empty())
        return;
    mCurrent = 0;
    if (mView)
        mView->ShowTutorialSkip(true);
    ShowStep(0, true);
}

void KpTutorialController::Skip()
{
    if (!IsRunning())
        return;
    ShowStep(mCurrent, false);
    if (mView)
        mView->ShowTutorialSkip(false);
    Stop();
}

void KpTutorialController::Stop()
{
    mSteps.clear();
    mCurrent = -1;
    mView = nullptr;
}

void KpTutorialController::OnEvent(const std::string& event)
{
    if (!IsRunning() || mSteps[mCurrent].wait != event)
        return;
    ShowStep(mCurrent, false);
    mCurrent++;
    if (IsRunning())
        ShowStep(mCurrent, true);
    else
    {
        if (mView)
            mView->ShowTutorialSkip(false);
        Stop();
    }
}

bool KpTutorialController::IsAllowed(const std::string& action) const
{
    if (!IsRunning() || mSteps[mCurrent].allow.empty())
        return true;
    const std::vector<std::string>& allow = mSteps[mCurrent].allow;
    return std::find(allow.begin(), allow.end(), action) != allow.end();
}

void KpTutorialController::ShowStep(int index, bool show)
{
    if (mView && index >= 0 && index < int(mSteps.size()))
        mView->ShowTutorialElement(mSteps[index].show, show);
}
