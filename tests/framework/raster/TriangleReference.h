// A plain, slow model of the rasterizer's per-pixel rules, written apart from
// the inner loops: coverage is computed per row from closed forms, colours per
// channel rather than packed. Tests compare it pixel by pixel with the table.
#pragma once

#include <cstdint>

#include "framework/raster/TriangleVariants.h"

// Draws one triangle as table entry `index` (0-127) would.
void ReferenceDrawTriangle(int index, const PreparedVertex* vertices, void* bits, int pitch,
                           const TriangleTextureInfo& texture, const TriangleColorInfo& color);
