// TGA reader of our own: colour-mapped, true-colour and grey images, plain or
// run-length encoded, 8, 15, 16, 24 and 32 bits per pixel, either origin.
// TGA has no signature, so the header is checked field by field before any
// pixel is read.

#include "framework/resources/ImageLib.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace ImageLib
{

namespace
{

// A pixel of 8 to 32 bits as stored, turned into 0xAARRGGBB.
uint32_t DecodePixel(const unsigned char* p, int bytes, bool grey, bool alphaBit)
{
    if (grey)
    {
        uint32_t v = p[0];
        uint32_t a = bytes == 2 ? p[1] : 0xFF;
        return (a << 24) | (v << 16) | (v << 8) | v;
    }
    switch (bytes)
    {
    case 2:
    {
        uint32_t w = p[0] | (p[1] << 8);
        uint32_t r = (w >> 10) & 0x1F, g = (w >> 5) & 0x1F, b = w & 0x1F;
        uint32_t a = (alphaBit && !(w & 0x8000)) ? 0 : 0xFF;
        return (a << 24) | (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) |
               ((b << 3) | (b >> 2));
    }
    case 3:
        return 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
    case 4:
        return ((uint32_t)p[3] << 24) | (p[2] << 16) | (p[1] << 8) | p[0];
    }
    return 0xFF000000u;
}

Image* ReadTgaImage(ByteSource& src)
{
    unsigned char h[18];
    if (src.Read(h, 18) != 18)
        return nullptr;
    int idLength = h[0];
    int mapType = h[1];
    int type = h[2];
    int mapFirst = h[3] | (h[4] << 8);
    int mapLength = h[5] | (h[6] << 8);
    int mapBits = h[7];
    int width = h[12] | (h[13] << 8);
    int height = h[14] | (h[15] << 8);
    int bits = h[16];
    int desc = h[17];

    bool rle = type >= 9;
    int baseType = rle ? type - 8 : type;
    if (mapType > 1 || baseType < 1 || baseType > 3 || (type > 3 && type < 9) || type > 11)
        return nullptr;
    if (!IsSizeAcceptable(width, height))
        return nullptr;
    bool mapped = baseType == 1;
    bool grey = baseType == 3;
    if (mapped && (mapType != 1 || bits != 8 || mapLength < 1 || mapFirst + mapLength > 256))
        return nullptr;
    if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
        return nullptr;
    if (grey && bits != 8 && bits != 16)
        return nullptr;
    if (baseType == 2 && bits != 15 && bits != 16 && bits != 24 && bits != 32)
        return nullptr;
    int attrBits = desc & 0x0F;
    if ((desc & 0xC0) != 0)
        return nullptr; // interleaved rows, never written in practice

    unsigned char skip[255];
    if (idLength && src.Read(skip, (size_t)idLength) != (size_t)idLength)
        return nullptr;

    uint32_t palette[256] = {};
    if (mapType == 1)
    {
        int entryBytes = (mapBits + 7) / 8;
        const size_t mapBytes = (size_t)mapLength * entryBytes;
        if (src.Size() - src.Tell() < (long)mapBytes)
            return nullptr;
        std::vector<unsigned char> map(mapBytes);
        if (src.Read(map.data(), map.size()) != map.size())
            return nullptr;
        if (mapped)
            for (int i = 0; i < mapLength; i++)
                // Writers leave bit 15 of 16-bit map entries clear: entries stay opaque.
                palette[mapFirst + i] =
                    DecodePixel(&map[(size_t)i * entryBytes], entryBytes, false, false);
    }

    const int pixelBytes = (bits + 7) / 8;
    const bool alphaBit = bits == 16 && !grey && attrBits >= 1;
    const size_t count = (size_t)width * height;
    // Nothing is allocated that the bytes left could not fill: raw pixels take
    // their bytes each; a run-length packet of a head and one pixel gives at
    // most 128 pixels. TGA is also the reader of unrecognised bytes.
    const long left = src.Size() - src.Tell();
    if (left < 0)
        return nullptr;
    const uint64_t most =
        rle ? (uint64_t)left / (1 + pixelBytes) * 128 : (uint64_t)left / pixelBytes;
    if (most < count)
        return nullptr;

    std::unique_ptr<Image> image(new Image());
    if (!image->Allocate(width, height, &src))
        return nullptr;
    // Pixels in file order first; the rows and columns are put in place after.
    uint32_t* out = image->mBits;
    unsigned char px[4];
    auto convert = [&](const unsigned char* p) -> uint32_t
    { return mapped ? palette[p[0]] : DecodePixel(p, pixelBytes, grey, alphaBit); };
    bool complete = true;
    if (rle)
    {
        size_t at = 0;
        while (complete && at < count)
        {
            unsigned char head;
            size_t run = 0;
            if (src.Read(&head, 1) != 1 || (run = (head & 0x7F) + 1u) > count - at)
                complete = false; // short, or a packet running past the image
            else if (head & 0x80)
            {
                complete = src.Read(px, (size_t)pixelBytes) == (size_t)pixelBytes;
                const uint32_t c = convert(px);
                for (size_t i = 0; complete && i < run; i++)
                    out[at++] = c;
            }
            else
            {
                for (size_t i = 0; complete && i < run; i++)
                {
                    complete = src.Read(px, (size_t)pixelBytes) == (size_t)pixelBytes;
                    out[at++] = convert(px);
                }
            }
        }
    }
    else
    {
        // A row at a time: at most 64 KB besides the picture.
        std::vector<unsigned char> raw((size_t)width * pixelBytes);
        for (int y = 0; complete && y < height; y++)
        {
            complete = src.Read(raw.data(), raw.size()) == raw.size();
            for (int x = 0; complete && x < width; x++)
                out[(size_t)y * width + x] = convert(&raw[(size_t)x * pixelBytes]);
        }
    }
    if (!complete)
        return nullptr;

    // File order is bottom-up and left to right unless the descriptor says otherwise.
    if (!(desc & 0x20))
        for (int y = 0; y < height / 2; y++)
            std::swap_ranges(out + (size_t)y * width, out + (size_t)(y + 1) * width,
                             out + (size_t)(height - 1 - y) * width);
    if (desc & 0x10)
        for (int y = 0; y < height; y++)
            std::reverse(out + (size_t)y * width, out + (size_t)(y + 1) * width);
    return image.release();
}

} // namespace

// A failed allocation refuses the file, noted as memory running short.
Image* ReadTGA(ByteSource& src)
{
    try
    {
        return ReadTgaImage(src);
    }
    catch (const std::bad_alloc&)
    {
        src.mMemoryShort = true;
        return nullptr;
    }
}

} // namespace ImageLib
