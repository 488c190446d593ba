#include "game/screens/KpBoard_Options.h"

#include "framework/app/LumoAppBase.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/screens/KpScreenTable.h"
#include "game/ui/KpCheckBox.h"
#include "game/ui/KpSlider.h"
#include "game/ui/KpText.h"

namespace
{
const int kVolumeMax = 100;

// A volume from the header, which outside code or an old file may have set to anything.
int ClampVolume(int volume)
{
    return volume < 0 ? 0 : volume > kVolumeMax ? kVolumeMax : volume;
}

bool IsChecked(const KpCheckBox* box)
{
    return box && box->IsChecked();
}

void SetChecked(KpCheckBox* box, bool checked)
{
    if (box)
        box->SetChecked(checked);
}

void SetSlider(KpSlider* slider, int value)
{
    if (slider)
        slider->SetValue(ClampVolume(value));
}
} // namespace

KpBoard_Options::KpBoard_Options(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine)
{
    LoadLayout(layoutRoot, "options");
    if (soundSlider)
        soundSlider->SetMaxValue(kVolumeMax);
    if (musicSlider)
        musicSlider->SetMaxValue(kVolumeMax);
}

void KpBoard_Options::AddChild(const std::string& name, KpCandyWidget* child)
{
    // The six controls at any depth: a panel of the layout comes with its
    // controls already inside it.
    auto take = [&](const char* wanted) -> KpCandyWidget*
    { return name == wanted ? child : child->FindChild(wanted); };
    if (KpCandyWidget* w = take("mute_checkbox"))
        muteBox = dynamic_cast<KpCheckBox*>(w);
    if (KpCandyWidget* w = take("fullscreen_checkbox"))
        fullscreenBox = dynamic_cast<KpCheckBox*>(w);
    if (KpCandyWidget* w = take("fullscreen_note"))
        fullscreenNote = dynamic_cast<KpText*>(w);
    if (KpCandyWidget* w = take("sndvol_slider"))
        soundSlider = dynamic_cast<KpSlider*>(w);
    if (KpCandyWidget* w = take("musvol_slider"))
        musicSlider = dynamic_cast<KpSlider*>(w);
    if (KpCandyWidget* w = take("cancel"))
        cancelButton = w;
    if (KpCandyWidget* w = take("apply"))
        applyButton = w;
    KpDialog::AddChild(name, child);
}

// ============================================================================
// Showing
// ============================================================================

void KpBoard_Options::OnShow()
{
    if (mParent)
    {
        mParent->BringToFront(this);
        if (mManager)
            mManager->SetFocus(this);
    }
    // Where no window fits the screen full screen is forced: the box shows it
    // and takes no click. Where the display refused the last try the box may
    // ask again. The line under it says which.
    const bool forced = mApp && mApp->mForceFullscreen;
    const bool refused = !forced && mApp && mApp->mWindowedFallbackDone && mApp->mIsWindowed;
    SetChecked(fullscreenBox, forced || (!refused && gProfileFile.mWindowed == 0));
    if (fullscreenBox)
        fullscreenBox->SetDisabled(forced);
    if (fullscreenNote)
    {
        if (forced || refused)
            fullscreenNote->SetText(GetEngineLocTable()->GetText(
                forced ? "mn12_fullscreen_forced" : "mn12_fullscreen_refused"));
        fullscreenNote->SetVisible(forced || refused);
    }
    SetChecked(muteBox, gProfileFile.mMute != 0);
    SetSlider(soundSlider, gProfileFile.mSoundVolume);
    SetSlider(musicSlider, gProfileFile.mMusicVolume);
    savedMusic = musicSlider ? musicSlider->GetValue() : ClampVolume(gProfileFile.mMusicVolume);
    savedSound = soundSlider ? soundSlider->GetValue() : ClampVolume(gProfileFile.mSoundVolume);
    savedFullscreen = IsChecked(fullscreenBox);
    savedMute = IsChecked(muteBox);
    mEntryTaken = true;
    GetSoundManager()->SoundPlay("window_open");
    ScreenTrace("options shown: music %d sound %d mute %d fullscreen %d%s", savedMusic, savedSound,
                savedMute ? 1 : 0, savedFullscreen ? 1 : 0,
                forced    ? " (forced)"
                : refused ? " (refused)"
                          : "");
}

void KpBoard_Options::OnHide()
{
    mEntryTaken = false;
    if (IsGameLevelActive())
        FocusPauseMenuOrGameBoard();
}

void KpBoard_Options::LockImages()
{
    KpDialog::LockImages();
    if (mEntryTaken)
        return;
    savedFullscreen = mApp ? !mApp->mIsWindowed : gProfileFile.mWindowed == 0;
    savedMute = gProfileFile.mMute != 0;
    savedSound = ClampVolume(gProfileFile.mSoundVolume);
    savedMusic = ClampVolume(gProfileFile.mMusicVolume);
}

void KpBoard_Options::UnlockImages()
{
    KpDialog::UnlockImages();
    ScreenTrace("options closed");
}

// ============================================================================
// Live changes
// ============================================================================

void KpBoard_Options::Update()
{
    KpDialog::Update();
    if (mVisible)
        ApplyLive();
}

void KpBoard_Options::ApplyLive()
{
    KpSoundManager* sound = GetSoundManager();
    if (muteBox && muteBox->IsChecked() != (gProfileFile.mMute != 0))
    {
        gProfileFile.mMute = muteBox->IsChecked() ? 1 : 0;
        const bool muted = gProfileFile.mMute != 0;
        sound->SoundSetMasterVolume(muted ? 0 : ClampVolume(gProfileFile.mSoundVolume));
        MusicSetGlobalVolume(muted ? 0 : ClampVolume(gProfileFile.mMusicVolume));
    }
    const bool muted = gProfileFile.mMute != 0;
    if (soundSlider && soundSlider->GetValue() != gProfileFile.mSoundVolume)
    {
        gProfileFile.mSoundVolume = soundSlider->GetValue();
        if (!muted)
            sound->SoundSetMasterVolume(gProfileFile.mSoundVolume);
    }
    if (musicSlider && musicSlider->GetValue() != gProfileFile.mMusicVolume)
    {
        gProfileFile.mMusicVolume = musicSlider->GetValue();
        if (!muted)
            MusicSetGlobalVolume(gProfileFile.mMusicVolume);
    }
}

// ============================================================================
// Buttons
// ============================================================================

void KpBoard_Options::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    if (widget == cancelButton)
    {
        SetSlider(musicSlider, savedMusic);
        SetSlider(soundSlider, savedSound);
        SetChecked(fullscreenBox, savedFullscreen);
        SetChecked(muteBox, savedMute);
        ApplyLive();
        ScreenTrace("options cancelled");
    }
    else if (widget == applyButton)
    {
        savedMusic = musicSlider ? musicSlider->GetValue() : savedMusic;
        savedSound = soundSlider ? soundSlider->GetValue() : savedSound;
        savedFullscreen = IsChecked(fullscreenBox);
        savedMute = IsChecked(muteBox);
        gProfileFile.mMusicVolume = savedMusic;
        gProfileFile.mSoundVolume = savedSound;
        gProfileFile.mWindowed = savedFullscreen ? 0 : 1;
        gProfileFile.mMute = savedMute ? 1 : 0;
        gProfileFile.ApplySettings();
        gProfileFile.Save();
        ScreenTrace("options applied: music %d sound %d mute %d fullscreen %d", savedMusic,
                    savedSound, savedMute ? 1 : 0, savedFullscreen ? 1 : 0);
    }
    Hide();
}
