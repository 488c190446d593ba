// The software triangle rasterizer's vertices and pixel formats. Memory images
// and locked surfaces hand it textured, coloured triangle strips (DrawTriangle,
// ImageTriangles.h, reads the texture image); it clips each triangle
// to the clip rectangle in floats, converts it to 16.16 fixed point and draws it
// with an inner loop specialised for the pixel format and the features in use.
#pragma once

#include <cstdint>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"

// One vertex of a strip. Read, never written.
struct TriangleVertex
{
    float x, y;     // destination pixels
    float u, v;     // 0..1 across the whole texture's width and height
    uint32_t color; // 0xAARRGGBB; 0 means the caller's draw colour is used
};

// Destination pixel format codes. Any other code draws as 0x8888.
enum TrianglePixelFormat
{
    TrianglePixelFormat8888 = 0x8888, // 32-bit ARGB, alpha byte meaningful
    TrianglePixelFormat888 = 0x888,   // 32-bit, alpha byte written as 0xFF
    TrianglePixelFormat565 = 0x565,   // 16-bit 5-6-5
    TrianglePixelFormat555 = 0x555,   // 16-bit 5-5-5, top bit always 0
};
