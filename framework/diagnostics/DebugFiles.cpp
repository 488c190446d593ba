#include "framework/diagnostics/DebugFiles.h"

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"

#include <cstring>

namespace Lumo
{

static bool EqualNoCase(const std::string& a, size_t at, const std::string& b)
{
    if (a.size() < at + b.size())
        return false;
    for (size_t i = 0; i < b.size(); i++)
    {
        char x = a[at + i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z')
            y += 'a' - 'A';
        if (x != y)
            return false;
    }
    return true;
}

int HighestFileNumber(const std::string& folder, const std::string& prefix,
                      const std::string& suffix)
{
    int highest = -1;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*" + suffix).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return highest;
    do
    {
        // The file system ignores letter case, so "IMAGE3.PNG" holds number 3 too.
        std::string name = data.cFileName;
        if (name.size() <= prefix.size() + suffix.size() || !EqualNoCase(name, 0, prefix) ||
            !EqualNoCase(name, name.size() - suffix.size(), suffix))
            continue;
        std::string digits =
            name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        long long value = 0;
        bool valid = true;
        for (char c : digits)
        {
            valid = valid && c >= '0' && c <= '9' && value < 100000000;
            value = value * 10 + (c - '0');
        }
        // Beyond nine digits a next number could not be written: such names are left alone.
        if (valid && value > highest)
            highest = (int)value;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return highest;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadSurfacePixels(IDirectDrawSurface* surface, const NativeDisplay& format,
                       std::vector<uint32_t>& pixels, int& width, int& height)
{
    if (!surface)
        return false;
    DDSURFACEDESC desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
        return false;
    int bpp = (int)desc.ddpfPixelFormat.dwRGBBitCount;
    if ((bpp != 16 && bpp != 32) || !desc.lpSurface || desc.dwWidth == 0 || desc.dwHeight == 0)
    {
        surface->Unlock(nullptr);
        return false;
    }
    width = (int)desc.dwWidth;
    height = (int)desc.dwHeight;
    pixels.resize((size_t)width * height);
    const NativeDisplay& d = format;
    for (int y = 0; y < height; y++)
    {
        const uint8_t* row = (const uint8_t*)desc.lpSurface + (intptr_t)y * desc.lPitch;
        uint32_t* out = &pixels[(size_t)y * width];
        for (int x = 0; x < width; x++)
        {
            uint32_t v = bpp == 16 ? ((const uint16_t*)row)[x] : ((const uint32_t*)row)[x];
            uint32_t r = ((v >> d.mRedShift) << (8 - d.mRedBits)) & 255;
            uint32_t g = ((v >> d.mGreenShift) << (8 - d.mGreenBits)) & 255;
            uint32_t b = ((v >> d.mBlueShift) << (8 - d.mBlueBits)) & 255;
            out[x] = 0xFF000000 | (r << 16) | (g << 8) | b;
        }
    }
    surface->Unlock(nullptr);
    return true;
}

bool CopyScreenPixels(DDInterface* display, std::vector<uint32_t>& pixels, int& width, int& height)
{
    if (!display)
        return false;
    AutoCrit lock(display->mCritSect);
    DDImage* screen = display->GetScreenImage();
    if (!display->mInitialized || !screen || !screen->mSurface)
        return false;
    // The renderer's drawing reaches the surface once its scene has ended.
    if (display->mIs3D && display->mD3D)
        display->mD3D->EndSceneIfOpen();
    return ReadSurfacePixels(screen->mSurface, *display, pixels, width, height);
}

std::string FormatThousands(int64_t value)
{
    bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - (uint64_t)value : (uint64_t)value;
    std::string digits = std::to_string(magnitude);
    std::string text;
    for (size_t i = 0; i < digits.size(); i++)
    {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return negative ? "-" + text : text;
}

std::string HtmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void DebugWarning(const std::string& text)
{
    OutputDebugStringA(("WARNING: " + text + "\n").c_str());
}

} // namespace Lumo
