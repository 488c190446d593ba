// The settings dialog: sound volume, music volume, mute and full screen.
// Volume and mute changes are heard at once while it is open; "apply" keeps
// them (with the full-screen choice, which switches the screen mode) in the
// header of the profile and records file and saves it, "cancel" restores what
// was set when the dialog opened. Shown from the main menu and from the pause
// menu. Layout "options"; entry kBoardOptions of the engine's screen table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include "game/ui/KpDialog.h"

class KpCheckBox;
class KpSlider;
class KpText;

class KpBoard_Options : public KpDialog
{
public:
    KpBoard_Options(KpEngine* app, IXMLDOMNode* layoutRoot);

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;
    void Update() override;
    void LockImages() override;
    void UnlockImages() override;

    // Mute and the sliders reach the header and the mixer when they changed.
    void ApplyLive();

    KpCheckBox* muteBox = nullptr;       // "mute_checkbox"
    KpCheckBox* fullscreenBox = nullptr; // "fullscreen_checkbox"
    KpText* fullscreenNote = nullptr;    // "fullscreen_note": why the box is greyed
    KpCandyWidget* cancelButton = nullptr;
    KpCandyWidget* applyButton = nullptr;
    KpSlider* soundSlider = nullptr; // "sndvol_slider"
    KpSlider* musicSlider = nullptr; // "musvol_slider"
    // What cancel restores: the values shown when the dialog opened.
    int savedSound = 100, savedMusic = 100;
    bool savedFullscreen = false, savedMute = false;

private:
    // The values to restore were taken for this opening; nothing retakes them
    // (from a header that the live changes have moved) until it closes.
    bool mEntryTaken = false;
};
