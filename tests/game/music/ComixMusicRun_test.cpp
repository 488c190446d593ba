// The music at the edges between the menus, level 1's opening comic and the
// day, in the real game with the file sound device: the menu's tune carries
// on under the comic (it used to play in silence), and each edge cuts or
// fades as the tracks are told. An archive laid over the game's makes the
// menu's and the first cafe's music pure tones of two pitches, so the level
// of each is read from the captured sound window by window, on the device's
// own clock: a cut takes a few milliseconds of it and does not click, a fade
// a good part of a second, and a change of stream fades the old one out
// while the new one comes in.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "framework/app/PakWriter.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_Debriefing.h"
#include "game/screens/KpComix.h"
#include "tests/game/music/MusicGameTest.h"
#include "tests/support/TempFolder.h"

namespace
{
// Whole cycles of both in a window of 2.5 ms.
const double kMenuHz = 800, kCafeHz = 2000;
const int kWindowFrames = SoundCapture::kRate / 400;
const double kWindowMs = 2.5;

// What the device played: its samples and each tone's amplitude (full scale
// 1), window by window.
struct Capture
{
    std::vector<int16_t> samples;
    std::vector<size_t> joins; // where the capture left out silence of its own
    std::vector<double> menu, cafe;
};

// Where a level went from `from` to `to` (up or down): the last window at
// `from` before the first at `to`, and that one.
struct Edge
{
    int from = -1, to = -1;
    double Ms() const { return from < 0 ? -1.0 : (to - from) * kWindowMs; }
};

Edge FindEdge(const std::vector<double>& level, double from, double to)
{
    const bool up = to > from;
    for (size_t j = 0; j < level.size(); j++)
        if (up ? level[j] >= to : level[j] <= to)
            for (size_t i = j; i-- > 0;)
                if (up ? level[i] <= from : level[i] >= from)
                    return {int(i), int(j)};
    return {};
}

int FirstReaching(const std::vector<double>& level, double to)
{
    return int(std::find_if(level.begin(), level.end(), [&](double l) { return l >= to; }) -
               level.begin());
}

class ComixMusicRun : public MusicGameTest
{
protected:
    // What the device played from the action until the condition held and the
    // music settled.
    template <typename Action, typename Condition> Capture Record(Action action, Condition until)
    {
        const size_t mark = SoundCapture::Mark();
        action();
        EXPECT_TRUE(Until(until));
        const size_t settled = Settled();
        Until([&] { return SoundCapture::Has(settled, 300); });
        Capture heard;
        heard.samples = SoundCapture::Between(mark, SoundCapture::Mark(), &heard.joins);
        heard.menu = SoundCapture::ToneLevels(heard.samples, kMenuHz, kWindowFrames);
        heard.cafe = SoundCapture::ToneLevels(heard.samples, kCafeHz, kWindowFrames);
        return heard;
    }
    // Each level as a share of the stream's full one.
    std::vector<double> Menu(const Capture& heard) const { return Shares(heard.menu, mFullMenu); }
    std::vector<double> Cafe(const Capture& heard) const { return Shares(heard.cafe, mFullCafe); }
    static std::vector<double> Shares(std::vector<double> levels, double full)
    {
        for (double& level : levels)
            level /= full;
        return levels;
    }
    // The largest step between neighbouring samples around the edge, against
    // the most that the two tones at their levels there step: a click is far
    // above 1. A step across a join of the capture's is no step of the sound's.
    static double Click(const Capture& heard, Edge edge)
    {
        const int from = std::max(0, edge.from - 2), to = edge.to + 2;
        double own = 0;
        int step = 0;
        for (int w = from; w < to && w < int(heard.menu.size()); w++)
        {
            own = std::max(
                own, 2 * (heard.menu[w] * std::sin(3.14159265 * kMenuHz / SoundCapture::kRate) +
                          heard.cafe[w] * std::sin(3.14159265 * kCafeHz / SoundCapture::kRate)));
            for (int f = w * kWindowFrames + 1; f < (w + 1) * kWindowFrames; f++)
                if (std::find(heard.joins.begin(), heard.joins.end(), size_t(f)) ==
                    heard.joins.end())
                    step = std::max(step, std::abs(heard.samples[size_t(f) * 2] -
                                                   heard.samples[size_t(f - 1) * 2]));
        }
        return step / 32768.0 / own;
    }
    // Why a ramp of the layer's may have clicked after all.
    static std::string Late()
    {
        return "; changes written after the mixer had reached them: " +
               std::to_string(SndLateStreamChanges());
    }
    static bool AtFullLevel(const char* id) { return Heard(id) && Track(id)->GetLevel() == 1.0; }

    // The archive stays mapped until the game has gone.
    void TearDown() override
    {
        MusicGameTest::TearDown();
        if (!mFolder.Path().empty())
            mFolder.Leave();
    }

    TempFolder mFolder;
    double mFullMenu = 1, mFullCafe = 1;
};
} // namespace

TEST_P(ComixMusicRun, EveryEdgeOfTheComicAndTheDayCutsOrFadesOnTheDevicesClock)
{
    if (!SoundCapture::Available())
        GTEST_SKIP() << "needs the file device that ctest sets up";
    ASSERT_NO_FATAL_FAILURE(mFolder.Enter("comix_tones_"));
    const std::string tones = mFolder.Path() + "\\tones.pak";
    std::vector<uint8_t> pak;
    ASSERT_TRUE(PakBuildArchive({{"music\\menu.ogg", 0, SineWav(kMenuHz, 44100, 0.5)},
                                 {"music\\cafe1.ogg", 0, SineWav(kCafeHz, 44100, 0.5)}},
                                pak, nullptr));
    WriteTestFile(tones, std::string(pak.begin(), pak.end()));
    ASSERT_NO_FATAL_FAILURE(LaunchWithProfile(L"Comic", tones));
    GetSoundManager()->SoundSetMasterVolume(0); // the device hears the music alone
    ASSERT_TRUE(Until([] { return AtFullLevel("main_menu"); }));
    const Capture menu = Record([] {}, [] { return true; });
    mFullMenu = *std::max_element(menu.menu.begin(), menu.menu.end());
    ASSERT_GT(mFullMenu, 0.05) << "the device heard no menu music";

    // Level 1's comic shows: the current stream (the menu's) stops through
    // its fade-out, and 0.1 s in the comic plays the same tune, at full level
    // at once. At the game's own pace, so that the sound layer surely takes
    // up the fade's first steps before the tune comes back.
    mGame->mUpdateMultiplier = 1.0;
    KpComix* comix = nullptr;
    const Capture shown =
        Record([] { StartLevelFromMenus(1); },
               [&]
               {
                   comix = dynamic_cast<KpComix*>(gGameBoard3->mComix);
                   return gGameBoard3->IsCutSceneShown() && comix->GetClock() >= 0.5f;
               });
    mGame->mUpdateMultiplier = 4.0;
    ASSERT_NE(nullptr, comix);
    EXPECT_EQ(nullptr, GetEngineMusic()->GetCurrent());
    EXPECT_TRUE(AtFullLevel("main_menu"));
    std::vector<double> level = Menu(shown);
    const size_t low = std::min_element(level.begin(), level.end()) - level.begin();
    const double dip = 1 - level[low];
    std::vector<double> after(level.begin() + low, level.end());
    Edge back = FindEdge(after, level[low] + dip * 0.1, 1 - dip * 0.1);
    back.from += int(low), back.to += int(low);
    printf("comic shown: dipped to %.3f, back in %.1f ms (steps %.2f of the tone's)\n", level[low],
           back.Ms(), Click(shown, back));
    EXPECT_GT(dip, 0.005) << "the menu's stream did not stop as the comic showed";
    EXPECT_LT(dip, 0.5);
    EXPECT_LE(back.Ms(), 10.0) << "the comic's tune came back through a fade, not at once";
    EXPECT_LT(Click(shown, back), 1.25) << "the comic's tune clicked back" << Late();
    EXPECT_LT(*std::max_element(shown.cafe.begin(), shown.cafe.end()), 0.01);

    // The button: the comic's tune stops at once, the cafe's stream fades in from then on.
    const Capture day = Record([&] { comix->Finish(); }, [] { return AtFullLevel("level1"); });
    mFullCafe = day.cafe.back();
    ASSERT_GT(mFullCafe, 0.05) << "the device heard no cafe music";
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_EQ("level1", GetEngineMusic()->GetCurrent()->GetId());
    const Edge cut = FindEdge(Menu(day), 0.9, 0.1);
    const Edge cafeIn = FindEdge(Cafe(day), 0.1, 0.9);
    const double cafeAfter = (FirstReaching(Cafe(day), 0.05) - cut.to) * kWindowMs;
    printf("comic into the day: tune cut in %.1f ms (steps %.2f of the tones'), the cafe heard "
           "%.1f ms after it, rising over %.1f ms\n",
           cut.Ms(), Click(day, cut), cafeAfter, cafeIn.Ms());
    EXPECT_GE(cut.Ms(), 0.0);
    EXPECT_LE(cut.Ms(), 10.0) << "the comic's tune faded out";
    EXPECT_LT(Click(day, cut), 1.25) << "the comic's tune clicked off" << Late();
    EXPECT_LE(cafeAfter, 500.0) << "the cafe's stream waited for the comic's tune";
    EXPECT_GE(cafeIn.Ms(), 100.0) << "the cafe's stream did not fade in";

    // "Try again" on the failed day, into the comic again: the cafe's stream
    // fades out, and the comic's tune is at full level at once beside it.
    gGameBoard3->mBriefing->Hide();
    auto* fail = dynamic_cast<KpBoard_Debriefing*>(gGameBoard3->mDebriefingFail);
    const Capture again = Record(
        [&]
        {
            fail->Show();
            fail->OnButton(fail->replayButton);
        },
        [] { return gGameBoard3->IsCutSceneShown() && !Track("level1")->IsPlaying(); });
    EXPECT_TRUE(AtFullLevel("main_menu"));
    const Edge tuneIn = FindEdge(Menu(again), 0.1, 0.9);
    const Edge cafeOut = FindEdge(Cafe(again), 0.9, 0.1);
    const double cafeThen = tuneIn.to < 0 ? -1.0 : Cafe(again)[size_t(tuneIn.to)];
    printf("try again into the comic: tune in over %.1f ms (steps %.2f of the tones') with the "
           "cafe at %.3f, the cafe falling over %.1f ms\n",
           tuneIn.Ms(), Click(again, tuneIn), cafeThen, cafeOut.Ms());
    EXPECT_GE(tuneIn.Ms(), 0.0);
    EXPECT_LE(tuneIn.Ms(), 10.0) << "the comic's tune faded in";
    EXPECT_LT(Click(again, tuneIn), 1.25) << "the comic's tune clicked in" << Late();
    EXPECT_GT(cafeThen, 0.5) << "the comic's tune waited for the cafe's to fade out";
    EXPECT_GE(cafeOut.Ms(), 100.0) << "the cafe's stream was cut";

    // Back in the day, then out to the menus: the cafe's stream fades out while
    // the menu's fades in.
    ASSERT_TRUE(Until([&] { return comix->GetClock() >= 0.5f; }));
    comix->Finish();
    ASSERT_TRUE(Until([] { return AtFullLevel("level1"); }));
    const Capture menus =
        Record([] { ShowMenusAndQuitLevel(gGameBoard3); },
               [] { return AtFullLevel("main_menu") && !Track("level1")->IsPlaying(); });
    EXPECT_EQ("main_menu", GetEngineMusic()->GetCurrent()->GetId());
    const std::vector<double> menuLevel = Menu(menus), cafeLevel = Cafe(menus);
    int together = 0;
    for (size_t i = 0; i < menuLevel.size(); i++)
        together += menuLevel[i] > 0.25 && cafeLevel[i] > 0.25 ? 1 : 0;
    printf("day into the menus: cafe falling over %.1f ms, menu rising over %.1f ms, both above a "
           "quarter for %.1f ms\n",
           FindEdge(cafeLevel, 0.9, 0.1).Ms(), FindEdge(menuLevel, 0.1, 0.9).Ms(),
           together * kWindowMs);
    EXPECT_GE(FindEdge(cafeLevel, 0.9, 0.1).Ms(), 100.0) << "the cafe's stream was cut";
    EXPECT_GE(FindEdge(menuLevel, 0.1, 0.9).Ms(), 100.0) << "the menu's stream was cut in";
    EXPECT_GE(together * kWindowMs, 50.0) << "the menu's stream waited for the cafe's to fade out";
}

// Both roads: the comic and the day are drawn by either renderer between the
// game's steps, and the music's edges must hold whichever draws them.
INSTANTIATE_TEST_SUITE_P(Roads, ComixMusicRun, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "ThreeD" : "TwoD"; });
