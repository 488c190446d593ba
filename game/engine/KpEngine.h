// The game's application object: product identity, the archives, and the
// game's steps around the framework's loop. It is created once by the main
// function; gGameApp, gEngine and gLumoApp all point at it.
#pragma once

#include "framework/app/LumoAppBase.h"

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
    void GotFocus() override;
    void LostFocus() override;
    bool StepApp(bool& updated) override;
    void DrawOverlay(Lumo::Graphics* g) override;

    // --- appended after the framework's operations; slots kept for the engine
    virtual void EngineHook1();
    virtual void EngineHook2();

    PakInterface* mPakInterface; // owned; null when the archives are ignored
};

extern Lumo::LumoAppBase* gGameApp;
extern KpEngine* gEngine;
