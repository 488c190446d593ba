// The music of the real game, run in this process by its own main-loop steps
// with its own archives and a sound device (ALSA's file device): the main
// menu's stream plays, a level switches to its cafe's stream, a paused level
// keeps it, focus loss pauses it and focus brings it back, the menus take the
// menu's stream again, and Change to "" and to an unknown id behave as they
// should. What is checked at each point is which track's voice plays and that
// the device hears music.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpBoard_EscapeMenu.h"
#include "tests/display/GameLayout.h"
#include "tests/game/music/MusicGameTest.h"

namespace
{
class MusicGameRun : public MusicGameTest
{
protected:
    // Lets `ms` of game time pass.
    void Run(int ms)
    {
        int until = mGame->mUpdateCount + ms / 10;
        ASSERT_TRUE(Until([&] { return mGame->mUpdateCount >= until; }));
    }
    // What the device played from just before `action` until `ms` of its sound
    // after the music settled, the game stepping meanwhile.
    template <typename Action> std::vector<int16_t> Record(int ms, Action action)
    {
        size_t mark = SoundCapture::Mark();
        action();
        size_t settled = Settled();
        Until([&] { return SoundCapture::Has(settled, ms); });
        return SoundCapture::Between(mark, SoundCapture::Mark());
    }
    static std::vector<int16_t> Tail(const std::vector<int16_t>& samples, int ms)
    {
        return Slice(samples, int(samples.size() / 96) - ms, ms);
    }
    // Largest difference between two neighbouring frames of one channel.
    static int LargestStep(const std::vector<int16_t>& samples, size_t from = 0,
                           size_t to = size_t(-1))
    {
        int largest = 0;
        for (size_t i = from + 2; i < samples.size() && i < to; i++)
            largest = std::max(largest, std::abs(samples[i] - samples[i - 2]));
        return largest;
    }
    static std::vector<int16_t> Slice(const std::vector<int16_t>& samples, int fromMs, int ms)
    {
        size_t from = std::min(samples.size(), size_t(fromMs) * 96);
        size_t to = std::min(samples.size(), from + size_t(ms) * 96);
        return std::vector<int16_t>(samples.begin() + from, samples.begin() + to);
    }
};
} // namespace

TEST_P(MusicGameRun, MenusLevelPauseAndFocusPlayTheRightStream)
{
    if (!SoundCapture::Available())
        GTEST_SKIP() << "needs the file device that ctest sets up";
    ASSERT_NO_FATAL_FAILURE(LaunchWithProfile(L"Music"));
    ASSERT_TRUE(gSoundAvailable);

    // The main menu, after the splash: its stream plays, faded in.
    ASSERT_TRUE(Until([] { return Heard("main_menu"); })) << "the menu's music never started";
    KpMusic& music = *GetEngineMusic();
    EXPECT_EQ("main_menu", music.GetCurrent()->GetId());
    Run(2000);
    EXPECT_GT(Level(), 0.002) << "the device heard no menu music";

    // A level of the first cafe without an opening comic: the menu's music
    // fades out as the cafe's comes in.
    StartLevelFromMenus(2);
    ASSERT_TRUE(Until([] { return gGameBoard3->IsLevelActive(); }));
    ASSERT_TRUE(Until([] { return Heard("level1"); }));
    EXPECT_EQ("level1", music.GetCurrent()->GetId());
    Run(2000);
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_GT(Level(), 0.002);

    // The pause menu: the board and its sounds pause, the music plays on.
    gGameBoard3->mEscapeMenu->Show();
    ASSERT_TRUE(Until([] { return gGameBoard3->GetPauseCount() > 0; }));
    EXPECT_TRUE(Heard("level1"));
    EXPECT_GT(Level(), 0.002);

    // Focus loss pauses every sound, the music too; focus brings it back.
    mGame->LostFocus();
    EXPECT_FALSE(Heard("level1"));
    EXPECT_LT(Level(), 0.0005);
    mGame->GotFocus();
    EXPECT_TRUE(Heard("level1"));
    EXPECT_GT(Level(), 0.002);

    // Out to the menus as the pause menu's quit does: the menu's stream again.
    gGameBoard3->mEscapeMenu->Hide();
    ShowMenusAndQuitLevel(gGameBoard3);
    ASSERT_TRUE(Until([] { return Heard("main_menu"); }));
    Run(2000);
    EXPECT_FALSE(Heard("level1"));
    EXPECT_EQ("main_menu", music.GetCurrent()->GetId());

    // An id naming no stream changes nothing; "" only stops.
    music.Change("no_such_stream");
    EXPECT_EQ("main_menu", music.GetCurrent()->GetId());
    Run(500);
    EXPECT_TRUE(Heard("main_menu"));
    music.Change("");
    EXPECT_EQ(nullptr, music.GetCurrent());
    Run(2000);
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_LT(Level(), 0.0005);
}

// Leaving a level through the pause menu's question box, then mute, unmute
// and focus changes, as the device heard them: the largest step between two
// neighbouring samples around each change stays within the music's own (a
// cut or a jump in volume clicks), and the switch fades as the tracks say
// (cafe out over 1000 ms while the menu comes in over 1500), though the box ran
// updates of its own inside one main-loop step. Measured on the device's own clock, from
// where the music has settled, as that device runs ahead of real time.
TEST_P(MusicGameRun, SwitchesAndVolumeChangesNeverStep)
{
    if (!SoundCapture::Available())
        GTEST_SKIP() << "needs the file device that ctest sets up";
    ASSERT_NO_FATAL_FAILURE(LaunchWithProfile(L"Music"));
    ASSERT_TRUE(Until([] { return Heard("main_menu"); }));
    StartLevelFromMenus(2);
    ASSERT_TRUE(Until([] { return gGameBoard3->IsLevelActive() && Heard("level1"); }));
    // Game time at the pace of real time from here, so fades last what they say;
    // the effects silent, so the device hears the music alone.
    mGame->mUpdateMultiplier = 1.0;
    GetSoundManager()->SoundSetMasterVolume(0);
    gGameBoard3->mEscapeMenu->Show();
    Run(1500);
    std::vector<int16_t> cafe = Record(3000, [] {});

    // The quit button, then Enter once the question has been open for a second.
    KpMusic& music = *GetEngineMusic();
    HWND window = mGame->mHWnd;
    const int opened = mGame->mUpdateCount;
    std::thread answer(
        [window, opened, this]
        {
            for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(10))
                if (gConfirm2 && gConfirm2->waiting && mGame->mUpdateCount > opened + 100)
                    break;
            PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageW(window, WM_KEYUP, VK_RETURN, 0xC0000001);
        });
    GameLayout::Click(window, GameLayout::LayoutCentre("escape_menu", {"quit"}));
    const bool switched =
        Until([&] { return music.GetCurrent() && music.GetCurrent()->GetId() == "main_menu"; });
    answer.join();
    ASSERT_TRUE(switched);
    const size_t mark = SoundCapture::Mark();
    MusicTrack* cafeTrack = music.GetSingleTrack("level1");
    MusicTrack* menuTrack = music.GetSingleTrack("main_menu");
    Run(300);
    EXPECT_TRUE(cafeTrack->IsPlaying()) << "the cafe's music was cut";
    EXPECT_GT(cafeTrack->GetLevel(), 0.4);
    EXPECT_LT(menuTrack->GetLevel(), 0.5) << "the menu's music came in at once";
    ASSERT_TRUE(Until([&] { return menuTrack->GetLevel() == 1.0; }));
    std::vector<int16_t> toMenu = SoundCapture::Between(mark, Settled());
    std::vector<int16_t> menu = Record(3000, [] {});
    ASSERT_FALSE(cafe.empty());
    ASSERT_FALSE(toMenu.empty());
    const int own = std::max(LargestStep(cafe), LargestStep(menu));
    const int atSwitch = LargestStep(toMenu);
    printf("switch: level %.4f before, %.4f after; largest step %d at the switch, the music's "
           "own %d (cafe %d, menu %d)\n",
           SoundCapture::Rms(cafe), SoundCapture::Rms(menu), atSwitch, own, LargestStep(cafe),
           LargestStep(menu));
    EXPECT_LE(atSwitch, own * 5 / 4);

    std::vector<int16_t> muted = Record(600, [] { MusicSetGlobalVolume(0); });
    std::vector<int16_t> unmuted = Record(600, [] { MusicSetGlobalVolume(30); });
    std::vector<int16_t> lost = Record(600, [&] { mGame->LostFocus(); });
    std::vector<int16_t> got = Record(600, [&] { mGame->GotFocus(); });
    printf("mute %d, unmute %d, focus lost %d, focus back %d\n", LargestStep(muted),
           LargestStep(unmuted), LargestStep(lost), LargestStep(got));
    for (auto* change : {&muted, &unmuted, &lost, &got})
        EXPECT_LE(LargestStep(*change), own * 5 / 4);
    EXPECT_LT(SoundCapture::Rms(Tail(muted, 200)), 0.0005);
    EXPECT_LT(SoundCapture::Rms(Tail(lost, 200)), 0.0005);
    EXPECT_GT(SoundCapture::Rms(Tail(got, 200)), 0.002);
}

INSTANTIATE_TEST_SUITE_P(Display, MusicGameRun, ::testing::Values(false));
