// Registry settings, mute counting, the queue rules, window placement, the
// display result handling, the command line and the desktop services.
#include "tests/framework/app/AppTestApp.h"

#include "framework/app/Buffer.h"
#include "framework/app/PakInterface.h"
#include "framework/app/MusicInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/Dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace AppTest;
using Lumo::LumoAppBase;

namespace
{

// A registry key of the test's own, removed before and after.
class RegistryKeyFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char key[64];
        snprintf(key, sizeof(key), "LumoTests\\App%lu", GetCurrentProcessId());
        mKey = key;
        Remove();
    }
    void TearDown() override
    {
        Remove();
        RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\LumoTests");
    }
    void Remove()
    {
        std::string path = "SOFTWARE\\" + mKey;
        RegDeleteKeyA(HKEY_CURRENT_USER, (path + "\\Test3D\\Deep").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, (path + "\\Test3D").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    }
    std::string mKey;
};

class RecordingMusic : public Lumo::MusicInterface
{
public:
    void SetVolume(double volume) override { volumes.push_back(volume); }
    std::vector<double> volumes;
};

} // namespace

// ---------------------------------------------------------------- registry

TEST_F(RegistryKeyFixture, IntegersBoolsAndTypesReadBackExactly)
{
    TestApp app;
    app.mRegKey = mKey;
    EXPECT_TRUE(app.WriteRegistryInt("Number", -7));
    EXPECT_TRUE(app.WriteRegistryBool("Flag", true));
    EXPECT_TRUE(app.WriteRegistryString("Muted", "1"));
    int number = 0;
    bool flag = false;
    EXPECT_TRUE(app.ReadRegistryInt("Number", &number));
    EXPECT_EQ(number, -7);
    EXPECT_TRUE(app.ReadRegistryBool("Flag", &flag));
    EXPECT_TRUE(flag);
    // A string where a number belongs is ignored and leaves the value alone.
    number = 42;
    EXPECT_FALSE(app.ReadRegistryInt("Muted", &number));
    EXPECT_EQ(number, 42);
    EXPECT_FALSE(app.ReadRegistryInt("Missing", &number));
    EXPECT_EQ(number, 42);
}

TEST_F(RegistryKeyFixture, ValueNamesCarrySubkeysAndTrailingSlashIsDropped)
{
    TestApp app;
    app.mRegKey = mKey + "\\";
    EXPECT_TRUE(app.WriteRegistryInt("Test3D\\Deep\\Value", 5));
    app.mRegKey = mKey;
    int value = 0;
    EXPECT_TRUE(app.ReadRegistryInt("Test3D\\Deep\\Value", &value));
    EXPECT_EQ(value, 5);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ("SOFTWARE\\" + mKey + "\\Test3D\\Deep").c_str(), 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    app.DeleteRegistryValue(L"Test3D\\Deep\\Value");
    EXPECT_FALSE(app.ReadRegistryInt("Test3D\\Deep\\Value", &value));
}

TEST_F(RegistryKeyFixture, EmptyKeyReadsAndWritesNothing)
{
    TestApp app;
    app.mRegKey.clear();
    EXPECT_FALSE(app.WriteRegistryInt("MusicVolume", 10));
    int value = 3;
    EXPECT_FALSE(app.ReadRegistryInt("MusicVolume", &value));
    app.LoadSettings();
    EXPECT_EQ(app.mMusicVolume, 0.85);
    EXPECT_EQ(app.mSfxVolume, 0.85);
    EXPECT_EQ(app.mPreferredX, -1);
    EXPECT_EQ(app.mPreferredY, -1);
    EXPECT_FALSE(app.mCustomCursors);
    EXPECT_FALSE(app.mWaitForVSync);
}

TEST_F(RegistryKeyFixture, WriteThatCannotBeSetReportsFailure)
{
    TestApp app;
    app.mRegKey = mKey;
    // A value name beyond the registry's limit cannot be set.
    std::string longName(20000, 'x');
    EXPECT_FALSE(app.WriteRegistryInt(longName, 1));
    // No data for a non-empty value cannot be set either.
    EXPECT_FALSE(app.WriteRegistryValue("Broken", REG_BINARY, nullptr, 16));
}

TEST_F(RegistryKeyFixture, EveryVolumeSurvivesSaveAndLoad)
{
    for (int percent = 0; percent <= 100; percent++)
    {
        TestApp app;
        app.mRegKey = mKey;
        app.mMusicVolume = percent / 100.0;
        app.mSfxVolume = percent / 100.0;
        app.SaveSettings();
        // Run after run: load, save again, load again.
        for (int run = 0; run < 3; run++)
        {
            TestApp next;
            next.mRegKey = mKey;
            next.LoadSettings();
            next.SaveSettings();
        }
        int stored = -1;
        ASSERT_TRUE(app.ReadRegistryInt("MusicVolume", &stored));
        EXPECT_EQ(stored, percent);
        ASSERT_TRUE(app.ReadRegistryInt("SfxVolume", &stored));
        EXPECT_EQ(stored, percent);
    }
    EXPECT_EQ(Lumo::VolumeToRegistry(0.999), 99);
    EXPECT_EQ(Lumo::VolumeToRegistry(0.85), 85);
}

TEST_F(RegistryKeyFixture, InProgressMarksAnUnfinishedRun)
{
    {
        TestApp app;
        app.mRegKey = mKey;
        app.LoadSettings();
        EXPECT_TRUE(app.mPrevRunEndedProperly);
        int value = 0;
        ASSERT_TRUE(app.ReadRegistryInt("InProgress", &value));
        EXPECT_EQ(value, 1);
        // The run "crashes": no SaveSettings.
        app.mSaveSettingsAtShutdown = false;
    }
    {
        TestApp app;
        app.mRegKey = mKey;
        app.LoadSettings();
        EXPECT_FALSE(app.mPrevRunEndedProperly);
        app.mPreferredX = 30;
        app.mPreferredY = 40;
        app.mCustomCursors = true;
        app.mWaitForVSync = true;
        app.Mute(false);
        app.Mute(true);
        app.SaveSettings();
        app.mSaveSettingsAtShutdown = false;
        int value = -1;
        ASSERT_TRUE(app.ReadRegistryInt("InProgress", &value));
        EXPECT_EQ(value, 0);
        ASSERT_TRUE(app.ReadRegistryInt("Muted", &value));
        EXPECT_EQ(value, 1);
        ASSERT_TRUE(app.ReadRegistryInt("ScreenMode", &value));
        EXPECT_EQ(value, 0);
    }
    {
        TestApp app;
        app.mRegKey = mKey;
        app.LoadSettings();
        app.mSaveSettingsAtShutdown = false;
        EXPECT_TRUE(app.mPrevRunEndedProperly);
        EXPECT_EQ(app.mPreferredX, 30);
        EXPECT_EQ(app.mPreferredY, 40);
        EXPECT_TRUE(app.mCustomCursors);
        EXPECT_TRUE(app.mWaitForVSync);
        EXPECT_EQ(app.mMuteCount, 1);
    }
}

TEST_F(RegistryKeyFixture, SettingsOutOfRangeAreHeldToIt)
{
    const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    TestApp app;
    app.mRegKey = mKey;
    const std::pair<const char*, int> stored[] = {{"MusicVolume", 1000},
                                                  {"SfxVolume", -5},
                                                  {"Muted", 1000},
                                                  {"PreferredX", 99999},
                                                  {"PreferredY", -99999}};
    for (const auto& value : stored)
        ASSERT_TRUE(app.WriteRegistryInt(value.first, value.second));
    app.LoadSettings();
    app.mSaveSettingsAtShutdown = false;
    EXPECT_EQ(app.mMusicVolume, 1.0);
    EXPECT_EQ(app.mSfxVolume, 0.0);
    EXPECT_EQ(app.mPreferredX, right - 1);
    EXPECT_EQ(app.mPreferredY, top);
    // One unmute gives the sound back.
    EXPECT_TRUE(app.IsMuted());
    app.Unmute(false);
    EXPECT_FALSE(app.IsMuted());
}

TEST_F(RegistryKeyFixture, ScreenSaverRunLeavesInProgressAlone)
{
    TestApp app;
    app.mRegKey = mKey;
    app.mScreenSaver = true;
    app.LoadSettings();
    app.mSaveSettingsAtShutdown = false;
    int value = 0;
    EXPECT_FALSE(app.ReadRegistryInt("InProgress", &value));
}

// ---------------------------------------------------------------- volumes

TEST(AppVolumes, MuteCountsAndSilencesMusic)
{
    TestApp app;
    RecordingMusic* music = new RecordingMusic();
    app.mMusicInterface = music;
    app.SetMusicVolume(0.5);
    app.Mute(true);
    app.Mute(false);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_EQ(app.mMuteCount, 2);
    EXPECT_EQ(app.mAutoMuteCount, 1);
    app.Unmute(true);
    EXPECT_TRUE(app.IsMuted());
    app.Unmute(false);
    EXPECT_FALSE(app.IsMuted());
    app.Unmute(true); // never below zero
    EXPECT_EQ(app.mMuteCount, 0);
    EXPECT_EQ(app.mAutoMuteCount, 0);
    std::vector<double> expected = {0.5, 0.0, 0.0, 0.0, 0.5, 0.5};
    EXPECT_EQ(music->volumes, expected);
    EXPECT_EQ(app.GetMusicVolume(), 0.5);
}

TEST(AppVolumes, SoundToggleRestoresTheSavedVolumes)
{
    TestApp app;
    app.mMusicVolume = 0.6;
    app.mSfxVolume = 0.3;
    app.ToggleSound();
    EXPECT_EQ(app.mMusicVolume, 0.0);
    EXPECT_EQ(app.mSfxVolume, 0.0);
    app.ToggleSound();
    EXPECT_EQ(app.mMusicVolume, 0.6);
    EXPECT_EQ(app.mSfxVolume, 0.3);
}

// ---------------------------------------------------------------- input queue

TEST(AppQueue, TimerAndDisplayChangeRecordsAreNotDoubled)
{
    TestApp app;
    EXPECT_TRUE(app.QueueMessage(nullptr, WM_TIMER, 100, 0));
    EXPECT_FALSE(app.QueueMessage(nullptr, WM_TIMER, 100, 0));
    EXPECT_TRUE(app.QueueMessage(nullptr, WM_SYSCOLORCHANGE, 0, 0));
    EXPECT_TRUE(app.QueueMessage(nullptr, WM_TIMER, 100, 0));
    EXPECT_FALSE(app.QueueMessage(nullptr, WM_DISPLAYCHANGE, 0, 0));
    EXPECT_EQ(app.mMessageQueue.size(), 3u);
}

TEST(AppQueue, NothingIsQueuedBehindAClose)
{
    TestApp app;
    EXPECT_TRUE(app.QueueMessage(nullptr, WM_CLOSE, 0, 0));
    EXPECT_FALSE(app.QueueMessage(nullptr, WM_MOUSEMOVE, 0, 0));
    EXPECT_FALSE(app.QueueMessage(nullptr, WM_KEYDOWN, 'A', 0));
    EXPECT_EQ(app.mMessageQueue.size(), 1u);
}

TEST(AppQueue, RecordsAreHandledOneAtATimeInOrder)
{
    TestApp app;
    app.QueueMessage(nullptr, WM_KEYUP, 'A', 0);
    app.QueueMessage(nullptr, WM_KEYUP, 'B', 0);
    EXPECT_TRUE(app.ProcessQueuedMessages(true));
    ASSERT_EQ(app.keysUp.size(), 1u);
    EXPECT_FALSE(app.ProcessQueuedMessages(true));
    ASSERT_EQ(app.keysUp.size(), 2u);
    EXPECT_EQ(app.keysUp[0], 'A');
    EXPECT_EQ(app.keysUp[1], 'B');
}

TEST(AppQueue, EndSessionShutsDownOnlyWhenTheSessionEnds)
{
    TestApp app;
    app.WindowProc(nullptr, WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(app.mShutdown);
    app.WindowProc(nullptr, WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(app.mShutdown);
}

TEST(AppQueue, SpecialKeys)
{
    TestApp app;
    EXPECT_TRUE(app.IsSpecialKey(13));
    EXPECT_TRUE(app.IsSpecialKey('r'));
    EXPECT_TRUE(app.IsSpecialKey('R'));
    EXPECT_FALSE(app.IsSpecialKey('s'));
}

// ---------------------------------------------------------------- window and display

TEST(AppWindow, PreferredPlaceIsPulledIntoTheWorkArea)
{
    RECT work = {0, 0, 1280, 1000};
    int x, y;
    Lumo::PlaceWindow(-50, -20, 1030, 797, work, &x, &y);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 4);
    Lumo::PlaceWindow(900, 700, 1030, 797, work, &x, &y);
    EXPECT_EQ(x, 1280 - 4 - 1030);
    EXPECT_EQ(y, 1000 - 4 - 797);
    Lumo::PlaceWindow(100, 50, 1030, 797, work, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
}

TEST(AppWindow, NoPreferredPlaceCentresWithGoldenSectionAbove)
{
    RECT work = {0, 0, 1280, 1000};
    int x, y;
    Lumo::PlaceWindow(-1, -1, 1030, 797, work, &x, &y);
    EXPECT_EQ(x, (1280 - 1030) / 2);
    EXPECT_EQ(y, (int)((1000 - 797) * 0.382));
}

TEST(AppWindow, DisplayResultsChooseTheFallback)
{
    using namespace Lumo;
    EXPECT_EQ(DecideDisplayAction(0, true, false, false, false), DISPLAY_READY);
    // Full screen refused: windowed, unless windowed is impossible too; asked
    // for again after a fallback, it falls back again.
    EXPECT_EQ(DecideDisplayAction(4, false, false, false, false), DISPLAY_WINDOWED_INSTEAD);
    EXPECT_EQ(DecideDisplayAction(5, false, false, false, true), DISPLAY_WINDOWED_INSTEAD);
    EXPECT_EQ(DecideDisplayAction(4, false, true, false, false), DISPLAY_FATAL);
    EXPECT_EQ(DecideDisplayAction(5, false, true, false, false), DISPLAY_FATAL);
    EXPECT_EQ(DecideDisplayAction(4, false, false, true, false), DISPLAY_WINDOWED_INSTEAD);
    EXPECT_EQ(DecideDisplayAction(5, false, false, true, true), DISPLAY_WINDOWED_INSTEAD);
    // Windowed at a bad depth: full screen, or the colour-depth box after a failed one.
    EXPECT_EQ(DecideDisplayAction(6, true, false, false, false), DISPLAY_FULLSCREEN_INSTEAD);
    EXPECT_EQ(DecideDisplayAction(6, true, false, true, false), DISPLAY_FATAL_COLOR_DEPTH);
    // 3D failures end in 2D; other failures in 2D are fatal.
    EXPECT_EQ(DecideDisplayAction(7, false, false, false, true), DISPLAY_RETRY_2D);
    EXPECT_EQ(DecideDisplayAction(3, true, false, false, true), DISPLAY_RETRY_2D);
    EXPECT_EQ(DecideDisplayAction(3, true, false, false, false), DISPLAY_FATAL);
    EXPECT_EQ(DecideDisplayAction(2, false, false, false, false), DISPLAY_FATAL);
}

TEST(AppWindow, ForcedFullScreenKeepsFullScreenWhateverIsAsked)
{
    TestApp app;
    app.mForceFullscreen = true;
    app.mIsWindowed = false;
    // Same mode and no force: only the 3D mode is applied, no new window.
    app.SwitchScreenMode(true, false, false);
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_EQ(app.mHWnd, nullptr);
}

TEST(AppWindow, ClickPostedToTheOldWindowSurvivesANewWindow)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Lumo::LumoAppBase::AppWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MainWindow";
    RegisterClassA(&wc);
    TestApp app;
    app.mIsWindowed = true;
    app.mWidth = 320;
    app.mHeight = 240;
    app.MakeWindow();
    HWND old = app.mHWnd;
    ASSERT_NE(old, nullptr);
    app.mMessageQueue.clear();
    PostMessageA(old, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    PostMessageA(old, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    app.MakeWindow();
    EXPECT_NE(app.mHWnd, old);
    std::vector<UINT> clicks;
    for (const Lumo::QueuedMessage& queued : app.mMessageQueue)
        if (queued.message == WM_LBUTTONDOWN || queued.message == WM_LBUTTONUP)
        {
            clicks.push_back(queued.message);
            EXPECT_EQ(queued.lParam, MAKELPARAM(10, 20));
        }
    EXPECT_EQ(clicks, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    DestroyWindow(app.mHWnd);
    app.mHWnd = nullptr;
}

// ---------------------------------------------------------------- command line

TEST(AppCommandLine, SplitsAfterTheProgramName)
{
    std::string args;
    EXPECT_FALSE(Lumo::SplitCommandLine("game.exe", args));
    EXPECT_TRUE(Lumo::SplitCommandLine("game.exe -play x", args));
    EXPECT_EQ(args, "-play x");
    EXPECT_TRUE(Lumo::SplitCommandLine("\"C:\\My Games\\game.exe\" -a \"b c\"", args));
    EXPECT_EQ(args, "-a \"b c\"");
    EXPECT_FALSE(Lumo::SplitCommandLine("\"C:\\My Games\\game.exe", args));
    EXPECT_FALSE(Lumo::SplitCommandLine("\"C:\\My Games\\game.exe\"", args));
    EXPECT_TRUE(Lumo::SplitCommandLine("\"game.exe\"x y", args));
    EXPECT_EQ(args, "y");
}

// Read wide, the arguments reach the options as narrow text that splits alike; one the code page
// cannot hold is the short name of what it names, or marked with "?" and kept as typed.
TEST(AppCommandLine, ArgumentsTheCodePageCannotHoldGetANameThatReachesThem)
{
    // A folder that is there, by its short name; nothing else has one.
    Lumo::ShortPathQuery shortPath = [](const std::wstring& path)
    {
        return std::wstring(path == L"C:\\G\u00e4mes\\\u0141ukasz" ? L"C:\\G\u00e4mes\\LUKASZ~1"
                                                                   : L"");
    };
    const std::wstring folder = L"C:\\Data\\";
    const struct
    {
        std::wstring arguments;
        std::string narrow;
        std::vector<Lumo::CommandLineArgument> converted;
    } cases[] = {
        {L"-record\t-demofile  \"C:\\My Demos\\caf\u00e9.dmo\" -x",
         "-record\t-demofile  \"C:\\My Demos\\caf\xE9.dmo\" -x",
         {}},
        {L"-play -demofile \"C:\\G\u00e4mes\\\u0141ukasz\\new\\run.dmo\"",
         "-play -demofile \"C:\\G\xE4mes\\LUKASZ~1\\new\\run.dmo\"",
         {{"C:\\G\xE4mes\\LUKASZ~1\\new\\run.dmo", L"C:\\G\u00e4mes\\\u0141ukasz\\new\\run.dmo",
           true}}},
        // Relative: in the folder the handler puts it in.
        {L"-demofile \u0141\"a b\".dmo -record",
         "-demofile \"C:\\Data\\?a b.dmo\" -record",
         {{"C:\\Data\\?a b.dmo", L"C:\\Data\\\u0141a b.dmo", false}}},
        // An option name stays one, whatever a file of its name.
        {L"-\u0141 -changedir \u03a9",
         "\"-?\" -changedir \"?\"",
         {{"-?", L"-\u0141", false}, {"?", L"\u03a9", false}}},
    };
    for (const auto& c : cases)
    {
        std::vector<Lumo::CommandLineArgument> converted;
        const std::string narrow =
            Lumo::NarrowCommandArguments(c.arguments, folder, &converted, shortPath);
        EXPECT_EQ(narrow, c.narrow);
        ASSERT_EQ(converted.size(), c.converted.size()) << narrow;
        for (size_t i = 0; i < converted.size(); i++)
        {
            EXPECT_EQ(converted[i].narrow, c.converted[i].narrow);
            EXPECT_TRUE(converted[i].typed == c.converted[i].typed) << converted[i].narrow;
            EXPECT_EQ(converted[i].reached, c.converted[i].reached) << converted[i].narrow;
        }
    }
    // The text splits into as many options as the wide one.
    EXPECT_EQ(Lumo::SplitCommandLineOptions("\"-?\" -changedir \"?\"").size(), 2u);
}

TEST(AppCommandLine, OptionsSetTheirMembers)
{
    TestApp app;
    app.HandleCommandLineOption("-screensaver", "");
    EXPECT_TRUE(app.mScreenSaver);
    app.HandleCommandLineOption("-changedir", "C:\\data");
    EXPECT_EQ(app.mChangeDirPath, "C:\\data");
    app.HandleCommandLineOption("-demofile", "C:\\a.dmo");
    EXPECT_EQ(app.mDemoFileName, "C:\\a.dmo");
    app.HandleCommandLineOption("-record", "");
    EXPECT_TRUE(app.mRecordingDemo);
    app.HandleCommandLineOption("-play", "");
    EXPECT_TRUE(app.mPlayingDemo);
    EXPECT_FALSE(app.mRecordingDemo);
}

// ---------------------------------------------------------------- dialogs

TEST(AppDialogs, AddingTheSameDialogAgainKeepsIt)
{
    TestApp app;
    Lumo::Dialog* dialog = app.MakeDialog(5, false, L"Head", L"Lines", L"Foot", 0);
    app.AddDialog(5, dialog);
    app.AddDialog(5, dialog);
    EXPECT_EQ(app.GetDialog(5), dialog);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(app.mDeferredDeletes.size(), 0u);
    EXPECT_EQ(app.mDialogList.size(), 1u);
}

TEST(AppDialogs, DoDialogTwiceLeavesOneAndDefersTheFirst)
{
    TestApp app;
    Lumo::Dialog* first = app.DoDialog(7, false, L"A", L"B", L"C", 0);
    Lumo::Dialog* second = app.DoDialog(7, false, L"A", L"B", L"C", 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(app.GetDialogCount(), 1);
    ASSERT_EQ(app.mDeferredDeletes.size(), 1u);
    EXPECT_EQ(app.mDeferredDeletes.front().object, (Lumo::Widget*)first);
    EXPECT_FALSE(app.RemoveDialog(8, true, true));
    EXPECT_TRUE(app.KillDialog(7));
    EXPECT_EQ(app.GetDialogCount(), 0);
}

TEST(AppDialogs, ZeroWidthDialogIsPlaced)
{
    TestApp app;
    app.mWidth = 800;
    app.mHeight = 600;
    Lumo::Dialog* dialog = app.MakeDialog(3, false, L"H", L"L", L"F", 0);
    app.AddDialog(3, dialog);
    EXPECT_EQ(dialog->mWidth, 400);
    EXPECT_EQ(dialog->mX, 200);
    EXPECT_EQ(dialog->mY, 120);
}

TEST(AppDialogs, DialogButtonsBecomeApplicationButtons)
{
    struct ButtonApp : TestApp
    {
        std::vector<int> pressed, clicked;
        void OnPressed(int id) override { pressed.push_back(id); }
        void OnClicked(int id) override { clicked.push_back(id); }
    } app;
    app.OnDialogButtonPressed(5, 1000);
    app.OnDialogButtonPressed(5, 1001);
    app.OnDialogButtonPressed(5, 1002);
    app.OnDialogButtonClicked(5, 1000);
    EXPECT_EQ(app.pressed, (std::vector<int>{2005, 3005}));
    EXPECT_EQ(app.clicked, (std::vector<int>{2005}));
}

// ---------------------------------------------------------------- desktop services

TEST(AppServices, CrashTextShowsTheTimeLoaded)
{
    TestApp app;
    app.mProductName = "Zorka Cafe";
    app.mProductVersion = "1.0";
    app.mIsPhysWindowed = true;
    app.mPrimaryThreadId = 0xAB;
    app.mConstructTime = GetTickCount() - 3725000 - 500;
    EXPECT_EQ(app.GetCrashInfoText(), "Product: Zorka Cafe\r\nVersion: 1.0\r\nTime Loaded: "
                                      "01:02:05\r\nFullscreen: No\r\nPrimary ThreadId: AB\r\n");
}

namespace
{
struct FakeFile
{
    long size;
    long pos;
    size_t readLimit; // bytes a read delivers at most
};
FakeFile gFake;
void* FakeOpen(const char* name)
{
    return std::string(name) == "missing" ? nullptr : &gFake;
}
int FakeSeek(void* f, long offset, int origin)
{
    FakeFile* file = (FakeFile*)f;
    file->pos = origin == SEEK_END ? file->size + offset : offset;
    return 0;
}
long FakeTell(void* f)
{
    return ((FakeFile*)f)->pos;
}
size_t FakeRead(void* dest, size_t count, void* f)
{
    size_t n = std::min(count, ((FakeFile*)f)->readLimit);
    memset(dest, 'x', n);
    return n;
}
void FakeClose(void*) {}
} // namespace

TEST(AppServices, WholeFileReadFailsOnAShortRead)
{
    FileReadOps ops = {FakeOpen, FakeSeek, FakeTell, FakeRead, FakeClose};
    std::string bytes = "kept";
    gFake = {100, 0, 60};
    EXPECT_FALSE(ReadWholeFileWith(ops, "short", bytes));
    EXPECT_EQ(bytes, "kept");
    EXPECT_FALSE(ReadWholeFileWith(ops, "missing", bytes));
    gFake = {0x7FFFFFFF, 0, 1000}; // more than the process can hold
    EXPECT_FALSE(ReadWholeFileWith(ops, "huge", bytes));
    EXPECT_EQ(bytes, "kept");
    gFake = {100, 0, 1000};
    EXPECT_TRUE(ReadWholeFileWith(ops, "whole", bytes));
    EXPECT_EQ(bytes, std::string(100, 'x'));
}

TEST(AppServices, ReadFileToBufferReadsEmptyFilesAndKeepsTheBufferOnFailure)
{
    TestApp app;
    char path[MAX_PATH];
    snprintf(path, sizeof(path), "app_empty_%lu.bin", GetCurrentProcessId());
    FILE* file = fopen(path, "wb");
    ASSERT_NE(file, nullptr);
    fclose(file);
    Lumo::Buffer buffer;
    buffer.WriteByte(7);
    EXPECT_TRUE(app.ReadFileToBuffer(path, &buffer));
    EXPECT_EQ(buffer.GetDataLen(), 0);
    remove(path);

    Lumo::Buffer kept;
    kept.WriteByte(9);
    EXPECT_FALSE(app.ReadFileToBuffer("no_such_file_anywhere.bin", &kept));
    EXPECT_EQ(kept.GetDataLen(), 1);
}

TEST(AppServices, SharedImagesShareOneEntryAcrossLetterCase)
{
    TestApp app;
    bool isNew = false;
    Lumo::ImageHandle first = app.GetSharedImage("no_such_image.png", "", &isNew);
    EXPECT_TRUE(isNew);
    Lumo::ImageHandle second = app.GetSharedImage("NO_SUCH_image.PNG", "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(first.mEntry, second.mEntry);
    EXPECT_EQ(first.mEntry->mRefCount, 2);
    EXPECT_EQ(first.GetImage(), nullptr); // the file does not exist
    EXPECT_EQ(app.mSharedImages.size(), 1u);
}

TEST(AppServices, SharedImageStillLoadingIsWaitedFor)
{
    TestApp app;
    // Another thread has inserted the entry and is still making its image.
    Lumo::SharedImageKey key("PIC.PNG", "");
    app.mSharedImages[key];
    app.mSharedImagesLoading.insert(key);

    std::atomic<bool> asking(false);
    Lumo::Image* seen = nullptr;
    std::thread reader(
        [&]
        {
            asking = true;
            Lumo::ImageHandle handle = app.GetSharedImage("pic.png", "", nullptr);
            seen = handle.GetImage();
        });
    for (int i = 0; i < 100000 && !asking; i++)
        std::this_thread::yield();

    Lumo::Image* image = new Lumo::Image();
    app.CompleteSharedImage(key, image);
    reader.join();
    EXPECT_EQ(seen, image);
}

TEST(AppServices, SharedImageCountsHoldWhileTwoThreadsTakeHandlesDuringPurges)
{
    TestApp app;
    Lumo::ImageHandle kept = app.GetSharedImage("!kept", "", nullptr);
    Lumo::Image* image = kept.GetImage();
    ASSERT_NE(image, nullptr);

    // Each thread takes, copies and drops handles on the kept entry, and now
    // and then makes an entry of its own that it drops at once, while this
    // thread purges whatever lost its last holder.
    std::atomic<int> running(2);
    auto work = [&](const std::string& own)
    {
        for (int i = 0; i < 20000; i++)
        {
            Lumo::ImageHandle taken = app.GetSharedImage("!kept", "", nullptr);
            for (int k = 0; k < 16; k++)
            {
                Lumo::ImageHandle copy(taken);
                copy = kept;
            }
            if (i % 64 == 0)
                Lumo::ImageHandle passing = app.GetSharedImage(own, "", nullptr);
        }
        running--;
    };
    std::thread first(work, "!first"), second(work, "!second");
    while (running > 0)
        app.PurgeUnusedSharedImages();
    first.join();
    second.join();

    EXPECT_EQ(kept.mEntry->mRefCount, 1);
    EXPECT_EQ(kept.GetImage(), image);
    app.PurgeUnusedSharedImages();
    EXPECT_EQ(app.mSharedImages.size(), 1u); // the passing entries went
    kept.Release();
    app.PurgeUnusedSharedImages();
    EXPECT_TRUE(app.mSharedImages.empty());
}

TEST(AppServices, ClipboardTextRoundTrips)
{
    TestApp app;
    app.CopyToClipboard("Zorka 1024;768");
    EXPECT_EQ(app.GetClipboardText(), "Zorka 1024;768");
    app.mPlayingDemo = true; // a played demo neither reads nor writes the clipboard
    app.CopyToClipboard("other");
    EXPECT_EQ(app.GetClipboardText(), "");
    app.mPlayingDemo = false;
    EXPECT_EQ(app.GetClipboardText(), "Zorka 1024;768");
}

TEST(AppServices, ScreenSaverModeWritesBoxesToTheErrorFile)
{
    TestApp app;
    app.mScreenSaver = true;
    remove("ScrError.txt");
    EXPECT_EQ(app.MsgBox("first", "title", MB_OK), 1);
    EXPECT_EQ(app.MsgBoxW(L"second", L"title", MB_OK), 1);
    app.Popup("third");
    FILE* file = fopen("ScrError.txt", "r");
    ASSERT_NE(file, nullptr);
    char line[128];
    std::vector<std::string> lines;
    while (fgets(line, sizeof(line), file))
        lines.push_back(line);
    fclose(file);
    remove("ScrError.txt");
    // The first call of the run starts the file afresh.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3].substr(0, 6), "first ");
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 7), "second ");
    EXPECT_EQ(lines[lines.size() - 1].substr(0, 6), "third ");
}

TEST(AppServices, ImageFilesLoadIntoDisplayImages)
{
    TestApp app;
    app.mDDInterface = new Lumo::DDInterface(&app);
    char path[64];
    snprintf(path, sizeof(path), "app_image_%lu.png", GetCurrentProcessId());
    {
        Lumo::MemoryImage source(&app);
        const uint32_t pixels[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                    0x80FFFFFF, 0xFF000000, 0xFF123456};
        source.SetPixels(pixels, 3, 2, true);
        ASSERT_TRUE(ImageLib::WritePNGImage(path, &source));
    }
    Lumo::DDImage* image = app.GetImage(path, false);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mWidth, 3);
    EXPECT_EQ(image->mHeight, 2);
    EXPECT_EQ(image->mFileName, path);
    EXPECT_EQ(app.mMemoryImages.count(image), 1u);
    delete image;
    EXPECT_EQ(app.mMemoryImages.size(), 0u);
    remove(path);

    EXPECT_EQ(app.GetImage("no_such_picture.png", false), nullptr);

    // A name starting with '!' makes an empty image without reading a file.
    bool isNew = false;
    Lumo::ImageHandle blank = app.GetSharedImage("!scratch", "", &isNew);
    EXPECT_TRUE(isNew);
    ASSERT_NE(blank.GetImage(), nullptr);
    EXPECT_EQ(blank.GetImage()->mWidth, 0);
}

TEST(AppServices, CursorImagesAreKeptOnlyForKnownNumbers)
{
    TestApp app;
    Lumo::Image image;
    app.SetCursorImage(12, &image);
    app.SetCursorImage(13, &image);
    app.SetCursorImage(-1, &image);
    EXPECT_EQ(app.mCursorImages[12], &image);
    for (int i = 0; i < Lumo::NUM_CURSORS - 1; i++)
        EXPECT_EQ(app.mCursorImages[i], nullptr) << i;
    app.SetCursor(Lumo::CURSOR_HAND);
    EXPECT_EQ(app.mCursorNumber, 1);
    app.EnableCustomCursors(true);
    EXPECT_TRUE(app.mCustomCursors);
}

TEST(AppServices, GetStringFallsBackToTheDefault)
{
    TestApp app;
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", L"x"), L"OK");
    EXPECT_EQ(app.GetString("UP_TO_DATE_TITLE", L"x"), L"Up to Date");
    EXPECT_EQ(app.GetString("FATAL_ERROR", L"FATAL ERROR"), L"FATAL ERROR");
    EXPECT_EQ(app.mStringTable.size(), 8u);
}
