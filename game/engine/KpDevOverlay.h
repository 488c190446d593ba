// The developer overlay: one line at the top left of the screen, drawn over
// everything while the developer master switch is on, telling the update
// count, the frame time, the pointer and the widget under it by its names
// (the layout path to look up in "cfg\ui.xml"), and whether a question box
// holds the game. Pure text here; the engine draws it.
#pragma once

#include <string>

namespace Lumo
{
class Graphics;
class Widget;
} // namespace Lumo

// The names of the widget and of its named ancestors, outermost first, joined
// by "/"; unnamed widgets are left out; empty for none.
std::string KpWidgetPath(Lumo::Widget* widget);

std::string KpDevOverlayText(int updates, int frameMs, int pointerX, int pointerY,
                             const std::string& widgetPath, bool boxOpen);

// Draws the line in the developer font, white on a dark band; nothing for an
// empty line.
void KpDrawDevOverlay(Lumo::Graphics* g, const std::string& text);
