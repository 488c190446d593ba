#include "tests/support/WindowlessGame.h"

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
#include "game/scene/KpEffect.h"
#include "game/scene/KpFrameClock.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/ui/KpCandyWidget.h"

namespace
{
PakInterface* gPak = nullptr;
KpXmlDocument gUi;
KpXmlNode gRoot;
} // namespace

WindowlessEngine::WindowlessEngine()
{
    mOnlyAllowOneCopy = false;
    mStartLoadingThread = false;
}

bool WindowlessEngine::StepApp(bool& updated)
{
    updated = true;
    mSteps++;
    mCurrentFrameTime = KpFrameTimeMs();
    mWidgetManager->UpdateFrame();
    return mOnStep ? mOnStep() : true;
}

void LoadTestGameData(bool sounds)
{
    gPak = new PakInterface();
    ASSERT_TRUE(gPak->AddPakFile("game\\loc.pak"));
    ASSERT_TRUE(gPak->AddPakFile("game\\data.pak"));
    ASSERT_TRUE(GetEngineLocTable()->LoadFile("cfg\\loc.xml"));
    if (sounds)
    {
        KpXmlDocument cfg = XmlLoadFile("cfg\\cfg.xml");
        ASSERT_TRUE(cfg);
        GetSoundManager()->LoadConfig(cfg.Get());
    }
    gUi = XmlLoadFile("cfg\\ui.xml");
    ASSERT_TRUE(gUi);
    gRoot = XmlSelectNode(gUi.Get(), L"ui");
    KpTextureManager::LoadConfig(gUi.Get());
    KpFont::LoadConfig(gUi.Get());
    ASSERT_TRUE(KpEffect::LoadFile("cfg\\effect.xml"));
}

IXMLDOMNode* TestLayoutRoot()
{
    return gRoot.Get();
}

void UnloadTestGameData()
{
    KpEffect::Reset();
    gRoot.Reset();
    gUi.Reset();
    delete gPak;
    gPak = nullptr;
}

WindowlessEngine* StartWindowlessGame()
{
    CoInitialize(nullptr);
    char folder[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, folder);
    LoadTestGameData(true);
    if (::testing::Test::HasFatalFailure())
        return nullptr;
    // The archives are open: the engine neither opens its own nor needs the folder.
    gDevOptions.mIgnorePaks = true;
    WindowlessEngine* engine = new WindowlessEngine();
    SetCurrentDirectoryA(folder);
    CreateConfirmBoxes(engine, gRoot.Get());
    AttachConfirmBoxes(engine->mWidgetManager);
    return engine;
}

void StopWindowlessGame(WindowlessEngine* engine)
{
    ClearScreenTable();
    delete engine;
    UnloadTestGameData();
    CoUninitialize();
}

void ClickWidgetCentre(WindowlessEngine* engine, KpCandyWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    Lumo::WidgetManager* manager = engine->mWidgetManager;
    Lumo::WidgetPoint at = widget->GetAbsPos();
    int x = at.mX + widget->mWidth / 2, y = at.mY + widget->mHeight / 2;
    manager->MouseMove(x, y);
    manager->MouseDown(x, y, 1);
    manager->MouseUp(x, y, 1);
}

void RunTreeUpdates(WindowlessEngine* engine, int count, int ms)
{
    KpSetFrameTimeOverride(ms);
    for (int i = 0; i < count; i++)
    {
        engine->mCurrentFrameTime = ms;
        engine->mWidgetManager->UpdateFrame();
    }
    KpSetFrameTimeOverride(0);
}

void ClearScreenTable()
{
    for (Lumo::Widget*& screen : gEngine3Boards)
    {
        if (screen && screen->mParent)
            screen->mParent->RemoveWidget(screen);
        delete screen;
        screen = nullptr;
    }
}

void FreshProfileFileAt(const std::string& path)
{
    DeleteFileA(path.c_str());
    gProfileFile.SetPath(path);
    gProfileFile.Read();
}
