// The game's application object run inside a test program, and the fixture
// that runs it there on the exact 1024 x 768 full screen, 2D or 3D by the
// test's parameter, by its own main-loop steps, so that a test can read its
// back buffer between two steps. The program's own arguments are gtest's,
// which the game's option handler would reject with a box, so this game takes
// no command line.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/app/PakInterface.h"
#include "game/engine/KpComPtr.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpProfileFile.h"

class InProcessGame : public KpEngine3
{
public:
    void ReceiveCommandLine(const std::string&) override {}
    // When set, runs after every logic update: a test that follows a state update by update.
    std::function<void()> mAfterUpdate;
    void UpdateOnce() override
    {
        KpEngine3::UpdateOnce();
        if (mAfterUpdate)
            mAfterUpdate();
    }
};

// A registry key of the current user, gone with everything below it.
inline void RemoveKey(const char* key)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, key);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

inline bool IsScreen(int width, int height)
{
    return GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height;
}

// Runs the application's steps until the condition holds; false after the bound.
template <typename Condition>
bool StepUntil(Lumo::LumoAppBase& app, Condition condition, DWORD boundMs)
{
    DWORD start = GetTickCount();
    while (!condition())
    {
        if (GetTickCount() - start > boundMs)
            return false;
        bool updated = false;
        app.StepApp(updated);
    }
    return true;
}

class InProcessGameTest : public ::testing::TestWithParam<bool>
{
protected:
    static constexpr const char* kGameKey = "SOFTWARE\\Tessik Games\\Zorka Cafe";

    // No settings and no profile but the display road of the parameter (true: 3D).
    void SetUp() override
    {
        if (!IsScreen(1024, 768))
            GTEST_SKIP() << "the game's full screen needs the exact 1024 x 768 screen";
        RemoveKey(kGameKey);
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        DWORD is3D = GetParam() ? 1 : 0;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&is3D, sizeof(is3D));
        RegCloseKey(key);
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, cwd);
        mOldFolder = cwd;
    }
    void TearDown() override
    {
        if (mGame)
        {
            mGame.reset();
            gGameApp = nullptr;
        }
        mCom.reset();
        SetCurrentDirectoryA(mOldFolder.c_str());
        RemoveKey(kGameKey);
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
    }

    // Makes the game in its own folder, with its archives (and `overPak`, an
    // archive laid over them, when given), and starts it: its window and
    // display, the loading thread, the window in front, the main loop on. Run
    // under ASSERT_NO_FATAL_FAILURE.
    void LaunchGame(const std::string& overPak = "")
    {
        // As the game's main function does: the XML readers need COM.
        mCom.reset(new KpComScope());
        mGame.reset(new InProcessGame());
        gGameApp = mGame.get();
        // The engine took this program's folder; the game's files lie beside the game.
        std::string gameFolder = std::string(LUMO_BINARY_DIR) + "/game";
        ASSERT_TRUE(SetCurrentDirectoryA(gameFolder.c_str()));
        ASSERT_NE(nullptr, mGame->mPakInterface);
        for (const char* pak : {"loc.pak", "data.pak", "mod.pak"})
            mGame->mPakInterface->AddPakFile(pak);
        if (!overPak.empty())
        {
            ASSERT_TRUE(mGame->mPakInterface->AddPakFile(overPak)) << overPak;
        }
        mGame->InitApp();
        ASSERT_NE(nullptr, mGame->mHWnd);
        ASSERT_NE(nullptr, mGame->mDDInterface);
        mGame->StartLoadingThread();
        ShowWindow(mGame->mHWnd, SW_SHOW);
        SetForegroundWindow(mGame->mHWnd);
        mGame->mInMainLoop = true;
    }

    // Steps the game until it has loaded, on the display road of the parameter.
    void WaitForLoading()
    {
        ASSERT_TRUE(StepUntil(
            *mGame, [&] { return mGame->mLoadingCompleted; }, 30000));
        ASSERT_EQ(GetParam(), mGame->Is3DAccelerated());
    }

    std::unique_ptr<KpComScope> mCom;
    std::unique_ptr<InProcessGame> mGame;
    std::string mOldFolder;
};
