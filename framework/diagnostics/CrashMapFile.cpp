#include "framework/diagnostics/CrashMapFile.h"

#include "framework/app/StringUtils.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Lumo
{

namespace
{

// Exactly count hexadecimal digits at text[at].
bool ParseHexField(const std::string& text, size_t at, size_t count, uint32_t& value)
{
    if (at + count > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + count; i++)
    {
        char c = text[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0)
            return false;
        value = value * 16 + (uint32_t)digit;
    }
    return true;
}

} // namespace

bool CrashMapFile::ReadFile(const std::string& path, uint32_t programStamp)
{
    FILE* file = fopen(path.c_str(), "rt");
    if (!file)
        return false;
    // Lines up to 4096 characters; a longer one arrives in pieces, each read as a line.
    char buffer[4098];
    bool ours = true;
    while (ours && fgets(buffer, sizeof(buffer), file))
    {
        size_t length = strlen(buffer);
        while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
            length--;
        ReadLine(std::string(buffer, length));
        ours = !programStamp || !mHasTimeStamp || mTimeStamp == programStamp;
    }
    fclose(file);
    return ours;
}

void CrashMapFile::ReadLine(const std::string& line)
{
    // " Timestamp is 6b16f682 ...": the header's link time stamp.
    static const char kStamp[] = " Timestamp is ";
    uint32_t stamp;
    if (line.compare(0, sizeof(kStamp) - 1, kStamp) == 0 &&
        ParseHexField(line, sizeof(kStamp) - 1, 8, stamp))
    {
        mHasTimeStamp = true;
        mTimeStamp = stamp;
        return;
    }

    // " ssss:oooooooo       name ..." : a public symbol.
    uint32_t section, offset;
    if (line.size() > 22 && line[5] == ':' && ParseHexField(line, 1, 4, section) &&
        ParseHexField(line, 6, 8, offset) && line[20] == ' ')
    {
        size_t end = line.find(' ', 21);
        std::string name = line.substr(21, end == std::string::npos ? std::string::npos : end - 21);
        if (!name.empty())
            mSymbols[Address(section, offset)] = name;
        return;
    }

    // "Line numbers for object(source file) segment .text" starts a block.
    if (line.compare(0, 12, "Line numbers") == 0)
    {
        size_t open = line.find('(');
        size_t close = line.rfind(')');
        mCurrentFile = -1;
        if (open == std::string::npos)
            return;
        size_t end = close == std::string::npos || close < open ? line.size() : close;
        mFiles.push_back(line.substr(open + 1, end - open - 1));
        mCurrentFile = (int)mFiles.size() - 1;
        return;
    }

    // Four entries "llllll ssss:oooooooo" of 20 characters each.
    if (mCurrentFile >= 0 && line.size() == 80)
    {
        for (size_t k = 0; k < 4; k++)
        {
            size_t at = 20 * k;
            if (!ParseHexField(line, at + 7, 4, section) ||
                !ParseHexField(line, at + 12, 8, offset))
                continue;
            mLines[Address(section, offset)] = {mCurrentFile, atoi(line.substr(at, 6).c_str())};
        }
    }
}

namespace
{

// The module that the report's line names for the address at report[at].
std::string ModuleOfAddress(const std::string& report, size_t at)
{
    size_t lineStart = report.rfind('\n', at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    size_t lineEnd = report.find_first_of("\r\n", at + 13);
    if (lineEnd == std::string::npos)
        lineEnd = report.size();
    if (lineEnd > at + 13 && report[at + 13] == ' ')
        return Trim(report.substr(at + 14, lineEnd - at - 14));
    static const char kLogical[] = "Logical Address: ";
    static const char kModule[] = "Module: ";
    if (lineStart < 2 || report.compare(lineStart, sizeof(kLogical) - 1, kLogical) != 0)
        return std::string();
    size_t previous = report.rfind('\n', lineStart - 2);
    previous = previous == std::string::npos ? 0 : previous + 1;
    if (report.compare(previous, sizeof(kModule) - 1, kModule) != 0)
        return std::string();
    size_t end = report.find_first_of("\r\n", previous);
    return Trim(
        report.substr(previous + sizeof(kModule) - 1, end - previous - (sizeof(kModule) - 1)));
}

} // namespace

const std::string* CrashMapFile::SymbolAt(Address address, bool returnAddress,
                                          uint32_t* start) const
{
    if (returnAddress && address.second > 0)
        address.second--;
    auto symbol = mSymbols.upper_bound(address);
    if (symbol == mSymbols.begin() || (--symbol)->first.first != address.first)
        return nullptr;
    if (start)
        *start = symbol->first.second;
    return &symbol->second;
}

void CrashMapFile::Annotate(std::string& report, const std::string& programModule, Address fault,
                            const std::function<std::string(const std::string&)>& undecorate) const
{
    size_t i = 4;
    while (i + 8 < report.size())
    {
        uint32_t section, offset;
        if (report[i] != ':' || !ParseHexField(report, i - 4, 4, section) ||
            !ParseHexField(report, i + 1, 8, offset))
        {
            i++;
            continue;
        }
        std::string module = ModuleOfAddress(report, i - 4);
        if (!module.empty() && _stricmp(module.c_str(), programModule.c_str()) != 0)
        {
            i++;
            continue;
        }
        Address address(section, offset);
        bool returnAddress = address != fault;
        uint32_t start = 0;
        const std::string* symbol = SymbolAt(address, returnAddress, &start);
        if (!symbol)
        {
            i++;
            continue;
        }
        std::string text = undecorate(*symbol);
        if (offset != start)
            text += StrFormat("+0x%X", offset - start);
        // Only a line inside the symbol: code without line information (the
        // runtime's) would otherwise take the last line of whatever lies before it.
        Address key(section, returnAddress && offset > 0 ? offset - 1 : offset);
        auto source = mLines.upper_bound(key);
        if (source != mLines.begin() && (--source)->first.first == section &&
            source->first.second >= start)
            text += StrFormat("\r\n    %s line %d +0x%X", mFiles[source->second.file].c_str(),
                              source->second.line, offset - source->first.second);
        report.replace(i - 4, 13, text);
        i = i - 4 + text.size() + 4;
    }
}

} // namespace Lumo
