// The 0x555 row: 16-bit pixels, 5 bits per channel, the top bit always 0.
#include "framework/raster/TriangleVariantLoops.h"

TRIANGLE_DEFINE_LOOP(TriangleVariant555_T, Format555, true, false, false, false, false)
TRIANGLE_DEFINE_LOOP(TriangleVariant555_T_BL, Format555, true, false, false, false, true)
TRIANGLE_DEFINE_ROW(555, Format555)
