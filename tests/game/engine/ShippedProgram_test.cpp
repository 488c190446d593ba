// The game as it ships: its debug sections live in a file of their own beside
// it, which the program names for debuggers, and the map file the crash report
// reads lies beside it too.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace
{

struct Section
{
    std::string name;
    std::string bytes;
};

// The sections of a PE file by their full names (long names through the COFF
// string table); empty when the file is no PE file.
std::vector<Section> ReadSections(const std::string& path)
{
    std::vector<Section> sections;
    std::string file = ReadTestFile(path);
    if (file.size() < 0x40)
        return sections;
    uint32_t pe = *(const uint32_t*)&file[0x3C];
    if (pe + 24 > file.size() || file.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
        return sections;
    const IMAGE_FILE_HEADER* header = (const IMAGE_FILE_HEADER*)&file[pe + 4];
    size_t table = pe + 24 + header->SizeOfOptionalHeader;
    size_t strings = header->PointerToSymbolTable + header->NumberOfSymbols * 18;
    for (int i = 0; i < header->NumberOfSections; i++)
    {
        if (table + (i + 1) * sizeof(IMAGE_SECTION_HEADER) > file.size())
            break;
        const IMAGE_SECTION_HEADER* s =
            (const IMAGE_SECTION_HEADER*)&file[table + i * sizeof(IMAGE_SECTION_HEADER)];
        std::string name((const char*)s->Name, strnlen((const char*)s->Name, 8));
        if (name.size() > 1 && name[0] == '/' && header->PointerToSymbolTable)
        {
            size_t at = strings + atoi(name.c_str() + 1);
            name = at < file.size() ? std::string(file.c_str() + at) : "";
        }
        std::string bytes;
        if (s->PointerToRawData + s->SizeOfRawData <= file.size())
            bytes = file.substr(s->PointerToRawData, s->SizeOfRawData);
        sections.push_back({name, bytes});
    }
    return sections;
}

} // namespace

TEST(ShippedProgram, GameCarriesNoDebugSectionsAndNamesItsDebugFile)
{
    const std::string folder = std::string(LUMO_BINARY_DIR) + "/game/";
    std::vector<Section> program = ReadSections(folder + "ZorkaCafe.exe");
    ASSERT_FALSE(program.empty());
    std::string link;
    for (const Section& s : program)
    {
        EXPECT_NE(s.name.compare(0, 6, ".debug"), 0) << s.name;
        if (s.name == ".gnu_debuglink")
            link = s.bytes.c_str();
    }
    EXPECT_EQ(link, "ZorkaCafe.debug");

    bool lines = false;
    for (const Section& s : ReadSections(folder + "ZorkaCafe.debug"))
        lines = lines || s.name == ".debug_line";
    EXPECT_TRUE(lines) << "the debug file holds the line tables";
    EXPECT_NE(GetFileAttributesA((folder + "ZorkaCafe.map").c_str()), INVALID_FILE_ATTRIBUTES);
}
