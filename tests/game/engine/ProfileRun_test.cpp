// The profile file in the real game under Wine, driven with posted clicks and
// keys: a save that cannot reach the disk (its temporary file's name taken by
// a folder) is told in the game's own box once, keeps every change for the
// next save and is told again at quit; a damaged file is kept aside before
// anything can overwrite it, never over an earlier copy, and the first screen
// says where and what loaded, and which days lost their damaged money; a file
// that grew past its end loads whole and the next save keeps every player; a
// file another program holds is neither damaged nor saved over.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <random>
#include <vector>

#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameDriving.h"
#include "tests/game/engine/GameScreen.h"

using namespace GameTest;

namespace
{
// The band along the top of the notice box.
const uint32_t kMintBand = 0x6FBF9B;

const std::string& PrefPath()
{
    static const std::string path = KpProfileFile::DefaultPath();
    return path;
}

// Starts and ends without the game's key and with an empty profile folder.
class ProfileRun : public ::testing::Test
{
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear()
    {
        RemoveGameKey();
        Lumo::DeleteTree(Lumo::GetFileDir(PrefPath(), false));
    }
};

KpProfileData OnePlayer(const wchar_t* name)
{
    KpProfileData data;
    KpProfile player;
    player.name = name;
    player.highestLevel = 5;
    player.levelMoney[2] = 345;
    data.slots.push_back(player);
    data.currentSlot = 0;
    return data;
}

void WritePref(const std::string& bytes)
{
    Lumo::MakeDirectories(Lumo::GetFileDir(PrefPath(), true));
    WriteTestFile(PrefPath(), bytes);
}

// The file as the game left it (read without keeping anything aside).
KpProfileData StoredData()
{
    KpProfileData data;
    std::vector<std::string> warnings;
    EXPECT_TRUE(ReadProfileData(ReadTestFile(PrefPath()), data, warnings));
    EXPECT_TRUE(warnings.empty());
    return data;
}

std::vector<std::wstring> Names(const KpProfileData& data)
{
    std::vector<std::wstring> names;
    for (const KpProfile& p : data.slots)
        names.push_back(p.name);
    return names;
}

// Waits until the line has been written `count` times in all.
bool WaitCount(GameProcess& game, const std::string& line, size_t count, int boundMs = 15000)
{
    for (int waited = 0; game.CountOutput(line) < count; waited += 20)
    {
        if (waited >= boundMs || game.mExited)
            return false;
        GameProcess::WaitFor(20);
    }
    return true;
}

// Clicks until the game writes the line once more: a click can fall while a
// box that was just answered still plays its closing effect.
bool ClickUntil(GameProcess& game, HWND hwnd, POINT p, const std::string& line)
{
    size_t seen = game.CountOutput(line);
    for (int tries = 0; tries < 10; tries++)
    {
        ClickAt(hwnd, p);
        if (WaitCount(game, line, seen + 1, 1000))
            return true;
    }
    return false;
}

// The words of the game's last box of that key, as it showed them.
std::string BoxWords(GameProcess& game, const std::string& key)
{
    const std::string says = "Box text: '" + key + "': ";
    std::string output = game.Output();
    size_t at = output.rfind(says);
    if (at == std::string::npos)
        return "";
    at += says.size();
    return output.substr(at, output.find('\n', at) - at);
}

// Opens the options and applies mute turned over: a save of the settings.
bool ToggleMuteAndApply(GameProcess& game, HWND hwnd)
{
    static const POINT settings =
        LayoutCentre("main_menu", {"main_menu_dlg", "right_page", "settings"});
    static const POINT mute = LayoutCentre("options", {"panel", "mute_checkbox"});
    static const POINT apply = LayoutCentre("options", {"panel", "apply"});
    if (!ClickUntil(game, hwnd, settings, "Screens: options shown"))
        return false;
    ClickAt(hwnd, mute);
    ClickAt(hwnd, apply);
    return true;
}

HWND StartToMenu(GameProcess& game)
{
    if (!game.Start())
        return nullptr;
    HWND hwnd = game.WaitForMainWindow(30000);
    if (hwnd && !game.WaitForOutput("Screens: main menu drawn", 30000))
        return nullptr;
    return hwnd;
}
} // namespace

TEST_F(ProfileRun, AFailedSaveIsToldOnceKeptInMemoryAndTriedAgain)
{
    WritePref(WriteProfileData(OnePlayer(L"Ann")));
    const std::string blocked = PrefPath() + ".tmp";
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    const POINT settings = LayoutCentre("main_menu", {"main_menu_dlg", "right_page", "settings"});
    const POINT apply = LayoutCentre("options", {"panel", "apply"});
    const POINT players = LayoutCentre("main_menu", {"profile_open"});
    const POINT playersClose = LayoutCentre("main_menu", {"profile_close"});
    const POINT create = LayoutCentre("main_menu", {"select_profile", "create"});

    GameProcess game;
    HWND hwnd = StartToMenu(game);
    ASSERT_NE(hwnd, nullptr) << game.Account();
    const std::string before = ReadTestFile(PrefPath());

    // Mute, applied: the save fails and the player is told, and plays on.
    ASSERT_TRUE(ToggleMuteAndApply(game, hwnd)) << game.Output();
    ASSERT_TRUE(WaitCount(game, "Screens: options applied: music 30 sound 60 mute 1", 1))
        << game.Output();
    ASSERT_TRUE(game.WaitForOutput("Screens: box 'savefail' asked", 10000)) << game.Output();
    GameScreen(hwnd, "screens-run").WaitFor("profile_save_failed", {{P(512, 240), kMintBand}});
    ASSERT_TRUE(game.AnswerGameBox("savefail", true, 10000)) << game.Output();
    EXPECT_NE(game.Output().find("Screens: profile save failed: cannot create '" + blocked),
              std::string::npos)
        << game.Output();
    EXPECT_EQ(ReadTestFile(PrefPath()), before);

    // A new player: that save fails too, and is not told again.
    ASSERT_TRUE(ClickUntil(game, hwnd, players, "Screens: page turn to 1 back")) << game.Output();
    ASSERT_TRUE(game.WaitForOutput("Screens: page turn ended on 1", 10000)) << game.Output();
    ClickAt(hwnd, create);
    PostText(hwnd, L"Bob");
    PostKey(hwnd, VK_RETURN);
    ASSERT_TRUE(WaitCount(game, "Screens: profile created", 1)) << game.Output();
    ASSERT_TRUE(ClickUntil(game, hwnd, playersClose, "Screens: page turn to 1 forward"))
        << game.Output();
    ASSERT_TRUE(WaitCount(game, "Screens: page turn ended on 1", 2)) << game.Output();
    // No box was asked meanwhile: the options open.
    ASSERT_TRUE(ClickUntil(game, hwnd, settings, "Screens: options shown")) << game.Output();
    EXPECT_EQ(1u, game.CountOutput("Screens: box 'savefail' asked"));
    EXPECT_EQ(ReadTestFile(PrefPath()), before);

    // The way is free again: the next save writes everything kept meanwhile.
    ASSERT_TRUE(RemoveDirectoryA(blocked.c_str()));
    ClickAt(hwnd, apply);
    ASSERT_TRUE(WaitCount(game, "Screens: options applied", 2)) << game.Output();
    KpProfileData saved = StoredData();
    EXPECT_EQ(saved.mute, 1);
    EXPECT_EQ(Names(saved), (std::vector<std::wstring>{L"Ann", L"Bob"}));
    EXPECT_EQ(saved.currentSlot, 1);
    EXPECT_EQ(saved.slots[0].levelMoney[2], 345);
    const std::string good = ReadTestFile(PrefPath());

    // Blocked once more: a new failure is told again. The quit question no
    // longer says the progress is saved; the quit that cannot save is told,
    // and the player may stay (the save is tried again at the next close) or
    // close all the same.
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    ASSERT_TRUE(ToggleMuteAndApply(game, hwnd)) << game.Output();
    ASSERT_TRUE(WaitCount(game, "Screens: options applied", 3)) << game.Output();
    ASSERT_TRUE(game.AnswerGameBox("savefail", true, 10000)) << game.Output();
    for (bool close : {false, true})
    {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        ASSERT_TRUE(game.AnswerGameBox("quitunsaved", true, 10000)) << game.Output();
        ASSERT_TRUE(game.AnswerGameBox("savelost", close, 10000)) << game.Output();
    }
    const std::string output = game.Output();
    EXPECT_EQ(output.find("Box text: 'quit': "), std::string::npos) << output;
    EXPECT_EQ(2u, game.CountOutput("Box text: 'quitunsaved': Close the cafe for today? | "
                                   "Your latest progress is not saved"));
    EXPECT_EQ(
        2u, game.CountOutput("Box text: 'savelost': Latest progress lost | Still could not write " +
                             PrefPath() + ". Close now and the progress"));
    EXPECT_EQ(1u, game.CountOutput("Screens: box 'savelost' answered 0"));
    EXPECT_EQ(2u, game.CountOutput("Screens: profile save failed at quit: cannot create"));
    ASSERT_TRUE(game.WaitForExit(20000)) << game.Output();
    EXPECT_EQ(game.mExitCode, 0u);
    EXPECT_FALSE(game.mSawSystemBox);
    EXPECT_EQ(2u, game.CountOutput("Screens: box 'savefail' asked"));
    EXPECT_EQ(ReadTestFile(PrefPath()), good);
    RemoveDirectoryA(blocked.c_str());
}

TEST_F(ProfileRun, ADamagedFileIsKeptAsideToldAndNeverOverwritten)
{
    // Cut inside its one profile record.
    const std::string whole = WriteProfileData(OnePlayer(L"Ann"));
    const std::string cut = whole.substr(0, 7900);
    // Random bytes behind a whole header, as long as a file with one profile.
    std::string noise = whole.substr(0, 64);
    std::mt19937 random(29);
    while (noise.size() < whole.size())
        noise += char(random());
    // A forged next level and a flipped bit in the profile count: the count
    // the sum confirms loads the player, next to the day after her best won.
    KpProfileData forgedData = OnePlayer(L"Ann");
    forgedData.slots[0].highestLevel = 500;
    // Day 1's money out of range reads as not won; its expert mark and kept
    // upgrade stay, and a box names the day as the career book shows it.
    forgedData.slots[0].levelMoney[1] = -5;
    forgedData.slots[0].levelExpert[1] = 1;
    forgedData.slots[0].levelUpgrade[1] = 2;
    std::string forged = WriteProfileData(forgedData);
    forged[24] ^= 1;
    // A whole file of two players and ten megabytes of zeros after it, as a
    // crash can leave it: every player and the settings load, nothing needs
    // keeping, and the next save drops the zeros.
    KpProfileData grownData = OnePlayer(L"Ann");
    grownData.slots.push_back(grownData.slots[0]);
    grownData.slots[1].name = L"Bob";
    grownData.musicVolume = 44;
    const std::string grownWhole = WriteProfileData(grownData);
    const std::string grown = grownWhole + std::string((10 << 20) - grownWhole.size(), '\0');

    // The cut file loads its records but not its player; nothing of the noise
    // loads; the forged one loads whole but for what was reset; the grown one
    // loads whole. The box says which, and where the copy is.
    const struct
    {
        std::string bytes;
        const char* copy; // none: no copy
        const char* key;
        const char* words;
        std::vector<std::wstring> players; // after the next save
        const char* dayKey = nullptr;      // then the box that names reset days
        const char* dayWords = nullptr;
    } runs[] = {
        {cut, ".bad", "profilepart", "could not be read and are missing", {}},
        {noise, ".2.bad", "profilekept", "could not be read, so nothing of it was loaded", {}},
        {forged,
         ".3.bad",
         "profilereset",
         "were reset, the settings too",
         {L"Ann"},
         "profileday",
         "The best result of day 1 of cafe 1 (Ann) was damaged. It is reset to $0, and the career "
         "book shows the day without a tick until you win it again."},
        {grown, nullptr, "profilegrew", "empty bytes, as a crash can leave it", {L"Ann", L"Bob"}}};
    for (const auto& run : runs)
    {
        SCOPED_TRACE(run.key);
        WritePref(run.bytes);
        GameProcess game;
        HWND hwnd = StartToMenu(game);
        ASSERT_NE(hwnd, nullptr) << game.Account();
        if (run.copy)
        {
            const std::string told =
                "Screens: profile file kept as '" + PrefPath() + run.copy + "'";
            ASSERT_TRUE(game.WaitForOutput(told, 10000)) << game.Output();
        }
        ASSERT_TRUE(game.WaitForOutput("Screens: box '" + std::string(run.key) + "' asked", 10000));
        GameScreen(hwnd, "screens-run").WaitFor(run.key, {{P(512, 240), kMintBand}});
        const std::string words = BoxWords(game, run.key);
        EXPECT_NE(words.find(run.words), std::string::npos) << words;
        EXPECT_EQ(words.find("the rest loaded"), std::string::npos) << words;
        if (run.copy)
        {
            EXPECT_NE(words.find(PrefPath() + run.copy), std::string::npos) << words;
        }
        ASSERT_TRUE(game.AnswerGameBox(run.key, true, 10000)) << game.Output();
        if (run.dayKey)
        {
            ASSERT_TRUE(game.WaitForOutput("Box text: '" + std::string(run.dayKey) + "': ", 10000))
                << game.Output();
            const std::string day = BoxWords(game, run.dayKey);
            EXPECT_NE(day.find(run.dayWords), std::string::npos) << day;
            ASSERT_TRUE(game.AnswerGameBox(run.dayKey, true, 10000)) << game.Output();
        }
        if (run.copy)
        {
            EXPECT_EQ(ReadTestFile(PrefPath() + run.copy), run.bytes);
        }
        // (Compared as a truth: a failure should not print megabytes.)
        EXPECT_TRUE(ReadTestFile(PrefPath()) == run.bytes); // until the first save

        if (run.players.empty())
        {
            // No profile of it could be read: the game asks for a name, and saves.
            PostText(hwnd, L"Cid");
            PostKey(hwnd, VK_RETURN);
            ASSERT_TRUE(game.WaitForOutput("Screens: profile created", 10000)) << game.Output();
            EXPECT_EQ(Names(StoredData()), std::vector<std::wstring>{L"Cid"});
        }
        EXPECT_TRUE(game.Quit(hwnd, 10000)) << game.Output();
        EXPECT_EQ(1u, game.CountOutput("Screens: box '" + std::string(run.key) + "' asked"));
        if (!run.players.empty())
        {
            KpProfileData saved = StoredData();
            ASSERT_EQ(Names(saved), run.players);
            EXPECT_EQ(saved.slots[0].highestLevel, run.copy ? 3 : 5);
            EXPECT_EQ(saved.slots[0].levelMoney[2], 345);
            // A file that loaded whole keeps its settings.
            EXPECT_EQ(saved.musicVolume, run.copy ? 30 : 44);
        }
        if (run.dayKey)
        {
            // What the rest of day 1 shows stays; only its money is gone.
            KpProfileData saved = StoredData();
            EXPECT_EQ(saved.slots[0].levelMoney[1], 0);
            EXPECT_EQ(saved.slots[0].levelExpert[1], 1);
            EXPECT_EQ(saved.slots[0].levelUpgrade[1], 2);
        }
    }
    // The first copy was never replaced; the grown file needed none, and the
    // save kept every player of it and its settings, without the zeros.
    EXPECT_EQ(ReadTestFile(PrefPath() + ".bad"), cut);
    EXPECT_EQ(ReadTestFile(PrefPath() + ".4.bad"), "<missing>");
    EXPECT_EQ(ReadTestFile(PrefPath()).size(), grownWhole.size());
}

// A virus scanner or a backup tool holding the file while the game starts:
// once called damaged, copied aside and saved over by a first run. The game
// waits a little, then says the file is in use, loads nothing of it, saves
// nothing over it, and the quit question says so.
TEST_F(ProfileRun, AFileAnotherProgramHoldsIsToldLeftAsItIsAndNotSavedOver)
{
    const std::string stored = WriteProfileData(OnePlayer(L"Ann"));
    WritePref(stored);
    // Held without sharing from another process, as a backup tool would (the
    // unit test holds it the other ways too: for writing with read sharing,
    // and locked).
    std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> holder(
        CreateFileA(PrefPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
        CloseHandle);
    ASSERT_NE(holder.get(), INVALID_HANDLE_VALUE);

    GameProcess game;
    HWND hwnd = StartToMenu(game);
    ASSERT_NE(hwnd, nullptr) << game.Account();
    ASSERT_TRUE(game.WaitForOutput("Box text: 'profileheld': ", 10000)) << game.Output();
    GameScreen(hwnd, "screens-run").WaitFor("profile_held", {{P(512, 240), kMintBand}});
    const std::string words = BoxWords(game, "profileheld");
    for (const std::string& part :
         {std::string("in use by another program"), PrefPath(), std::string("nothing was loaded")})
        EXPECT_NE(words.find(part), std::string::npos) << part << " in: " << words;
    ASSERT_TRUE(game.AnswerGameBox("profileheld", true, 10000)) << game.Output();

    // A first run's name entry: the player plays on, told nothing more.
    PostText(hwnd, L"Cid");
    PostKey(hwnd, VK_RETURN);
    ASSERT_TRUE(game.WaitForOutput("Screens: profile created", 10000)) << game.Output();
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(game.AnswerGameBox("quitheld", true, 10000)) << game.Output();
    EXPECT_TRUE(game.WaitForExit(20000)) << game.Output();
    EXPECT_EQ(game.mExitCode, 0u);
    holder.reset();
    EXPECT_NE(game.Output().find("Box text: 'quitheld': Close the cafe for today? | Nothing of "
                                 "this session is saved"),
              std::string::npos)
        << game.Output();
    for (const char* box : {"savefail", "savelost", "savenocopy", "profilekept"})
        EXPECT_EQ(0u, game.CountOutput(std::string("box '") + box)) << box;
    EXPECT_TRUE(ReadTestFile(PrefPath()) == stored);
    EXPECT_EQ(ReadTestFile(PrefPath() + ".bad"), "<missing>");
    EXPECT_EQ(ReadTestFile(PrefPath() + ".tmp"), "<missing>");
}

namespace
{
std::string KeptCopyName(int n)
{
    return PrefPath() + (n == 1 ? "" : "." + std::to_string(n)) + ".bad";
}

// The folder holds as many kept copies as the game keeps (of older files).
void FillKeptCopies()
{
    for (int n = 1; n <= KpProfileFile::MostKeptCopies(); n++)
        WriteTestFile(KeptCopyName(n), "an older file " + std::to_string(n));
}

// What every box of a copy refused for want of a name says of it.
void ExpectNamesTakenTold(const std::string& words)
{
    for (const char* part : {"already holds 100 kept copies", "remove old ones to save again"})
        EXPECT_NE(words.find(part), std::string::npos) << part << " in: " << words;
}
} // namespace

TEST_F(ProfileRun, ADamagedFileThatCannotBeKeptAsideIsToldAndLeftUntouched)
{
    const std::string cut = WriteProfileData(OnePlayer(L"Ann")).substr(0, 7900);
    WritePref(cut);
    FillKeptCopies();

    GameProcess game;
    HWND hwnd = StartToMenu(game);
    ASSERT_NE(hwnd, nullptr) << game.Account();
    ASSERT_TRUE(game.WaitForOutput("Box text: 'profilenocopy': ", 10000)) << game.Output();
    GameScreen(hwnd, "screens-run").WaitFor("profile_no_copy", {{P(512, 240), kMintBand}});
    const std::string atStart = BoxWords(game, "profilenocopy");
    const std::vector<std::string> told = {"damaged", PrefPath(),
                                           "left untouched until a copy of it can be kept"};
    for (const std::string& part : told)
        EXPECT_NE(atStart.find(part), std::string::npos) << part << " in: " << atStart;
    ExpectNamesTakenTold(atStart);
    ASSERT_TRUE(game.AnswerGameBox("profilenocopy", true, 10000)) << game.Output();

    // The first save is refused, and says why.
    PostText(hwnd, L"Cid");
    PostKey(hwnd, VK_RETURN);
    ASSERT_TRUE(game.WaitForOutput("Box text: 'savenocopy': ", 10000)) << game.Output();
    const std::string atSave = BoxWords(game, "savenocopy");
    EXPECT_NE(atSave.find("No copy"), std::string::npos) << atSave;
    EXPECT_EQ(atSave.find("tries again"), std::string::npos) << atSave;
    ExpectNamesTakenTold(atSave);
    ASSERT_TRUE(game.AnswerGameBox("savenocopy", true, 10000)) << game.Output();

    // The quit's save is refused too: not told again, but the quit that
    // cannot save names that cause.
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(game.AnswerGameBox("quitunsaved", true, 10000)) << game.Output();
    ASSERT_TRUE(game.WaitForOutput("Box text: 'savelostnocopy': ", 10000)) << game.Output();
    const std::string atQuit = BoxWords(game, "savelostnocopy");
    EXPECT_NE(atQuit.find("No copy of your saved game"), std::string::npos) << atQuit;
    EXPECT_EQ(atQuit.find("could not write"), std::string::npos) << atQuit;
    ExpectNamesTakenTold(atQuit);
    ASSERT_TRUE(game.AnswerGameBox("savelostnocopy", true, 10000)) << game.Output();
    ASSERT_TRUE(game.WaitForExit(20000)) << game.Output();
    EXPECT_EQ(1u, game.CountOutput("Screens: box 'savenocopy' asked"));
    EXPECT_EQ(0u, game.CountOutput("box 'savefail'"));
    EXPECT_EQ(ReadTestFile(PrefPath()), cut);
}

// A grown file whose copy cannot be kept at the start is told as grown, not
// damaged; once a name is free the save keeps the copy, and the box then says
// the file had grown and every player loaded, as it did.
TEST_F(ProfileRun, AGrownFileWhoseCopyWaitsForAFreeNameStaysAGrownFile)
{
    KpProfileData data = OnePlayer(L"Ann");
    data.slots.push_back(data.slots[0]);
    data.slots[1].name = L"Bob";
    data.musicVolume = 44;
    const std::string grown = WriteProfileData(data) + std::string(100000, 'x');
    WritePref(grown);
    FillKeptCopies();

    GameProcess game;
    HWND hwnd = StartToMenu(game);
    ASSERT_NE(hwnd, nullptr) << game.Account();
    ASSERT_TRUE(game.WaitForOutput("Box text: 'profilegrewnocopy': ", 10000)) << game.Output();
    const std::string atStart = BoxWords(game, "profilegrewnocopy");
    EXPECT_NE(atStart.find("grew past its end and loaded whole"), std::string::npos) << atStart;
    EXPECT_EQ(atStart.find("damaged"), std::string::npos) << atStart;
    ExpectNamesTakenTold(atStart);
    ASSERT_TRUE(game.AnswerGameBox("profilegrewnocopy", true, 10000)) << game.Output();

    DeleteFileA(KeptCopyName(7).c_str());
    ASSERT_TRUE(ToggleMuteAndApply(game, hwnd)) << game.Output();
    ASSERT_TRUE(game.WaitForOutput("Box text: 'profilegrewkept': ", 10000)) << game.Output();
    EXPECT_NE(BoxWords(game, "profilegrewkept").find(KeptCopyName(7)), std::string::npos);
    ASSERT_TRUE(game.AnswerGameBox("profilegrewkept", true, 10000)) << game.Output();
    EXPECT_TRUE(game.Quit(hwnd, 10000)) << game.Output();
    for (const char* box : {"profilekept", "profilenocopy", "savenocopy", "savefail"})
        EXPECT_EQ(0u, game.CountOutput(std::string("box '") + box)) << box;
    EXPECT_TRUE(ReadTestFile(KeptCopyName(7)) == grown);
    KpProfileData saved = StoredData();
    EXPECT_EQ(Names(saved), (std::vector<std::wstring>{L"Ann", L"Bob"}));
    EXPECT_EQ(saved.musicVolume, 44);
    EXPECT_EQ(saved.mute, 1);
}

namespace
{
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

// One value of the user's shell folders as it was: type and bytes.
struct ShellValue
{
    std::string key;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

// Deletes a folder with everything in it, whatever its names hold.
void DeleteWideTree(const std::wstring& folder)
{
    std::wstring from = folder + L'\0'; // a list of names, ended by an empty one
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}
} // namespace

// A user named in another script than the system's language for programs
// that are not Unicode (a Polish or Greek name on a Western system), and the
// game installed under such a name: the narrow calls reach both by short
// names. The test points the user's application-data folder elsewhere for a
// while, so it runs in a Wine prefix of its own (tests/CMakeLists.txt).
class UserFolderRun : public ProfileRun
{
protected:
    void SetUp() override
    {
        if (!GetEnvironmentVariableA("LUMO_PREFIX_OF_ITS_OWN", nullptr, 0))
            GTEST_SKIP() << "points the user's folders elsewhere: runs in a prefix of its own";
        ProfileRun::SetUp();
        wchar_t appData[MAX_PATH] = {0};
        ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
        const std::wstring roaming = appData;
        mUser = roaming.substr(0, roaming.rfind(L'\\')) +
                L"\\\u0141ukasz \u03a9\u03bc\u03ad\u03b3\u03b1";
        for (const char* which : {"User Shell Folders", "Shell Folders"})
        {
            ShellValue value;
            value.key = std::string(kShellFolders) + which;
            DWORD size = 0;
            ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, value.key.c_str(), "AppData",
                                   RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr, &size),
                      ERROR_SUCCESS);
            value.bytes.resize(size);
            RegGetValueA(HKEY_CURRENT_USER, value.key.c_str(), "AppData", RRF_RT_ANY | RRF_NOEXPAND,
                         &value.type, value.bytes.data(), &size);
            mSaved.push_back(value);
        }
        DeleteWideTree(mUser);
        ASSERT_TRUE(CreateDirectoryW(mUser.c_str(), nullptr));
        for (const ShellValue& value : mSaved)
            RegSetKeyValueW(HKEY_CURRENT_USER, Lumo::FromCodePage(value.key).c_str(), L"AppData",
                            value.type, mUser.c_str(), DWORD((mUser.size() + 1) * sizeof(wchar_t)));
    }
    void TearDown() override
    {
        for (const ShellValue& value : mSaved)
            RegSetKeyValueA(HKEY_CURRENT_USER, value.key.c_str(), "AppData", value.type,
                            value.bytes.data(), DWORD(value.bytes.size()));
        if (!mUser.empty())
            DeleteWideTree(mUser);
        if (!mSaved.empty())
            ProfileRun::TearDown();
    }
    std::wstring mUser; // the user's folder, named outside the code page
    std::vector<ShellValue> mSaved;
};

TEST_F(UserFolderRun, AFirstStartThereCreatesAPlayerSavesAndTheNextStartLoadsHer)
{
    const std::string pref = KpProfileFile::DefaultPath();
    ASSERT_FALSE(pref.empty());
    EXPECT_EQ(pref.find('?'), std::string::npos) << pref;
    // The game in a folder of such a name, started from another folder: it
    // finds its archives beside it.
    const std::wstring install = mUser + L"\\Gra \u0141\u00f3d\u017a";
    ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
    for (const char* file : {"ZorkaCafe.exe", "data.pak", "loc.pak"})
        ASSERT_TRUE(
            CopyFileW(Lumo::FromCodePage(std::string(LUMO_BINARY_DIR) + "\\game\\" + file).c_str(),
                      (install + L"\\" + Lumo::FromCodePage(file)).c_str(), FALSE))
            << file;

    for (int run = 0; run < 2; run++)
    {
        SCOPED_TRACE(run);
        GameProcess game;
        ASSERT_TRUE(game.StartWide(install + L"\\ZorkaCafe.exe", L"C:\\"));
        HWND hwnd = game.WaitForMainWindow(30000);
        ASSERT_NE(hwnd, nullptr) << game.Account();
        ASSERT_TRUE(game.WaitForOutput("Screens: main menu drawn", 30000)) << game.Output();
        if (run == 0)
        {
            // A first run: the name is asked, and the new player saved.
            PostText(hwnd, L"Ann");
            PostKey(hwnd, VK_RETURN);
            ASSERT_TRUE(game.WaitForOutput("Screens: profile created", 10000)) << game.Output();
            EXPECT_NE(GetFileAttributesW((mUser + L"\\Tessik Games\\Zorka2\\pref.dat").c_str()),
                      INVALID_FILE_ATTRIBUTES);
        }
        else
        {
            // She loaded: no name is asked, the settings open, and their save keeps her.
            ASSERT_TRUE(ToggleMuteAndApply(game, hwnd)) << game.Output();
            ASSERT_TRUE(WaitCount(game, "Screens: options applied", 1)) << game.Output();
        }
        EXPECT_TRUE(game.Quit(hwnd, 10000)) << game.Output();
        EXPECT_EQ(game.mExitCode, 0u);
        for (const char* box : {"profilenocopy", "profilekept", "savefail", "savenocopy",
                                "profilefolder", "savelost"})
            EXPECT_EQ(0u, game.CountOutput(std::string("box '") + box)) << box;
    }
    KpProfileData saved;
    std::vector<std::string> warnings;
    ASSERT_TRUE(ReadProfileData(ReadTestFile(pref), saved, warnings));
    EXPECT_EQ(Names(saved), std::vector<std::wstring>{L"Ann"});
    EXPECT_EQ(saved.mute, 1);
}

// Where the system gives the folder no short name (8.3 names turned off on
// its drive) no narrow name reaches it: nothing is read, the file is neither
// missing nor damaged, nothing is saved or made there, and it is told once.
TEST_F(UserFolderRun, AFolderNoNarrowNameReachesIsToldOnceAndNothingIsSavedThere)
{
    KpProfileFile file;
    file.UseDefaultPath([](const std::wstring& path) { return path; });
    EXPECT_EQ(file.GetPath(), "");
    EXPECT_EQ(KpProfileFile::DefaultFolder(), mUser + L"\\Tessik Games\\Zorka2");
    EXPECT_FALSE(file.Read());
    EXPECT_TRUE(file.IsFolderUnnamed());
    EXPECT_TRUE(file.SavesNothing());
    EXPECT_TRUE(file.TakeNoFolderNews());
    EXPECT_FALSE(file.TakeNoFolderNews());
    EXPECT_FALSE(file.HasUnkeptNews());
    EXPECT_FALSE(file.HasKeptCopy());
    EXPECT_TRUE(file.NewProfile(L"Ann", nullptr, nullptr));
    EXPECT_FALSE(file.Save());
    EXPECT_FALSE(file.TakeSaveFailure());
    EXPECT_FALSE(file.IsSaveRefusedForDamage());
    EXPECT_EQ(GetFileAttributesW((mUser + L"\\Tessik Games").c_str()), INVALID_FILE_ATTRIBUTES);
}
