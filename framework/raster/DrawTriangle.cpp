#include "framework/raster/DrawTriangle.h"

void DrawTriangle(const TriangleVertex* vertices, int count, Lumo::MemoryImage* texture,
                  const Lumo::Color& color, int drawMode, const Lumo::Rect& clipRect, void* bits,
                  int pitch, int pixelFormat, bool bilinear, bool useVertexColor)
{
}
