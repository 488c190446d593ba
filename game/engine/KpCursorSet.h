// The game's mouse cursors from the "cursors" element of "cfg\ui.xml": one
// picture per cursor kind (arrow, hand, drag, text, wait) with its hot spot.
// Shown, they replace the system cursors through the application's custom
// cursor images, which the display draws and the cursor thread moves between
// frames; hidden, no cursor is seen at all (the splash hides it).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

namespace Lumo
{
class Image;
}

class KpCursorSet
{
public:
    // Reads every "ui/cursors/cursor" (name, file, hot "x;y"); unknown names
    // and unreadable pictures are skipped with a warning. Returns the count.
    static int LoadConfig(IXMLDOMNode* document);
    // Main thread only: the application changes the system cursor.
    static void Show();
    static void Hide();
    static bool IsShown();
    // Cursor kinds with a picture.
    static int GetCount();
    // The picture for an application cursor number (hot spot at its centre), or null.
    static Lumo::Image* GetCursorImage(int cursorNumber);
    static void Clear();
};
