// The 0x8888 row, plus the two plain texture loops both 32-bit rows share
// (they always store alpha 0xFF, which suits either format).
#include "framework/raster/TriangleVariantLoops.h"

TRIANGLE_DEFINE_LOOP(TriangleVariant32_T, Format8888, true, false, false, false, false)
TRIANGLE_DEFINE_LOOP(TriangleVariant32_T_BL, Format8888, true, false, false, false, true)
TRIANGLE_DEFINE_ROW(8888, Format8888)
