#pragma once
// ImageLib: reading and writing image files. Every read goes through the
// archive-aware file functions, so files inside the paks load like loose ones.
// Readers never trust the bytes: a truncated or corrupt file gives null, never
// a partial image.
//
// A path that does not open as given is tried with the extensions .png, .jpg,
// .jpeg, .gif, .tga, .jp2 and .j2k in turn; the type is then told by content.
//
// Alpha companion: for "dir/name.ext" the files "dir/name_" plus each of those
// extensions are looked for, in that order; the first found gives the alpha of
// every pixel from its red channel (a grey mask), replacing any alpha of the
// colour image. It is used only when its size equals the colour image's.

#include <cstdint>
#include <string>

namespace Lumo
{
class MemoryImage;
}

namespace ImageLib
{

class ByteSource;

// A plain decoded picture: 32-bit 0xAARRGGBB pixels, row-major, owned.
class Image
{
public:
    Image();
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    uint32_t* GetBits() { return mBits; }
    // Allocates width x height pixels, zeroed; false when too large or empty,
    // or when there is no memory for them (then noted in the source read).
    bool Allocate(int width, int height, ByteSource* source = nullptr);

    int mWidth;
    int mHeight;
    uint32_t* mBits;
};

// --- Byte source the readers decode from (a file, an archive entry or memory)
class ByteSource
{
public:
    virtual ~ByteSource() {}
    virtual size_t Read(void* dest, size_t count) = 0; // bytes actually read
    virtual bool Seek(long offset) = 0;                // absolute position
    virtual long Tell() = 0;
    virtual long Size() = 0;

    // Set when a picture read from here got no memory: a file that fails
    // for want of memory is no damaged file.
    bool mMemoryShort = false;
    int mShortWidth = 0, mShortHeight = 0; // the picture's size, 0 when unknown
};

// Bytes held in memory (not owned).
class MemorySource : public ByteSource
{
public:
    MemorySource(const void* data, size_t size);
    size_t Read(void* dest, size_t count) override;
    bool Seek(long offset) override;
    long Tell() override { return (long)mPos; }
    long Size() override { return (long)mSize; }

private:
    const unsigned char* mData;
    size_t mSize;
    size_t mPos;
};

// Largest picture the readers accept, so a forged header cannot ask for
// gigabytes: each side at most 16384 pixels, 16M pixels in all.
bool IsSizeAcceptable(long width, long height);

// Each reader returns null on any error; the source is read from its current position.
Image* ReadPNG(ByteSource& src);
Image* ReadJPEG(ByteSource& src);
Image* ReadGIF(ByteSource& src);
Image* ReadTGA(ByteSource& src);
Image* ReadJ2K(ByteSource& src); // null unless j2k-codec.dll is loaded

// Decodes an in-memory file of any known type (tried in turn).
Image* DecodeMemory(const void* data, size_t size);

// --- Files
// Loads the file through the pak layer; with lookForAlpha, merges an alpha
// companion (see above). Null when nothing could be read. Caller deletes.
// A picture that gets no memory is handed to the application
// (AppHost::PictureMemoryRanOut), which ends the run naming it.
Image* GetImage(const std::string& path, bool lookForAlpha = true);

// 8-bit RGBA PNG.
bool WritePNGImage(const std::string& path, Lumo::MemoryImage* image);
// Baseline JPEG at the given quality (1-100); alpha is dropped.
bool WriteJPEGImage(const std::string& path, Lumo::MemoryImage* image, int quality = 80);
// The same for raw pixels, so the writers need no image object.
bool WritePNGPixels(const std::string& path, const uint32_t* pixels, int width, int height);
bool WriteJPEGPixels(const std::string& path, const uint32_t* pixels, int width, int height,
                     int quality = 80);

// --- JPEG 2000 codec, loaded at run time
void LoadJ2KCodec();
void FreeJ2KCodec();
bool HasJ2KCodec();

} // namespace ImageLib
