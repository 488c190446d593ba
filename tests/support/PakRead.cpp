#include "tests/support/PakRead.h"

std::string ReadPakRest(PakInterface& pak, PakFile* f)
{
    std::string text;
    char buffer[64];
    size_t got;
    while ((got = pak.FRead(buffer, 1, sizeof(buffer), f)) > 0)
        text.append(buffer, got);
    pak.FClose(f);
    return text;
}
