#include "framework/app/PakFormat.h"
#include "framework/app/PakInterface.h"
#include "framework/app/PakWriter.h"
#include "tests/support/PakRead.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <direct.h>

#include <string>
#include <vector>

namespace
{
class PakWriterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(mTemp.Enter("lumo_pakw_")); }

    void TearDown() override { mTemp.Leave(); }

    static void SetWriteTime(const std::string& name, uint64_t time)
    {
        HANDLE h =
            CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        FILETIME ft = {DWORD(time), DWORD(time >> 32)};
        EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
        CloseHandle(h);
    }

    static std::string ReadEntry(PakInterface& pak, const char* name)
    {
        PakFile* f = pak.FOpen(name, "rb");
        if (f == nullptr)
            return "<null>";
        EXPECT_NE(nullptr, f->entry) << name << " came from the disk";
        return ReadPakRest(pak, f);
    }

    static PakTable TableOf(const std::string& name)
    {
        std::string bytes = ReadTestFile(name);
        PakTable table;
        EXPECT_TRUE(PakParseTable(reinterpret_cast<const uint8_t*>(bytes.data()),
                                  uint32_t(bytes.size()), "", table));
        return table;
    }

    TempFolder mTemp;
};

std::string Binary()
{
    std::string bytes;
    for (int i = 0; i < 700; ++i)
        bytes.push_back(char((i * 37) ^ 0xA7));
    return bytes + "\r\n\xA7\0";
}
} // namespace

TEST_F(PakWriterTest, ArchiveBytesFollowTheFormatExactly)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(
        PakBuildArchive({{"Cfg/A", 0x1122334455667788ull, "xy"}, {"b", 0, ""}}, bytes, nullptr));
    PakScramble(bytes.data(), bytes.size());
    const uint8_t expected[] = {0xC0, 0x4A, 0xC0, 0xBA, 0,    0,    0,    0,             // header
                                0,    5,    'C',  'f',  'g',  '\\', 'A',  2,    0, 0, 0, // record
                                0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11,          // time
                                0,    1,    'b',  0,    0,    0,    0,    0,    0, 0, 0,
                                0,    0,    0,    0,    0x80, // closing
                                'x',  'y'};
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof(expected)), bytes);
}

TEST_F(PakWriterTest, BadNamesAreRefused)
{
    std::vector<uint8_t> bytes;
    std::string error;
    for (const std::string& name :
         {std::string(""), std::string("..\\x"), std::string("a\\\\b"), std::string("\\lead"),
          std::string("trail\\"), std::string("a\\.\\b"), std::string("c:x"), std::string(256, 'n'),
          std::string("a\0b", 3)})
    {
        error.clear();
        EXPECT_FALSE(PakBuildArchive({{name, 0, "x"}}, bytes, &error)) << name;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(bytes.empty());
    }
    EXPECT_FALSE(PakBuildArchive({{"A.txt", 0, "1"}, {"a.TXT", 0, "2"}}, bytes, &error));
    EXPECT_NE(std::string::npos, error.find("twice"));
    EXPECT_TRUE(PakBuildArchive({{std::string(255, 'n'), 0, "x"}}, bytes, &error));
}

TEST_F(PakWriterTest, FolderRoundTripsThroughTheReader)
{
    CreateDirectoryA("src", nullptr);
    CreateDirectoryA("src\\cfg", nullptr);
    CreateDirectoryA("src\\Images", nullptr);
    CreateDirectoryA("src\\Images\\sub", nullptr);
    CreateDirectoryA("src\\emptydir", nullptr);
    WriteTestFile("src\\readme.txt", "line one\r\nline two\n");
    WriteTestFile("src\\cfg\\ui.xml", "<ui/>");
    WriteTestFile("src\\Images\\sub\\b.png", Binary());
    WriteTestFile("src\\Images\\a.png", "");
    SetWriteTime("src\\cfg\\ui.xml", 0x01D0000012345678ull);
    std::string error;
    ASSERT_TRUE(PakWriteFolder("src\\", "data.pak", &error)) << error;
    EXPECT_EQ("<missing>", ReadTestFile("data.pak.tmp"));

    // Key order, names relative to the folder with their letter case.
    PakTable table = TableOf("data.pak");
    std::vector<std::string> names;
    for (const PakTableRecord& r : table.records)
        names.push_back(r.name);
    EXPECT_EQ((std::vector<std::string>{"cfg\\ui.xml", "Images\\a.png", "Images\\sub\\b.png",
                                        "readme.txt"}),
              names);

    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    EXPECT_EQ("line one\r\nline two\n", ReadEntry(pak, "readme.txt"));
    EXPECT_EQ("<ui/>", ReadEntry(pak, "CFG/UI.XML"));
    EXPECT_EQ(Binary(), ReadEntry(pak, "images\\sub\\b.png"));
    EXPECT_EQ("", ReadEntry(pak, "images\\a.png"));

    WIN32_FIND_DATAA data;
    HANDLE find = pak.FindFirst("cfg\\*.xml", &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    EXPECT_STREQ("ui.xml", data.cFileName);
    EXPECT_EQ(0x12345678u, data.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(0x01D00000u, data.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(5u, data.nFileSizeLow);
    pak.FindClose(find);
}

TEST_F(PakWriterTest, ArchiveInsideTheFolderIsLeftOut)
{
    CreateDirectoryA("src", nullptr);
    WriteTestFile("src\\a.txt", "a");
    std::string error;
    ASSERT_TRUE(PakWriteFolder("src", "src\\self.pak", &error)) << error;
    // A second run finds the first archive in the folder and still leaves it out.
    ASSERT_TRUE(PakWriteFolder("src", "src\\self.pak", &error)) << error;
    PakTable table = TableOf("src\\self.pak");
    ASSERT_EQ(1u, table.records.size());
    EXPECT_EQ("a.txt", table.records[0].name);
}

TEST_F(PakWriterTest, FailedWriteKeepsThePreviousArchive)
{
    WriteTestFile("data.pak", "previous");
    std::string error;
    EXPECT_FALSE(PakWriteFolder("no_such_folder", "data.pak", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ("previous", ReadTestFile("data.pak"));
    EXPECT_EQ("<missing>", ReadTestFile("data.pak.tmp"));

    // An output folder that does not exist: nothing is written anywhere.
    CreateDirectoryA("src", nullptr);
    WriteTestFile("src\\a.txt", "a");
    EXPECT_FALSE(PakWriteFolder("src", "missing\\data.pak", &error));
    EXPECT_EQ("<missing>", ReadTestFile("missing\\data.pak"));
}

TEST_F(PakWriterTest, EmptyFolderGivesAnEmptyArchive)
{
    CreateDirectoryA("src", nullptr);
    std::string error;
    ASSERT_TRUE(PakWriteFolder("src", "empty.pak", &error)) << error;
    EXPECT_EQ(9u, ReadTestFile("empty.pak").size());
    PakInterface pak;
    EXPECT_TRUE(pak.AddPakFile("empty.pak"));
}
