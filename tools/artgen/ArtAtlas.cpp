#include "tools/artgen/ArtAtlas.h"

#include <algorithm>
#include <cstdio>

#include "framework/app/StringUtils.h"
#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtGroup.h"

namespace
{
const int kGap = 2; // transparent pixels between pieces and at page edges
}

struct ArtAtlas::Piece
{
    std::string path;
    int trimX = 0, trimY = 0, width = 0, height = 0; // the visible part in the original
    int sourceWidth = 0, sourceHeight = 0;
    std::vector<uint32_t> pixels; // the visible part
    int page = 0, x = 0, y = 0;   // where it went
};

ArtAtlas::ArtAtlas(const std::string& name, int pageWidth, int pageHeight)
    : mName(name), mPageWidth(pageWidth), mPageHeight(pageHeight)
{
}

ArtAtlas::~ArtAtlas() = default;

void ArtAtlas::Add(const std::string& gamePath, const Lumo::MemoryImage& picture)
{
    Lumo::MemoryImage& p = const_cast<Lumo::MemoryImage&>(picture);
    const uint32_t* pixels = p.GetPixels();
    int left = p.mWidth, top = p.mHeight, right = -1, bottom = -1;
    for (int y = 0; y < p.mHeight; y++)
        for (int x = 0; x < p.mWidth; x++)
            if (pixels[size_t(y) * p.mWidth + x] >> 24)
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    std::unique_ptr<Piece> piece(new Piece);
    piece->path = gamePath;
    piece->sourceWidth = p.mWidth;
    piece->sourceHeight = p.mHeight;
    if (right < 0) // nothing visible: keep one transparent pixel
        left = top = right = bottom = 0;
    piece->trimX = left;
    piece->trimY = top;
    piece->width = right - left + 1;
    piece->height = bottom - top + 1;
    for (int y = top; y <= bottom; y++)
        for (int x = left; x <= right; x++)
            piece->pixels.push_back(pixels[size_t(y) * p.mWidth + x]);
    mPieces.push_back(std::move(piece));
}

void ArtAtlas::Save(ArtOutput& out)
{
    // Tallest first, then by path: the same pictures always pack the same way.
    std::vector<Piece*> order;
    for (auto& piece : mPieces)
        order.push_back(piece.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const Piece* a, const Piece* b) {
                         return a->height != b->height ? a->height > b->height : a->path < b->path;
                     });
    int page = 0, x = kGap, y = kGap, shelf = 0;
    std::vector<int> pageHeights(1, 0);
    for (Piece* piece : order)
    {
        if (x + piece->width + kGap > mPageWidth)
        {
            x = kGap;
            y += shelf + kGap;
            shelf = 0;
        }
        if (y + piece->height + kGap > mPageHeight && y > kGap)
        {
            page++;
            pageHeights.push_back(0);
            x = y = kGap;
            shelf = 0;
        }
        piece->page = page;
        piece->x = x;
        piece->y = y;
        x += piece->width + kGap;
        shelf = std::max(shelf, piece->height);
        pageHeights[page] = std::max(pageHeights[page], y + piece->height + kGap);
    }

    std::string gameName = mName;
    std::replace(gameName.begin(), gameName.end(), '/', '\\');
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<atlaspack>\n";
    for (int p = 0; p < (int)pageHeights.size(); p++)
    {
        Lumo::MemoryImage image;
        image.Create(mPageWidth, std::max(1, pageHeights[p]));
        uint32_t* pixels = image.GetPixels();
        xml += Lumo::StrFormat("  <page file=\"img\\%s_%d.png\">\n", gameName.c_str(), p);
        for (Piece* piece : order)
        {
            if (piece->page != p)
                continue;
            for (int row = 0; row < piece->height; row++)
                std::copy(piece->pixels.begin() + size_t(row) * piece->width,
                          piece->pixels.begin() + size_t(row + 1) * piece->width,
                          pixels + size_t(piece->y + row) * mPageWidth + piece->x);
            xml += Lumo::StrFormat("    <region path=\"%s\" x=\"%d\" y=\"%d\" w=\"%d\" h=\"%d\" "
                                   "trimx=\"%d\" trimy=\"%d\" srcw=\"%d\" srch=\"%d\"/>\n",
                                   piece->path.c_str(), piece->x, piece->y, piece->width,
                                   piece->height, piece->trimX, piece->trimY, piece->sourceWidth,
                                   piece->sourceHeight);
        }
        xml += "  </page>\n";
        image.PixelsChanged();
        out.Save(Lumo::StrFormat("%s_%d.png", mName.c_str(), p), image);
    }
    xml += "</atlaspack>\n";
    out.SaveText(mName + "_atlaspack.xml", xml);
}
