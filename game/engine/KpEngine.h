// The game's application object: product identity, the archives, and the
// game's steps around the framework's loop: the sound system and the profile
// file at start-up, the configuration ("cfg\cfg.xml": sounds and music;
// "cfg\ui.xml": textures, fonts, cursors, layouts) on the loading thread, the
// game cursor once loading completed. It is created once by the main
// function; gGameApp, gEngine and gLumoApp all point at it.
#pragma once

#include <cstdint>
#include <string>

#include "framework/app/LumoAppBase.h"
#include "game/engine/KpXml.h"

class PakInterface;

class KpEngine : public Lumo::LumoAppBase
{
public:
    KpEngine();
    ~KpEngine() override;

    // --- framework steps the game replaces
    void OnKeyUp(int keyCode) override;
    void LoadingCompleted() override;
    void LoadingThreadWork() override;
    void InitApp() override;
    // Reads the profile file before the first window, so the saved screen mode
    // is the first one tried (a demo reads it later, from its own stream).
    void BeforeMakeWindow() override;
    // The game takes the framework's options: demo recording and playback,
    // the crash test, the screen saver and the working folder. A recording
    // named after one of the game's own files ends the start in a system box,
    // exit code 1.
    void ReceiveCommandLine(const std::string& arguments) override;
    void GotFocus() override;
    void LostFocus() override;
    bool StepApp(bool& updated) override;
    // After the update, labels take text variables that changed during it: a
    // value set after a label's own update (the board's money, after its HUD)
    // shows in the frame drawn next.
    void UpdateOnce() override;
    void DrawOverlay(Lumo::Graphics* g) override;
    // The framework's, then the resulting music volume (0 while muted or
    // hidden, as after a crash) reaches the game's music voices.
    void SetMusicVolume(double volume) override;

    // --- appended after the framework's operations; slots kept for the engine
    virtual void EngineHook1();
    virtual void EngineHook2();

    // The "ui" element of "cfg\ui.xml", kept for the whole run: dialog layouts
    // are looked up under it. Null before loading read it or when it failed.
    IXMLDOMNode* GetLayoutRoot() const { return mLayoutRoot.Get(); }

    // --- data the game cannot run without
    // Notes (on the loading thread) that the file did not load; the first note counts.
    void NoteDamagedData(const std::string& file);
    // Says in a system box that the file is damaged and the game should be
    // installed again, then ends the process with exit code 1. Never returns.
    void FailOnDamagedData(const std::string& file);

    PakInterface* mPakInterface; // owned; null when the archives are ignored
    int mCurrentFrameTime;       // milliseconds of logic time of the current update
    uint8_t modalBoxOpen;        // a confirmation or message box is open: boards hold still

private:
    // The developer overlay's line for the next draw; empty while the switch is off.
    void RefreshDevOverlay();

    KpXmlDocument mUiDocument;
    KpXmlNode mLayoutRoot;
    std::string mDevOverlayText;
    std::string mDamagedData;       // written by the loading thread, read once it has finished
    bool mProfileReadEarly = false; // BeforeMakeWindow read it
};

extern Lumo::LumoAppBase* gGameApp;
extern KpEngine* gEngine;
