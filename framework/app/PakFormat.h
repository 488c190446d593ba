// The scrambled archive format as pure rules over bytes and names: constants, the
// normalisation that turns a file name into a lookup key, the table reader and the
// search-pattern match. Nothing here touches a file, so the reader, the writer and the
// tests share one definition of the format and can try it on bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Every byte of an archive, table and data alike, is stored XORed with this key.
const uint8_t kPakScrambleKey = 0xA7;
const uint32_t kPakMagic = 0xBAC04AC0;
const uint32_t kPakVersion = 0;
// Flags bit of the closing record; the other bits carry nothing.
const uint8_t kPakFlagEnd = 0x80;
// Longest stored name and longest lookup key, in bytes.
const size_t kPakMaxName = 255;
// Bytes of a table record besides its name: flags, name length, size, FILETIME.
const size_t kPakRecordFixedBytes = 1 + 1 + 4 + 8;

// One record of an archive's table, as the reader files it.
struct PakTableRecord
{
    std::string name;  // as stored, letter case kept
    uint64_t fileTime; // FILETIME: 100 ns intervals since 1601-01-01 UTC
    uint32_t start;    // offset of the entry's first byte from the start of the archive file
    uint32_t size;     // bytes of data
};

// What the table reader made of an archive image.
struct PakTable
{
    std::vector<PakTableRecord> records; // table order; a later record of a name wins
    uint32_t dataStart = 0;              // first byte after the closing record
    int dropped = 0;                     // damaged records left out (cut off, outside the file)
};

// Reads the table of a scrambled archive image of `size` bytes. Records that are cut
// off, whose data lies outside the image, or whose key equals `ownKey` (the archive's own
// name) are dropped and counted. False when the header is missing, or the magic or the
// version is wrong.
bool PakParseTable(const uint8_t* bytes, uint32_t size, const std::string& ownKey, PakTable& table);

// ASCII upper case, byte by byte: the key of a stored name.
std::string PakUpperKey(const std::string& name);

// Lookup key of a file name or search pattern: a drive path under `workingFolder` loses
// that prefix, '/' becomes '\', runs of separators collapse, "\.." removes the component
// before it, ASCII letters go upper case. The result may exceed kPakMaxName; callers
// treat such a key as held by no archive.
std::string PakNormalizeName(const char* name, const std::string& workingFolder);

// True when an archive key matches a normalised pattern. Only the first '*' is a
// wildcard, '?' is an ordinary byte, a pattern without '*' matches nothing, and a rest of
// exactly ".*" after the '*' matches any ending. `restLength` receives the length of the
// pattern after the '*'.
bool PakKeyMatches(const std::string& key, const std::string& pattern, size_t* restLength);

// XORs `count` bytes with the scramble key; scrambling and descrambling are the same.
void PakScramble(uint8_t* bytes, size_t count);
