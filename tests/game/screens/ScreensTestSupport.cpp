#include "tests/game/screens/ScreensTestSupport.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include "framework/app/PakInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpFont.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpTextureManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/scene/KpEffect.h"
#include "game/scene/KpFrameClock.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/ui/KpCandyWidget.h"

namespace
{
PakInterface* gPak = nullptr;
KpXmlDocument gUi;
KpXmlNode gRoot;
ScreensEngine* gTestEngine = nullptr;
std::string gProfilePath;

class ScreensEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        CoInitialize(nullptr);
        char folder[MAX_PATH] = {0};
        GetCurrentDirectoryA(MAX_PATH, folder);
        gProfilePath = std::string(folder) + "\\screens-test-pref.dat";
        gPak = new PakInterface();
        ASSERT_TRUE(gPak->AddPakFile("game\\loc.pak"));
        ASSERT_TRUE(gPak->AddPakFile("game\\data.pak"));
        ASSERT_TRUE(GetEngineLocTable()->LoadFile("cfg\\loc.xml"));
        KpXmlDocument cfg = XmlLoadFile("cfg\\cfg.xml");
        ASSERT_TRUE(cfg);
        GetSoundManager()->LoadConfig(cfg.Get());
        gUi = XmlLoadFile("cfg\\ui.xml");
        ASSERT_TRUE(gUi);
        gRoot = XmlSelectNode(gUi.Get(), L"ui");
        KpTextureManager::LoadConfig(gUi.Get());
        KpFont::LoadConfig(gUi.Get());
        ASSERT_TRUE(KpEffect::LoadFile("cfg\\effect.xml"));
        // The archives are open: the engine neither opens its own nor needs the folder.
        gDevOptions.mIgnorePaks = true;
        gTestEngine = new ScreensEngine();
        SetCurrentDirectoryA(folder);
        CreateConfirmBoxes(gTestEngine, gRoot.Get());
        AttachConfirmBoxes(gTestEngine->mWidgetManager);
    }
    void TearDown() override
    {
        ClearScreens();
        // The engine takes the boxes, textures, fonts and sounds with it.
        delete gTestEngine;
        gTestEngine = nullptr;
        KpEffect::Reset();
        gRoot.Reset();
        gUi.Reset();
        delete gPak;
        gPak = nullptr;
        DeleteFileA(gProfilePath.c_str());
        CoUninitialize();
    }
};
::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ScreensEnvironment);
} // namespace

ScreensEngine::ScreensEngine()
{
    mOnlyAllowOneCopy = false;
    mStartLoadingThread = false;
}

bool ScreensEngine::StepApp(bool& updated)
{
    updated = true;
    mSteps++;
    mCurrentFrameTime = KpFrameTimeMs();
    mWidgetManager->UpdateFrame();
    return mOnStep ? mOnStep() : true;
}

ScreensEngine* TestEngine()
{
    return gTestEngine;
}

IXMLDOMNode* ScreensLayoutRoot()
{
    return gRoot.Get();
}

void ClickWidget(KpCandyWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    Lumo::WidgetManager* manager = gTestEngine->mWidgetManager;
    Lumo::WidgetPoint at = widget->GetAbsPos();
    int x = at.mX + widget->mWidth / 2, y = at.mY + widget->mHeight / 2;
    manager->MouseMove(x, y);
    manager->MouseDown(x, y, 1);
    manager->MouseUp(x, y, 1);
}

void RunUpdates(int count, int ms)
{
    KpSetFrameTimeOverride(ms);
    for (int i = 0; i < count; i++)
    {
        gTestEngine->mCurrentFrameTime = ms;
        gTestEngine->mWidgetManager->UpdateFrame();
    }
    KpSetFrameTimeOverride(0);
}

void FreshProfileFile(const wchar_t* profile)
{
    DeleteFileA(gProfilePath.c_str());
    gProfileFile.SetPath(gProfilePath);
    gProfileFile.Read();
    if (profile)
        gProfileFile.NewProfile(profile, nullptr, nullptr);
}

void ClearScreens()
{
    for (Lumo::Widget*& screen : gEngine3Boards)
    {
        if (screen && gTestEngine && screen->mParent)
            screen->mParent->RemoveWidget(screen);
        delete screen;
        screen = nullptr;
    }
}

KpBoard_Game3* MakeGameBoard()
{
    KpBoard_Game3* board = new KpBoard_Game3(gTestEngine, gRoot.Get());
    gEngine3Boards[kBoardGame] = board;
    gTestEngine->mWidgetManager->AddWidget(board);
    return board;
}
