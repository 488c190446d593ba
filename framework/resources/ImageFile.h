#pragma once
// Internals shared by the image-file readers: type detection, the file byte
// source over the pak-aware file functions and the alpha companion rule.
// Kept out of ImageLib.h so callers see only the loading and writing calls.

#include "framework/resources/ImageLib.h"

#include <string>
#include <vector>

namespace ImageLib
{

enum class ImageType
{
    PNG,
    JPEG,
    GIF,
    TGA,
    J2K
};

// A file opened "rb" through the archive layer; archive entries and loose
// files read alike.
class FileSource : public ByteSource
{
public:
    FileSource();
    ~FileSource() override;
    bool Open(const std::string& path);
    void Close();

    size_t Read(void* dest, size_t count) override;
    bool Seek(long offset) override;
    long Tell() override;
    long Size() override;

private:
    void* mFile; // the open pak file handle
    long mSize;
};

// Picks the reader by the first bytes; the position is left unchanged.
ImageType DetectType(ByteSource& src);
Image* ReadAny(ByteSource& src);

// The alpha companion candidates of a path, in the order they are tried.
std::vector<std::string> AlphaCompanionNames(const std::string& path);
// Alpha of each colour pixel := the mask's red channel; false when the sizes differ.
bool MergeAlpha(Image* color, const Image* mask);

} // namespace ImageLib
