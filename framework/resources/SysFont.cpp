// GDI system fonts. Measuring goes straight to GDI; drawing renders the string
// white on black into a DIB section, turns the grey levels into the alpha of
// the requested colour and hands that picture to the Graphics, so the text is
// clipped, translated and blended like any image.

#include "framework/resources/SysFont.h"

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <windows.h>

#include <cstring>

namespace Lumo
{

int SysFont::PointSizeToHeight(int pointSize, int pixelsPerInch)
{
    return -MulDiv(pointSize, pixelsPerInch, 72);
}

// Pixels per inch of the display; 96 when the screen cannot be asked.
static int DisplayPixelsPerInch()
{
    int ppi = 0;
    HDC screen = GetDC(nullptr);
    if (screen)
    {
        ppi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return ppi > 0 ? ppi : 96;
}

SysFont::SysFont(AppHost* app, const std::string& face, int pointSize, int charSet, bool bold,
                 bool italic, bool underline)
    : mFace(face), mPointSize(pointSize), mCharSet(charSet), mBold(bold), mItalic(italic),
      mUnderline(underline), mRequestedHeight(0), mHFont(nullptr), mDC(nullptr)
{
    Init(app);
}

SysFont::SysFont(AppHost* app, const std::string& face, int pointSize, bool bold, bool italic,
                 bool underline)
    : SysFont(app, face, pointSize, DEFAULT_CHARSET, bold, italic, underline)
{
}

SysFont::SysFont(const SysFont& other)
    : Font(other), mFace(other.mFace), mPointSize(other.mPointSize), mCharSet(other.mCharSet),
      mBold(other.mBold), mItalic(other.mItalic), mUnderline(other.mUnderline), mRequestedHeight(0),
      mHFont(nullptr), mDC(nullptr)
{
    Init(nullptr);
}

SysFont::~SysFont()
{
    if (mDC)
        DeleteDC((HDC)mDC);
    if (mHFont)
        DeleteObject((HFONT)mHFont);
}

void SysFont::Init(AppHost* app)
{
    // The point size follows the display's pixels per inch; the application
    // object has no setting of its own for it, so the screen is asked.
    mRequestedHeight = PointSizeToHeight(mPointSize, DisplayPixelsPerInch());
    HFONT font = CreateFontA(mRequestedHeight, 0, 0, 0, mBold ? FW_BOLD : FW_NORMAL,
                             mItalic ? TRUE : FALSE, mUnderline ? TRUE : FALSE, FALSE,
                             (BYTE)mCharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, mFace.c_str());
    HDC dc = CreateCompatibleDC(nullptr);
    mHFont = font;
    mDC = dc;
    if (!font || !dc)
        return;
    SelectObject(dc, font);
    TEXTMETRICA tm;
    if (GetTextMetricsA(dc, &tm))
    {
        mAscent = tm.tmAscent;
        mHeight = tm.tmHeight;
        mAscentPadding = tm.tmInternalLeading;
        mLineSpacingOffset = tm.tmExternalLeading;
    }
}

int SysFont::StringWidth(const std::wstring& text)
{
    if (!mDC || text.empty())
        return 0;
    SIZE size;
    if (!GetTextExtentPoint32W((HDC)mDC, text.c_str(), (int)text.size(), &size))
        return 0;
    return size.cx;
}

Font* SysFont::Duplicate()
{
    return new SysFont(*this);
}

void SysFont::DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                         const Rect& clip)
{
    if (!g || !mDC || text.empty() || color.mAlpha <= 0)
        return;
    // Italic glyphs lean past the advance width; leave them room on both sides.
    int pad = mItalic ? mHeight / 3 + 1 : 1;
    int width = StringWidth(text) + 2 * pad;
    int height = mHeight;
    if (width <= 2 * pad || height <= 0)
        return;

    BITMAPINFO bi;
    memset(&bi, 0, sizeof(bi));
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection((HDC)mDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits)
    {
        if (dib)
            DeleteObject(dib);
        return;
    }
    HDC dc = (HDC)mDC;
    HGDIOBJ oldBitmap = SelectObject(dc, dib);
    memset(bits, 0, (size_t)width * height * 4);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    TextOutW(dc, pad, 0, text.c_str(), (int)text.size());
    GdiFlush();

    // Coverage is the brightest channel; the colour's own alpha scales it.
    MemoryImage image(nullptr); // a scratch picture, not one of the application's
    image.Create(width, height);
    uint32_t* out = image.GetPixels();
    const uint32_t* in = (const uint32_t*)bits;
    uint32_t rgb = ((uint32_t)(color.mRed & 0xFF) << 16) | ((uint32_t)(color.mGreen & 0xFF) << 8) |
                   (uint32_t)(color.mBlue & 0xFF);
    int alpha = color.mAlpha > 255 ? 255 : color.mAlpha;
    for (int i = 0; i < width * height; i++)
    {
        uint32_t p = in[i];
        uint32_t r = (p >> 16) & 0xFF, gr = (p >> 8) & 0xFF, b = p & 0xFF;
        uint32_t cover = r > gr ? r : gr;
        if (b > cover)
            cover = b;
        out[i] = ((cover * (uint32_t)alpha / 255) << 24) | rgb;
    }
    image.PixelsChanged();
    SelectObject(dc, oldBitmap);
    DeleteObject(dib);

    // The picture already carries the colour: draw it untinted.
    bool tint = g->GetTintImages();
    g->SetTintImages(false);
    g->DrawImage(&image, x - pad, y - mAscent);
    g->SetTintImages(tint);
}

} // namespace Lumo
