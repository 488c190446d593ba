#include "framework/app/PakFormat.h"
#include "framework/app/PakWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace
{
std::vector<uint8_t> Archive(const std::vector<PakWriterEntry>& entries)
{
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(PakBuildArchive(entries, bytes, &error)) << error;
    return bytes;
}

// Overwrites a little-endian u32 in scrambled form.
void PokeU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = uint8_t(v >> (8 * i)) ^ kPakScrambleKey;
}

// Offset of the size field of the record whose name begins at `nameAt`.
size_t SizeFieldOf(const std::vector<uint8_t>& bytes, size_t nameAt)
{
    return nameAt + (bytes[nameAt - 1] ^ kPakScrambleKey);
}
} // namespace

TEST(PakFormat, NormalisedSpellingsGiveOneKey)
{
    const char* names[] = {"Data/Fonts/a.txt",           "DATA\\FONTS\\A.TXT",
                           "data//fonts//a.txt",         "data\\x\\..\\fonts\\a.txt",
                           "x\\..\\data\\fonts\\a.txt",  "c:\\game\\data\\fonts\\a.txt",
                           "C:\\GAME\\Data/fonts\\a.txt"};
    for (const char* name : names)
        EXPECT_EQ("DATA\\FONTS\\A.TXT", PakNormalizeName(name, "C:\\Game")) << name;
}

TEST(PakFormat, NormalisationKeepsWhatItCannotResolve)
{
    // At a drive's root the prefix ends in two separators, so nothing is cut.
    EXPECT_EQ("C:\\GAME\\A.TXT", PakNormalizeName("c:\\game\\a.txt", "C:\\"));
    // A drive path outside the working folder stays whole.
    EXPECT_EQ("D:\\GAME\\A.TXT", PakNormalizeName("d:\\game\\a.txt", "C:\\Game"));
    // The working folder's prefix is compared with its own separator.
    EXPECT_EQ("C:\\GAME\\A.TXT", PakNormalizeName("C:/Game/a.txt", "C:\\Game"));
    EXPECT_EQ("..\\A", PakNormalizeName("../a", "C:\\Game"));
    EXPECT_EQ("A..B\\.\\C", PakNormalizeName("a..b/./c", "C:\\Game"));
    EXPECT_EQ("\\A", PakNormalizeName("//a", "C:\\Game"));
    EXPECT_EQ("C", PakNormalizeName("a\\b\\..\\..\\c", "C:\\Game"));
    // Only ASCII letters change case.
    EXPECT_EQ("\xe4\xc4.TXT", PakNormalizeName("\xe4\xc4.txt", "C:\\Game"));
    EXPECT_EQ("", PakNormalizeName(nullptr, "C:\\Game"));
}

TEST(PakFormat, PatternMatchesByPrefixAndEnding)
{
    size_t rest = 0;
    EXPECT_TRUE(PakKeyMatches("IMAGES\\A.PNG", "IMAGES\\*.PNG", &rest));
    EXPECT_EQ(4u, rest);
    EXPECT_TRUE(PakKeyMatches("IMAGES\\SUB\\B.PNG", "IMAGES\\*.PNG", &rest));
    EXPECT_FALSE(PakKeyMatches("IMAGES\\A.JPG", "IMAGES\\*.PNG", &rest));
    EXPECT_FALSE(PakKeyMatches("SOUND\\A.PNG", "IMAGES\\*.PNG", &rest));
    EXPECT_TRUE(PakKeyMatches("IMAGES\\A.JPG", "IMAGES\\*.*", &rest));
    EXPECT_TRUE(PakKeyMatches("ANYTHING", "*", &rest));
    EXPECT_TRUE(PakKeyMatches("NOEXT", "*.*", &rest));
    // No '*': no archive entry matches; '?' is an ordinary byte.
    EXPECT_FALSE(PakKeyMatches("IMAGES\\A.PNG", "IMAGES\\A.PNG", &rest));
    EXPECT_FALSE(PakKeyMatches("IMAGES\\A.PNG", "IMAGES\\?.PNG", &rest));
    EXPECT_TRUE(PakKeyMatches("A*B", "A*B", &rest));
    // Only the first '*' is a wildcard.
    EXPECT_TRUE(PakKeyMatches("A\\X*.PNG", "A\\*X*.PNG", &rest));
    EXPECT_FALSE(PakKeyMatches("A\\XY.PNG", "A\\*X*.PNG", &rest));
    // Prefix and ending may not share bytes of the key.
    EXPECT_FALSE(PakKeyMatches("AB", "AB*B", &rest));
    EXPECT_TRUE(PakKeyMatches("ABB", "AB*B", &rest));
}

TEST(PakFormat, TableGivesAbsoluteStartsAndTimes)
{
    std::vector<uint8_t> bytes = Archive({{"a.txt", 0x0123456789ABCDEFull, "hello"},
                                          {"Dir\\b.bin", 7, std::string("\0\1\2", 3)},
                                          {"empty", 0, ""}});
    PakTable table;
    ASSERT_TRUE(PakParseTable(bytes.data(), uint32_t(bytes.size()), "DATA.PAK", table));
    ASSERT_EQ(3u, table.records.size());
    EXPECT_EQ(0, table.dropped);
    EXPECT_EQ(bytes.size() - 8, table.dataStart);
    EXPECT_EQ("a.txt", table.records[0].name);
    EXPECT_EQ(0x0123456789ABCDEFull, table.records[0].fileTime);
    EXPECT_EQ(table.dataStart, table.records[0].start);
    EXPECT_EQ(5u, table.records[0].size);
    EXPECT_EQ("Dir\\b.bin", table.records[1].name);
    EXPECT_EQ(table.dataStart + 5, table.records[1].start);
    EXPECT_EQ(table.dataStart + 8, table.records[2].start);
    EXPECT_EQ(0u, table.records[2].size);
    std::string first;
    for (uint32_t i = 0; i < 5; ++i)
        first.push_back(char(bytes[table.records[0].start + i] ^ kPakScrambleKey));
    EXPECT_EQ("hello", first);
}

TEST(PakFormat, WrongHeaderIsRejected)
{
    std::vector<uint8_t> bytes = Archive({{"a", 0, "x"}});
    PakTable table;
    EXPECT_FALSE(PakParseTable(bytes.data(), 7, "", table));
    std::vector<uint8_t> bad = bytes;
    PokeU32(bad, 0, 0xBAC04AC1);
    EXPECT_FALSE(PakParseTable(bad.data(), uint32_t(bad.size()), "", table));
    bad = bytes;
    PokeU32(bad, 4, 1);
    EXPECT_FALSE(PakParseTable(bad.data(), uint32_t(bad.size()), "", table));
    // Unscrambled bytes do not give the magic.
    bad = bytes;
    PakScramble(bad.data(), bad.size());
    EXPECT_FALSE(PakParseTable(bad.data(), uint32_t(bad.size()), "", table));
}

TEST(PakFormat, DamagedRecordsAreDroppedNotServed)
{
    std::vector<uint8_t> bytes = Archive({{"a", 0, "AAAA"}, {"b", 0, "BB"}, {"c", 0, "C"}});
    const size_t nameA = 10, nameB = nameA + 1 + 12 + 2, nameC = nameB + 1 + 12 + 2;
    PakTable table;

    // b points past the end of the file: b and c (behind it) are dropped, a stays.
    std::vector<uint8_t> past = bytes;
    PokeU32(past, SizeFieldOf(past, nameB), 100);
    ASSERT_TRUE(PakParseTable(past.data(), uint32_t(past.size()), "", table));
    ASSERT_EQ(1u, table.records.size());
    EXPECT_EQ("a", table.records[0].name);
    EXPECT_EQ(2, table.dropped);

    // A size that wraps the running offset in 32 bits must not bring c back into the file.
    std::vector<uint8_t> wrap = bytes;
    PokeU32(wrap, SizeFieldOf(wrap, nameA), 0xFFFFFFFFu);
    ASSERT_TRUE(PakParseTable(wrap.data(), uint32_t(wrap.size()), "", table));
    EXPECT_TRUE(table.records.empty());
    EXPECT_EQ(3, table.dropped);

    // A record under the archive's own name is dropped; its data still counts.
    ASSERT_TRUE(PakParseTable(bytes.data(), uint32_t(bytes.size()), "B", table));
    ASSERT_EQ(2u, table.records.size());
    EXPECT_EQ("c", table.records[1].name);
    EXPECT_EQ(table.dataStart + 6, table.records[1].start);
    EXPECT_EQ(1, table.dropped);

    // A cut-off record: the records before it are read, the data then starts at the end.
    ASSERT_TRUE(PakParseTable(bytes.data(), uint32_t(nameC + 3), "", table));
    EXPECT_EQ(nameC + 3, table.dataStart);
    EXPECT_TRUE(table.records.empty()); // a and b have data, none of it in the file
    EXPECT_EQ(3, table.dropped);
}

TEST(PakFormat, TableWithoutClosingRecordKeepsCompleteRecords)
{
    std::vector<uint8_t> bytes = Archive({{"a", 0, ""}, {"b", 0, ""}});
    bytes.resize(bytes.size() - 1); // the closing record
    PakTable table;
    ASSERT_TRUE(PakParseTable(bytes.data(), uint32_t(bytes.size()), "", table));
    EXPECT_EQ(2u, table.records.size());
    EXPECT_EQ(0, table.dropped);
    EXPECT_EQ(bytes.size(), table.dataStart);
}

TEST(PakFormat, NameWithZeroByteEndsThere)
{
    std::vector<uint8_t> bytes = Archive({{"abc", 0, "x"}});
    bytes[11] = 0 ^ kPakScrambleKey; // "a\0c"
    PakTable table;
    ASSERT_TRUE(PakParseTable(bytes.data(), uint32_t(bytes.size()), "", table));
    ASSERT_EQ(1u, table.records.size());
    EXPECT_EQ("a", table.records[0].name);
}

// Mutated archives never make the table reader report bytes outside the image.
TEST(PakFormat, MutatedArchivesStayInBounds)
{
    std::vector<uint8_t> seed = Archive({{"cfg\\a.xml", 1, "<a/>\r\n"},
                                         {"images\\b.png", 2, std::string(40, 'b')},
                                         {"c", 3, ""},
                                         {"sounds\\d.ogg", 4, "dddddddd"}});
    std::mt19937 rng(20261206);
    uint64_t checksum = 0;
    int accepted = 0;
    for (int round = 0; round < 120000; ++round)
    {
        std::vector<uint8_t> bytes = seed;
        int edits = 1 + int(rng() % 4);
        for (int e = 0; e < edits; ++e)
        {
            switch (rng() % 6)
            {
            case 0: // flip a byte
                if (!bytes.empty())
                    bytes[rng() % bytes.size()] ^= uint8_t(1 + rng() % 255);
                break;
            case 1: // cut the tail
                bytes.resize(rng() % (bytes.size() + 1));
                break;
            case 2: // insert a byte
                bytes.insert(bytes.begin() + rng() % (bytes.size() + 1), uint8_t(rng()));
                break;
            case 3: // a large field value in scrambled form
                if (bytes.size() >= 4)
                {
                    size_t at = rng() % (bytes.size() - 3);
                    uint32_t big = rng() % 2 ? 0xFFFFFFFFu - rng() % 64 : 0x7FFFFFF0u + rng() % 32;
                    PokeU32(bytes, at, big);
                }
                break;
            case 4: // a closing flag somewhere
                if (!bytes.empty())
                    bytes[rng() % bytes.size()] = uint8_t(0x80 ^ kPakScrambleKey);
                break;
            default: // remove a byte
                if (!bytes.empty())
                    bytes.erase(bytes.begin() + rng() % bytes.size());
                break;
            }
        }
        if (bytes.empty())
            continue;
        PakTable table;
        if (!PakParseTable(bytes.data(), uint32_t(bytes.size()), "DATA.PAK", table))
            continue;
        ++accepted;
        ASSERT_LE(table.dataStart, bytes.size());
        for (const PakTableRecord& r : table.records)
        {
            ASSERT_LE(uint64_t(r.start) + r.size, bytes.size()) << "round " << round;
            ASSERT_LE(r.name.size(), kPakMaxName);
            ASSERT_NE("DATA.PAK", PakUpperKey(r.name));
            for (uint32_t i = 0; i < r.size; ++i)
                checksum += bytes[r.start + i];
        }
    }
    EXPECT_GT(accepted, 1000);
    EXPECT_NE(0u, checksum);
}
