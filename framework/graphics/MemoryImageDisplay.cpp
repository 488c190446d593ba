#include "framework/graphics/MemoryImageDisplay.h"

namespace Lumo
{

NativeFormat NativeFormatOf(DDInterface* display)
{
    return NativeFormat();
}

bool ReadBackTexture(MemoryImage* image, uint32_t* pixels)
{
    return false;
}

bool GraphicsDrawsThrough3D(Image* image)
{
    return false;
}

}  // namespace Lumo
