// The command line: splitting off the program name, the option handler, and
// ending the process at once for start-up failures.
#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DemoNumbering.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace Lumo
{

template <class Text> static bool SplitCommandLineText(const Text& line, Text& arguments)
{
    size_t scan = 0;
    if (!line.empty() && line[0] == '"')
    {
        size_t close = line.find('"', 1);
        if (close == Text::npos)
            return false;
        scan = close + 1;
    }
    size_t blank = line.find(' ', scan);
    if (blank == Text::npos)
        return false;
    arguments = line.substr(blank + 1);
    return true;
}

bool SplitCommandLine(const std::string& line, std::string& arguments)
{
    return SplitCommandLineText(line, arguments);
}

bool SplitCommandLine(const std::wstring& line, std::wstring& arguments)
{
    return SplitCommandLineText(line, arguments);
}

// Narrow text with "?" for what the code page lacks, as the narrow command line has it.
static std::string MarkedNarrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()),
                                   nullptr, 0, "?", nullptr);
    if (size <= 0)
        return std::string();
    std::string narrow(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), &narrow[0],
                        size, "?", nullptr);
    return narrow;
}

bool LumoAppBase::ReadCommandArguments(std::string* arguments,
                                       std::vector<CommandLineArgument>* converted)
{
    const wchar_t* raw = GetCommandLineW();
    std::wstring wide;
    if (!raw || !SplitCommandLine(std::wstring(raw), wide))
        return false;
    *arguments = NarrowCommandArguments(wide, FromCodePage(GetAppDataFolder()), converted);
    return true;
}

void LumoAppBase::ParseCommandLine()
{
    // Wide: the narrow command line has "?" (or a look-alike) for letters the code page lacks.
    std::string arguments;
    mTypedArguments.clear();
    if (ReadCommandArguments(&arguments, &mTypedArguments))
        ReceiveCommandLine(arguments);
    mCmdLineParsed = true;
}

void LumoAppBase::ReceiveCommandLine(const std::string&) {}

std::wstring LumoAppBase::TypedCommandLineText(const std::string& narrow, bool* reached) const
{
    for (const CommandLineArgument& argument : mTypedArguments)
        if (argument.narrow == narrow)
        {
            if (reached)
                *reached = argument.reached;
            return argument.typed;
        }
    if (reached)
        *reached = true;
    return FromCodePage(narrow);
}

namespace
{
// A token of argument text and where it stands there, its quotes included.
template <class Text> struct ArgumentToken
{
    Text text;
    size_t begin, end;
};

// Blank-separated tokens, double quotes grouping blanks into one (and dropped).
template <class Text> std::vector<ArgumentToken<Text>> Tokenize(const Text& arguments)
{
    std::vector<ArgumentToken<Text>> tokens;
    ArgumentToken<Text> token = {Text(), 0, 0};
    bool inToken = false, quoted = false;
    for (size_t i = 0; i < arguments.size(); i++)
    {
        auto c = arguments[i];
        if (!inToken && !((c == ' ' || c == '\t') && !quoted))
            token.begin = i;
        if (c == '"')
        {
            quoted = !quoted;
            inToken = true;
        }
        else if ((c == ' ' || c == '\t') && !quoted)
        {
            if (inToken)
            {
                token.end = i;
                tokens.push_back(token);
            }
            token.text.clear();
            inToken = false;
        }
        else
        {
            token.text += c;
            inToken = true;
        }
    }
    if (inToken)
    {
        token.end = arguments.size();
        tokens.push_back(token);
    }
    return tokens;
}

// An option is a token that starts with '-' and no digit ("-5" is a value).
template <class Text> bool IsOptionName(const Text& token)
{
    return token.size() >= 2 && token[0] == '-' && !(token[1] >= '0' && token[1] <= '9');
}

// Whether each token is the value of the option before it.
template <class Text> std::vector<bool> ValueTokens(const std::vector<ArgumentToken<Text>>& tokens)
{
    std::vector<bool> values(tokens.size(), false);
    for (size_t i = 0; i + 1 < tokens.size(); i++)
        if (IsOptionName(tokens[i].text) && !IsOptionName(tokens[i + 1].text))
            values[++i] = true;
    return values;
}
} // namespace

std::vector<std::pair<std::string, std::string>>
SplitCommandLineOptions(const std::string& arguments)
{
    std::vector<ArgumentToken<std::string>> tokens = Tokenize(arguments);
    std::vector<bool> values = ValueTokens(tokens);
    std::vector<std::pair<std::string, std::string>> options;
    for (size_t i = 0; i < tokens.size(); i++)
    {
        bool takesValue = i + 1 < tokens.size() && values[i + 1];
        options.emplace_back(tokens[i].text, takesValue ? tokens[i + 1].text : std::string());
        if (takesValue)
            i++;
    }
    return options;
}

std::string NarrowCommandArguments(const std::wstring& arguments, const std::wstring& demoFolder,
                                   std::vector<CommandLineArgument>* converted,
                                   ShortPathQuery shortPath)
{
    std::string narrow;
    if (ToCodePage(arguments, narrow))
        return narrow;
    std::vector<ArgumentToken<std::wstring>> tokens = Tokenize(arguments);
    std::vector<bool> values = ValueTokens(tokens);
    size_t done = 0;
    for (size_t i = 0; i < tokens.size(); i++)
    {
        const ArgumentToken<std::wstring>& token = tokens[i];
        narrow += MarkedNarrow(arguments.substr(done, token.begin - done));
        done = token.end;
        std::string held;
        if (ToCodePage(arguments.substr(token.begin, token.end - token.begin), held))
        {
            narrow += held;
            continue;
        }
        CommandLineArgument argument;
        argument.typed = token.text;
        // The name the handler makes of it, so that the short name is the one of that file.
        if (values[i] && tokens[i - 1].text == L"-demofile" &&
            !IsAbsolutePath(MarkedNarrow(token.text)))
            argument.typed = demoFolder + token.text;
        // Only a value can name a file; an option name stays one.
        if (values[i])
            argument.narrow = NarrowPathName(argument.typed, shortPath);
        argument.reached = !argument.narrow.empty();
        if (!argument.reached)
            argument.narrow = MarkedNarrow(argument.typed);
        narrow += "\"" + argument.narrow + "\"";
        if (converted)
            converted->push_back(argument);
    }
    return narrow + MarkedNarrow(arguments.substr(done));
}

bool ArgumentsAskScreenSaver(const std::string& arguments)
{
    for (const auto& option : SplitCommandLineOptions(arguments))
        if (option.first == "-screensaver")
            return true;
    return false;
}

bool ArgumentsAskReplay(const std::string& arguments)
{
    bool replay = false;
    for (const auto& option : SplitCommandLineOptions(arguments))
    {
        if (option.first == "-play" || option.first == "-playnum")
            replay = true;
        else if (option.first == "-record" || option.first == "-recnum")
            replay = false;
    }
    return replay;
}

// Decimal integer as atoi reads it: leading blanks, a sign, digits up to the first other.
static int ParseLeadingInt(const std::string& text)
{
    return atoi(text.c_str());
}

static std::string MakeDemoPathAbsolute(const std::string& name)
{
    if (Lumo::IsAbsolutePath(name))
        return name;
    return Lumo::GetAppDataFolder() + name;
}

void LumoAppBase::HandleCommandLineOption(const std::string& name, const std::string& value)
{
    if (name == "-play")
    {
        mPlayingDemo = true;
        mRecordingDemo = false;
    }
    else if (name == "-recnum")
    {
        int keep = ParseLeadingInt(value);
        if (keep <= 0)
            keep = 5;
        // The numbering looks where the recordings are written.
        std::string prefix = MakeDemoPathAbsolute(mDemoPrefix);
        int highest = FindLatestDemoNumber(prefix, keep, true);
        char number[32];
        snprintf(number, sizeof(number), "%d.dmo", highest + 1);
        mDemoFileName = prefix + number;
        mRecordingDemo = true;
        mPlayingDemo = false;
    }
    else if (name == "-playnum")
    {
        int back = ParseLeadingInt(value) - 1;
        if (back < 0)
            back = 0;
        // Where "-recnum" wrote them, so that 1 plays the newest recording.
        std::string prefix = MakeDemoPathAbsolute(mDemoPrefix);
        int highest = FindLatestDemoNumber(prefix, back, false);
        // Without any recording the name looked for is the first one "-recnum"
        // gives, not a number below it that no recording can have.
        int wanted = highest == 0 ? 1 : highest - back;
        char number[32];
        snprintf(number, sizeof(number), "%d.dmo", wanted);
        mDemoFileName = prefix + number;
        mRecordingDemo = false;
        mPlayingDemo = true;
    }
    else if (name == "-record")
    {
        mRecordingDemo = true;
        mPlayingDemo = false;
    }
    else if (name == "-demofile")
        mDemoFileName = MakeDemoPathAbsolute(value);
    else if (name == "-crash")
    {
        // A real fault, so the crash reporter sees it as it sees any other.
        volatile int* nowhere = nullptr;
        *nowhere = 0;
    }
    else if (name == "-screensaver")
        mScreenSaver = true;
    else if (name == "-changedir")
        mChangeDirPath = value;
    else
    {
        PopupW(GetString("INVALID_COMMANDLINE_PARAM", L"Invalid command line parameter: ") +
               TypedCommandLineText(name));
        ExitImmediately(0);
    }
}

// ---------------------------------------------------------------- ending at once

static std::map<HWND, RECT> gSavedWindowRects;

static BOOL CALLBACK SaveOrRestoreWindowRects(HWND hwnd, LPARAM restore)
{
    if (!restore)
    {
        if (IsWindowVisible(hwnd) && !IsIconic(hwnd))
        {
            RECT rect;
            if (GetWindowRect(hwnd, &rect))
                gSavedWindowRects[hwnd] = rect;
        }
    }
    else
    {
        auto it = gSavedWindowRects.find(hwnd);
        if (it != gSavedWindowRects.end())
        {
            const RECT& r = it->second;
            MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        }
    }
    return TRUE;
}

void LumoAppBase::RestoreDesktopMode()
{
    if (!gDesktopModeChanged)
        return;
    gSavedWindowRects.clear();
    EnumWindows(SaveOrRestoreWindowRects, 0);
    ChangeDisplaySettingsA(nullptr, 0);
    EnumWindows(SaveOrRestoreWindowRects, 1);
    gDesktopModeChanged = false;
}

void LumoAppBase::ExitImmediately(int exitCode)
{
    RestoreDesktopMode();
    ExitProcess(exitCode);
}

} // namespace Lumo
