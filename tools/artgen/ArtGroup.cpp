#include "tools/artgen/ArtGroup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/app/StringUtils.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"

namespace
{
std::vector<ArtGroup>& Registry()
{
    static std::vector<ArtGroup> groups;
    return groups;
}
} // namespace

ArtGroupRegistrar::ArtGroupRegistrar(const char* name, ArtGroupFn draw)
{
    Registry().push_back({name, draw});
}

std::vector<ArtGroup> ArtGroups()
{
    std::vector<ArtGroup> groups = Registry();
    std::sort(groups.begin(), groups.end(),
              [](const ArtGroup& a, const ArtGroup& b) { return strcmp(a.name, b.name) < 0; });
    return groups;
}

void ArtOutput::Save(const std::string& relativePath, Lumo::MemoryImage& image)
{
    std::string path = mFolder + "/" + relativePath;
    Lumo::MakeDirectories(Lumo::GetFileDir(path, true));
    if (ImageLib::WritePNGImage(path, &image))
        mWritten++;
    else
    {
        fprintf(stderr, "ERROR: artgen: cannot write '%s'\n", path.c_str());
        mFailed = true;
    }
}

void ArtOutput::SaveText(const std::string& relativePath, const std::string& text)
{
    std::string path = mFolder + "/" + relativePath;
    Lumo::MakeDirectories(Lumo::GetFileDir(path, true));
    FILE* file = fopen(path.c_str(), "wb");
    bool ok = file && fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file)
        ok = fclose(file) == 0 && ok;
    if (ok)
        mWritten++;
    else
    {
        fprintf(stderr, "ERROR: artgen: cannot write '%s'\n", path.c_str());
        mFailed = true;
    }
}
