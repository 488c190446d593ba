// The archives the build packs beside the game hold every file that
// docs/data-formats.md lists.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "framework/app/PakInterface.h"

TEST(GameData, ArchivesHoldEveryListedFile)
{
    std::ifstream doc(std::string(LUMO_SOURCE_DIR) + "/docs/data-formats.md");
    ASSERT_TRUE(doc.good());
    std::stringstream text;
    text << doc.rdbuf();
    std::string s = text.str();
    std::regex line("\\n- `((?:data|loc)\\.pak)`: `([^`]+)`");
    int listed = 0;
    for (std::sregex_iterator it(s.begin(), s.end(), line), end; it != end; ++it)
    {
        PakInterface pak;
        // Relative to the tests' working folder, the build folder.
        std::string archive = "game\\" + (*it)[1].str();
        ASSERT_TRUE(pak.AddPakFile(archive)) << archive;
        // A loose file of the name must not answer for the archive.
        std::string name = (*it)[2].str();
        PakFile* file = pak.FOpen(name.c_str(), "rb");
        EXPECT_TRUE(file && file->entry) << name << " is not in " << archive;
        if (file)
            pak.FClose(file);
        listed++;
    }
    EXPECT_GE(listed, 10);
}
