#include "tests/support/DebugOutput.h"

#include <cstring>

// Raised by OutputDebugStringA with the length (terminator included) and the text.
static const DWORD kDebugPrintException = 0x40010006;

DebugOutputCapture* DebugOutputCapture::sActive = nullptr;

DebugOutputCapture::DebugOutputCapture()
{
    sActive = this;
    mHandler = AddVectoredExceptionHandler(1, OnException);
}

DebugOutputCapture::~DebugOutputCapture()
{
    RemoveVectoredExceptionHandler(mHandler);
    sActive = nullptr;
}

std::string DebugOutputCapture::Text()
{
    std::lock_guard<std::mutex> lock(mTextLock);
    return mText;
}

LONG CALLBACK DebugOutputCapture::OnException(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    DebugOutputCapture* self = sActive;
    if (self && record->ExceptionCode == kDebugPrintException && record->NumberParameters >= 2)
    {
        const char* text = (const char*)record->ExceptionInformation[1];
        size_t length = (size_t)record->ExceptionInformation[0];
        if (text)
        {
            std::lock_guard<std::mutex> lock(self->mTextLock);
            self->mText.append(text, strnlen(text, length));
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
