// The level board: the screen a level plays on (entry 0 of the engine's
// screen table). It loads a level on the loader thread behind the load
// screen, keeps the level number and mode, the level-active flag and the
// counted pause that every in-level dialog takes while it is shown, and walks
// the road of one click: a press on the board while the level runs and is not
// paused goes to the scene object under the cursor. KpBoard_Game3 is the
// concrete board with the cafe, its dialogs and the level's result.
#pragma once

#include <string>
#include <vector>

#include "game/gameplay/KpLevelLoader.h"
#include "game/ui/KpDialog.h"

struct KpLevelData;

class KpBoard_Game : public KpDialog
{
public:
    // Fills the software rasterizer's variant table (the only caller), so
    // rasterized triangles draw from the first board on.
    explicit KpBoard_Game(KpEngine* app = nullptr);
    ~KpBoard_Game() override;

    // --- Virtual operations appended to the dialog's, in slot order
    // The level has started: its opening comic, or the cafe's music and dialogs.
    virtual void OnLevelStart();
    // A cut-scene is on view over the board.
    virtual bool IsCutSceneShown();
    // 0 to 1: the part of the day (career) or of the survival day (endless) gone by.
    virtual float GetDayProgress();
    // Run by the first Pause and the last Resume.
    virtual void OnPauseHook();
    virtual void OnResumeHook();
    // The loader read the level (the board takes the data): builds and starts it.
    virtual void BeginLevel(KpLevelData* level);
    // The loader could not read the level: returns to the menus, where a box
    // tells why once the load screen is gone (TellRefusal).
    virtual void OnLevelLoadFailed(const std::string& error);
    // The end of a level once its items are removed (QuitLevel).
    virtual void EndLevel();

    // --- Level
    int GetLevel() const { return mLevel; }
    bool IsEndless() const { return mEndless; }
    bool IsLevelActive() const { return mLevelActive; }
    bool IsLoading() const { return mLoader.IsBusy(); }
    // The data of the current level, or null before the first one loaded.
    const KpLevelData* GetLevelData() const { return mLevelData; }

    // Stores the request and loads the level behind the load screen; a
    // running level ends first. A number outside 1-59 (survival 1-3) is
    // refused before any file name is made: false, and nothing changes.
    bool StartLevelLoading(int level, bool endless);
    // Loads the current level again.
    void RestartLevel();
    // Ends the running level: its items removed, then the level's end.
    void QuitLevel();

    // --- Counted pause
    // +1; the first pauses the sound group "game" and runs the pause hook.
    void Pause();
    // -1; the last resumes the group and runs the resume hook. A Resume with
    // no pause left does nothing.
    void Resume();
    int GetPauseCount() const { return mPauseCount; }
    bool IsPaused() const { return mPauseCount > 0; }
    // The level's time runs: a level is active, nothing pauses it, no modal
    // box is open and no cut-scene is shown.
    bool IsRunning();

    // --- Widget
    void Update() override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void OnHide() override;

protected:
    // The press of the road of one click, at a point of the scene.
    virtual void OnScenePress(int x, int y);
    // Shows or hides the load screen of the engine's table (when it exists).
    void ShowLoadScreen(bool show);
    // Shows (through its show effect) or hides a screen of the engine's table;
    // nothing while the entry is empty.
    static void ShowEngineScreen(int index, bool show);
    // Back to the menus: the board hidden, the menu background and the main menu shown.
    void ReturnToMenus();
    // Pause count back to 0 (a new level never starts paused).
    void ResetPause();
    // The refusal's system box, over the menus once the load screen is off
    // the screen; the whole screen is drawn again after it.
    void TellRefusal();

    int mLevel = 0;
    bool mEndless = false;
    bool mLevelActive = false;
    int mPauseCount = 0;
    KpLevelData* mLevelData = nullptr; // owned
    KpLevelLoader mLoader;
    std::vector<std::string> mLoadWarnings; // of the level last read
    std::wstring mRefusal;                  // a refusal's text, until the box shows it
};

class KpBoard_Game3;

// The current game board (null before one exists).
KpBoard_Game* GetGameBoard();
extern KpBoard_Game* gGameBoard;
extern KpBoard_Game3* gGameBoard3;
