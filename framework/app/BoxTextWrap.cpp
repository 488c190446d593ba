#include "framework/app/BoxTextWrap.h"

#include <windows.h>

namespace Lumo
{

namespace
{
// Units of the character that starts at `at`: a surrogate pair of wide text,
// or a lead byte and its trail in a double-byte code page, is one character.
size_t CharUnits(const std::wstring& text, size_t at, unsigned)
{
    bool pair = text[at] >= 0xD800 && text[at] <= 0xDBFF && at + 1 < text.size() &&
                text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
    return pair ? 2 : 1;
}

size_t CharUnits(const std::string& text, size_t at, unsigned codePage)
{
    bool lead = IsDBCSLeadByteEx(codePage, (BYTE)text[at]) && at + 1 < text.size();
    return lead ? 2 : 1;
}

// The longest head of the word of at most lineChars units that ends between
// two characters; at least one character, so that a cut always moves on.
template <class String>
size_t CutBetweenCharacters(const String& word, size_t lineChars, unsigned codePage)
{
    size_t cut = 0;
    while (cut < word.size())
    {
        size_t next = cut + CharUnits(word, cut, codePage);
        if (next > lineChars && cut > 0)
            break;
        cut = next;
    }
    return cut;
}

template <class String> String Wrap(const String& text, size_t lineChars, unsigned codePage)
{
    typedef typename String::value_type Char;
    const Char blank = Char(' '), newline = Char('\n');
    const Char breaks[] = {blank, newline, Char(0)};
    if (lineChars == 0)
        return text;
    String out, line;
    auto endLine = [&]
    {
        out += line;
        out += newline;
        line.clear();
    };
    size_t at = 0;
    while (at < text.size())
    {
        if (text[at] == newline)
        {
            endLine();
            at++;
            continue;
        }
        // Blanks and line breaks are never the trail of a double-byte character.
        size_t end = text.find_first_of(breaks, at);
        if (end == String::npos)
            end = text.size();
        String word = text.substr(at, end - at);
        at = end < text.size() && text[end] == blank ? end + 1 : end;
        if (!line.empty() && line.size() + 1 + word.size() > lineChars)
            endLine();
        while (word.size() > lineChars)
        {
            if (!line.empty())
                endLine();
            size_t cut = CutBetweenCharacters(word, lineChars, codePage);
            line = word.substr(0, cut);
            word.erase(0, cut);
            endLine();
        }
        if (!line.empty())
            line += blank;
        line += word;
    }
    return out + line;
}
} // namespace

std::wstring WrapBoxText(const std::wstring& text, size_t lineChars)
{
    return Wrap(text, lineChars, 0);
}

std::string WrapBoxText(const std::string& text, size_t lineChars, unsigned codePage)
{
    return Wrap(text, lineChars, codePage);
}

} // namespace Lumo
