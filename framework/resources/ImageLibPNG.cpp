// PNG through libpng: reading over a ByteSource, writing 8-bit RGBA files.
// libpng reports errors by longjmp, so nothing with a destructor may live
// between the setjmp and the calls that can fail.

#include "framework/resources/ImageLib.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace ImageLib
{

static void PngReadFn(png_structp png, png_bytep dest, png_size_t count)
{
    ByteSource* src = (ByteSource*)png_get_io_ptr(png);
    if (src->Read(dest, count) != count)
        png_error(png, "truncated file");
}

static void PngQuietWarning(png_structp, png_const_charp) {}

// Errors are reported by the result alone, never printed.
static void PngQuietError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

Image* ReadPNG(ByteSource& src)
{
    png_byte sig[8];
    if (src.Read(sig, 8) != 8 || png_sig_cmp(sig, 0, 8) != 0)
        return nullptr;

    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngQuietError, PngQuietWarning);
    if (!png)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    Image* volatile image = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png)))
    {
        delete[] rows;
        delete image;
        png_destroy_read_struct(&png, &info, nullptr);
        return nullptr;
    }
    png_set_read_fn(png, &src, PngReadFn);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 16384, 16384);
    png_read_info(png, info);

    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    int colorType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    if (!IsSizeAcceptable((long)width, (long)height))
        png_error(png, "image too large");
    // Deflate gives at most 1032 bytes for each byte it reads: a file too
    // short to hold the picture's rows is refused before its memory is taken.
    const long left = src.Size() - src.Tell();
    const uint64_t rowBytes = png_get_rowbytes(png, info) + 1; // with the filter byte
    if (left < 0 || (uint64_t)left * 1032 < rowBytes * height)
        png_error(png, "too little data for the image");

    // Everything becomes 8-bit B, G, R, A in memory: 0xAARRGGBB words.
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != (png_size_t)width * 4)
        png_error(png, "unexpected row layout");

    // No exception may cross libpng's frames: a failed allocation is an error.
    Image* img = new (std::nothrow) Image();
    image = img;
    if (!img || !img->Allocate((int)width, (int)height, &src))
        png_error(png, "out of memory");
    png_bytep* rowTable = new (std::nothrow) png_bytep[height];
    rows = rowTable;
    if (!rowTable)
    {
        src.mMemoryShort = true;
        png_error(png, "out of memory");
    }
    for (png_uint_32 y = 0; y < height; y++)
        rowTable[y] = (png_bytep)(img->mBits + (size_t)y * width);
    png_read_image(png, rowTable);
    png_read_end(png, nullptr);

    delete[] rowTable;
    png_destroy_read_struct(&png, &info, nullptr);
    return img;
}

// ---------------------------------------------------------------------------
// Writing

static void PngWriteFn(png_structp png, png_bytep data, png_size_t count)
{
    FILE* fp = (FILE*)png_get_io_ptr(png);
    if (fwrite(data, 1, count, fp) != count)
        png_error(png, "write failed");
}

static void PngFlushFn(png_structp png)
{
    fflush((FILE*)png_get_io_ptr(png));
}

bool WritePNGPixels(const std::string& path, const uint32_t* pixels, int width, int height)
{
    if (!pixels || width < 1 || height < 1)
        return false;
    // R, G, B, A bytes per pixel, built before libpng can longjmp.
    std::vector<png_byte> rgba((size_t)width * height * 4);
    for (size_t i = 0, n = (size_t)width * height; i < n; i++)
    {
        uint32_t p = pixels[i];
        rgba[i * 4 + 0] = (png_byte)(p >> 16);
        rgba[i * 4 + 1] = (png_byte)(p >> 8);
        rgba[i * 4 + 2] = (png_byte)p;
        rgba[i * 4 + 3] = (png_byte)(p >> 24);
    }
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; y++)
        rows[y] = &rgba[(size_t)y * width * 4];

    FILE* fp = fopen(path.c_str(), "wb");
    if (!fp)
        return false;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngQuietError, PngQuietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info)
    {
        png_destroy_write_struct(&png, nullptr);
        fclose(fp);
        remove(path.c_str());
        return false;
    }
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        fclose(fp);
        remove(path.c_str()); // no half-written file left behind
        return false;
    }
    png_set_write_fn(png, fp, PngWriteFn, PngFlushFn);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    bool ok = fflush(fp) == 0;
    ok = (fclose(fp) == 0) && ok;
    if (!ok)
        remove(path.c_str());
    return ok;
}

} // namespace ImageLib
