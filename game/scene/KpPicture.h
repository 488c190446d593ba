// Reads a picture file (through the archives) into an image the display can
// draw: a surface-capable image when the application has a display, a plain
// memory image otherwise (tools, tests).
#pragma once

#include <string>

namespace Lumo
{
class Image;
}

// A new image owned by the caller, or null when the file cannot be read.
Lumo::Image* KpLoadPicture(const std::string& path);
