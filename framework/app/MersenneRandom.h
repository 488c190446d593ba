#pragma once

// The framework's pseudo-random generator: MT19937 with its standard initialisation, results
// cut to 31 bits. One global instance, gLumoRandom, is seeded from the tick count at start-up
// and re-seeded by demo playback, so a replay draws the same numbers; nothing else may seed it.

namespace Lumo
{

class MersenneRandom
{
public:
    enum
    {
        STATE_SIZE = 624
    };

    MersenneRandom(); // seeds 4357

    // A seed of 0 counts as 4357.
    void Seed(unsigned int theSeed);
    // 0 .. 2^31 - 1.
    unsigned int Next();
    // 0 .. theRange, both ends included.
    float NextFloat(float theRange);

private:
    void Regenerate();

    unsigned int mState[STATE_SIZE];
    int mIndex; // next word to hand out; STATE_SIZE means regenerate first
};

extern MersenneRandom gLumoRandom;

} // namespace Lumo

using Lumo::gLumoRandom;

// --- Global draws on gLumoRandom
void SeedRandom(unsigned int theSeed);
float RandomFloat(float theRange);

namespace Lumo
{
using ::RandomFloat;
using ::SeedRandom;
} // namespace Lumo
