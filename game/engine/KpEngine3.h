// The cafe game's application class: the screens, the quit question and the
// game's own windowed setting on top of the engine.
#pragma once

#include "game/engine/KpEngine.h"

namespace Lumo
{
class Widget;
}

// The engine's screen table: the screens reach one another through it.
enum KpEngineBoard
{
    kBoardGame = 0,
    kBoardMenuBackground,
    kBoardMainMenu,
    kBoardOptions,
    kBoardHelp,
    kBoardHiScores,
    kBoardCareer,
    kBoardSurvival,
    kBoardSplash,
    kBoardLoadScreen,
    kEngineBoardCount
};

// Filled once by KpEngine3::CreateScreens on the loading thread, owned by the
// engine for the whole run; an entry stays null until its screen exists.
extern Lumo::Widget* gEngine3Boards[kEngineBoardCount];

class KpEngine3 : public KpEngine
{
public:
    KpEngine3();
    ~KpEngine3() override;

    void LoadingCompleted() override;
    void LoadingThreadWork() override;
    // One update, then what the player must be told now: of the profile file
    // (a save that failed, or once the main menu shows, a file kept aside), and
    // that full screen was refused (once the splash is over).
    void UpdateOnce() override;
    void InitApp() override;
    void SwitchScreenMode(bool windowed, bool is3D, bool force) override;
    // Shuts down only after loading and a yes to the quit question (then the
    // profile file is saved, and a save that fails is told before the end); a
    // close request during loading is ignored.
    void Shutdown() override;

    // Builds every screen of the game except the in-level dialogs into gEngine3Boards.
    void CreateScreens();
    // The quit confirmation ("quit" in the game's two-button box, "quitunsaved"
    // while saves fail, "quitheld" when the profile file was in use by another
    // program at the start, "quitnofolder" when no name reaches its folder);
    // true on yes.
    bool ConfirmQuit();
    // Once loading completed: the splash, or without one the menus. Tools that
    // start elsewhere (a level from code) show nothing here.
    virtual void ShowFirstScreen();

private:
    // The profile file's news in the game's own notice box, each once.
    void TellProfileNews();
    void TellDisplayNews();
    // The save at quit failed: asks whether to close all the same, losing what
    // was not saved ("savelost"); false when the player stays.
    bool ConfirmSaveLostAtQuit();

    bool mAskingQuit; // the quit question is open: further close requests wait for it
};

extern KpEngine3* gEngine3;
