// Texture pieces of an image: the piece-size table, layouts under several
// device limits, format choice, refill or rebuild, texel conversion with the
// duplicated edge, and read-back refusal. No device needed.
#include <gtest/gtest.h>

#include <vector>

#include "framework/graphics/D3DImageTextures.h"

using namespace Lumo;

namespace
{

struct Limits
{
    Limits(int maxSize, int minSize, int aspect)
    {
        ResetTextureLimits();
        gMaxTextureWidth = gMaxTextureHeight = maxSize;
        gMinTextureWidth = gMinTextureHeight = minSize;
        gMaxTextureAspectRatio = aspect;
    }
    ~Limits() { ResetTextureLimits(); }
};

// Counts Release calls; every other palette operation succeeds quietly.
class CountingPalette : public IDirectDrawPalette
{
public:
    int refs = 1;
    HRESULT WINAPI QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return ++refs; }
    ULONG WINAPI Release() override { return --refs; }
    HRESULT WINAPI GetCaps(DWORD*) override { return DD_OK; }
    HRESULT WINAPI GetEntries(DWORD, DWORD, DWORD, PALETTEENTRY*) override { return DD_OK; }
    HRESULT WINAPI Initialize(IDirectDraw*, DWORD, PALETTEENTRY*) override { return DD_OK; }
    HRESULT WINAPI SetEntries(DWORD, DWORD, DWORD, PALETTEENTRY*) override { return DD_OK; }
};

} // namespace

TEST(ImageTextures, PieceSizeTableKeepsWasteWithin64Texels)
{
    const int* table = GetTexturePieceSizeTable();
    const int samples[][2] = {{1, 1},     {3, 4},       {65, 128},  {129, 128},
                              {191, 128}, {192, 256},   {320, 256}, {321, 64},
                              {384, 256}, {400, 128},   {448, 512}, {600, 64},
                              {800, 256}, {1000, 1024}, {1100, 64}, {2000, 2048}};
    for (const auto& s : samples)
        EXPECT_EQ(s[1], table[s[0]]) << "entry " << s[0];
    for (int i = 1; i < 2048; i++)
        EXPECT_TRUE(IsPowerOfTwo(table[i])) << "entry " << i << " = " << table[i];
}

TEST(ImageTextures, PowerOfTwoHelpers)
{
    EXPECT_EQ(1, NextPowerOfTwo(-3));
    EXPECT_EQ(1, NextPowerOfTwo(1));
    EXPECT_EQ(128, NextPowerOfTwo(100));
    EXPECT_EQ(256, NextPowerOfTwo(256));
    EXPECT_FALSE(IsPowerOfTwo(0));
    EXPECT_FALSE(IsPowerOfTwo(-4));
    EXPECT_FALSE(IsPowerOfTwo(96));
    EXPECT_TRUE(IsPowerOfTwo(1));
}

TEST(ImageTextures, DefaultLimitsCutEverythingInto64Squares)
{
    Limits limits(64, 64, 1);
    ImageTextures record;
    record.LayoutPieces(100, 70, TextureFlagA8R8G8B8);
    EXPECT_EQ(64, record.pieceWidth);
    EXPECT_EQ(64, record.pieceHeight);
    EXPECT_EQ(2, record.columns);
    EXPECT_EQ(2, record.rows);
    for (const TexturePiece& piece : record.pieces)
    {
        EXPECT_EQ(64, piece.width);
        EXPECT_EQ(64, piece.height);
    }
}

TEST(ImageTextures, SmallImageOnLargeDeviceIsOnePiece)
{
    Limits limits(2048, 1, 65536);
    ImageTextures record;
    record.LayoutPieces(100, 100, 0);
    ASSERT_EQ(1u, record.pieces.size());
    EXPECT_EQ(128, record.pieces[0].width);
    EXPECT_EQ(128, record.pieces[0].height);
    EXPECT_FLOAT_EQ(100.0f / 128.0f, record.maxU);
}

TEST(ImageTextures, ScreenSizedImageGetsInnerAndEdgePieces)
{
    Limits limits(2048, 1, 8);
    ImageTextures record;
    record.LayoutPieces(800, 600, 0);
    EXPECT_EQ(256, record.pieceWidth);
    EXPECT_EQ(64, record.pieceHeight);
    ASSERT_EQ(4, record.columns);
    ASSERT_EQ(10, record.rows);
    EXPECT_EQ(256, record.pieces[0].width);
    EXPECT_EQ(32, record.pieces[3].width); // right column: 800 mod 256 = 32
    EXPECT_EQ(64, record.pieces[3].height);
    EXPECT_EQ(256, record.pieces[36].width); // bottom row: 600 mod 64 = 24 -> 32
    EXPECT_EQ(32, record.pieces[36].height);
    EXPECT_EQ(32, record.pieces.back().width);
    EXPECT_EQ(32, record.pieces.back().height);
    EXPECT_FLOAT_EQ(800.0f / 256.0f, record.maxU);
    EXPECT_FLOAT_EQ(600.0f / 64.0f, record.maxV);
}

TEST(ImageTextures, SizeRulesForAspectFixedPiecesAndMinimum)
{
    {
        Limits limits(2048, 1, 1);
        int w = 512, h = 64;
        ChooseTextureSize(w, h, false, 0);
        EXPECT_EQ(512, w);
        EXPECT_EQ(512, h);
    }
    {
        Limits limits(2048, 128, 65536);
        int w = 500, h = 10;
        ChooseTextureSize(w, h, false, TextureFlagFixedPieces);
        EXPECT_EQ(64, w);
        EXPECT_EQ(64, h);
        w = 300, h = 10;
        ChooseTextureSize(w, h, false, TextureFlagMinSubdivide);
        EXPECT_EQ(512, w);
        EXPECT_EQ(128, h); // the device minimum
    }
    {
        // Extents beyond the table never index past it.
        Limits limits(65536, 1, 65536);
        int w = 20000, h = 3000;
        ChooseTextureSize(w, h, false, 0);
        EXPECT_EQ(32768, w);
        EXPECT_EQ(4096, h);
    }
}

TEST(ImageTextures, FormatChoiceFollowsAlphaFlagsAndSupport)
{
    const uint32_t all = A8R8G8B8 | A4R4G4B4 | R5G6B5;
    // New images carry TextureFlagA8R8G8B8 and stay 32-bit even when opaque.
    EXPECT_EQ(A8R8G8B8, ChooseTextureFormat(false, TextureFlagA8R8G8B8, all));
    EXPECT_EQ(R5G6B5, ChooseTextureFormat(false, 0, all));
    EXPECT_EQ(A8R8G8B8, ChooseTextureFormat(true, 0, all));
    EXPECT_EQ(A4R4G4B4, ChooseTextureFormat(true, TextureFlagA4R4G4B4, all));
    EXPECT_EQ(A4R4G4B4, ChooseTextureFormat(true, 0, A4R4G4B4 | R5G6B5));
    EXPECT_EQ(A4R4G4B4, ChooseTextureFormat(true, TextureFlagA4R4G4B4, A8R8G8B8 & 0));
    EXPECT_EQ(A8R8G8B8, ChooseTextureFormat(true, TextureFlagA4R4G4B4, A8R8G8B8));
    EXPECT_EQ(A8R8G8B8, ChooseTextureFormat(false, 0, A8R8G8B8 | A4R4G4B4));
}

TEST(ImageTextures, PixelFormatsRoundTripThroughTheTable)
{
    const TextureFormat formats[] = {A8R8G8B8, A4R4G4B4, R5G6B5, Palette8};
    for (TextureFormat f : formats)
    {
        DDPIXELFORMAT pf;
        FillTexturePixelFormat(f, pf);
        EXPECT_EQ(f, GetTextureFormat(pf));
    }
    DDPIXELFORMAT x1r5g5b5;
    FillTexturePixelFormat(R5G6B5, x1r5g5b5);
    x1r5g5b5.dwRBitMask = 0x7C00;
    EXPECT_EQ(TextureFormatNone, GetTextureFormat(x1r5g5b5));
}

TEST(ImageTextures, RefillOnlyWhenSizeFormatAndFlagsStay)
{
    CountingPalette dummy; // stands in for piece surfaces' existence only
    ImageTextures record;
    record.LayoutPieces(64, 64, 8);
    record.width = 64;
    record.height = 64;
    record.format = A8R8G8B8;
    record.flags = 8;
    // Pieces without surfaces cannot be refilled.
    EXPECT_FALSE(record.CanRefill(64, 64, A8R8G8B8, 8));
    record.pieces[0].surface = reinterpret_cast<IDirectDrawSurface7*>(&dummy);
    EXPECT_TRUE(record.CanRefill(64, 64, A8R8G8B8, 8));
    EXPECT_FALSE(record.CanRefill(64, 65, A8R8G8B8, 8));
    EXPECT_FALSE(record.CanRefill(64, 64, R5G6B5, 8)); // gained or lost alpha
    EXPECT_FALSE(record.CanRefill(64, 64, A8R8G8B8, 0));
    record.format = TextureFormatNone; // the last build failed
    EXPECT_FALSE(record.CanRefill(64, 64, A8R8G8B8, 8));
    record.pieces[0].surface = nullptr;
}

TEST(ImageTextures, ReadBackRefusesMissingPieces)
{
    ImageTextures record;
    record.LayoutPieces(100, 100, 8);
    record.width = record.height = 100;
    record.format = A8R8G8B8;
    std::vector<uint32_t> pixels(100 * 100, 0x12345678);
    EXPECT_FALSE(record.ReadBack(pixels.data()));
    EXPECT_EQ(0x12345678u, pixels[0]);
}

TEST(ImageTextures, ReplacedPaletteIsReleased)
{
    CountingPalette oldPalette, newPalette;
    ImageTextures record;
    record.palette = &oldPalette;
    record.ReplacePalette(&newPalette);
    EXPECT_EQ(0, oldPalette.refs);
    EXPECT_EQ(&newPalette, record.palette);
    EXPECT_EQ(1, newPalette.refs);
    record.ReleaseTextures();
    EXPECT_EQ(0, newPalette.refs);
    EXPECT_EQ(nullptr, record.palette);
}

TEST(ImageTextures, TexelConversionTruncatesAndReadsBack)
{
    EXPECT_EQ(0x8A5Fu, ArgbToTexel(0x8FA85FFF, A4R4G4B4));
    EXPECT_EQ(0xF81Fu, ArgbToTexel(0x12FF03FF, R5G6B5));
    EXPECT_EQ(0xFFF800F8u, TexelToArgb(0xF81F, R5G6B5, nullptr));
    EXPECT_EQ(0xFF000000u, TexelToArgb(0xF000, A4R4G4B4, nullptr));
    EXPECT_EQ(0x00F0F0F0u, TexelToArgb(0x0FFF, A4R4G4B4, nullptr));
    PALETTEENTRY palette[256] = {};
    palette[7] = {0x11, 0x22, 0x33, 0x80};
    EXPECT_EQ(0x80112233u, TexelToArgb(7, Palette8, palette));
}

TEST(ImageTextures, UploadRepeatsLastColumnAndRow)
{
    // A 3 x 2 image in a 4 x 4 piece: column 3 copies column 2, row 2 copies row 1.
    const uint32_t pixels[6] = {1, 2, 3, 4, 5, 6};
    uint32_t piece[4][4];
    for (auto& row : piece)
        for (uint32_t& t : row)
            t = 0xDEAD;
    CopyPieceTexels(piece, 16, 4, 4, A8R8G8B8, pixels, nullptr, nullptr, 3, 2, 0, 0);
    const uint32_t expected[3][4] = {{1, 2, 3, 3}, {4, 5, 6, 6}, {4, 5, 6, 6}};
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(expected[y][x], piece[y][x]) << x << "," << y;
    EXPECT_EQ(0xDEADu, piece[3][0]); // beyond the one duplicated row nothing is written

    // The palette form uploads indices unchanged; a 16-bit piece converts.
    const unsigned char indices[6] = {9, 8, 7, 6, 5, 4};
    unsigned char bytes[2][4] = {};
    CopyPieceTexels(bytes, 4, 4, 2, Palette8, nullptr, indices, nullptr, 3, 2, 0, 0);
    EXPECT_EQ(7, bytes[0][3]);
    EXPECT_EQ(4, bytes[1][2]);
}

TEST(ImageTextures, ReadPieceTexelsPlacesPiecesInTheImage)
{
    const uint16_t texels[2][2] = {{0xF800, 0x07E0}, {0x001F, 0xFFFF}};
    std::vector<uint32_t> pixels(4 * 4, 0);
    ReadPieceTexels(texels, 4, 2, 2, R5G6B5, nullptr, pixels.data(), 4, 2, 1);
    EXPECT_EQ(0xFFF80000u, pixels[1 * 4 + 2]);
    EXPECT_EQ(0xFF00FC00u, pixels[1 * 4 + 3]);
    EXPECT_EQ(0xFF0000F8u, pixels[2 * 4 + 2]);
    EXPECT_EQ(0u, pixels[0]);
}
