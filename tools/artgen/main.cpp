// artgen <out folder>: draws every picture of the game with the framework's
// own drawing and writes them as PNG files under the folder, group by group.
#include <cstdio>

#include "tools/artgen/ArtGroup.h"

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: artgen <out folder>\n");
        return 2;
    }
    ArtOutput out(argv[1]);
    for (const ArtGroup& group : ArtGroups())
        group.draw(out);
    printf("artgen: %d pictures\n", out.Written());
    return out.Failed() ? 1 : 0;
}
