// MemoryImage storage: guard word, alpha flags, palette form, derived data,
// purge and rebuild; plus the image base, cel animation and image handle.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/CelAnimation.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageHandle.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageDisplay.h"

using namespace Lumo;

namespace
{

std::vector<uint32_t> Pixels(MemoryImage& img)
{
    uint32_t* p = img.GetPixels();
    return std::vector<uint32_t>(p, p + img.mWidth * img.mHeight);
}

} // namespace

TEST(MemoryImageStorage, SetPixelsCopiesAndWritesGuard)
{
    MemoryImage img(nullptr);
    const uint32_t px[4] = {1, 2, 3, 0xFF000004};
    img.SetPixels(px, 2, 2, true);
    EXPECT_EQ(img.mPixels[4], MEMORY_IMAGE_GUARD);
    EXPECT_EQ(Pixels(img), std::vector<uint32_t>(px, px + 4));
    EXPECT_TRUE(img.mHasTransparent);
    EXPECT_FALSE(img.mHasTranslucent);

    const int changes = img.mChangeCount;
    img.SetPixels(img.mPixels, 2, 2, true);
    EXPECT_EQ(img.mChangeCount, changes);
}

TEST(MemoryImageStorage, CreateAndAlphaFlags)
{
    MemoryImage img(nullptr);
    img.Create(4, 4);
    EXPECT_TRUE(img.mHasTransparent);
    EXPECT_TRUE(img.mHasTranslucent);
    img.ClearPixels();
    img.UpdateAlphaFlags();
    EXPECT_TRUE(img.mHasTransparent);
    EXPECT_FALSE(img.mHasTranslucent);
    EXPECT_EQ(img.GetPixels()[16], MEMORY_IMAGE_GUARD);

    img.SetAlphaFlags(false, false);
    img.PixelsChanged();
    EXPECT_TRUE(img.mAlphaFlagsStale);
    img.UpdateAlphaFlags();
    EXPECT_FALSE(img.mHasTransparent);
    EXPECT_FALSE(img.mHasTranslucent);
}

TEST(MemoryImageStorage, CreateRefusesSizesNoPixelArrayCanHold)
{
    // Byte counts past 32 bits would wrap to a tiny array; negative sizes
    // are no sizes. Both leave the image as it was, surface images too.
    MemoryImage plain(nullptr);
    DDImage surface(nullptr);
    for (MemoryImage* img : {&plain, (MemoryImage*)&surface})
    {
        const uint32_t px[4] = {1, 2, 3, 4};
        img->SetPixels(px, 2, 2, true);
        const int sizes[][2] = {{65536, 65536}, {70000, 70000}, {65536, 16384}, {-1, 4}, {4, -2}};
        for (const auto& size : sizes)
        {
            img->Create(size[0], size[1]);
            EXPECT_EQ(img->mWidth, 2) << size[0] << " x " << size[1];
            EXPECT_EQ(img->mHeight, 2) << size[0] << " x " << size[1];
            EXPECT_EQ(Pixels(*img), (std::vector<uint32_t>{1, 2, 3, 4}));
        }
        img->Create(3, 5);
        EXPECT_EQ(Pixels(*img), std::vector<uint32_t>(15, 0));
        EXPECT_EQ(img->GetPixels()[15], MEMORY_IMAGE_GUARD);
    }
}

TEST(MemoryImageStorage, PaletteBuildAndRebuild)
{
    const uint32_t px[4] = {5, 3, 5, 9};
    unsigned char indices[4];
    uint32_t table[256];
    ASSERT_TRUE(BuildPalette(px, 4, indices, table));
    EXPECT_EQ(table[0], 5u);
    EXPECT_EQ(table[1], 3u);
    EXPECT_EQ(table[2], 9u);
    EXPECT_EQ(std::vector<unsigned char>(indices, indices + 4),
              (std::vector<unsigned char>{0, 1, 0, 2}));

    MemoryImage img(nullptr);
    std::vector<uint32_t> many(256);
    for (int i = 0; i < 256; i++)
        many[i] = ((uint32_t)i << 16) | (uint32_t)i;
    many[0] = 0x00000000;
    many[1] = 0xFF000000;
    img.SetPixels(many.data(), 16, 16, true);
    ASSERT_TRUE(img.ConvertToPalette());
    EXPECT_EQ(img.mPixels, nullptr);
    EXPECT_TRUE(img.mPalettizeWanted);
    EXPECT_EQ(Pixels(img), many);
    EXPECT_EQ(img.mColorTable, nullptr);
    EXPECT_EQ(img.mColorIndices, nullptr);

    std::vector<uint32_t> tooMany(257 * 1);
    for (int i = 0; i < 257; i++)
        tooMany[i] = (uint32_t)i;
    img.SetPixels(tooMany.data(), 257, 1, true);
    EXPECT_FALSE(img.ConvertToPalette());
    EXPECT_FALSE(img.mPalettizeWanted);
    EXPECT_EQ(img.mColorTable, nullptr);
    EXPECT_EQ(Pixels(img), tooMany);
}

TEST(MemoryImageStorage, RunLengthData)
{
    MemoryImage img(nullptr);
    const uint32_t row[6] = {0xFF000000, 0xFF000000, 0, 0x80000000, 0x80000000, 0x80000000};
    img.SetPixels(row, 6, 1, false);
    const unsigned char* runs = img.GetRunLengthAlphaData();
    EXPECT_EQ(std::vector<unsigned char>(runs, runs + 6),
              (std::vector<unsigned char>{2, 1, 1, 3, 2, 1}));

    // 300 opaque then 5 transparent: 255 for the first 46 bytes, then counting down.
    std::vector<uint32_t> px(2 * 305, 0xFF102030);
    for (int r = 0; r < 2; r++)
        for (int i = 300; i < 305; i++)
            px[r * 305 + i] = 0x00000000;
    img.SetPixels(px.data(), 305, 2, true);
    runs = img.GetRunLengthAlphaData();
    for (int r = 0; r < 2; r++)
    {
        const unsigned char* rr = runs + r * 305;
        for (int i = 0; i < 46; i++)
            ASSERT_EQ(rr[i], 255) << i;
        for (int i = 46; i < 305; i++)
            ASSERT_EQ(rr[i], i < 300 ? 300 - i : 305 - i) << i;
    }
    // The additive runs split where the premultiplied colour turns black.
    const unsigned char* add = img.GetRunLengthAdditiveData(nullptr);
    EXPECT_EQ(add[299], 1);
    EXPECT_EQ(add[300], 5);

    const uint32_t column[3] = {0xFF000000, 0xFF000000, 0};
    img.SetPixels(column, 1, 3, true);
    runs = img.GetRunLengthAlphaData();
    EXPECT_EQ(std::vector<unsigned char>(runs, runs + 3), (std::vector<unsigned char>{1, 1, 1}));
}

TEST(MemoryImageStorage, NativeAlphaRoundTrip)
{
    NativeFormat f;
    const uint32_t n = NativeAlphaValue(0x80FF0000, f);
    EXPECT_EQ(n, 0x80800000u);
    EXPECT_EQ(PixelFromNative(n, f), 0x80FE0000u);

    NativeFormat f565;
    f565.redMask = 0xF800;
    f565.greenMask = 0x7E0;
    f565.blueMask = 0x1F;
    f565.redBits = 5;
    f565.greenBits = 6;
    f565.blueBits = 5;
    f565.redShift = 11;
    f565.greenShift = 5;
    f565.blueShift = 0;
    EXPECT_EQ(NativeAlphaValue(0xFFFFFFFF, f565), 0xFF00FFFFu);
    EXPECT_EQ(NativeAlphaValue(0x00FFFFFF, f565), 0u);
}

TEST(MemoryImageStorage, PurgeAndRebuildFromNativeData)
{
    MemoryImage img(nullptr);
    const uint32_t px[4] = {0xFF123456, 0xFF000000, 0xFFFFFFFF, 0xFF808080};
    img.SetPixels(px, 2, 2, true);
    img.PurgePixels();
    EXPECT_EQ(img.mPixels, nullptr);
    EXPECT_NE(img.mNativeAlphaData, nullptr);
    EXPECT_EQ(Pixels(img), std::vector<uint32_t>(px, px + 4));
    EXPECT_EQ(img.mPixels[4], MEMORY_IMAGE_GUARD);
}

TEST(MemoryImageStorage, PurgedPaletteImageNeverReadsTableAsPixels)
{
    std::vector<uint32_t> px(40 * 30);
    for (size_t i = 0; i < px.size(); i++)
        px[i] = 0xFF000000 | (uint32_t)(i % 7) * 0x111111;

    // Without a texture the palette stays and brings the pixels back.
    MemoryImage kept(nullptr);
    kept.SetPixels(px.data(), 40, 30, true);
    ASSERT_TRUE(kept.ConvertToPalette());
    kept.PurgePixels();
    EXPECT_NE(kept.mColorTable, nullptr);
    EXPECT_EQ(Pixels(kept), px);

    // With a texture the palette goes; its 256-word native data must go too,
    // or it would be read as 1200 pixels.
    MemoryImage img(nullptr);
    img.SetPixels(px.data(), 40, 30, true);
    ASSERT_TRUE(img.ConvertToPalette());
    img.GetNativeAlphaData(nullptr);
    int dummyTexture = 0;
    img.mTexture = reinterpret_cast<ImageTextures*>(&dummyTexture);
    img.PurgePixels();
    EXPECT_EQ(img.mColorTable, nullptr);
    EXPECT_EQ(img.mNativeAlphaData, nullptr);
    const unsigned char* runs = img.GetRunLengthAlphaData();
    ASSERT_NE(runs, nullptr);
    // Nothing can rebuild the picture here: the pixels come back as zeros.
    EXPECT_EQ(Pixels(img), std::vector<uint32_t>(px.size(), 0));
    EXPECT_EQ(img.mPixels[px.size()], MEMORY_IMAGE_GUARD);
    img.mTexture = nullptr;
}

TEST(MemoryImageStorage, CopyConstruction)
{
    MemoryImage img(nullptr);
    const uint32_t px[4] = {1, 2, 3, 4};
    img.SetPixels(px, 2, 2, true);
    img.mFileName = "a.png";
    img.mAnimation = new CelAnimation();
    img.mAnimation->mFrameMap = {0, 1};
    MemoryImage copy(img);
    EXPECT_EQ(Pixels(copy), std::vector<uint32_t>(px, px + 4));
    EXPECT_EQ(copy.mPixels[4], MEMORY_IMAGE_GUARD);
    EXPECT_TRUE(copy.mFileName.empty());
    ASSERT_NE(copy.mAnimation, nullptr);
    copy.mAnimation->mFrameMap.push_back(5);
    EXPECT_EQ(img.mAnimation->mFrameMap.size(), 2u);

    ASSERT_TRUE(img.ConvertToPalette());
    MemoryImage paletteCopy(img);
    EXPECT_EQ(paletteCopy.mPixels, nullptr);
    EXPECT_EQ(Pixels(paletteCopy), std::vector<uint32_t>(px, px + 4));
}

TEST(CelAnimation, SetFramesRules)
{
    CelAnimation a;
    a.SetFrames(0, 0, 0);
    EXPECT_EQ(a.mFrameCount, 1);
    EXPECT_EQ(a.mTotalTime, 1);

    CelAnimation p;
    p.mType = CelAnimation::TYPE_PINGPONG;
    p.mFrameDelay = 4;
    p.SetFrames(1, 0, 0);
    EXPECT_TRUE(p.mFrameMap.empty());
    EXPECT_EQ(p.mTotalTime, 4);
    p.SetFrames(3, 0, 0);
    EXPECT_EQ(p.mFrameMap, (std::vector<int>{0, 1, 2, 1}));
    EXPECT_EQ(p.mFrameCount, 4);

    CelAnimation d;
    d.mFrameDelay = 3;
    d.mPerFrameDelay = {5, 0};
    d.SetFrames(4, 0, 0);
    EXPECT_EQ(d.mPerFrameDelay, (std::vector<int>{5, 3, 3, 3}));
    EXPECT_EQ(d.mTotalTime, 14);

    CelAnimation b;
    b.mFrameDelay = 2;
    b.SetFrames(3, 7, 0);
    EXPECT_EQ(b.mPerFrameDelay, (std::vector<int>{7, 2, 2}));
    EXPECT_EQ(b.mTotalTime, 11);
}

namespace
{
struct CountedImage : Image
{
    int* deletions;
    explicit CountedImage(int* d) : deletions(d) {}
    ~CountedImage() override { ++*deletions; }
};
} // namespace

TEST(ImageHandle, CountsEntriesAndOwnsPlainImages)
{
    SharedImageEntry entry;
    {
        ImageHandle a(&entry);
        ImageHandle b(a);
        EXPECT_EQ(entry.mRefCount, 2);
        ImageHandle c;
        c.AssignEntryOf(a);
        EXPECT_EQ(entry.mRefCount, 3);
        c.AssignEntryOf(c);
        EXPECT_EQ(entry.mRefCount, 3);
    }
    EXPECT_EQ(entry.mRefCount, 0);

    int deletions = 0;
    {
        ImageHandle owner;
        owner.AssignOwned(new CountedImage(&deletions));
        {
            ImageHandle copy(owner);
            EXPECT_EQ(copy.GetImage(), owner.GetImage());
        }
        EXPECT_EQ(deletions, 0);
        ImageHandle other;
        other.AssignEntryOf(owner); // a plain image is not taken over
        EXPECT_EQ(other.GetImage(), nullptr);
    }
    EXPECT_EQ(deletions, 1);
}

TEST(ImageBase, DrawRectIsFourFills)
{
    struct Recorder : Image
    {
        std::vector<Rect> fills;
        void FillRect(const Rect* r, const Color*, int) override { fills.push_back(*r); }
    } rec;
    const Rect r(3, 4, 0, 0);
    rec.DrawRect(&r, &gColorWhite, 0);
    ASSERT_EQ(rec.fills.size(), 4u);
    EXPECT_EQ(rec.fills[0], Rect(3, 4, 1, 1));
    EXPECT_EQ(rec.fills[1], Rect(3, 4, 1, 1));
    EXPECT_EQ(rec.fills[2].mHeight, -1);
    EXPECT_EQ(rec.fills[3].mHeight, -1);
}
