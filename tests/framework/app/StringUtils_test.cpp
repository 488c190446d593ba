#include <gtest/gtest.h>

#include "framework/app/BoxTextWrap.h"
#include "framework/app/StringUtils.h"

#include <windows.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <set>

using namespace Lumo;

// ---------------------------------------------------------------------------------------------
// Conversions and case

TEST(StringConvert, BytesMapToSameValuedCharactersAndBack)
{
    std::string bytes("a\xE9\xFF\x01", 4);
    std::wstring wide = StringToWString(bytes);
    ASSERT_EQ(4u, wide.size());
    EXPECT_EQ(0xE9, (int)wide[1]);
    EXPECT_EQ(0xFF, (int)wide[2]);
    EXPECT_EQ(bytes, WStringToString(wide));
    EXPECT_EQ(bytes, LumoStringToString(StringToLumoString(bytes)));
}

TEST(StringConvert, UnconvertibleCharacterGivesEmptyString)
{
    EXPECT_EQ("", WStringToString(L"ab\x4E2D"));
    std::wstring longText(20000, L'q');
    EXPECT_EQ(std::string(20000, 'q'), WStringToString(longText));
    longText += L'\x4E2D';
    EXPECT_EQ("", WStringToString(longText));
    // Right at the fixed buffer's size.
    EXPECT_EQ(std::string(16384, 'z'), WStringToString(std::wstring(16384, L'z')));
    EXPECT_EQ(std::string(16383, 'z'), WStringToString(std::wstring(16383, L'z')));
}

TEST(StringCase, UpperAndTrim)
{
    EXPECT_EQ("ABC1-Z", StringToUpper("aBc1-z"));
    EXPECT_EQ(L"ABC1-Z", WStringToUpper(L"aBc1-z"));
    EXPECT_EQ("a b", Trim(" \t\r\n\v\fa b\n \r"));
    EXPECT_EQ(L"a b", Trim(std::wstring(L"\t a b\f")));
    EXPECT_EQ("", Trim(" \t "));
    EXPECT_EQ("", Trim(""));
}

TEST(StrFindNoCase, FindsIgnoringCase)
{
    EXPECT_EQ(6, StrFindNoCase("Hello World", "WORLD"));
    EXPECT_EQ(0, StrFindNoCase("abc", ""));
    EXPECT_EQ(-1, StrFindNoCase("", ""));
    EXPECT_EQ(-1, StrFindNoCase("abc", "abcd"));
    EXPECT_EQ(-1, StrFindNoCase("abc", "x"));
    EXPECT_EQ(2, StrFindNoCase(std::wstring(L"xxAbC"), std::wstring(L"abc")));
}

// ---------------------------------------------------------------------------------------------
// Number parsing

TEST(ParseInt, DecimalHexAndSigns)
{
    struct Case
    {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"0x1f", true, 31},      {"0X1F", true, 31}, {"-42", true, -42},  {"12a", false, 0},
        {"", false, 0},          {"-", true, 0},     {"-x10", true, -16}, {"-0x10", false, 0},
        {"1x5", false, 0},       {"0x", true, 0},    {"x1", false, 0},    {" 1", false, 0},
        {"1-", false, 0},        {"007", true, 7},   {"0xg", false, 0},   {"--1", false, 0},
        {"4294967297", true, 1}, // wraps
    };
    for (const Case& c : cases)
    {
        int v = 12345;
        EXPECT_EQ(c.ok, ParseInt(c.text, &v)) << c.text;
        EXPECT_EQ(c.value, v) << c.text;
        int w = 12345;
        EXPECT_EQ(c.ok, ParseWideInt(StringToWString(c.text), w)) << c.text;
        EXPECT_EQ(c.value, w) << c.text;
    }
    int v;
    EXPECT_TRUE(ParseInt("-2147483648", v));
    EXPECT_EQ(INT_MIN, v);
    EXPECT_TRUE(ParseInt("0xFFFFFFFF", v));
    EXPECT_EQ(-1, v);
}

TEST(ParseDouble, PlainDecimalsOnly)
{
    double d = 7.0;
    EXPECT_TRUE(ParseDouble(L"3.25", &d));
    EXPECT_DOUBLE_EQ(3.25, d);
    EXPECT_TRUE(ParseDouble(L"-0.5", d));
    EXPECT_DOUBLE_EQ(-0.5, d);
    EXPECT_TRUE(ParseDouble(L"12", d));
    EXPECT_EQ(12.0, d);
    EXPECT_TRUE(ParseDouble(L"-", d));
    EXPECT_EQ(0.0, d);
    EXPECT_TRUE(std::signbit(d));
    for (const wchar_t* bad : {L"1e5", L"", L"1.2.3", L"+1", L"1,5", L" 1", L"1-"})
    {
        d = 7.0;
        EXPECT_FALSE(ParseDouble(bad, &d)) << bad;
        EXPECT_EQ(0.0, d) << bad;
    }
}

TEST(ParseHex, BareDigitsWithPartialValueOnFailure)
{
    int v = 99;
    EXPECT_TRUE(ParseHex("ff", &v));
    EXPECT_EQ(255, v);
    EXPECT_TRUE(ParseHex("DeadBeef", v));
    EXPECT_EQ((int)0xDEADBEEF, v);
    EXPECT_TRUE(ParseHex("", v));
    EXPECT_EQ(0, v);
    // "1g0": the 1 weighs 16^2 in the whole text.
    EXPECT_FALSE(ParseHex("1g0", v));
    EXPECT_EQ(256, v);
    EXPECT_FALSE(ParseHex("0x10", v));
    EXPECT_EQ(0, v);
    EXPECT_TRUE(ParseHex("100000001", v)); // ninth digit wraps out
    EXPECT_EQ(1, v);
}

// ---------------------------------------------------------------------------------------------
// Formatting

TEST(StrFormat, FormatsPlainArguments)
{
    EXPECT_EQ("x=5 y=ab z=1.50", StrFormat("x=%d y=%s z=%.2f", 5, "ab", 1.5));
    EXPECT_EQ("", StrFormat(""));
    EXPECT_EQ(L"x=5 y=ab", WStrFormat(L"x=%d y=%s", 5, L"ab"));
    EXPECT_EQ("narrow takes %S: wide", StrFormat("narrow takes %%S: %S", L"wide"));
}

// The counted formatter leaves no terminator on an exact fit; every length around the first
// buffer and its doublings must come back whole.
TEST(StrFormat, LengthsAroundBufferSizesComeBackWhole)
{
    for (int len : {0, 1, 158, 159, 160, 161, 319, 320, 321, 640, 641, 100000})
    {
        std::string text(len, 'a');
        for (int i = 0; i < len; i++)
            text[i] = (char)('a' + i % 26);
        std::string got = StrFormat("%s", text.c_str());
        ASSERT_EQ((size_t)len, got.size()) << len;
        EXPECT_EQ(text, got) << len;
        std::wstring wtext = StringToWString(text);
        std::wstring wgot = WStrFormat(L"%s", wtext.c_str());
        ASSERT_EQ((size_t)len, wgot.size()) << len;
        EXPECT_EQ(wtext, wgot) << len;
    }
}

TEST(StrFormat, TextBeyondTheLargestBufferIsCut)
{
    std::string text(1400000, 'k');
    std::string got = StrFormat("%s", text.c_str());
    EXPECT_EQ(1310720u, got.size());
    EXPECT_EQ(std::string(1310720, 'k'), got);
    std::wstring wtext(1400000, L'k');
    EXPECT_EQ(1310720u, WStrFormat(L"%s", wtext.c_str()).size());
}

static std::string CallVFormat(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = VFormat(fmt, args);
    va_end(args);
    return s;
}

TEST(StrFormat, VFormatReusesItsArgumentListAcrossRetries)
{
    std::string big(500, 'q');
    EXPECT_EQ(big + "|7", CallVFormat("%s|%d", big.c_str(), 7));
}

TEST(CommaSeparate, GroupsOfThree)
{
    EXPECT_EQ(L"0", CommaSeparate(0));
    EXPECT_EQ(L"999", CommaSeparate(999));
    EXPECT_EQ(L"1,000", CommaSeparate(1000));
    EXPECT_EQ(L"12,345,678", CommaSeparate(12345678));
    EXPECT_EQ(L"2,147,483,647", CommaSeparate(INT_MAX));
    EXPECT_EQ(L"-2,147,483,648", CommaSeparate(INT_MIN));
}

// ---------------------------------------------------------------------------------------------
// Paths

TEST(PathSplit, FileNameAndFolder)
{
    EXPECT_EQ("c.txt", GetFileNameOfPath("a\\b/c.txt"));
    EXPECT_EQ("c.txt", GetFileNameOfPath("a/b\\c.txt"));
    EXPECT_EQ("plain", GetFileNameOfPath("plain"));
    EXPECT_EQ("", GetFileNameOfPath("dir/"));
    EXPECT_EQ("name", GetFileName("dir/sub\\name.ext", true));
    EXPECT_EQ("name.ext", GetFileName("dir/sub\\name.ext", false));
    EXPECT_EQ("a.b", GetFileName("a.b.c", true));
    EXPECT_EQ("noext", GetFileName("x.y/noext", true));
    EXPECT_EQ("a\\b", GetFileDir("a\\b/c.txt"));
    EXPECT_EQ("a\\b/", GetFileDir("a\\b/c.txt", true));
    EXPECT_EQ("", GetFileDir("c.txt", true));
}

TEST(PathSplit, TrailingSlashes)
{
    EXPECT_EQ("a/b", RemoveTrailingSlash("a/b/"));
    EXPECT_EQ("a/b/", RemoveTrailingSlash("a/b//"));
    EXPECT_EQ("a\\b", RemoveTrailingSlash("a\\b\\"));
    EXPECT_EQ("", RemoveTrailingSlash(""));
    EXPECT_EQ("", AddTrailingSlash("", true));
    EXPECT_EQ("a\\", AddTrailingSlash("a", true));
    EXPECT_EQ("a/", AddTrailingSlash("a", false));
    EXPECT_EQ("a/", AddTrailingSlash("a/", true));
}

TEST(PathSplit, OnlyADriveOrAShareMakesAPathAbsolute)
{
    for (const char* path : {"C:\\x.dmo", "c:x.dmo", "\\\\server\\share\\x.dmo", "//server/x"})
        EXPECT_TRUE(IsAbsolutePath(path)) << path;
    for (const char* path : {"..\\x.dmo", "ab\\x.dmo", "\\x.dmo", "x.dmo", "1:", ""})
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

TEST(BoxTextWrap, ALongWordIsCutBetweenCharacters)
{
    // A surrogate pair, and a Shift-JIS character, where the count would cut;
    // in a single-byte code page the same two bytes are two characters.
    const std::wstring pair = L"\xD83D\xDE00";
    const std::string doubleByte = "\x82\xA0";
    EXPECT_EQ(WrapBoxText(L"abc" + pair + L"defgh", 4), L"abc\n" + pair + L"de\nfgh");
    EXPECT_EQ(WrapBoxText("abc" + doubleByte + "defgh", 4, 932), "abc\n" + doubleByte + "de\nfgh");
    EXPECT_EQ(WrapBoxText("abc" + doubleByte + "defgh", 4, 1252),
              "abc\x82\n\xA0" + std::string("def\ngh"));
}

TEST(GetPathFrom, ResolvesRelativeParts)
{
    EXPECT_EQ("C:\\game\\img\\a.png", GetPathFrom("..\\img\\a.png", "C:\\game\\fonts\\"));
    EXPECT_EQ("C:\\x.txt", GetPathFrom("\\x.txt", "C:\\game\\"));
    EXPECT_EQ("data/a/b", GetPathFrom("./a/b", "data"));
    EXPECT_EQ("D:\\other.txt", GetPathFrom("D:\\other.txt", "C:\\game"));
    // One backslash anywhere chooses it for the whole result.
    EXPECT_EQ("C:\\game\\img\\a.png", GetPathFrom("img/a.png", "C:\\game"));
    EXPECT_EQ("C:\\game\\img\\a.png", GetPathFrom("img\\a.png", "C:/game"));
    EXPECT_EQ("C:/game/img/a.png", GetPathFrom("img/a.png", "C:/game"));
    EXPECT_EQ("base/c", GetPathFrom("a/../b/../c", "base/"));
    EXPECT_EQ("file", GetPathFrom("file", ""));
    EXPECT_EQ("../../x", GetPathFrom("../../x", ""));
    EXPECT_EQ("/x", GetPathFrom("../x", "/"));
    EXPECT_EQ("base/sub/", GetPathFrom("sub/", "base"));
}

// ---------------------------------------------------------------------------------------------
// Folders (under the build folder, cleaned up by the test itself)

static std::string ScratchFolder(const char* name)
{
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    return std::string(cwd) + "\\strutil_scratch_" + name;
}

static bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static void WriteFile(const std::string& path, const char* text)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    fputs(text, f);
    fclose(f);
}

TEST(Folders, MakeDirectoriesThenDeleteTree)
{
    std::string root = ScratchFolder("tree");
    DeleteTree(root);
    MakeDirectories(root + "\\a/b\\c");
    ASSERT_TRUE(Exists(root + "\\a\\b\\c"));
    MakeDirectories(root + "\\a\\b\\c"); // existing folders are no failure
    WriteFile(root + "\\top.txt", "1");
    WriteFile(root + "\\a\\b\\deep.txt", "2");
    MakeDirectories(root + "\\empty");
    EXPECT_TRUE(DeleteTree(root));
    EXPECT_FALSE(Exists(root));
    EXPECT_FALSE(DeleteTree(root)) << "a missing folder cannot be listed";
}

TEST(Folders, DeleteTreeRefusesShortPaths)
{
    EXPECT_FALSE(DeleteTree(""));
    EXPECT_FALSE(DeleteTree("C"));
}

TEST(Folders, DeleteTreeReportsFilesItCouldNotDelete)
{
    std::string root = ScratchFolder("locked");
    DeleteTree(root);
    MakeDirectories(root);
    std::string file = root + "\\held.txt";
    WriteFile(file, "x");
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    WriteFile(root + "\\free.txt", "y");
    EXPECT_FALSE(DeleteTree(root));
    EXPECT_FALSE(Exists(root + "\\free.txt")) << "the walk goes on past a failure";
    CloseHandle(h);
    EXPECT_TRUE(DeleteTree(root));
}

// A linked folder inside the tree must lose only the link, never its target's files.
TEST(Folders, DeleteTreeLeavesLinkedFolderTargets)
{
    std::string root = ScratchFolder("linkroot");
    std::string target = ScratchFolder("linktarget");
    DeleteTree(root);
    DeleteTree(target);
    MakeDirectories(root);
    MakeDirectories(target);
    WriteFile(target + "\\keep.txt", "keep");
    std::string link = root + "\\link";
    // Wine 8 reports success but makes no link; only a real one proves anything.
    CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    DWORD attr = GetFileAttributesA(link.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_REPARSE_POINT))
    {
        DeleteTree(root);
        DeleteTree(target);
        GTEST_SKIP() << "no folder links can be made here";
    }
    DeleteTree(root);
    EXPECT_TRUE(Exists(target + "\\keep.txt"));
    EXPECT_FALSE(Exists(root));
    DeleteTree(target);
}

// The forms the running game's refusal rows (StartRefusal) leave out, and names that stay files.
TEST(Folders, APathThatCanNameOnlyAFolderIsKnownByItsFormOrByTheFolderThere)
{
    const std::string root = ScratchFolder("folderpath");
    DeleteTree(root);
    MakeDirectories(root + "\\sub");
    WriteFile(root + "\\file.dmo", "x");
    for (const std::string& path : {root + "/new/", root + "\\new\\. .", std::string("c:."),
                                    std::string("C:"), std::string("//server"), std::string(),
                                    root + "\\SUB", root + "\\sub::$DATA", root + "\\sub:s"})
        EXPECT_TRUE(IsFolderPath(path)) << path;
    for (const std::string& path :
         {root + "\\file.dmo", root + "\\file.dmo:s", root + "\\new\\deeper\\run.dmo",
          root + "\\sub\\run.dmo.", root + "\\..\\run.dmo", std::string("C:run.dmo"),
          std::string("\\\\server\\share\\run.dmo")})
        EXPECT_FALSE(IsFolderPath(path)) << path;
    DeleteTree(root);
}

// Names the running game's refusal rows (StartRefusal) leave out: each part's form, what is on
// the disk, and the length with the writer's suffix; none of them leaves anything behind.
TEST(Folders, WhyNoFileCanBeWrittenAtAPath)
{
    const std::string root = ScratchFolder("filewrite");
    DeleteTree(root);
    MakeDirectories(root + "\\sub");
    WriteFile(root + "\\file.dmo", "x");
    MakeDirectories(root + "\\busy.dmo.tmp");
    // Up to MAX_PATH with the suffix, a part at most 255 characters.
    const std::string deep = root + "\\new\\" + std::string(120, 'd') + "\\";
    const std::string longest = deep + std::string(MAX_PATH - 5 - deep.size(), 'e');
    const struct
    {
        std::string path;
        FileWriteProblem problem;
    } cases[] = {
        {root + "\\run.dmo", FileWriteProblem::None},
        {root + "\\file.dmo", FileWriteProblem::None},
        {root + "\\new\\deeper\\run.dmo", FileWriteProblem::None},
        {longest, FileWriteProblem::None},
        {longest + "e", FileWriteProblem::TooLong},
        {root + "\\" + std::string(256, 'a'), FileWriteProblem::TooLong},
        {root + "\\sub\\NUL", FileWriteProblem::Device},
        {root + "\\con.dmo", FileWriteProblem::Device},
        {root + "\\Com1.x.dmo", FileWriteProblem::Device},
        {root + "\\nul .dmo", FileWriteProblem::Device},
        {root + "\\aux\\run.dmo", FileWriteProblem::Device},
        {root + "\\a>b.dmo", FileWriteProblem::Characters},
        {root + "\\new\\a\"b\\run.dmo", FileWriteProblem::Characters},
        {root + "\\a\tb.dmo", FileWriteProblem::Characters},
        {root + "\\file.dmo\\run.dmo", FileWriteProblem::ThroughFile},
        {root + "\\file.dmo\\new\\run.dmo", FileWriteProblem::ThroughFile},
        {root + "\\busy.dmo", FileWriteProblem::NotWritable},
        {"\\\\nowhere\\share\\run.dmo", FileWriteProblem::CannotCreate},
    };
    for (const auto& c : cases)
        EXPECT_EQ(int(c.problem), int(CheckFileWrite(c.path, ".tmp"))) << c.path;
    // A file another program holds for itself.
    HANDLE held = CreateFileA((root + "\\file.dmo").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(int(FileWriteProblem::NotWritable), int(CheckFileWrite(root + "\\file.dmo", ".tmp")));
    CloseHandle(held);

    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((root + "\\*").c_str(), &found);
    std::set<std::string> names;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
        names.insert(found.cFileName);
    FindClose(find);
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "busy.dmo.tmp", "file.dmo", "sub"}));
    DeleteTree(root);
}

// A folder whose name the code page cannot hold ("Łukasz" on a Western system) is reached by
// its short name, with the parts below it that do not exist yet as they are; without a short
// name in the code page nothing reaches it.
TEST(NarrowNames, AFolderTheCodePageCannotNameIsReachedByItsShortName)
{
    std::string narrow;
    ASSERT_TRUE(ToCodePage(L"caf\u00e9", narrow));
    EXPECT_EQ(narrow, "caf\xE9");
    ASSERT_FALSE(ToCodePage(L"\u0141ukasz", narrow)) << "the test needs a Western code page";
    EXPECT_EQ(NarrowPathName(L"C:\\games\\caf\u00e9\\run.dmo"), "C:\\games\\caf\xE9\\run.dmo");

    const std::string root = ScratchFolder("narrow");
    DeleteTree(root);
    const std::wstring folder = StringToWString(root) + L"\\\u0141ukasz \u03a9";
    ASSERT_TRUE(CreateDirectoryW(StringToWString(root).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const std::wstring& below : {std::wstring(), std::wstring(L"\\new\\pref.dat")})
    {
        std::string name = NarrowPathName(folder + below);
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(name.find('?'), std::string::npos) << name;
        if (below.empty())
            EXPECT_TRUE(IsFolderPath(name)) << name;
        else
        {
            MakeDirectories(GetFileDir(name));
            HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, 0);
            EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
            CloseHandle(file);
            EXPECT_NE(GetFileAttributesW((folder + below).c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
    // A last part that does not exist yet must be in the code page; so must a short name.
    EXPECT_EQ(NarrowPathName(folder + L"\\\u0141.dmo"), "");
    EXPECT_EQ(NarrowPathName(folder, [](const std::wstring& p) { return p; }), "");
    EXPECT_EQ(NarrowPathName(folder, [](const std::wstring&) { return std::wstring(); }), "");
    EXPECT_FALSE(GetExecutablePath().empty());
    DeleteFileW((folder + L"\\new\\pref.dat").c_str());
    RemoveDirectoryW((folder + L"\\new").c_str());
    RemoveDirectoryW(folder.c_str());
    DeleteTree(root);
}

TEST(AppDataFolder, StoredWithTrailingSeparatorOnVista)
{
    // Wine reports NT 6.1, so the folder is kept.
    ASSERT_TRUE(IsWindowsVistaOrLater());
    EXPECT_FALSE(IsWindows9x());
    std::string before = GetAppDataFolder();
    SetAppDataFolder("C:\\Users\\me\\AppData");
    EXPECT_EQ("C:\\Users\\me\\AppData\\", GetAppDataFolder());
    SetAppDataFolder("C:\\data/");
    EXPECT_EQ("C:\\data/", GetAppDataFolder());
    SetAppDataFolder("");
    EXPECT_EQ("", GetAppDataFolder());
    SetAppDataFolder(before);
}
