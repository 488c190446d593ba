// The game's data and one engine without a window, for the test programs
// that drive the screens: the archives of the build (game\loc.pak and
// game\data.pak, read from the build folder the tests run in) with the texts,
// sounds, layouts, textures, fonts and effects they hold, and an engine whose
// update step is one update of the widget tree and then whatever the test
// asks for, so the screens' own waits (the question boxes) can be driven with
// real presses through the widget manager on a fixed clock.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <functional>
#include <string>

#include "game/engine/KpEngine3.h"

class KpCandyWidget;

class WindowlessEngine : public KpEngine3
{
public:
    WindowlessEngine();
    // One update of the widget tree, then the test's step; false ends the app.
    bool StepApp(bool& updated) override;
    int MsgBoxW(const std::wstring&, const std::wstring&, int) override { return IDNO; }
    int MsgBox(const std::string&, const std::string&, int) override { return IDNO; }

    // Run on every step of a wait; returns whether the application goes on.
    std::function<bool()> mOnStep;
    int mSteps = 0;
};

// --- The game's data for a whole test program (a step that fails fails the test)
// Opens the archives and loads the texts, the sounds of cfg\cfg.xml (when
// `sounds`), the layouts, the textures, the fonts and the effects.
void LoadTestGameData(bool sounds);
// The "ui" element of cfg\ui.xml.
IXMLDOMNode* TestLayoutRoot();
// Forgets the effects and the layouts and closes the archives.
void UnloadTestGameData();

// --- The engine over them
// COM, the data with its sounds, the engine (the working folder left as it
// was) and the question boxes in its widget manager; null when the data failed.
WindowlessEngine* StartWindowlessGame();
// Empties the screen table, deletes the engine (it takes the boxes, textures,
// fonts and sounds with it), unloads the data and ends COM.
void StopWindowlessGame(WindowlessEngine* engine);

// A press and release at the widget's centre through the engine's widget manager.
void ClickWidgetCentre(WindowlessEngine* engine, KpCandyWidget* widget);
// Runs updates of the widget tree, each `ms` of game time.
void RunTreeUpdates(WindowlessEngine* engine, int count, int ms);
// Deletes the screens of the engine's table, each taken out of its parent first.
void ClearScreenTable();
// The profile file at that path, fresh: no profile in it yet.
void FreshProfileFileAt(const std::string& path);
