#include "tests/game/scene/SceneTestSupport.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "game/engine/KpDevOptions.h"
#include "game/engine/KpLog.h"
#include "tests/support/TempFolder.h"

namespace
{
class ComEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};
::testing::Environment* const gCom = ::testing::AddGlobalTestEnvironment(new ComEnvironment);
std::string gLog;
} // namespace

void StartSceneLog()
{
    char folder[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, folder);
    gLog = std::string(folder) + "\\scene-test.log";
    DeleteFileA(gLog.c_str());
    SetLogFileName(gLog.c_str());
    gDevOptions.mEnabled = true;
}

std::string SceneLogText()
{
    std::string text = ReadTestFile(gLog);
    return text == "<missing>" ? std::string() : text;
}

void StopSceneLog()
{
    gDevOptions.mEnabled = false;
    SetLogFileName("velk.log");
}

KpXmlDocument SceneDocument(const std::string& text)
{
    KpXmlDocument document = XmlLoadBytes(text, "test");
    EXPECT_TRUE(document) << text;
    return document;
}
