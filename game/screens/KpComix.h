// KpComix: the comic player, a full-screen dialog over the level board (one
// per board, layout "comix_ui"). Play loads one comic of "cfg\comix.xml"
// into its scene: objects drawn in declaration order, named groups and
// episodes of actors. While shown it pauses the board and stops the music,
// keeps its own clock on the update clock, runs the episodes one after
// another, and a click skips the current one. Any button of its layout ends
// the comic: an opening comic hands back to the level (the board resumes,
// the cafe's music starts), a closing one to the career (the next level).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <string>
#include <vector>

#include "game/ui/KpDialog.h"

class KpAtlasCache;
class KpComixEpisode;
class KpComixGroup;
class KpComixObject;

// Updates from one look of the pictures to the next: the clock and the
// actors run at every update, but the screen takes their pictures 25 times
// a second, a cartoon's rate, which a full-screen flip at every update would
// cost several times over.
const int kComixUpdatesPerLook = 4;

class KpComix : public KpDialog
{
public:
    // The dialog reads its layout from the root when one is given; it covers
    // the screen and starts hidden and empty.
    explicit KpComix(KpEngine* app = nullptr, IXMLDOMNode* layoutRoot = nullptr);
    // Clears the scene.
    ~KpComix() override;

    // --- Playing
    // Stores the name and loads that comic (episode 0 starts at clock 0).
    // Does not show the dialog: the caller shows it.
    void Play(const std::string& name);
    // Clock and episode back to 0, the scene cleared and the comic loaded again.
    void Restart();
    // Deletes the scene: objects, groups, episodes with their actors, the atlas cache.
    void Clear();
    // Ends the current episode and starts the next one at the current clock.
    void NextEpisode();
    // A click: the current episode's actors skip to their end, then the next episode.
    void SkipEpisode();
    // The button: sounds stopped, the scene cleared, and back to the level or the career.
    void Finish();

    // --- Loading (cfg\comix.xml)
    void LoadComix(IXMLDOMNode* comix);
    void LoadGroupsAndEpisodes(IXMLDOMNode* comix);

    // --- The scene, for the objects and actors being read
    KpComixObject* FindObject(const std::string& name) const;
    KpComixGroup* FindGroup(const std::string& name) const;
    KpAtlasCache* GetAtlasCache() const { return mAtlasCache; }
    int GetDefaultTopOffset() const { return mDefaultTopOffset; }
    int GetDefaultLineSpace() const { return mDefaultLineSpace; }
    const std::vector<KpComixObject*>& GetObjects() const { return mObjects; }
    const std::vector<KpComixEpisode*>& GetEpisodes() const { return mEpisodes; }

    // --- State
    const std::string& GetComixName() const { return mName; }
    float GetClock() const { return mClock; }
    int GetEpisodeIndex() const { return mEpisodeIndex; }
    bool IsPaused() const { return mPaused; }
    void SetPaused(bool paused) { mPaused = paused; }
    bool GetClearBack() const { return mClearBack; }
    // The last Play found no such comic (or no comic file).
    bool IsMissing() const { return mMissing; }

    // --- Overrides
    void Update() override;
    void Draw(Lumo::Graphics* g) override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void OnShow() override;
    void OnHide() override;
    void OnClicked(int id) override;

private:
    // The board's side of showing, hiding and ending.
    void PauseBoard();
    void ResumeBoard();
    void PlayCafeMusic();
    // Takes the pictures' look (what Draw draws) and asks for the screen
    // areas where it changed since the last time.
    void RepaintChanges();
    // Widens the repaints asked for so far to the whole of every turned,
    // scaled or masked picture they reach.
    void RepaintTurnedPicturesWhole();
    // The stored name is not the level's opening comic.
    bool IsClosingComix() const;
    void StartNextLevel();

    bool mPaused = false;                 // the developer key holds the clock
    std::string mName;                    // the comic being played
    float mClock = 0.0f;                  // seconds since it was loaded
    int mEpisodeIndex = 0;                // the current episode; the count once all have run
    std::vector<KpComixObject*> mObjects; // owned, in drawing order
    std::map<std::string, KpComixObject*> mObjectMap;
    std::map<std::string, KpComixGroup*> mGroupMap; // owned
    std::vector<KpComixEpisode*> mEpisodes;         // owned
    bool mClearBack = false;
    int mDefaultTopOffset = 0;
    int mDefaultLineSpace = 0;
    KpAtlasCache* mAtlasCache = nullptr;     // owned
    std::vector<KpAtlasCache*> mSpareCaches; // owned: replaced by a Play on an uncleared scene
    bool mMissing = false;
    std::string mDrawnClockText; // the developer overlay's clock as last taken
};

// The comic's clock as the developer overlay shows it: "m:ss.ss" and the
// pause mark ("1:15.50 (PAUSED)").
std::string ComixClockText(float clock, bool paused);

// The developer keys of the comic player (Backspace pauses, F6 restarts,
// Ctrl+C copies the pointer position); only while the developer switch is on
// and the current board's comic is shown.
void ComixDebugKey(int keyCode);
