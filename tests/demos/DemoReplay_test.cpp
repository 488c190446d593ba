// Replays every demo stored under tests/demos/data in the real game and checks
// that it ends as its recording did: no divergence, the same update count,
// the same pref.dat and, where stored, the same pixels of the last frame.
#include <gtest/gtest.h>

#include "tests/demos/DemoHarness.h"

using namespace DemoTest;

namespace
{

class StoredDemo : public ::testing::TestWithParam<std::string>
{
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST_P(StoredDemo, ReplaysToTheRecordedEnd)
{
    std::string name = GetParam();
    std::string text, error;
    Expectation expectation;
    ASSERT_TRUE(ReadWholeFile(DataFolder() + name + ".expect", &text));
    ASSERT_TRUE(ParseExpectation(text, &expectation, &error)) << error;
    // The game takes a Windows path for its demo file.
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(DataFolder() + name + ".dmo", &bytes));
    std::string path = TemporaryDemoPath(name);
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    DemoGame game;
    ASSERT_TRUE(game.Prepare(name, &error)) << error;
    std::vector<std::string> failures = ReplayDemo(game, path, expectation);
    EXPECT_TRUE(failures.empty()) << Joined(failures);
    DeleteFileA(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Demos, StoredDemo, ::testing::ValuesIn(StoredDemoNames()),
                         [](const ::testing::TestParamInfo<std::string>& info)
                         {
                             std::string name;
                             for (char c : info.param)
                                 name += isalnum((unsigned char)c) ? c : '_';
                             return name;
                         });

TEST(DemoScripts, EveryStoredScriptParsesAndEndsTheRun)
{
    WIN32_FIND_DATAA data;
    std::string folder = std::string(LUMO_SOURCE_DIR) + "/tests/demos/scripts/";
    HANDLE find = FindFirstFileA((folder + "*.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do
    {
        std::string text, error;
        std::vector<ScriptStep> steps;
        ASSERT_TRUE(ReadWholeFile(folder + data.cFileName, &text));
        EXPECT_TRUE(ParseScript(text, &steps, &error)) << data.cFileName << ": " << error;
    } while (FindNextFileA(find, &data));
    FindClose(find);
}
