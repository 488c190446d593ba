// GIF reader of our own: the first image of the file, drawn onto a canvas of
// the logical screen size (transparent where the image does not cover it).
// The colour of a transparent index becomes 0 (transparent black). Data that
// ends before the image is complete makes the whole file fail.

#include "framework/resources/ImageLib.h"

#include <cstring>
#include <new>
#include <vector>

namespace ImageLib
{

namespace
{

class GifInput
{
public:
    explicit GifInput(ByteSource& src) : mSrc(src), mFailed(false) {}

    int Byte()
    {
        unsigned char b;
        if (mSrc.Read(&b, 1) != 1)
        {
            mFailed = true;
            return 0;
        }
        return b;
    }
    int Word()
    {
        int lo = Byte();
        return lo | (Byte() << 8);
    }
    bool Bytes(void* dest, size_t n)
    {
        if (mSrc.Read(dest, n) != n)
            mFailed = true;
        return !mFailed;
    }
    bool Failed() const { return mFailed; }

private:
    ByteSource& mSrc;
    bool mFailed;
};

// Reads a colour table of n entries into 0xFFRRGGBB words.
bool ReadColorTable(GifInput& in, int n, uint32_t* table)
{
    unsigned char rgb[256 * 3];
    if (!in.Bytes(rgb, (size_t)n * 3))
        return false;
    for (int i = 0; i < n; i++)
        table[i] = 0xFF000000u | (rgb[i * 3] << 16) | (rgb[i * 3 + 1] << 8) | rgb[i * 3 + 2];
    return true;
}

// Skips data sub-blocks up to and including the zero-length terminator.
bool SkipSubBlocks(GifInput& in)
{
    for (;;)
    {
        int len = in.Byte();
        if (in.Failed())
            return false;
        if (len == 0)
            return true;
        unsigned char skip[255];
        if (!in.Bytes(skip, (size_t)len))
            return false;
    }
}

// Gathers the image data sub-blocks into one byte string.
bool ReadSubBlocks(GifInput& in, std::vector<unsigned char>& data)
{
    for (;;)
    {
        int len = in.Byte();
        if (in.Failed())
            return false;
        if (len == 0)
            return true;
        size_t at = data.size();
        data.resize(at + (size_t)len);
        if (!in.Bytes(&data[at], (size_t)len))
            return false;
    }
}

// LZW decoding of a GIF image; out gets exactly `count` indices or it fails.
bool DecodeLzw(const std::vector<unsigned char>& data, int minCodeSize, size_t count,
               std::vector<unsigned char>& out)
{
    if (minCodeSize < 2 || minCodeSize > 8)
        return false;
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    uint16_t prefix[4096];
    unsigned char suffix[4096];
    unsigned char stack[4097];

    for (int i = 0; i < clearCode; i++)
    {
        prefix[i] = 0xFFFF;
        suffix[i] = (unsigned char)i;
    }
    int codeSize = minCodeSize + 1;
    int nextCode = clearCode + 2;
    int prevCode = -1;
    unsigned char firstChar = 0;

    out.clear();
    out.reserve(count);
    size_t bitPos = 0;
    const size_t totalBits = data.size() * 8;
    while (out.size() < count)
    {
        if (bitPos + (size_t)codeSize > totalBits)
            return false; // data ran out before the image was complete
        int code = 0;
        for (int b = 0; b < codeSize; b++, bitPos++)
            code |= ((data[bitPos >> 3] >> (bitPos & 7)) & 1) << b;

        if (code == clearCode)
        {
            codeSize = minCodeSize + 1;
            nextCode = clearCode + 2;
            prevCode = -1;
            continue;
        }
        if (code == endCode)
            break;

        int sp = 0;
        int walk;
        if (prevCode < 0)
        {
            if (code >= clearCode)
                return false;
            out.push_back((unsigned char)code);
            firstChar = (unsigned char)code;
            prevCode = code;
            continue;
        }
        if (code < nextCode && code != clearCode && code != endCode)
            walk = code;
        else if (code == nextCode)
        {
            stack[sp++] = firstChar; // the KwKwK case
            walk = prevCode;
        }
        else
            return false;

        while (walk >= clearCode)
        {
            if (sp >= 4096 || walk >= nextCode)
                return false;
            stack[sp++] = suffix[walk];
            walk = prefix[walk];
        }
        stack[sp++] = (unsigned char)walk;
        firstChar = (unsigned char)walk;
        while (sp > 0 && out.size() < count)
            out.push_back(stack[--sp]);

        if (nextCode < 4096)
        {
            prefix[nextCode] = (uint16_t)prevCode;
            suffix[nextCode] = firstChar;
            nextCode++;
            if (nextCode == (1 << codeSize) && codeSize < 12)
                codeSize++;
        }
        prevCode = code;
    }
    return out.size() == count;
}

// Most indices LZW data of this many bytes can give: every code takes at least
// minCodeSize + 1 bits and stands for at most 4096 indices.
uint64_t MostLzwIndices(size_t dataBytes, int minCodeSize)
{
    return (uint64_t)dataBytes * 8 / (uint64_t)(minCodeSize + 1) * 4096;
}

Image* ReadGifImage(ByteSource& src)
{
    GifInput in(src);
    char sig[6];
    if (!in.Bytes(sig, 6) || (memcmp(sig, "GIF87a", 6) != 0 && memcmp(sig, "GIF89a", 6) != 0))
        return nullptr;
    int screenW = in.Word();
    int screenH = in.Word();
    int flags = in.Byte();
    in.Byte(); // background colour index: the canvas stays transparent instead
    in.Byte(); // aspect ratio
    if (in.Failed())
        return nullptr;

    uint32_t globalTable[256];
    int globalCount = 0;
    if (flags & 0x80)
    {
        globalCount = 2 << (flags & 7);
        if (!ReadColorTable(in, globalCount, globalTable))
            return nullptr;
    }

    int transparent = -1;
    for (;;)
    {
        int block = in.Byte();
        if (in.Failed())
            return nullptr;
        if (block == 0x3B)
            return nullptr; // trailer before any image
        if (block == 0x21)
        {
            int label = in.Byte();
            if (label == 0xF9)
            {
                int len = in.Byte();
                if (len != 4)
                    return nullptr;
                int gflags = in.Byte();
                in.Word(); // delay
                int index = in.Byte();
                if (gflags & 1)
                    transparent = index;
            }
            if (!SkipSubBlocks(in))
                return nullptr;
            continue;
        }
        if (block != 0x2C)
            return nullptr;

        int left = in.Word();
        int top = in.Word();
        int w = in.Word();
        int h = in.Word();
        int iflags = in.Byte();
        if (in.Failed() || w < 1 || h < 1)
            return nullptr;
        if (screenW < 1 || screenH < 1)
        {
            screenW = left + w;
            screenH = top + h;
        }
        uint32_t localTable[256];
        const uint32_t* table = globalTable;
        int tableCount = globalCount;
        if (iflags & 0x80)
        {
            tableCount = 2 << (iflags & 7);
            if (!ReadColorTable(in, tableCount, localTable))
                return nullptr;
            table = localTable;
        }
        if (tableCount == 0)
            return nullptr;
        int minCodeSize = in.Byte();
        std::vector<unsigned char> data;
        if (in.Failed() || !ReadSubBlocks(in, data))
            return nullptr;
        if (!IsSizeAcceptable(screenW, screenH) || !IsSizeAcceptable(w, h))
            return nullptr;
        if (MostLzwIndices(data.size(), minCodeSize) < (uint64_t)w * h)
            return nullptr; // the data cannot fill the image
        std::vector<unsigned char> indices;
        if (!DecodeLzw(data, minCodeSize, (size_t)w * h, indices))
            return nullptr;

        // Interlaced rows come in four passes.
        std::vector<int> rowOrder;
        if (iflags & 0x40)
        {
            static const int kStart[4] = {0, 4, 2, 1};
            static const int kStep[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; pass++)
                for (int y = kStart[pass]; y < h; y += kStep[pass])
                    rowOrder.push_back(y);
        }
        else
        {
            for (int y = 0; y < h; y++)
                rowOrder.push_back(y);
        }
        Image* image = new Image();
        if (!image->Allocate(screenW, screenH, &src))
        {
            delete image;
            return nullptr;
        }
        for (int r = 0; r < h; r++)
        {
            int y = top + rowOrder[r];
            if (y >= screenH)
                continue;
            for (int x = 0; x < w; x++)
            {
                int cx = left + x;
                if (cx >= screenW)
                    break;
                int index = indices[(size_t)r * w + x];
                uint32_t color = 0;
                if (index != transparent)
                    color = index < tableCount ? table[index] : 0xFF000000u;
                image->mBits[(size_t)y * screenW + cx] = color;
            }
        }
        return image;
    }
}

} // namespace

// A failed allocation refuses the file, noted as memory running short.
Image* ReadGIF(ByteSource& src)
{
    try
    {
        return ReadGifImage(src);
    }
    catch (const std::bad_alloc&)
    {
        src.mMemoryShort = true;
        return nullptr;
    }
}

} // namespace ImageLib
