#include "tests/game/screens/ScreensTestSupport.h"

#include <gtest/gtest.h>

#include "game/engine/KpProfileFile.h"
#include "framework/widgets/WidgetManager.h"
#include "game/gameplay/KpBoard_Game3.h"

namespace
{
ScreensEngine* gTestEngine = nullptr;
std::string gProfilePath;

class ScreensEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        char folder[MAX_PATH] = {0};
        GetCurrentDirectoryA(MAX_PATH, folder);
        gProfilePath = std::string(folder) + "\\screens-test-pref.dat";
        gTestEngine = StartWindowlessGame();
    }
    void TearDown() override
    {
        StopWindowlessGame(gTestEngine);
        gTestEngine = nullptr;
        DeleteFileA(gProfilePath.c_str());
    }
};
::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ScreensEnvironment);
} // namespace

ScreensEngine* TestEngine()
{
    return gTestEngine;
}

IXMLDOMNode* ScreensLayoutRoot()
{
    return TestLayoutRoot();
}

void ClickWidget(KpCandyWidget* widget)
{
    ClickWidgetCentre(gTestEngine, widget);
}

void RunUpdates(int count, int ms)
{
    RunTreeUpdates(gTestEngine, count, ms);
}

void FreshProfileFile(const wchar_t* profile)
{
    FreshProfileFileAt(gProfilePath);
    if (profile)
        gProfileFile.NewProfile(profile, nullptr, nullptr);
}

void ClearScreens()
{
    ClearScreenTable();
}

KpBoard_Game3* MakeGameBoard()
{
    KpBoard_Game3* board = new KpBoard_Game3(gTestEngine, TestLayoutRoot());
    gEngine3Boards[kBoardGame] = board;
    gTestEngine->mWidgetManager->AddWidget(board);
    return board;
}
