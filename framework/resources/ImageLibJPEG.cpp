// JPEG through libjpeg: a source manager over a ByteSource and a writer.
// libjpeg reports errors by longjmp. Its recovery from damaged data (warnings,
// an invented end marker) is not accepted: a damaged file gives no image.

#include "framework/resources/ImageLib.h"

#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>

namespace ImageLib
{

namespace
{

struct ErrorManager
{
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo)
{
    ErrorManager* err = (ErrorManager*)cinfo->err;
    longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        cinfo->err->num_warnings++; // damaged data; checked after decoding
}

void OutputMessage(j_common_ptr) {}

const size_t kSourceChunk = 4096;

struct SourceManager
{
    jpeg_source_mgr pub;
    ByteSource* src;
    JOCTET buffer[kSourceChunk];
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    SourceManager* sm = (SourceManager*)cinfo->src;
    size_t n = sm->src->Read(sm->buffer, kSourceChunk);
    if (n == 0)
        ErrorExit((j_common_ptr)cinfo); // truncated: no made-up end of image
    sm->pub.next_input_byte = sm->buffer;
    sm->pub.bytes_in_buffer = n;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    SourceManager* sm = (SourceManager*)cinfo->src;
    if (count <= 0)
        return;
    while (count > (long)sm->pub.bytes_in_buffer)
    {
        count -= (long)sm->pub.bytes_in_buffer;
        FillInputBuffer(cinfo);
    }
    sm->pub.next_input_byte += count;
    sm->pub.bytes_in_buffer -= (size_t)count;
}

void TermSource(j_decompress_ptr) {}

} // namespace

Image* ReadJPEG(ByteSource& src)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    // No exception may cross libjpeg's frames: a failed allocation is an error.
    SourceManager* sm = new (std::nothrow) SourceManager();
    if (!sm)
        return nullptr;
    Image* volatile image = nullptr;
    JSAMPLE* volatile row = nullptr;

    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
    if (setjmp(err.jump))
    {
        jpeg_destroy_decompress(&cinfo);
        delete[] row;
        delete image;
        delete sm;
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    sm->src = &src;
    sm->pub.init_source = InitSource;
    sm->pub.fill_input_buffer = FillInputBuffer;
    sm->pub.skip_input_data = SkipInputData;
    sm->pub.resync_to_restart = jpeg_resync_to_restart;
    sm->pub.term_source = TermSource;
    sm->pub.bytes_in_buffer = 0;
    sm->pub.next_input_byte = nullptr;
    cinfo.src = &sm->pub;

    jpeg_read_header(&cinfo, TRUE);
    if (!IsSizeAcceptable((long)cinfo.image_width, (long)cinfo.image_height))
        ErrorExit((j_common_ptr)&cinfo);
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    int comps = cinfo.output_components;
    if ((cmyk && comps != 4) || (!cmyk && comps != 3))
        ErrorExit((j_common_ptr)&cinfo);

    Image* img = new (std::nothrow) Image();
    image = img;
    if (!img || !img->Allocate((int)cinfo.output_width, (int)cinfo.output_height, &src))
        ErrorExit((j_common_ptr)&cinfo);
    JSAMPLE* line = new (std::nothrow) JSAMPLE[(size_t)cinfo.output_width * comps];
    row = line;
    if (!line)
    {
        src.mMemoryShort = true;
        ErrorExit((j_common_ptr)&cinfo);
    }
    while (cinfo.output_scanline < cinfo.output_height)
    {
        uint32_t* out = img->mBits + (size_t)cinfo.output_scanline * cinfo.output_width;
        JSAMPROW rows[1] = {line};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            ErrorExit((j_common_ptr)&cinfo);
        for (JDIMENSION x = 0; x < cinfo.output_width; x++)
        {
            const JSAMPLE* p = line + (size_t)x * comps;
            uint32_t r, g, b;
            if (cmyk)
            {
                // Adobe writes CMYK inverted: the stored values are 255 - ink.
                r = p[0] * p[3] / 255;
                g = p[1] * p[3] / 255;
                b = p[2] * p[3] / 255;
            }
            else
            {
                r = p[0];
                g = p[1];
                b = p[2];
            }
            out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    jpeg_finish_decompress(&cinfo);
    if (err.pub.num_warnings > 0)
        ErrorExit((j_common_ptr)&cinfo);

    jpeg_destroy_decompress(&cinfo);
    delete[] line;
    delete sm;
    return img;
}

// ---------------------------------------------------------------------------
// Writing

bool WriteJPEGPixels(const std::string& path, const uint32_t* pixels, int width, int height,
                     int quality)
{
    if (!pixels || width < 1 || height < 1)
        return false;
    if (quality < 1)
        quality = 1;
    if (quality > 100)
        quality = 100;
    std::vector<JSAMPLE> rgb((size_t)width * height * 3);
    for (size_t i = 0, n = (size_t)width * height; i < n; i++)
    {
        uint32_t p = pixels[i];
        rgb[i * 3 + 0] = (JSAMPLE)(p >> 16);
        rgb[i * 3 + 1] = (JSAMPLE)(p >> 8);
        rgb[i * 3 + 2] = (JSAMPLE)p;
    }

    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* volatile outBuf = nullptr;
    unsigned long outSize = 0;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    if (setjmp(err.jump))
    {
        jpeg_destroy_compress(&cinfo);
        free(outBuf);
        return false;
    }
    jpeg_create_compress(&cinfo);
    unsigned char* memBuf = nullptr;
    jpeg_mem_dest(&cinfo, &memBuf, &outSize);
    cinfo.image_width = (JDIMENSION)width;
    cinfo.image_height = (JDIMENSION)height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
    {
        JSAMPROW rows[1] = {&rgb[(size_t)cinfo.next_scanline * width * 3]};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    outBuf = memBuf;
    jpeg_destroy_compress(&cinfo);

    // The file is written only once the whole picture is encoded.
    bool ok = false;
    FILE* fp = fopen(path.c_str(), "wb");
    if (fp)
    {
        ok = fwrite(memBuf, 1, outSize, fp) == outSize;
        ok = (fclose(fp) == 0) && ok;
        if (!ok)
            remove(path.c_str());
    }
    free(memBuf);
    return ok;
}

} // namespace ImageLib
