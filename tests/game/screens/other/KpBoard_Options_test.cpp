// The options dialog: volume and mute changes reach the header and the music
// at once, cancel restores what was shown on entry (also after apply has
// switched the screen mode), apply keeps the values in pref.dat, and values
// outside 0..100 never reach a slider or the mixer.
#include <gtest/gtest.h>

#include "game/engine/KpProfileFile.h"
#include "game/screens/KpBoard_Options.h"
#include "game/ui/KpCheckBox.h"
#include "game/ui/KpSlider.h"
#include "tests/game/screens/other/OtherScreensSupport.h"

using namespace OtherScreens;

namespace
{
class OptionsDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreshProfile(L"Anna");
        gProfileFile.mMusicVolume = 30;
        gProfileFile.mSoundVolume = 60;
        gProfileFile.mMute = 0;
        gProfileFile.mWindowed = 1;
        Engine()->mIsWindowed = true;
        options = AddScreen(kBoardOptions, new KpBoard_Options(Engine(), LayoutRoot()));
        ASSERT_NE(options->soundSlider, nullptr);
        ASSERT_NE(options->musicSlider, nullptr);
        ASSERT_NE(options->muteBox, nullptr);
        ASSERT_NE(options->fullscreenBox, nullptr);
        ASSERT_NE(options->applyButton, nullptr);
        ASSERT_NE(options->cancelButton, nullptr);
    }
    void TearDown() override { ClearScreens(); }

    void Open()
    {
        options->Show();
        RunUpdates(40);
        ASSERT_TRUE(options->mVisible);
    }
    // The music volume the application plays at, 0 to 100.
    int MusicHeard() { return int(Engine()->GetMusicVolume() * 100.0 + 0.5); }

    KpBoard_Options* options = nullptr;
};
} // namespace

TEST_F(OptionsDialog, ChangesAreHeardAtOnceAndCancelRestoresTheValuesOfTheOpening)
{
    Open();
    EXPECT_EQ(options->soundSlider->GetValue(), 60);
    EXPECT_EQ(options->musicSlider->GetValue(), 30);
    EXPECT_FALSE(options->muteBox->IsChecked());
    EXPECT_FALSE(options->fullscreenBox->IsChecked());

    options->musicSlider->SetValue(80);
    options->soundSlider->SetValue(20);
    RunUpdates(1);
    EXPECT_EQ(gProfileFile.mMusicVolume, 80);
    EXPECT_EQ(gProfileFile.mSoundVolume, 20);
    EXPECT_EQ(MusicHeard(), 80);

    // Muted, a slider still moves the stored value while nothing is heard.
    Click(options->muteBox);
    RunUpdates(1);
    EXPECT_EQ(gProfileFile.mMute, 1);
    EXPECT_EQ(MusicHeard(), 0);
    options->musicSlider->SetValue(90);
    RunUpdates(1);
    EXPECT_EQ(gProfileFile.mMusicVolume, 90);
    EXPECT_EQ(MusicHeard(), 0);

    Click(options->cancelButton);
    RunUpdates(40);
    EXPECT_FALSE(options->mVisible);
    EXPECT_EQ(gProfileFile.mMusicVolume, 30);
    EXPECT_EQ(gProfileFile.mSoundVolume, 60);
    EXPECT_EQ(gProfileFile.mMute, 0);
    EXPECT_EQ(MusicHeard(), 30);
}

TEST_F(OptionsDialog, ApplyKeepsTheValuesInPrefDatAndSwitchesTheScreenMode)
{
    Open();
    options->musicSlider->SetValue(55);
    options->soundSlider->SetValue(45);
    Click(options->fullscreenBox);
    Click(options->applyButton);
    RunUpdates(40);
    EXPECT_FALSE(Engine()->mIsWindowed);
    KpProfileFile stored;
    stored.SetPath(gProfileFile.GetPath());
    ASSERT_TRUE(stored.Read());
    EXPECT_EQ(stored.mMusicVolume, 55);
    EXPECT_EQ(stored.mSoundVolume, 45);
    EXPECT_EQ(stored.mWindowed, 0);
    EXPECT_EQ(stored.mMute, 0);

    // After the switch, cancel restores this opening's values, not older ones.
    Open();
    EXPECT_TRUE(options->fullscreenBox->IsChecked());
    options->musicSlider->SetValue(5);
    Click(options->fullscreenBox);
    RunUpdates(1);
    Click(options->cancelButton);
    RunUpdates(40);
    EXPECT_EQ(gProfileFile.mMusicVolume, 55);
    EXPECT_EQ(MusicHeard(), 55);
    EXPECT_FALSE(Engine()->mIsWindowed);

    // And back to a window.
    Open();
    EXPECT_TRUE(options->fullscreenBox->IsChecked());
    Click(options->fullscreenBox);
    Click(options->applyButton);
    RunUpdates(40);
    EXPECT_TRUE(Engine()->mIsWindowed);
    ASSERT_TRUE(stored.Read());
    EXPECT_EQ(stored.mWindowed, 1);
}

TEST_F(OptionsDialog, VolumesOutsideTheirRangeAreClampedBeforeTheyAreShownOrHeard)
{
    gProfileFile.mMusicVolume = 250;
    gProfileFile.mSoundVolume = -40;
    Open();
    EXPECT_EQ(options->musicSlider->GetValue(), 100);
    EXPECT_EQ(options->soundSlider->GetValue(), 0);
    EXPECT_EQ(options->savedMusic, 100);
    EXPECT_EQ(options->savedSound, 0);
    EXPECT_EQ(MusicHeard(), 100);
    Click(options->cancelButton);
    RunUpdates(40);
    EXPECT_EQ(gProfileFile.mMusicVolume, 100);
    EXPECT_EQ(gProfileFile.mSoundVolume, 0);
}
