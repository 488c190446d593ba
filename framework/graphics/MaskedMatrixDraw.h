#pragma once
// The masked matrix draw of the software road (memory images, and surfaces
// drawn without Direct3D). It gives what the renderer's two-stage blit gives:
// the picture lends its shape (its alpha), the mask its colour and alpha, the
// mask lying over the destination through its own matrix, and nothing is
// drawn outside the mask. Stage one composes, for each destination pixel of
// the picture's clipped bounds, the mask colour with alpha = picture alpha x
// mask alpha into a layer; stage two draws the layer through the
// destination's own blit with the draw colour and mode, so tint, alpha,
// additive mode and every surface format behave as in any other image draw.

#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "framework/graphics/Image.h"

namespace Lumo
{

class Color;
class MemoryImage;

// Stage one. The picture's srcRect goes through matrix and then (x, y); a
// destination point P reads the mask at inverse(maskMatrix) P - maskPos +
// the mask rectangle's corner, texels outside maskSrcRect (cut to the mask)
// counting as transparent black. Samples are taken at pixel centres, nearest
// or (filter) bilinear. Fills `layer` (area.mWidth x area.mHeight) and `area`
// (destination pixels inside clip); false when nothing would be drawn (a
// singular matrix, an empty source, mask or clip).
bool ComposeMaskedLayer(MemoryImage* source, const Rect& srcRect, const Matrix3& matrix, float x,
                        float y, const Rect& clip, MemoryImage* mask, const Rect& maskSrcRect,
                        float maskPosX, float maskPosY, const Matrix3& maskMatrix, bool filter,
                        MemoryImage& layer, Rect& area);

// Both stages onto dest, with the arguments of Image::DrawImageMatrix. False
// when no mask is given (the caller draws the plain way); true otherwise,
// also when nothing was drawn.
bool DrawMaskedMatrix(Image* dest, Image* src, float x, float y, const Matrix3& matrix,
                      const Rect* clip, const Color* color, int mode, const Rect* srcRect,
                      bool filter, Image* maskImage, const MaskRect* maskSrcRect,
                      const MaskRect* maskPlaceRect, const Matrix3* maskMatrix);

} // namespace Lumo
