// Starts of the real game that cannot go on: data it cannot run without that
// does not load, and demo files it refuses; and a run whose picture gets no
// memory. Each ends in a system box that says why (read from its window, then
// closed by the test) and an exit code that is not 0, so a script can tell it
// from a run that went on. Data that is no reason to refuse starts a run that
// goes on.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <random>
#include <regex>

#include "framework/diagnostics/DemoFile.h"
#include "framework/diagnostics/DemoStream.h"
#include "framework/resources/ImageLib.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameDriving.h"
#include "tests/game/engine/WithoutGameSettings.h"

using namespace GameTest;

namespace
{
class StartRefusal : public WithoutGameSettings
{
protected:
    void SetUp() override
    {
        WithoutGameSettings::SetUp();
        ASSERT_NO_FATAL_FAILURE(mFolder.Enter("start_refusal"));
    }
    void TearDown() override
    {
        mFolder.Leave();
        WithoutGameSettings::TearDown();
    }

    // Starts the program, reads the box it shows and closes it; the exit code.
    DWORD RunToTheBox(const std::string& program, const std::string& commandLine,
                      std::wstring* text, RECT* rect = nullptr)
    {
        return RunToTheBox(program, Lumo::FromCodePage(commandLine), text, rect);
    }
    DWORD RunToTheBox(const std::string& program, const std::wstring& commandLine,
                      std::wstring* text, RECT* rect = nullptr)
    {
        GameProcess game;
        EXPECT_TRUE(game.Start(commandLine, program));
        EXPECT_TRUE(game.AnswerBox(IDOK, text, 30000, rect)) << game.Output();
        EXPECT_TRUE(game.WaitForExit(10000)) << game.Output();
        return game.mExitCode;
    }

    TempFolder mFolder;
};

std::string Source(const char* file)
{
    return ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/" + file);
}

std::string Narrow(const std::wstring& text)
{
    return Lumo::WStringToString(text);
}

std::wstring Wide(const std::string& text)
{
    return Lumo::FromCodePage(text);
}

// Files and folders of names the code page lacks, removed however the test
// ends: the temporary folder's removal reads narrow names, and could not.
struct WideNamesRemoved
{
    std::vector<std::wstring> paths; // the deepest first
    ~WideNamesRemoved()
    {
        for (const std::wstring& path : paths)
            if (!DeleteFileW(path.c_str()))
                RemoveDirectoryW(path.c_str());
    }
};

// Fills the process's address space from outside with blocks of 16 MB
// (reserved: they cost no memory), wherever the system puts them, then gives
// every fourth back: small allocations still find room, a picture of 64 MB
// does not.
void SqueezeAddressSpace(HANDLE process)
{
    const SIZE_T kBlock = 16 << 20;
    std::vector<char*> blocks;
    while (char* block =
               (char*)VirtualAllocEx(process, nullptr, kBlock, MEM_RESERVE, PAGE_NOACCESS))
        blocks.push_back(block);
    std::sort(blocks.begin(), blocks.end());
    for (size_t i = 0; i < blocks.size(); i += 4)
        VirtualFreeEx(process, blocks[i], 0, MEM_RELEASE);
}

// Where the game puts a demo file named without a drive or share; empty when
// the system cannot say.
std::string DemoFolder()
{
    char common[MAX_PATH] = {0};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common)))
        return "";
    return std::string(common) + "\\Zorka Cafe\\";
}

// The text without blanks and line breaks: a box breaks its lines where it must.
std::wstring Unwrapped(std::wstring text)
{
    text.erase(
        std::remove_if(text.begin(), text.end(), [](wchar_t c) { return c == L' ' || c == L'\n'; }),
        text.end());
    return text;
}
} // namespace

TEST_F(StartRefusal, DataItCannotRunWithoutNamesTheFileAndEndsTheRun)
{
    const std::string ui = Source("ui.xml");
    // Every layout moved far off the screen.
    const std::string offScreen =
        std::regex_replace(ui, std::regex(" x=\"[0-9]+\""), " x=\"90000\"");
    // A layout of a screen the main menu opens is gone.
    const std::string noCareer =
        std::regex_replace(ui, std::regex("name=\"career_menu\""), "name=\"career_gone\"");
    // The comic player's layout is gone, or holds no button (the only way out of a comic).
    const std::string noComic =
        std::regex_replace(ui, std::regex("name=\"comix_ui\""), "name=\"comix_gone\"");
    const std::string noComicButton =
        std::regex_replace(ui, std::regex("type=\"kpbutton\" name=\"comix_skip\""),
                           "type=\"kptext\" name=\"comix_skip\"");
    const std::string effects = Source("effect.xml");
    const struct
    {
        const char* file;
        std::string bytes;
    } cases[] = {
        {"cfg\\ui.xml", ui.substr(0, ui.size() / 2)},
        {"cfg\\ui.xml", ""},
        {"cfg\\ui.xml", "<?xml version=\"1.0\"?><ui/>"},
        {"cfg\\ui.xml", offScreen},
        {"cfg\\cfg.xml", Source("cfg.xml").substr(0, 300)},
        {"cfg\\loc.xml", "<texts/>"},
        {"cfg\\ui.xml", noCareer},
        {"cfg\\effect.xml", effects.substr(0, effects.size() / 2)},
        {"cfg\\effect.xml", "<?xml version=\"1.0\"?><effects/>"},
        {"cfg\\ui.xml", noComic},
        {"cfg\\ui.xml", noComicButton},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.file) + ", " + std::to_string(c.bytes.size()) + " bytes");
        std::string program;
        ASSERT_NO_FATAL_FAILURE(MakeGameFolder(mFolder, {{c.file, c.bytes}}, &program));
        std::wstring text;
        EXPECT_EQ(1u, RunToTheBox(program, "", &text));
        EXPECT_NE(std::wstring::npos, text.find(Lumo::StringToWString(c.file))) << Narrow(text);
        EXPECT_NE(std::wstring::npos, text.find(L"install the game again")) << Narrow(text);
    }
}

// Slides whose effect never hides them are no reason to refuse: each stays
// until a key, and the menus follow the last.
TEST_F(StartRefusal, SplashSlidesThatNeverHideThemselvesAreNoReasonToRefuse)
{
    const std::string noSlideEffect = std::regex_replace(
        Source("effect.xml"), std::regex("name=\"splash_slide\""), "name=\"splash_gone\"");
    std::string program;
    ASSERT_NO_FATAL_FAILURE(
        MakeGameFolder(mFolder, {{"cfg\\effect.xml", noSlideEffect}}, &program));
    GameProcess game;
    ASSERT_TRUE(game.Start("", program));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(nullptr, hwnd) << game.Output();
    const char* const steps[] = {"Screens: splash slide 0", "Screens: splash slide 1",
                                 "Screens: splash ended"};
    for (int i = 0; i < 2; i++)
    {
        ASSERT_TRUE(game.WaitForOutput(steps[i], 30000)) << game.Output();
        PostKey(hwnd, VK_SPACE);
        ASSERT_TRUE(game.WaitForOutput(steps[i + 1], 30000)) << game.Output();
    }
    EXPECT_FALSE(game.mSawSystemBox);
    EXPECT_TRUE(game.Quit(hwnd, 30000)) << game.Output();
    EXPECT_EQ(0u, game.mExitCode);
}

TEST_F(StartRefusal, RefusedDemoFilesEndTheRunWithTheirMessage)
{
    const std::string folder = mFolder.Path() + "\\";
    // A recording of one update: its end mark.
    Lumo::DemoStream stream;
    stream.WriteCommand(1, Lumo::DEMO_FILLER);
    Lumo::DemoFileContents contents;
    contents.programVersion = "1.0";
    contents.totalUpdates = 1;
    contents.stream.assign((const char*)stream.mBuffer.GetDataPtr(),
                           (size_t)stream.mBuffer.GetDataLen());
    // A damaged file's version text: 255 bytes of anything but 0.
    Lumo::DemoFileContents binary = contents;
    std::mt19937 random(29);
    for (int i = 0; i < 255; i++)
        binary.programVersion += char(1 + random() % 255);
    Lumo::DemoFileContents unknown = contents;
    unknown.formatVersion = 99;
    // Far beyond any recording (sparse: they cost no disk); a 32-bit size
    // reads the first as negative, the second as a gigabyte.
    for (const auto& huge : {std::make_pair("huge3.dmo", 3ull << 30), {"huge5.dmo", 5ull << 30}})
    {
        HANDLE file = CreateFileA((folder + huge.first).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = (LONGLONG)huge.second;
        ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
    }
    WriteTestFile(folder + "garbage.dmo", "not a demo at all");
    WriteTestFile(folder + "binary.dmo", Lumo::BuildDemoFile(binary));
    WriteTestFile(folder + "unknown.dmo", Lumo::BuildDemoFile(unknown));
    // Reached by its short name, as the code page cannot name it.
    const std::wstring polish = L"\u0141\u00f3d\u017a";
    WideNamesRemoved removed{{Wide(folder) + polish + L".dmo"}};
    ASSERT_TRUE(CopyFileW(Wide(folder + "garbage.dmo").c_str(),
                          (Wide(folder) + polish + L".dmo").c_str(), FALSE));

    const struct
    {
        std::wstring file;
        std::wstring message;
    } cases[] = {
        {L"missing.dmo", L"Demo file not found: " + Wide(folder) + L"missing.dmo"},
        {L"garbage.dmo", L"Invalid demo file."},
        {L"unknown.dmo", L"Invalid demo file."},
        {L"huge3.dmo", L"Invalid demo file."},
        {L"huge5.dmo", L"Invalid demo file."},
        {polish + L".dmo", L"Invalid demo file."},
        {polish + L"2.dmo", L"Demo file not found: " + Wide(folder) + polish + L"2.dmo"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Narrow(c.file));
        std::wstring text;
        EXPECT_EQ(1u, RunToTheBox(GamePath(), L"-play -demofile \"" + Wide(folder) + c.file + L"\"",
                                  &text));
        EXPECT_EQ(Unwrapped(c.message), Unwrapped(text)) << Narrow(text);
        // A replay, refused or not, leaves the registry as it found it.
        EXPECT_EQ("no key", GameKeyValues());
    }

    // The version is shown as printable text, one line of it at most (the
    // box may break it).
    std::wstring text;
    EXPECT_EQ(1u, RunToTheBox(GamePath(), "-play -demofile \"" + folder + "binary.dmo\"", &text));
    const std::wstring opening = Unwrapped(L"This demo file appears to be for '");
    ASSERT_EQ(0u, Unwrapped(text).find(opening)) << Narrow(text);
    std::wstring shown = Unwrapped(text).substr(opening.size());
    EXPECT_LE(shown.size(), 45u) << Narrow(text);
    for (wchar_t c : shown)
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "character " << int(c);

    // A path far wider than the screen is shown whole in a box that fits it.
    const std::string longPath = folder + std::string(190 - folder.size(), 'a') + ".dmo";
    std::wstring boxText;
    RECT box = {};
    EXPECT_EQ(1u, RunToTheBox(GamePath(), "-play -demofile \"" + longPath + "\"", &boxText, &box));
    EXPECT_EQ(Unwrapped(L"Demo file not found: " + Lumo::StringToWString(longPath)),
              Unwrapped(boxText));
    EXPECT_LE(box.right - box.left, 1024) << Narrow(boxText);

    // With no numbered recording, the newest but two is looked for under the
    // first number a recording gets, in the game's data folder.
    const std::string data = DemoFolder();
    ASSERT_NE("", data);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((data + "lumoapp*.dmo").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    ASSERT_EQ(find, INVALID_HANDLE_VALUE) << "a recording lies in " << data;
    EXPECT_EQ(1u, RunToTheBox(GamePath(), "-playnum 3", &boxText));
    EXPECT_EQ(Unwrapped(L"Demo file not found: " + Lumo::StringToWString(data) + L"lumoapp1.dmo"),
              Unwrapped(boxText));
    EXPECT_EQ(std::wstring::npos, boxText.find(L"\\\\")) << Narrow(boxText);

    // A name without a drive or share is looked for in that folder too.
    EXPECT_EQ(1u, RunToTheBox(GamePath(), "-play -demofile ab\\x.dmo", &boxText));
    EXPECT_EQ(Unwrapped(L"Demo file not found: " + Lumo::StringToWString(data) + L"ab\\x.dmo"),
              Unwrapped(boxText));
    EXPECT_EQ("no key", GameKeyValues());
}

// A recording is written as the run ends: a name it could not be written to
// is refused before anything runs; one that becomes unwritable meanwhile is
// told in a box at the end.
TEST_F(StartRefusal, RecordingsThatCannotBeWrittenAreRefusedAtTheStartOrToldAtTheEnd)
{
    std::string program;
    ASSERT_NO_FATAL_FAILURE(MakeGameFolder(mFolder, {}, &program));
    const std::string pref = KpProfileFile::DefaultPath();
    const std::string profile = WriteProfileData(KpProfileData());
    const std::string profileFolder = Lumo::GetFileDir(pref);
    Lumo::MakeDirectories(profileFolder);
    WriteTestFile(pref, profile);
    char shortPref[MAX_PATH] = {0};
    ASSERT_NE(0u, GetShortPathNameA(pref.c_str(), shortPref, MAX_PATH));
    const std::string game = mFolder.Path() + "\\";
    WriteTestFile(game + "plain.txt", "x");
    const std::wstring polish = L"\u0141\u00f3d\u017a"; // outside the Western code page
    const std::wstring ownFile = L"the game keeps its own data in that file";
    const std::wstring folder = L"that names a folder, not a file";
    const std::wstring device = L"the system keeps that name for a device";
    const std::wstring characters = L"a file name cannot hold any of the characters";
    const std::wstring tooLong = L"the name is longer than the system takes";
    const std::wstring throughFile = L"a folder on that path is a file";
    const std::wstring nowhere = L"no file can be created there";
    const std::wstring letters = L"the game can name new files and folders only with the letters";
    const struct
    {
        std::wstring name;
        std::wstring shown; // the name made absolute, when it is not
        std::wstring reason;
    } cases[] = {
        {Wide(pref), L"", ownFile},
        {Wide(shortPref), L"", ownFile},
        {Wide(profileFolder + "\\..\\Zorka2\\PREF.DAT."), L"", ownFile},
        {Wide(pref + ".7.bad"), L"", ownFile},
        {Wide(pref + "::$DATA"), L"", ownFile},
        {Wide(game + "data.pak"), L"", ownFile},
        {Wide(game + "zorkacafe.EXE"), L"", ownFile},
        {Wide(game + "ZorkaCafe.map"), L"", ownFile},
        {Wide(game + "zorkacafe.DEBUG"), L"", ownFile},
        {Wide(profileFolder), L"", folder},
        {Wide(Lumo::GetFileDir(profileFolder)), L"", folder},
        {Wide(game + "new\\"), L"", folder},
        {L"..", Wide(DemoFolder() + ".."), folder},
        {L"C:\\", L"", folder},
        {L"\\\\server\\share", L"", folder},
        {Wide(game + "NUL"), L"", device},
        {L"con.dmo", Wide(DemoFolder() + "con.dmo"), device},
        {Wide(game + "a?b.dmo"), L"", characters},
        {Wide(game + "new\\a|b\\run.dmo"), L"", characters},
        {Wide(game + std::string(250, 'a') + ".dmo"), L"", tooLong},
        {Wide(game + "plain.txt\\run.dmo"), L"", throughFile},
        {L"\\\\server\\share\\run.dmo", L"", nowhere},
        {Wide(game) + polish + L".dmo", L"", letters},
        {polish + L"\\run.dmo", Wide(DemoFolder()) + polish + L"\\run.dmo", letters},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Narrow(c.name));
        std::wstring text;
        EXPECT_EQ(1u, RunToTheBox(program, L"-record -demofile \"" + c.name + L"\"", &text));
        const std::wstring shown = c.shown.empty() ? c.name : c.shown;
        EXPECT_NE(std::wstring::npos, Unwrapped(text).find(Unwrapped(L"cannot be recorded to " +
                                                                     shown + L": " + c.reason)))
            << Narrow(text);
    }
    // Nothing ran: not even the folder a recording would have been written in.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((game + "new").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((Wide(DemoFolder()) + polish).c_str()));
    EXPECT_EQ(ReadTestFile(pref), profile);

    // Those and an unknown option leave the registry as it was but for the
    // mark of a run that did not end properly.
    std::wstring text;
    EXPECT_EQ(0u, RunToTheBox(program, "-record -bogus", &text));
    EXPECT_NE(std::wstring::npos, text.find(L"-bogus")) << Narrow(text);
    EXPECT_EQ("InProgress=1 ", GameKeyValues());

    // A folder the code page cannot name is reached by its short name; a
    // folder below it that is not there yet is made only as the run ends.
    const std::wstring kept = Wide(game) + polish;
    const std::wstring lost = kept + L"\\lost.dmo";
    WideNamesRemoved removed{
        {kept + L"\\new\\run.dmo", kept + L"\\new", lost + L".tmp", lost, kept}};
    ASSERT_TRUE(CreateDirectoryW(kept.c_str(), nullptr));
    {
        GameProcess run;
        ASSERT_TRUE(run.Start(L"-record -demofile \"" + kept + L"\\new\\run.dmo\"", program));
        ASSERT_TRUE(run.WaitForOutput("KpEngine: loading completed", 30000)) << run.Account();
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((kept + L"\\new").c_str()));
        EXPECT_TRUE(run.Quit(WindowOf(run.mPid, "MainWindow"), 30000)) << run.Account();
        EXPECT_EQ(0u, run.mExitCode);
        EXPECT_FALSE(run.mSawSystemBox);
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((kept + L"\\new\\run.dmo").c_str()));
    }
    // A folder made at the name while the run goes on: the recording is lost,
    // and a box says so once the window has gone.
    {
        GameProcess run;
        ASSERT_TRUE(run.Start(L"-record -demofile \"" + lost + L"\"", program));
        ASSERT_TRUE(run.WaitForOutput("KpEngine: loading completed", 30000)) << run.Account();
        ASSERT_TRUE(CreateDirectoryW(lost.c_str(), nullptr));
        PostMessageA(WindowOf(run.mPid, "MainWindow"), WM_CLOSE, 0, 0);
        ASSERT_TRUE(run.AnswerGameBox("quit", true, 30000)) << run.Account();
        ASSERT_TRUE(run.AnswerBox(IDOK, &text, 30000)) << run.Account();
        EXPECT_EQ(Unwrapped(L"The demo file " + lost +
                            L" could not be written, so the recording of this run is lost."),
                  Unwrapped(text))
            << Narrow(text);
        EXPECT_TRUE(run.WaitForExit(10000)) << run.Account();
        EXPECT_EQ(0u, run.mExitCode);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((lost + L".tmp").c_str()));
    }
}

TEST_F(StartRefusal, APictureThatGetsNoMemoryIsNamedAndEndsTheRun)
{
    // The quit box's icon, 4096 x 4096: within the readers' limit, 64 MB of
    // pixels in one piece, read when the box opens.
    std::vector<uint32_t> pixels((size_t)4096 * 4096, 0xFF80C0E0);
    const std::string icon = mFolder.Path() + "\\icon.png";
    ASSERT_TRUE(ImageLib::WritePNGPixels(icon, pixels.data(), 4096, 4096));
    std::string program;
    ASSERT_NO_FATAL_FAILURE(
        MakeGameFolder(mFolder, {{"img\\box\\icon_quit.png", ReadTestFile(icon)}}, &program));

    GameProcess game;
    ASSERT_TRUE(game.Start("", program));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr);
    // At the menu, once its frames have been drawn: under Wine the system's own
    // libraries (the software renderer among them) share the squeezed space,
    // and a first frame drawn after the squeeze could find them no room.
    ASSERT_TRUE(game.WaitForOutput("Screens: main menu drawn", 30000)) << game.Output();
    SqueezeAddressSpace(game.Handle());
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    std::wstring text;
    ASSERT_TRUE(game.AnswerBox(IDOK, &text, 30000))
        << ReadTestFile(mFolder.Path() + "\\crash.txt") << "\n"
        << game.Account();
    EXPECT_NE(std::wstring::npos, Unwrapped(text).find(L"img\\box\\icon_quit.png(4096x4096)"))
        << Narrow(text);
    ASSERT_TRUE(game.WaitForExit(10000));
    EXPECT_EQ(1u, game.mExitCode);
    // An orderly end, not a crash.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesA((mFolder.Path() + "\\crash.txt").c_str()));
}
