#include "framework/app/BoxTextWrap.h"

namespace Lumo
{

namespace
{
template <class String> String Wrap(const String& text, size_t lineChars)
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
            line = word.substr(0, lineChars);
            word.erase(0, lineChars);
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
    return Wrap(text, lineChars);
}

std::string WrapBoxText(const std::string& text, size_t lineChars)
{
    return Wrap(text, lineChars);
}

} // namespace Lumo
