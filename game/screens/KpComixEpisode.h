// One episode of a comic: actors that run on a clock starting when the
// episode starts. It lasts as long as its longest actor plus a finish delay,
// after which the player starts the next one; a click skips it at once.
#pragma once

#include <vector>

class KpComixActor;

class KpComixEpisode
{
public:
    explicit KpComixEpisode(float finishDelay) : mFinishDelay(finishDelay) {}
    // Deletes the actors.
    ~KpComixEpisode();
    KpComixEpisode(const KpComixEpisode&) = delete;
    KpComixEpisode& operator=(const KpComixEpisode&) = delete;

    // Takes the actor; the duration grows to its end time.
    void AddActor(KpComixActor* actor);
    // The episode starts at the comic's clock and is applied at once.
    void Start(float clock);
    // Every actor's Update with the clock less the start time.
    void Apply(float clock);
    // Every actor's Skip with the comic's clock itself.
    void Skip(float clock);
    // Every actor's OnEpisodeEnd.
    void End();
    // Until start + duration + finish delay (summed in that order) has passed.
    bool IsRunning(float clock) const;

    float mStartTime = 0.0f;            // the comic's clock when the episode started
    float mFinishDelay;                 // seconds after the last actor
    float mDuration = 0.0f;             // seconds: the latest end time of its actors
    std::vector<KpComixActor*> mActors; // owned
};
