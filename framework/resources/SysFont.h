#pragma once
// Lumo::SysFont: a GDI font of the system, measured with GDI and drawn by
// rendering each string into a small coverage image that the Graphics then
// draws, so text takes the same clip, translation and blending as any image.
// Point sizes are scaled by the display's pixels per inch (96 when there is
// no application object to ask).

#include "framework/resources/Font.h"

#include <string>

namespace Lumo
{
class AppHost;

class SysFont : public Font
{
public:
    // pointSize in points; charSet is the GDI character set, passed through.
    SysFont(AppHost* app, const std::string& face, int pointSize, int charSet, bool bold,
            bool italic, bool underline);
    SysFont(AppHost* app, const std::string& face, int pointSize, bool bold = false,
            bool italic = false, bool underline = false);
    SysFont(const SysFont& other);
    ~SysFont() override;

    int StringWidth(const std::wstring& text) override;
    Font* Duplicate() override;
    void DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                    const Rect& clip) override;

    // Pixel height asked of GDI: -(pointSize * ppi / 72), the minus asking for
    // the character height rather than the cell height.
    static int PointSizeToHeight(int pointSize, int pixelsPerInch);

    bool IsValid() const { return mHFont != nullptr; } // GDI gave us a font
    int GetPixelHeightRequested() const { return mRequestedHeight; }

private:
    void Init(AppHost* app);

    std::string mFace;
    int mPointSize;
    int mCharSet;
    bool mBold;
    bool mItalic;
    bool mUnderline;
    int mRequestedHeight; // negative GDI height
    void* mHFont;         // HFONT, kept opaque so windows.h stays out of headers
    void* mDC;            // memory DC used for measuring and rendering
};

} // namespace Lumo
