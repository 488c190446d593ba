#include "tests/game/ui/UiTestSupport.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include "game/engine/KpFont.h"
#include "game/engine/KpTextureManager.h"
#include "tests/support/WindowlessGame.h"

namespace
{
class UiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        CoInitialize(nullptr);
        LoadTestGameData(false);
    }
    void TearDown() override
    {
        KpFont::Clear();
        KpTextureManager::Clear();
        UnloadTestGameData();
        CoUninitialize();
    }
};
::testing::Environment* const gEnvironment = ::testing::AddGlobalTestEnvironment(new UiEnvironment);
} // namespace

IXMLDOMNode* UiLayoutRoot()
{
    return TestLayoutRoot();
}
