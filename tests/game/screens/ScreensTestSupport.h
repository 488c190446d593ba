// Shared set-up of the screens' tests: the game's archives of the build with
// its texts, layouts, textures, fonts, sounds and effects, and one engine for
// the whole program that never opens a window: its update step runs the
// widget manager's update and then whatever the test asks for (a click, a
// look at the engine's flags), so the screens' own waits (the question boxes)
// can be driven with real presses through the widget manager.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "tests/support/GameTestLog.h"
#include "tests/support/WindowlessGame.h"

class KpCandyWidget;
class KpBoard_Game3;

typedef WindowlessEngine ScreensEngine;

ScreensEngine* TestEngine();
IXMLDOMNode* ScreensLayoutRoot();

// A press and release at the widget's centre through the widget manager.
void ClickWidget(KpCandyWidget* widget);
// Runs updates of the widget tree, each `ms` of game time.
void RunUpdates(int count, int ms = 10);

// The profile file in a fresh temporary file, with no profile or one named
// profile (current).
void FreshProfileFile(const wchar_t* profile = nullptr);
// The engine's screen table entries made for a test, removed and deleted afterwards.
void ClearScreens();
// The board made for a test (in the screen table and the widget manager).
KpBoard_Game3* MakeGameBoard();

inline void StartScreensLog()
{
    StartTestLog("screens-test.log");
}
inline std::string ScreensLogText()
{
    return TestLogText();
}
inline void StopScreensLog()
{
    StopTestLog();
}
