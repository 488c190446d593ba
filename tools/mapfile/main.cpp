// Writes the linker map file that the crash reporter reads after a crash, for
// a linked 32-bit PE executable: its public symbols from the COFF symbol table
// and its line numbers from the DWARF line programs, both as (section, offset)
// pairs in the map layout the reporter expects. GNU ld's own map holds no
// line numbers and a different layout, so the build runs this after linking.
// The map's header carries the program's link time stamp, by which the
// reporter knows the map of this very build: so the build runs it on the
// program as shipped, after its debug sections moved to their own file, and
// the line tables are read from that file.
//
// Usage: lumo_mapfile <program.exe> <program.map> [<program.debug>]
// Runs on the build machine (not under Wine); reads the files only.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

struct Section
{
    std::string name;
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset, flags;
};

struct Symbol
{
    int section;
    uint32_t offset;
    std::string name;
    bool operator<(const Symbol& o) const
    {
        return section != o.section ? section < o.section : offset < o.offset;
    }
};

struct LineRow
{
    int section;
    uint32_t offset;
    int line;
};

// Bounds-checked little-endian reading of one byte range.
class Reader
{
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size), mPos(0) {}
    size_t Pos() const { return mPos; }
    size_t Size() const { return mSize; }
    bool AtEnd() const { return mPos >= mSize; }
    void Seek(size_t pos)
    {
        if (pos > mSize)
            throw std::runtime_error("offset past the data");
        mPos = pos;
    }
    void Skip(size_t count) { Seek(mPos + count); }
    uint64_t Fixed(int bytes)
    {
        if (mPos + bytes > mSize)
            throw std::runtime_error("value past the data");
        uint64_t v = 0;
        for (int i = 0; i < bytes; i++)
            v |= (uint64_t)mData[mPos + i] << (8 * i);
        mPos += bytes;
        return v;
    }
    uint8_t U8() { return (uint8_t)Fixed(1); }
    uint16_t U16() { return (uint16_t)Fixed(2); }
    uint32_t U32() { return (uint32_t)Fixed(4); }
    uint64_t ULeb()
    {
        uint64_t v = 0;
        for (int shift = 0;; shift += 7)
        {
            uint8_t b = U8();
            if (shift < 64)
                v |= (uint64_t)(b & 0x7F) << shift;
            if (!(b & 0x80))
                return v;
        }
    }
    int64_t SLeb()
    {
        int64_t v = 0;
        int shift = 0;
        uint8_t b;
        do
        {
            b = U8();
            if (shift < 64)
                v |= (int64_t)(b & 0x7F) << shift;
            shift += 7;
        } while (b & 0x80);
        if (shift < 64 && (b & 0x40))
            v |= -((int64_t)1 << shift);
        return v;
    }
    std::string CString()
    {
        const uint8_t* end = (const uint8_t*)memchr(mData + mPos, 0, mSize - mPos);
        if (!end)
            throw std::runtime_error("string past the data");
        std::string s((const char*)mData + mPos, end - (mData + mPos));
        mPos = end - mData + 1;
        return s;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos;
};

std::string StringAt(const std::vector<uint8_t>& table, uint64_t offset)
{
    if (offset >= table.size())
        return std::string();
    const char* s = (const char*)table.data() + offset;
    return std::string(s, strnlen(s, table.size() - offset));
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty() || name.empty() || name[0] == '/' || name[0] == '\\' ||
        (name.size() > 1 && name[1] == ':'))
        return name;
    return dir + (dir.back() == '/' || dir.back() == '\\' ? "" : "/") + name;
}

// The COFF header, string table and section table of a PE image, sections by
// their full names (long ones through the string table).
struct PeHeaders
{
    uint32_t timeStamp = 0, symbolTable = 0, symbolCount = 0, imageBase = 0;
    bool pe32 = false; // a 32-bit optional header, which gives imageBase
    std::vector<uint8_t> strings;
    std::vector<Section> sections;
};

PeHeaders ReadPeHeaders(const std::vector<uint8_t>& image)
{
    PeHeaders h;
    Reader r(image.data(), image.size());
    r.Seek(0x3C);
    uint32_t peOffset = r.U32();
    r.Seek(peOffset);
    if (r.U32() != 0x00004550)
        throw std::runtime_error("not a PE file");
    r.Skip(2); // machine
    int sectionCount = r.U16();
    h.timeStamp = r.U32();
    h.symbolTable = r.U32();
    h.symbolCount = r.U32();
    int optionalSize = r.U16();
    r.Skip(2);
    size_t optional = r.Pos();
    h.pe32 = optionalSize >= 32 && r.U16() == 0x10B;
    if (h.pe32)
    {
        r.Seek(optional + 28);
        h.imageBase = r.U32();
    }
    r.Seek(optional + optionalSize);

    if (h.symbolTable)
    {
        size_t strings = h.symbolTable + (size_t)h.symbolCount * 18;
        Reader t(image.data(), image.size());
        t.Seek(strings);
        uint32_t size = t.U32();
        t.Seek(strings);
        t.Skip(size);
        h.strings.assign(image.begin() + strings, image.begin() + strings + size);
    }

    for (int i = 0; i < sectionCount; i++)
    {
        char name[9] = {0};
        for (int k = 0; k < 8; k++)
            name[k] = (char)r.U8();
        Section sec;
        sec.name = name;
        if (sec.name.size() > 1 && sec.name[0] == '/')
            sec.name = StringAt(h.strings, strtoul(name + 1, nullptr, 10));
        sec.virtualSize = r.U32();
        sec.virtualAddress = r.U32();
        sec.rawSize = r.U32();
        sec.rawOffset = r.U32();
        r.Skip(12);
        sec.flags = r.U32();
        h.sections.push_back(sec);
    }
    return h;
}

// A section's bytes by its full name; empty when the image has none.
std::vector<uint8_t> SectionBytes(const std::vector<uint8_t>& image, const PeHeaders& headers,
                                  const char* wanted)
{
    for (const Section& s : headers.sections)
    {
        if (s.name != wanted)
            continue;
        if (s.rawOffset + (size_t)s.rawSize > image.size())
            return {};
        size_t size = std::min(s.virtualSize ? s.virtualSize : s.rawSize, s.rawSize);
        return std::vector<uint8_t>(image.begin() + s.rawOffset,
                                    image.begin() + s.rawOffset + size);
    }
    return {};
}

class MapWriter
{
public:
    // The line tables come from debugImage when it is not empty.
    MapWriter(const std::vector<uint8_t>& image, const std::vector<uint8_t>& debugImage)
        : mImage(image), mDebugImage(debugImage.empty() ? image : debugImage)
    {
    }

    void Read()
    {
        PeHeaders headers = ReadPeHeaders(mImage);
        if (!headers.pe32)
            throw std::runtime_error("not a 32-bit PE file");
        mTimeStamp = headers.timeStamp;
        mImageBase = headers.imageBase;
        mStrings = headers.strings;
        mSections = headers.sections;
        const uint32_t symbolTable = headers.symbolTable, symbolCount = headers.symbolCount;

        if (symbolTable)
            ReadSymbols(symbolTable, symbolCount);
        ReadLines();
    }

    void Write(FILE* out, const std::string& programName) const
    {
        fprintf(out, " %s\n\n Timestamp is %08x\n\n Preferred load address is %08x\n\n",
                programName.c_str(), mTimeStamp, mImageBase);
        fprintf(out,
                "  Address         Publics by Value              Rva+Base       Lib:Object\n\n");
        for (const Symbol& s : mSymbols)
            fprintf(out, " %04X:%08X       %s %08x f\n", s.section, s.offset, s.name.c_str(),
                    mImageBase + mSections[s.section - 1].virtualAddress + s.offset);
        fprintf(out, "\n");

        // Four entries of 20 characters to a line, every line exactly 80
        // characters: the reader skips any other, so a short last line repeats
        // its last entry.
        for (const auto& file : mLines)
        {
            std::vector<LineRow> rows = file.second;
            std::sort(rows.begin(), rows.end(),
                      [](const LineRow& a, const LineRow& b) {
                          return a.section != b.section ? a.section < b.section
                                                        : a.offset < b.offset;
                      });
            fprintf(out, "\nLine numbers for %s(%s) segment .text\n\n", programName.c_str(),
                    file.first.c_str());
            for (size_t i = 0; i < rows.size(); i += 4)
            {
                for (size_t k = 0; k < 4; k++)
                {
                    const LineRow& row = rows[std::min(i + k, rows.size() - 1)];
                    fprintf(out, "%6d %04X:%08X", row.line, row.section, row.offset);
                }
                fprintf(out, "\n");
            }
        }
    }

private:
    // Section number (from 1) and offset of a relative virtual address; 0 when none.
    int Locate(uint32_t rva, uint32_t& offset) const
    {
        for (size_t i = 0; i < mSections.size(); i++)
        {
            const Section& s = mSections[i];
            uint32_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva >= s.virtualAddress && rva - s.virtualAddress < extent)
            {
                offset = rva - s.virtualAddress;
                return (int)i + 1;
            }
        }
        return 0;
    }

    void ReadSymbols(uint32_t table, uint32_t count)
    {
        Reader r(mImage.data(), mImage.size());
        for (uint32_t i = 0; i < count; i++)
        {
            r.Seek(table + (size_t)i * 18);
            uint8_t shortName[8];
            for (int k = 0; k < 8; k++)
                shortName[k] = r.U8();
            uint32_t value = r.U32();
            int16_t section = (int16_t)r.U16();
            uint16_t type = r.U16();
            uint8_t storage = r.U8();
            uint8_t aux = r.U8();
            i += aux;
            if (section < 1 || section > (int)mSections.size())
                continue;
            bool code = (mSections[section - 1].flags & 0x20) != 0;
            bool function = (type & 0x30) == 0x20;
            if (!code || !(function || storage == 2) || (storage != 2 && storage != 3))
                continue;
            std::string name;
            if (shortName[0] == 0 && shortName[1] == 0 && shortName[2] == 0 && shortName[3] == 0)
                name = StringAt(mStrings, shortName[4] | shortName[5] << 8 | shortName[6] << 16 |
                                              (uint32_t)shortName[7] << 24);
            else
                name.assign((const char*)shortName, strnlen((const char*)shortName, 8));
            if (name.empty() || name[0] == '.' || name.find(' ') != std::string::npos)
                continue;
            mSymbols.push_back({section, value, name});
        }
        std::sort(mSymbols.begin(), mSymbols.end());
    }

    // Reads one entry of a DWARF 5 directory or file table by its format.
    struct EntryFormat
    {
        uint64_t content, form;
    };
    void ReadEntry(Reader& r, const std::vector<EntryFormat>& formats, bool dwarf64,
                   std::string& path, uint64_t& dirIndex)
    {
        for (const EntryFormat& f : formats)
        {
            std::string text;
            uint64_t number = 0;
            switch (f.form)
            {
            case 0x08:
                text = r.CString();
                break; // string
            case 0x1f:
                text = StringAt(mLineStr, r.Fixed(dwarf64 ? 8 : 4));
                break; // line_strp
            case 0x0e:
                text = StringAt(mStr, r.Fixed(dwarf64 ? 8 : 4));
                break; // strp
            case 0x0b:
                number = r.U8();
                break; // data1
            case 0x05:
                number = r.U16();
                break; // data2
            case 0x06:
                number = r.U32();
                break; // data4
            case 0x07:
                number = r.Fixed(8);
                break; // data8
            case 0x1e:
                r.Skip(16);
                break; // data16
            case 0x0f:
                number = r.ULeb();
                break; // udata
            case 0x09:
                r.Skip(r.ULeb());
                break; // block
            default:
                throw std::runtime_error("unknown form in a line table header");
            }
            if (f.content == 1)
                path = text;
            else if (f.content == 2)
                dirIndex = number;
        }
    }

    void ReadLines()
    {
        const PeHeaders debug = ReadPeHeaders(mDebugImage);
        std::vector<uint8_t> lines = SectionBytes(mDebugImage, debug, ".debug_line");
        mStr = SectionBytes(mDebugImage, debug, ".debug_str");
        mLineStr = SectionBytes(mDebugImage, debug, ".debug_line_str");
        Reader r(lines.data(), lines.size());
        while (r.Pos() + 4 <= r.Size())
        {
            size_t unitStart = r.Pos();
            uint64_t length = r.U32();
            bool dwarf64 = length == 0xFFFFFFFF;
            if (dwarf64)
                length = r.Fixed(8);
            size_t unitEnd = r.Pos() + length;
            if (length == 0 || unitEnd > r.Size())
                break;
            try
            {
                ReadUnit(r, unitEnd, dwarf64);
            }
            catch (const std::exception& e)
            {
                fprintf(stderr, "lumo_mapfile: line unit at %zu skipped: %s\n", unitStart,
                        e.what());
            }
            r.Seek(unitEnd);
        }
    }

    void ReadUnit(Reader& r, size_t unitEnd, bool dwarf64)
    {
        int version = r.U16();
        if (version < 2 || version > 5)
            throw std::runtime_error("unknown line table version");
        int addressSize = 4;
        if (version >= 5)
        {
            addressSize = r.U8();
            r.U8(); // segment selector size
        }
        uint64_t headerLength = r.Fixed(dwarf64 ? 8 : 4);
        size_t programStart = r.Pos() + headerLength;
        int minLength = r.U8();
        if (version >= 4)
            r.U8(); // maximum operations per instruction
        bool defaultIsStmt = r.U8() != 0;
        (void)defaultIsStmt;
        int lineBase = (int8_t)r.U8();
        int lineRange = r.U8();
        int opcodeBase = r.U8();
        if (lineRange == 0)
            throw std::runtime_error("line range 0");
        std::vector<int> opcodeLengths(opcodeBase > 0 ? opcodeBase : 1, 0);
        for (int i = 1; i < opcodeBase; i++)
            opcodeLengths[i] = r.U8();

        std::vector<std::string> dirs, files;
        if (version >= 5)
        {
            for (int table = 0; table < 2; table++)
            {
                std::vector<EntryFormat> formats(r.U8());
                for (EntryFormat& f : formats)
                {
                    f.content = r.ULeb();
                    f.form = r.ULeb();
                }
                uint64_t count = r.ULeb();
                for (uint64_t i = 0; i < count; i++)
                {
                    std::string path;
                    uint64_t dir = 0;
                    ReadEntry(r, formats, dwarf64, path, dir);
                    if (table == 0)
                        dirs.push_back(path);
                    else
                        files.push_back(JoinPath(dir < dirs.size() ? dirs[dir] : "", path));
                }
            }
        }
        else
        {
            dirs.push_back(std::string()); // 0: the compilation folder, not named here
            for (std::string d = r.CString(); !d.empty(); d = r.CString())
                dirs.push_back(d);
            files.push_back(std::string()); // numbering starts at 1
            for (std::string f = r.CString(); !f.empty(); f = r.CString())
            {
                uint64_t dir = r.ULeb();
                r.ULeb();
                r.ULeb();
                files.push_back(JoinPath(dir < dirs.size() ? dirs[dir] : "", f));
            }
        }

        r.Seek(programStart);
        uint64_t address = 0;
        uint64_t file = 1;
        int64_t line = 1;
        std::vector<std::pair<uint64_t, std::pair<uint64_t, int64_t>>> sequence;
        auto emit = [&]() { sequence.push_back({address, {file, line}}); };
        auto endSequence = [&]()
        {
            // Several rows at one address: the last one describes it.
            for (size_t i = 0; i < sequence.size(); i++)
            {
                if (i + 1 < sequence.size() && sequence[i + 1].first == sequence[i].first)
                    continue;
                uint64_t f = sequence[i].second.first;
                int64_t l = sequence[i].second.second;
                uint32_t offset;
                int section = Locate((uint32_t)(sequence[i].first - mImageBase), offset);
                if (section == 0 || l <= 0 || f >= files.size() || files[f].empty())
                    continue;
                mLines[files[f]].push_back({section, offset, (int)l});
            }
            sequence.clear();
            address = 0;
            file = 1;
            line = 1;
        };
        while (r.Pos() < unitEnd)
        {
            int op = r.U8();
            if (op >= opcodeBase)
            {
                int adjusted = op - opcodeBase;
                address += (uint64_t)(adjusted / lineRange) * minLength;
                line += lineBase + adjusted % lineRange;
                emit();
                continue;
            }
            switch (op)
            {
            case 0:
            {
                uint64_t size = r.ULeb();
                size_t end = r.Pos() + size;
                if (size == 0)
                    break;
                int sub = r.U8();
                if (sub == 1)
                    endSequence();
                else if (sub == 2)
                    address = r.Fixed(addressSize);
                r.Seek(end);
                break;
            }
            case 1:
                emit();
                break;
            case 2:
                address += r.ULeb() * minLength;
                break;
            case 3:
                line += r.SLeb();
                break;
            case 4:
                file = r.ULeb();
                break;
            case 8:
                address += (uint64_t)((255 - opcodeBase) / lineRange) * minLength;
                break;
            case 9:
                address += r.U16();
                break;
            default:
                for (int i = 0; i < opcodeLengths[op]; i++)
                    r.ULeb();
                break;
            }
        }
    }

    const std::vector<uint8_t>& mImage;
    const std::vector<uint8_t>& mDebugImage;
    uint32_t mTimeStamp = 0;
    uint32_t mImageBase = 0;
    std::vector<uint8_t> mStrings; // the COFF string table
    std::vector<uint8_t> mStr, mLineStr;
    std::vector<Section> mSections;
    std::vector<Symbol> mSymbols;
    std::map<std::string, std::vector<LineRow>> mLines; // by source file
};

} // namespace

std::vector<uint8_t> ReadWholeFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
    {
        fprintf(stderr, "usage: lumo_mapfile <program.exe> <program.map> [<program.debug>]\n");
        return 2;
    }
    std::vector<uint8_t> image = ReadWholeFile(argv[1]);
    std::vector<uint8_t> debugImage;
    if (argc == 4)
        debugImage = ReadWholeFile(argv[3]);
    if (image.empty() || (argc == 4 && debugImage.empty()))
    {
        fprintf(stderr, "lumo_mapfile: cannot read %s\n", argv[image.empty() ? 1 : 3]);
        return 1;
    }
    std::string programName = argv[1];
    size_t slash = programName.find_last_of("/\\");
    if (slash != std::string::npos)
        programName.erase(0, slash + 1);
    try
    {
        MapWriter writer(image, debugImage);
        writer.Read();
        std::string temp = std::string(argv[2]) + ".tmp";
        FILE* out = fopen(temp.c_str(), "w");
        if (!out)
            throw std::runtime_error("cannot write the map file");
        writer.Write(out, programName);
        if (fclose(out) != 0 || rename(temp.c_str(), argv[2]) != 0)
            throw std::runtime_error("cannot write the map file");
    }
    catch (const std::exception& e)
    {
        fprintf(stderr, "lumo_mapfile: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
