// The music at the edges between the menus, level 1's opening comic and the
// day, in the real game with the file sound device: the menu's tune carries
// on under the comic (it used to play in silence), and each edge cuts or
// fades as the tracks are told. An archive laid over the game's makes the
// menu's and the first cafe's music pure tones of two pitches, so the level
// of each is read from the captured sound window by window, on the device's
// own clock: a cut takes a few milliseconds of it, a fade a good part of a
// second, and a change of stream fades the old one out while the new one
// comes in.
#include <algorithm>
#include <cstdio>

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

// Each stream's level, window by window, as a share of its full level.
struct Levels
{
    std::vector<double> menu, cafe;
};

// Windows from where the level was last at `from` to where it first reached
// `to` (going up or down); -1 when it never did.
int EdgeWindows(const std::vector<double>& level, double from, double to)
{
    const bool up = to > from;
    for (size_t j = 0; j < level.size(); j++)
        if (up ? level[j] >= to : level[j] <= to)
            for (size_t i = j; i-- > 0;)
                if (up ? level[i] <= from : level[i] >= from)
                    return int(j - i);
    return -1;
}

int FirstReaching(const std::vector<double>& level, double to)
{
    for (size_t i = 0; i < level.size(); i++)
        if (level[i] >= to)
            return int(i);
    return -1;
}

class ComixMusicRun : public MusicGameTest
{
protected:
    // What the device played from the action until the condition held and the
    // music settled, each stream against its full level.
    template <typename Action, typename Condition> Levels Record(Action action, Condition until)
    {
        const size_t mark = SoundCapture::Mark();
        action();
        EXPECT_TRUE(Until(until));
        const size_t settled = Settled();
        Until([&] { return SoundCapture::Has(settled, 300); });
        const std::vector<int16_t> heard = SoundCapture::Between(mark, SoundCapture::Mark());
        Levels levels = {SoundCapture::ToneLevels(heard, kMenuHz, kWindowFrames),
                         SoundCapture::ToneLevels(heard, kCafeHz, kWindowFrames)};
        for (double& level : levels.menu)
            level /= mFullMenu;
        for (double& level : levels.cafe)
            level /= mFullCafe;
        return levels;
    }
    static bool AtFullLevel(const char* id) { return Heard(id) && Track(id)->GetLevel() == 1.0; }
    static double Ms(int windows) { return windows * kWindowMs; }

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
    const Levels menu = Record([] {}, [] { return true; });
    mFullMenu = *std::max_element(menu.menu.begin(), menu.menu.end());
    ASSERT_GT(mFullMenu, 0.05) << "the device heard no menu music";

    // Level 1's comic shows: the current stream (the menu's) stops through
    // its fade-out, and 0.1 s in the comic plays the same tune, at full level
    // at once. At the game's own pace, so that the sound layer surely takes
    // up the fade's first steps before the tune comes back.
    mGame->mUpdateMultiplier = 1.0;
    KpComix* comix = nullptr;
    Levels shown = Record([] { StartLevelFromMenus(1); },
                          [&]
                          {
                              comix = dynamic_cast<KpComix*>(gGameBoard3->mComix);
                              return gGameBoard3->IsCutSceneShown() && comix->GetClock() >= 0.5f;
                          });
    ASSERT_NE(nullptr, comix);
    EXPECT_EQ(nullptr, GetEngineMusic()->GetCurrent());
    EXPECT_TRUE(AtFullLevel("main_menu"));
    const auto low = std::min_element(shown.menu.begin(), shown.menu.end());
    const double dip = 1 - *low;
    std::vector<double> rise(low, shown.menu.end());
    printf("comic shown: dipped to %.3f, back in %.1f ms\n", *low,
           Ms(EdgeWindows(rise, *low + dip * 0.1, 1 - dip * 0.1)));
    EXPECT_GT(dip, 0.005) << "the menu's stream did not stop as the comic showed";
    EXPECT_LT(dip, 0.5);
    EXPECT_LE(Ms(EdgeWindows(rise, *low + dip * 0.1, 1 - dip * 0.1)), 10.0)
        << "the comic's tune came back through a fade, not at once";
    EXPECT_LT(*std::max_element(shown.cafe.begin(), shown.cafe.end()), 0.01);
    mGame->mUpdateMultiplier = 4.0;

    // The button: the comic's tune stops at once, the cafe's stream fades in from then on.
    Levels day = Record([&] { comix->Finish(); }, [] { return AtFullLevel("level1"); });
    mFullCafe = day.cafe.back();
    ASSERT_GT(mFullCafe, 0.05) << "the device heard no cafe music";
    for (double& level : day.cafe)
        level /= mFullCafe;
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_EQ("level1", GetEngineMusic()->GetCurrent()->GetId());
    const int menuGone = EdgeWindows(day.menu, 0.9, 0.1);
    const int cutAt = int(
        std::find_if(day.menu.begin(), day.menu.end(), [](double level) { return level <= 0.1; }) -
        day.menu.begin());
    printf("comic into the day: tune cut in %.1f ms, cafe heard %.1f ms after it, rising over "
           "%.1f ms\n",
           Ms(menuGone), Ms(FirstReaching(day.cafe, 0.05) - cutAt),
           Ms(EdgeWindows(day.cafe, 0.1, 0.9)));
    EXPECT_GE(menuGone, 1);
    EXPECT_LE(Ms(menuGone), 10.0) << "the comic's tune faded out";
    EXPECT_LE(Ms(FirstReaching(day.cafe, 0.05) - cutAt), 500.0)
        << "the cafe's stream waited for the comic's tune";
    EXPECT_GE(Ms(EdgeWindows(day.cafe, 0.1, 0.9)), 100.0) << "the cafe's stream did not fade in";

    // "Try again" on the failed day, into the comic again: the cafe's stream
    // fades out, and the comic's tune is at full level at once beside it.
    gGameBoard3->mBriefing->Hide();
    auto* fail = dynamic_cast<KpBoard_Debriefing*>(gGameBoard3->mDebriefingFail);
    Levels again = Record(
        [&]
        {
            fail->Show();
            fail->OnButton(fail->replayButton);
        },
        [] { return gGameBoard3->IsCutSceneShown() && !Track("level1")->IsPlaying(); });
    EXPECT_TRUE(AtFullLevel("main_menu"));
    const int tuneIn = FirstReaching(again.menu, 0.9);
    printf("try again into the comic: tune in over %.1f ms with the cafe at %.3f, cafe falling "
           "over %.1f ms\n",
           Ms(EdgeWindows(again.menu, 0.1, 0.9)), tuneIn < 0 ? -1.0 : again.cafe[tuneIn],
           Ms(EdgeWindows(again.cafe, 0.9, 0.1)));
    EXPECT_GE(EdgeWindows(again.menu, 0.1, 0.9), 1);
    EXPECT_LE(Ms(EdgeWindows(again.menu, 0.1, 0.9)), 10.0) << "the comic's tune faded in";
    ASSERT_GE(tuneIn, 0);
    EXPECT_GT(again.cafe[tuneIn], 0.5) << "the comic's tune waited for the cafe's to fade out";
    EXPECT_GE(Ms(EdgeWindows(again.cafe, 0.9, 0.1)), 100.0) << "the cafe's stream was cut";

    // Back in the day, then out to the menus: the cafe's stream fades out while
    // the menu's fades in.
    ASSERT_TRUE(Until([&] { return comix->GetClock() >= 0.5f; }));
    comix->Finish();
    ASSERT_TRUE(Until([] { return AtFullLevel("level1"); }));
    Levels menus = Record([] { ShowMenusAndQuitLevel(gGameBoard3); },
                          [] { return AtFullLevel("main_menu") && !Track("level1")->IsPlaying(); });
    EXPECT_EQ("main_menu", GetEngineMusic()->GetCurrent()->GetId());
    int together = 0;
    for (size_t i = 0; i < menus.menu.size() && i < menus.cafe.size(); i++)
        together += menus.menu[i] > 0.25 && menus.cafe[i] > 0.25 ? 1 : 0;
    printf("day into the menus: cafe falling over %.1f ms, menu rising over %.1f ms, both above a "
           "quarter for %.1f ms\n",
           Ms(EdgeWindows(menus.cafe, 0.9, 0.1)), Ms(EdgeWindows(menus.menu, 0.1, 0.9)),
           Ms(together));
    EXPECT_GE(Ms(EdgeWindows(menus.cafe, 0.9, 0.1)), 100.0) << "the cafe's stream was cut";
    EXPECT_GE(Ms(EdgeWindows(menus.menu, 0.1, 0.9)), 100.0) << "the menu's stream was cut in";
    EXPECT_GE(Ms(together), 50.0) << "the menu's stream waited for the cafe's to fade out";
}

INSTANTIATE_TEST_SUITE_P(Display, ComixMusicRun, ::testing::Values(false));
