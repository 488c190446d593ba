// Shared set-up of the engine tests: COM on the test thread (the XML readers
// need it) and the developer master switch on, so that warnings reach a log
// file the tests can read (StartTestLog, TestLogText, StopTestLog).
#pragma once

#include "tests/support/GameTestLog.h"
