// The game's log as the tests read it: turned on (the developer master switch)
// into a fresh file of the working folder, read back for warnings, turned off
// again. And COM on the test thread, which the game's XML readers need.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "game/engine/KpXml.h"

// Turns the log on into a fresh file of that name in the working folder; returns its path.
std::string StartTestLog(const char* fileName = "test.log");
// The log's text so far ("" when nothing was written).
std::string TestLogText();
// Turns the log off again.
void StopTestLog();

// A document parsed from the text; fails the test when it does not parse.
KpXmlDocument TestDocument(const std::string& text);

// COM for the whole test program (register with AddGlobalTestEnvironment).
class ComTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};
