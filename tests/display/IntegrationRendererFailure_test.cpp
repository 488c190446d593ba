// A Direct3D renderer that fails to start, with no self-test to veto 3D first:
// the application must come up in 2D by itself, show its frames, and keep the
// new choice, all without a question. Wine reads its per-program Direct3D
// switch when ddraw.dll loads, so the failing run is this program started
// again as a child with that switch set; the child runs only its own test.
// In a window the 2D road takes the window; in full screen beside the wide
// desktop the 3D road has the desktop's mode, while 2D asks for 1024 x 768,
// which the screen refuses (PLATFORM-NOTES): that ends in a window too.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/graphics/D3DInterface.h"
#include "tests/display/IntegrationFrameApp.h"
#include "tests/game/engine/GameProcess.h"

using namespace Lumo;

namespace
{

const char* kChildVariable = "LUMO_RENDERER_FAILURE_CHILD";
const char* kWineKey = "Software\\Wine\\AppDefaults\\test_display_integration.exe";
const char* kAppKey = "SOFTWARE\\Lumo Tests\\Integration Frames";

bool IsChild()
{
    char value[8] = {0};
    return GetEnvironmentVariableA(kChildVariable, value, sizeof(value)) > 0;
}

void SetWineWithout3D(bool on)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kWineKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kWineKey);
    if (!on)
        return;
    HKEY key;
    std::string path = std::string(kWineKey) + "\\Direct3D";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    const char renderer[] = "no3d";
    RegSetValueExA(key, "renderer", 0, REG_SZ, (const BYTE*)renderer, sizeof(renderer));
    RegCloseKey(key);
}

void RemoveAppKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kAppKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppKey);
}

bool ReadAppInt(const char* name, int* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kAppKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 4;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, (BYTE*)value, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD;
}

} // namespace

class IntegrationRendererFailure : public ::testing::TestWithParam<bool>
{
};

// The parameter: the child asks for full screen (true) or a window.
TEST_P(IntegrationRendererFailure, ApplicationFallsBackTo2DAndKeepsTheChoice)
{
    if (IsChild())
        GTEST_SKIP() << "the child runs only its own part";
    if (GetSystemMetrics(SM_CXSCREEN) <= 1024 || GetSystemMetrics(SM_CYSCREEN) <= 768)
        GTEST_SKIP() << "the child ends windowed: needs a screen larger than its window";
    RemoveAppKey();
    SetWineWithout3D(true);
    SetEnvironmentVariableA(kChildVariable, GetParam() ? "full" : "window");

    char path[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string line = std::string("\"") + path +
                       "\" --gtest_filter=IntegrationRendererFailureChild.Run --gtest_brief=1";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    CloseHandle(pi.hThread);

    // A system box in the child fails the test; it is closed so the child ends.
    bool sawBox = false;
    DWORD waited = 0;
    while (WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT && waited < 60000)
    {
        waited += 100;
        HWND box = GameTest::WindowOf(pi.dwProcessId, "#32770");
        if (box)
        {
            sawBox = true;
            PostMessageA(box, WM_CLOSE, 0, 0);
        }
    }
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 10000);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    SetWineWithout3D(false);

    EXPECT_EQ(0u, code) << "the child's test failed (its output is above)";
    EXPECT_FALSE(sawBox);
    int is3D = -1;
    EXPECT_TRUE(ReadAppInt("Is3D", &is3D));
    EXPECT_EQ(0, is3D); // the 3D choice that failed this run is not kept
    RemoveAppKey();
}

INSTANTIATE_TEST_SUITE_P(Modes, IntegrationRendererFailure, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "FullScreen" : "Window"; });

TEST(IntegrationRendererFailureChild, Run)
{
    if (!IsChild())
        GTEST_SKIP() << "runs only as the child of the test above";
    char mode[8] = {0};
    GetEnvironmentVariableA(kChildVariable, mode, sizeof(mode));
    const bool fullScreen = std::string(mode) == "full";
    {
        FrameTest::FrameApp app(!fullScreen);
        app.mTest3D = false; // no self-test: the renderer itself must fail
        app.mAutoEnable3D = false;
        app.WriteRegistryBool("Is3D", true);
        app.Start();
        ASSERT_NE(nullptr, app.mHWnd);
        ASSERT_NE(nullptr, app.mDDInterface);
        EXPECT_EQ(nullptr, app.mDDInterface->mD3DTester);
        EXPECT_FALSE(app.Is3DAccelerated());
        EXPECT_TRUE(app.mChanged3D);
        EXPECT_TRUE(app.mIsPhysWindowed);
        EXPECT_TRUE(app.mIsWindowed);
        EXPECT_EQ(fullScreen, app.mWindowedFallbackDone);

        app.Fill(Color(0, 255, 0, 255));
        uint32_t shown = app.ShownAt(512, 384, DDTest::IsGreen);
        EXPECT_TRUE(DDTest::IsGreen(shown)) << std::hex << shown;
    }
    EXPECT_FALSE(gD3DRenderTargetFailed);
}
