// The records every inner loop of the triangle rasterizer receives, and the
// dispatch table that picks one loop per pixel format and feature set. Each
// loop is compiled with its features fixed so that nothing is tested per pixel;
// the table index is built from the format row and five feature bits.
#pragma once

#include <cstdint>

// One triangle corner, prepared by the driver. Only the fields the chosen loop
// interpolates are meaningful (colours with vertex colours on, U and V with a
// texture).
struct PreparedVertex
{
    int32_t X, Y; // 16.16 destination pixels
    int32_t A;    // 8.16: channel value in bits 16-23
    int32_t R, G, B;
    int32_t U, V; // 16.16 texels (u x width, v x height)
};

// The texture as the loops see it. Loops read texels, width and texelCount only;
// coordinates outside the array read transparent black, they are never wrapped.
struct TriangleTextureInfo
{
    const uint32_t* texels; // width x height 0xAARRGGBB, row-major
    int32_t shift;          // 16 - floor(log2(width))
    int32_t uMask;          // (width - 1) << 16
    int32_t vMask;          // (height - 1) << 16
    int32_t width;
    int32_t texelCount; // width x height
    int32_t height;
};

// The global drawing colour, 0-255 each, alpha first.
struct TriangleColorInfo
{
    int32_t alpha, red, green, blue;
};

// Draws one triangle; never changes the three records.
typedef void (*TriangleInnerLoop)(const PreparedVertex* vertices, void* bits, int pitch,
                                  const TriangleTextureInfo* texture,
                                  const TriangleColorInfo* color);

// --- table ---

// Feature bits of an index within a format row.
enum TriangleFeatureBits
{
    TriangleFeatureBilinear = 1,
    TriangleFeatureGlobalColor = 2,
    TriangleFeatureVertexColor = 4,
    TriangleFeatureTextureAlpha = 8,
    TriangleFeatureTextured = 16,
};

const int TRIANGLE_VARIANT_COUNT = 128;

// Four rows of 32 (0x8888, 0x888, 0x565, 0x555); all null until filled.
extern TriangleInnerLoop gTriangleVariantTable[TRIANGLE_VARIANT_COUNT];

// Stores all 128 entries; calling it again stores the same values.
void InitTriangleVariantTable();

// Row offset of a pixel format code: 0, 32, 64 or 96; unknown codes use 0x8888's.
int TriangleFormatRow(int pixelFormat);

// Row offset + Textured x 16 + TextureAlpha x 8 + VertexColor x 4 + GlobalColor x 2 + Bilinear.
int TriangleVariantIndex(bool textured, bool textureAlpha, bool vertexColor, bool globalColor,
                         int pixelFormat, bool bilinear);

// Calls the table entry for these features, if it is filled.
void SelectTriangleVariant(bool textured, bool textureAlpha, bool vertexColor, bool globalColor,
                           const PreparedVertex* vertices, void* bits, int pitch,
                           const TriangleTextureInfo* texture, const TriangleColorInfo* color,
                           int pixelFormat, bool bilinear);

// --- the 71 inner loops ---

#define TRIANGLE_DECLARE_LOOP(name)                                                                \
    void name(const PreparedVertex* vertices, void* bits, int pitch,                               \
              const TriangleTextureInfo* texture, const TriangleColorInfo* color)

// Draws nothing: the entry of untextured triangles without vertex colours.
TRIANGLE_DECLARE_LOOP(TriangleVariantNull);

// Shared by both 32-bit rows: they always store alpha 0xFF.
TRIANGLE_DECLARE_LOOP(TriangleVariant32_T);
TRIANGLE_DECLARE_LOOP(TriangleVariant32_T_BL);

#define TRIANGLE_DECLARE_ROW(fmt)                                                                  \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_VC);                                              \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_VC_GC);                                           \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_GC);                                            \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_GC_BL);                                         \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_VC);                                            \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_VC_BL);                                         \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_VC_GC);                                         \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_VC_GC_BL);                                      \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA);                                            \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA_BL);                                         \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA_GC);                                         \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA_GC_BL);                                      \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA_VC);                                         \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA_VC_BL);                                      \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA_VC_GC);                                      \
    TRIANGLE_DECLARE_LOOP(TriangleVariant##fmt##_T_TA_VC_GC_BL)

TRIANGLE_DECLARE_ROW(8888);
TRIANGLE_DECLARE_ROW(888);
TRIANGLE_DECLARE_ROW(565);
TRIANGLE_DECLARE_ROW(555);

// The 16-bit rows have their own plain texture loops.
TRIANGLE_DECLARE_LOOP(TriangleVariant565_T);
TRIANGLE_DECLARE_LOOP(TriangleVariant565_T_BL);
TRIANGLE_DECLARE_LOOP(TriangleVariant555_T);
TRIANGLE_DECLARE_LOOP(TriangleVariant555_T_BL);

#undef TRIANGLE_DECLARE_ROW
#undef TRIANGLE_DECLARE_LOOP
