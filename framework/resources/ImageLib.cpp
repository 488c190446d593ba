// Image files: type detection, the file and memory byte sources, the alpha
// companion merge and the JPEG 2000 codec module. The format readers live in
// ImageLibPNG.cpp, ImageLibJPEG.cpp, ImageLibGIF.cpp and ImageLibTGA.cpp.

#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageFile.h"

#include "framework/app/AppHost.h"
#include "framework/app/PakInterface.h"
#include "framework/graphics/MemoryImage.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace ImageLib
{

// ---------------------------------------------------------------------------
// Image

Image::Image() : mWidth(0), mHeight(0), mBits(nullptr) {}

Image::~Image()
{
    delete[] mBits;
}

bool Image::Allocate(int width, int height, ByteSource* source)
{
    if (!IsSizeAcceptable(width, height))
        return false;
    uint32_t* bits = new (std::nothrow) uint32_t[(size_t)width * (size_t)height];
    if (!bits)
    {
        if (source)
        {
            source->mMemoryShort = true;
            source->mShortWidth = width;
            source->mShortHeight = height;
        }
        return false;
    }
    memset(bits, 0, (size_t)width * (size_t)height * 4);
    delete[] mBits;
    mBits = bits;
    mWidth = width;
    mHeight = height;
    return true;
}

bool IsSizeAcceptable(long width, long height)
{
    const long kMaxSide = 16384;
    const long long kMaxPixels = 16L * 1024 * 1024;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return false;
    return (long long)width * height <= kMaxPixels;
}

// ---------------------------------------------------------------------------
// Byte sources

MemorySource::MemorySource(const void* data, size_t size)
    : mData((const unsigned char*)data), mSize(data ? size : 0), mPos(0)
{
}

size_t MemorySource::Read(void* dest, size_t count)
{
    size_t left = mSize - mPos;
    if (count > left)
        count = left;
    if (count)
        memcpy(dest, mData + mPos, count);
    mPos += count;
    return count;
}

bool MemorySource::Seek(long offset)
{
    if (offset < 0 || (size_t)offset > mSize)
        return false;
    mPos = (size_t)offset;
    return true;
}

FileSource::FileSource() : mFile(nullptr), mSize(-1) {}

FileSource::~FileSource()
{
    Close();
}

bool FileSource::Open(const std::string& path)
{
    Close();
    mFile = PakOpen(path.c_str(), "rb");
    return mFile != nullptr;
}

void FileSource::Close()
{
    if (mFile)
        PakClose((PakFile*)mFile);
    mFile = nullptr;
    mSize = -1;
}

size_t FileSource::Read(void* dest, size_t count)
{
    if (!mFile || count == 0)
        return 0;
    return PakRead(dest, 1, count, (PakFile*)mFile);
}

bool FileSource::Seek(long offset)
{
    if (!mFile || offset < 0)
        return false;
    // Archive entries report success even past the end; check by hand.
    if (offset > Size())
        return false;
    return PakSeek((PakFile*)mFile, offset, SEEK_SET) == 0;
}

long FileSource::Tell()
{
    return mFile ? PakTell((PakFile*)mFile) : -1;
}

long FileSource::Size()
{
    if (mSize < 0 && mFile)
    {
        PakFile* f = (PakFile*)mFile;
        long at = PakTell(f);
        if (PakSeek(f, 0, SEEK_END) == 0)
            mSize = PakTell(f);
        PakSeek(f, at, SEEK_SET);
    }
    return mSize;
}

// ---------------------------------------------------------------------------
// Type detection

static ImageType SniffType(const unsigned char* head, size_t n)
{
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static const unsigned char kJp2[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', '\r', '\n', 0x87, '\n'};
    if (n >= 8 && memcmp(head, kPng, 8) == 0)
        return ImageType::PNG;
    if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return ImageType::JPEG;
    if (n >= 6 && (memcmp(head, "GIF87a", 6) == 0 || memcmp(head, "GIF89a", 6) == 0))
        return ImageType::GIF;
    if ((n >= 12 && memcmp(head, kJp2, 12) == 0) ||
        (n >= 4 && head[0] == 0xFF && head[1] == 0x4F && head[2] == 0xFF && head[3] == 0x51))
        return ImageType::J2K;
    // TGA has no signature; its reader checks the header field by field.
    return ImageType::TGA;
}

ImageType DetectType(ByteSource& src)
{
    unsigned char head[12];
    long start = src.Tell();
    size_t n = src.Read(head, sizeof(head));
    src.Seek(start);
    return SniffType(head, n);
}

Image* ReadAny(ByteSource& src)
{
    switch (DetectType(src))
    {
    case ImageType::PNG:
        return ReadPNG(src);
    case ImageType::JPEG:
        return ReadJPEG(src);
    case ImageType::GIF:
        return ReadGIF(src);
    case ImageType::J2K:
        return ReadJ2K(src);
    case ImageType::TGA:
        return ReadTGA(src);
    }
    return nullptr;
}

Image* DecodeMemory(const void* data, size_t size)
{
    MemorySource src(data, size);
    return ReadAny(src);
}

// ---------------------------------------------------------------------------
// Files and the alpha companion

// The extensions tried when a path has none that opens; ".jp2" last since
// its codec is seldom present.
static const char* const kExtensions[] = {".png", ".jpg", ".jpeg", ".gif", ".tga", ".jp2", ".j2k"};

static bool HasExtension(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// A picture that got no memory ends the run through the application; without
// one it is null like any picture that cannot be read.
static Image* ReadFile(const std::string& path)
{
    FileSource file;
    if (!file.Open(path))
        return nullptr;
    Image* image = nullptr;
    try
    {
        image = ReadAny(file);
    }
    catch (const std::bad_alloc&)
    {
        file.mMemoryShort = true; // a reader's own buffers
    }
    if (!image && file.mMemoryShort && gAppHost)
        gAppHost->PictureMemoryRanOut(path, file.mShortWidth, file.mShortHeight);
    return image;
}

// The file itself, or, when it does not open, the same name with each known
// extension in turn.
static Image* ReadFileTryingTypes(const std::string& path, std::string* foundPath)
{
    FileSource probe;
    if (probe.Open(path))
    {
        probe.Close();
        *foundPath = path;
        return ReadFile(path);
    }
    for (const char* ext : kExtensions)
    {
        std::string name = path + ext;
        if (probe.Open(name))
        {
            probe.Close();
            *foundPath = name;
            return ReadFile(name);
        }
    }
    return nullptr;
}

std::vector<std::string> AlphaCompanionNames(const std::string& path)
{
    std::string stem = path;
    if (HasExtension(path))
        stem = path.substr(0, path.rfind('.'));
    std::vector<std::string> names;
    for (const char* ext : kExtensions)
        names.push_back(stem + "_" + ext);
    return names;
}

bool MergeAlpha(Image* color, const Image* mask)
{
    if (!color || !mask || color->mWidth != mask->mWidth || color->mHeight != mask->mHeight)
        return false;
    size_t n = (size_t)color->mWidth * color->mHeight;
    for (size_t i = 0; i < n; i++)
    {
        uint32_t alpha = (mask->mBits[i] >> 16) & 0xFF; // a grey mask: red = green = blue
        color->mBits[i] = (color->mBits[i] & 0x00FFFFFF) | (alpha << 24);
    }
    return true;
}

Image* GetImage(const std::string& path, bool lookForAlpha)
{
    std::string found;
    Image* image = ReadFileTryingTypes(path, &found);
    if (!image || !lookForAlpha)
        return image;
    for (const std::string& name : AlphaCompanionNames(found))
    {
        FileSource probe;
        if (!probe.Open(name))
            continue;
        probe.Close();
        Image* mask = ReadFile(name);
        MergeAlpha(image, mask); // a companion of another size is ignored
        delete mask;
        break;
    }
    return image;
}

// ---------------------------------------------------------------------------
// Writers of memory images

bool WritePNGImage(const std::string& path, Lumo::MemoryImage* image)
{
    if (!image)
        return false;
    return WritePNGPixels(path, image->GetPixels(), image->GetWidth(), image->GetHeight());
}

bool WriteJPEGImage(const std::string& path, Lumo::MemoryImage* image, int quality)
{
    if (!image)
        return false;
    return WriteJPEGPixels(path, image->GetPixels(), image->GetWidth(), image->GetHeight(),
                           quality);
}

// ---------------------------------------------------------------------------
// JPEG 2000 codec module

static HMODULE gJ2KModule = nullptr;

void LoadJ2KCodec()
{
    if (!gJ2KModule)
        gJ2KModule = LoadLibraryA("j2k-codec.dll");
}

void FreeJ2KCodec()
{
    if (gJ2KModule)
    {
        FreeLibrary(gJ2KModule);
        gJ2KModule = nullptr;
    }
}

bool HasJ2KCodec()
{
    return gJ2KModule != nullptr;
}

Image* ReadJ2K(ByteSource& src)
{
    // Decoding needs the codec module; without it the type is skipped.
    if (!gJ2KModule)
        return nullptr;
    return nullptr;
}

} // namespace ImageLib
