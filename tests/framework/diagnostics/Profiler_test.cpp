#include "framework/diagnostics/PerfTimer.h"
#include "framework/diagnostics/Profiler.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using namespace Lumo;

namespace
{

// A clock the test drives: the performance counter steps by one at every read
// (1000 per second), and the time-stamp counter is the test's own value plus
// 1000 ticks per counter step, so calibration finds 1,000,000 ticks a second
// and one tick is a microsecond.
struct TestClock
{
    static int64_t counter;
    static int64_t frequency;
    static uint64_t stamp;
    static int64_t Counter() { return ++counter; }
    static int64_t Frequency() { return frequency; }
    static uint64_t TimeStamp() { return stamp + (uint64_t)counter * 1000; }
};
int64_t TestClock::counter = 0;
int64_t TestClock::frequency = 1000;
uint64_t TestClock::stamp = 0;

class Profiler : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestClock::counter = 0;
        TestClock::frequency = 1000;
        TestClock::stamp = 0;
        static const PerfClock clock = {TestClock::Counter, TestClock::Frequency,
                                        TestClock::TimeStamp};
        SetPerfClock(&clock);
    }
    void TearDown() override
    {
        if (IsProfiling())
            ProfileStop();
        SetPerfClock(nullptr);
    }

    // A zone from `from` to `to` microseconds.
    static void Zone(const char* name, uint64_t from, uint64_t to)
    {
        TestClock::stamp = from;
        ProfileZoneBegin(name);
        TestClock::stamp = to;
        ProfileZoneEnd(name);
    }
};

TEST_F(Profiler, ReportListsZonesByNameWithShareAverageAndLongest)
{
    ProfileStart(false);
    Zone("LumoAppBase::Redraw", 1000, 3000);
    Zone("DoWork", 3000, 4000);
    Zone("dowork", 4000, 7000); // letter case ignored: the same zone
    TestClock::stamp = 10000;
    ProfileStop();

    EXPECT_FALSE(IsProfiling());
    EXPECT_EQ("Total Time: 10.00\n"
              "DoWork (2 calls, %40.00 time): 4.00 (2.00 avg, 3.00 longest)\n"
              "LumoAppBase::Redraw (1 calls, %20.00 time): 2.00 (2.00 avg, 2.00 longest)\n",
              ProfileReport());
}

TEST_F(Profiler, NestedBeginsCountCallsButTimeOnlyTheOutermostInterval)
{
    ProfileStart(false);
    TestClock::stamp = 100;
    ProfileZoneBegin("Recurse");
    TestClock::stamp = 200;
    ProfileZoneBegin("Recurse");
    ProfileZoneBegin("Inner");
    TestClock::stamp = 300;
    ProfileZoneBegin("Recurse");
    ProfileZoneEnd("Recurse");
    ProfileZoneEnd("Inner");
    ProfileZoneEnd("Recurse");
    // Nothing is folded while a zone is open.
    EXPECT_TRUE(GetProfileZones().empty());
    TestClock::stamp = 600;
    ProfileZoneEnd("Recurse");
    ProfileStop();

    std::vector<ProfileZoneStats> zones = GetProfileZones();
    ASSERT_EQ(2u, zones.size());
    EXPECT_EQ("Inner", zones[0].name);
    EXPECT_EQ(1, zones[0].calls);
    EXPECT_EQ(100, zones[0].totalTicks);
    EXPECT_EQ("Recurse", zones[1].name);
    EXPECT_EQ(3, zones[1].calls);
    EXPECT_EQ(500, zones[1].totalTicks);
    EXPECT_DOUBLE_EQ(0.5, zones[1].totalMs);
    EXPECT_DOUBLE_EQ(0.5, zones[1].longestMs);
}

TEST_F(Profiler, NamesThatDifferInMoreThanCaseAreSeparateZones)
{
    ProfileStart(false);
    Zone("ResourceManager::GetImage", 0, 10);
    Zone("ResourceManager:GetImage", 10, 30);
    Zone("RESOURCEMANAGER::GETIMAGE", 30, 60);
    ProfileStop();
    std::vector<ProfileZoneStats> zones = GetProfileZones();
    ASSERT_EQ(2u, zones.size());
    EXPECT_EQ("ResourceManager::GetImage", zones[0].name);
    EXPECT_EQ(2, zones[0].calls);
    EXPECT_EQ(40, zones[0].totalTicks);
    EXPECT_EQ(1, zones[1].calls);
}

TEST_F(Profiler, ZonesStillOpenAtStopAreCountedMarkedAndAddNoTime)
{
    ProfileStart(false);
    TestClock::stamp = 0;
    ProfileZoneBegin("Outer");
    Zone("Inner", 100, 300);
    TestClock::stamp = 1000;
    ProfileStop();
    // Its end after the stop changes nothing.
    ProfileZoneEnd("Outer");

    EXPECT_EQ("Total Time: 1.00\n"
              "Inner (1 calls, %20.00 time): 0.20 (0.20 avg, 0.20 longest)\n"
              "Outer (1 calls, %0.00 time): 0.00 (0.00 avg, 0.00 longest) [open]\n",
              ProfileReport());
}

TEST_F(Profiler, EmptyOrTimelessRunsReportWithoutDividingByZero)
{
    ProfileStart(false);
    ProfileStop();
    EXPECT_EQ("Total Time: 0.00\n", ProfileReport());

    TestClock::stamp = 500;
    ProfileStart(false);
    ProfileZoneBegin("Instant");
    ProfileZoneEnd("Instant");
    ProfileStop();
    EXPECT_EQ("Total Time: 0.00\nInstant (1 calls, %0.00 time): 0.00 (0.00 avg, 0.00 longest)\n",
              ProfileReport());
}

TEST_F(Profiler, ZonesOutsideARunOrOnOtherThreadsAreNotCounted)
{
    ProfileZoneBegin("BeforeStart");
    ProfileZoneBegin("Straddling"); // begun before the start, ended during the run
    ProfileZoneEnd("BeforeStart");
    ProfileStart(false);
    EXPECT_TRUE(IsProfiling());
    ProfileZoneEnd("Straddling");
    std::thread loader([] { Zone("LoadingThread", 0, 100); });
    loader.join();
    Zone("Counted", 100, 200);
    ProfileStop();
    Zone("AfterStop", 300, 400);

    std::vector<ProfileZoneStats> zones = GetProfileZones();
    ASSERT_EQ(1u, zones.size());
    EXPECT_EQ("Counted", zones[0].name);

    // Started but kept off: nothing is recorded.
    ProfileStart(true);
    EXPECT_FALSE(IsProfiling());
    Zone("KeptOff", 0, 10);
    ProfileStop();
    EXPECT_TRUE(GetProfileZones().empty());
}

TEST_F(Profiler, StartClearsTheTableOfTheRunBefore)
{
    ProfileStart(false);
    Zone("First", 0, 10);
    ProfileStop();
    ProfileStart(false);
    Zone("Second", 20, 30);
    ProfileStop();
    std::vector<ProfileZoneStats> zones = GetProfileZones();
    ASSERT_EQ(1u, zones.size());
    EXPECT_EQ("Second", zones[0].name);
}

TEST_F(Profiler, CpuSpeedIsCalibratedOnceAgainstTheCounter)
{
    EXPECT_EQ(1000000, PerfTimer::GetCpuSpeed());
    int64_t reads = TestClock::counter;
    EXPECT_EQ(1000000, PerfTimer::GetCpuSpeed());
    EXPECT_EQ(reads, TestClock::counter);
}

TEST_F(Profiler, MachineWithoutPerformanceCounterGetsRateOne)
{
    TestClock::frequency = 0;
    EXPECT_EQ(1, PerfTimer::GetCpuSpeed());
    PerfTimer timer;
    timer.Start();
    EXPECT_EQ(0.0, timer.GetDuration());
}

TEST_F(Profiler, PerfTimerMeasuresMillisecondsOnTheCounter)
{
    PerfTimer timer;
    EXPECT_EQ(0.0, timer.GetDuration());
    timer.Start(); // counter 1
    TestClock::counter += 249;
    EXPECT_DOUBLE_EQ(250.0, timer.GetDuration()); // read at 251, still running
    TestClock::counter += 99;
    timer.Stop(); // read at 351
    TestClock::counter += 1000;
    EXPECT_DOUBLE_EQ(350.0, timer.GetDuration());
    timer.Stop();
    EXPECT_DOUBLE_EQ(350.0, timer.GetDuration());
}

TEST_F(Profiler, SectionDepthNeverGoesBelowZero)
{
    int start = GetSectionDepth();
    ChangeSectionDepth(false);
    EXPECT_EQ(start + 1, GetSectionDepth());
    for (int i = 0; i < start + 3; i++)
        ChangeSectionDepth(true);
    EXPECT_EQ(0, GetSectionDepth());
}

} // namespace
