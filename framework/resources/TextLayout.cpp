#include "framework/resources/TextLayout.h"

#include <cwctype>

namespace Lumo
{

static int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

int ParseColorCode(const std::wstring& text, size_t pos, int* rgb, bool* isReset)
{
    if (pos + 8 > text.size() || text[pos] != L'^' || text[pos + 7] != L'^')
        return 0;
    static const wchar_t kReset[] = L"oldclr";
    bool reset = true;
    for (int i = 0; i < 6; i++)
    {
        if (std::towlower(text[pos + 1 + i]) != kReset[i])
        {
            reset = false;
            break;
        }
    }
    if (reset)
    {
        *isReset = true;
        *rgb = 0;
        return 8;
    }
    int value = 0;
    for (int i = 0; i < 6; i++)
    {
        int d = HexDigit(text[pos + 1 + i]);
        if (d < 0)
            return 0;
        value = (value << 4) | d;
    }
    *isReset = false;
    *rgb = value;
    return 8;
}

std::wstring StripColorCodes(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
    {
        int rgb;
        bool reset;
        int len = ParseColorCode(text, i, &rgb, &reset);
        if (len)
        {
            i += len;
            continue;
        }
        out += text[i++];
    }
    return out;
}

std::vector<ColoredRun> SplitColoredRuns(const std::wstring& text, bool colorCodes, int startRgb,
                                         size_t first, int length)
{
    std::vector<ColoredRun> runs;
    size_t end = text.size();
    if (first > end)
        first = end;
    if (length >= 0 && first + (size_t)length < end)
        end = first + (size_t)length;

    int current = startRgb;
    size_t i = 0;
    // Codes before the first character still set the colour.
    if (colorCodes)
    {
        while (i < first)
        {
            int rgb;
            bool reset;
            int len = ParseColorCode(text, i, &rgb, &reset);
            if (len && i + len <= first)
            {
                current = reset ? startRgb : rgb;
                i += len;
            }
            else
                i++;
        }
    }
    i = first;
    ColoredRun run{std::wstring(), current};
    while (i < end)
    {
        int rgb;
        bool reset;
        int len = colorCodes ? ParseColorCode(text, i, &rgb, &reset) : 0;
        if (len && i + len <= end)
        {
            if (!run.text.empty())
                runs.push_back(run);
            current = reset ? startRgb : rgb;
            run = ColoredRun{std::wstring(), current};
            i += len;
            continue;
        }
        run.text += text[i++];
    }
    if (!run.text.empty())
        runs.push_back(run);
    return runs;
}

int ColorAfter(const std::wstring& text, bool colorCodes, int startRgb)
{
    int current = startRgb;
    if (!colorCodes)
        return current;
    for (size_t i = 0; i < text.size();)
    {
        int rgb;
        bool reset;
        int len = ParseColorCode(text, i, &rgb, &reset);
        if (len)
        {
            current = reset ? startRgb : rgb;
            i += len;
        }
        else
            i++;
    }
    return current;
}

static bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

std::vector<WrappedLine> WrapText(const std::wstring& text, int width, bool colorCodes,
                                  const std::function<int(const std::wstring&)>& measure)
{
    std::vector<WrappedLine> lines;
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n)
    {
        size_t lineStart = pos;
        size_t lastBlank = std::wstring::npos;
        bool hasVisible = false;
        size_t i = pos;
        for (;;)
        {
            if (i >= n)
            {
                lines.push_back({lineStart, n});
                pos = n;
                break;
            }
            wchar_t c = text[i];
            int rgb;
            bool reset;
            int codeLen = colorCodes ? ParseColorCode(text, i, &rgb, &reset) : 0;
            if (codeLen)
            {
                i += codeLen;
                continue;
            }
            if (c == L'\n' || c == L'\r')
            {
                lines.push_back({lineStart, i});
                pos = i + 1;
                if (c == L'\r' && pos < n && text[pos] == L'\n')
                    pos++;
                break;
            }
            if (!IsBlank(c) && measure(text.substr(lineStart, i + 1 - lineStart)) > width)
            {
                if (lastBlank != std::wstring::npos)
                {
                    // Wrap at the last blank; trailing blanks of the line go too.
                    size_t end = lastBlank;
                    while (end > lineStart && IsBlank(text[end - 1]))
                        end--;
                    lines.push_back({lineStart, end});
                    pos = lastBlank + 1;
                }
                else if (hasVisible)
                {
                    lines.push_back({lineStart, i});
                    pos = i;
                }
                else
                {
                    // Not even one character fits: it gets a line of its own.
                    lines.push_back({lineStart, i + 1});
                    pos = i + 1;
                }
                while (pos < n && IsBlank(text[pos]))
                    pos++;
                // A wrap that lands exactly on a line feed must not add an empty line.
                if (pos < n && text[pos] == L'\r')
                    pos++;
                if (pos < n && text[pos] == L'\n')
                    pos++;
                break;
            }
            if (IsBlank(c))
            {
                if (hasVisible)
                    lastBlank = i;
            }
            else
                hasVisible = true;
            i++;
        }
    }
    return lines;
}

int JustifyX(int x, int boxWidth, int lineWidth, int justification)
{
    if (justification == 0)
        return x + (boxWidth - lineWidth) / 2;
    if (justification == 1)
        return x + boxWidth - lineWidth;
    return x;
}

} // namespace Lumo
