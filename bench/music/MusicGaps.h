// The gaps a listener hears in a recording of the sound device: stretches of
// exact digital silence in both channels while music plays on either side.
// The game's music has no true silence, but a change of track fades to
// nothing and stops, and a track fades in from nothing: a silence whose
// neighbourhood is that quiet on both sides is the music's own, not a gap.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

struct MusicGap
{
    size_t frame;  // first silent frame
    size_t frames; // how long the silence lasts
};

// The silences of at least `minFrames` frames in interleaved stereo float
// samples that have sound louder than `level` (root mean square, full scale 1)
// within `edgeFrames` before or after them. A silence that runs into either
// end of the samples is left out: what lay beyond is unknown.
inline std::vector<MusicGap> FindMusicGaps(const float* stereo, size_t frames, size_t minFrames,
                                           size_t edgeFrames, double level)
{
    auto loud = [&](size_t from, size_t to)
    {
        double sum = 0;
        for (size_t f = from; f < to; f++)
            sum += double(stereo[f * 2]) * stereo[f * 2] +
                   double(stereo[f * 2 + 1]) * stereo[f * 2 + 1];
        return to > from && std::sqrt(sum / double(2 * (to - from))) > level;
    };
    std::vector<MusicGap> gaps;
    size_t f = 0;
    while (f < frames)
    {
        if (stereo[f * 2] != 0.0f || stereo[f * 2 + 1] != 0.0f)
        {
            f++;
            continue;
        }
        size_t start = f;
        while (f < frames && stereo[f * 2] == 0.0f && stereo[f * 2 + 1] == 0.0f)
            f++;
        if (start == 0 || f == frames || f - start < minFrames)
            continue;
        size_t before = start > edgeFrames ? start - edgeFrames : 0;
        size_t after = f + edgeFrames < frames ? f + edgeFrames : frames;
        if (loud(before, start) || loud(f, after))
            gaps.push_back({start, f - start});
    }
    return gaps;
}
