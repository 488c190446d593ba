// The 0x565 row: 16-bit pixels, red 5 bits, green 6, blue 5.
#include "framework/raster/TriangleVariantLoops.h"

TRIANGLE_DEFINE_LOOP(TriangleVariant565_T, Format565, true, false, false, false, false)
TRIANGLE_DEFINE_LOOP(TriangleVariant565_T_BL, Format565, true, false, false, false, true)
TRIANGLE_DEFINE_ROW(565, Format565)
