#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageFile.h"

#include "AllocationProbe.h"
#include "ImageTestFiles.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>

using namespace ImageTestFiles;
using ImageLib::Image;

namespace
{

std::vector<uint32_t> Gradient(int w, int h, bool withAlpha)
{
    std::vector<uint32_t> px(w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
        {
            uint32_t a = withAlpha ? (uint32_t)((x * 37 + y * 11) & 0xFF) : 0xFF;
            px[y * w + x] =
                (a << 24) | ((x * 16) & 0xFF) << 16 | ((y * 16) & 0xFF) << 8 | ((x + y) * 8 & 0xFF);
        }
    return px;
}

std::unique_ptr<Image> Decode(const Bytes& b)
{
    return std::unique_ptr<Image>(ImageLib::DecodeMemory(b.data(), b.size()));
}

void ExpectPixels(const Image* img, int w, int h, const std::vector<uint32_t>& px)
{
    ASSERT_NE(img, nullptr);
    ASSERT_EQ(img->mWidth, w);
    ASSERT_EQ(img->mHeight, h);
    for (int i = 0; i < w * h; i++)
        ASSERT_EQ(img->mBits[i], px[i]) << "pixel " << i;
}

Bytes PngBytes(int w, int h, const std::vector<uint32_t>& px, const std::string& name)
{
    std::string path = TempPath(name);
    EXPECT_TRUE(ImageLib::WritePNGPixels(path, px.data(), w, h));
    return ReadFile(path);
}

Bytes JpegBytes(int w, int h, const std::vector<uint32_t>& px, const std::string& name)
{
    std::string path = TempPath(name);
    EXPECT_TRUE(ImageLib::WriteJPEGPixels(path, px.data(), w, h, 90));
    return ReadFile(path);
}

const std::vector<uint32_t> kPalette = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                        0xFFFFFFFF, 0xFF808080, 0xFF123456, 0xFFFEDCBA};

std::vector<unsigned char> IndexPattern(int w, int h)
{
    std::vector<unsigned char> idx(w * h);
    for (int i = 0; i < w * h; i++)
        idx[i] = (unsigned char)((i / 3 + i % 5) % kPalette.size()); // runs and repeats
    return idx;
}

} // namespace

TEST(ImageLib, PngRoundTripKeepsEveryChannel)
{
    std::vector<uint32_t> px = Gradient(17, 9, true);
    std::unique_ptr<Image> img = Decode(PngBytes(17, 9, px, "round.png"));
    ExpectPixels(img.get(), 17, 9, px);
}

TEST(ImageLib, JpegRoundTripIsCloseAndOpaque)
{
    // Flat 16 x 16 blocks (a whole subsampled unit each) survive JPEG almost exactly.
    int w = 32, h = 32;
    std::vector<uint32_t> px(w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            px[y * w + x] = (x < 16) == (y < 16) ? 0x80C04020 : 0xFF2060A0;
    std::unique_ptr<Image> img = Decode(JpegBytes(w, h, px, "round.jpg"));
    ASSERT_NE(img, nullptr);
    ASSERT_EQ(img->mWidth, w);
    ASSERT_EQ(img->mHeight, h);
    for (int i = 0; i < w * h; i++)
    {
        uint32_t got = img->mBits[i];
        EXPECT_EQ(got >> 24, 0xFFu);
        // Chroma is smoothed across block borders; compare the block insides.
        int bx = (i % w) % 16, by = (i / w) % 16;
        if (bx < 2 || bx > 13 || by < 2 || by > 13)
            continue;
        for (int shift = 0; shift < 24; shift += 8)
            EXPECT_NEAR((int)((got >> shift) & 0xFF), (int)((px[i] >> shift) & 0xFF), 6)
                << "pixel " << i << " got " << std::hex << got;
    }
}

TEST(ImageLib, GifDecodesIndicesTransparencyAndInterlace)
{
    int w = 13, h = 11;
    std::vector<unsigned char> idx = IndexPattern(w, h);
    for (bool interlaced : {false, true})
    {
        std::unique_ptr<Image> img = Decode(MakeGif(w, h, kPalette, idx, 2, interlaced));
        std::vector<uint32_t> want(w * h);
        for (int i = 0; i < w * h; i++)
            want[i] = idx[i] == 2 ? 0 : kPalette[idx[i]];
        ExpectPixels(img.get(), w, h, want);
    }
}

TEST(ImageLib, GifLongRunsUseGrowingCodes)
{
    // Enough pixels for the code size to climb to 12 bits and the table to reset.
    int w = 200, h = 100;
    std::vector<unsigned char> idx(w * h);
    std::mt19937 rng(7);
    for (int i = 0; i < w * h; i++)
        idx[i] = (unsigned char)(rng() % 3 == 0 ? rng() % 8 : idx[i ? i - 1 : 0]);
    std::unique_ptr<Image> img = Decode(MakeGif(w, h, kPalette, idx));
    std::vector<uint32_t> want(w * h);
    for (int i = 0; i < w * h; i++)
        want[i] = kPalette[idx[i]];
    ExpectPixels(img.get(), w, h, want);
}

TEST(ImageLib, TgaLayoutsDecodeToTheSamePicture)
{
    int w = 5, h = 3;
    std::vector<uint32_t> px = Gradient(w, h, true);
    ExpectPixels(Decode(MakeTga(w, h, px, 32, false)).get(), w, h, px);
    ExpectPixels(Decode(MakeTga(w, h, px, 32, true)).get(), w, h, px);
    ExpectPixels(Decode(MakeTgaRle(w, h, px)).get(), w, h, px);
    std::vector<uint32_t> opaque(px);
    for (uint32_t& p : opaque)
        p |= 0xFF000000;
    ExpectPixels(Decode(MakeTga(w, h, px, 24, false)).get(), w, h, opaque);

    std::vector<uint32_t> runs(w * h, 0x80112233);
    runs[7] = 0xFF445566;
    ExpectPixels(Decode(MakeTgaRle(w, h, runs)).get(), w, h, runs);
}

TEST(ImageLib, TgaColorMappedAndGrey)
{
    // 2 x 2 colour-mapped, 24-bit map of three entries starting at index 1.
    Bytes b = {0, 1, 1, 1, 0, 3, 0, 24, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0x20};
    Bytes map = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90};
    b.insert(b.end(), map.begin(), map.end());
    Bytes idx = {1, 2, 3, 1};
    b.insert(b.end(), idx.begin(), idx.end());
    ExpectPixels(Decode(b).get(), 2, 2, {0xFF302010, 0xFF605040, 0xFF908070, 0xFF302010});

    Bytes grey = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20, 0x00, 0xC8};
    ExpectPixels(Decode(grey).get(), 2, 1, {0xFF000000, 0xFFC8C8C8});
}

TEST(ImageLib, TruncatedFilesOfEveryTypeGiveNoImage)
{
    int w = 12, h = 10;
    std::vector<uint32_t> px = Gradient(w, h, true);
    struct Case
    {
        const char* name;
        Bytes bytes;
        size_t keepAtMost; // longest prefix that must fail
    };
    Bytes gif = MakeGif(w, h, kPalette, IndexPattern(w, h));
    std::vector<Case> cases = {
        {"png", PngBytes(w, h, px, "trunc.png"), 0},
        {"jpeg", JpegBytes(w, h, px, "trunc.jpg"), 0},
        {"gif", gif, gif.size() - 2}, // only the trailer may go missing
        {"tga", MakeTga(w, h, px, 32, false), 0},
        {"tga-rle", MakeTgaRle(w, h, px), 0},
    };
    for (Case& c : cases)
    {
        ASSERT_NE(Decode(c.bytes), nullptr) << c.name;
        size_t last = c.keepAtMost ? c.keepAtMost : c.bytes.size() - 1;
        for (size_t n = 0; n <= last; n++)
            EXPECT_EQ(ImageLib::DecodeMemory(c.bytes.data(), n), nullptr)
                << c.name << " cut to " << n << " of " << c.bytes.size();
    }
}

TEST(ImageLib, ForgedHeadersAreRefused)
{
    // TGA claiming 65535 x 65535 pixels: refused before any allocation.
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 32, 0x28, 1, 2, 3, 4};
    EXPECT_EQ(Decode(tga), nullptr);
    // Unknown TGA image type and bit depth.
    Bytes badType = {0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0, 1, 2, 3, 4};
    EXPECT_EQ(Decode(badType), nullptr);
    Bytes badBits = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 12, 0, 1, 2};
    EXPECT_EQ(Decode(badBits), nullptr);
    // JPEG 2000 signature: skipped while its codec is absent.
    Bytes jp2 = {0, 0, 0, 12, 'j', 'P', ' ', ' ', '\r', '\n', 0x87, '\n', 0, 0, 0, 0};
    EXPECT_FALSE(ImageLib::HasJ2KCodec());
    EXPECT_EQ(Decode(jp2), nullptr);
    EXPECT_EQ(ImageLib::DecodeMemory(nullptr, 0), nullptr);
}

// A few bytes that promise 4096 x 4096 pixels (64 MB) must not make a reader
// take memory the rest of the file could never fill. JPEG has no least size
// per pixel (arithmetic coding), so it is held to the size cap alone.
TEST(ImageLib, SmallFilesNeverTakeMemoryTheyCannotFill)
{
    const Bytes tgaHead = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0x10, 32, 0x28};
    Bytes tga = tgaHead;
    tga.resize(tga.size() + 100, 0);
    Bytes rle = tgaHead;
    rle[2] = 10;
    for (int i = 0; i < 20; i++) // runs of 128 transparent pixels
        rle.insert(rle.end(), {0xFF, 0, 0, 0, 0});

    Bytes gif = {'G',  'I', 'F', '8', '9', 'a', 0,   0x10, 0,  0x10,
                 0x80, 0,   0,   0,   0,   0,   255, 255,  255};
    gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, 0, 0x10, 0, 0x10, 0, 2});
    Bytes lzw = LzwEncode(std::vector<unsigned char>(4096, 0), 2);
    for (size_t at = 0; at < lzw.size(); at += 255)
    {
        size_t n = std::min<size_t>(255, lzw.size() - at);
        gif.push_back((unsigned char)n);
        gif.insert(gif.end(), lzw.begin() + at, lzw.begin() + at + n);
    }
    gif.insert(gif.end(), {0, 0x3B});

    // A real one-pixel PNG whose header is made to say 4096 x 4096.
    Bytes png = PngBytes(1, 1, {0xFF102030}, "huge.png");
    for (int i : {16, 20})
        png[i + 2] = 0x10, png[i + 3] = 0;
    uint32_t crc = crc32(crc32(0, nullptr, 0), &png[12], 17);
    for (int i = 0; i < 4; i++)
        png[29 + i] = (unsigned char)(crc >> (24 - 8 * i));

    for (auto& c : std::vector<std::pair<const char*, Bytes*>>{
             {"tga", &tga}, {"tga-rle", &rle}, {"gif", &gif}, {"png", &png}})
    {
        AllocationProbe::Reset();
        std::unique_ptr<Image> img = Decode(*c.second);
        size_t largest = AllocationProbe::Largest();
        EXPECT_EQ(img, nullptr) << c.first;
        EXPECT_LT(largest, 1u << 20) << c.first << " from " << c.second->size() << " bytes";
    }
}

// A picture whose memory cannot be had is refused like a damaged file.
TEST(ImageLib, FailedAllocationRefusesTheImage)
{
    int w = 300, h = 300;
    std::vector<uint32_t> px = Gradient(w, h, false);
    std::vector<std::pair<const char*, Bytes>> files = {
        {"tga", MakeTga(w, h, px, 32, false)},
        {"tga-rle", MakeTgaRle(w, h, px)},
        {"gif", MakeGif(w, h, kPalette, IndexPattern(w, h))},
        {"png", PngBytes(w, h, px, "big.png")},
        {"jpeg", JpegBytes(w, h, px, "big.jpg")},
    };
    for (auto& file : files)
    {
        AllocationProbe::Reset(64 * 1024); // less than the picture's 352 KB
        std::unique_ptr<Image> img = Decode(file.second);
        AllocationProbe::Reset();
        EXPECT_EQ(img, nullptr) << file.first;
        EXPECT_NE(Decode(file.second), nullptr) << file.first;
    }
}

// Seeded mutations of a valid file of each type: every result is either no
// image or a whole one of an accepted size.
TEST(ImageLib, MutatedFilesNeverCrash)
{
    int w = 10, h = 8;
    std::vector<uint32_t> px = Gradient(w, h, true);
    std::vector<std::pair<const char*, Bytes>> seeds = {
        {"png", PngBytes(w, h, px, "fuzz.png")},
        {"jpeg", JpegBytes(w, h, px, "fuzz.jpg")},
        {"gif", MakeGif(w, h, kPalette, IndexPattern(w, h), 3, true)},
        {"tga", MakeTga(w, h, px, 24, false)},
        {"tga-rle", MakeTgaRle(w, h, px)},
    };
    std::mt19937 rng(20261206);
    for (auto& seed : seeds)
    {
        int decoded = 0;
        for (int iter = 0; iter < 400; iter++)
        {
            Bytes b = seed.second;
            int edits = 1 + rng() % 6;
            for (int e = 0; e < edits; e++)
            {
                size_t at = rng() % b.size();
                switch (rng() % 4)
                {
                case 0:
                    b[at] ^= (unsigned char)(1u << (rng() % 8));
                    break;
                case 1:
                    b[at] = (unsigned char)rng();
                    break;
                case 2:
                    b[at] = (rng() & 1) ? 0xFF : 0x00;
                    break;
                default:
                    b.resize(at + 1);
                    break;
                }
            }
            std::unique_ptr<Image> img = Decode(b);
            if (img)
            {
                decoded++;
                ASSERT_TRUE(ImageLib::IsSizeAcceptable(img->mWidth, img->mHeight)) << seed.first;
                ASSERT_NE(img->mBits, nullptr);
            }
        }
        RecordProperty(std::string("decoded_") + seed.first, decoded);
    }
}

TEST(ImageLib, GetImageTriesExtensionsAndMergesAlphaCompanion)
{
    int w = 4, h = 3;
    std::vector<uint32_t> color(w * h, 0xFF336699);
    std::vector<uint32_t> mask(w * h);
    for (int i = 0; i < w * h; i++)
    {
        uint32_t v = (uint32_t)(i * 20);
        mask[i] = 0xFF000000 | v << 16 | v << 8 | v;
    }
    ASSERT_TRUE(ImageLib::WritePNGPixels(TempPath("pic.png"), color.data(), w, h));
    ASSERT_TRUE(
        WriteFile(TempPath("pic_.gif"),
                  MakeGif(w, h,
                          {0xFF000000, 0xFF141414, 0xFF282828, 0xFF3C3C3C, 0xFF505050, 0xFF646464,
                           0xFF787878, 0xFF8C8C8C, 0xFFA0A0A0, 0xFFB4B4B4, 0xFFC8C8C8, 0xFFDCDCDC},
                          {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})));

    std::unique_ptr<Image> plain(ImageLib::GetImage(TempPath("pic.png"), false));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->mBits[5], 0xFF336699u);

    // No extension given: the known ones are tried; the companion follows the found name.
    std::unique_ptr<Image> merged(ImageLib::GetImage(TempPath("pic"), true));
    ASSERT_NE(merged, nullptr);
    for (int i = 0; i < w * h; i++)
        EXPECT_EQ(merged->mBits[i], (uint32_t)(i * 20) << 24 | 0x336699u) << i;

    // A companion of another size is ignored.
    ASSERT_TRUE(ImageLib::WritePNGPixels(TempPath("odd.png"), color.data(), w, h));
    ASSERT_TRUE(ImageLib::WritePNGPixels(TempPath("odd_.png"), mask.data(), 2, 2));
    std::unique_ptr<Image> odd(ImageLib::GetImage(TempPath("odd.png"), true));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->mBits[0], 0xFF336699u);

    EXPECT_EQ(ImageLib::GetImage(TempPath("missing"), true), nullptr);
}

TEST(ImageLib, WritersRefuseBadArguments)
{
    uint32_t px = 0xFF000000;
    EXPECT_FALSE(ImageLib::WritePNGPixels(TempPath("z.png"), nullptr, 1, 1));
    EXPECT_FALSE(ImageLib::WritePNGPixels(TempPath("z.png"), &px, 0, 1));
    EXPECT_FALSE(ImageLib::WriteJPEGPixels(TempPath("z.jpg"), &px, 1, -1));
    EXPECT_FALSE(ImageLib::WritePNGPixels("no_such_folder/x/y.png", &px, 1, 1));
    EXPECT_FALSE(ImageLib::WritePNGImage(TempPath("z.png"), nullptr));
}
