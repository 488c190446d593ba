#include "tests/demos/DemoHarness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>

#include "framework/app/PakWriter.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DemoFile.h"
#include "framework/diagnostics/DemoStream.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

namespace DemoTest
{

using GameTest::GameProcess;

namespace
{

const char kLoaded[] = "KpEngine: loading completed";
const char kReachedEnd[] = "Demo playback: reached the last update";
const char kPlaybackEnded[] = "Demo playback ended at update ";
const char kDiverged[] = "Demo playback diverged";
const char kTracePrefix[] = "Screens: ";
const int kStartBoundMs = 30000;
// How long a "wait" step or a pixel check waits for the game at most.
const int kStepBoundMs = 30000;
// The question box scales in: its buttons reach their places after this.
const int kBoxSettleMs = 500;
// The game's picture, in its window's client area.
const int kGameWidth = 1024;
const int kGameHeight = 768;

// A bounded wait on nothing: the script's own pauses and the pixel polls.
void WaitMs(DWORD ms)
{
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WaitForSingleObject(never, ms);
    CloseHandle(never);
}

bool ToInt(const std::string& text, int* value)
{
    char* end = nullptr;
    long v = strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != 0)
        return false;
    *value = (int)v;
    return true;
}

// Both runs start alike: the game's key holds only Is3D = 0 (the software
// road, whose pixels do not depend on a 3D driver). A recording starts from a
// returning player's default settings file, which asks for a window (a first
// run would copy the display's own outcome into pref.dat, and a replay always
// runs in a window), unless the caller put a file of its own in place; a
// replay takes the recorded file and leaves the player's alone.
void PrepareGame(bool writeProfile)
{
    GameTest::RemoveGameKey();
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, GameTest::kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS)
    {
        DWORD zero = 0;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&zero, sizeof(zero));
        RegCloseKey(key);
    }
    if (!writeProfile)
        return;
    std::string path = KpProfileFile::DefaultPath();
    Lumo::MakeDirectories(Lumo::GetFileDir(path, true));
    KpProfileData data;
    data.windowed = 1;
    WriteWholeFile(path, WriteProfileData(data));
}

// What the game's key holds: its values' names and numbers, and its subkeys.
std::string GameKeyContents()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, GameTest::kGameKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "no key";
    std::string text;
    char name[256];
    for (DWORD i = 0;; i++)
    {
        DWORD length = sizeof(name), type = 0, value = 0, size = sizeof(value);
        if (RegEnumValueA(key, i, name, &length, nullptr, &type, (BYTE*)&value, &size) !=
            ERROR_SUCCESS)
            break;
        text += Lumo::StrFormat("%s=%u ", name, (unsigned)(type == REG_DWORD ? value : 0xFFFF));
    }
    DWORD subkeys = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return text + Lumo::StrFormat("(%u subkeys)", (unsigned)subkeys);
}

// The fields of the pref.dat the game saved, and a digest of all its bytes:
// the settings, and the current profile's name and career (its highest day,
// and each played day's money, expert mark and task goals).
std::map<std::string, std::string> ReadPrefFields(const std::string& path)
{
    std::map<std::string, std::string> fields;
    std::string bytes;
    if (!ReadWholeFile(path, &bytes))
    {
        fields["file"] = "missing";
        return fields;
    }
    KpProfileData data;
    std::vector<std::string> warnings;
    if (!ReadProfileData(bytes, data, warnings))
    {
        fields["file"] = "unreadable";
        return fields;
    }
    uint32_t hash = 2166136261u;
    for (unsigned char c : bytes)
        hash = (hash ^ c) * 16777619u;
    fields["musicVolume"] = std::to_string(data.musicVolume);
    fields["soundVolume"] = std::to_string(data.soundVolume);
    fields["windowed"] = std::to_string(data.windowed);
    fields["mute"] = std::to_string(data.mute);
    fields["currentSlot"] = std::to_string(data.currentSlot);
    fields["profiles"] = std::to_string(data.slots.size());
    fields["bytes"] = Lumo::StrFormat("%u/%08X", (unsigned)bytes.size(), hash);
    if (data.currentSlot >= 0 && data.currentSlot < (int)data.slots.size())
    {
        const KpProfile& profile = data.slots[data.currentSlot];
        std::string name = Lumo::WStringToString(profile.name);
        for (char& c : name)
            if (c == ' ')
                c = '_';
        fields["profile.name"] = name;
        fields["profile.highestLevel"] = std::to_string(profile.highestLevel);
        for (int level = 0; level < kProfileLevels; level++)
        {
            std::string goals;
            bool played = profile.levelMoney[level] != 0 || profile.levelExpert[level] != 0;
            for (int g = 0; g < kProfileGoals; g++)
            {
                goals += (g ? "/" : "") + std::to_string(profile.levelGoals[level][g]);
                played = played || profile.levelGoals[level][g] != 0;
            }
            if (!played)
                continue;
            std::string key = "level" + std::to_string(level);
            fields[key + ".money"] = std::to_string(profile.levelMoney[level]);
            fields[key + ".expert"] = std::to_string(profile.levelExpert[level]);
            fields[key + ".goals"] = goals;
        }
    }
    return fields;
}

// The screen's pixels of a rectangle, row by row from the top, as 0xRRGGBB.
std::vector<uint32_t> ScreenArea(int x, int y, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, x, y, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels((const uint32_t*)bits, (const uint32_t*)bits + width * height);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

uint32_t ScreenPixel(int x, int y)
{
    return ScreenArea(x, y, 1, 1)[0];
}

POINT ClientToScreenPoint(HWND hwnd, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

uint32_t ClientPixel(HWND hwnd, int x, int y)
{
    POINT p = ClientToScreenPoint(hwnd, x, y);
    return ScreenPixel(p.x, p.y);
}

// The game's main window now; the game makes a new one at a screen-mode change.
HWND MainWindow(GameProcess& game)
{
    return GameTest::WindowOf(game.mPid, "MainWindow");
}

std::vector<std::string> Lines(const std::string& text, const std::string& part)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.find(part) != std::string::npos)
            lines.push_back(line);
    return lines;
}

void PostClick(HWND hwnd, int x, int y, bool right)
{
    POINT p = ClientToScreenPoint(hwnd, x, y);
    SetCursorPos(p.x, p.y);
    LPARAM at = MAKELPARAM(x, y);
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageA(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
                 at);
    PostMessageA(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

// Posts one step of input, the real pointer moved along so that the game's
// own view of it (the cursor picture, the pointer-inside test) agrees.
bool PostStep(GameProcess& game, const ScriptStep& step, std::string* error)
{
    HWND hwnd = MainWindow(game);
    if (!hwnd)
    {
        *error = "the game has no main window";
        return false;
    }
    const std::vector<std::string>& a = step.args;
    if (step.verb == "move" || step.verb == "click")
    {
        int x = 0, y = 0;
        ToInt(a[0], &x);
        ToInt(a[1], &y);
        if (step.verb == "click")
        {
            PostClick(hwnd, x, y, a.size() > 2 && a[2] == "right");
            return true;
        }
        POINT p = ClientToScreenPoint(hwnd, x, y);
        SetCursorPos(p.x, p.y);
        PostMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        return true;
    }
    if (step.verb == "key")
    {
        int code = 0;
        if (a[0].size() == 1)
            code = (unsigned char)a[0][0];
        else
            ToInt(a[0], &code);
        PostMessageA(hwnd, WM_KEYDOWN, (WPARAM)code, 1);
        PostMessageA(hwnd, WM_KEYUP, (WPARAM)code, (LPARAM)(1u | (3u << 30)));
        return true;
    }
    if (step.verb == "type")
    {
        for (unsigned char c : a[0])
            PostMessageA(hwnd, WM_CHAR, (WPARAM)c, 1);
        return true;
    }
    *error = "unknown verb " + step.verb;
    return false;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// Waits until the screen trace holds a line starting with `text` at or after
// `*from`, and moves `*from` past it; the line, or false at the bound.
bool WaitForTrace(GameProcess& game, const std::string& text, size_t* from, std::string* line)
{
    for (int waited = 0; waited < kStepBoundMs; waited += 20)
    {
        std::vector<std::string> trace = ScreenTraceOf(game.Output());
        for (size_t i = *from; i < trace.size(); i++)
            if (StartsWith(trace[i], text))
            {
                *from = i + 1;
                if (line)
                    *line = trace[i];
                return true;
            }
        if (game.mExited)
            return false;
        WaitMs(20);
    }
    return false;
}

// The pixels now, read twice a moment apart: a picture still moving would
// make a replay's check depend on when it looked.
bool TakeStillPixels(GameProcess& game, const std::vector<std::string>& a, int after,
                     std::vector<Pixel>* pixels, std::string* error)
{
    std::vector<Pixel> taken;
    for (size_t i = 0; i + 1 < a.size(); i += 2)
    {
        Pixel p;
        p.x = atoi(a[i].c_str());
        p.y = atoi(a[i + 1].c_str());
        p.rgb = ClientPixel(MainWindow(game), p.x, p.y);
        p.after = after;
        taken.push_back(p);
    }
    WaitMs(300);
    for (const Pixel& p : taken)
    {
        uint32_t again = ClientPixel(MainWindow(game), p.x, p.y);
        if (again != p.rgb)
        {
            *error = Lumo::StrFormat("pixel %d, %d is still changing (%06X, then %06X): pause "
                                     "longer before taking it",
                                     p.x, p.y, (unsigned)p.rgb, (unsigned)again);
            return false;
        }
    }
    pixels->insert(pixels->end(), taken.begin(), taken.end());
    return true;
}

// Closes the window and answers the game's own question box with a click on
// the button, at the place its "asked" line gives.
bool AnswerQuit(GameProcess& game, bool yes, size_t* traceAt, std::string* error)
{
    // The picture before the question, to tell that the box is drawn over it.
    POINT origin = ClientToScreenPoint(MainWindow(game), 0, 0);
    std::vector<uint32_t> before = ScreenArea(origin.x, origin.y, kGameWidth, kGameHeight);
    PostMessageA(MainWindow(game), WM_CLOSE, 0, 0);
    std::string asked;
    if (!WaitForTrace(game, "box 'quit' asked", traceAt, &asked))
    {
        *error = "the quit question was not asked";
        return false;
    }
    int yx = 0, yy = 0, nx = 0, ny = 0;
    if (sscanf(asked.c_str(), "box 'quit' asked: yes=%d,%d no=%d,%d", &yx, &yy, &nx, &ny) != 4)
    {
        *error = "the quit question's buttons are not in its line: " + asked;
        return false;
    }
    WaitMs(kBoxSettleMs);
    int bx = yes ? yx : nx, by = yes ? yy : ny;
    if (bx < 0 || by < 0 || bx >= kGameWidth || by >= kGameHeight ||
        ClientPixel(MainWindow(game), bx, by) == before[by * kGameWidth + bx])
    {
        *error = "the quit question's box is not drawn";
        return false;
    }
    PostClick(MainWindow(game), bx, by, false);
    if (!WaitForTrace(game, yes ? "box 'quit' answered 1" : "box 'quit' answered 0", traceAt,
                      nullptr))
    {
        *error = "the quit question took no answer";
        return false;
    }
    return true;
}

// The stored demo's own game folder, when it has data of its own.
std::string ModFolder(const std::string& name)
{
    std::string folder = DataFolder() + name + ".mod";
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "";
    return folder;
}

bool IsInput(const std::string& verb)
{
    return verb == "move" || verb == "click" || verb == "key" || verb == "type" ||
           verb == "close" || verb == "wait" || verb == "minimize" || verb == "deactivate";
}

// Minimizes the game's window, or turns the player to another program (the
// desktop takes the foreground: Wine lets any process give it away), as the
// player would; true once the window shows it.
bool ChangeWindowState(GameProcess& game, const std::string& verb)
{
    HWND hwnd = MainWindow(game);
    if (verb == "minimize")
        ShowWindow(hwnd, SW_MINIMIZE);
    else
        SetForegroundWindow(GetDesktopWindow());
    for (int waited = 0; waited < kStepBoundMs; waited += 20)
    {
        if (verb == "minimize" ? IsIconic(hwnd) : GetForegroundWindow() != hwnd)
            return true;
        WaitMs(20);
    }
    return false;
}

// Whether the recording ends minimized and inactive, by its last size and
// activation records; false when the file cannot be read.
bool RecordedWindowState(const std::string& demoPath, bool* minimized, bool* active)
{
    std::string bytes, error;
    Lumo::DemoFileContents contents;
    bool seedRead = false;
    Lumo::DemoStream stream;
    if (!ReadWholeFile(demoPath, &bytes) ||
        !Lumo::ParseDemoFile(bytes, "1.0", &contents, &seedRead, &error) ||
        !stream.Load((const unsigned char*)contents.stream.data(), (int)contents.stream.size()))
        return false;
    *minimized = false;
    *active = true;
    while (stream.ReadHeaderIfTaken())
    {
        if (!stream.mPointerKind && stream.mPendingCommand == Lumo::DEMO_MINIMIZE)
            *minimized = stream.mBuffer.ReadBoolean();
        else if (!stream.mPointerKind && stream.mPendingCommand == Lumo::DEMO_ACTIVATE)
            *active = stream.mBuffer.ReadNumBits(1, false) != 0;
        else
            stream.SkipPayload();
        stream.mRecordTaken = true;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------- scripts

bool ParseScript(const std::string& text, std::vector<ScriptStep>* steps, std::string* error)
{
    static const struct
    {
        const char* verb;
        int minArgs;
        int maxArgs;
    } kVerbs[] = {{"wait-loaded", 0, 0}, {"wait", 1, 64},    {"pause", 1, 1},
                  {"move", 2, 2},        {"click", 2, 3},    {"key", 1, 1},
                  {"type", 1, 1},        {"pixels", 2, 64},  {"close", 1, 1},
                  {"end-session", 0, 0}, {"minimize", 0, 0}, {"deactivate", 0, 0}};
    std::istringstream in(text);
    std::string line;
    int number = 0;
    steps->clear();
    while (std::getline(in, line))
    {
        number++;
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        ScriptStep step;
        step.line = number;
        if (!(words >> step.verb))
            continue;
        std::string word;
        while (words >> word)
            step.args.push_back(word);
        bool known = false;
        for (const auto& v : kVerbs)
            if (step.verb == v.verb)
            {
                known = true;
                int n = (int)step.args.size();
                if (n < v.minArgs || n > v.maxArgs)
                {
                    *error = Lumo::StrFormat("line %d: %s takes %d to %d words", number, v.verb,
                                             v.minArgs, v.maxArgs);
                    return false;
                }
            }
        if (!known)
        {
            *error = Lumo::StrFormat("line %d: unknown step '%s'", number, step.verb.c_str());
            return false;
        }
        if (step.verb == "pixels" && step.args.size() % 2 != 0)
        {
            *error = Lumo::StrFormat("line %d: pixels takes x y pairs", number);
            return false;
        }
        if (step.verb == "close" && step.args[0] != "yes" && step.args[0] != "no")
        {
            *error = Lumo::StrFormat("line %d: close takes yes or no", number);
            return false;
        }
        if (!steps->empty() && (steps->back().verb == "end-session" ||
                                (steps->back().verb == "close" && steps->back().args[0] == "yes")))
        {
            *error = Lumo::StrFormat("line %d: nothing may follow the end of the run", number);
            return false;
        }
        steps->push_back(step);
    }
    if (steps->empty() || !(steps->back().verb == "end-session" ||
                            (steps->back().verb == "close" && steps->back().args[0] == "yes")))
    {
        *error = "the script must end with 'close yes' or 'end-session'";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- expectations

std::vector<std::string> ScreenTraceOf(const std::string& output)
{
    std::vector<std::string> trace;
    for (std::string line : Lines(output, kTracePrefix))
    {
        size_t at = line.find(kTracePrefix);
        line = line.substr(at + sizeof(kTracePrefix) - 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (line.size() >= 6 && line.compare(line.size() - 6, 6, " drawn") == 0)
            continue;
        trace.push_back(line);
    }
    return trace;
}

std::string FormatExpectation(const Expectation& e, const std::string& header)
{
    std::string out = header;
    out += "ending " + e.ending + "\n";
    out += "updates " + std::to_string(e.updates) + "\n";
    for (const auto& field : e.pref)
        out += "pref " + field.first + " " + field.second + "\n";
    for (const std::string& line : e.trace)
        out += "trace " + line + "\n";
    for (const Pixel& p : e.pixels)
        out += p.after < 0 ? Lumo::StrFormat("pixel %d %d %06X\n", p.x, p.y, (unsigned)p.rgb)
                           : Lumo::StrFormat("pixel %d %d %06X after %d\n", p.x, p.y,
                                             (unsigned)p.rgb, p.after);
    return out;
}

bool ParseExpectation(const std::string& text, Expectation* e, std::string* error)
{
    std::istringstream in(text);
    std::string line;
    *e = Expectation();
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string what, a, b, c, d, f;
        words >> what >> a >> b >> c >> d >> f;
        if (what == "ending")
            e->ending = a;
        else if (what == "updates")
            e->updates = atoi(a.c_str());
        else if (what == "pref")
            e->pref[a] = b;
        else if (what == "trace")
            e->trace.push_back(line.size() > 6 ? line.substr(6) : "");
        else if (what == "pixel" && (d.empty() || d == "after"))
        {
            Pixel p = {atoi(a.c_str()), atoi(b.c_str()), (uint32_t)strtoul(c.c_str(), nullptr, 16)};
            p.after = d.empty() ? -1 : atoi(f.c_str());
            e->pixels.push_back(p);
        }
        else
        {
            *error = "unknown line: " + line;
            return false;
        }
    }
    if ((e->ending != "close" && e->ending != "end-session") || e->updates < 0)
    {
        *error = "no ending or update count";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- files

std::string DataFolder()
{
    return std::string(LUMO_SOURCE_DIR) + "/tests/demos/data/";
}

std::vector<std::string> StoredDemoNames()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((DataFolder() + "*.expect").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        std::string name = data.cFileName;
        names.push_back(name.substr(0, name.size() - 7));
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

std::string ReplaySavePath(const std::string& demoPath)
{
    return Lumo::DemoReplayFileName(demoPath, "pref.dat");
}

std::string TemporaryDemoPath(const std::string& name)
{
    char folder[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "lumo_demo_" + name + ".dmo";
}

bool ReadWholeFile(const std::string& path, std::string* bytes)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes->clear();
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes->append(chunk, got);
    fclose(file);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

// ---------------------------------------------------------------- the game

DemoGame::~DemoGame()
{
    if (!mFolder.empty())
        Lumo::DeleteTree(mFolder);
}

bool DemoGame::Prepare(const std::string& name, std::string* error)
{
    std::string mod = ModFolder(name);
    if (mod.empty())
    {
        mProgram = GameTest::GamePath();
        return true;
    }
    char temp[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, temp);
    mFolder = std::string(temp) + "lumo_demo_game_" + name;
    Lumo::DeleteTree(mFolder);
    Lumo::MakeDirectories(mFolder + "\\");
    const std::string build = std::string(LUMO_BINARY_DIR) + "/game/";
    for (const char* file : {"ZorkaCafe.exe", "data.pak", "loc.pak"})
        if (!CopyFileA((build + file).c_str(), (mFolder + "\\" + file).c_str(), FALSE))
        {
            *error = std::string("cannot copy the game's ") + file + " to " + mFolder;
            return false;
        }
    if (!PakWriteFolder(mod, mFolder + "\\mod.pak", error))
        return false;
    mProgram = mFolder + "\\ZorkaCafe.exe";
    return true;
}

// ---------------------------------------------------------------- runs

bool RecordDemo(const DemoGame& demoGame, const std::vector<ScriptStep>& steps,
                const std::string& demoPath, Expectation* expectation, std::string* error,
                bool profilePrepared)
{
    PrepareGame(!profilePrepared);
    DeleteFileA(demoPath.c_str());
    *expectation = Expectation();
    GameProcess game;
    if (!game.Start("-record -demofile \"" + demoPath + "\"", demoGame.Program()) ||
        !game.WaitForMainWindow(kStartBoundMs))
    {
        *error = "the game did not start:\n" + game.Output();
        return false;
    }
    // Pixels after the last input of a run that the session's end stops are
    // its last frame, which a replay holds; any others are checked while the
    // screen trace stands where it stood when they were taken.
    bool endsBySession = steps.back().verb == "end-session";
    size_t lastInput = 0;
    for (size_t i = 0; i < steps.size(); i++)
        if (IsInput(steps[i].verb))
            lastInput = i;
    size_t traceAt = 0;
    for (size_t i = 0; i < steps.size(); i++)
    {
        const ScriptStep& step = steps[i];
        const std::vector<std::string>& a = step.args;
        bool ok = true;
        if (step.verb == "wait-loaded")
            ok = game.WaitForOutput(kLoaded, kStartBoundMs);
        else if (step.verb == "wait")
        {
            std::string text = a[0];
            for (size_t w = 1; w < a.size(); w++)
                text += " " + a[w];
            ok = WaitForTrace(game, text, &traceAt, nullptr);
            if (!ok)
                *error =
                    Lumo::StrFormat("line %d: the game did not show '%s'", step.line, text.c_str());
        }
        else if (step.verb == "pause")
            WaitMs((DWORD)atoi(a[0].c_str()));
        else if (step.verb == "pixels")
        {
            bool lastFrame = endsBySession && i > lastInput;
            int after = lastFrame ? -1 : (int)ScreenTraceOf(game.Output()).size();
            ok = TakeStillPixels(game, a, after, &expectation->pixels, error);
            if (ok && !lastFrame && (int)ScreenTraceOf(game.Output()).size() != after)
            {
                ok = false;
                *error = Lumo::StrFormat("line %d: the screen trace moved on while the pixels "
                                         "were taken",
                                         step.line);
            }
        }
        else if (step.verb == "close")
        {
            bool yes = a[0] == "yes";
            ok = AnswerQuit(game, yes, &traceAt, error);
            if (yes)
                expectation->ending = "close";
        }
        else if (step.verb == "minimize" || step.verb == "deactivate")
        {
            ok = ChangeWindowState(game, step.verb);
            if (!ok)
                *error = "the game's window did not change";
        }
        else if (step.verb == "end-session")
        {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(MainWindow(game), WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000,
                                &result);
            expectation->ending = "end-session";
        }
        else
            ok = PostStep(game, step, error);
        if (!ok)
        {
            *error =
                Lumo::StrFormat("line %d (%s) did not complete: ", step.line, step.verb.c_str()) +
                *error + "\n" + game.Output();
            return false;
        }
    }
    if (!game.WaitForExit(kStartBoundMs) || game.mExitCode != 0 || game.mSawSystemBox)
    {
        *error = Lumo::StrFormat("the game did not end cleanly (exit %u, system box %d):\n",
                                 (unsigned)game.mExitCode, (int)game.mSawSystemBox) +
                 game.Output();
        return false;
    }
    expectation->updates = (int)GameTest::Statistic(game.Output(), "Update Count  = ");
    expectation->pref = ReadPrefFields(KpProfileFile::DefaultPath());
    expectation->trace = ScreenTraceOf(game.Output());
    if (GetFileAttributesA(demoPath.c_str()) == INVALID_FILE_ATTRIBUTES)
    {
        *error = "the game wrote no demo file:\n" + game.Output();
        return false;
    }
    // The game takes a window's change from its queue a moment later: the
    // recording must hold it before the session's end.
    bool minimized = false, active = true;
    bool wantMinimized = false, wantInactive = false;
    for (const ScriptStep& step : steps)
    {
        wantMinimized = wantMinimized || step.verb == "minimize";
        wantInactive = wantInactive || step.verb == "deactivate";
    }
    if ((wantMinimized || wantInactive) && (!RecordedWindowState(demoPath, &minimized, &active) ||
                                            minimized != wantMinimized || (wantInactive && active)))
    {
        *error = Lumo::StrFormat("the recording ends %s and %s, not as the script left the "
                                 "window: pause longer before the end",
                                 minimized ? "minimized" : "not minimized",
                                 active ? "active" : "inactive");
        return false;
    }
    return true;
}

namespace
{

// Polls the pixels until each shows its colour; false with what was seen when
// `stillValid` turns false (the run moved on) or at the bound.
bool PixelsShow(GameProcess& game, const std::vector<Pixel>& pixels, int boundMs,
                const std::function<bool()>& stillValid, std::vector<std::string>* failures)
{
    std::vector<uint32_t> seen(pixels.size());
    for (int waited = 0;; waited += 20)
    {
        bool all = true;
        for (size_t i = 0; i < pixels.size(); i++)
        {
            seen[i] = ClientPixel(MainWindow(game), pixels[i].x, pixels[i].y);
            all = all && seen[i] == pixels[i].rgb;
        }
        if (all)
            return true;
        if (waited >= boundMs || game.mExited || !stillValid())
            break;
        WaitMs(20);
    }
    for (size_t i = 0; i < pixels.size(); i++)
        if (seen[i] != pixels[i].rgb)
            failures->push_back(Lumo::StrFormat(
                "pixel %d, %d %s is %06X, the recording's was %06X", pixels[i].x, pixels[i].y,
                pixels[i].after < 0
                    ? "of the last frame"
                    : Lumo::StrFormat("after screen trace line %d", pixels[i].after).c_str(),
                (unsigned)seen[i], (unsigned)pixels[i].rgb));
    return false;
}

} // namespace

std::vector<std::string> ReplayDemo(const DemoGame& demoGame, const std::string& demoPath,
                                    const Expectation& e, bool viewerBox, bool endBySession)
{
    std::vector<std::string> failures;
    PrepareGame(false);
    const std::string keyBefore = GameKeyContents();
    const std::string saved = ReplaySavePath(demoPath);
    DeleteFileA(saved.c_str());
    GameProcess game;
    if (!game.Start("-play -demofile \"" + demoPath + "\"", demoGame.Program()) ||
        !game.WaitForMainWindow(kStartBoundMs))
    {
        failures.push_back("the replay did not start:\n" + game.Output());
        return failures;
    }
    if (viewerBox)
    {
        // The viewer's statistics key (F8) while the run goes on, answered by the viewer.
        std::wstring text;
        game.WaitForOutput(kLoaded, kStartBoundMs);
        PostMessageA(MainWindow(game), WM_KEYDOWN, VK_F8, 1);
        PostMessageA(MainWindow(game), WM_KEYUP, VK_F8, (LPARAM)(1u | (3u << 30)));
        if (!game.AnswerBox(IDOK, &text, kStepBoundMs) || text.find(L"3D-Mode is") != 0)
            failures.push_back("the viewer's key showed no statistics box");
    }
    // The replay runs at the recording's pace; the bound leaves room for a slow machine.
    int boundMs = e.updates * 10 * 3 + kStartBoundMs;
    auto traceSize = [&] { return (int)ScreenTraceOf(game.Output()).size(); };

    // The pixels of the run's middle, each group while the trace stands where
    // it stood in the recording.
    std::vector<Pixel> lastFrame;
    for (size_t i = 0; i < e.pixels.size();)
    {
        if (e.pixels[i].after < 0)
        {
            lastFrame.push_back(e.pixels[i++]);
            continue;
        }
        int after = e.pixels[i].after;
        std::vector<Pixel> group;
        for (; i < e.pixels.size() && e.pixels[i].after == after; i++)
            group.push_back(e.pixels[i]);
        for (int waited = 0; traceSize() < after && !game.mExited && waited < boundMs; waited += 20)
            WaitMs(20);
        if (traceSize() != after)
        {
            failures.push_back(Lumo::StrFormat("the replay's screen trace never stood at %d "
                                               "lines to check pixels there (it has %d)",
                                               after, traceSize()));
            continue;
        }
        PixelsShow(
            game, group, kStepBoundMs, [&] { return traceSize() == after; }, &failures);
    }

    // A run that ended without a close is handed back at its last update: the
    // game then takes live input, and is closed as a player would, unless the
    // caller ends the session.
    if (e.ending == "end-session")
    {
        std::string error;
        size_t traceAt = traceSize();
        if (!game.WaitForOutput(kPlaybackEnded, boundMs))
            failures.push_back("the replay never handed the game back at its end");
        else
            PixelsShow(
                game, lastFrame, 5000, [] { return true; }, &failures);
        if (endBySession)
        {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(MainWindow(game), WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000,
                                &result);
        }
        else if (!AnswerQuit(game, true, &traceAt, &error))
            failures.push_back("once handed back, " + error);
    }
    // A replay that ends itself does so at its last update; one that sits
    // there has lost the close on the way.
    int sinceEnd = -1;
    for (int waited = 0; waited < boundMs && !game.mExited && sinceEnd < 10000; waited += 500)
    {
        game.WaitForExit(500);
        if (sinceEnd >= 0)
            sinceEnd += 500;
        else if (game.Output().find(kReachedEnd) != std::string::npos)
            sinceEnd = 0;
    }
    if (!game.mExited)
        failures.push_back("the replay did not end");
    std::string output = game.Output();
    if (game.mExitCode != 0 || game.mSawSystemBox)
        failures.push_back(Lumo::StrFormat("exit code %u, system box %d", (unsigned)game.mExitCode,
                                           (int)game.mSawSystemBox));
    // The first divergence names the update where the replay left its recording.
    std::vector<std::string> diverged = Lines(output, kDiverged);
    if (!diverged.empty())
        failures.push_back(diverged[0] +
                           Lumo::StrFormat(" (%d divergences in all)", (int)diverged.size()));
    // A run handed back goes on live: what it must share with its recording
    // is what came before.
    int updates = (int)GameTest::Statistic(output, "Update Count  = ");
    std::string replayed = output;
    if (e.ending == "end-session")
    {
        size_t ended = output.find(kPlaybackEnded);
        updates =
            ended == std::string::npos ? -1 : atoi(output.c_str() + ended + strlen(kPlaybackEnded));
        replayed = output.substr(0, ended);
    }
    if (updates != e.updates)
        failures.push_back(
            Lumo::StrFormat("the replay ran %d updates, the recording %d", updates, e.updates));
    std::vector<std::string> trace = ScreenTraceOf(replayed);
    for (size_t i = 0; i < trace.size() || i < e.trace.size(); i++)
    {
        std::string got = i < trace.size() ? "'" + trace[i] + "'" : "missing";
        std::string want = i < e.trace.size() ? "'" + e.trace[i] + "'" : "missing";
        if (got != want)
        {
            failures.push_back(Lumo::StrFormat("screen trace line %d is %s, the recording's %s",
                                               (int)i + 1, got.c_str(), want.c_str()));
            break;
        }
    }
    // The replay saved what the recording saved, into its own file.
    std::map<std::string, std::string> pref = ReadPrefFields(saved);
    for (const auto& field : e.pref)
        if (pref[field.first] != field.second)
            failures.push_back("the replay's pref.dat " + field.first + " is " + pref[field.first] +
                               ", the recording's was " + field.second);
    for (const auto& field : pref)
        if (!e.pref.count(field.first))
            failures.push_back("the replay's pref.dat has " + field.first + " " + field.second +
                               ", the recording's had none");
    DeleteFileA(saved.c_str());
    // A replay leaves the registry as it found it.
    if (GameKeyContents() != keyBefore)
        failures.push_back("the replay left the game's key holding " + GameKeyContents() +
                           ", it held " + keyBefore);
    if (!failures.empty())
        failures.push_back("the replay's debugger output:\n" + output);
    return failures;
}

} // namespace DemoTest
