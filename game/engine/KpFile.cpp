#include "game/engine/KpFile.h"

#include "framework/app/PakInterface.h"

bool KpReadFile(const std::string& path, std::string& bytes)
{
    PakFile* file = PakOpen(path.c_str(), "rb");
    if (!file)
        return false;
    bool ok = PakSeek(file, 0, SEEK_END) == 0;
    long size = ok ? PakTell(file) : -1;
    ok = ok && size >= 0 && PakSeek(file, 0, SEEK_SET) == 0;
    std::string read;
    if (ok && size > 0)
    {
        read.resize(size_t(size));
        // A short read is a failure: callers never see half a file.
        ok = PakRead(&read[0], 1, size_t(size), file) == size_t(size);
    }
    PakClose(file);
    if (ok)
        bytes.swap(read);
    return ok;
}
