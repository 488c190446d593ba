// What the game widgets ask to draw again: a scaled widget the whole area its
// matrix reaches, before and after the change; a blinking caret its own
// rectangle and nothing of the text beside it.
#include <gtest/gtest.h>

#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpFont.h"
#include "game/scene/KpFrameClock.h"
#include "game/ui/KpCandyWidget.h"
#include "game/ui/KpEditWidget.h"
#include "tests/game/ui/UiTestSupport.h"

namespace
{
bool Covers(const Lumo::DirtyRegion& region, int x, int y)
{
    for (const Lumo::Rect& r : region.GetRects())
        if (x >= r.mX && x < r.mX + r.mWidth && y >= r.mY && y < r.mY + r.mHeight)
            return true;
    return false;
}

struct Screen
{
    Lumo::MemoryImage image;
    Lumo::WidgetManager manager{nullptr};
    KpCandyWidget page;

    Screen()
    {
        image.Create(300, 200);
        manager.SetMouseRects(Lumo::Rect(0, 0, 300, 200), Lumo::Rect(0, 0, 300, 200));
        manager.mImage = &image;
        page.Resize(0, 0, 300, 200);
        manager.AddWidget(&page);
    }
    ~Screen() { manager.RemoveAllWidgets(false, true); }
};
} // namespace

TEST(KpRepaintAreas, AScaledWidgetRepaintsWhereItsMatrixReachesAndReachedBefore)
{
    Screen screen;
    KpCandyWidget* icon = new KpCandyWidget();
    screen.page.AddChild("icon", icon);
    icon->Resize(100, 100, 20, 20);
    screen.manager.DrawScreen(nullptr);

    icon->SetScale(3.0f); // about its centre (110, 110): 80 to 140
    screen.manager.DrawScreen(nullptr);
    const Lumo::DirtyRegion& grown = screen.manager.GetDrawnRegion();
    EXPECT_TRUE(Covers(grown, 80, 80) && Covers(grown, 139, 139));
    EXPECT_FALSE(Covers(grown, 40, 40));

    icon->SetScale(1.0f); // back to its rectangle: the big picture is wiped
    screen.manager.DrawScreen(nullptr);
    const Lumo::DirtyRegion& shrunk = screen.manager.GetDrawnRegion();
    EXPECT_TRUE(Covers(shrunk, 80, 80) && Covers(shrunk, 139, 139));
}

TEST(KpRepaintAreas, ABlinkingCaretRepaintsItsOwnRectangleAlone)
{
    Lumo::Font* font = KpFont::GetFont("button");
    ASSERT_NE(font, nullptr);
    Screen screen;
    KpEditWidget* edit = new KpEditWidget();
    screen.page.AddChild("edit", edit);
    edit->Resize(20, 30, 200, 40);
    edit->SetFont(font);
    edit->SetText(L"Ada");
    screen.manager.SetFocus(edit);
    screen.manager.DrawScreen(nullptr);
    ASSERT_TRUE(edit->IsCaretShown());

    // Updates until the caret goes off, each drawn as the game draws.
    int updates = 0;
    while (edit->IsCaretShown() && updates++ < 1000)
    {
        screen.manager.UpdateFrame();
        screen.manager.DrawScreen(nullptr);
        if (edit->IsCaretShown())
        {
            EXPECT_TRUE(screen.manager.GetDrawnRegion().IsEmpty()) << "update " << updates;
        }
    }
    ASSERT_FALSE(edit->IsCaretShown());
    Lumo::Rect caret = edit->GetCaretRect();
    caret.mX += 20;
    caret.mY += 30;
    ASSERT_EQ(1u, screen.manager.GetDrawnRegion().GetRects().size());
    EXPECT_EQ(caret, screen.manager.GetDrawnRegion().GetRects()[0]);
    EXPECT_EQ(2, caret.mWidth);
}
