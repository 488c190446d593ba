// The cafe game's application class: the screens, the quit question and the
// game's own windowed setting on top of the engine.
#pragma once

#include "game/engine/KpEngine.h"

class KpEngine3 : public KpEngine
{
public:
    KpEngine3();
    ~KpEngine3() override;

    void LoadingCompleted() override;
    void LoadingThreadWork() override;
    void InitApp() override;
    void SwitchScreenMode(bool windowed, bool is3D, bool force) override;
    // Shuts down only after loading and a yes to the quit question; a close
    // request during loading is ignored.
    void Shutdown() override;

    // The quit confirmation; true when the player confirms.
    bool ConfirmQuit();
};

extern KpEngine3* gEngine3;
