#include "tests/game/ui/UiTestSupport.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include "framework/app/PakInterface.h"
#include "game/engine/KpFont.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpTextureManager.h"
#include "game/scene/KpEffect.h"

namespace
{
PakInterface* gPak = nullptr;
KpXmlDocument gUi;
KpXmlNode gRoot;

class UiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        CoInitialize(nullptr);
        gPak = new PakInterface();
        ASSERT_TRUE(gPak->AddPakFile("game\\loc.pak"));
        ASSERT_TRUE(gPak->AddPakFile("game\\data.pak"));
        ASSERT_TRUE(GetEngineLocTable()->LoadFile("cfg\\loc.xml"));
        gUi = XmlLoadFile("cfg\\ui.xml");
        ASSERT_TRUE(gUi);
        gRoot = XmlSelectNode(gUi.Get(), L"ui");
        KpTextureManager::LoadConfig(gUi.Get());
        KpFont::LoadConfig(gUi.Get());
        ASSERT_TRUE(KpEffect::LoadFile("cfg\\effect.xml"));
    }
    void TearDown() override
    {
        KpEffect::Reset();
        KpFont::Clear();
        KpTextureManager::Clear();
        gRoot.Reset();
        gUi.Reset();
        delete gPak;
        gPak = nullptr;
        CoUninitialize();
    }
};
::testing::Environment* const gEnvironment = ::testing::AddGlobalTestEnvironment(new UiEnvironment);
} // namespace

IXMLDOMNode* UiLayoutRoot()
{
    return gRoot.Get();
}
