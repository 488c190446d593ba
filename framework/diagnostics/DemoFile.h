// The demo file: the random seed, the version of the program that recorded
// it, the named markers, the total update count and the demo stream, all
// little-endian (docs/data-formats.md). Building and checking the bytes are
// pure functions; LumoAppBase reads and writes the file around them.
// The checker trusts nothing: every length is held against what is left of
// the file before anything is taken, so no allocation outgrows the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/app/Buffer.h"

namespace Lumo
{

const uint32_t kDemoFileMagic = 0x42BEEF78;
// 2 and later carry the marker block; 3 and later also the outcomes of the
// game's own file writes (a replay takes them instead of writing); 4 and later
// also whether the window fitted the desktop, and where input of one update
// was handed out in separate steps; 5 and later also whether full screen asked
// for from the game's settings was refused.
const uint32_t kDemoFileVersion = 5;

// A named point of a recording.
struct DemoMarker
{
    std::string name;
    int update;
};

struct DemoFileContents
{
    uint32_t formatVersion = kDemoFileVersion;
    uint32_t randomSeed = 0;
    std::string programVersion;
    std::vector<DemoMarker> markers;
    int totalUpdates = 0;
    std::string stream; // the stream's bytes, its bit length rounded up
};

// The largest demo file read: far beyond any recording (an hour of play
// takes well under a megabyte), so a file beyond it is refused before its
// bytes are given memory.
const uint64_t kDemoFileLargest = 64u * 1024 * 1024;

enum class DemoFileRead
{
    Read,
    NotFound, // or unreadable
    TooLarge, // beyond kDemoFileLargest (sizes are read in 64 bits), or no memory for it
};

// A recording is written beside its name under this suffix, then put in its place, so that a
// run cut off meanwhile leaves no half file.
const char* const kDemoTemporarySuffix = ".tmp";

// Reads a demo file whole.
DemoFileRead ReadDemoFileBytes(const std::string& path, std::string* bytes);

// The file's bytes for the contents.
std::string BuildDemoFile(const DemoFileContents& contents);

// Checks and takes apart a demo file's bytes. On failure the error is "Invalid
// demo file." (also for a format version other than 1 to 5) or, for a file
// of another program version, "This demo file appears to be for '<its
// version>'", the version shown as printable text of at most 40 characters.
// `seedRead` tells whether the seed was reached (it is the one value a caller
// applies even from a refused file).
bool ParseDemoFile(const std::string& bytes, const std::string& programVersion,
                   DemoFileContents* contents, bool* seedRead, std::string* error);

// The file beside a demo where its replay keeps a file the run writes, so that
// a replay never touches the player's own: "x\run.dmo" and "pref.dat" give
// "x\run.pref.dat".
std::string DemoReplayFileName(const std::string& demoFile, const std::string& name);

} // namespace Lumo
