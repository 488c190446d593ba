// Every screen of the game, walked with clicks and keys posted to its window
// on both display roads, reaches the X screen as it is when drawn whole: the
// main menu, the profile page, the settings, help, hi-scores, the career book,
// day 1's comic and briefing, the day itself, the pause menu with its help
// and settings, the upgrade shop, the debriefing, the next day, survival,
// a lost day's debriefing, and every question box. At each stop
// ScreenWalk.exe (the game with a check of its presented picture) compares
// the screen with the same moment drawn and presented whole, and it does so
// on its own every few frames between the stops, through page turns, comics
// and effects. While a day runs, a scene item of 12 parts stands on the
// floor: each of its parts reaches the screen.
// The career book's tabs stand as a page turn leaves them after "Today" and
// after starting over, and its tools never stand on a page turning to or
// from it.
// No presented frame shows a day figure of the HUD (day, goal money,
// survival's day) that is not the running day's, and the HUD stays off while
// day 1's comic comes in again after day 2 was played; nor does a result box
// left by its "Menu" while the next day's comic comes in. The quit question
// reads the same where it is asked: on a first run's name entry, over the
// menu, over a comic and in a day.
// The screen is larger than the game, so the game runs in a window and
// presents only the areas that changed.
//
// The game runs from a copy of its folder whose mod.pak gives day 1 one
// table, one guest, a goal of 1 and upgrades to try, so the day ends within
// seconds in the upgrade shop.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "framework/app/StringUtils.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameDriving.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/game/engine/GameScreen.h"
#include "tests/support/GameTestLog.h"
#include "tests/support/TempFolder.h"

using namespace GameTest;

namespace
{
// Day 1 with its comic, one table, one guest who sits at once, and offers.
std::string ShortDayOne()
{
    std::string level = ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/l001.xml");
    bool ok = Replace(level, "<day length=\"", "\"", "<day length=\"20\"") &&
              Replace(level, "<money ", "/>", "<money goal=\"1\" expert=\"2\"/>") &&
              Replace(level, "<object class=\"table\" name=\"table2\"", "/>", "") &&
              Replace(level, "<object class=\"table\" name=\"table3\"", "/>", "") &&
              Replace(level, "<clients>", "</clients>",
                      "<clients><client time=\"0.5\" order=\"tea\" patience=\"60\"/></clients>") &&
              level.find("</level>") != std::string::npos;
    if (ok)
        level.insert(level.find("</level>"),
                     "<upgrades><upgrade object=\"tables\" name=\"marble\" kind=\"visual\" "
                     "levels=\"1;15\"/><upgrade object=\"plants\" name=\"ferns\" "
                     "kind=\"visual\" levels=\"1;15\"/></upgrades>");
    EXPECT_TRUE(ok) << level;
    return level;
}

// The quit question's words, wherever it is asked.
const char* const kQuitWords =
    "Close the cafe for today? | Your game is saved each time a day's result is shown, and when "
    "a survival run ends. A day or run still in play starts over next time.";

// The layouts are read through COM.
::testing::Environment* const gCom = ::testing::AddGlobalTestEnvironment(new ComTestEnvironment);

class ScreenWalkRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveGameKey();
        ASSERT_NO_FATAL_FAILURE(mFolder.Enter("screen_walk"));
        ASSERT_NO_FATAL_FAILURE(
            MakeGameFolder(mFolder, {{"cfg\\l001.xml", ShortDayOne()}}, &mProgram));
        const std::string walk = std::string(LUMO_BINARY_DIR) + "/game/ScreenWalk.exe";
        mProgram = mFolder.Path() + "\\ScreenWalk.exe";
        ASSERT_TRUE(CopyFileA(walk.c_str(), mProgram.c_str(), FALSE));
        SetEnvironmentVariableA("SCREENWALK_EVERY", "25");
        SetEnvironmentVariableA("SCREENWALK_OUT",
                                (std::string(LUMO_BINARY_DIR) + "/screen-walk").c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("SCREENWALK_EVERY", nullptr);
        SetEnvironmentVariableA("SCREENWALK_OUT", nullptr);
        mFolder.Leave();
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
    }

    // Two players (the second makes the profile page's delete ask), the first chosen.
    void WriteProfiles()
    {
        KpProfileData data;
        for (const wchar_t* name : {L"Anna", L"Ben"})
        {
            KpProfile profile;
            profile.name = name;
            data.slots.push_back(profile);
        }
        data.slots[1].highestLevel = 40; // the third cafe
        data.currentSlot = 0;
        Lumo::MakeDirectories(Lumo::GetFileDir(KpProfileFile::DefaultPath(), true));
        WriteTestFile(KpProfileFile::DefaultPath(), WriteProfileData(data));
    }

    // Runs the action and waits for the next occurrence of the "Screens: "
    // line, and for the page turn it starts to end when `turns`. The action
    // runs once: a player clicks once, also right after a box went away.
    bool Do(const std::function<void()>& action, const std::string& line, bool turns = false)
    {
        const std::string turned = "Screens: page turn ended on";
        size_t lines = mGame->CountOutput("Screens: " + line);
        size_t turnsEnded = mGame->CountOutput(turned);
        action();
        for (int waited = 0; mGame->CountOutput("Screens: " + line) == lines ||
                             (turns && mGame->CountOutput(turned) == turnsEnded);
             waited += 20)
        {
            if (waited > 20000 || mGame->mExited)
            {
                GameScreen(mHwnd, "screen-walk")
                    .WaitUntil(("no_" + std::to_string(mGame->mPid)).c_str(),
                               [](const GameScreen&) { return true; });
                ADD_FAILURE() << "no '" << line << "'\n" << mGame->Output();
                return false;
            }
            GameProcess::WaitFor(20);
        }
        return true;
    }
    bool Click(POINT at, const std::string& line, bool turns = false)
    {
        return Do([&] { ClickAt(mHwnd, at); }, line, turns);
    }

    // Asks the game to compare the screen with the same moment drawn whole;
    // returns its report line.
    std::string Check(const std::string& stop)
    {
        const std::string prefix = "ScreenWalk: check ";
        size_t before = mGame->CountOutput(prefix);
        std::string name = Lumo::StrFormat("ScreenWalk.Check.%lu", mGame->mPid);
        HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str());
        EXPECT_NE(event, nullptr) << name;
        if (!event)
            return "";
        SetEvent(event);
        CloseHandle(event);
        for (int waited = 0; mGame->CountOutput(prefix) == before; waited += 20)
        {
            if (waited > 10000 || mGame->mExited)
            {
                ADD_FAILURE() << stop << ": no check";
                return "";
            }
            GameProcess::WaitFor(20);
        }
        std::string output = mGame->Output();
        size_t at = output.find(prefix);
        for (size_t i = 0; i < before; i++)
            at = output.find(prefix, at + 1);
        std::string line = output.substr(at, output.find('\n', at) - at);
        EXPECT_NE(line.find(" same"), std::string::npos) << stop << ": " << line;
        return line;
    }

    // A question box of that key asked by the action (or already asked when
    // the action is empty), checked (unless `compare` is false), and answered
    // with a click on its button. With words, the box reads them
    // ("<text1> | <text2>").
    void Box(const std::function<void()>& action, const std::string& key, bool yes,
             const char* words = nullptr, bool compare = true)
    {
        const std::string asked = "Screens: box '" + key + "' asked: ";
        if (action)
        {
            ASSERT_TRUE(Do(action, "box '" + key + "' asked"));
        }
        if (words)
        {
            // Told just before the box is asked.
            const std::string reads = "Box text: '" + key + "': ";
            std::string output = mGame->Output();
            size_t at = output.rfind(reads);
            ASSERT_NE(at, std::string::npos) << key;
            at += reads.size();
            EXPECT_EQ(output.substr(at, output.find('\n', at) - at), words) << key;
        }
        if (compare)
            Check("box " + key);
        std::string output = mGame->Output();
        POINT y = {}, n = {};
        ASSERT_EQ(sscanf(output.c_str() + output.rfind(asked) + asked.size(),
                         "yes=%ld,%ld no=%ld,%ld", &y.x, &y.y, &n.x, &n.y),
                  4);
        ASSERT_TRUE(Click(yes ? y : n, "box '" + key + "' answered"));
    }

    // A box of the game's picture; how many pixels of `a` are near those of `b`.
    struct Area
    {
        int x, y, w, h;
    };
    static size_t Alike(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
    {
        size_t alike = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); i++)
            alike += GameScreen::Near(a[i], b[i], 24) ? 1 : 0;
        return alike;
    }
    // The area as the screen shows it now; the whole picture is saved as the stop.
    std::vector<uint32_t> Grab(const std::string& stop, const Area& a)
    {
        GameScreen screen(mHwnd, "screen-walk");
        screen.WaitUntil(("road" + std::to_string(mRoad) + " " + stop).c_str(),
                         [](const GameScreen&) { return true; });
        std::vector<uint32_t> pixels;
        for (int y = a.y; y < a.y + a.h; y++)
            for (int x = a.x; x < a.x + a.w; x++)
                pixels.push_back(screen.At(x, y));
        return pixels;
    }
    // The tabs once they have held still for 400 ms (their fades ended).
    std::vector<uint32_t> SettledTabs(const std::string& stop)
    {
        std::vector<uint32_t> last, now;
        for (int still = 0, tries = 0; still < 4 && tries < 50; tries++, last.swap(now))
        {
            GameProcess::WaitFor(100);
            now = Grab(stop, mTabs);
            still = now == last ? still + 1 : 0;
        }
        return last;
    }
    // Once a picture drawn after the last action is on the screen, the tabs
    // come to show `wanted` (within 5 s).
    void ExpectTabs(const std::string& stop, const std::vector<uint32_t>& wanted)
    {
        Check(stop);
        size_t alike = 0;
        for (int tries = 0; tries < 50 && alike != wanted.size();
             tries++, GameProcess::WaitFor(100))
            alike = Alike(Grab(stop, mTabs), wanted);
        EXPECT_EQ(alike, wanted.size()) << stop << ": pixels of the tabs as wanted";
    }
    // A click that turns a page to `to` (3 the career book, 1 the main menu):
    // the turn's first frame, held on the screen, shows none of the book's tools.
    void TurnWithoutTools(POINT at, int to, const std::string& stop)
    {
        mGame->HoldAt(Lumo::StrFormat("ScreenWalk: page turn to %d on the screen", to));
        ClickAt(mHwnd, at);
        for (int waited = 0; !mGame->IsHeld() && waited < 20000; waited += 20)
            GameProcess::WaitFor(20);
        EXPECT_TRUE(mGame->IsHeld()) << stop << ": no page turn";
        size_t alike = Alike(Grab(stop, mToolArea), mTools);
        EXPECT_LT(alike, mTools.size() / 2) << stop << ": pixels of the tools as on the open book";
        ASSERT_TRUE(Do([&] { mGame->Release(); }, Lumo::StrFormat("page turn ended on %d", to)));
    }

    // Starts the game on that display road, as mGame, and clicks through its
    // splash to the main menu.
    void StartGame(GameProcess& game, int road)
    {
        mGame = &game;
        ASSERT_TRUE(mGame->Start("", mProgram));
        mHwnd = mGame->WaitForMainWindow(30000);
        ASSERT_NE(mHwnd, nullptr) << mGame->Output();
        ASSERT_TRUE(mGame->WaitForOutput(
            "ScreenWalk: ready 3D=" + std::to_string(road) + " windowed=1", 30000))
            << mGame->Output();
        ASSERT_TRUE(mGame->WaitForOutput("Screens: splash slide 0", 30000)) << mGame->Output();
        while (!mGame->WaitForOutput("Screens: splash ended", 200))
        {
            ASSERT_FALSE(mGame->mExited) << mGame->Output();
            ClickAt(mHwnd, POINT{512, 384});
        }
        ASSERT_TRUE(mGame->WaitForOutput("Screens: main menu drawn", 10000)) << mGame->Output();
    }

    // The walk on one display road, stop by stop; each part goes on from where
    // the one before it left the game.
    void Walk(int road);
    void ChooseRoad(int road);
    void QuitOnFirstRun(int road);
    void MenuPages();
    void FirstCareerBook();
    void DayOne();
    void PauseMenu();
    void DayOneEnds();
    void NextDayAndSurvival();
    void BookOpenedAgain();
    void StartedOverInFirstCafe();
    void ThirdCafeStartedOver();
    void DayOneComesInAgain();
    void DayLostAndLeftForTheMenu();
    void QuitInTheDay();
    void EveryFrameReports();

    // Leaves the running day through the pause menu's question.
    void LeaveDay();
    // Starts the career over through the book's question.
    void StartOver();
    // What the game told of a comic's fade-in: its frames, and of them those
    // the HUD and those a result box was on view in.
    struct FadeIn
    {
        int frames = -1, hudFrames = -1, resultFrames = -1;
    };
    // Starts the book's day with a click on "Play" and waits for its comic to
    // have come in.
    void PlayIntoComic(FadeIn& fade);

    TempFolder mFolder;
    std::string mProgram;
    GameProcess* mGame = nullptr; // the walk's run
    HWND mHwnd = nullptr;
    int mRoad = 0;
    Area mTabs = {}, mToolArea = {}; // the book's cafe tabs, and its two tools
    std::vector<uint32_t> mTools;    // the tools as the open book shows them
    std::vector<uint32_t> mNewTabs;  // a new player's tabs
    POINT mToday = {}, mReset = {};  // the book's tools "Today" and "Start over"
};

POINT In(const char* layout, std::initializer_list<const char*> names)
{
    POINT p = LayoutCentre(layout, names);
    EXPECT_TRUE(p.x || p.y) << layout;
    return p;
}

POINT MenuButton(const char* name)
{
    return In("main_menu", {"main_menu_dlg", "right_page", name});
}

POINT PauseButton(const char* name)
{
    return In("escape_menu", {"escape_dlg", "right_page", name});
}

POINT PlayButton()
{
    return In("career_menu", {"career_dlg", "right_page", "play_button"});
}

void ScreenWalkRun::Walk(int road)
{
    ASSERT_NO_FATAL_FAILURE(ChooseRoad(road));
    ASSERT_NO_FATAL_FAILURE(QuitOnFirstRun(road));

    WriteProfiles();
    mRoad = road;
    GameProcess game;
    ASSERT_NO_FATAL_FAILURE(StartGame(game, road));
    Check("main menu");
    ASSERT_NO_FATAL_FAILURE(MenuPages());
    ASSERT_NO_FATAL_FAILURE(FirstCareerBook());
    ASSERT_NO_FATAL_FAILURE(DayOne());
    ASSERT_NO_FATAL_FAILURE(PauseMenu());
    ASSERT_NO_FATAL_FAILURE(DayOneEnds());
    ASSERT_NO_FATAL_FAILURE(NextDayAndSurvival());
    ASSERT_NO_FATAL_FAILURE(BookOpenedAgain());
    ASSERT_NO_FATAL_FAILURE(StartedOverInFirstCafe());
    ASSERT_NO_FATAL_FAILURE(ThirdCafeStartedOver());
    ASSERT_NO_FATAL_FAILURE(DayOneComesInAgain());
    ASSERT_NO_FATAL_FAILURE(DayLostAndLeftForTheMenu());
    ASSERT_NO_FATAL_FAILURE(QuitInTheDay());
    ASSERT_NO_FATAL_FAILURE(EveryFrameReports());
}

void ScreenWalkRun::ChooseRoad(int road)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &key, nullptr));
    DWORD value = (DWORD)road;
    RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
    RegCloseKey(key);
}

// The quit question over a first run's name entry, before any player.
void ScreenWalkRun::QuitOnFirstRun(int road)
{
    Lumo::MakeDirectories(Lumo::GetFileDir(KpProfileFile::DefaultPath(), true));
    WriteTestFile(KpProfileFile::DefaultPath(), WriteProfileData(KpProfileData()));
    GameProcess first;
    ASSERT_NO_FATAL_FAILURE(StartGame(first, road));
    Check("name entry");
    ASSERT_NO_FATAL_FAILURE(
        Box([&] { PostMessageA(mHwnd, WM_CLOSE, 0, 0); }, "quit", true, kQuitWords));
    EXPECT_TRUE(first.WaitForExit(20000)) << first.Output();
}

// The players' page, its delete question, the settings, help and hi-scores.
void ScreenWalkRun::MenuPages()
{
    ASSERT_TRUE(Click(In("main_menu", {"profile_open"}), "page turn ended on 1"));
    Check("profile page");
    ASSERT_NO_FATAL_FAILURE(Box(
        [&] {
            ClickAt(mHwnd, In("main_menu", {"select_profile", "left_page", "delete"}));
        },
        "delprof", false));
    ASSERT_TRUE(Click(In("main_menu", {"profile_close"}), "page turn ended on 1"));

    ASSERT_TRUE(Click(MenuButton("settings"), "options shown"));
    Check("settings");
    ASSERT_TRUE(Click(In("options", {"panel", "cancel"}), "options closed"));

    ASSERT_TRUE(Click(MenuButton("help"), "help page 0", true));
    Check("help");
    ASSERT_TRUE(Click(In("help", {"next_btn"}), "help page 1", true));
    Check("help, second spread");
    ASSERT_TRUE(Click(In("help", {"close"}), "help closed to the main menu", true));

    ASSERT_TRUE(Click(MenuButton("scores"), "hi-scores shown", true));
    Check("hi-scores");
    ASSERT_TRUE(
        Click(In("hiscores", {"hiscores_dlg", "right_page", "close"}), "page turn ended on 1"));
}

// A new player's tabs (the first cafe's in front, the others locked), and
// the tools "Today" and "Start over".
void ScreenWalkRun::FirstCareerBook()
{
    ASSERT_TRUE(Click(MenuButton("career"), "page turn ended on 3"));
    Check("career book");
    const POINT firstTab = In("career_menu", {"cafe1_text_big"});
    const POINT lastTab = In("career_menu", {"cafe3_text_big"});
    mTabs = {firstTab.x - 60, 0, lastTab.x - firstTab.x + 120, 2 * firstTab.y};
    mNewTabs = SettledTabs("career tabs");
    mToday = In("career_menu", {"current_day"});
    mReset = In("career_menu", {"reset_button"});
    mToolArea = {mToday.x - 60, mToday.y - 16, mReset.x - mToday.x + 120, 32};
    mTools = Grab("career tools", mToolArea);
}

// Day 1 opens with its comic, then the briefing.
void ScreenWalkRun::DayOne()
{
    ASSERT_TRUE(Do([&] { ClickAt(mHwnd, PlayButton()); }, "career level 1 started"));
    ASSERT_TRUE(mGame->WaitForOutput("ScreenWalk: comic intro_cafe1 episode 0", 30000))
        << mGame->Output();
    Check("comic");
    ASSERT_TRUE(Click(In("comix_ui", {"comix_skip"}), "briefing shown: level 1"));
    Check("briefing");
    ASSERT_TRUE(Click(In("briefing_dialog", {"start"}), "briefing closed"));
    std::string day = Check("day 1");
    EXPECT_NE(day.find("strip 12/12"), std::string::npos) << day;
}

// The pause menu, its two questions, its help and its settings.
void ScreenWalkRun::PauseMenu()
{
    ASSERT_TRUE(Click(In("hud", {"menu_btn"}), "pause menu shown"));
    Check("pause menu");
    ASSERT_NO_FATAL_FAILURE(Box([&] { ClickAt(mHwnd, PauseButton("restart")); }, "restlvl", false));
    ASSERT_NO_FATAL_FAILURE(Box([&] { ClickAt(mHwnd, PauseButton("quit")); }, "exitmenu", false));
    ASSERT_TRUE(Click(PauseButton("help"), "help page 0", true));
    Check("help over the day");
    ASSERT_TRUE(Click(In("help", {"close"}), "help closed to the pause menu", true));
    ASSERT_TRUE(Click(PauseButton("settings"), "options shown"));
    Check("settings over the day");
    ASSERT_TRUE(Click(In("options", {"panel", "cancel"}), "options closed"));
    // Escape still closes the pause menu the settings were opened from.
    ASSERT_TRUE(Do([&] { PostKey(mHwnd, VK_ESCAPE); }, "pause menu closed"));
}

// The guest served: the goal, the day's end, the shop, the debriefing.
void ScreenWalkRun::DayOneEnds()
{
    ClickUntilOutput(*mGame, mHwnd, POINT{345, 380}, "Screens: hud: goal splash");
    ASSERT_TRUE(mGame->WaitForOutput("Screens: box 'upgrade' asked", 30000)) << mGame->Output();
    ASSERT_NO_FATAL_FAILURE(Box(nullptr, "upgrade", true));
    ASSERT_TRUE(mGame->WaitForOutput("Screens: upgrade shop shown", 10000)) << mGame->Output();
    Check("upgrade shop");
    // A tray takes clicks once the shop has come in.
    for (int tries = 0; tries < 50 && mGame->CountOutput(" chosen\n") == 0; tries++)
    {
        ClickAt(mHwnd, In("upgrade_menu", {"upgrade_tray1"}));
        GameProcess::WaitFor(200);
    }
    ASSERT_TRUE(mGame->WaitForOutput(" chosen\n", 1000)) << mGame->Output();
    Check("upgrade tried");
    ASSERT_TRUE(
        Click(In("upgrade_menu", {"upgrade_dialog", "upgrade"}), "debriefing shown: success"));
    ASSERT_TRUE(mGame->WaitForOutput("Screens: debriefing: award", 15000)) << mGame->Output();
    Check("debriefing");
}

// The next day, left through the pause menu; survival: its page, its first
// day, and back to the menu through the pause menu's question.
void ScreenWalkRun::NextDayAndSurvival()
{
    ASSERT_TRUE(Click(In("debriefing_dialog", {"start"}), "briefing shown: level 2"));
    Check("next day's briefing");
    ASSERT_TRUE(Click(In("briefing_dialog", {"start"}), "briefing closed"));
    ASSERT_NO_FATAL_FAILURE(LeaveDay());

    ASSERT_TRUE(Click(MenuButton("survival"), "survival page shown", true));
    Check("survival page");
    ASSERT_TRUE(Click(In("survival_menu", {"survival_dlg", "right_page", "play_button"}),
                      "briefing shown"));
    Check("survival briefing");
    ASSERT_TRUE(Click(In("briefing_dialog", {"start"}), "briefing closed"));
    Check("survival day");
    ASSERT_NO_FATAL_FAILURE(LeaveDay());
    ASSERT_NO_FATAL_FAILURE(
        Box([&] { PostMessageA(mHwnd, WM_CLOSE, 0, 0); }, "quit", false, kQuitWords));
}

// The book opened again: no tool on its first frames; the career kept when
// its question is declined, and its book still plays day 2 (it has no
// comic), left through the pause menu.
void ScreenWalkRun::BookOpenedAgain()
{
    ASSERT_NO_FATAL_FAILURE(TurnWithoutTools(MenuButton("career"), 3, "second opening"));
    ASSERT_NO_FATAL_FAILURE(Box([&] { ClickAt(mHwnd, mReset); }, "delcareer", false));
    ASSERT_TRUE(Click(PlayButton(), "briefing shown: level 2"));
    EXPECT_EQ(mGame->CountOutput("Screens: career reset"), 0u);
    ASSERT_TRUE(Click(In("briefing_dialog", {"start"}), "briefing closed"));
    ASSERT_NO_FATAL_FAILURE(LeaveDay());
}

// Started over from the first cafe; the book closed.
void ScreenWalkRun::StartedOverInFirstCafe()
{
    ASSERT_TRUE(Click(MenuButton("career"), "page turn ended on 3"));
    ASSERT_TRUE(Do([&] { StartOver(); }, "career reset"));
    ExpectTabs("started over in cafe 1", mNewTabs);
    ASSERT_NO_FATAL_FAILURE(TurnWithoutTools(
        In("career_menu", {"career_dlg", "left_page", "back_button"}), 1, "book closed"));
}

// Ben's book, in the third cafe: "Today", then started over.
void ScreenWalkRun::ThirdCafeStartedOver()
{
    ASSERT_TRUE(Click(In("main_menu", {"profile_open"}), "page turn ended on 1"));
    const POINT list = In("main_menu", {"select_profile", "left_page", "list"});
    ClickAt(mHwnd, POINT{list.x, list.y - 87}); // the second row
    ASSERT_TRUE(
        Click(In("main_menu", {"select_profile", "left_page", "select"}), "page turn ended on 1"));
    ASSERT_NO_FATAL_FAILURE(TurnWithoutTools(MenuButton("career"), 3, "third cafe's book"));
    EXPECT_EQ(mGame->CountOutput("Screens: career book shown: cafe 3 day 5"), 1u);
    const std::vector<uint32_t> thirdCafeTabs = SettledTabs("third cafe's tabs");
    ASSERT_TRUE(Click(mToday, "career today: cafe 3 day 5"));
    ExpectTabs("today in cafe 3", thirdCafeTabs);
    ASSERT_TRUE(Do([&] { StartOver(); }, "career reset"));
    ExpectTabs("started over in cafe 3", mNewTabs);
}

// Day 1's comic comes in over the new day's cafe without a HUD yet (day 2
// was the last one played); the quit question over it.
void ScreenWalkRun::DayOneComesInAgain()
{
    FadeIn fade;
    ASSERT_NO_FATAL_FAILURE(PlayIntoComic(fade));
    EXPECT_GT(fade.frames, 0);
    EXPECT_EQ(fade.hudFrames, 0);
    Check("comic again");
    // Over a comic the game checks no picture while a box stands (ScreenWalk.cpp).
    ASSERT_NO_FATAL_FAILURE(
        Box([&] { PostMessageA(mHwnd, WM_CLOSE, 0, 0); }, "quit", false, kQuitWords, false));
    ASSERT_TRUE(Click(In("comix_ui", {"comix_skip"}), "briefing shown: level 1"));
    ASSERT_TRUE(Click(In("briefing_dialog", {"start"}), "briefing closed"));
    Check("day 1 again");
}

// Day 1 left to its end unserved: its result box ("Closing time!") left by
// "Menu". The book keeps day 1, whose comic then comes in over the new day
// alone: the result box went with the day it told of, though it was still
// fading out when the board went.
void ScreenWalkRun::DayLostAndLeftForTheMenu()
{
    ASSERT_TRUE(mGame->WaitForOutput("Screens: debriefing shown: fail", 30000)) << mGame->Output();
    Check("result box of a lost day");
    ASSERT_TRUE(Click(In("debriefing_dialog_fail", {"menu"}), "debriefing: back to the main menu"));
    ASSERT_TRUE(Click(MenuButton("career"), "page turn ended on 3"));
    FadeIn fade;
    ASSERT_NO_FATAL_FAILURE(PlayIntoComic(fade));
    EXPECT_GT(fade.frames, 0);
    EXPECT_EQ(fade.resultFrames, 0) << "frames of the comic's fade-in with a result box on view";
    ASSERT_TRUE(Click(In("comix_ui", {"comix_skip"}), "briefing shown: level 1"));
    ASSERT_TRUE(Click(In("briefing_dialog", {"start"}), "briefing closed"));
}

// The quit question in a day, answered yes: the game ends without a system box.
void ScreenWalkRun::QuitInTheDay()
{
    ASSERT_NO_FATAL_FAILURE(
        Box([&] { PostMessageA(mHwnd, WM_CLOSE, 0, 0); }, "quit", true, kQuitWords));
    EXPECT_TRUE(mGame->WaitForExit(20000)) << mGame->Output();
    EXPECT_FALSE(mGame->mSawSystemBox);
}

// What the game told of every frame, and the checks it made on its own
// between the stops.
void ScreenWalkRun::EveryFrameReports()
{
    // Every frame showed the HUD's figures of the day it was presented in.
    std::string output = mGame->Output();
    size_t wrong = output.find("ScreenWalk: hud shows ");
    EXPECT_EQ(wrong, std::string::npos) << output.substr(wrong, output.find('\n', wrong) - wrong);

    int checks = 0;
    for (size_t at = output.find("ScreenWalk: check "); at != std::string::npos;
         at = output.find("ScreenWalk: check ", at + 1))
    {
        checks++;
        std::string line = output.substr(at, output.find('\n', at) - at);
        size_t screen = output.rfind("Screens: ", at);
        EXPECT_NE(line.find(" same"), std::string::npos)
            << line << "\n  after "
            << (screen == std::string::npos
                    ? ""
                    : output.substr(screen, output.find('\n', screen) - screen));
    }
    EXPECT_GT(checks, 25) << "checks made";
}

void ScreenWalkRun::LeaveDay()
{
    ASSERT_TRUE(Do([&] { PostKey(mHwnd, VK_ESCAPE); }, "pause menu shown"));
    ASSERT_TRUE(Do([&] { Box([&] { ClickAt(mHwnd, PauseButton("quit")); }, "exitmenu", true); },
                   "level left for the main menu"));
}

void ScreenWalkRun::StartOver()
{
    Box([&] { ClickAt(mHwnd, mReset); }, "delcareer", true);
}

void ScreenWalkRun::PlayIntoComic(FadeIn& fade)
{
    const std::string fadeIn = "ScreenWalk: comic fade-in ";
    const size_t fades = mGame->CountOutput(fadeIn);
    ASSERT_TRUE(Do([&] { ClickAt(mHwnd, PlayButton()); }, "career level 1 started"));
    for (int waited = 0; mGame->CountOutput(fadeIn) == fades && waited < 30000; waited += 20)
        GameProcess::WaitFor(20);
    std::string output = mGame->Output();
    ASSERT_GT(mGame->CountOutput(fadeIn), fades) << output;
    sscanf(output.c_str() + output.rfind(fadeIn),
           "ScreenWalk: comic fade-in %d frames, hud on view in %d, result box in %d", &fade.frames,
           &fade.hudFrames, &fade.resultFrames);
}
} // namespace

TEST_F(ScreenWalkRun, EveryScreenReachesTheScreenAsItIsDrawnWholeOnBothRoads)
{
    for (int road : {0, 1})
    {
        SCOPED_TRACE(road ? "the Direct3D road" : "the DirectDraw road");
        Walk(road);
        if (HasFailure())
            return;
    }
}
