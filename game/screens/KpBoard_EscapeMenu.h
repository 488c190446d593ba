// The menu over a running level, opened by the HUD's menu button: resume,
// restart the level, settings, help, or leave for the main menu (restart and
// leave ask first). Showing it pauses the level, hiding it resumes it; Escape
// closes it. It is a book spread like the menus ("escape_dlg" with its two
// pages), so the help screen can turn back to it. The board makes it (layout
// "escape_menu") and keeps it for its life.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include "game/screens/KpScreenTable.h"
#include "game/ui/KpDialog.h"

class KpBoard_EscapeMenu : public KpDialog
{
public:
    KpBoard_EscapeMenu(KpEngine* app, IXMLDOMNode* layoutRoot);
    ~KpBoard_EscapeMenu() override;

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;
    void LockImages() override;
    void KeyUp(int key) override;

    KpEngine* app;
    KpCandyWidget* restartButton = nullptr;
    KpCandyWidget* resumeButton = nullptr;
    KpCandyWidget* settingsButton = nullptr;
    KpCandyWidget* helpButton = nullptr;
    KpCandyWidget* quitButton = nullptr;
    KpCandyWidget* page = nullptr; // "escape_dlg"

private:
    // The upgrade shop closes with the level it belongs to.
    void HideUpgradeShop();
    KpBoardPauseHold mPause;
};
