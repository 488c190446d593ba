// Shared set-up of the engine tests: COM on the test thread (the XML readers
// need it) and the developer master switch on, so that warnings reach a log
// file the tests can read.
#pragma once

#include <string>

// Turns the log on into a fresh file in the working folder; returns its name.
std::string StartTestLog();
// The log's text so far ("" when nothing was written).
std::string TestLogText();
// Turns the log off again.
void StopTestLog();
