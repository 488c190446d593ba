// Helpers of the developer aids that write files: numbered file names that
// never reuse an existing one, the screen's picture read back from its
// surface, and the small text forms the reports use.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Lumo
{

class DDInterface;
class NativeDisplay;

// Highest n among the files prefix + n + suffix in the folder (letter case
// ignored, digits only between them); -1 when there is none.
int HighestFileNumber(const std::string& folder, const std::string& prefix,
                      const std::string& suffix);

bool FileExists(const std::string& path);

// The surface's picture as opaque 0xAARRGGBB pixels, channels widened from the
// display's format; false when it does not lock or its depth is not 16 or 32.
bool ReadSurfacePixels(IDirectDrawSurface* surface, const NativeDisplay& format,
                       std::vector<uint32_t>& pixels, int& width, int& height);

// The frame as it stands in the display's back buffer (the screen image's
// surface); false without a display or back buffer.
bool CopyScreenPixels(DDInterface* display, std::vector<uint32_t>& pixels, int& width, int& height);

// Decimal with "," between groups of three digits.
std::string FormatThousands(int64_t value);

// The text with &, <, > and " written as HTML entities.
std::string HtmlEscape(const std::string& text);

// A "WARNING: " line on the debugger output, the framework's log.
void DebugWarning(const std::string& text);

} // namespace Lumo
