#include "game/screens/KpComixEpisode.h"

#include <algorithm>

#include "game/screens/KpComixActor.h"

KpComixEpisode::~KpComixEpisode()
{
    for (KpComixActor* actor : mActors)
        delete actor;
}

void KpComixEpisode::AddActor(KpComixActor* actor)
{
    mActors.push_back(actor);
    mDuration = std::max(mDuration, actor->GetEndTime());
}

void KpComixEpisode::Start(float clock)
{
    mStartTime = clock;
    Apply(clock);
}

void KpComixEpisode::Apply(float clock)
{
    for (KpComixActor* actor : mActors)
        actor->Update(clock - mStartTime);
}

void KpComixEpisode::Skip(float clock)
{
    for (KpComixActor* actor : mActors)
        actor->Skip(clock);
}

void KpComixEpisode::End()
{
    for (KpComixActor* actor : mActors)
        actor->OnEpisodeEnd();
}

bool KpComixEpisode::IsRunning(float clock) const
{
    return clock <= mStartTime + mDuration + mFinishDelay;
}
