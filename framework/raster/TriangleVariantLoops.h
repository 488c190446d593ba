// Defines named inner loops as instances of the shared span template; used by
// the four per-format source files only.
#pragma once

#include "framework/raster/TriangleSpans.h"

#define TRIANGLE_DEFINE_LOOP(name, fmt, t, ta, vc, gc, bl)                                         \
    void name(const PreparedVertex* vertices, void* bits, int pitch,                               \
              const TriangleTextureInfo* texture, const TriangleColorInfo* color)                  \
    {                                                                                              \
        TriangleSpans::DrawTriangleSpans<TriangleSpans::fmt, t, ta, vc, gc, bl>(                   \
            vertices, bits, pitch, texture, color);                                                \
    }

// The sixteen loops every row has of its own: two untextured, fourteen textured.
#define TRIANGLE_DEFINE_ROW(tag, fmt)                                                              \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_VC, fmt, false, false, true, false, false)         \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_VC_GC, fmt, false, false, true, true, false)       \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_GC, fmt, true, false, false, true, false)        \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_GC_BL, fmt, true, false, false, true, true)      \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_VC, fmt, true, false, true, false, false)        \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_VC_BL, fmt, true, false, true, false, true)      \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_VC_GC, fmt, true, false, true, true, false)      \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_VC_GC_BL, fmt, true, false, true, true, true)    \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA, fmt, true, true, false, false, false)        \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA_BL, fmt, true, true, false, false, true)      \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA_GC, fmt, true, true, false, true, false)      \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA_GC_BL, fmt, true, true, false, true, true)    \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA_VC, fmt, true, true, true, false, false)      \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA_VC_BL, fmt, true, true, true, false, true)    \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA_VC_GC, fmt, true, true, true, true, false)    \
    TRIANGLE_DEFINE_LOOP(TriangleVariant##tag##_T_TA_VC_GC_BL, fmt, true, true, true, true, true)
