// Whole-file reads through the archive-aware file functions: a name that a
// registered archive holds is read from it, any other from the disk.
#pragma once

#include <string>

// False when the file cannot be opened or read to its end; `bytes` is then untouched.
bool KpReadFile(const std::string& path, std::string& bytes);
