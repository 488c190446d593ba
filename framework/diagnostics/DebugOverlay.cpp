#include "framework/diagnostics/DebugOverlay.h"

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/PerfTimer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/SysFont.h"
#include "framework/widgets/WidgetManager.h"

#include <string>

namespace Lumo
{

namespace
{

const int kEdge = 10;                     // pixels from the screen's right and bottom edges
const int kStackStep = 15;                // the demo clock sits this far above the first box
const Color kBoxColor(0x5B, 0x3A, 0x29);  // coffee
const Color kTextColor(0xF7, 0xEB, 0xD3); // cream paper

// One text box: the image it was last rendered into and the text it shows.
struct OverlayBox
{
    MemoryImage* image = nullptr;
    std::wstring text;
    bool valid = false;
};

Font* gOverlayFont = nullptr;
OverlayBox gFrameRateBox, gPointerBox, gDemoClockBox;

// Frame-rate count: frames since the timer started.
PerfTimer gFrameRateTimer;
int gFrameCount = 0;
int gFrameRate = 0;
bool gFrameRateRestart = true;

Font* OverlayFont(LumoAppBase* app)
{
    if (!gOverlayFont)
        gOverlayFont = new SysFont(app, "Tahoma", 8);
    return gOverlayFont;
}

// Renders the text into the box's image when it changed.
void RenderBox(LumoAppBase* app, OverlayBox& box, const std::wstring& text)
{
    if (box.valid && box.text == text)
        return;
    Font* font = OverlayFont(app);
    int width = font->StringWidth(text) + 6;
    int height = font->GetHeight() + 2;
    if (box.image && box.image->mWidth > width)
        width = box.image->mWidth;
    if (!box.image || box.image->mWidth != width || box.image->mHeight != height)
    {
        delete box.image;
        box.image = new MemoryImage(app);
        box.image->Create(width, height);
    }
    Graphics g(box.image);
    g.SetColor(kBoxColor);
    g.FillRect(0, 0, width, height);
    g.SetFont(font);
    g.SetColor(kTextColor);
    g.DrawString(text, 3, 1 + font->GetAscent());
    box.text = text;
    box.valid = true;
}

// Draws the box with its bottom `bottom` pixels above the screen's bottom edge.
void DrawBox(Graphics* g, const OverlayBox& box, int screenWidth, int screenHeight, int bottom)
{
    if (!box.image)
        return;
    g->DrawImage(box.image, screenWidth - kEdge - box.image->mWidth,
                 screenHeight - bottom - box.image->mHeight);
}

void ReleaseBox(OverlayBox& box)
{
    delete box.image;
    box = OverlayBox();
}

} // namespace

void RestartFrameRateCount()
{
    gFrameRateRestart = true;
}

void ReleaseDiagnosticsOverlay()
{
    ReleaseBox(gFrameRateBox);
    ReleaseBox(gPointerBox);
    ReleaseBox(gDemoClockBox);
    delete gOverlayFont;
    gOverlayFont = nullptr;
}

void DrawDiagnosticsOverlay(LumoAppBase* app)
{
    WidgetManager* manager = app->mWidgetManager;
    if (!manager || !manager->mImage)
        return;
    Graphics g(manager->mImage);
    if (app->mShowFPSMode == 0)
        app->DrawFPSOverlay(&g);
    else
        app->DrawMouseOverlay(&g, manager->mLastMouseX, manager->mLastMouseY);
    if (app->ReplayHoldsInput())
        app->DrawDemoClockOverlay(&g);
}

void LumoAppBase::DrawFPSOverlay(Graphics* g)
{
    gFrameCount++;
    if (gFrameRateRestart)
    {
        gFrameRate = 0;
        gFrameCount = 0;
        gFrameRateTimer.Start();
        gFrameRateRestart = false;
    }
    else
    {
        double elapsed = gFrameRateTimer.GetDuration();
        if (elapsed >= 1000.0)
        {
            gFrameRate = (int)(gFrameCount * 1000.0 / elapsed);
            gFrameCount = 0;
            gFrameRateTimer.Start();
        }
    }
    RenderBox(this, gFrameRateBox, WStrFormat(L"FPS: %d", gFrameRate));
    DrawBox(g, gFrameRateBox, mWidth, mHeight, kEdge);
}

void LumoAppBase::DrawMouseOverlay(Graphics* g, int x, int y)
{
    RenderBox(this, gPointerBox, WStrFormat(L"%d,%d", x, y));
    DrawBox(g, gPointerBox, mWidth, mHeight, kEdge);
}

void LumoAppBase::DrawDemoClockOverlay(Graphics* g)
{
    int seconds = (int)((int64_t)mUpdateCount * mFrameTime / 1000);
    RenderBox(this, gDemoClockBox,
              WStrFormat(L"%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60));
    // Above the first box, never overlapping it with a taller font.
    int step = gDemoClockBox.image->mHeight + 2 > kStackStep ? gDemoClockBox.image->mHeight + 2
                                                             : kStackStep;
    DrawBox(g, gDemoClockBox, mWidth, mHeight, kEdge + step);
}

} // namespace Lumo
