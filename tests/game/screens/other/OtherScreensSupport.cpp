#include "tests/game/screens/other/OtherScreensSupport.h"

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
#include "game/engine/KpXml.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/scene/KpEffect.h"
#include "game/scene/KpFrameClock.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/ui/KpCandyWidget.h"

namespace
{
// The engine without a window: its update step is one update of the tree.
class TestEngine : public KpEngine3
{
public:
    TestEngine()
    {
        mOnlyAllowOneCopy = false;
        mStartLoadingThread = false;
    }
    bool StepApp(bool& updated) override
    {
        updated = true;
        mCurrentFrameTime = KpFrameTimeMs();
        mWidgetManager->UpdateFrame();
        return true;
    }
    int MsgBoxW(const std::wstring&, const std::wstring&, int) override { return IDNO; }
    int MsgBox(const std::string&, const std::string&, int) override { return IDNO; }
};

PakInterface* gPak = nullptr;
KpXmlDocument gUi;
KpXmlNode gRoot;
TestEngine* gTestEngine = nullptr;
std::string gProfilePath;

class Environment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        CoInitialize(nullptr);
        char folder[MAX_PATH] = {0};
        GetCurrentDirectoryA(MAX_PATH, folder);
        gProfilePath = std::string(folder) + "\\other-screens-pref.dat";
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
        gTestEngine = new TestEngine();
        SetCurrentDirectoryA(folder);
        CreateConfirmBoxes(gTestEngine, gRoot.Get());
        AttachConfirmBoxes(gTestEngine->mWidgetManager);
    }
    void TearDown() override
    {
        OtherScreens::ClearScreens();
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
    return gRoot.Get();
}

void Click(KpCandyWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    Lumo::WidgetManager* manager = gTestEngine->mWidgetManager;
    Lumo::WidgetPoint at = widget->GetAbsPos();
    int x = at.mX + widget->mWidth / 2, y = at.mY + widget->mHeight / 2;
    manager->MouseMove(x, y);
    manager->MouseDown(x, y, 1);
    manager->MouseUp(x, y, 1);
}

void PressKey(int key)
{
    gTestEngine->mWidgetManager->KeyDown(key);
    gTestEngine->mWidgetManager->KeyUp(key);
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

void FreshProfile(const wchar_t* name, int highestLevel)
{
    DeleteFileA(gProfilePath.c_str());
    gProfileFile.SetPath(gProfilePath);
    gProfileFile.Read();
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
    for (Lumo::Widget*& screen : gEngine3Boards)
    {
        if (screen && screen->mParent)
            screen->mParent->RemoveWidget(screen);
        delete screen;
        screen = nullptr;
    }
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
