// The 0x888 row: 32-bit pixels whose alpha byte means nothing and is written 0xFF.
#include "framework/raster/TriangleVariantLoops.h"

TRIANGLE_DEFINE_ROW(888, Format888)
