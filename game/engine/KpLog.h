// The game's log: "velk.log" beside the executable and the debugger output.
// Both calls write only while the developer master switch is on, so a shipped
// run writes no file and pays one test per call. Loaders report the elements
// they skip through WriteLog with lines that begin "WARNING: ".
#pragma once

// Appends one formatted line (a line feed is added) to "velk.log" and sends it
// to the debugger output.
void WriteLog(const char* format, ...);

// Sends "[mm:ss:ff.fff] text\n" to the debugger output: minutes and seconds
// since the log's time base (the first log call), then the fraction of the
// second.
void DebugTrace(const char* format, ...);

// The log file's name; tests point it elsewhere.
void SetLogFileName(const char* fileName);
