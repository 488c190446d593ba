// The software triangle rasterizer's single entry. Memory images and locked
// surfaces hand it textured, coloured triangle strips; it clips each triangle
// to the clip rectangle in floats, converts it to 16.16 fixed point and draws it
// with an inner loop specialised for the pixel format and the features in use.
#pragma once

#include <cstdint>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"

namespace Lumo
{
class MemoryImage;
}

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

// Draws the vertices as a strip of triangles ((0,1,2), (1,3,2), ...) clipped to
// clipRect. Fewer than 3 vertices draw nothing. The texture may be null
// (untextured; then only vertex colours paint). drawMode is accepted and not
// read. pitch is in bytes. Not reentrant: the clipper's pool is static, so
// call it from the painting thread only.
void DrawTriangle(const TriangleVertex* vertices, int count, Lumo::MemoryImage* texture,
                  const Lumo::Color& color, int drawMode, const Lumo::Rect& clipRect, void* bits,
                  int pitch, int pixelFormat, bool bilinear, bool useVertexColor);
