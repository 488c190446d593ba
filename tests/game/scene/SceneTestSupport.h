// Shared set-up of the scene tests: COM on the test thread (the XML readers
// need it) and the log turned on into a file the tests read for warnings.
#pragma once

#include <string>

#include "game/engine/KpXml.h"

// Turns the log on into a fresh file of the working folder.
void StartSceneLog();
std::string SceneLogText();
void StopSceneLog();
// A document parsed from the text; fails the test when it does not parse.
KpXmlDocument SceneDocument(const std::string& text);
