// The two playback dialogs, "Marker List" and "Jump To Time" (keys 'L' and
// 'J' while a demo plays), built in memory as dialog templates so the program
// needs no resource file. Both set the application's fast-forward target; the
// rules they apply are pure functions here so they can be tested alone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/diagnostics/DemoFile.h"

namespace Lumo
{

// One control of an in-memory dialog template (positions in dialog units).
struct DialogTemplateItem
{
    WORD id;
    WORD classAtom; // 0x0080 button, 0x0081 edit, 0x0083 list box
    std::wstring text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

// The bytes of a DLGTEMPLATE with its items, each item DWORD-aligned; the
// style should hold DS_SETFONT, since the font's size and face follow the title.
std::vector<unsigned char> BuildDialogTemplate(const std::wstring& title, DWORD style, short x,
                                               short y, short cx, short cy, WORD pointSize,
                                               const std::wstring& face,
                                               const std::vector<DialogTemplateItem>& items);

// Seconds from "h:m:s", "m:s" or "s": fields split at ':' read left to right,
// each a decimal number, t = t x 60 + field; 0 without any field.
long long ParseDemoJumpTime(const std::string& text);

// The update to run to for a time counted back from the end of the recording,
// with one second more; never below 0.
int DemoJumpTarget(int totalUpdates, long long seconds, int updatePeriodMs);

// A marker's line in the list: its name and the time from it to the end of
// the recording, "%s (%02d:%02d:%02d)".
std::wstring FormatDemoMarker(const DemoMarker& marker, int totalUpdates, int updatePeriodMs);

} // namespace Lumo
