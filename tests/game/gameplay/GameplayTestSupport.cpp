#include "tests/game/gameplay/GameplayTestSupport.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include "framework/app/PakInterface.h"
#include "game/engine/KpFont.h"
#include "game/engine/KpTextureManager.h"
#include "game/engine/KpXml.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/scene/KpFrameClock.h"
#include "tests/support/TempFolder.h"

namespace
{
class GameplayEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        CoInitialize(nullptr);
        KpSetFrameTimeOverride(10);
    }
    void TearDown() override
    {
        KpSetFrameTimeOverride(0);
        CoUninitialize();
    }
};
::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new GameplayEnvironment);
} // namespace

KpLevelData* LevelFromText(const std::string& xml, int number, bool endless,
                           std::vector<std::string>* warnings)
{
    KpXmlDocument document = XmlLoadBytes(xml, "level");
    KpLevelData* level = new KpLevelData();
    std::string error;
    std::vector<std::string> skipped;
    bool ok = ReadLevelData(document.Get(), number, endless, *level, error, skipped);
    EXPECT_TRUE(ok) << error;
    if (warnings)
        *warnings = skipped;
    return level;
}

std::string ShippedLevelText(const std::string& name)
{
    return ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/" + name);
}

void Step(KpBoard_Game3& board, int updates)
{
    for (int i = 0; i < updates; i++)
        board.Update();
}

bool StepUntil(KpBoard_Game3& board, const std::function<bool()>& condition, int maxUpdates)
{
    for (int i = 0; i < maxUpdates; i++)
    {
        if (condition())
            return true;
        board.Update();
    }
    return condition();
}

GameArchives::GameArchives() : mPak(new PakInterface())
{
    // Relative to the tests' working folder, the build folder.
    EXPECT_TRUE(mPak->AddPakFile("game\\loc.pak"));
    EXPECT_TRUE(mPak->AddPakFile("game\\data.pak"));
    KpXmlDocument ui = XmlLoadFile("cfg\\ui.xml");
    EXPECT_TRUE(ui);
    mReady = ui && !::testing::Test::HasFailure();
    if (ui)
    {
        KpTextureManager::LoadConfig(ui.Get());
        KpFont::LoadConfig(ui.Get());
    }
}

GameArchives::~GameArchives()
{
    KpFont::Clear();
    KpTextureManager::Clear();
    delete mPak;
}
