// Packs pictures into atlas pages for the game's KpAtlasCache: each picture is
// trimmed to its visible pixels, the pieces are laid on shelves (tallest
// first) with a transparent gap so filtered drawing never bleeds, and the
// pages and "<pack>_atlaspack.xml" are written (format in docs/data-formats.md).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Lumo
{
class MemoryImage;
}
class ArtOutput;

class ArtAtlas
{
public:
    // name: the pack under the pictures' folder ("comix/intro" gives
    // "img\comix\intro_atlaspack.xml" and pages "img\comix\intro_<n>.png").
    explicit ArtAtlas(const std::string& name, int pageWidth = 1024, int pageHeight = 1024);
    ~ArtAtlas();

    // Adds a picture under the path the game asks for it by ("img\comix\intro\girl.png").
    void Add(const std::string& gamePath, const Lumo::MemoryImage& picture);
    // Packs and writes the pages and the description.
    void Save(ArtOutput& out);

private:
    struct Piece;
    std::string mName;
    int mPageWidth, mPageHeight;
    std::vector<std::unique_ptr<Piece>> mPieces;
};
