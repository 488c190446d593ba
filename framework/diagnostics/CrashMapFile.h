// The two tables of a linker map file that the crash report needs: public
// symbols and source lines, both by (section, offset). The file is read line
// by line and any line that fits neither layout is passed over, so a damaged
// or foreign map file gives a report with fewer names, never a failure.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Lumo
{

class CrashMapFile
{
public:
    typedef std::pair<uint32_t, uint32_t> Address; // section, offset

    // False when the file cannot be opened, or when its header gives a link
    // time stamp other than programStamp: the map of another program or of
    // another build of it names the wrong functions. 0 takes any map.
    bool ReadFile(const std::string& path, uint32_t programStamp = 0);
    // One line without its line break.
    void ReadLine(const std::string& line);

    // The symbol that holds the address, and where it starts; null when none
    // lies at or below it in its section. A return address is looked up at
    // the byte before it, where its call lies: a call that ends a function
    // (one that never returns) leaves a return address on the next one.
    const std::string* SymbolAt(Address address, bool returnAddress, uint32_t* start) const;

    // Replaces every "ssss:oooooooo" address of the report that falls in a
    // known symbol by the symbol's name (through undecorate) and its distance,
    // followed by the source line when one is known inside that symbol. Every
    // address but the fault's is a return address. The map describes one
    // program: an address that its line places in another module (named after
    // it, or on the "Module: " line before "Logical Address: ") keeps its numbers.
    void Annotate(std::string& report, const std::string& programModule, Address fault,
                  const std::function<std::string(const std::string&)>& undecorate) const;

    size_t SymbolCount() const { return mSymbols.size(); }
    size_t LineCount() const { return mLines.size(); }

private:
    struct SourceLine
    {
        int file; // index into mFiles
        int line;
    };

    std::map<Address, std::string> mSymbols; // decorated names
    std::map<Address, SourceLine> mLines;
    std::vector<std::string> mFiles;
    int mCurrentFile = -1; // the source file of the line-number block being read
    bool mHasTimeStamp = false;
    uint32_t mTimeStamp = 0; // the program's link time stamp, from the header
};

} // namespace Lumo
