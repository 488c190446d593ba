#include "tests/game/screens/comix/ComixTestSupport.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "game/engine/KpDevOptions.h"
#include "game/engine/KpLog.h"
#include "game/screens/KpComix.h"
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

std::string gLog;
} // namespace

void LoadComixText(KpComix& comix, const std::string& comixElements)
{
    KpXmlDocument document = XmlLoadBytes("<comixes>" + comixElements + "</comixes>", "test");
    ASSERT_TRUE(document) << comixElements;
    KpXmlNode element = XmlSelectNode(document.Get(), L"comixes/comix");
    ASSERT_TRUE(element) << comixElements;
    comix.LoadComix(element.Get());
}

void StartComixLog()
{
    char folder[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, folder);
    gLog = std::string(folder) + "\\comix-test.log";
    DeleteFileA(gLog.c_str());
    SetLogFileName(gLog.c_str());
    gDevOptions.mEnabled = true;
}

std::string ComixLogText()
{
    std::string text = ReadTestFile(gLog);
    return text == "<missing>" ? std::string() : text;
}

void StopComixLog()
{
    gDevOptions.mEnabled = false;
    SetLogFileName("velk.log");
}
