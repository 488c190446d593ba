// Builds scrambled archives that PakInterface serves, from entries in memory or from a
// folder on disk (the pakwriter tool). Names are stored as given, apart from '/' becoming
// '\', so they must already be in the reader's lookup form: relative, no "." or ".."
// components, no doubled separators. Writing goes to a temporary file that replaces the
// target only when complete, so a failed run never leaves a truncated archive behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PakWriterEntry
{
    std::string name;  // relative path, '\' or '/' between components
    uint64_t fileTime; // FILETIME stored with the entry
    std::string data;  // the entry's bytes
};

// Checks a name for storage and returns it with '\' separators; false with a reason.
bool PakStoredName(const std::string& name, std::string& stored, std::string* error);

// The whole scrambled archive for `entries`, in that order. False (with a reason) for a
// bad or repeated name, or a total size the reader cannot map.
bool PakBuildArchive(const std::vector<PakWriterEntry>& entries, std::vector<uint8_t>& out,
                     std::string* error);

// Archives every file under `folder` (sub-folders included, names relative to it, in key
// order, time stamps from the files' last-write times) into `outPath`. The archive being
// written is left out when it lies inside the folder.
bool PakWriteFolder(const std::string& folder, const std::string& outPath, std::string* error);
