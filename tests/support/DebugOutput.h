#pragma once
// Collects the debugger output of this process while it lives. The system's
// OutputDebugString raises an exception that a debugger would take; a
// vectored handler sees it first, copies the text and passes it on, so the
// output still reaches a debugger or the system as before.

#include <windows.h>

#include <mutex>
#include <string>

class DebugOutputCapture
{
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    // Everything written since construction, narrow text as given.
    std::string Text();

private:
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers);

    static DebugOutputCapture* sActive;
    PVOID mHandler = nullptr;
    std::mutex mTextLock; // the output may come from any thread
    std::string mText;
};
