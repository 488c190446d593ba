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
const uint32_t kDemoFileVersion = 2; // 2 and later carry the marker block

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

// The file's bytes for the contents.
std::string BuildDemoFile(const DemoFileContents& contents);

// Checks and takes apart a demo file's bytes. On failure the error is "Invalid
// demo file." (also for a format version other than 1 and 2) or, for a file
// of another program version, "This demo file appears to be for '<its
// version>'", the version shown as printable text of at most 40 characters.
// `seedRead` tells whether the seed was reached (it is the one value a caller
// applies even from a refused file).
bool ParseDemoFile(const std::string& bytes, const std::string& programVersion,
                   DemoFileContents* contents, bool* seedRead, std::string* error);

} // namespace Lumo
