// Shared set-up of the comic tests: COM on the test thread (the XML readers
// need it), comic documents made from text, and the log on into a file the
// tests read for the loader's warnings.
#pragma once

#include <string>

#include "game/engine/KpXml.h"
#include "tests/support/GameTestLog.h"

class KpComix;

// The first "comixes/comix" of the text, loaded into the comic (not cleared first).
void LoadComixText(KpComix& comix, const std::string& comixElements);

inline void StartComixLog()
{
    StartTestLog("comix-test.log");
}
inline std::string ComixLogText()
{
    return TestLogText();
}
inline void StopComixLog()
{
    StopTestLog();
}
