#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "WidgetTestSupport.h"
#include "framework/widgets/WidgetManager.h"

using namespace Lumo;
using namespace WidgetTest;

namespace
{

std::string Order(WidgetContainer* c)
{
    std::string s;
    for (Widget* w : c->mWidgets)
        s += static_cast<Probe*>(w)->mName;
    return s;
}

struct Tree : ::testing::Test
{
    WidgetManager mgr{nullptr};
    std::vector<std::string> log;
    std::vector<std::unique_ptr<Probe>> owned;

    void SetUp() override { mgr.SetMouseRects(Rect(0, 0, 100, 100), Rect(0, 0, 100, 100)); }
    void TearDown() override { mgr.RemoveAllWidgets(false, true); }

    Probe* Make(const std::string& name, int x, int y, int w, int h, int z = 0)
    {
        owned.emplace_back(new Probe(name, &log, x, y, w, h));
        owned.back()->mZOrder = z;
        return owned.back().get();
    }
};

} // namespace

TEST_F(Tree, ReorderKeepsZOrderClasses)
{
    Probe* a = Make("a", 0, 0, 10, 10);
    Probe* b = Make("b", 0, 0, 10, 10);
    Probe* c = Make("c", 0, 0, 10, 10, 5);
    mgr.AddWidget(a);
    mgr.AddWidget(c);
    mgr.AddWidget(b);
    EXPECT_EQ("abc", Order(&mgr)); // equal z-order: the later one in front
    mgr.SendToBack(b);
    EXPECT_EQ("bac", Order(&mgr));
    mgr.BringToFront(b);
    EXPECT_EQ("abc", Order(&mgr)); // never past the higher z-order
    mgr.PutInFront(a, c);
    EXPECT_EQ("bac", Order(&mgr)); // still behind c
    mgr.SendToBack(c);
    EXPECT_EQ("bac", Order(&mgr));
    mgr.AddWidget(a); // twice: ignored
    EXPECT_EQ(3u, mgr.mWidgets.size());
}

TEST_F(Tree, PutBehindAndInFrontLandNextToReference)
{
    Probe* a = Make("a", 0, 0, 10, 10);
    Probe* b = Make("b", 0, 0, 10, 10);
    Probe* c = Make("c", 0, 0, 10, 10);
    Probe* stranger = Make("x", 0, 0, 10, 10);
    mgr.AddWidget(a);
    mgr.AddWidget(b);
    mgr.AddWidget(c);
    mgr.PutInFront(c, a);
    EXPECT_EQ("acb", Order(&mgr));
    mgr.PutBehind(a, b);
    EXPECT_EQ("cab", Order(&mgr));
    mgr.PutInFront(c, stranger); // not a child: end of its z-order group
    EXPECT_EQ("abc", Order(&mgr));
}

TEST_F(Tree, UpdatePassSurvivesSelfRemoval)
{
    Probe* a = Make("a", 0, 0, 10, 10);
    Probe* b = Make("b", 0, 0, 10, 10);
    Probe* c = Make("c", 0, 0, 10, 10);
    mgr.AddWidget(a);
    mgr.AddWidget(b);
    mgr.AddWidget(c);
    b->mOnUpdate = [this](Probe* self) { mgr.RemoveWidget(self); };
    mgr.UpdateFrame();
    EXPECT_EQ(1, a->mUpdates);
    EXPECT_EQ(1, b->mUpdates);
    EXPECT_EQ(1, c->mUpdates); // neither skipped nor updated twice
    EXPECT_EQ("ac", Order(&mgr));
    mgr.UpdateFrame();
    EXPECT_EQ(2, a->mUpdates);
    EXPECT_EQ(1, b->mUpdates);
    EXPECT_EQ(2, c->mUpdates);
}

TEST_F(Tree, UpdateRunsOncePerFrameWhenReachedTwice)
{
    Probe* a = Make("a", 0, 0, 10, 10);
    Probe* b = Make("b", 0, 0, 10, 10);
    Probe* c = Make("c", 0, 0, 10, 10);
    mgr.AddWidget(a);
    mgr.AddWidget(b);
    mgr.AddWidget(c);
    // a moves behind c during its own update and is met again later in the pass.
    a->mOnUpdate = [this](Probe* self) { mgr.BringToFront(self); };
    mgr.UpdateFrame();
    EXPECT_EQ("bca", Order(&mgr));
    EXPECT_EQ(1, a->mUpdates);
    EXPECT_EQ(1, b->mUpdates);
    EXPECT_EQ(1, c->mUpdates);
    // a widget that removes its next sibling: the sibling is simply not reached.
    b->mOnUpdate = [this, c](Probe*) { mgr.RemoveWidget(c); };
    mgr.UpdateFrame();
    EXPECT_EQ(2, a->mUpdates);
    EXPECT_EQ(2, b->mUpdates);
    EXPECT_EQ(1, c->mUpdates);
}

TEST_F(Tree, DirtyOpaqueChangeRepaintsOnlyWhatLiesOverIt)
{
    Probe* back = Make("back", 0, 0, 100, 100);
    Probe* a = Make("a", 10, 10, 30, 30);
    Probe* over = Make("over", 30, 30, 30, 30);
    Probe* apart = Make("apart", 70, 70, 10, 10);
    for (Probe* p : {back, a, over, apart})
        mgr.AddWidget(p);
    ClearDirty(&mgr);
    a->SetDirty();
    EXPECT_TRUE(a->mDirty);
    EXPECT_TRUE(over->mDirty);
    EXPECT_FALSE(back->mDirty);
    EXPECT_FALSE(apart->mDirty);
    EXPECT_TRUE(mgr.mDirty);
}

TEST_F(Tree, HidingRepaintsBehindAndShowingRepaintsInFront)
{
    Probe* back = Make("back", 0, 0, 100, 100);
    Probe* mid = Make("mid", 10, 10, 30, 30);
    Probe* top = Make("top", 20, 20, 30, 30);
    for (Probe* p : {back, mid, top})
        mgr.AddWidget(p);
    ClearDirty(&mgr);
    mid->SetVisible(false);
    EXPECT_TRUE(back->mDirty);
    EXPECT_TRUE(top->mDirty);

    // A hidden widget is never drawn, so its dirty flag stays set; showing it
    // again must still repaint it and the widget over it.
    ClearDirty(&mgr);
    mid->mDirty = true;
    mid->SetVisible(true);
    EXPECT_TRUE(mid->mDirty);
    EXPECT_TRUE(top->mDirty);
    EXPECT_TRUE(mgr.mDirty);
}

TEST_F(Tree, ChildCreatedHiddenRepaintsItsParentWhenShown)
{
    Probe* panel = Make("panel", 0, 0, 80, 80);
    Probe* child = Make("child", 5, 5, 10, 10);
    child->mVisible = false;
    panel->AddWidget(child);
    mgr.AddWidget(panel);
    RecordingImage screen;
    mgr.mImage = &screen;
    mgr.DrawScreen(nullptr);
    ASSERT_FALSE(panel->mDirty);
    ASSERT_TRUE(child->mDirty); // never drawn
    child->SetVisible(true);
    EXPECT_TRUE(panel->mDirty);
    screen.mCalls.clear();
    EXPECT_TRUE(mgr.DrawScreen(nullptr));
    EXPECT_EQ(2u, screen.Of(DrawCall::FILL).size());
}

TEST_F(Tree, SeeThroughRepaintsDownToFirstCoveringOpaqueSibling)
{
    Probe* far = Make("far", 0, 0, 100, 100);
    Probe* cover = Make("cover", 0, 0, 100, 100);
    Probe* glass = Make("glass", 0, 0, 100, 100);
    Probe* st = Make("st", 10, 10, 50, 50);
    glass->mHasTransparencies = true;
    st->mSeeThrough = true;
    for (Probe* p : {far, cover, glass, st})
        mgr.AddWidget(p);
    ClearDirty(&mgr);
    st->SetDirty();
    EXPECT_TRUE(st->mDirty);
    EXPECT_TRUE(glass->mDirty);
    EXPECT_TRUE(cover->mDirty);
    EXPECT_FALSE(far->mDirty);
}

TEST_F(Tree, EdgesNeitherIntersectNorContain)
{
    Probe* a = Make("a", 0, 0, 10, 10);
    Probe* b = Make("b", 10, 0, 10, 10);
    Probe* c = Make("c", 9, 9, 10, 10);
    EXPECT_FALSE(a->Intersects(b));
    EXPECT_TRUE(a->Intersects(c));
    EXPECT_TRUE(a->Contains(0, 0));
    EXPECT_TRUE(a->Contains(9, 9));
    EXPECT_FALSE(a->Contains(10, 5));
    EXPECT_FALSE(a->Contains(5, 10));
}

TEST_F(Tree, ColourTableFallsBackToOpaqueBlack)
{
    Probe* a = Make("a", 0, 0, 10, 10);
    EXPECT_EQ(Color(0, 0, 0, 255), a->GetColor(3));
    a->SetColor(5, Color(1, 2, 3, 4));
    ASSERT_EQ(6u, a->mColors.size());
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(Color(0, 0, 0, 255), a->GetColor(i)) << i;
    EXPECT_EQ(Color(1, 2, 3, 4), a->GetColor(5));
    EXPECT_EQ(Color(9, 9, 9), a->GetColorOr(6, Color(9, 9, 9)));
}

TEST_F(Tree, HitTestFindsDeepestWidgetWithLocalPoint)
{
    Probe* panel = Make("panel", 10, 10, 50, 50);
    Probe* inner = Make("inner", 5, 5, 20, 20);
    inner->mInsetLeft = 2;
    panel->mMouseVisible = false;
    panel->AddWidget(inner);
    mgr.AddWidget(panel);
    int lx = -1, ly = -1;
    EXPECT_EQ(inner, mgr.FindWidgetAt(20, 21, lx, ly));
    EXPECT_EQ(5, lx);
    EXPECT_EQ(6, ly);
    EXPECT_EQ(nullptr, mgr.FindWidgetAt(16, 21, lx, ly)); // in the inset, panel not hittable
    EXPECT_TRUE(mgr.IsBelow(panel, inner));
    EXPECT_FALSE(mgr.IsBelow(inner, panel));
}

TEST_F(Tree, NumberStripDrawsOneCellPerDigit)
{
    Probe* a = Make("a", 0, 0, 10, 10);
    SizedImage strip(100, 12); // cells 10 wide
    RecordingImage screen;
    auto cells = [&](int n)
    {
        screen.mCalls.clear();
        Graphics g(&screen);
        a->WriteNumberFromStrip(&g, n, 50, 5, &strip, 2);
        std::string s;
        int x = 50;
        for (const DrawCall& c : screen.Of(DrawCall::IMAGE))
        {
            EXPECT_EQ(x, c.rect.mX);
            EXPECT_EQ(10, c.src.mWidth);
            s += (char)('0' + c.src.mX / 10);
            x += 12;
        }
        return s;
    };
    EXPECT_EQ("0", cells(0));
    EXPECT_EQ("120", cells(120));
    EXPECT_EQ("120", cells(-120)); // no sign cell: the magnitude
    EXPECT_EQ("2000000000", cells(2000000000));
    EXPECT_EQ("2147483648", cells(INT_MIN));
    EXPECT_EQ(1, a->GetNumDigits(9));
    EXPECT_EQ(2, a->GetNumDigits(10));
    EXPECT_EQ(10, a->GetNumDigits(INT_MAX));
    EXPECT_EQ(2, a->GetNumDigits(-12));
}

namespace
{
// A child that steps to the back of its parent as it leaves the manager.
struct BackOnRemoval : Probe
{
    using Probe::Probe;
    void RemovedFromManager(WidgetManager* manager) override
    {
        if (mParent)
            mParent->SendToBack(this);
        Probe::RemovedFromManager(manager);
    }
};
} // namespace

TEST_F(Tree, RemovalSurvivesChildrenReorderingThemselves)
{
    Probe* parent = Make("p", 0, 0, 50, 50);
    BackOnRemoval a("a", &log, 0, 0, 10, 10), b("b", &log, 0, 0, 10, 10);
    Probe* c = Make("c", 0, 0, 10, 10);
    parent->AddWidget(&a);
    parent->AddWidget(c);
    parent->AddWidget(&b);
    mgr.AddWidget(parent);
    mgr.RemoveWidget(parent);
    EXPECT_EQ(nullptr, a.mManager);
    EXPECT_EQ(nullptr, b.mManager);
    EXPECT_EQ(nullptr, c->mManager);
    EXPECT_EQ(3u, parent->mWidgets.size());
    parent->RemoveWidget(&a);
    parent->RemoveWidget(&b);
}
