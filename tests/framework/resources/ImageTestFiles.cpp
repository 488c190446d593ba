#include "ImageTestFiles.h"

#include <windows.h>

#include <cstdio>
#include <map>

namespace ImageTestFiles
{

static void Put16(Bytes& b, int v)
{
    b.push_back((unsigned char)(v & 0xFF));
    b.push_back((unsigned char)((v >> 8) & 0xFF));
}

Bytes LzwEncode(const std::vector<unsigned char>& indices, int minCodeSize)
{
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    Bytes out;
    uint32_t acc = 0;
    int accBits = 0;
    int codeSize = minCodeSize + 1;
    auto emit = [&](int code)
    {
        acc |= (uint32_t)code << accBits;
        accBits += codeSize;
        while (accBits >= 8)
        {
            out.push_back((unsigned char)(acc & 0xFF));
            acc >>= 8;
            accBits -= 8;
        }
    };
    std::map<std::pair<int, int>, int> dict;
    int nextCode = clearCode + 2;
    emit(clearCode);
    int prefix = -1;
    for (unsigned char c : indices)
    {
        if (prefix < 0)
        {
            prefix = c;
            continue;
        }
        auto it = dict.find({prefix, c});
        if (it != dict.end())
        {
            prefix = it->second;
            continue;
        }
        emit(prefix);
        if (nextCode < 4095)
        {
            dict[{prefix, c}] = nextCode++;
            if (nextCode > (1 << codeSize) && codeSize < 12)
                codeSize++;
        }
        else
        {
            emit(clearCode);
            dict.clear();
            nextCode = clearCode + 2;
            codeSize = minCodeSize + 1;
        }
        prefix = c;
    }
    if (prefix >= 0)
        emit(prefix);
    emit(endCode);
    if (accBits > 0)
        out.push_back((unsigned char)(acc & 0xFF));
    return out;
}

Bytes MakeGif(int w, int h, const std::vector<uint32_t>& palette,
              const std::vector<unsigned char>& indices, int transparent, bool interlaced)
{
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(b, w);
    Put16(b, h);
    int bitsLess1 = 0;
    while ((2 << bitsLess1) < (int)palette.size())
        bitsLess1++;
    b.push_back((unsigned char)(0x80 | bitsLess1));
    b.push_back(0);
    b.push_back(0);
    for (int i = 0; i < (2 << bitsLess1); i++)
    {
        uint32_t c = i < (int)palette.size() ? palette[i] : 0;
        b.push_back((unsigned char)(c >> 16));
        b.push_back((unsigned char)(c >> 8));
        b.push_back((unsigned char)c);
    }
    if (transparent >= 0)
    {
        Bytes gce = {0x21, 0xF9, 4, 1, 0, 0, (unsigned char)transparent, 0};
        b.insert(b.end(), gce.begin(), gce.end());
    }
    b.push_back(0x2C);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, w);
    Put16(b, h);
    b.push_back(interlaced ? 0x40 : 0);
    // Interlaced files store rows in pass order.
    std::vector<unsigned char> stored;
    if (interlaced)
    {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int p = 0; p < 4; p++)
            for (int y = start[p]; y < h; y += step[p])
                stored.insert(stored.end(), indices.begin() + y * w, indices.begin() + (y + 1) * w);
    }
    else
        stored = indices;
    int minCodeSize = bitsLess1 + 1 < 2 ? 2 : bitsLess1 + 1;
    b.push_back((unsigned char)minCodeSize);
    Bytes data = LzwEncode(stored, minCodeSize);
    for (size_t at = 0; at < data.size(); at += 255)
    {
        size_t n = data.size() - at < 255 ? data.size() - at : 255;
        b.push_back((unsigned char)n);
        b.insert(b.end(), data.begin() + at, data.begin() + at + n);
    }
    b.push_back(0);
    b.push_back(0x3B);
    return b;
}

static Bytes TgaHeader(int type, int w, int h, int bits, int desc)
{
    Bytes b(18, 0);
    b[2] = (unsigned char)type;
    b[12] = (unsigned char)(w & 0xFF);
    b[13] = (unsigned char)(w >> 8);
    b[14] = (unsigned char)(h & 0xFF);
    b[15] = (unsigned char)(h >> 8);
    b[16] = (unsigned char)bits;
    b[17] = (unsigned char)desc;
    return b;
}

static void PutPixel(Bytes& b, uint32_t c, int bits)
{
    b.push_back((unsigned char)c);
    b.push_back((unsigned char)(c >> 8));
    b.push_back((unsigned char)(c >> 16));
    if (bits == 32)
        b.push_back((unsigned char)(c >> 24));
}

Bytes MakeTga(int w, int h, const std::vector<uint32_t>& argb, int bits, bool topDown)
{
    Bytes b = TgaHeader(2, w, h, bits, (bits == 32 ? 8 : 0) | (topDown ? 0x20 : 0));
    for (int row = 0; row < h; row++)
    {
        int y = topDown ? row : h - 1 - row;
        for (int x = 0; x < w; x++)
            PutPixel(b, argb[y * w + x], bits);
    }
    return b;
}

Bytes MakeTgaRle(int w, int h, const std::vector<uint32_t>& argb)
{
    Bytes b = TgaHeader(10, w, h, 32, 8 | 0x20);
    size_t n = argb.size(), i = 0;
    while (i < n)
    {
        size_t run = 1;
        while (i + run < n && run < 128 && argb[i + run] == argb[i])
            run++;
        if (run > 1)
        {
            b.push_back((unsigned char)(0x80 | (run - 1)));
            PutPixel(b, argb[i], 32);
            i += run;
        }
        else
        {
            b.push_back(0);
            PutPixel(b, argb[i], 32);
            i++;
        }
    }
    return b;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

Bytes ReadFile(const std::string& path)
{
    Bytes b;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return b;
    unsigned char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        b.insert(b.end(), buf, buf + n);
    fclose(f);
    return b;
}

std::string TempPath(const std::string& name)
{
    CreateDirectoryA("resources_test_files", nullptr);
    return "resources_test_files/" + name;
}

} // namespace ImageTestFiles
