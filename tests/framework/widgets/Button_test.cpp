#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/WidgetManager.h"

using namespace Lumo;
using namespace WidgetTest;

namespace
{

typedef std::vector<std::string> Log;

struct Listener : ButtonListener
{
    Log log;
    void OnPressedWithClicks(int id, int clicks) override
    {
        log.push_back("pressed " + std::to_string(id) + " c" + std::to_string(clicks));
        ButtonListener::OnPressedWithClicks(id, clicks);
    }
    void OnPressed(int id) override { log.push_back("onpressed " + std::to_string(id)); }
    void OnClicked(int id) override { log.push_back("clicked " + std::to_string(id)); }
    void OnHeldDown(int id) override { log.push_back("held " + std::to_string(id)); }
    void OnMouseEnter(int id) override { log.push_back("enter " + std::to_string(id)); }
    void OnMouseLeave(int id) override { log.push_back("leave " + std::to_string(id)); }
    Log Take()
    {
        Log out;
        out.swap(log);
        return out;
    }
};

struct Button : ::testing::Test
{
    WidgetManager mgr{nullptr};
    Listener listener;
    ButtonWidget button{7, &listener};

    void SetUp() override
    {
        mgr.SetMouseRects(Rect(0, 0, 200, 200), Rect(0, 0, 200, 200));
        button.Resize(10, 10, 80, 20);
        mgr.AddWidget(&button);
    }
    void TearDown() override { mgr.RemoveWidget(&button); }
};

} // namespace

TEST_F(Button, ClickReportsPressThenClick)
{
    mgr.MouseMoveOrDrag(20, 15);
    mgr.MouseDown(20, 15, 1);
    mgr.MouseUp(20, 15, 1);
    EXPECT_EQ((Log{"enter 7", "pressed 7 c1", "onpressed 7", "clicked 7"}), listener.Take());
}

TEST_F(Button, ReleaseOutsideGivesNoClick)
{
    mgr.MouseMoveOrDrag(20, 15);
    mgr.MouseDown(20, 15, 1);
    mgr.MouseMoveOrDrag(150, 150);
    mgr.MouseUp(150, 150, 1);
    EXPECT_EQ((Log{"enter 7", "pressed 7 c1", "onpressed 7", "leave 7"}), listener.Take());
}

TEST_F(Button, ReleaseWhileTheAppLacksFocusGivesNoClick)
{
    mgr.MouseMoveOrDrag(20, 15);
    mgr.MouseDown(20, 15, 1);
    mgr.AppLostFocus();
    mgr.MouseUp(20, 15, 1);
    EXPECT_EQ((Log{"enter 7", "pressed 7 c1", "onpressed 7"}), listener.Take());
    // The application's own road on focus loss: the held buttons are let go.
    mgr.AppGotFocus();
    mgr.MouseDown(20, 15, 1);
    mgr.AppLostFocus();
    mgr.ReleaseHeldButtons();
    EXPECT_EQ((Log{"pressed 7 c1", "onpressed 7"}), listener.Take());
    EXPECT_FALSE(button.mIsDown);
}

TEST_F(Button, HeldDownReportsEveryUpdateWhileOver)
{
    mgr.MouseMoveOrDrag(20, 15);
    mgr.MouseDown(20, 15, 1);
    listener.Take();
    mgr.UpdateFrame();
    mgr.UpdateFrame();
    EXPECT_EQ((Log{"held 7", "held 7"}), listener.Take());
    mgr.MouseMoveOrDrag(150, 150);
    listener.Take();
    mgr.UpdateFrame();
    EXPECT_TRUE(listener.Take().empty());
}

TEST_F(Button, FadeInReachesFullOnTheFourthUpdate)
{
    SizedImage normal(80, 20), over(80, 20);
    button.mButtonImage = &normal;
    button.mOverImage = &over;
    button.mOverAlphaFadeInSpeed = 0.25;
    mgr.MouseMoveOrDrag(20, 15);
    double steps[4] = {0.25, 0.5, 0.75, 1.0};
    for (double expected : steps)
    {
        mgr.UpdateFrame();
        EXPECT_DOUBLE_EQ(expected, button.mOverAlpha);
    }
    mgr.UpdateFrame();
    EXPECT_DOUBLE_EQ(1.0, button.mOverAlpha);
    mgr.MouseMoveOrDrag(150, 150); // fade-out step 0: gone at once
    EXPECT_DOUBLE_EQ(0.0, button.mOverAlpha);
}

TEST_F(Button, FadeOutStartsFromFullOver)
{
    button.mOverAlphaSpeed = 0.5;
    mgr.MouseMoveOrDrag(20, 15);
    mgr.MouseMoveOrDrag(150, 150);
    EXPECT_DOUBLE_EQ(1.0, button.mOverAlpha);
    mgr.UpdateFrame();
    EXPECT_DOUBLE_EQ(0.5, button.mOverAlpha);
    mgr.UpdateFrame();
    EXPECT_DOUBLE_EQ(0.0, button.mOverAlpha);
}

TEST_F(Button, HoverRepaintsOnlyWhenTheLookChanges)
{
    mgr.mDirty = false;
    ClearDirty(&mgr);
    mgr.MouseMoveOrDrag(20, 15); // colours 0 and 1 equal, no over image
    EXPECT_FALSE(button.mDirty);
    mgr.MouseMoveOrDrag(150, 150);
    button.SetColor(1, Color(255, 0, 0));
    ClearDirty(&mgr);
    mgr.MouseMoveOrDrag(20, 15);
    EXPECT_TRUE(button.mDirty);
}

TEST_F(Button, DrawnFallbackUsesFaceBevelAndLabelColours)
{
    std::vector<DrawnText> text;
    TestFont font(&text);
    button.SetFont(&font);
    button.mLabel = L"OK"; // 14 wide
    RecordingImage screen;
    Graphics g(&screen);
    button.Draw(&g);
    std::vector<DrawCall> fills = screen.Of(DrawCall::FILL);
    ASSERT_EQ(7u, fills.size());
    EXPECT_EQ(Rect(0, 0, 80, 20), fills[0].rect);
    EXPECT_EQ(Color(212, 212, 212), fills[0].color);
    EXPECT_EQ(Color(255, 255, 255), fills[1].color); // light top edge
    EXPECT_EQ(Color(0, 0, 0), fills[3].color);       // dark bottom edge
    ASSERT_EQ(1u, text.size());
    EXPECT_EQ(33, text[0].x); // (80 - 14) / 2
    EXPECT_EQ(13, text[0].y); // (20 - 14) / 2 + 10

    button.mIsDown = button.mIsOver = true;
    screen.mCalls.clear();
    text.clear();
    button.Draw(&g);
    fills = screen.Of(DrawCall::FILL);
    ASSERT_EQ(7u, fills.size());
    EXPECT_EQ(Color(0, 0, 0), fills[1].color); // bevel swapped
    EXPECT_EQ(Rect(1, 1, 77, 1), fills[5].rect);
    ASSERT_EQ(1u, text.size());
    EXPECT_EQ(34, text[0].x);
    EXPECT_EQ(14, text[0].y);
}

TEST_F(Button, OverImageCrossFadesOverTheNormalImage)
{
    SizedImage normal(80, 20), over(80, 20);
    button.mButtonImage = &normal;
    button.mOverImage = &over;
    button.mOverAlpha = 0.5;
    RecordingImage screen;
    Graphics g(&screen);
    button.Draw(&g);
    std::vector<DrawCall> images = screen.Of(DrawCall::IMAGE);
    ASSERT_EQ(2u, images.size());
    EXPECT_EQ(&normal, images[0].image);
    EXPECT_EQ(Color(255, 255, 255), images[0].color);
    EXPECT_EQ(&over, images[1].image);
    EXPECT_EQ(Color(255, 255, 255, 127), images[1].color);
}

TEST(DialogButtonDraw, WithoutComponentImageDrawsAsAPlainButton)
{
    Listener listener;
    DialogButton b(nullptr, 1000, &listener);
    EXPECT_TRUE(b.mDoFinger);
    TestFont font;
    b.SetFont(&font);
    b.Resize(0, 0, 60, 24);
    RecordingImage screen;
    Graphics g(&screen);
    b.Draw(&g);
    std::vector<DrawCall> fills = screen.Of(DrawCall::FILL);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(Color(212, 212, 212), fills[0].color);
}
