#include "framework/graphics/D3DImageTextures.h"

#include <algorithm>
#include <cstring>

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"

namespace Lumo
{

int gMinTextureWidth = 64, gMinTextureHeight = 64;
int gMaxTextureWidth = 64, gMaxTextureHeight = 64;
int gMaxTextureAspectRatio = 1;
uint32_t gSupportedTextureFormats = 0;

void ResetTextureLimits()
{
    gMinTextureWidth = gMinTextureHeight = 64;
    gMaxTextureWidth = gMaxTextureHeight = 64;
    gMaxTextureAspectRatio = 1;
}

// ---------------------------------------------------------------- sizes

int NextPowerOfTwo(int n)
{
    int p = 1;
    while (p < n && p < (1 << 30))
        p <<= 1;
    return p;
}

bool IsPowerOfTwo(int n)
{
    return n >= 1 && (n & (n - 1)) == 0;
}

const int* GetTexturePieceSizeTable()
{
    static int table[2048];
    static bool built = false;
    if (!built)
    {
        int p = 1;
        for (int i = 0; i < 2048; i++)
        {
            while (i > p)
                p <<= 1;
            if (p - i <= 64)
                table[i] = p;
            else
            {
                int s = p / 2;
                while (i % s >= 64 && !IsPowerOfTwo(i % s))
                    s /= 2;
                table[i] = s;
            }
        }
        built = true;
    }
    return table;
}

void ChooseTextureSize(int& width, int& height, bool edge, uint32_t flags)
{
    if (flags & TextureFlagFixedPieces)
    {
        width = 64;
        height = 64;
        return;
    }
    if (!edge && !(flags & TextureFlagMinSubdivide))
    {
        // The table covers extents below 2048, the cap of every real device.
        const int* table = GetTexturePieceSizeTable();
        width = width >= gMaxTextureWidth ? gMaxTextureWidth
                : width >= 2048           ? NextPowerOfTwo(width)
                                          : table[std::max(width, 0)];
        height = height >= gMaxTextureHeight ? gMaxTextureHeight
                 : height >= 2048            ? NextPowerOfTwo(height)
                                             : table[std::max(height, 0)];
    }
    else
    {
        width = width >= gMaxTextureWidth ? gMaxTextureWidth : NextPowerOfTwo(width);
        height = height >= gMaxTextureHeight ? gMaxTextureHeight : NextPowerOfTwo(height);
    }
    width = std::max(width, gMinTextureWidth);
    height = std::max(height, gMinTextureHeight);
    const int aspect = std::max(gMaxTextureAspectRatio, 1);
    if (height < width)
        while (width > aspect * height)
            height *= 2;
    else if (width < height)
        while (height > aspect * width)
            width *= 2;
}

// ---------------------------------------------------------------- formats

int TextureBytesPerPixel(TextureFormat format)
{
    switch (format)
    {
    case A8R8G8B8:
        return 4;
    case A4R4G4B4:
    case R5G6B5:
        return 2;
    case Palette8:
        return 1;
    default:
        return 0;
    }
}

const char* TextureFormatName(TextureFormat format)
{
    switch (format)
    {
    case A8R8G8B8:
        return "A8R8G8B8";
    case A4R4G4B4:
        return "A4R4G4B4";
    case R5G6B5:
        return "R5G6B5";
    case Palette8:
        return "Palette8";
    default:
        return "";
    }
}

namespace
{

struct FormatEntry
{
    TextureFormat format;
    DWORD flags;
    DWORD bits;
    DWORD a, r, g, b;
};

const FormatEntry kFormats[] = {
    {A8R8G8B8, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF},
    {A4R4G4B4, DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xF000, 0x0F00, 0x00F0, 0x000F},
    {R5G6B5, DDPF_RGB, 16, 0, 0xF800, 0x07E0, 0x001F},
    {Palette8, DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0},
};

} // namespace

TextureFormat GetTextureFormat(const DDPIXELFORMAT& pf)
{
    for (const FormatEntry& e : kFormats)
        if (pf.dwFlags == e.flags && pf.dwRGBBitCount == e.bits && pf.dwRGBAlphaBitMask == e.a &&
            pf.dwRBitMask == e.r && pf.dwGBitMask == e.g && pf.dwBBitMask == e.b)
            return e.format;
    return TextureFormatNone;
}

void FillTexturePixelFormat(TextureFormat format, DDPIXELFORMAT& out)
{
    memset(&out, 0, sizeof(out));
    out.dwSize = sizeof(out);
    for (const FormatEntry& e : kFormats)
        if (e.format == format)
        {
            out.dwFlags = e.flags;
            out.dwRGBBitCount = e.bits;
            out.dwRGBAlphaBitMask = e.a;
            out.dwRBitMask = e.r;
            out.dwGBitMask = e.g;
            out.dwBBitMask = e.b;
        }
}

TextureFormat ChooseTextureFormat(bool hasAlpha, uint32_t flags, uint32_t supported)
{
    TextureFormat format = A8R8G8B8;
    if (!hasAlpha && (supported & R5G6B5) && !(flags & TextureFlagA8R8G8B8))
        format = R5G6B5;
    if (format == A8R8G8B8)
    {
        if (flags & TextureFlagA4R4G4B4)
        {
            if ((supported & A4R4G4B4) || !(supported & A8R8G8B8))
                format = A4R4G4B4;
        }
        else if (!(supported & A8R8G8B8))
            format = A4R4G4B4;
    }
    return format;
}

uint32_t ArgbToTexel(uint32_t c, TextureFormat format)
{
    switch (format)
    {
    case A4R4G4B4:
        return ((c >> 16) & 0xF000) | ((c >> 12) & 0x0F00) | ((c >> 8) & 0x00F0) |
               ((c >> 4) & 0x000F);
    case R5G6B5:
        return ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F);
    default:
        return c;
    }
}

uint32_t TexelToArgb(uint32_t t, TextureFormat format, const PALETTEENTRY* palette)
{
    switch (format)
    {
    case A4R4G4B4:
        // The alpha nibble is spread over the byte so that opaque stays 0xFF
        // and transparent stays 0.
        return ((t & 0xF000) << 16) | ((t & 0xF000) << 12) | ((t & 0x0F00) << 12) |
               ((t & 0x00F0) << 8) | ((t & 0x000F) << 4);
    case R5G6B5:
        return 0xFF000000 | ((t & 0xF800) << 8) | ((t & 0x07E0) << 5) | ((t & 0x001F) << 3);
    case Palette8:
    {
        if (!palette)
            return 0;
        const PALETTEENTRY& e = palette[t & 0xFF];
        return ((uint32_t)e.peFlags << 24) | ((uint32_t)e.peRed << 16) |
               ((uint32_t)e.peGreen << 8) | e.peBlue;
    }
    default:
        return t;
    }
}

void CopyPieceTexels(void* bits, int pitch, int w, int h, TextureFormat format,
                     const uint32_t* pixels, const unsigned char* indices, const uint32_t* table,
                     int imageWidth, int imageHeight, int x, int y)
{
    const int copyWidth = std::min(w, imageWidth - x);
    const int copyHeight = std::min(h, imageHeight - y);
    if (copyWidth <= 0 || copyHeight <= 0)
        return;
    const int bpp = TextureBytesPerPixel(format);
    const bool extraColumn = copyWidth < w;
    for (int row = 0; row < copyHeight; row++)
    {
        unsigned char* dest = (unsigned char*)bits + (size_t)row * pitch;
        const size_t src = (size_t)(y + row) * imageWidth + x;
        const int count = copyWidth + (extraColumn ? 1 : 0);
        for (int col = 0; col < count; col++)
        {
            const size_t i = src + std::min(col, copyWidth - 1);
            if (format == Palette8)
            {
                dest[col] = indices ? indices[i] : 0;
                continue;
            }
            const uint32_t c = indices && table ? table[indices[i]] : pixels[i];
            const uint32_t t = ArgbToTexel(c, format);
            if (bpp == 4)
                ((uint32_t*)dest)[col] = t;
            else
                ((uint16_t*)dest)[col] = (uint16_t)t;
        }
    }
    if (copyHeight < h)
    {
        unsigned char* last = (unsigned char*)bits + (size_t)(copyHeight - 1) * pitch;
        memcpy(last + pitch, last, (size_t)std::min(pitch, w * bpp));
    }
}

void ReadPieceTexels(const void* bits, int pitch, int cw, int ch, TextureFormat format,
                     const PALETTEENTRY* palette, uint32_t* pixels, int imageWidth, int x, int y)
{
    const int bpp = TextureBytesPerPixel(format);
    for (int row = 0; row < ch; row++)
    {
        const unsigned char* src = (const unsigned char*)bits + (size_t)row * pitch;
        uint32_t* dest = pixels + (size_t)(y + row) * imageWidth + x;
        for (int col = 0; col < cw; col++)
        {
            uint32_t t;
            if (bpp == 4)
                t = ((const uint32_t*)src)[col];
            else if (bpp == 2)
                t = ((const uint16_t*)src)[col];
            else
                t = src[col];
            dest[col] = TexelToArgb(t, format, palette);
        }
    }
}

// ---------------------------------------------------------------- record

ImageTextures::~ImageTextures()
{
    ReleaseTextures();
}

void ImageTextures::ReleaseTextures()
{
    for (TexturePiece& piece : pieces)
        if (piece.surface)
            piece.surface->Release();
    pieces.clear();
    textureBytes = 0;
    if (palette)
    {
        palette->Release();
        palette = nullptr;
    }
}

void ImageTextures::ReplacePalette(IDirectDrawPalette* fresh)
{
    if (fresh == palette)
        return;
    if (palette)
        palette->Release();
    palette = fresh;
    for (TexturePiece& piece : pieces)
        if (piece.surface && fresh)
            piece.surface->SetPalette(fresh);
}

bool ImageTextures::IsUpToDate(const MemoryImage* image) const
{
    return format != TextureFormatNone && width == image->mWidth && height == image->mHeight &&
           changeCount == image->mChangeCount && flags == (uint32_t)image->mTextureFlags;
}

bool ImageTextures::CanRefill(int imageWidth, int imageHeight, TextureFormat newFormat,
                              uint32_t imageFlags) const
{
    // A record whose last build failed has format 0 and holds broken pieces.
    return format != TextureFormatNone && width == imageWidth && height == imageHeight &&
           format == newFormat && flags == imageFlags && HasAllPieces();
}

bool ImageTextures::HasAllPieces() const
{
    if (pieces.empty() || (int)pieces.size() != columns * rows)
        return false;
    for (const TexturePiece& piece : pieces)
        if (!piece.surface)
            return false;
    return true;
}

void ImageTextures::UpdateTextures(MemoryImage* image, IDirect3DDevice7* device, IDirectDraw7* dd)
{
    if (IsUpToDate(image))
        return;
    CreateTextures(image, device, dd);
}

void ImageTextures::LayoutPieces(MemoryImage* image)
{
    LayoutPieces(image->mWidth, image->mHeight, (uint32_t)image->mTextureFlags);
}

void ImageTextures::LayoutPieces(int w, int h, uint32_t imageFlags)
{
    int pw = w, ph = h;
    ChooseTextureSize(pw, ph, false, imageFlags);
    pieceWidth = pw;
    pieceHeight = ph;

    int rightW = pw, rightH = ph;
    if (w % pw > 0)
    {
        rightW = w % pw;
        rightH = ph;
        ChooseTextureSize(rightW, rightH, true, imageFlags);
    }
    int bottomW = pw, bottomH = ph;
    if (h % ph > 0)
    {
        bottomW = pw;
        bottomH = h % ph;
        ChooseTextureSize(bottomW, bottomH, true, imageFlags);
    }
    int cornerW = rightW, cornerH = bottomH;
    ChooseTextureSize(cornerW, cornerH, true, imageFlags);

    columns = (w + pw - 1) / pw;
    rows = (h + ph - 1) / ph;
    for (TexturePiece& piece : pieces)
        if (piece.surface)
            piece.surface->Release();
    pieces.assign((size_t)columns * rows, TexturePiece{nullptr, pw, ph});
    if (columns > 0 && rows > 0)
    {
        for (int r = 0; r < rows; r++)
        {
            pieces[(size_t)r * columns + columns - 1].width = rightW;
            pieces[(size_t)r * columns + columns - 1].height = rightH;
        }
        for (int c = 0; c < columns; c++)
        {
            pieces[(size_t)(rows - 1) * columns + c].width = bottomW;
            pieces[(size_t)(rows - 1) * columns + c].height = bottomH;
        }
        pieces.back().width = cornerW;
        pieces.back().height = cornerH;
    }
    maxU = (float)w / (float)pw;
    maxV = (float)h / (float)ph;
}

IDirectDrawSurface7* ImageTextures::CreatePieceSurface(IDirect3DDevice7* device, IDirectDraw7* dd,
                                                       int w, int h)
{
    if (CheckD3DResult(device->SetTexture(0, nullptr), "SetTexture NULL"))
        return nullptr;
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = w;
    desc.dwHeight = h;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.ddsCaps.dwCaps2 = DDSCAPS2_D3DTEXTUREMANAGE;
    FillTexturePixelFormat(format, desc.ddpfPixelFormat);
    IDirectDrawSurface7* surface = nullptr;
    if (FAILED(dd->CreateSurface(&desc, &surface, nullptr)))
        return nullptr;
    return surface;
}

void ImageTextures::UploadPiece(IDirectDrawSurface7* surface, MemoryImage* image, int x, int y,
                                int w, int h)
{
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (CheckD3DResult(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr),
                       "Lock Texture"))
        return;
    const bool palette8 = image->mColorTable && image->mColorIndices;
    const uint32_t* pixels = palette8 ? nullptr : image->GetPixels();
    if (palette8 || pixels)
        CopyPieceTexels(desc.lpSurface, (int)desc.lPitch, w, h, format, pixels,
                        palette8 ? image->mColorIndices : nullptr,
                        palette8 ? image->mColorTable : nullptr, image->mWidth, image->mHeight, x,
                        y);
    CheckD3DResult(surface->Unlock(nullptr), "Texture Unlock");
}

void ImageTextures::CreateTextures(MemoryImage* image, IDirect3DDevice7* device, IDirectDraw7* dd)
{
    image->DeleteDerivedData();
    image->UpdateAlphaFlags();

    TextureFormat newFormat = A8R8G8B8;
    if (!image->mHasTransparent && !image->mHasTranslucent && (gSupportedTextureFormats & R5G6B5) &&
        !(image->mTextureFlags & TextureFlagA8R8G8B8))
        newFormat = R5G6B5;

    IDirectDrawPalette* newPalette = nullptr;
    if (image->mColorTable && image->mColorIndices && (gSupportedTextureFormats & Palette8))
    {
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; i++)
        {
            const uint32_t c = image->mColorTable[i];
            entries[i].peRed = (BYTE)(c >> 16);
            entries[i].peGreen = (BYTE)(c >> 8);
            entries[i].peBlue = (BYTE)c;
            entries[i].peFlags = (BYTE)(c >> 24);
        }
        if (SUCCEEDED(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries,
                                        &newPalette, nullptr)))
            newFormat = Palette8;
        else
        {
            newPalette = nullptr;
            gSupportedTextureFormats &= ~(uint32_t)Palette8;
        }
    }
    if (newFormat == A8R8G8B8)
        newFormat =
            ChooseTextureFormat(true, (uint32_t)image->mTextureFlags, gSupportedTextureFormats);

    const uint32_t imageFlags = (uint32_t)image->mTextureFlags;
    const bool refill = CanRefill(image->mWidth, image->mHeight, newFormat, imageFlags);
    if (refill)
        ReplacePalette(newPalette);
    else
    {
        ReleaseTextures();
        format = newFormat;
        flags = imageFlags;
        LayoutPieces(image);
        palette = newPalette;
        if (palette)
            textureBytes += 1024;
    }

    const int bpp = TextureBytesPerPixel(newFormat);
    format = newFormat;
    int index = 0;
    for (int y = 0; y < image->mHeight; y += pieceHeight)
        for (int x = 0; x < image->mWidth; x += pieceWidth, index++)
        {
            TexturePiece& piece = pieces[index];
            if (!piece.surface)
            {
                piece.surface = CreatePieceSurface(device, dd, piece.width, piece.height);
                if (!piece.surface)
                {
                    format = TextureFormatNone;
                    return;
                }
                if (palette)
                    piece.surface->SetPalette(palette);
                textureBytes += piece.width * piece.height * bpp;
            }
            UploadPiece(piece.surface, image, x, y, piece.width, piece.height);
        }
    width = image->mWidth;
    height = image->mHeight;
    changeCount = image->mChangeCount;
    format = newFormat;
}

IDirectDrawSurface7* ImageTextures::GetPieceAt(int x, int y, int& w, int& h, float& uLeft,
                                               float& vTop, float& uRight, float& vBottom) const
{
    const TexturePiece& piece = pieces[(size_t)(y / pieceHeight) * columns + x / pieceWidth];
    const int ox = x % pieceWidth, oy = y % pieceHeight;
    const int right = std::min(ox + w, piece.width);
    const int bottom = std::min(oy + h, piece.height);
    w = right - ox;
    h = bottom - oy;
    uLeft = (float)ox / piece.width;
    vTop = (float)oy / piece.height;
    uRight = (float)right / piece.width;
    vBottom = (float)bottom / piece.height;
    return piece.surface;
}

bool ImageTextures::ReadBack(uint32_t* pixels) const
{
    // Missing pieces would leave holes of stale memory in the picture.
    if (format == TextureFormatNone || !HasAllPieces())
        return false;
    PALETTEENTRY entries[256];
    const PALETTEENTRY* paletteEntries = nullptr;
    if (format == Palette8)
    {
        if (!palette || FAILED(palette->GetEntries(0, 0, 256, entries)))
            return false;
        paletteEntries = entries;
    }
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++)
        {
            const TexturePiece& piece = pieces[(size_t)r * columns + c];
            DDSURFACEDESC2 desc;
            memset(&desc, 0, sizeof(desc));
            desc.dwSize = sizeof(desc);
            if (CheckD3DResult(
                    piece.surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr),
                    "Lock Texture"))
                return false;
            const int x = c * pieceWidth, y = r * pieceHeight;
            const int cw = std::min(width - x, piece.width);
            const int ch = std::min(height - y, piece.height);
            ReadPieceTexels(desc.lpSurface, (int)desc.lPitch, cw, ch, format, paletteEntries,
                            pixels, width, x, y);
            CheckD3DResult(piece.surface->Unlock(nullptr), "Texture Unlock");
        }
    return true;
}

} // namespace Lumo
