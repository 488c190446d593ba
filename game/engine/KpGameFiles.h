// The files the game keeps: the player's profile file with its temporary file
// and the copies kept of a damaged one, the archives, the executable and its
// map and debug files. A demo recording is written over its file when the run
// ends, after the quit box said the progress is saved, so a recording must
// never be named after one of these. A name matches by its full path (any
// case, "..\" resolved, a data stream of the file counting as the file) and,
// for a file that exists, by the file itself, which catches another road to
// it (another drive letter, a short name).
#pragma once

#include <string>

struct KpGameFiles
{
    std::string profilePath; // the profile file, empty when out of reach; its ".tmp" and
                             // ".bad" copies (and a copy's ".bad.tmp") go with it
    std::string exePath;     // the executable; the archives, its map and debug file lie beside it
};

// The files of this installation and this user.
KpGameFiles KpCurrentGameFiles();

// True when writing to the name would replace one of the game's files.
bool KpIsGameFile(const KpGameFiles& files, const std::string& name);
