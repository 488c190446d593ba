// The host (Linux) side of a program a benchmark started under Wine: its
// process in the host's process table, found by a tag the benchmark gives it
// as the first token of its command line (Wine shows a process's Windows
// command line as its host command line; the programs skip that token), and
// the processor time all its threads used. Wine answers GetProcessTimes for another process with
// the times it had at its start, so the host's table is read instead (through Wine's Z: drive).
// Other copies of the same program on the machine (other benchmarks, tests, a player) carry no tag
// or another one and are never taken.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace BenchHost
{

inline std::string ReadHostFile(const std::string& path)
{
    std::string text;
    if (FILE* file = fopen(path.c_str(), "rb"))
    {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
            text.append(buffer, n);
        fclose(file);
    }
    return text;
}

// A command name no earlier or parallel run shares: this process's id, a
// counter and the tick count.
inline std::string NewTag()
{
    static int counter = 0;
    char tag[64];
    snprintf(tag, sizeof(tag), "lumo-bench-%lu-%d-%lu", GetCurrentProcessId(), ++counter,
             GetTickCount());
    return tag;
}

// The host process folder ("Z:\proc\<pid>") whose command line starts with
// the tag (quoted or not), or empty.
inline std::string FindByTag(const std::string& tag)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return "";
    std::string found;
    do
    {
        if (data.cFileName[0] < '0' || data.cFileName[0] > '9')
            continue;
        std::string folder = std::string("Z:\\proc\\") + data.cFileName;
        std::string line = ReadHostFile(folder + "\\cmdline");
        size_t start = !line.empty() && line[0] == '"' ? 1 : 0;
        if (line.compare(start, tag.size(), tag) != 0)
            continue;
        char after = start + tag.size() < line.size() ? line[start + tag.size()] : 0;
        if (after != 0 && after != '"' && after != ' ')
            continue;
        found = folder;
        break;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

// Waits (bounded) until the tagged process shows in the host's table.
inline std::string WaitForTag(const std::string& tag, int boundMs)
{
    for (int waited = 0; waited < boundMs; waited += 50)
    {
        std::string folder = FindByTag(tag);
        if (!folder.empty())
            return folder;
        Sleep(50);
    }
    return "";
}

// Utime plus stime of one /proc stat text, in seconds; negative when unreadable.
inline double StatSeconds(const std::string& stat)
{
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    unsigned long utime = 0, stime = 0;
    if (sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
               &utime, &stime) != 2)
        return -1.0;
    return double(utime + stime) / 100.0;
}

// User plus system time of every thread of the host process, in seconds;
// negative when the process is gone.
inline double CpuSeconds(const std::string& hostProcess)
{
    return StatSeconds(ReadHostFile(hostProcess + "\\stat"));
}

inline double WallSeconds()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

// Processor seconds of a host process's threads in three groups: its main
// thread (the game's drawing and logic, and what Wine does on its behalf),
// Mesa's software rasterizer threads (named "llvmpipe-<n>": the pixels of
// every present) and the rest (sound, the cursor thread, Wine's helpers).
struct ThreadSeconds
{
    double main = 0.0, rasterizer = 0.0, other = 0.0;
    bool valid = false;
};

inline ThreadSeconds ThreadSecondsOf(const std::string& hostProcess)
{
    ThreadSeconds t;
    size_t slash = hostProcess.rfind('\\');
    if (slash == std::string::npos)
        return t;
    const std::string pid = hostProcess.substr(slash + 1);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((hostProcess + "\\task\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return t;
    do
    {
        if (data.cFileName[0] < '0' || data.cFileName[0] > '9')
            continue;
        std::string task = hostProcess + "\\task\\" + data.cFileName;
        double seconds = StatSeconds(ReadHostFile(task + "\\stat"));
        if (seconds < 0.0)
            continue; // the thread ended meanwhile
        t.valid = true;
        if (pid == data.cFileName)
            t.main += seconds;
        else if (ReadHostFile(task + "\\comm").compare(0, 9, "llvmpipe-") == 0)
            t.rasterizer += seconds;
        else
            t.other += seconds;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return t;
}

// Percent of one core the host process used over the next `seconds`; -1 when
// it could not be read. With `split`, also its threads' shares by group
// (left invalid when they could not be read).
inline double CpuPercentOver(const std::string& hostProcess, double seconds,
                             ThreadSeconds* split = nullptr)
{
    ThreadSeconds threads0 = split ? ThreadSecondsOf(hostProcess) : ThreadSeconds();
    double cpu0 = CpuSeconds(hostProcess), wall0 = WallSeconds();
    Sleep(DWORD(seconds * 1000.0));
    double cpu1 = CpuSeconds(hostProcess), wall1 = WallSeconds();
    if (hostProcess.empty() || cpu0 < 0.0 || cpu1 < cpu0)
        return -1.0;
    double wall = wall1 - wall0;
    if (split)
    {
        ThreadSeconds threads1 = ThreadSecondsOf(hostProcess);
        *split = ThreadSeconds();
        if (threads0.valid && threads1.valid)
        {
            // A thread that ended meanwhile drops out of its group: no share below zero.
            split->main = std::max(0.0, threads1.main - threads0.main) / wall * 100.0;
            split->rasterizer =
                std::max(0.0, threads1.rasterizer - threads0.rasterizer) / wall * 100.0;
            split->other = std::max(0.0, threads1.other - threads0.other) / wall * 100.0;
            split->valid = true;
        }
    }
    return (cpu1 - cpu0) / wall * 100.0;
}

} // namespace BenchHost
