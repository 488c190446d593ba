#include "framework/diagnostics/DebugAllocTable.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using Lumo::DebugAllocTable;

namespace
{

std::string gDebugText;
void CollectDebug(const char* text)
{
    gDebugText += text;
}

// The report as written on disk, with the text mode's "\r\n" read back as "\n".
std::string ReadReport(const std::string& name)
{
    std::string bytes = ReadTestFile(name);
    std::string text;
    for (char c : bytes)
        if (c != '\r')
            text += c;
    return text;
}

// The header's first line, checked for its form; returns the text after it.
std::string AfterHeader(const std::string& text)
{
    const std::string start = "Memory Leak Report for ";
    EXPECT_EQ(0u, text.find(start)) << text;
    size_t end = text.find("\n\n");
    EXPECT_NE(std::string::npos, end) << text;
    // asctime's form: "Www Mmm dd hh:mm:ss yyyy".
    EXPECT_EQ(24u, end - start.size()) << text;
    return end == std::string::npos ? "" : text.substr(end + 2);
}

class LeakReport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(mFolder.Enter("lumo_leaks_"));
        gDebugText.clear();
    }
    void TearDown() override { mFolder.Leave(); }
    TempFolder mFolder;
};

TEST_F(LeakReport, ListsEachHeldAllocationOnceInAddressOrderWithTotal)
{
    DebugAllocTable table;
    table.Add((void*)0x3000, 1, "widget.cpp", 7);
    table.Add((void*)0x1000, 4096, "image.cpp", 120);
    table.Add((void*)0x2000, 5, "font.cpp", 33);
    table.Add((void*)0x1000, 2048, "image.cpp", 121); // the same address again: one entry
    table.Remove((void*)0x2000);
    table.Remove((void*)0x9000); // never held: nothing happens
    ASSERT_EQ(2u, table.GetCount());

    ASSERT_TRUE(table.WriteReport("mem_leaks.txt", CollectDebug));
    std::string body = "image.cpp(121) : Leak 2048 bytes\n"
                       "widget.cpp(7) : Leak 1 byte\n" +
                       std::string(59, '-') + "\nTotal Unfreed: 2049 bytes (2KB)\n\n";
    std::string text = ReadReport("mem_leaks.txt");
    EXPECT_EQ(body, AfterHeader(text));
    // The debugger sees a blank line first, then the same text.
    EXPECT_EQ("\n" + text, gDebugText);
}

TEST_F(LeakReport, EmptyTableReportsZeroBytes)
{
    DebugAllocTable table;
    ASSERT_TRUE(table.WriteReport("mem_leaks.txt", CollectDebug));
    EXPECT_EQ(std::string(59, '-') + "\nTotal Unfreed: 0 bytes (0KB)\n\n",
              AfterHeader(ReadReport("mem_leaks.txt")));
}

TEST_F(LeakReport, ReportThatCannotOpenItsFileWritesNothing)
{
    DebugAllocTable table;
    table.Add((void*)0x10, 8, "a.cpp", 1);
    EXPECT_FALSE(table.WriteReport("no_such_folder\\mem_leaks.txt", CollectDebug));
    EXPECT_EQ("", gDebugText);
}

TEST_F(LeakReport, ThreadsAllocatingAndFreeingWhileReportsRunKeepTheTableWhole)
{
    DebugAllocTable table;
    const int kThreads = 4, kEach = 5000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++)
        threads.emplace_back(
            [&table, t]
            {
                // Every thread frees all it allocated except its last 10.
                for (int i = 0; i < kEach; i++)
                {
                    const char* address = (const char*)0x100000 + t * kEach + i;
                    table.Add(address, i, "thread.cpp", t);
                    if (i < kEach - 10)
                        table.Remove(address);
                }
            });
    for (int i = 0; i < 20; i++)
        EXPECT_TRUE(table.WriteReport("mem_leaks.txt", CollectDebug));
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ((size_t)(kThreads * 10), table.GetCount());

    gDebugText.clear();
    ASSERT_TRUE(table.WriteReport("mem_leaks.txt", CollectDebug));
    std::string text = ReadReport("mem_leaks.txt");
    size_t lines = 0;
    for (size_t at = text.find(" : Leak "); at != std::string::npos;
         at = text.find(" : Leak ", at + 1))
        lines++;
    EXPECT_EQ((size_t)(kThreads * 10), lines);
}

} // namespace
