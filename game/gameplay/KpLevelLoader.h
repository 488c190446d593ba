// Loads one level file on a thread of its own, so that the load screen stays
// on view meanwhile. The thread reads into level data of its own; the main
// thread polls IsDone and then takes the data, which joins the thread first,
// so the main thread never sees half-read data. A new Start, and the
// destructor, join the thread before anything is reused.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

struct KpLevelData;

class KpLevelLoader
{
public:
    KpLevelLoader() = default;
    ~KpLevelLoader();
    KpLevelLoader(const KpLevelLoader&) = delete;
    KpLevelLoader& operator=(const KpLevelLoader&) = delete;

    // Starts reading the level's file (a load still running is joined and
    // dropped first). False when the thread could not start; the result then
    // says why.
    bool Start(int level, bool endless);
    // A load was started and its result not taken yet.
    bool IsBusy() const { return mBusy; }
    // The thread has finished (a busy loader only).
    bool IsDone() const { return mDone.load(std::memory_order_acquire); }
    // Joins the thread and hands over the level (owned by the caller), or
    // null with the reason in `error`. Warnings of skipped elements go to
    // `warnings`.
    KpLevelData* Take(std::string& error, std::vector<std::string>& warnings);
    // Waits for a running thread and drops its result.
    void Cancel();

private:
    static unsigned __stdcall ThreadMain(void* self);
    void Join();

    HANDLE mThread = nullptr;
    bool mBusy = false;
    std::atomic<bool> mDone{false};
    // Written by the thread before mDone, read by the main thread after the join.
    int mLevel = 0;
    bool mEndless = false;
    KpLevelData* mData = nullptr;
    std::string mError;
    std::vector<std::string> mWarnings;
};
