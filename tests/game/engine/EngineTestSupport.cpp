#include "tests/game/engine/EngineTestSupport.h"

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

::testing::Environment* const gComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

std::string gTestLog;
} // namespace

std::string StartTestLog()
{
    char folder[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, folder);
    gTestLog = std::string(folder) + "\\test.log";
    DeleteFileA(gTestLog.c_str());
    SetLogFileName(gTestLog.c_str());
    gDevOptions.mEnabled = true;
    return gTestLog;
}

std::string TestLogText()
{
    std::string text = ReadTestFile(gTestLog);
    return text == "<missing>" ? std::string() : text;
}

void StopTestLog()
{
    gDevOptions.mEnabled = false;
    SetLogFileName("velk.log");
}
