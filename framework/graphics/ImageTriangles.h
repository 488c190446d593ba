// The software triangle rasterizer with a memory image as the texture: the
// image's size, alpha flags and pixels become the rasterizer's plain texture
// description, so the rasterizer itself knows no image class.
#pragma once

#include "framework/raster/DrawTriangle.h"

namespace Lumo
{
class MemoryImage;
}

// Draws the vertices as a strip of triangles ((0,1,2), (1,3,2), ...) clipped to
// clipRect. Fewer than 3 vertices draw nothing. The texture may be null
// (untextured; then only vertex colours paint). drawMode is accepted and not
// read. pitch is in bytes. Not reentrant: the clipper's pool is static, so
// call it from the painting thread only.
void DrawTriangle(const TriangleVertex* vertices, int count, Lumo::MemoryImage* texture,
                  const Lumo::Color& color, int drawMode, const Lumo::Rect& clipRect, void* bits,
                  int pitch, int pixelFormat, bool bilinear, bool useVertexColor);
