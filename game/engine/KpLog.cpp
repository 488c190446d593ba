#include "game/engine/KpLog.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "framework/app/StringUtils.h"
#include "game/engine/KpDevOptions.h"

namespace
{
std::mutex gLogFileLock; // guards the file name and the appends
std::string gLogFileName = "velk.log";
LARGE_INTEGER gTimeBase = {};
std::once_flag gTimeBaseOnce;

double SecondsSinceBase()
{
    std::call_once(gTimeBaseOnce, [] { QueryPerformanceCounter(&gTimeBase); });
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - gTimeBase.QuadPart) / double(frequency.QuadPart);
}
} // namespace

void SetLogFileName(const char* fileName)
{
    std::lock_guard<std::mutex> lock(gLogFileLock);
    gLogFileName = fileName;
}

void WriteLog(const char* format, ...)
{
    if (!gDevOptions.IsEnabled())
        return;
    SecondsSinceBase(); // the first line sets the time base
    va_list args;
    va_start(args, format);
    std::string line = Lumo::VFormat(format, args) + "\n";
    va_end(args);

    std::lock_guard<std::mutex> lock(gLogFileLock);
    if (FILE* file = fopen(gLogFileName.c_str(), "ab"))
    {
        fwrite(line.data(), 1, line.size(), file);
        fclose(file);
    }
    OutputDebugStringA(line.c_str());
}

void DebugTrace(const char* format, ...)
{
    if (!gDevOptions.IsEnabled())
        return;
    double seconds = SecondsSinceBase();
    int whole = int(seconds);
    va_list args;
    va_start(args, format);
    std::string text = Lumo::VFormat(format, args);
    va_end(args);
    std::string line = Lumo::StrFormat("[%02d:%02d:%06.3f] %s\n", whole / 60, whole % 60,
                                       seconds - whole, text.c_str());
    OutputDebugStringA(line.c_str());
}
