// What every screen uses to reach the others: the engine's screen table by
// entry, typed, and the screens' event line on the debugger output. The
// screens meet only through the table (and the game board's members), so an
// entry that is not built yet is null and every caller skips it.
#pragma once

#include <string>

#include "game/engine/KpEngine3.h"

class KpBoard_Game;
class KpBoard_MainMenu;
class KpBoard_Career;
class KpCandyWidget;
class KpImageHandle;

// The screen of an entry as a game widget, or null.
KpCandyWidget* GetScreen(KpEngineBoard entry);
KpBoard_MainMenu* GetMainMenu();
KpBoard_Career* GetCareerBook();

// Shows (true) or hides at once the screen of an entry, when it exists.
void SetScreenVisible(KpEngineBoard entry, bool visible);

// One line "Screens: <text>" on the debugger output, always: what a player
// did and saw (a box asked, a screen shown), so a run can be followed from
// outside without the developer log.
void ScreenTrace(const char* format, ...);

// --- The level board as the menus see it (nothing while no board exists)
// A level is loaded and not yet left.
bool IsGameLevelActive();
// The menu background and the main menu come back, the board (when given)
// quits its level and the game's sounds stop: a level left for the menus.
void ShowMenusAndQuitLevel(KpBoard_Game* board);

// --- The help screen as the main menu sees it
// Hides every help page (the children whose names contain "page_").
void HideHelpPages(KpCandyWidget* help);
// Loads a level on the game board behind the load screen; false without a board.
bool StartGameLevel(int level, bool endless);
// Task goal i (0 to 4) of the level just played was met.
bool IsTaskGoalMet(int goal);

// --- Widgets a layout may lack: each does nothing for null
void ShowIf(KpCandyWidget* w);
void HideIf(KpCandyWidget* w);
void SetVisibleIf(KpCandyWidget* w, bool visible);
void SetDisabledIf(KpCandyWidget* w, bool disabled);

// --- Pictures
// Shows the texture (whole) as the widget's picture: a label's image, or the
// first image of state 0.
void SetWidgetImage(KpCandyWidget* w, const KpImageHandle& handle);

// --- The level board's counted pause, as one dialog holds it
// Taken once when the dialog shows and given back once when it hides, so a
// dialog hidden twice (or never shown) never gives back another's pause.
class KpBoardPauseHold
{
public:
    void Take();
    void Release();
    bool IsHeld() const { return mHeld; }

private:
    bool mHeld = false;
};

// Gives the keyboard focus to the level board (when it exists and is attached).
void FocusGameBoard();
// For a panel over the level (settings, help) that closes: the pause menu
// gets the focus back when it is still open (so Escape closes it), else the
// level board.
void FocusPauseMenuOrGameBoard();

// --- A dialog over the level board while it is on view (briefing, debriefing)
// In front of its siblings, modal with the default masks and focused; when it
// stops being visible, behind them again with the focus back on the board.
class KpBoardModalHold
{
public:
    // After the dialog's KpDialog::LockImages.
    void Push(KpCandyWidget* dialog);
    // After the dialog's KpDialog::UnlockImages; true when it was modal till now.
    bool Pop(KpCandyWidget* dialog);
    // Set around the dialog's RemovedFromManager (the board goes): the parent
    // walks its children then, so no sibling is reordered and no focus moves.
    void SetLeavingTree(bool leaving) { mLeavingTree = leaving; }

private:
    bool mPushed = false;
    bool mLeavingTree = false;
};
