// Shared set-up of the scene tests: COM on the test thread (the XML readers
// need it) and the log turned on into a file the tests read for warnings.
#pragma once

#include <string>

#include "game/engine/KpXml.h"
#include "tests/support/GameTestLog.h"

// Turns the log on into a fresh file of the working folder.
inline void StartSceneLog()
{
    StartTestLog("scene-test.log");
}
inline std::string SceneLogText()
{
    return TestLogText();
}
inline void StopSceneLog()
{
    StopTestLog();
}
// A document parsed from the text; fails the test when it does not parse.
inline KpXmlDocument SceneDocument(const std::string& text)
{
    return TestDocument(text);
}
