// Line breaking for the system's message boxes. A box grows with its longest
// line, and a long path or other word without blanks is never broken by the
// system: a text put through this keeps every box within the screen. The
// text's own line breaks stay, and no character is lost.
#pragma once

#include <cstddef>
#include <string>

namespace Lumo
{

// Characters per line of a box: about 770 pixels of the widest letters of
// the box's font, with room for its icon and frame on a 1024-pixel screen.
const size_t kBoxLineChars = 70;

// Lines of at most lineChars units: broken at a blank (which goes) or, for a
// longer word, inside it, always between two characters: a surrogate pair of
// wide text, or a double-byte character of narrow text in the code page
// (0: the system's), is never split.
std::wstring WrapBoxText(const std::wstring& text, size_t lineChars = kBoxLineChars);
std::string WrapBoxText(const std::string& text, size_t lineChars = kBoxLineChars,
                        unsigned codePage = 0);

} // namespace Lumo
