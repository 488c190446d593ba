// Glue between the memory image and the display, the renderer and the surface
// image. Everything here works without a display: the defaults stand in.

#include "framework/graphics/MemoryImageDisplay.h"

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"

namespace Lumo
{

NativeFormat NativeFormatOf(DDInterface* display)
{
    NativeFormat f;
    if (!display || display->mBitsPerPixel == 0)
        return f;
    f.redMask = display->mRedMask;
    f.greenMask = display->mGreenMask;
    f.blueMask = display->mBlueMask;
    f.redBits = display->mRedBits;
    f.greenBits = display->mGreenBits;
    f.blueBits = display->mBlueBits;
    f.redShift = display->mRedShift;
    f.greenShift = display->mGreenShift;
    f.blueShift = display->mBlueShift;
    return f;
}

bool ReadBackTexture(MemoryImage* image, uint32_t* pixels)
{
    return D3DInterface::ReadBackImageInto(image, pixels);
}

bool GraphicsDrawsThrough3D(Image* image)
{
    return ImageDrawsThrough3D(image);
}

} // namespace Lumo
