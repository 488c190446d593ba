#include "framework/app/PakFormat.h"

namespace
{
char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(const char* text, const std::string& prefix)
{
    for (size_t i = 0; i < prefix.size(); ++i)
    {
        if (text[i] == 0 || AsciiUpper(text[i]) != AsciiUpper(prefix[i]))
            return false;
    }
    return true;
}

// Reads scrambled little-endian fields; the caller has checked that they fit.
uint32_t ReadU32(const uint8_t* p)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(p[i] ^ kPakScrambleKey);
    return v;
}

uint64_t ReadU64(const uint8_t* p)
{
    return uint64_t(ReadU32(p)) | (uint64_t(ReadU32(p + 4)) << 32);
}
} // namespace

void PakScramble(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] ^= kPakScrambleKey;
}

std::string PakUpperKey(const std::string& name)
{
    std::string key(name);
    for (char& c : key)
        c = AsciiUpper(c);
    return key;
}

bool PakParseTable(const uint8_t* bytes, uint32_t size, const std::string& ownKey, PakTable& table)
{
    table = PakTable();
    if (size < 8 || ReadU32(bytes) != kPakMagic || ReadU32(bytes + 4) != kPakVersion)
        return false;

    // Starts relative to the data area, which is known only once the table has ended.
    std::vector<PakTableRecord> pending;
    std::vector<uint64_t> relStart;
    uint64_t running = 0;
    uint32_t pos = 8;
    table.dataStart = size; // a table without a closing record runs to the end of the file
    while (pos < size)
    {
        uint8_t flags = bytes[pos++] ^ kPakScrambleKey;
        if (flags & kPakFlagEnd)
        {
            table.dataStart = pos;
            break;
        }
        if (pos >= size)
        {
            ++table.dropped; // the name length is cut off
            break;
        }
        uint32_t nameLength = uint8_t(bytes[pos] ^ kPakScrambleKey);
        if (uint64_t(pos) + 1 + nameLength + 12 > size)
        {
            ++table.dropped;
            break;
        }
        ++pos;
        PakTableRecord record;
        record.name.reserve(nameLength);
        for (uint32_t i = 0; i < nameLength; ++i)
            record.name.push_back(char(bytes[pos + i] ^ kPakScrambleKey));
        // The name is kept as a C string: a zero byte ends it.
        size_t zero = record.name.find('\0');
        if (zero != std::string::npos)
            record.name.resize(zero);
        pos += nameLength;
        record.size = ReadU32(bytes + pos);
        record.fileTime = ReadU64(bytes + pos + 4);
        record.start = 0;
        pos += 12;
        pending.push_back(record);
        relStart.push_back(running);
        running += record.size; // 64-bit: sizes cannot wrap the running offset
    }

    for (size_t i = 0; i < pending.size(); ++i)
    {
        uint64_t start = uint64_t(table.dataStart) + relStart[i];
        bool inside = start + pending[i].size <= size;
        // An entry's size is a signed 32-bit value in the reader.
        bool sizeOk = pending[i].size <= 0x7FFFFFFFu;
        // A record under the archive's own name would hide the archive's own entry.
        bool ownName = PakUpperKey(pending[i].name) == ownKey;
        if (!inside || !sizeOk || ownName)
        {
            ++table.dropped;
            continue;
        }
        pending[i].start = uint32_t(start);
        table.records.push_back(pending[i]);
    }
    return true;
}

std::string PakNormalizeName(const char* name, const std::string& workingFolder)
{
    std::string out;
    if (name == nullptr)
        return out;
    if (name[0] != 0 && name[1] == ':')
    {
        std::string prefix = workingFolder + "\\";
        if (StartsWithNoCase(name, prefix))
            name += prefix.size();
    }

    bool afterSeparator = false;
    for (const char* p = name; *p != 0; ++p)
    {
        char c = *p;
        if (c == '\\' || c == '/')
        {
            if (!afterSeparator)
                out.push_back('\\');
            afterSeparator = true;
        }
        else if (c == '.' && afterSeparator && p[1] == '.')
        {
            // Climb: drop the separator just written and the component before it.
            if (!out.empty() && out.back() == '\\')
                out.pop_back();
            size_t cut = out.rfind('\\');
            out.resize(cut == std::string::npos ? 0 : cut + 1);
            ++p; // the second '.'
        }
        else
        {
            out.push_back(AsciiUpper(c));
            afterSeparator = false;
        }
    }
    return out;
}

bool PakKeyMatches(const std::string& key, const std::string& pattern, size_t* restLength)
{
    size_t star = pattern.find('*');
    if (restLength != nullptr)
        *restLength = star == std::string::npos ? 0 : pattern.size() - star - 1;
    if (star == std::string::npos)
        return false;
    if (key.compare(0, star, pattern, 0, star) != 0 || key.size() < star)
        return false;
    size_t restStart = star + 1;
    size_t rest = pattern.size() - restStart;
    if (rest == 0 || pattern.compare(restStart, std::string::npos, ".*") == 0)
        return true;
    // The ending must not overlap the prefix: "AB*B" does not match "AB".
    if (key.size() < star + rest)
        return false;
    return key.compare(key.size() - rest, rest, pattern, restStart, rest) == 0;
}
