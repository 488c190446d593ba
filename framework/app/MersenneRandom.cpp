#include "framework/app/MersenneRandom.h"

namespace Lumo
{

MersenneRandom gLumoRandom;

MersenneRandom::MersenneRandom()
{
    Seed(4357);
}

void MersenneRandom::Seed(unsigned int theSeed)
{
    mState[0] = theSeed ? theSeed : 4357u;
    for (int i = 1; i < STATE_SIZE; i++)
        mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + (unsigned int)i;
    mIndex = STATE_SIZE;
}

void MersenneRandom::Regenerate()
{
    static const unsigned int kMag[2] = {0u, 0x9908B0DFu};
    const int M = 397;
    int k = 0;
    for (; k < STATE_SIZE - M; k++)
    {
        unsigned int y = (mState[k] & 0x80000000u) | (mState[k + 1] & 0x7FFFFFFFu);
        mState[k] = mState[k + M] ^ (y >> 1) ^ kMag[y & 1];
    }
    for (; k < STATE_SIZE - 1; k++)
    {
        unsigned int y = (mState[k] & 0x80000000u) | (mState[k + 1] & 0x7FFFFFFFu);
        mState[k] = mState[k + M - STATE_SIZE] ^ (y >> 1) ^ kMag[y & 1];
    }
    unsigned int y = (mState[STATE_SIZE - 1] & 0x80000000u) | (mState[0] & 0x7FFFFFFFu);
    mState[STATE_SIZE - 1] = mState[M - 1] ^ (y >> 1) ^ kMag[y & 1];
    mIndex = 0;
}

unsigned int MersenneRandom::Next()
{
    if (mIndex >= STATE_SIZE)
        Regenerate();
    unsigned int y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y & 0x7FFFFFFFu;
}

float MersenneRandom::NextFloat(float theRange)
{
    return (float)((double)Next() / 2147483647.0 * (double)theRange);
}

} // namespace Lumo

void SeedRandom(unsigned int theSeed)
{
    Lumo::gLumoRandom.Seed(theSeed);
}

float RandomFloat(float theRange)
{
    return Lumo::gLumoRandom.NextFloat(theRange);
}
