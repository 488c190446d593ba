// Replays every demo stored under tests/demos/data in the real game and checks
// that it ends as its recording did: no divergence, the same update count,
// the same saved pref.dat (in the replay's own file) and, where stored, the
// same pixels of the last frame; the player's own pref.dat is left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "framework/app/StringUtils.h"
#include "game/engine/KpProfileFile.h"
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

std::string ProfileFolder()
{
    return Lumo::GetFileDir(KpProfileFile::DefaultPath(), false);
}

// The names in the player's profile folder, sorted.
std::vector<std::string> ProfileFolderNames()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((ProfileFolder() + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        if (strcmp(data.cFileName, ".") != 0 && strcmp(data.cFileName, "..") != 0)
            names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// A player far into the career, whom no replay may take back.
std::string ProgressFile()
{
    KpProfileData data;
    KpProfile player;
    player.name = L"Vesna";
    player.highestLevel = 59;
    for (int level = 1; level < 59; level++)
    {
        player.levelMoney[level] = 900 + level;
        player.levelExpert[level] = level % 2;
    }
    data.slots.push_back(player);
    data.currentSlot = 0;
    data.musicVolume = 75;
    data.mute = 1;
    return WriteProfileData(data);
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
    // A file before format 4 does not say whether the recording's window fitted
    // its desktop: its replay measures its own, and follows only where it fits.
    const uint32_t format = bytes.size() < 8 ? 0 : (uint8_t)bytes[4] | (uint8_t)bytes[5] << 8;
    if (format < 4 &&
        (GetSystemMetrics(SM_CXSCREEN) <= 1024 || GetSystemMetrics(SM_CYSCREEN) <= 768))
        GTEST_SKIP() << name << " is of format " << format
                     << ", whose window needs a larger screen";
    std::string path = TemporaryDemoPath(name);
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    DemoGame game;
    ASSERT_TRUE(game.Prepare(name, &error)) << error;
    Lumo::DeleteTree(ProfileFolder());
    Lumo::MakeDirectories(ProfileFolder() + "\\");
    const std::string progress = ProgressFile();
    ASSERT_TRUE(WriteWholeFile(KpProfileFile::DefaultPath(), progress));
    std::vector<std::string> failures = ReplayDemo(game, path, expectation);
    EXPECT_TRUE(failures.empty()) << Joined(failures);
    std::string after;
    EXPECT_TRUE(ReadWholeFile(KpProfileFile::DefaultPath(), &after));
    EXPECT_TRUE(after == progress) << "the replay changed the player's pref.dat";
    EXPECT_EQ(ProfileFolderNames(), std::vector<std::string>{"pref.dat"});
    DeleteFileA(path.c_str());
    Lumo::DeleteTree(ProfileFolder());
}

// A run whose pref.dat was damaged and whose saves could not reach the disk
// (the temporary file's name taken by a folder), recorded, then replayed on a
// clean profile folder: the replay takes the recorded road through the same
// boxes, and copies, saves and makes nothing in the player's folder. The name
// is typed at once after a box's answer, and the viewer opens a box of its own
// during the replay: neither leads it away from its recording.
TEST(DemoOutcomes, ADamagedFileAndBlockedSavesReplayTheSameBoxesOnACleanFolder)
{
    const std::string pref = KpProfileFile::DefaultPath();
    Lumo::DeleteTree(ProfileFolder());
    Lumo::MakeDirectories(ProfileFolder() + "\\");
    ASSERT_TRUE(WriteWholeFile(pref, ProgressFile().substr(0, 7900))); // cut in its profile
    ASSERT_TRUE(CreateDirectoryA((pref + ".tmp").c_str(), nullptr));
    const char script[] = "wait box 'profilepart' asked\n"
                          "pause 600\n"
                          "key 13\n"
                          "wait box 'profilepart' answered\n"
                          "wait box 'nofullscr' asked\n" // this screen refuses full screen
                          "pause 600\n"
                          "key 13\n"
                          "type Cid\n" // at once, for the name entry behind the box
                          "wait box 'nofullscr' answered\n"
                          "pause 300\n"
                          "key 13\n"
                          "wait profile created\n"
                          "wait box 'savefail' asked\n"
                          "pause 600\n"
                          "key 13\n"
                          "wait box 'savefail' answered\n"
                          "end-session\n";
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(ParseScript(script, &steps, &error)) << error;
    DemoGame game;
    ASSERT_TRUE(game.Prepare("outcomes", &error)) << error;
    const std::string path = TemporaryDemoPath("outcomes");
    Expectation expectation;
    ASSERT_TRUE(RecordDemo(game, steps, path, &expectation, &error, true)) << error;
    const std::string trace = Joined(expectation.trace);
    ASSERT_NE(trace.find("profile file kept as '" + pref + ".bad'"), std::string::npos) << trace;
    ASSERT_NE(trace.find("profile save failed: cannot create '" + pref + ".tmp'"),
              std::string::npos)
        << trace;
    // No save of the recording reached the disk, so the replay saves none.
    expectation.pref = {{"file", "missing"}};

    Lumo::DeleteTree(ProfileFolder());
    // Its saves fail to the end, so the quit would ask more: the session ends it.
    std::vector<std::string> failures = ReplayDemo(game, path, expectation, true, true);
    EXPECT_TRUE(failures.empty()) << Joined(failures);
    EXPECT_EQ(ProfileFolderNames(), std::vector<std::string>{});
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
