// The real game run in this process with the file sound device, for the
// music checks: steps it until a condition holds, says which track's voice
// plays, and measures what the device heard.
#pragma once

#include <gtest/gtest.h>

#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpScreenTable.h"
#include "platform/sound/SoundLayer.h"
#include "tests/game/engine/InProcessGame.h"
#include "tests/game/music/SoundCapture.h"

class MusicGameTest : public InProcessGameTest
{
protected:
    // Steps the game (four updates per 10 ms) until the condition holds.
    template <typename Condition> bool Until(Condition condition, DWORD boundMs = 30000)
    {
        return StepUntil(*mGame, condition, boundMs);
    }
    static MusicTrack* Track(const char* id) { return GetEngineMusic()->GetSingleTrack(id); }
    static bool Heard(const char* id)
    {
        MusicTrack* track = Track(id);
        return track && track->GetVoice() && SndVoiceIsPlaying(track->GetVoice());
    }
    // Steps the game until the music plays at the levels last asked of it;
    // returns the device's mark then.
    size_t Settled()
    {
        EXPECT_TRUE(Until([] { return SndStreamsSettled(); })) << "the music never settled";
        return SoundCapture::Mark();
    }
    // The device's level over 300 ms of its sound once the music has settled,
    // stepping the game meanwhile.
    double Level()
    {
        size_t mark = Settled();
        Until([&] { return SoundCapture::Has(mark, 700); });
        return SoundCapture::Rms(SoundCapture::After(mark, 400, 300));
    }
    // The game at four times its pace, loaded, with a new profile `name` (and
    // the archive `overPak` laid over the game's, when given).
    void LaunchWithProfile(const wchar_t* name, const std::string& overPak = "")
    {
        ASSERT_NO_FATAL_FAILURE(LaunchGame(overPak));
        mGame->mUpdateMultiplier = 4.0;
        ASSERT_NO_FATAL_FAILURE(WaitForLoading());
        ASSERT_TRUE(gProfileFile.NewProfile(name, nullptr, nullptr));
    }
    // Starts a level as the career map does, the menu boards hidden.
    static void StartLevelFromMenus(int level)
    {
        for (int entry = kBoardMenuBackground; entry <= kBoardLoadScreen; entry++)
            SetScreenVisible((KpEngineBoard)entry, false);
        GetCareerBook()->StartLevel(level);
    }
};
