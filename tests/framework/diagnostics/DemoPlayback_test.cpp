// Recording and replaying through the application object: input reaches the
// widgets alike, registry, file, transfer and sync values come back from the
// demo without the registry, the disk or the network, divergences are found
// and named with their update, fast-forward stops at its target, and the
// numbered files and playback dialogs do what they promise.
#include <gtest/gtest.h>

#include <thread>

#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DemoDialogs.h"
#include "framework/diagnostics/DemoNumbering.h"
#include "framework/diagnostics/HTTPTransfer.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/framework/app/AppTestApp.h"

#include "LoopbackServer.h"

using namespace AppTest;
using Lumo::StrFormat;

DWORD ManualClock::now = 100000;
int ManualClock::sleeps = 0;
int ManualClock::waits = 0;

namespace
{

const char kKey[] = "Lumo Tests\\Demo";

// Logs what reaches it, in the widget's own words.
class InputLog : public Lumo::Widget
{
public:
    std::vector<std::string> log;
    void MouseMove(int x, int y) override { log.push_back(StrFormat("move %d %d", x, y)); }
    void MouseDrag(int x, int y) override { log.push_back(StrFormat("drag %d %d", x, y)); }
    void MouseDown(int x, int y, int button, int clicks) override
    {
        log.push_back(StrFormat("down %d %d %d %d", x, y, button, clicks));
    }
    void MouseUp(int x, int y, int button, int clicks) override
    {
        log.push_back(StrFormat("up %d %d %d %d", x, y, button, clicks));
    }
    void MouseWheel(int delta) override { log.push_back(StrFormat("wheel %d", delta)); }
    void KeyDown(int key) override { log.push_back(StrFormat("keydown %d", key)); }
    void KeyUp(int key) override { log.push_back(StrFormat("keyup %d", key)); }
    void KeyChar(wchar_t c) override { log.push_back(StrFormat("char %d", (int)c)); }
    void GotFocus() override { log.push_back("gotfocus"); }
    void LostFocus() override { log.push_back("lostfocus"); }
};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "lumo_demo_test_" + name;
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

void RemoveKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Lumo Tests\\Demo");
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Lumo Tests\\Demo");
}

bool KeyHolds(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Lumo Tests\\Demo", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

// An application that records or plays the demo file at `path`.
class DemoApp : public TestApp
{
public:
    InputLog* mLog = new InputLog();
    DemoApp(const std::string& path, bool recording)
    {
        mRegKey = kKey;
        mProductVersion = "1.0";
        mDemoFileName = path;
        mRecordingDemo = recording;
        mPlayingDemo = !recording;
        mLog->Resize(0, 0, 1024, 768);
        mWidgetManager->AddWidget(mLog);
        mWidgetManager->SetFocus(mLog);
        mLog->log.clear();
    }
    ~DemoApp() override
    {
        mRecordingDemo = false;
        mWidgetManager->RemoveWidget(mLog);
        delete mLog;
    }
    void Message(UINT message, WPARAM wParam, LPARAM lParam)
    {
        HandleQueuedMessage({nullptr, message, wParam, lParam});
    }
};

// Writes a demo of fillers up to `total` updates, with the given markers.
std::string FillerDemo(const std::string& name, int total,
                       const std::vector<Lumo::DemoMarker>& markers = {})
{
    std::string path = TempPath(name);
    DemoApp app(path, true);
    app.mDemoMarkers = markers;
    app.mUpdateCount = total;
    app.WriteDemoCommand(Lumo::DEMO_FILLER);
    app.WriteDemoFile();
    return path;
}

} // namespace

TEST(DemoPlayback, RecordedRunComesBackWithoutRegistryDiskOrInput)
{
    RemoveKey();
    std::string demo = TempPath("run.dmo");
    std::string data = TempPath("run.txt");
    WriteText(data, "the file's bytes");
    std::vector<std::string> recorded;
    int readBack = 0;
    {
        DemoApp app(demo, true);
        app.RecordDemoDisplay();
        app.mHasFocus = true; // as the window procedure sets it
        app.Message(WM_ACTIVATEAPP, 1, 0);
        app.Message(WM_MOUSEMOVE, 0, MAKELPARAM(10, 12));   // a relative move
        app.Message(WM_MOUSEMOVE, 0, MAKELPARAM(200, 150)); // an absolute one
        app.Message(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150));
        app.Message(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(190, 160));
        app.Message(WM_LBUTTONUP, 0, MAKELPARAM(190, 160));
        app.Message(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(190, 160));
        app.Message(WM_RBUTTONUP, 0, MAKELPARAM(190, 160));
        app.Message(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-240), 0);
        app.Message(WM_KEYDOWN, 'A', 0);
        app.Message(WM_KEYUP, 'A', 0);
        app.mWindowedFallbackDone = true; // Alt+Enter then switches nothing, and reaches no widget
        app.Message(WM_SYSKEYDOWN, VK_RETURN, 0);
        app.mUpdateCount = 3;
        EXPECT_TRUE(app.WriteRegistryInt("Stored", 42));
        EXPECT_TRUE(app.ReadRegistryInt("Stored", &readBack));
        Lumo::Buffer file;
        EXPECT_TRUE(app.ReadFileToBuffer(data, &file));
        app.mUpdateCount = 40; // a gap written as fillers
        std::string text = "clipboard";
        app.SyncDemoString(text);
        bool flag = true;
        app.SyncDemoBool(flag);
        app.RecordDemoBoxAnswer(IDNO);
        app.Message(WM_CHAR, 0x263A, 0); // wide
        app.Message(WM_SIZE, SIZE_MINIMIZED, 0);
        app.Message(WM_SIZE, SIZE_RESTORED, 0);
        app.WriteDemoFile();
        recorded = app.mLog->log;
    }
    EXPECT_EQ(readBack, 42);

    // The world has changed since: no registry value, another file.
    RemoveKey();
    WriteText(data, "other bytes");
    DemoApp app(demo, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    EXPECT_EQ(app.mDemoLastUpdate, 40);
    app.ReplayDemoEvents();
    // Its window state came back with it.
    EXPECT_TRUE(app.mHasFocus);
    EXPECT_EQ(app.mDemoMouseX, 190);
    app.mUpdateCount = 3;
    app.ReplayDemoEvents(); // the registry records wait for their callers
    EXPECT_TRUE(app.WriteRegistryInt("Stored", 42));
    int value = 0;
    EXPECT_TRUE(app.ReadRegistryInt("Stored", &value));
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(KeyHolds("Stored"));
    Lumo::Buffer file;
    ASSERT_TRUE(app.ReadFileToBuffer(data, &file));
    EXPECT_EQ(std::string((const char*)file.GetDataPtr(), (size_t)file.GetDataLen()),
              "the file's bytes");
    for (int update = 4; update <= 40; update++)
    {
        app.mUpdateCount = update;
        app.ReplayDemoEvents();
    }
    std::string text = "something else";
    app.SyncDemoString(text);
    EXPECT_EQ(text, "clipboard");
    bool flag = false;
    app.SyncDemoBool(flag);
    EXPECT_TRUE(flag);
    int answer = 0;
    EXPECT_TRUE(app.TakeDemoBoxAnswer(&answer));
    EXPECT_EQ(answer, IDNO);
    app.ReplayDemoEvents();
    // At the stream's end the focus is the real window's again: none here.
    recorded.push_back("lostfocus");
    EXPECT_EQ(app.mLog->log, recorded);
    EXPECT_FALSE(app.mMinimized);
    EXPECT_EQ(app.mDemoDivergences, 0);

    // Past the end: reads fail, writes succeed, and nothing is touched.
    EXPECT_TRUE(app.DemoEndedForCallers());
    value = 7;
    EXPECT_FALSE(app.ReadRegistryInt("Stored", &value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(app.WriteRegistryInt("Stored", 1));
    EXPECT_FALSE(KeyHolds("Stored"));
    EXPECT_FALSE(app.ReadFileToBuffer(data, &file));
    // A read that bypasses the demo still reaches the disk.
    EXPECT_TRUE(app.ReadFileToBuffer(data, &file, true));
    DeleteFileA(demo.c_str());
    DeleteFileA(data.c_str());
    RemoveKey();
}

TEST(DemoPlayback, RecordNobodyTakesIsPassedOverWholeAndNamed)
{
    std::string demo = TempPath("untaken.dmo");
    {
        DemoApp app(demo, true);
        app.mUpdateCount = 5;
        Lumo::Buffer big;
        for (int i = 0; i < 100; i++)
            big.WriteByte((unsigned char)i);
        app.SyncDemoBuffer(big); // taken by nobody in the replay
        app.Message(WM_KEYDOWN, 'K', 0);
        app.mUpdateCount = 6;
        app.Message(WM_KEYDOWN, 'L', 0);
        app.WriteDemoFile();
    }
    DemoApp app(demo, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    app.mUpdateCount = 5;
    app.ReplayDemoEvents();
    // A caller that asks for something else goes without, and the record stays.
    int value = 3;
    EXPECT_FALSE(app.ReadRegistryInt("Anything", &value));
    EXPECT_EQ(app.mDemoDivergences, 1);
    app.mUpdateCount = 6;
    app.ReplayDemoEvents();
    // The 100 bytes were passed over: both keys arrive, the first one late.
    std::vector<std::string> expected = {"keydown 75", "keydown 76"};
    EXPECT_EQ(app.mLog->log, expected);
    EXPECT_EQ(app.mDemoDivergences, 3);
    DeleteFileA(demo.c_str());
}

namespace
{

// Reads the registry when loading completes, as a game's hook may.
class LoadingApp : public DemoApp
{
public:
    using DemoApp::DemoApp;
    int mValue = 0;
    void LoadingCompleted() override { ReadRegistryInt("Loaded", &mValue); }
};

} // namespace

TEST(DemoPlayback, LoadingCompletesAtTheRecordedUpdateWithWhatItsHookRead)
{
    RemoveKey();
    std::string demo = TempPath("loading.dmo");
    {
        LoadingApp app(demo, true);
        app.WriteRegistryInt("Loaded", 9);
        app.mUpdateCount = 12;
        app.mLoadingThreadFinished = true;
        ASSERT_TRUE(app.DoUpdateFrames());
        EXPECT_EQ(app.mValue, 9);
        app.WriteDemoFile();
    }
    RemoveKey();
    LoadingApp app(demo, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    app.mLoadingThreadFinished = true;
    EXPECT_TRUE(app.WriteRegistryInt("Loaded", 9));
    // Loading has finished here sooner than in the recording: it completes only
    // at the update where the recording's did.
    for (int update = 0; update < 12; update++)
    {
        app.ReplayDemoEvents();
        ASSERT_TRUE(app.DoUpdateFrames());
        EXPECT_FALSE(app.mLoadingCompleted);
    }
    app.ReplayDemoEvents();
    app.DoUpdateFrames();
    EXPECT_TRUE(app.mLoadingCompleted);
    EXPECT_EQ(app.mValue, 9);
    EXPECT_EQ(app.mDemoDivergences, 0);
    DeleteFileA(demo.c_str());
    RemoveKey();
}

TEST(DemoPlayback, ReaderReportsMissingAndForeignFiles)
{
    std::string missing = TempPath("missing.dmo");
    DeleteFileA(missing.c_str());
    DemoApp app(missing, false);
    std::string error;
    EXPECT_FALSE(app.ReadDemoFile(error));
    EXPECT_EQ(error, "Demo file not found: " + missing);

    std::string path = FillerDemo("foreign.dmo", 10);
    DemoApp other(path, false);
    other.mProductVersion = "2.0";
    EXPECT_FALSE(other.ReadDemoFile(error));
    EXPECT_EQ(error, "This demo file appears to be for '1.0'");
    DeleteFileA(path.c_str());
}

TEST(DemoPlayback, ReplaySeedsTheRandomNumbersOfTheRecording)
{
    std::string path = TempPath("seed.dmo");
    {
        DemoApp app(path, true);
        app.mDemoRandomSeed = 777;
        app.WriteDemoCommand(Lumo::DEMO_FILLER);
        app.WriteDemoFile();
    }
    SeedRandom(1);
    DemoApp app(path, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    Lumo::MersenneRandom expected;
    expected.Seed(777);
    EXPECT_EQ(gLumoRandom.Next(), expected.Next());
    DeleteFileA(path.c_str());
}

TEST(DemoPlayback, FastForwardStopsAtItsTargetAndAtTheEnd)
{
    std::string path = FillerDemo("fast.dmo", 1000);
    DemoApp app(path, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    // 1.67 updates a frame: the fractional updates must not step past the target.
    app.mVSyncWanted = true;
    app.mRefreshRate = 60;
    app.mDemoFastForwardTarget = 601;
    app.ResetFrameTiming();
    DWORD start = ManualClock::now;
    for (int i = 0; i < 100000 && app.mDemoFastForwardTarget >= 0; i++)
    {
        bool updated;
        app.StepApp(updated);
        ASSERT_LE(app.mUpdateCount, 601);
    }
    EXPECT_EQ(app.mUpdateCount, 601);
    // Fast: far less time than 601 updates take at their pace.
    EXPECT_LT(ManualClock::now - start, 1000u);
    ASSERT_TRUE(app.RunFor(500));
    EXPECT_NEAR(app.mUpdateCount, 651, 5);

    // Run to the end: stops at the last update, unmuted, where playback ends;
    // the run goes on from there at its own pace, drawn as any.
    app.mDemoRunToEnd = true;
    for (int i = 0; i < 100000 && !app.mDemoEnded; i++)
    {
        bool updated;
        app.StepApp(updated);
    }
    EXPECT_EQ(app.mUpdateCount, 1000);
    EXPECT_FALSE(app.mDemoRunToEnd);
    EXPECT_EQ(app.mMuteCount, 0);
    size_t draws = app.draws.size();
    ASSERT_TRUE(app.RunFor(500));
    EXPECT_GT(app.draws.size(), draws);
    EXPECT_NEAR(app.mUpdateCount, 1050, 5);
    DeleteFileA(path.c_str());
}

// A replay that ends without a close (the recording's session ended, or the
// file is shorter) hands the game back at its last update: live keys reach
// the widgets, the updates go on, the minimized flag is the real window's
// again (it has none here); the live game's own values stay a
// replay's and take nothing recorded, and what the recording's end wrote is
// taken by this run's end.
TEST(DemoPlayback, PlaybackEndHandsTheGameBackAndKeepsTheRecordedEndForTheRunsEnd)
{
    RemoveKey();
    std::string demo = TempPath("handback.dmo");
    {
        DemoApp app(demo, true);
        app.mUpdateCount = 3;
        app.Message(WM_KEYDOWN, 'A', 0);
        app.Message(WM_SIZE, SIZE_MINIMIZED, 0); // the session ends minimized
        app.mUpdateCount = 8;
        EXPECT_TRUE(app.WriteRegistryInt("End", 5)); // the recording's end
        app.WriteDemoFile();
    }
    RemoveKey();
    DemoApp app(demo, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    app.QueueMessage(nullptr, WM_KEYDOWN, 'B', 0); // a replay's own input goes nowhere
    for (int i = 0; i < 100000 && !app.mDemoEnded; i++)
    {
        bool updated;
        app.StepApp(updated);
    }
    EXPECT_EQ(app.mUpdateCount, 8);
    EXPECT_FALSE(app.mMinimized) << "the replay's window is not minimized";
    app.QueueMessage(nullptr, WM_KEYDOWN, 'C', 0);
    ASSERT_TRUE(app.RunFor(100));
    EXPECT_GT(app.mUpdateCount, 12);
    EXPECT_EQ(app.mLog->log, (std::vector<std::string>{"keydown 65", "keydown 67"}));
    EXPECT_TRUE(app.WriteRegistryInt("Live", 1));
    EXPECT_FALSE(KeyHolds("Live"));
    app.NoteRunEnding(true);
    EXPECT_TRUE(app.WriteRegistryInt("End", 5));
    EXPECT_FALSE(KeyHolds("End"));
    app.ReportDemoPlaybackEnd(); // every record replayed: nothing diverged
    EXPECT_EQ(app.mDemoDivergences, 0);
    DeleteFileA(demo.c_str());
}

TEST(DemoPlayback, TransferResultComesFromTheDemo)
{
    std::string path = TempPath("transfer.dmo");
    std::string reply;
    uint32_t firstId = gNextTransferId;
    {
        DemoApp app(path, true);
        LoopbackServer server;
        ASSERT_TRUE(server.Start(
            {{LoopbackServer::ANSWER_WHOLE, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nthank"}}));
        Lumo::HTTPTransfer transfer;
        transfer.SendRequest(server.Address(), "GET / HTTP/1.1\r\n\r\n");
        transfer.WaitFor();
        ASSERT_EQ(transfer.GetResultCode(), Lumo::HTTPTransfer::RESULT_DONE);
        reply = transfer.GetReply();
        app.WriteDemoFile();
    }
    ASSERT_EQ(reply, "thank");
    // No server now: the transfers take their ids in the same order, and the
    // result comes from the stream.
    gNextTransferId = firstId;
    DemoApp app(path, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    Lumo::HTTPTransfer transfer;
    transfer.SendRequest("127.0.0.1:1", "GET / HTTP/1.1\r\n\r\n");
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResultCode(), Lumo::HTTPTransfer::RESULT_DONE);
    EXPECT_EQ(transfer.GetReply(), "thank");
    // Past the end of the recording a transfer ends at once, aborted.
    transfer.SendRequest("127.0.0.1:1", "GET / HTTP/1.1\r\n\r\n");
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResultCode(), Lumo::HTTPTransfer::RESULT_ABORTED);
    DeleteFileA(path.c_str());
}

TEST(DemoNumbering, PrunesToTheKeepCountAndFindsTheNewest)
{
    std::string folder = TempPath("numbered\\");
    Lumo::MakeDirectories(folder);
    for (const char* name : {"1.dmo", "2.dmo", "3.dmo", "4.dmo", "5.dmo", "7b.dmo", "x.dmo"})
        WriteText(folder + name, "");
    // Without leave to delete, nothing goes.
    EXPECT_EQ(Lumo::FindLatestDemoNumber(folder, 5, false), 5);
    EXPECT_NE(GetFileAttributesA((folder + "1.dmo").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Lumo::FindLatestDemoNumber(folder, 5, true), 5);
    EXPECT_EQ(GetFileAttributesA((folder + "1.dmo").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA((folder + "7b.dmo").c_str()), INVALID_FILE_ATTRIBUTES);

    // "-recnum" keeps five and records the next number; "-playnum" counts back from the newest.
    TestApp app;
    app.mDemoPrefix = folder;
    WriteText(folder + "6.dmo", "");
    WriteText(folder + "7.dmo", "");
    app.HandleCommandLineOption("-recnum", "0");
    EXPECT_EQ(app.mDemoFileName, folder + "8.dmo");
    EXPECT_TRUE(app.mRecordingDemo);
    EXPECT_EQ(GetFileAttributesA((folder + "2.dmo").c_str()), INVALID_FILE_ATTRIBUTES);
    app.HandleCommandLineOption("-playnum", "1");
    EXPECT_EQ(app.mDemoFileName, folder + "7.dmo");
    EXPECT_TRUE(app.mPlayingDemo);
    app.HandleCommandLineOption("-playnum", "3");
    EXPECT_EQ(app.mDemoFileName, folder + "5.dmo");

    for (const char* name : {"3.dmo", "4.dmo", "5.dmo", "6.dmo", "7.dmo", "7b.dmo", "x.dmo"})
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(DemoCommandLine, OptionsSplitIntoNamesAndValues)
{
    auto options = Lumo::SplitCommandLineOptions(
        "-record  -demofile \"C:\\My Demos\\a.dmo\" -recnum -3 stray");
    std::vector<std::pair<std::string, std::string>> expected = {
        {"-record", ""}, {"-demofile", "C:\\My Demos\\a.dmo"}, {"-recnum", "-3"}, {"stray", ""}};
    EXPECT_EQ(options, expected);
    EXPECT_TRUE(Lumo::SplitCommandLineOptions("  ").empty());
}

TEST(DemoJump, TimesCountBackFromTheEndWithOneSecondMore)
{
    EXPECT_EQ(Lumo::ParseDemoJumpTime("0:30"), 30);
    EXPECT_EQ(Lumo::ParseDemoJumpTime("1:02:03"), 3723);
    EXPECT_EQ(Lumo::ParseDemoJumpTime(""), 0);
    // Thirty seconds and one before the end: 3100 updates of 10 ms.
    EXPECT_EQ(Lumo::DemoJumpTarget(6000, 30, 10), 2900);
    EXPECT_EQ(Lumo::DemoJumpTarget(6000, 3600, 10), 0);
    EXPECT_EQ(Lumo::FormatDemoMarker({"level 2", 100}, 6000, 10), L"level 2 (00:00:59)");
}

namespace
{

BOOL CALLBACK FindDialogOfThread(HWND hwnd, LPARAM param)
{
    char title[64] = {0};
    GetWindowTextA(hwnd, title, sizeof(title));
    auto* find = (std::pair<std::string, HWND>*)param;
    if (find->first == title)
    {
        find->second = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Waits (bounded) for this process's dialog of that title; null when none came.
HWND WaitForDialog(const std::string& title, DWORD threadId)
{
    for (int i = 0; i < 500; i++)
    {
        std::pair<std::string, HWND> find(title, nullptr);
        EnumThreadWindows(threadId, FindDialogOfThread, (LPARAM)&find);
        if (find.second)
            return find.second;
        HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        WaitForSingleObject(never, 10);
        CloseHandle(never);
    }
    return nullptr;
}

} // namespace

TEST(DemoJump, DialogsSetTheFastForwardTarget)
{
    RemoveKey();
    std::string path = FillerDemo("dialogs.dmo", 6000, {{"early", 50}, {"later", 3000}});
    DemoApp app(path, false);
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Lumo Tests\\Demo", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    app.mUpdateCount = 100;
    DWORD self = GetCurrentThreadId();

    // Jump To Time: the typed time sets the target and is kept for next time.
    std::thread typist(
        [&]
        {
            HWND dialog = WaitForDialog("Jump To Time", self);
            if (!dialog)
                return;
            SetDlgItemTextA(dialog, 100, "0:30");
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
    EXPECT_EQ(app.ShowDemoJumpToTime(), 1);
    typist.join();
    EXPECT_EQ(app.mDemoFastForwardTarget, 2900);
    char stored[64] = {0};
    DWORD length = sizeof(stored) - 1;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\Lumo Tests\\Demo", "DemoJumpTime",
                           RRF_RT_REG_SZ, nullptr, stored, &length),
              ERROR_SUCCESS);
    EXPECT_STREQ(stored, "0:30");

    // Marker List: only markers still ahead; a double click jumps to one.
    std::vector<std::string> items;
    std::thread picker(
        [&]
        {
            HWND dialog = WaitForDialog("Marker List", self);
            if (!dialog)
                return;
            HWND list = GetDlgItem(dialog, 100);
            int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
            for (int i = 0; i < count; i++)
            {
                char text[128] = {0};
                SendMessageA(list, LB_GETTEXT, i, (LPARAM)text);
                items.push_back(text);
            }
            SendMessageA(list, LB_SETCURSEL, 0, 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(100, LBN_DBLCLK), (LPARAM)list);
        });
    EXPECT_EQ(app.ShowDemoMarkerList(), 1);
    picker.join();
    std::vector<std::string> expected = {"later (00:00:30)"};
    EXPECT_EQ(items, expected);
    EXPECT_EQ(app.mDemoFastForwardTarget, 3000);
    DeleteFileA(path.c_str());
    RemoveKey();
}
