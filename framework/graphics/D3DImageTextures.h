#pragma once
// Lumo::ImageTextures is how a MemoryImage lives on the Direct3D device: a grid
// of power-of-two texture pieces in one pixel format. The device limits which
// sizes exist, so an image is cut into inner pieces from the piece-size table
// (which wastes at most 64 texels per axis) and smaller edge pieces. Each piece
// repeats its last column and row one texel further, so bilinear filtering at a
// piece edge never reads garbage. Pixel changes refill the pieces; a change of
// size, format or flags rebuilds them.

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>
#include <vector>

struct TriangleVertex;

namespace Lumo
{

class D3DInterface;
class MemoryImage;
class Matrix3;
class Rect;
struct D3DVertex;

// Texture pixel formats; also the bits of the supported-format mask.
enum TextureFormat : uint32_t
{
    TextureFormatNone = 0, // no usable textures
    A8R8G8B8 = 1,
    A4R4G4B4 = 2,
    R5G6B5 = 4,
    Palette8 = 8
};

// Texture flags of an image (MemoryImage::mTextureFlags).
enum TextureFlags : uint32_t
{
    TextureFlagMinSubdivide = 1, // inner pieces take the next power of two
    TextureFlagFixedPieces = 2,  // every piece is 64 x 64
    TextureFlagA4R4G4B4 = 4,     // prefer A4R4G4B4 over A8R8G8B8
    TextureFlagA8R8G8B8 = 8      // never R5G6B5
};

// --- process-wide texture limits, set by the device's initialisation
extern int gMinTextureWidth, gMinTextureHeight; // 64 until a device says otherwise
extern int gMaxTextureWidth, gMaxTextureHeight; // capped at 2048
extern int gMaxTextureAspectRatio;              // 1 = square pieces only
extern uint32_t gSupportedTextureFormats;       // TextureFormat bits

// Back to 64 x 64 pieces, square, no formats.
void ResetTextureLimits();

// --- size helpers
int NextPowerOfTwo(int n); // 1 below 2
bool IsPowerOfTwo(int n);  // false below 1
// 2048 entries: the inner piece size for an image extent below the maximum.
const int* GetTexturePieceSizeTable();
// Turns a wanted size into a texture size the device takes.
void ChooseTextureSize(int& width, int& height, bool edge, uint32_t flags);

// --- format helpers
int TextureBytesPerPixel(TextureFormat format);
// "A8R8G8B8", "A4R4G4B4", "R5G6B5", "Palette8", or "" for none; the video
// statistics print these.
const char* TextureFormatName(TextureFormat format);
TextureFormat GetTextureFormat(const DDPIXELFORMAT& format);
void FillTexturePixelFormat(TextureFormat format, DDPIXELFORMAT& out);
// Format for an image's alpha and flags among the supported formats, before
// the palette is considered.
TextureFormat ChooseTextureFormat(bool hasAlpha, uint32_t flags, uint32_t supported);
// One 0xAARRGGBB pixel as a texel of the format, and back (missing bits 0,
// alpha 0xFF for R5G6B5).
uint32_t ArgbToTexel(uint32_t argb, TextureFormat format);
uint32_t TexelToArgb(uint32_t texel, TextureFormat format, const PALETTEENTRY* palette);

// Copies the image part at (x, y) into locked texel memory of a w x h piece,
// repeating the last column and row once when the image ends inside the piece.
// `indices` and `table` are the palette form, or null for 32-bit pixels.
void CopyPieceTexels(void* bits, int pitch, int w, int h, TextureFormat format,
                     const uint32_t* pixels, const unsigned char* indices, const uint32_t* table,
                     int imageWidth, int imageHeight, int x, int y);
// Reads cw x ch texels of a piece back into 32-bit image pixels at (x, y).
void ReadPieceTexels(const void* bits, int pitch, int cw, int ch, TextureFormat format,
                     const PALETTEENTRY* palette, uint32_t* pixels, int imageWidth, int x, int y);

// One texture of an image.
struct TexturePiece
{
    IDirectDrawSurface7* surface = nullptr; // null until created
    int width = 0;
    int height = 0;
};

class ImageTextures
{
public:
    std::vector<TexturePiece> pieces;      // row-major
    IDirectDrawPalette* palette = nullptr; // shared by the pieces of a Palette8 image
    int width = 0, height = 0;             // image size at the last upload
    int columns = 0, rows = 0;
    int pieceWidth = 64, pieceHeight = 64; // inner piece size
    int changeCount = 0;                   // the image's change count at the last upload
    int textureBytes = 0;                  // texture memory held, palette included
    float maxU = 0.0f, maxV = 0.0f;        // image extent in piece units
    TextureFormat format = TextureFormatNone;
    uint32_t flags = 0;            // the image's texture flags at the last layout
    D3DInterface* owner = nullptr; // the renderer whose texture set holds the image

    ImageTextures() = default;
    ~ImageTextures();
    ImageTextures(const ImageTextures&) = delete;
    ImageTextures& operator=(const ImageTextures&) = delete;

    // --- building
    // Nothing when the textures hold the image's current pixels; else CreateTextures.
    void UpdateTextures(MemoryImage* image, IDirect3DDevice7* device, IDirectDraw7* dd);
    void CreateTextures(MemoryImage* image, IDirect3DDevice7* device, IDirectDraw7* dd);
    // Piece grid and sizes for the image; surfaces are not touched.
    void LayoutPieces(MemoryImage* image);
    void LayoutPieces(int imageWidth, int imageHeight, uint32_t imageFlags);
    void ReleaseTextures();
    // Takes a new palette for kept pieces: the old one is released.
    void ReplacePalette(IDirectDrawPalette* fresh);

    // --- queries
    bool IsUpToDate(const MemoryImage* image) const;
    // The kept pieces serve a new upload of this size, format and flags.
    bool CanRefill(int imageWidth, int imageHeight, TextureFormat newFormat,
                   uint32_t imageFlags) const;
    bool HasAllPieces() const;
    // The piece under image point (x, y); width and height come back cut to it,
    // with the covered part's UV rectangle.
    IDirectDrawSurface7* GetPieceAt(int x, int y, int& w, int& h, float& uLeft, float& vTop,
                                    float& uRight, float& vBottom) const;
    // Pixels of every piece into a 32-bit array of the image's size.
    bool ReadBack(uint32_t* pixels) const;

    // --- drawing (the scene is open and the states are set)
    void Blt(IDirect3DDevice7* device, float x, float y, const Rect& srcRect, uint32_t color);
    void BltTransformed(IDirect3DDevice7* device, const Matrix3& matrix, const Rect& srcRect,
                        uint32_t color, const Rect* clip, float x, float y, bool center,
                        ImageTextures* mask, const Rect* maskSrcRect, float maskPosX,
                        float maskPosY, const Matrix3* maskMatrix);
    void DrawTriangles(IDirect3DDevice7* device, const TriangleVertex* triangles, int count,
                       uint32_t color, float tx, float ty);

private:
    IDirectDrawSurface7* CreatePieceSurface(IDirect3DDevice7* device, IDirectDraw7* dd, int w,
                                            int h);
    void UploadPiece(IDirectDrawSurface7* surface, MemoryImage* image, int x, int y, int w, int h);
    void BltMasked(IDirect3DDevice7* device, const Matrix3& matrix, const Rect& srcRect,
                   uint32_t color, const Rect* clip, float x, float y, bool center,
                   ImageTextures* mask, const Rect& maskSrcRect, float maskPosX, float maskPosY,
                   const Matrix3& maskMatrix);
};

} // namespace Lumo
