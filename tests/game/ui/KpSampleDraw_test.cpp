// The sample dialog drawn into a memory screen from the packed layout and art:
// button pictures per state at chosen pixels, the disabled look, where the
// title and a button label land, and the dialog drawn translucent and scaled
// through the drawing context.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpTextureManager.h"
#include "game/ui/KpDialog.h"
#include "tests/game/ui/UiTestSupport.h"

namespace
{
// Where the layout puts things on the 1024 x 768 screen.
const int kDialogX = 192, kDialogY = 124;
const int kOkX = kDialogX + 10 + 40, kOkY = kDialogY + 402 + 24;
const int kShopX = kDialogX + 10 + 225;

uint32_t Pixel(const Lumo::MemoryImage& image, int x, int y)
{
    return const_cast<Lumo::MemoryImage&>(image).GetPixels()[size_t(y) * image.mWidth + x];
}

uint32_t TexturePixel(const char* file, int x, int y)
{
    std::unique_ptr<ImageLib::Image> image(ImageLib::GetImage(file, false));
    EXPECT_TRUE(image) << file;
    return image ? image->GetBits()[size_t(y) * image->GetWidth() + x] : 0;
}

int Channel(uint32_t p, int shift)
{
    return int((p >> shift) & 0xFF);
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance)
            return false;
    return true;
}

// The box around the near-white pixels of an area, as (left, top, right, bottom).
Lumo::Rect WhiteBox(const Lumo::MemoryImage& image, const Lumo::Rect& area)
{
    int left = 99999, top = 99999, right = -1, bottom = -1;
    for (int y = area.mY; y < area.mY + area.mHeight; y++)
        for (int x = area.mX; x < area.mX + area.mWidth; x++)
        {
            uint32_t p = Pixel(image, x, y);
            if (Channel(p, 16) > 235 && Channel(p, 8) > 235 && Channel(p, 0) > 235)
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    return Lumo::Rect(left, top, right, bottom);
}

class SampleDraw : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mScreen.Create(1024, 768);
        mManager.mImage = &mScreen;
        ASSERT_TRUE(mBackdrop.LoadLayout(UiLayoutRoot(), "sample_backdrop"));
        ASSERT_TRUE(mDialog.LoadLayout(UiLayoutRoot(), "sample_dialog"));
        mManager.AddWidget(&mBackdrop);
        mManager.AddWidget(&mDialog);
        mBackdrop.SetVisible(true);
        mDialog.SetVisible(true);
    }
    void TearDown() override
    {
        mManager.RemoveWidget(&mDialog);
        mManager.RemoveWidget(&mBackdrop);
    }
    void Draw()
    {
        mManager.SetAllDirty();
        mManager.DrawScreen(nullptr);
    }

    Lumo::MemoryImage mScreen;
    Lumo::WidgetManager mManager{nullptr};
    KpDialog mBackdrop, mDialog;
};
} // namespace

TEST_F(SampleDraw, ButtonsShowThePictureOfTheirState)
{
    Draw();
    // Left of the label the pill is opaque: the screen shows the picture's own
    // pixel (within the software blend's rounding).
    EXPECT_PRED3(Near, Pixel(mScreen, kOkX + 20, kOkY + 28),
                 TexturePixel("img\\ui\\btn_mint_normal.png", 20, 28), 1);
    mManager.MouseMove(kOkX + 85, kOkY + 28);
    Draw();
    EXPECT_PRED3(Near, Pixel(mScreen, kOkX + 20, kOkY + 28),
                 TexturePixel("img\\ui\\btn_mint_over.png", 20, 28), 1);
    mManager.MouseDown(kOkX + 85, kOkY + 28, 1);
    Draw();
    EXPECT_PRED3(Near, Pixel(mScreen, kOkX + 20, kOkY + 30),
                 TexturePixel("img\\ui\\btn_mint_down.png", 20, 30), 1);
    // Released away from it: no press, the normal picture again.
    mManager.MouseUp(10, 10, 1);
    mManager.MouseMove(10, 10);
    Draw();
    EXPECT_PRED3(Near, Pixel(mScreen, kOkX + 20, kOkY + 28),
                 TexturePixel("img\\ui\\btn_mint_normal.png", 20, 28), 1);

    // The disabled shop button is a faded grey version of the caramel one.
    uint32_t shop = Pixel(mScreen, kShopX + 20, kOkY + 28);
    uint32_t caramel = TexturePixel("img\\ui\\btn_caramel_normal.png", 20, 28);
    int spread = std::max({Channel(shop, 16), Channel(shop, 8), Channel(shop, 0)}) -
                 std::min({Channel(shop, 16), Channel(shop, 8), Channel(shop, 0)});
    int caramelSpread = Channel(caramel, 16) - Channel(caramel, 0);
    EXPECT_LT(spread * 3, caramelSpread) << std::hex << shop << " " << caramel;
}

TEST_F(SampleDraw, TitleAndLabelsAreCentredWhereTheLayoutPutsThem)
{
    Draw();
    // The title: white text in the header band, centred on the dialog.
    Lumo::Rect title = WhiteBox(mScreen, Lumo::Rect(kDialogX + 20, kDialogY + 12, 520, 58));
    ASSERT_GE(title.mWidth, 0) << "no title text";
    EXPECT_NEAR((title.mX + title.mWidth) / 2.0, kDialogX + 320, 3);
    EXPECT_NEAR((title.mY + title.mHeight) / 2.0, kDialogY + 10 + 31, 5);
    EXPECT_GT(title.mWidth - title.mX, 120); // "Cafe Toolkit" at 32 px is wide

    // The OK label sits in the middle of its pill.
    Lumo::Rect ok = WhiteBox(mScreen, Lumo::Rect(kOkX + 40, kOkY + 8, 90, 40));
    ASSERT_GE(ok.mWidth, 0) << "no label";
    EXPECT_NEAR((ok.mX + ok.mWidth) / 2.0, kOkX + 85, 3);
    EXPECT_NEAR((ok.mY + ok.mHeight) / 2.0, kOkY + 28, 4);
}

TEST_F(SampleDraw, TranslucentAndScaledDialogsDrawThroughTheContext)
{
    const int px = kDialogX + 320, py = kDialogY + 100; // inside the panel, away from text
    const int cx = kDialogX + 30, cy = kDialogY + 30;   // near the panel's corner
    Draw();
    uint32_t panel = Pixel(mScreen, px, py);
    uint32_t panelCorner = Pixel(mScreen, cx, cy);
    uint32_t centre = Pixel(mScreen, kDialogX + 320, kDialogY + 260);
    mDialog.SetVisible(false);
    Draw();
    uint32_t behind = Pixel(mScreen, px, py);
    uint32_t behindCorner = Pixel(mScreen, cx, cy);
    ASSERT_FALSE(Near(panel, behind, 8));

    mDialog.SetVisible(true);
    mDialog.SetAlpha(0.5f);
    Draw();
    uint32_t half = Pixel(mScreen, px, py);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(Channel(half, shift), (Channel(panel, shift) + Channel(behind, shift)) / 2, 3)
            << std::hex << half;

    // At half size about the centre the corner shows what lies behind.
    mDialog.SetAlpha(1.0f);
    mDialog.SetScale(0.5f);
    Draw();
    EXPECT_TRUE(Near(Pixel(mScreen, cx, cy), behindCorner, 2))
        << std::hex << Pixel(mScreen, cx, cy);
    EXPECT_FALSE(Near(Pixel(mScreen, cx, cy), panelCorner, 2));
    // The scale point (the dialog's centre) stays where it was.
    EXPECT_PRED3(Near, Pixel(mScreen, kDialogX + 320, kDialogY + 260), centre, 8);
    mDialog.SetScale(1.0f);
    Draw();
    EXPECT_EQ(Pixel(mScreen, px, py), panel);
}

TEST_F(SampleDraw, DialogLeavingTheViewLetsItsPicturesGoAndDrawsTheSameOnReturn)
{
    // The whole frame from a cleared screen (see-through edges blend with what lay there).
    auto frame = [this]
    {
        mScreen.ClearPixels();
        Draw();
        return std::vector<uint32_t>(mScreen.GetPixels(), mScreen.GetPixels() + 1024 * 768);
    };
    mDialog.SetAlpha(0.6f);
    const std::vector<uint32_t> faded = frame();
    mDialog.SetAlpha(1.0f);
    const std::vector<uint32_t> shown = frame();

    KpImageHandle panel = KpTextureManager::GetImage("sample_panel");
    ASSERT_NE(panel.GetImage(), nullptr);
    mDialog.SetVisible(false);
    EXPECT_EQ(panel.GetImage(), nullptr) << "a picture of a screen out of view is let go";
    frame();

    // Back on view: the pictures are read again, and faded and plain draw the same pixels.
    mDialog.SetVisible(true);
    mDialog.SetAlpha(0.6f);
    EXPECT_TRUE(frame() == faded);
    mDialog.SetAlpha(1.0f);
    EXPECT_TRUE(frame() == shown);
}
