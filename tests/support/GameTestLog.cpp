#include "tests/support/GameTestLog.h"

#include <windows.h>

#include "game/engine/KpDevOptions.h"
#include "game/engine/KpLog.h"
#include "tests/support/TempFolder.h"

namespace
{
std::string gTestLog;
} // namespace

std::string StartTestLog(const char* fileName)
{
    char folder[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, folder);
    gTestLog = std::string(folder) + "\\" + fileName;
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

KpXmlDocument TestDocument(const std::string& text)
{
    KpXmlDocument document = XmlLoadBytes(text, "test");
    EXPECT_TRUE(document) << text;
    return document;
}
