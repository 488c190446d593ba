// Shared set-up of the UI tests: COM, the game's archives of the build
// (game\data.pak and game\loc.pak, read from the build folder the tests run
// in) with the textures, fonts, texts and effects they hold, and the log on
// into a file the tests read for warnings.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "game/engine/KpXml.h"
#include "tests/support/GameTestLog.h"

// The "ui" element of the packed cfg\ui.xml (loaded once).
IXMLDOMNode* UiLayoutRoot();
// A document parsed from the text; fails the test when it does not parse.
inline KpXmlDocument UiDocument(const std::string& text)
{
    return TestDocument(text);
}

inline void StartUiLog()
{
    StartTestLog("ui-test.log");
}
inline std::string UiLogText()
{
    return TestLogText();
}
inline void StopUiLog()
{
    StopTestLog();
}
