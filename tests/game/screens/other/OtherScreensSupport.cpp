#include "tests/game/screens/other/OtherScreensSupport.h"

#include <gtest/gtest.h>

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpProfileFile.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "tests/support/WindowlessGame.h"

namespace
{
WindowlessEngine* gTestEngine = nullptr;
std::string gProfilePath;

class Environment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        char folder[MAX_PATH] = {0};
        GetCurrentDirectoryA(MAX_PATH, folder);
        gProfilePath = std::string(folder) + "\\other-screens-pref.dat";
        gTestEngine = StartWindowlessGame();
    }
    void TearDown() override
    {
        StopWindowlessGame(gTestEngine);
        gTestEngine = nullptr;
        DeleteFileA(gProfilePath.c_str());
    }
};
::testing::Environment* const gEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);
} // namespace

namespace OtherScreens
{
KpEngine3* Engine()
{
    return gTestEngine;
}

IXMLDOMNode* LayoutRoot()
{
    return TestLayoutRoot();
}

void Click(KpCandyWidget* widget)
{
    ClickWidgetCentre(gTestEngine, widget);
}

void PressKey(int key)
{
    gTestEngine->mWidgetManager->KeyDown(key);
    gTestEngine->mWidgetManager->KeyUp(key);
}

void RunUpdates(int count, int ms)
{
    RunTreeUpdates(gTestEngine, count, ms);
}

void FreshProfile(const wchar_t* name, int highestLevel)
{
    FreshProfileFileAt(gProfilePath);
    if (!name)
        return;
    gProfileFile.NewProfile(name, nullptr, nullptr);
    gProfileFile.mProfile.highestLevel = highestLevel;
}

void AttachScreen(Lumo::Widget* screen)
{
    gTestEngine->mWidgetManager->AddWidget(screen);
}

void ClearScreens()
{
    ClearScreenTable();
}

bool LoadLevel(KpBoard_Game3* board, int level, bool endless)
{
    if (!board->StartLevelLoading(level, endless))
        return false;
    // The loader thread reads the level; the board takes it on an update.
    for (int i = 0; i < 3000 && !board->IsLevelActive(); i++)
    {
        RunUpdates(1);
        if (!board->IsLevelActive())
            Sleep(1);
    }
    return board->IsLevelActive();
}
} // namespace OtherScreens
