#include "game/gameplay/KpTutorialController.h"

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
    Refresh();
}

void KpTutorialController::Skip()
{
    if (!IsRunning())
        return;
    mCurrent = -1;
    Refresh();
    if (mView)
        mView->ShowTutorialSkip(false);
    Stop();
}

void KpTutorialController::Stop()
{
    mSteps.clear();
    mCurrent = -1;
    mShown = -1;
    mView = nullptr;
}

void KpTutorialController::OnEvent(const std::string& event)
{
    if (!IsRunning() || mSteps[mCurrent].wait != event)
        return;
    mCurrent++;
    Refresh();
    if (!IsRunning())
    {
        if (mView)
            mView->ShowTutorialSkip(false);
        Stop();
    }
}

void KpTutorialController::SetPossible(const std::string& event, bool possible)
{
    mPossible[event] = possible;
    Refresh();
}

bool KpTutorialController::IsPossible(const std::string& event) const
{
    // Paying comes with serving: it can happen while a serve can.
    auto found = mPossible.find(event == "pay" ? std::string("serve") : event);
    return found == mPossible.end() || found->second;
}

void KpTutorialController::Refresh()
{
    int wanted = IsRunning() && IsPossible(mSteps[mCurrent].wait) ? mCurrent : -1;
    if (wanted == mShown)
        return;
    if (mView && mShown >= 0 && mShown < int(mSteps.size()))
        mView->ShowTutorialElement(mSteps[mShown].show, false);
    mShown = wanted;
    if (mView && mShown >= 0)
        mView->ShowTutorialElement(mSteps[mShown].show, true);
}
