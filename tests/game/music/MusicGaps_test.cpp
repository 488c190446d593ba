// The rule bench/music counts the gaps a player hears by: exact silence in
// both channels between music, never the silence a fade ends or starts in,
// nor what the recording's ends cut.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bench/music/MusicGaps.h"

namespace
{
// 48 frames a millisecond; a 440 Hz tone at `level` peak, with silence and
// quiet stretches laid over it as the case says.
struct Stretch
{
    int fromMs, toMs;
    double level; // 0: exact silence
};

std::vector<float> Tone(int ms, double level, std::initializer_list<Stretch> over)
{
    std::vector<float> stereo(size_t(ms) * 48 * 2);
    for (size_t f = 0; f < stereo.size() / 2; f++)
    {
        double at = level;
        for (const Stretch& s : over)
            if (f >= size_t(s.fromMs) * 48 && f < size_t(s.toMs) * 48)
                at = s.level;
        float v = float(at * std::sin(2 * 3.14159265358979 * 440 * double(f) / 48000 + 0.3));
        stereo[f * 2] = stereo[f * 2 + 1] = v;
    }
    return stereo;
}
} // namespace

TEST(MusicGaps, SilenceBetweenMusicCountsAndTheMusicsOwnSilenceDoesNot)
{
    struct Case
    {
        const char* what;
        std::vector<float> samples;
        std::vector<int> gapsMs; // start and length of each gap found, in ms
    } cases[] = {
        {"a 15 ms drop-out", Tone(200, 0.3, {{100, 115, 0}}), {100, 15}},
        {"two drop-outs", Tone(300, 0.3, {{50, 62, 0}, {200, 230, 0}}), {50, 12, 200, 30}},
        {"shorter than 10 ms", Tone(200, 0.3, {{100, 108, 0}}), {}},
        {"a fade's silence between quiet ends",
         Tone(300, 0.3, {{80, 120, 0.0005}, {120, 170, 0}, {170, 210, 0.0005}}),
         {}},
        {"quiet before, music after",
         Tone(300, 0.3, {{80, 120, 0.0005}, {120, 170, 0}}),
         {120, 50}},
        {"silence at the recording's ends", Tone(300, 0.3, {{0, 40, 0}, {260, 300, 0}}), {}},
    };
    for (const Case& c : cases)
    {
        std::vector<MusicGap> gaps =
            FindMusicGaps(c.samples.data(), c.samples.size() / 2, 480, 960, 0.003);
        std::vector<int> found;
        for (const MusicGap& gap : gaps)
        {
            // A sine crosses zero now and then: a gap may start or end a frame early.
            found.push_back(int(std::lround(double(gap.frame) / 48)));
            found.push_back(int(std::lround(double(gap.frames) / 48)));
        }
        EXPECT_EQ(c.gapsMs, found) << c.what;
    }
}

TEST(MusicGaps, OneChannelSilentIsNoGap)
{
    std::vector<float> samples = Tone(200, 0.3, {});
    for (size_t f = 100 * 48; f < 150 * 48; f++)
        samples[f * 2] = 0.0f;
    EXPECT_TRUE(FindMusicGaps(samples.data(), samples.size() / 2, 480, 960, 0.003).empty());
}
