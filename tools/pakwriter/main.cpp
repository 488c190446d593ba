// pakwriter <folder> <out.pak>: archives every file under the folder into a scrambled
// archive that the game's reader serves.
#include "framework/app/PakWriter.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        fprintf(stderr, "usage: pakwriter <folder> <out.pak>\n");
        return 2;
    }
    std::string error;
    if (!PakWriteFolder(argv[1], argv[2], &error))
    {
        fprintf(stderr, "ERROR: pakwriter: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
