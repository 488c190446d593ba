#include "framework/graphics/ImageTriangles.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/raster/TriangleDriver.h"

void DrawTriangle(const TriangleVertex* vertices, int count, Lumo::MemoryImage* texture,
                  const Lumo::Color& color, int drawMode, const Lumo::Rect& clipRect, void* bits,
                  int pitch, int pixelFormat, bool bilinear, bool useVertexColor)
{
    TriangleTexture source = {};
    if (texture)
    {
        texture->UpdateAlphaFlags();
        source.width = texture->GetWidth();
        source.height = texture->GetHeight();
        source.hasTransparent = texture->HasTransparent();
        source.hasTranslucent = texture->HasTranslucent();
        // Only fetched when something may be drawn: it can build the array.
        if (count >= 3)
            source.pixels = texture->GetPixels();
        // A texture that cannot be read back has no picture to sample.
        if (!source.pixels)
            return;
    }
    DrawTriangleStrip(vertices, count, texture ? &source : nullptr, color, clipRect, bits, pitch,
                      pixelFormat, bilinear, useVertexColor);
}
