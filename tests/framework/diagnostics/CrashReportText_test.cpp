#include "framework/diagnostics/CrashMapFile.h"
#include "framework/diagnostics/CrashReporter.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace Lumo;

namespace
{

std::string Bracket(const std::string& name)
{
    return "<" + name + ">";
}

} // namespace

TEST(CrashMapFile, ProgramAddressesBecomeSymbolsAndSourceLines)
{
    CrashMapFile map;
    map.ReadLine(" 0001:00000010       __ZN4Lumo3FooEv 00401010 f   foo.o");
    map.ReadLine(" 0001:00000100       _main 00401100 f   main.o");
    map.ReadLine(" 0001:00000200       ___runtime 00401200 f   libc.a"); // no line information
    map.ReadLine("Line numbers for x.exe(C:\\src\\foo (old).cpp) segment .text");
    map.ReadLine("");
    map.ReadLine(
        "    12 0001:00000010    13 0001:00000018    20 0001:00000100    21 0001:00000108");
    ASSERT_EQ(map.SymbolCount(), 3u);
    ASSERT_EQ(map.LineCount(), 4u);

    // The fault's address stands as it is; every other one returns from a
    // call and belongs with the byte before it.
    std::string report = "Module: x.exe\r\n"
                         "Logical Address: 0001:0000001C\r\n"
                         "\r\n"
                         "0040101C  0012FF00  0001:0000001C x.exe\r\n"
                         "00401108  0012FF10  0001:00000108 x.exe\r\n"
                         "00401100  0012FF20  0001:00000100 x.exe\r\n"
                         "00401208  0012FF30  0001:00000208 x.exe\r\n"
                         "7B01101C  0012FF40  0001:0000001C kernel32.dll\r\n"
                         "0040301C  0012FF80  0002:00000010 x.exe\r\n"
                         "EIP:0040101C ESP:0012FEF0  EBP:0012FF00\r\n";
    map.Annotate(report, "X.EXE", CrashMapFile::Address(1, 0x1C), Bracket);
    EXPECT_EQ(report, "Module: x.exe\r\n"
                      "Logical Address: <__ZN4Lumo3FooEv>+0xC\r\n"
                      "    C:\\src\\foo (old).cpp line 13 +0x4\r\n"
                      "\r\n"
                      "0040101C  0012FF00  <__ZN4Lumo3FooEv>+0xC\r\n"
                      "    C:\\src\\foo (old).cpp line 13 +0x4 x.exe\r\n"
                      "00401108  0012FF10  <_main>+0x8\r\n"
                      "    C:\\src\\foo (old).cpp line 20 +0x8 x.exe\r\n"
                      "00401100  0012FF20  <__ZN4Lumo3FooEv>+0xF0\r\n"
                      "    C:\\src\\foo (old).cpp line 13 +0xE8 x.exe\r\n"
                      "00401208  0012FF30  <___runtime>+0x8 x.exe\r\n"
                      "7B01101C  0012FF40  0001:0000001C kernel32.dll\r\n"
                      "0040301C  0012FF80  0002:00000010 x.exe\r\n"
                      "EIP:0040101C ESP:0012FEF0  EBP:0012FF00\r\n");
}

TEST(CrashMapFile, DamagedMapFileGivesFewerNamesAndKeepsItsLastLine)
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::string file =
        std::string(path) + "lumo_damaged_" + std::to_string(GetCurrentProcessId()) + ".map";
    FILE* out = fopen(file.c_str(), "wb");
    ASSERT_TRUE(out);
    std::string text = " y.exe\n\n Timestamp is 6b16f98e\n"
                       " 0001:0000zz10       _broken 00401010 f\n"
                       " 0001:00000020      _noBlankAt20\n"
                       "Line numbers without a file\n" +
                       std::string(80, 'x') + "\n" + std::string(9000, ':') + "\n" +
                       " 0001:00000040       _last 00401040 f"; // no final line break
    fputs(text.c_str(), out);
    fclose(out);
    // The map of another build of the program names other code.
    EXPECT_FALSE(CrashMapFile().ReadFile(file, 0x6b16f98f));
    CrashMapFile map;
    ASSERT_TRUE(map.ReadFile(file, 0x6b16f98e));
    remove(file.c_str());
    EXPECT_EQ(map.SymbolCount(), 1u);
    EXPECT_EQ(map.LineCount(), 0u);
    std::string report = "x 0001:00000044 y.exe\r\n";
    map.Annotate(report, "y.exe", CrashMapFile::Address(1, 0x44), Bracket);
    EXPECT_EQ(report, "x <_last>+0x4 y.exe\r\n");
    EXPECT_FALSE(map.ReadFile(file));
}

TEST(CrashReportText, ExceptionLineNamesKnownCodesOnly)
{
    EXPECT_STREQ(CrashReporter::FindExceptionName(0), "Wait 0");
    EXPECT_STREQ(CrashReporter::FindExceptionName(0xC00000FD), "Stack Overflow");
    EXPECT_EQ(CrashReporter::FormatExceptionLine(0xC0000094, (void*)0x4015B5, 0x10C),
              "Exception: Integer Divide by Zero (code 0xc0000094) at address 004015B5 in "
              "thread 10C\r\n");
    EXPECT_EQ(CrashReporter::FormatExceptionLine(0xE06D7363, (void*)0x7B012866, 0x24),
              "Unknown exception: (code 0xe06d7363) at address 7B012866 in thread 24\r\n");
}

TEST(CrashReportText, SectionRangeIncludesItsEnd)
{
    IMAGE_SECTION_HEADER sections[2] = {};
    sections[0].VirtualAddress = 0x1000;
    sections[0].Misc.VirtualSize = 0x200;
    sections[0].SizeOfRawData = 0x400;
    sections[1].VirtualAddress = 0x2000;
    sections[1].Misc.VirtualSize = 0x100;
    DWORD section = 0, offset = 0;
    EXPECT_TRUE(CrashReporter::FindSectionOffset(sections, 2, 0x1400, section, offset));
    EXPECT_EQ(section, 1u);
    EXPECT_EQ(offset, 0x400u);
    EXPECT_FALSE(CrashReporter::FindSectionOffset(sections, 2, 0x1401, section, offset));
    EXPECT_TRUE(CrashReporter::FindSectionOffset(sections, 2, 0x2000, section, offset));
    EXPECT_EQ(section, 2u);
    EXPECT_EQ(offset, 0u);
}

TEST(CrashUpload, BodyStartsWithProductAndSendsAnUnreadableAttachmentEmpty)
{
    const std::string b = "-----------------------------7d3e1f30eec"; // "--" and the boundary
    std::string body = CrashReporter::BuildUploadBody({}, "P", "1.0", "", "T", "R", true, "");
    EXPECT_EQ(body, b + "\r\nContent-Disposition: form-data; name=\"prod\"\r\n\r\nP\r\n" + b +
                        "\r\nContent-Disposition: form-data; name=\"version\"\r\n\r\n1.0\r\n" + b +
                        "\r\nContent-Disposition: form-data; name=\"usertext\"\r\n\r\n\r\n" + b +
                        "\r\nContent-Disposition: form-data; name=\"errortitle\"\r\n\r\nT\r\n" + b +
                        "\r\nContent-Disposition: form-data; name=\"errortext\"\r\n\r\nR\r\n" + b +
                        "\r\nContent-Disposition: form-data; name=\"demofile\"; "
                        "filename=\"fennix.dmo\"\r\nContent-Type: application/octet-stream\r\n\r\n"
                        "\r\n" +
                        b + "--\r\n");
}
