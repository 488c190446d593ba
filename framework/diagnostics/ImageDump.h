// The image dump: an HTML page listing every live image of the application
// with its size, the memory each of its storage forms takes and its flags,
// beside a thumbnail (JPEG) that links to the full picture (PNG). The images
// are described under the display lock, which guards the image set; the files
// are written after it is left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Lumo
{

class DDInterface;
class MemoryImage;

struct ImageDumpEntry
{
    int width = 0, height = 0;
    // Bytes each storage form takes; 0 when the image lacks it.
    int64_t bitsBytes = 0;    // 32-bit pixels
    int64_t paletteBytes = 0; // colour table and indices
    int64_t surfaceBytes = 0; // DirectDraw surface
    int64_t textureBytes = 0; // the renderer's texture pieces
    int64_t nativeAlphaBytes = 0;
    int64_t runLengthAlphaBytes = 0;
    int64_t runLengthAdditiveBytes = 0;
    std::string textureFormat; // "A8R8G8B8" ...; empty without a texture
    bool isVolatile = false;   // its pixels go once the display holds the picture
    bool forced = false;       // alpha flags set by hand, never rescanned
    bool hasAlpha = false;     // some pixel is translucent
    bool hasTrans = false;     // some pixel is fully transparent
    std::string fileName;
    std::vector<uint32_t> pixels; // width x height 0xAARRGGBB; empty: nothing to show

    int64_t TotalBytes() const;
};

// Reads what the image holds without changing it: no pixels are built, no
// surface or texture is made. The caller holds the display lock.
ImageDumpEntry DescribeImage(MemoryImage* image, DDInterface* display);

// A picture of at most 64 x 64 that keeps the aspect, each pixel the average
// of the source area it covers, laid over the page's colour.
std::vector<uint32_t> MakeThumbnail(const std::vector<uint32_t>& pixels, int width, int height,
                                    int& thumbWidth, int& thumbHeight);

// Writes the page into the folder (made when missing) with the pictures of the
// entries. An earlier dump is never overwritten: the page is "imagelist.html",
// or "imagelistN.html" after it, and picture numbers continue after the
// highest one present. Returns the page's path; empty when it was not written.
std::string WriteImageDump(const std::string& folder, const std::string& heading,
                           const std::vector<ImageDumpEntry>& entries);

} // namespace Lumo
