// The game's fonts by name, from the "fonts" element of "cfg\ui.xml". Font
// files packed with the data are registered from memory for this process
// only (so they work from the archive), and each named font is a system font
// of a face; a face that is not there falls back to the system font named by
// "fallback" (Tahoma unless given).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

namespace Lumo
{
class Font;
}

class KpFont
{
public:
    // Registers every "ui/fonts/fontfile" and makes every "ui/fonts/font"
    // (name, face, size in points, bold, italic, fallback); bad elements are
    // skipped with a warning. Returns the number of named fonts.
    static int LoadConfig(IXMLDOMNode* document);
    // Registers a TrueType or OpenType font file held in memory for this process.
    static bool RegisterFontData(const std::string& bytes, const std::string& nameForLog);
    // True when GDI gives a font of this face (registered or installed).
    static bool IsFaceAvailable(const std::string& face);

    // The font of that name, or none. The fonts live until Clear.
    static Lumo::Font* GetFont(const std::string& name);
    static int GetCount();
    // Files a font under a name (owned from then on; replaces an older one).
    static void AddFont(const std::string& name, Lumo::Font* font);
    // Deletes the fonts and withdraws the registered files.
    static void Clear();
};
