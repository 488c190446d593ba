#pragma once
// Small image files built byte by byte for the reader tests: a GIF encoder
// with real LZW compression and TGA files of each layout.

#include <cstdint>
#include <string>
#include <vector>

namespace ImageTestFiles
{

typedef std::vector<unsigned char> Bytes;

// GIF89a of w x h palette indices; transparent < 0 for none.
Bytes MakeGif(int w, int h, const std::vector<uint32_t>& palette,
              const std::vector<unsigned char>& indices, int transparent = -1,
              bool interlaced = false);

// LZW-compresses indices the GIF way (code size starts at minCodeSize + 1).
Bytes LzwEncode(const std::vector<unsigned char>& indices, int minCodeSize);

// Uncompressed true-colour TGA, 24 or 32 bits, bottom-up unless topDown.
Bytes MakeTga(int w, int h, const std::vector<uint32_t>& argb, int bits, bool topDown);
// Run-length encoded 32-bit true-colour TGA, top-down.
Bytes MakeTgaRle(int w, int h, const std::vector<uint32_t>& argb);

bool WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
std::string TempPath(const std::string& name); // in the build folder's scratch dir

} // namespace ImageTestFiles
