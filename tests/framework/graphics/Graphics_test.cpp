// Lumo::Graphics against a recording image: what reaches the destination after
// translation, clipping, tinting and the state stack.

#include <gtest/gtest.h>

#include <vector>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

struct Call
{
    const char* op;
    Rect rect; // fill rect, or destination rect of a blit
    Rect src;  // source rect of a blit
    Color color;
    double line[4];
};

// Records the image operations a drawing context makes.
class RecordingImage : public Image
{
public:
    std::vector<Call> calls;

    RecordingImage(int w, int h)
    {
        mWidth = w;
        mHeight = h;
    }
    void FillRect(const Rect* r, const Color* c, int) override
    {
        calls.push_back({"fill", *r, Rect(), *c, {}});
    }
    void DrawRect(const Rect* r, const Color* c, int) override
    {
        calls.push_back({"rect", *r, Rect(), *c, {}});
    }
    void DrawLine(double x1, double y1, double x2, double y2, const Color* c, int) override
    {
        calls.push_back({"line", Rect(), Rect(), *c, {x1, y1, x2, y2}});
    }
    void DrawImage(Image*, int x, int y, const Rect* src, const Color* c, int) override
    {
        calls.push_back({"image", Rect(x, y, src->mWidth, src->mHeight), *src, *c, {}});
    }
    void DrawImageStretched(Image*, const Rect* dest, const Rect* src, const Rect*, const Color* c,
                            int, bool) override
    {
        calls.push_back({"stretch", *dest, *src, *c, {}});
    }
    void DrawImageMatrix(Image*, float x, float y, const Matrix3&, const Rect* clip, const Color* c,
                         int, const Rect* src, bool filter, Image* mask, const MaskRect* maskSrc,
                         const MaskRect*, const Matrix3*) override
    {
        calls.push_back({"matrix", *clip, *src, *c, {x, y, filter ? 1.0 : 0.0, maskSrc->width}});
        lastMask = mask;
    }
    Image* lastMask = nullptr;
};

} // namespace

TEST(Graphics, WithoutImageDrawsNothingAndHasEmptyClip)
{
    Graphics g(nullptr);
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 0, 0));
    EXPECT_EQ(g.GetDestImage(), &gEmptyImage);
    g.FillRect(0, 0, 10, 10);
    g.DrawLine(0, 0, 5, 5);
}

TEST(Graphics, ClipRectIsTranslatedAndCutToImage)
{
    RecordingImage img(100, 100);
    Graphics g(&img);
    g.SetClipRect(-10, -10, 50, 50);
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 40, 40));
    g.Translate(20, 20);
    g.SetClipRect(0, 0, 200, 200);
    EXPECT_EQ(g.GetClipRect(), Rect(20, 20, 80, 80));
    g.IntersectClipRect(-5, 0, 10, 10);
    EXPECT_EQ(g.GetClipRect(), Rect(20, 20, 5, 10));
    g.SetClipRect(-20, -20, 100, 100); // widens again
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 100, 100));
}

TEST(Graphics, TranslationTruncatesTowardZero)
{
    RecordingImage img(100, 100);
    Graphics g(&img);
    g.SetColor(1, 2, 3, 255);
    g.mTransX = 0.5f;
    g.mTransY = 2.9f;
    g.FillRect(0, 0, 5, 5);
    ASSERT_EQ(img.calls.size(), 1u);
    EXPECT_EQ(img.calls[0].rect, Rect(0, 2, 5, 5));

    g.mTransX = -0.5f; // toward zero, not down
    g.FillRect(1, 0, 5, 5);
    EXPECT_EQ(img.calls[1].rect, Rect(0, 2, 5, 5));
}

TEST(Graphics, FillSkipsTransparentColourAndClips)
{
    RecordingImage img(50, 50);
    Graphics g(&img);
    g.SetColor(255, 255, 255, 0);
    g.FillRect(0, 0, 10, 10);
    g.DrawRect(0, 0, 10, 10);
    EXPECT_TRUE(img.calls.empty());
    g.SetColor(255, 0, 0, 128);
    g.SetClipRect(5, 5, 10, 10);
    g.FillRect(0, 0, 100, 100);
    ASSERT_EQ(img.calls.size(), 1u);
    EXPECT_EQ(img.calls[0].rect, Rect(5, 5, 10, 10));
    EXPECT_EQ(img.calls[0].color, Color(255, 0, 0, 128));
}

TEST(Graphics, PushAndPopRestoreState)
{
    RecordingImage img(100, 100);
    Graphics g(&img);
    g.PopState(); // empty stack: nothing changes
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 100, 100));

    g.PushState();
    g.Translate(10, 20);
    g.SetClipRect(0, 0, 5, 5);
    g.SetColor(9, 8, 7, 6);
    g.PopState();
    EXPECT_EQ(g.mTransX, 0.0f);
    EXPECT_EQ(g.mTransY, 0.0f);
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 100, 100));
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0, 255));

    // A copy keeps the state but never reaches the original's saved states.
    g.SetClipRect(1, 1, 10, 10);
    g.PushState();
    Graphics copy(g);
    EXPECT_EQ(copy.GetClipRect(), Rect(1, 1, 10, 10));
    EXPECT_TRUE(copy.mStateStack.empty());
    copy.SetClipRect(0, 0, 3, 3);
    copy.PopState();
    EXPECT_EQ(copy.GetClipRect(), Rect(0, 0, 3, 3));
}

TEST(Graphics, DrawRectInsideOrAsFourFills)
{
    RecordingImage img(100, 100);
    Graphics g(&img);
    g.DrawRect(0, 0, 10, 10);
    ASSERT_EQ(img.calls.size(), 1u);
    EXPECT_STREQ(img.calls[0].op, "rect");
    EXPECT_EQ(img.calls[0].rect, Rect(0, 0, 10, 10));

    img.calls.clear();
    g.SetClipRect(0, 0, 10, 10);
    g.DrawRect(0, 0, 10, 10);
    ASSERT_EQ(img.calls.size(), 2u); // bottom row and right column are clipped away
    EXPECT_EQ(img.calls[0].rect, Rect(0, 0, 10, 1));
    EXPECT_EQ(img.calls[1].rect, Rect(0, 1, 1, 9));
}

TEST(Graphics, LinesAreClipped)
{
    RecordingImage img(100, 100);
    Graphics g(&img);
    g.SetClipRect(0, 0, 10, 10);
    g.DrawLine(-5, 5, 20, 5);
    ASSERT_EQ(img.calls.size(), 1u);
    EXPECT_EQ(img.calls[0].line[0], 0.0);
    EXPECT_EQ(img.calls[0].line[1], 5.0);
    EXPECT_EQ(img.calls[0].line[2], 9.0);
    EXPECT_EQ(img.calls[0].line[3], 5.0);
    g.DrawLine(-20, 0, -5, 9);
    g.DrawLine(3, -9, 7, -1);
    EXPECT_EQ(img.calls.size(), 1u);
}

TEST(Graphics, ZeroAlphaLineLeavesPixels)
{
    MemoryImage img(nullptr);
    std::vector<uint32_t> px(16 * 16, 0);
    px[5] = 0x00FF0000;
    img.SetPixels(px.data(), 16, 16, true);
    Graphics g(&img);
    g.SetColor(255, 255, 255, 0);
    g.DrawLine(0, 0, 15, 7);
    g.DrawLine(0, 3, 15, 3);
    g.DrawLine(4, 0, 4, 15);
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(img.GetPixels()[i], px[i]) << i;
}

TEST(Graphics, TintChoosesModulationColour)
{
    RecordingImage img(100, 100), src(10, 10);
    Graphics g(&img);
    g.SetColor(10, 20, 30, 40);
    g.DrawImage(&src, 0, 0);
    g.SetTintImages(true);
    g.DrawImage(&src, 0, 0);
    ASSERT_EQ(img.calls.size(), 2u);
    EXPECT_EQ(img.calls[0].color, gColorWhite);
    EXPECT_EQ(img.calls[1].color, Color(10, 20, 30, 40));
}

TEST(Graphics, ImageDrawIsClippedAndShiftsSource)
{
    RecordingImage img(100, 100), src(20, 20);
    Graphics g(&img);
    g.SetClipRect(10, 10, 50, 50);
    g.DrawImage(&src, 5, 8, Rect(2, 2, 15, 15));
    ASSERT_EQ(img.calls.size(), 1u);
    EXPECT_EQ(img.calls[0].rect, Rect(10, 10, 10, 13));
    EXPECT_EQ(img.calls[0].src, Rect(7, 4, 10, 13));

    // Source rectangles reaching past the image draw nothing.
    g.DrawImage(&src, 20, 20, Rect(10, 0, 11, 5));
    g.DrawImage(&src, 20, 20, Rect(0, 16, 5, 5));
    g.DrawImage(&src, 100, 100);
    EXPECT_EQ(img.calls.size(), 1u);
}

TEST(Graphics, ScaledImageDrawStretches)
{
    RecordingImage img(100, 100), src(10, 10);
    Graphics g(&img);
    g.mScaleX = 1.5f;
    g.mScaleY = 2.0f;
    g.mScaleOrigX = 10.0f;
    g.DrawImage(&src, 21, 3);
    ASSERT_EQ(img.calls.size(), 1u);
    EXPECT_STREQ(img.calls[0].op, "stretch");
    EXPECT_EQ(img.calls[0].rect, Rect(26, 6, 15, 20));
}

TEST(Graphics, ImageBoxTilesEdgesAndCentre)
{
    RecordingImage img(200, 200), src(30, 30);
    Graphics g(&img);
    g.DrawImageBox(Rect(0, 0, 95, 40), &src);
    int corners = 0, top = 0, bottom = 0, left = 0, right = 0, centre = 0, cut = 0;
    for (const Call& c : img.calls)
    {
        const Rect& s = c.src;
        if (s.mWidth <= 10 && s.mHeight <= 10 && (s.mX != 10 && s.mY != 10))
            corners++;
        else if (s.mY == 0)
            top++;
        else if (s.mY == 20)
            bottom++;
        else if (s.mX == 0)
            left++;
        else if (s.mX == 20)
            right++;
        else
            centre++;
        if (c.rect.mWidth == 5)
            cut++;
    }
    EXPECT_EQ(corners, 4);
    EXPECT_EQ(top, 8);
    EXPECT_EQ(bottom, 8);
    EXPECT_EQ(left, 2);
    EXPECT_EQ(right, 2);
    EXPECT_EQ(centre, 16);
    EXPECT_EQ(cut, 2 + 2); // the eighth top, bottom and two centre tiles
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 200, 200));

    // A 2 x 2 source has empty corners: all of it is tiled as centre.
    img.calls.clear();
    RecordingImage tiny(2, 2);
    g.DrawImageBox(Rect(0, 0, 5, 3), &tiny);
    for (const Call& c : img.calls)
    {
        EXPECT_EQ(c.src.mX, 0);
        EXPECT_EQ(c.src.mY, 0);
    }
    EXPECT_EQ(img.calls.size(), 3u * 2u);
}

TEST(Graphics, MatrixDrawPassesPositionAndMaskAndTruncatesTranslation)
{
    RecordingImage img(100, 100), src(10, 10), mask(4, 4);
    Graphics g(&img);
    g.mTransX = 2.7f;
    g.mTransY = -1.5f;
    g.SetBilinearFilter(true);
    g.mMaskImage = &mask;
    g.mMaskSrcRect.width = 4.0f;
    g.DrawImageMatrix(&src, Matrix3(), Rect(1, 2, 3, 4), 5.5f, 6.25f);
    ASSERT_EQ(img.calls.size(), 1u);
    EXPECT_EQ(img.calls[0].line[0], 5.5);
    EXPECT_EQ(img.calls[0].line[1], 6.25);
    EXPECT_EQ(img.calls[0].line[2], 1.0);
    EXPECT_EQ(img.calls[0].line[3], 4.0);
    EXPECT_EQ(img.calls[0].src, Rect(1, 2, 3, 4));
    EXPECT_EQ(img.lastMask, &mask);
    EXPECT_EQ(g.mTransX, 2.0f);
    EXPECT_EQ(g.mTransY, -1.0f);
}
