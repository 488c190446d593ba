#pragma once
// Reads what is left of a file opened through the archive reader, the way the
// archive tests compare contents: chunk by chunk through FRead, then closed.

#include "framework/app/PakInterface.h"

#include <string>

// The rest of f, read in 64-byte chunks; closes f.
std::string ReadPakRest(PakInterface& pak, PakFile* f);
