// The start-up slide show: full-screen slides on black, one after another,
// each ended by its own effect (its "onshow" script hides it when done) or
// skipped by a key or a click; a slide whose effect never hides it waits for
// one. After the last one the splash hides and the menu background and the
// main menu appear. The game's cursor is hidden while it plays. A slide is
// every child of the layout that carries a picture; one whose picture cannot
// be read is passed over. Layout "splash"; entry kBoardSplash of the engine's
// screen table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <vector>

#include "game/ui/KpDialog.h"

class KpBoard_Splash : public KpDialog
{
public:
    KpBoard_Splash(KpEngine* app, IXMLDOMNode* layoutRoot);

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void Update() override;
    void Draw(Lumo::Graphics* g) override;
    void KeyDown(int key) override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void LockImages() override;
    void UnlockImages() override;
    void OnShow() override;
    void OnHide() override;

    // The slide on screen goes at once; the next update moves on.
    void Skip();

    std::vector<KpCandyWidget*> slides; // children with a picture, in layout order
    int current = 0;                    // the slide on screen
    bool currentShown = false;          // it has become visible

private:
    // Moves to the next slide, or ends the show after the last.
    void Advance();
    // Shows slides[current], passing over slides whose picture is missing.
    void ShowCurrent();
    void Finish();

    bool mPlaying = false;   // shown and not yet ended: the menus follow its end
    bool mFinishing = false; // the end has begun: further input and updates change nothing
};
