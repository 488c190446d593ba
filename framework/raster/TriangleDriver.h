// The rasterizer's driver: the strip walk, the float clipper and the
// preparation of 16.16 records. DrawTriangle (ImageTriangles.h) reads what it
// needs from the texture image and calls DrawTriangleStrip; tests call the
// strip and the clipper directly with plain texel arrays.
#pragma once

#include <cstdint>

#include "framework/raster/DrawTriangle.h"

// A texture as the driver needs it, with the image's alpha flags already current.
struct TriangleTexture
{
    const uint32_t* pixels; // width x height 0xAARRGGBB, row-major; null reads as empty
    int width;
    int height;
    bool hasTransparent; // some texel has alpha 0
    bool hasTranslucent; // some texel has alpha 1..254
};

// DrawTriangle with the texture already read out of its image (null: untextured).
// Fills the variant table on first use, so drawing works without a level board.
void DrawTriangleStrip(const TriangleVertex* vertices, int count, const TriangleTexture* texture,
                       const Lumo::Color& color, const Lumo::Rect& clipRect, void* bits, int pitch,
                       int pixelFormat, bool bilinear, bool useVertexColor);

// --- clipper ---

const int CLIP_VERTEX_POOL_SIZE = 64;

// Every vertex the clipper creates comes from here; reset for each triangle.
extern TriangleVertex gClipVertexPool[CLIP_VERTEX_POOL_SIZE];
extern int gClipVertexPoolNext;

// Sutherland-Hodgman against left, right, top, bottom (inclusive lines). Fills
// `out` (room for 64) with pointers to input or pool vertices and returns their
// count: 0 when nothing is left, else at least 3.
int ClipTriangleToRect(const TriangleVertex* a, const TriangleVertex* b, const TriangleVertex* c,
                       float left, float right, float top, float bottom,
                       const TriangleVertex** out);
