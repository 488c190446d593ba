// The art tool draws its pictures in groups. Each group lives in a file of its
// own and registers itself with ART_GROUP, so adding pictures never touches a
// shared table; the tool runs the groups in name order, which keeps the output
// the same from run to run.
#pragma once

#include <string>
#include <vector>

namespace Lumo
{
class MemoryImage;
}

class ArtOutput
{
public:
    explicit ArtOutput(const std::string& folder) : mFolder(folder) {}
    // Writes the picture as an RGBA PNG under the output folder ("cursors/arrow.png");
    // a failure is remembered and fails the run.
    void Save(const std::string& relativePath, Lumo::MemoryImage& image);
    // Writes a text file (an atlas pack's description) under the output folder.
    void SaveText(const std::string& relativePath, const std::string& text);
    bool Failed() const { return mFailed; }
    int Written() const { return mWritten; }

private:
    std::string mFolder;
    bool mFailed = false;
    int mWritten = 0;
};

typedef void (*ArtGroupFn)(ArtOutput& out);

struct ArtGroup
{
    const char* name;
    ArtGroupFn draw;
};

// The registered groups, sorted by name.
std::vector<ArtGroup> ArtGroups();

struct ArtGroupRegistrar
{
    ArtGroupRegistrar(const char* name, ArtGroupFn draw);
};

// ART_GROUP(cursors) { ...draw, then out.Save(...)... }
#define ART_GROUP(name)                                                                            \
    static void ArtGroup_##name(ArtOutput& out);                                                   \
    static ArtGroupRegistrar ArtGroupRegistrar_##name(#name, ArtGroup_##name);                     \
    static void ArtGroup_##name(ArtOutput& out)
