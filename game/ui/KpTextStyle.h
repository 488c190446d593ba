// How a game widget writes text: font, colour, an optional outline, the
// alignment in its box and word wrapping; and KpTextCache, the laid-out text
// kept as a picture so a label costs one image draw per frame (and fades and
// scales with its widget like any picture).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"

namespace Lumo
{
class Font;
class Graphics;
class MemoryImage;
} // namespace Lumo
class KpCandyWidget;

enum KpAlign
{
    kAlignLeft = 0, // also top
    kAlignCenter,   // also middle
    kAlignRight,    // also bottom
};

struct KpTextStyle
{
    Lumo::Font* font = nullptr;          // not owned (KpFont's)
    Lumo::Color color{0x5B, 0x3A, 0x29}; // coffee
    Lumo::Color outline{0, 0, 0, 0};     // alpha 0: none
    int align = kAlignCenter;
    int valign = kAlignCenter;
    bool wrap = false;
    int lineSpacing = -1; // pixels between baselines; -1: the font's own

    // Reads "font", "color", "outline", "align" (left|center|right),
    // "valign" (top|middle|bottom), "wrap" and "linespacing".
    void ReadXml(KpCandyWidget* w, IXMLDOMNode* e);
    // Writes the text in the box (relative to g), in the given colour.
    void Draw(Lumo::Graphics* g, const Lumo::Rect& box, const std::wstring& text,
              const Lumo::Color& color) const;
    // Width of the widest line.
    int MeasureWidth(const std::wstring& text) const;

    bool operator==(const KpTextStyle& o) const;
    bool operator!=(const KpTextStyle& o) const { return !(*this == o); }
};

class KpTextCache
{
public:
    ~KpTextCache();
    // The text laid out in a w x h box, drawn again only when something changed.
    Lumo::MemoryImage* Get(const std::wstring& text, const KpTextStyle& style, int width,
                           int height);
    void Clear();

private:
    Lumo::MemoryImage* mImage = nullptr; // owned
    std::wstring mText;
    KpTextStyle mStyle;
};
