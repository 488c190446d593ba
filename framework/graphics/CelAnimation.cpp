#include "framework/graphics/CelAnimation.h"

namespace Lumo
{

void CelAnimation::SetFrames(int frameCount, int beginDelay, int endDelay)
{
    mFrameCount = frameCount < 1 ? 1 : frameCount;
    if (mFrameDelay < 1)
        mFrameDelay = 1;

    if (mType == TYPE_PINGPONG && mFrameCount >= 2)
    {
        const int n = mFrameCount;
        mFrameMap.clear();
        for (int i = 0; i < n; i++)
            mFrameMap.push_back(i);
        for (int i = n - 2; i >= 1; i--)
            mFrameMap.push_back(i);
    }

    if (!mFrameMap.empty())
        mFrameCount = (int)mFrameMap.size();

    auto setDelay = [this](int index, int delay)
    {
        if ((int)mPerFrameDelay.size() < index + 1)
            mPerFrameDelay.resize(index + 1, 0);
        mPerFrameDelay[index] = delay;
    };
    if (beginDelay > 0)
        setDelay(0, beginDelay);
    if (endDelay > 0)
        setDelay(mFrameCount - 1, endDelay);

    if (!mPerFrameDelay.empty())
    {
        mPerFrameDelay.resize(mFrameCount, 0);
        mTotalTime = 0;
        for (int& d : mPerFrameDelay)
        {
            if (d < 1)
                d = mFrameDelay;
            mTotalTime += d;
        }
    }
    else
    {
        mTotalTime = mFrameCount * mFrameDelay;
    }

    if (!mFrameMap.empty())
        mFrameMap.resize(mFrameCount);
}

} // namespace Lumo
