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

bool SplitCommandLine(const std::string& line, std::string& arguments)
{
    size_t scan = 0;
    if (!line.empty() && line[0] == '"')
    {
        size_t close = line.find('"', 1);
        if (close == std::string::npos)
            return false;
        scan = close + 1;
    }
    size_t blank = line.find(' ', scan);
    if (blank == std::string::npos)
        return false;
    arguments = line.substr(blank + 1);
    return true;
}

void LumoAppBase::ParseCommandLine()
{
    const char* raw = GetCommandLineA();
    std::string arguments;
    if (raw && SplitCommandLine(raw, arguments))
        ReceiveCommandLine(arguments);
    mCmdLineParsed = true;
}

void LumoAppBase::ReceiveCommandLine(const std::string&) {}

// An option is a token that starts with '-' and no digit ("-5" is a value).
static bool IsOptionName(const std::string& token)
{
    return token.size() >= 2 && token[0] == '-' && !(token[1] >= '0' && token[1] <= '9');
}

std::vector<std::pair<std::string, std::string>>
SplitCommandLineOptions(const std::string& arguments)
{
    std::vector<std::string> tokens;
    std::string token;
    bool inToken = false, quoted = false;
    for (char c : arguments)
    {
        if (c == '"')
        {
            quoted = !quoted;
            inToken = true;
        }
        else if ((c == ' ' || c == '\t') && !quoted)
        {
            if (inToken)
                tokens.push_back(token);
            token.clear();
            inToken = false;
        }
        else
        {
            token += c;
            inToken = true;
        }
    }
    if (inToken)
        tokens.push_back(token);

    std::vector<std::pair<std::string, std::string>> options;
    for (size_t i = 0; i < tokens.size(); i++)
    {
        bool takesValue =
            IsOptionName(tokens[i]) && i + 1 < tokens.size() && !IsOptionName(tokens[i + 1]);
        options.emplace_back(tokens[i], takesValue ? tokens[i + 1] : std::string());
        if (takesValue)
            i++;
    }
    return options;
}

bool CommandLineAsksScreenSaver(const std::string& line)
{
    std::string arguments;
    if (!SplitCommandLine(line, arguments))
        return false;
    for (const auto& option : SplitCommandLineOptions(arguments))
        if (option.first == "-screensaver")
            return true;
    return false;
}

bool CommandLineAsksReplay(const std::string& line)
{
    std::string arguments;
    if (!SplitCommandLine(line, arguments))
        return false;
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
        std::wstring text =
            GetString("INVALID_COMMANDLINE_PARAM", L"Invalid command line parameter: ");
        for (unsigned char c : name)
            text += (wchar_t)c;
        PopupW(text);
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
