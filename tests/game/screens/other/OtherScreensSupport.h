// Set-up shared by the tests of the survival page, upgrade shop, options,
// hi-score, help, splash and load screens: the game's archives of the build
// (texts, layouts, textures, fonts, sounds, effects) and one engine for the
// whole program that never opens a window. The tests drive the screens with
// presses through the widget manager and run its updates on a fixed clock.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "game/engine/KpEngine3.h"

class KpCandyWidget;
class KpBoard_Game3;

namespace OtherScreens
{
KpEngine3* Engine();
IXMLDOMNode* LayoutRoot();

// A press and release at the widget's centre through the widget manager.
void Click(KpCandyWidget* widget);
// A key pressed and released through the widget manager.
void PressKey(int key);
// Runs updates of the widget tree, each `ms` of game time.
void RunUpdates(int count, int ms = 10);

// The profile file in a fresh temporary file with one current profile of that
// name at that highest level (none when the name is null).
void FreshProfile(const wchar_t* name, int highestLevel = 1);
void AttachScreen(Lumo::Widget* screen);
// Puts a screen into the engine's table and the widget manager (owned there).
template <class T> T* AddScreen(KpEngineBoard entry, T* screen)
{
    gEngine3Boards[entry] = screen;
    AttachScreen(screen);
    return screen;
}
// Empties the engine's table (its screens deleted).
void ClearScreens();
// The board of the table with the level loaded and running (false when it did
// not load within the bound).
bool LoadLevel(KpBoard_Game3* board, int level, bool endless);
} // namespace OtherScreens
