#include "framework/app/PakFormat.h"
#include "framework/app/PakInterface.h"
#include "framework/app/PakWriter.h"
#include "tests/support/DebugOutput.h"
#include "tests/support/PakRead.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <direct.h>

#include <cstring>
#include <memory>
#include <random>
#include <set>

namespace
{
// Each test runs in a fresh temporary folder made the working folder, because the
// archives are registered by names relative to it.
class PakInterfaceTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(mTemp.Enter("lumo_pak_")); }

    void TearDown() override { mTemp.Leave(); }

    static void WriteFile(const std::string& name, const std::string& bytes)
    {
        std::string dir = name.substr(0, name.find_last_of("\\/") + 1);
        if (!dir.empty())
            CreateDirectoryA(dir.c_str(), nullptr);
        WriteTestFile(name, bytes);
    }

    static void WritePak(const std::string& name, const std::vector<PakWriterEntry>& entries)
    {
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(PakBuildArchive(entries, bytes, &error)) << error;
        WriteFile(name, std::string(bytes.begin(), bytes.end()));
    }

    // Whole contents of a file opened through the reader; "<null>" when it does not open.
    static std::string ReadAll(PakInterface& pak, const char* name, const char* mode = "rb")
    {
        PakFile* f = pak.FOpen(name, mode);
        if (f == nullptr)
            return "<null>";
        return ReadPakRest(pak, f);
    }

    // Names a search reports, in order.
    static std::vector<std::string> Search(PakInterface& pak, const char* pattern)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = pak.FindFirst(pattern, &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(data.cFileName);
        while (pak.FindNext(find, &data));
        EXPECT_TRUE(pak.FindClose(find));
        return names;
    }

    TempFolder mTemp;
};

PakInterfaceBase* PublishedInBlock()
{
    char name[64];
    sprintf(name, "gPakInterfaceP_%lu", GetCurrentProcessId());
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (mapping == nullptr)
        return reinterpret_cast<PakInterfaceBase*>(-1);
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(void*));
    PakInterfaceBase* value = *static_cast<PakInterfaceBase**>(view);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return value;
}
} // namespace

TEST_F(PakInterfaceTest, LaterArchiveWinsAndArchiveBeatsDisk)
{
    WritePak("loc.pak", {{"shared.txt", 1, "loc"}, {"loconly.txt", 1, "L"}});
    WritePak("data.pak", {{"shared.txt", 2, "data"}, {"both.txt", 2, "data"}});
    WritePak("mod.pak", {{"both.txt", 3, "mod"}});
    WriteFile("shared.txt", "disk");
    WriteFile("loose.txt", "loose");
    PakInterface pak;
    EXPECT_TRUE(pak.AddPakFile("loc.pak"));
    EXPECT_TRUE(pak.AddPakFile("data.pak"));
    EXPECT_TRUE(pak.AddPakFile("mod.pak"));
    EXPECT_FALSE(pak.AddPakFile("missing.pak"));

    EXPECT_EQ("data", ReadAll(pak, "shared.txt"));
    EXPECT_EQ("mod", ReadAll(pak, "both.txt"));
    EXPECT_EQ("L", ReadAll(pak, "loconly.txt"));
    EXPECT_EQ("loose", ReadAll(pak, "loose.txt"));
    EXPECT_EQ("<null>", ReadAll(pak, "nowhere.txt"));
}

TEST_F(PakInterfaceTest, OnlyReadModesLookInArchives)
{
    WritePak("data.pak", {{"a.txt", 1, "archived"}});
    WriteFile("a.txt", "disk");
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    EXPECT_EQ("archived", ReadAll(pak, "a.txt", "r"));
    EXPECT_EQ("archived", ReadAll(pak, "a.txt", "RB"));
    EXPECT_EQ("archived", ReadAll(pak, "a.txt", "rt"));
    EXPECT_EQ("disk", ReadAll(pak, "a.txt", "r+"));
    EXPECT_EQ("disk", ReadAll(pak, "a.txt", "rb+"));

    PakFile* f = pak.FOpen("a.txt", "a");
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(nullptr, f->entry);
    pak.FClose(f);
    f = pak.FOpen("a.txt", "wb");
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(nullptr, f->entry);
    pak.FClose(f);
    EXPECT_EQ("archived", ReadAll(pak, "a.txt"));
    EXPECT_EQ("", ReadAll(pak, "a.txt", "r+")); // the write mode truncated the disk file
    EXPECT_EQ(nullptr, pak.FOpen(nullptr, "rb"));
    EXPECT_EQ(nullptr, pak.FOpenAlt("a.txt", "rb"));
}

TEST_F(PakInterfaceTest, NameSpellingsOpenOneEntry)
{
    WritePak("data.pak", {{"DATA\\FONTS\\A.TXT", 1, "font"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    std::string drivePath = mTemp.Path() + "\\data\\fonts\\a.txt";
    for (char& c : drivePath)
        c = char(tolower(c));
    for (const char* name :
         {"Data/Fonts/a.txt", "DATA\\FONTS\\A.TXT", "data//fonts//a.txt",
          "data\\x\\..\\fonts\\a.txt", "x\\..\\data\\fonts\\a.txt", drivePath.c_str()})
        EXPECT_EQ("font", ReadAll(pak, name)) << name;
}

TEST_F(PakInterfaceTest, OverlongNameIsNotCutToAnEntry)
{
    std::string longest(255, 'n');
    WritePak("data.pak", {{longest, 1, "long"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    EXPECT_EQ("long", ReadAll(pak, longest.c_str()));
    EXPECT_EQ("<null>", ReadAll(pak, (longest + "n").c_str()));
}

TEST_F(PakInterfaceTest, ArchiveOwnEntryServesWholeArchiveDescrambled)
{
    WritePak("data.pak", {{"a", 1, "x"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    std::string whole = ReadAll(pak, "DATA.PAK");
    ASSERT_GE(whole.size(), 8u);
    uint32_t magic;
    memcpy(&magic, whole.data(), 4);
    EXPECT_EQ(kPakMagic, magic);
}

TEST_F(PakInterfaceTest, NameThatNormalisationChangesDoesNotRegister)
{
    CreateDirectoryA("sub", nullptr);
    WritePak("sub\\data.pak", {{"a", 1, "x"}});
    PakInterface pak;
    EXPECT_FALSE(pak.AddPakFile("sub/data.pak"));
    EXPECT_EQ("<null>", ReadAll(pak, "a"));
    EXPECT_TRUE(pak.AddPakFile("sub\\data.pak"));
    EXPECT_EQ("x", ReadAll(pak, "a"));
}

TEST_F(PakInterfaceTest, StreamReadsSkipCarriageReturns)
{
    WritePak("data.pak", {{"crlf", 1, "A\r\nB"},
                          {"lines", 1, "AB\n"},
                          {"wide", 1, std::string("a\0\r\0b\0\n\0c\0z", 11)},
                          {"cr", 1, "\r\r"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));

    PakFile* f = pak.FOpen("crlf", "rb");
    EXPECT_EQ('A', pak.FGetC(f));
    EXPECT_EQ('\n', pak.FGetC(f));
    EXPECT_EQ('B', pak.FGetC(f));
    EXPECT_EQ(-1, pak.FGetC(f));
    EXPECT_NE(0, pak.FEof(f));
    pak.FClose(f);

    f = pak.FOpen("cr", "rb");
    EXPECT_EQ(-1, pak.FGetC(f)); // the end came while skipping
    pak.FClose(f);

    f = pak.FOpen("lines", "rb");
    char text[8];
    ASSERT_NE(nullptr, pak.FGetS(text, 2, f));
    EXPECT_STREQ("A", text);
    ASSERT_NE(nullptr, pak.FGetS(text, 2, f));
    EXPECT_STREQ("B", text);
    ASSERT_NE(nullptr, pak.FGetS(text, 2, f));
    EXPECT_STREQ("\n", text);
    memset(text, 'q', sizeof(text));
    EXPECT_EQ(nullptr, pak.FGetS(text, 2, f));
    EXPECT_EQ('q', text[0]); // nothing written at the end
    pak.FClose(f);

    f = pak.FOpen("crlf", "rb");
    ASSERT_NE(nullptr, pak.FGetS(text, sizeof(text), f));
    EXPECT_STREQ("A\n", text); // the carriage return is dropped, the line feed kept
    ASSERT_NE(nullptr, pak.FGetS(text, sizeof(text), f));
    EXPECT_STREQ("B", text);
    pak.FClose(f);

    f = pak.FOpen("wide", "rb");
    EXPECT_EQ(L'a', pak.FGetWC(f));
    EXPECT_EQ(L'b', pak.FGetWC(f));
    pak.FSeek(f, 0, SEEK_SET);
    wchar_t wide[8];
    ASSERT_NE(nullptr, pak.FGetWS(wide, 8, f));
    EXPECT_STREQ(L"ab\n", wide);
    EXPECT_EQ(L'c', pak.FGetWC(f));
    // One byte left: no character, and reading it reaches the end.
    EXPECT_EQ(0, pak.FEof(f));
    EXPECT_EQ(0xFFFF, pak.FGetWC(f));
    EXPECT_NE(0, pak.FEof(f));
    pak.FSeek(f, -3, SEEK_END);
    ASSERT_NE(nullptr, pak.FGetWS(wide, 8, f));
    EXPECT_STREQ(L"c", wide);
    EXPECT_EQ(nullptr, pak.FGetWS(wide, 8, f));
    pak.FClose(f);
}

TEST_F(PakInterfaceTest, NonPositiveLineSizeWritesNothing)
{
    WritePak("data.pak", {{"lines", 1, "AB\n"}});
    WriteFile("disk.txt", "AB\n");
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    for (const char* name : {"lines", "disk.txt"})
    {
        PakFile* f = pak.FOpen(name, "rb");
        ASSERT_NE(nullptr, f);
        char text[4] = {'q', 'q', 'q', 'q'};
        wchar_t wide[2] = {L'q', L'q'};
        EXPECT_EQ(nullptr, pak.FGetS(text, 0, f));
        EXPECT_EQ(nullptr, pak.FGetS(text, -5, f));
        EXPECT_EQ(nullptr, pak.FGetWS(wide, 0, f));
        EXPECT_EQ('q', text[0]);
        EXPECT_EQ(L'q', wide[0]);
        EXPECT_EQ(0, pak.FTell(f));
        pak.FClose(f);
    }
    // Size 1 stores only the terminator and reads nothing.
    PakFile* f = pak.FOpen("lines", "rb");
    char text[2] = {'q', 'q'};
    ASSERT_EQ(text, pak.FGetS(text, 1, f));
    EXPECT_EQ(0, text[0]);
    EXPECT_EQ(0, pak.FTell(f));
    pak.FClose(f);
}

TEST_F(PakInterfaceTest, SeekClampsAndShortReadsCountWholeElements)
{
    WritePak("data.pak", {{"ten", 1, "0123456789"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    PakFile* f = pak.FOpen("ten", "rb");
    EXPECT_EQ(0, pak.FSeek(f, -5, SEEK_SET));
    EXPECT_EQ(0, pak.FTell(f));
    EXPECT_EQ(0, pak.FSeek(f, 0, SEEK_END));
    EXPECT_EQ(10, pak.FTell(f));
    EXPECT_EQ(0, pak.FSeek(f, 100, SEEK_SET));
    EXPECT_EQ(10, pak.FTell(f));
    pak.FSeek(f, -3, SEEK_CUR);
    EXPECT_EQ(7, pak.FTell(f));
    pak.FSeek(f, 0x7FFFFFFF, SEEK_CUR);
    EXPECT_EQ(10, pak.FTell(f));
    pak.FSeek(f, 2, 7); // unknown origin leaves the position
    EXPECT_EQ(10, pak.FTell(f));

    pak.FSeek(f, 4, SEEK_SET);
    char out[9] = {};
    EXPECT_EQ(1u, pak.FRead(out, 4, 2, f)); // 6 bytes left: one whole element
    EXPECT_STREQ("456789", out);
    EXPECT_EQ(10, pak.FTell(f));
    EXPECT_EQ(0u, pak.FRead(out, 1, 1, f));
    pak.FSeek(f, 0, SEEK_SET);
    EXPECT_EQ(0u, pak.FRead(out, 0, 5, f));
    EXPECT_EQ(0u, pak.FRead(out, 1, 0, f));
    EXPECT_EQ(0, pak.FTell(f));
    // Sizes whose product overflows 32 bits read what is there.
    std::vector<char> big(16);
    EXPECT_EQ(0u, pak.FRead(big.data(), 0x10000, 0x10001, f));
    EXPECT_EQ(10, pak.FTell(f));
    pak.FClose(f);
}

TEST_F(PakInterfaceTest, UngetStepsBackWithoutStoring)
{
    WritePak("data.pak", {{"ab", 1, "AB"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    PakFile* f = pak.FOpen("ab", "rb");
    EXPECT_EQ('Z', pak.FUngetC('Z', f)); // at 0: stays at 0
    EXPECT_EQ(0, pak.FTell(f));
    EXPECT_EQ('A', pak.FGetC(f));
    EXPECT_EQ('Z', pak.FUngetC('Z', f));
    EXPECT_EQ('A', pak.FGetC(f)); // the byte in the entry, not the one pushed back
    EXPECT_EQ('B', pak.FGetC(f));
    int end = pak.FGetC(f);
    EXPECT_EQ(-1, end);
    // Pushing back the end marker gives no byte back.
    EXPECT_EQ(-1, pak.FUngetC(end, f));
    EXPECT_EQ(-1, pak.FGetC(f));
    pak.FClose(f);
}

TEST_F(PakInterfaceTest, DiskFilesUseTheCLibrary)
{
    WriteFile("disk.txt", "x\r\ny");
    PakInterface pak;
    PakFile* f = pak.FOpen("disk.txt", "rb");
    ASSERT_NE(nullptr, f);
    ASSERT_NE(nullptr, f->stream);
    EXPECT_EQ(0, pak.FSeek(f, 0, SEEK_END));
    EXPECT_EQ(4, pak.FTell(f));
    pak.FSeek(f, 0, SEEK_SET);
    EXPECT_EQ('x', pak.FGetC(f));
    EXPECT_EQ('\r', pak.FGetC(f)); // binary mode: the C library keeps carriage returns
    EXPECT_EQ('\r', pak.FUngetC('\r', f));
    char text[8];
    ASSERT_NE(nullptr, pak.FGetS(text, 8, f));
    EXPECT_STREQ("\r\n", text);
    EXPECT_EQ(0, pak.FClose(f));
}

TEST_F(PakInterfaceTest, SearchListsArchiveEntriesThenDisk)
{
    WritePak("data.pak", {{"images\\a.png", 5, "aa"},
                          {"images\\sub\\b.png", 6, "bbb"},
                          {"images\\c.jpg", 7, "c"},
                          {"sound\\d.png", 8, "d"}});
    CreateDirectoryA("images", nullptr);
    WriteFile("images\\disk.png", "z");
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));

    WIN32_FIND_DATAA data;
    HANDLE find = pak.FindFirst("images/*.png", &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    EXPECT_STREQ("a.png", data.cFileName);
    EXPECT_EQ(0u, data.dwFileAttributes);
    EXPECT_EQ(2u, data.nFileSizeLow);
    EXPECT_EQ(5u, data.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(5u, data.ftCreationTime.dwLowDateTime);
    ASSERT_TRUE(pak.FindNext(find, &data));
    EXPECT_STREQ("b.png", data.cFileName);
    EXPECT_EQ(3u, data.nFileSizeLow);
    ASSERT_TRUE(pak.FindNext(find, &data));
    EXPECT_STREQ("disk.png", data.cFileName);
    EXPECT_FALSE(pak.FindNext(find, &data));
    EXPECT_FALSE(pak.FindNext(find, &data));
    EXPECT_TRUE(pak.FindClose(find));

    // Without '*' only the disk answers.
    EXPECT_EQ(std::vector<std::string>{"disk.png"}, Search(pak, "images\\disk.png"));
    EXPECT_TRUE(Search(pak, "images\\a.png").empty());
    // An ending that holds a separator marks folders.
    find = pak.FindFirst("*\\C.JPG", &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    EXPECT_STREQ("c.jpg", data.cFileName);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY), data.dwFileAttributes);
    pak.FindClose(find);
    EXPECT_EQ(INVALID_HANDLE_VALUE, pak.FindFirst("nothing\\*.xyz", &data));
}

TEST_F(PakInterfaceTest, StarListsArchivesThemselves)
{
    WritePak("loc.pak", {{"l", 1, "1"}});
    WritePak("data.pak", {{"d", 1, "2"}});
    WritePak("mod.pak", {{"m", 1, "3"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("loc.pak"));
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    ASSERT_TRUE(pak.AddPakFile("mod.pak"));
    std::vector<std::string> names = Search(pak, "*");
    // Archive entries in key order, then the disk (which holds the three archives).
    ASSERT_GE(names.size(), 9u);
    std::vector<std::string> first(names.begin(), names.begin() + 6);
    EXPECT_EQ((std::vector<std::string>{"d", "data.pak", "l", "loc.pak", "m", "mod.pak"}), first);
    std::set<std::string> rest(names.begin() + 6, names.end());
    EXPECT_EQ(1u, rest.count("mod.pak"));
}

TEST_F(PakInterfaceTest, ReaderIsPublishedWhileItLives)
{
    EXPECT_EQ(nullptr, GetSharedPakInterface());
    {
        PakInterface first;
        EXPECT_EQ(&first, GetSharedPakInterface());
        EXPECT_EQ(static_cast<PakInterfaceBase*>(&first), PublishedInBlock());
        {
            PakInterface second; // does not replace the published one
            EXPECT_EQ(&first, GetSharedPakInterface());
        }
        EXPECT_EQ(&first, GetSharedPakInterface());
    }
    // The destructor withdraws its address: nothing dangles.
    EXPECT_EQ(nullptr, GetSharedPakInterface());
    EXPECT_EQ(nullptr, PublishedInBlock());
}

TEST_F(PakInterfaceTest, HandleThatOutlivesItsReaderReadsEmpty)
{
    WritePak("data.pak", {{"a.txt", 1, "archived"}});
    std::unique_ptr<PakInterface> pak(new PakInterface);
    ASSERT_TRUE(pak->AddPakFile("data.pak"));
    PakFile* f = PakOpen("a.txt", "rb");
    ASSERT_NE(nullptr, f);
    pak.reset();
    char buffer[8];
    EXPECT_EQ(0u, PakRead(buffer, 1, sizeof(buffer), f));
    EXPECT_EQ(-1, PakSeek(f, 0, SEEK_END));
    EXPECT_EQ(-1, PakTell(f));
    EXPECT_NE(0, PakEof(f));
    EXPECT_EQ(0xFFFF, PakGetWC(f));
    EXPECT_EQ(0, PakClose(f));
}

TEST_F(PakInterfaceTest, OpenHandleKeepsReadingWhatItOpenedWhenTheNameIsRefiled)
{
    std::string text(3000, 0);
    for (size_t i = 0; i < text.size(); i++)
        text[i] = char('a' + i % 26);
    WritePak("data.pak", {{"x.txt", 1, text}});
    WritePak("mod.pak", {{"x.txt", 2, "tiny"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    PakFile* f = pak.FOpen("x.txt", "rb");
    ASSERT_NE(nullptr, f);
    pak.FSeek(f, 2000, SEEK_SET);

    // The same archive again, then one whose entry of that name is far shorter
    // than the position the handle stands at.
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    ASSERT_TRUE(pak.AddPakFile("mod.pak"));
    char part[1000];
    ASSERT_EQ(40u, pak.FRead(part, 1, 40, f));
    EXPECT_EQ(text.substr(2000, 40), std::string(part, 40));
    ASSERT_EQ(960u, pak.FRead(part, 1, sizeof(part), f));
    EXPECT_TRUE(text.substr(2040) == std::string(part, 960));
    EXPECT_NE(0, pak.FEof(f));
    pak.FSeek(f, -4, SEEK_END);
    EXPECT_EQ(2996, pak.FTell(f));
    EXPECT_EQ('a' + 2996 % 26, pak.FGetC(f));
    pak.FClose(f);
    // A new handle reads the name as it is filed now.
    EXPECT_EQ("tiny", ReadAll(pak, "x.txt"));
}

TEST_F(PakInterfaceTest, FreeFunctionsGoThroughReaderOrCLibrary)
{
    WritePak("data.pak", {{"a.txt", 1, "archived"}});
    WriteFile("a.txt", "disk!");
    char buffer[16] = {};

    PakFile* f = PakOpen("a.txt", "rb"); // no reader: the disk
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(0, PakSeek(f, 0, SEEK_END));
    EXPECT_EQ(5, PakTell(f));
    PakSeek(f, 0, SEEK_SET);
    EXPECT_EQ(5u, PakRead(buffer, 1, sizeof(buffer), f));
    EXPECT_NE(0, PakEof(f));
    EXPECT_EQ(0, PakClose(f));
    EXPECT_STREQ("disk!", buffer);
    EXPECT_EQ(nullptr, PakOpen("missing.txt", "rb"));

    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    f = PakOpen("a.txt", "rb");
    ASSERT_NE(nullptr, f);
    ASSERT_NE(nullptr, f->entry);
    EXPECT_EQ(8u, PakRead(buffer, 1, sizeof(buffer), f));
    buffer[8] = 0;
    EXPECT_STREQ("archived", buffer);
    PakSeek(f, 1, SEEK_SET);
    EXPECT_EQ('r' | ('c' << 8), PakGetWC(f));
    EXPECT_EQ(0, PakClose(f));
}

TEST_F(PakInterfaceTest, SoundCallbacksReadThroughArchives)
{
    WritePak("data.pak", {{"snd\\a.wav", 1, "RIFFdata"}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    int h = SquallFileOpen("SND/A.WAV");
    ASSERT_NE(-1, h);
    EXPECT_EQ(4, SquallFileSeek(h, 4, SEEK_SET));
    char out[8] = {};
    EXPECT_EQ(4, SquallFileRead(h, out, 100));
    EXPECT_STREQ("data", out);
    EXPECT_EQ(8, SquallFileSeek(h, 0, SEEK_END));
    SquallFileClose(h);
    EXPECT_EQ(-1, SquallFileOpen("snd\\none.wav"));
    EXPECT_EQ(-1, SquallFileSeek(-1, 0, SEEK_SET));
    EXPECT_EQ(0, SquallFileRead(-1, out, 4));
    SquallFileClose(-1);
}

TEST_F(PakInterfaceTest, DamagedArchivesRegisterOnlySoundEntries)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(PakBuildArchive({{"good", 1, "good"}, {"data.pak", 1, "own"}, {"bad", 1, "bb"}},
                                bytes, nullptr));
    // "bad" claims more bytes than the file holds.
    size_t badSize = 8 + (2 + 4 + 12) + (2 + 8 + 12) + 2 + 3;
    bytes[badSize] = 0x40 ^ kPakScrambleKey;
    WriteFile("data.pak", std::string(bytes.begin(), bytes.end()));
    PakInterface pak;
    DebugOutputCapture output;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));
    // The developer learns from the debugger output what was left out.
    EXPECT_EQ("WARNING: PakInterface::AddPakFile: data.pak: 2 damaged entries skipped\n",
              output.Text());
    EXPECT_EQ("good", ReadAll(pak, "good"));
    EXPECT_EQ("<null>", ReadAll(pak, "bad"));
    // The record named like the archive does not hide the archive's own entry.
    std::string whole = ReadAll(pak, "data.pak");
    EXPECT_EQ(bytes.size(), whole.size());

    WriteFile("badmagic.pak", "not an archive at all");
    EXPECT_FALSE(pak.AddPakFile("badmagic.pak"));
    // Its own entry stays listed, served descrambled.
    EXPECT_EQ(21u, ReadAll(pak, "BADMAGIC.PAK").size());
    WriteFile("empty.pak", "");
    EXPECT_FALSE(pak.AddPakFile("empty.pak"));
}

// Mutated archives registered and read through the real file mapping never read out of
// bounds or crash. The in-memory table fuzz covers far more inputs; this one covers the
// reader's own reading paths.
TEST_F(PakInterfaceTest, MutatedArchiveFilesReadSafely)
{
    std::vector<uint8_t> seed;
    ASSERT_TRUE(PakBuildArchive({{"a.txt", 1, "line\r\nline2\n"},
                                 {"dir\\b.bin", 2, std::string(17, '\xA7')},
                                 {"c", 3, "c"}},
                                seed, nullptr));
    std::mt19937 rng(4357);
    for (int round = 0; round < 300; ++round)
    {
        std::vector<uint8_t> bytes = seed;
        for (int e = 0; e < 3; ++e)
        {
            size_t at = rng() % bytes.size();
            if (rng() % 4 == 0)
                bytes.resize(at + 1);
            else
                bytes[at] ^= uint8_t(1 + rng() % 255);
        }
        WriteFile("data.pak", std::string(bytes.begin(), bytes.end()));
        PakInterface pak;
        pak.AddPakFile("data.pak");
        WIN32_FIND_DATAA data;
        HANDLE find = pak.FindFirst("*", &data);
        std::vector<std::string> keys;
        for (auto ok = find != INVALID_HANDLE_VALUE; ok; ok = pak.FindNext(find, &data))
            keys.push_back(data.cFileName);
        pak.FindClose(find);
        for (const char* name : {"a.txt", "dir\\b.bin", "c", "data.pak"})
        {
            PakFile* f = pak.FOpen(name, "rb");
            if (f == nullptr)
                continue;
            char line[8];
            while (pak.FGetS(line, sizeof(line), f) != nullptr)
            {
            }
            pak.FSeek(f, 0, SEEK_SET);
            while (pak.FGetWC(f) != 0xFFFF)
            {
            }
            EXPECT_NE(0, pak.FEof(f));
            pak.FClose(f);
        }
    }
}
