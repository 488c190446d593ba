#include "framework/raster/TriangleVariants.h"

#include "framework/raster/DrawTriangle.h"

TriangleInnerLoop gTriangleVariantTable[TRIANGLE_VARIANT_COUNT];

void TriangleVariantNull(const PreparedVertex* vertices, void* bits, int pitch,
                         const TriangleTextureInfo* texture, const TriangleColorInfo* color)
{
    // An untextured triangle without vertex colours is never painted here.
}

namespace
{

// One row's 32 entries, in index order (Textured, TextureAlpha, VertexColor,
// GlobalColor, Bilinear from the high bit down). Without a texture the
// TextureAlpha and Bilinear bits select nothing different.
void FillRow(TriangleInnerLoop* row, TriangleInnerLoop vc, TriangleInnerLoop vcGc,
             const TriangleInnerLoop (&textured)[16])
{
    for (int i = 0; i < 16; ++i)
    {
        bool vertexColor = (i & TriangleFeatureVertexColor) != 0;
        bool globalColor = (i & TriangleFeatureGlobalColor) != 0;
        row[i] = !vertexColor ? TriangleVariantNull : globalColor ? vcGc : vc;
        row[16 + i] = textured[i];
    }
}

} // namespace

void InitTriangleVariantTable()
{
    static const TriangleInnerLoop row8888[16] = {
        TriangleVariant32_T,
        TriangleVariant32_T_BL,
        TriangleVariant8888_T_GC,
        TriangleVariant8888_T_GC_BL,
        TriangleVariant8888_T_VC,
        TriangleVariant8888_T_VC_BL,
        TriangleVariant8888_T_VC_GC,
        TriangleVariant8888_T_VC_GC_BL,
        TriangleVariant8888_T_TA,
        TriangleVariant8888_T_TA_BL,
        TriangleVariant8888_T_TA_GC,
        TriangleVariant8888_T_TA_GC_BL,
        TriangleVariant8888_T_TA_VC,
        TriangleVariant8888_T_TA_VC_BL,
        TriangleVariant8888_T_TA_VC_GC,
        TriangleVariant8888_T_TA_VC_GC_BL,
    };
    static const TriangleInnerLoop row888[16] = {
        TriangleVariant32_T,           TriangleVariant32_T_BL,
        TriangleVariant888_T_GC,       TriangleVariant888_T_GC_BL,
        TriangleVariant888_T_VC,       TriangleVariant888_T_VC_BL,
        TriangleVariant888_T_VC_GC,    TriangleVariant888_T_VC_GC_BL,
        TriangleVariant888_T_TA,       TriangleVariant888_T_TA_BL,
        TriangleVariant888_T_TA_GC,    TriangleVariant888_T_TA_GC_BL,
        TriangleVariant888_T_TA_VC,    TriangleVariant888_T_TA_VC_BL,
        TriangleVariant888_T_TA_VC_GC, TriangleVariant888_T_TA_VC_GC_BL,
    };
    static const TriangleInnerLoop row565[16] = {
        TriangleVariant565_T,          TriangleVariant565_T_BL,
        TriangleVariant565_T_GC,       TriangleVariant565_T_GC_BL,
        TriangleVariant565_T_VC,       TriangleVariant565_T_VC_BL,
        TriangleVariant565_T_VC_GC,    TriangleVariant565_T_VC_GC_BL,
        TriangleVariant565_T_TA,       TriangleVariant565_T_TA_BL,
        TriangleVariant565_T_TA_GC,    TriangleVariant565_T_TA_GC_BL,
        TriangleVariant565_T_TA_VC,    TriangleVariant565_T_TA_VC_BL,
        TriangleVariant565_T_TA_VC_GC, TriangleVariant565_T_TA_VC_GC_BL,
    };
    static const TriangleInnerLoop row555[16] = {
        TriangleVariant555_T,          TriangleVariant555_T_BL,
        TriangleVariant555_T_GC,       TriangleVariant555_T_GC_BL,
        TriangleVariant555_T_VC,       TriangleVariant555_T_VC_BL,
        TriangleVariant555_T_VC_GC,    TriangleVariant555_T_VC_GC_BL,
        TriangleVariant555_T_TA,       TriangleVariant555_T_TA_BL,
        TriangleVariant555_T_TA_GC,    TriangleVariant555_T_TA_GC_BL,
        TriangleVariant555_T_TA_VC,    TriangleVariant555_T_TA_VC_BL,
        TriangleVariant555_T_TA_VC_GC, TriangleVariant555_T_TA_VC_GC_BL,
    };
    FillRow(gTriangleVariantTable + 0, TriangleVariant8888_VC, TriangleVariant8888_VC_GC, row8888);
    FillRow(gTriangleVariantTable + 32, TriangleVariant888_VC, TriangleVariant888_VC_GC, row888);
    FillRow(gTriangleVariantTable + 64, TriangleVariant565_VC, TriangleVariant565_VC_GC, row565);
    FillRow(gTriangleVariantTable + 96, TriangleVariant555_VC, TriangleVariant555_VC_GC, row555);
}

int TriangleFormatRow(int pixelFormat)
{
    switch (pixelFormat)
    {
    case TrianglePixelFormat888:
        return 32;
    case TrianglePixelFormat565:
        return 64;
    case TrianglePixelFormat555:
        return 96;
    default:
        return 0;
    }
}

int TriangleVariantIndex(bool textured, bool textureAlpha, bool vertexColor, bool globalColor,
                         int pixelFormat, bool bilinear)
{
    return TriangleFormatRow(pixelFormat) + (textured ? TriangleFeatureTextured : 0) +
           (textureAlpha ? TriangleFeatureTextureAlpha : 0) +
           (vertexColor ? TriangleFeatureVertexColor : 0) +
           (globalColor ? TriangleFeatureGlobalColor : 0) +
           (bilinear ? TriangleFeatureBilinear : 0);
}

void SelectTriangleVariant(bool textured, bool textureAlpha, bool vertexColor, bool globalColor,
                           const PreparedVertex* vertices, void* bits, int pitch,
                           const TriangleTextureInfo* texture, const TriangleColorInfo* color,
                           int pixelFormat, bool bilinear)
{
    TriangleInnerLoop loop = gTriangleVariantTable[TriangleVariantIndex(
        textured, textureAlpha, vertexColor, globalColor, pixelFormat, bilinear)];
    if (loop)
        loop(vertices, bits, pitch, texture, color);
}
