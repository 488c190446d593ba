#include "framework/app/BassMusicInterface.h"
#include "framework/app/MusicInterface.h"

#include <gtest/gtest.h>

#include <memory>

TEST(MusicInterface, SilentInterfaceRefusesSongsAndPlaysNothing)
{
    std::unique_ptr<Lumo::MusicInterface> music(new Lumo::MusicInterface);
    EXPECT_FALSE(music->LoadMusic(1, "music\\theme.mod"));
    music->PlayMusic(1, 0, false);
    music->FadeIn(1, -1, 0.01, false);
    music->FadeOutAll(true, 0.01);
    music->SetVolume(0.5);
    music->Update();
    EXPECT_FALSE(music->IsPlaying(1));
}

TEST(MusicInterface, DefaultInterfaceAcceptsSongsAndPlaysNothing)
{
    std::unique_ptr<Lumo::MusicInterface> music(new Lumo::BassMusicInterface(nullptr));
    EXPECT_TRUE(music->LoadMusic(1, "music\\theme.mod"));
    EXPECT_TRUE(music->LoadMusic(1, "no such file"));
    music->PlayMusic(1, 0, false);
    music->SetSongVolume(1, 1.0);
    music->Update();
    EXPECT_FALSE(music->IsPlaying(1));
    music->StopAllMusic();
}
