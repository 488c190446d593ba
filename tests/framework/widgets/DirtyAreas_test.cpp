// Drawing only what changed: the region of repaint areas (never overlapping,
// merged past its cap) and the draw pass that draws the dirty widgets only
// inside the areas their requests covered, by the framework's repaint rules.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "WidgetTestSupport.h"
#include "framework/widgets/DirtyRegion.h"
#include "framework/widgets/WidgetManager.h"

using namespace Lumo;
using namespace WidgetTest;

namespace
{

bool Covers(const DirtyRegion& region, int x, int y)
{
    for (const Rect& r : region.GetRects())
        if (x >= r.mX && x < r.mX + r.mWidth && y >= r.mY && y < r.mY + r.mHeight)
            return true;
    return false;
}

void ExpectDisjoint(const DirtyRegion& region)
{
    const std::vector<Rect>& rects = region.GetRects();
    for (size_t i = 0; i < rects.size(); i++)
        for (size_t j = i + 1; j < rects.size(); j++)
            EXPECT_FALSE(DirtyRegion::Overlap(rects[i], rects[j])) << i << " and " << j;
}

} // namespace

TEST(DirtyRegion, RequestsOfAnySizeLeaveDisjointAreasThatCoverThemAll)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; round++)
    {
        DirtyRegion region;
        std::vector<Rect> added;
        int count = 1 + (int)(random() % 40);
        for (int i = 0; i < count; i++)
        {
            Rect r((int)(random() % 60), (int)(random() % 60), (int)(random() % 12),
                   (int)(random() % 12));
            added.push_back(r);
            region.Add(r);
        }
        ExpectDisjoint(region);
        EXPECT_LE((int)region.GetRects().size(), DirtyRegion::kMaxRects);
        for (const Rect& r : added)
            for (int y = r.mY; y < r.mY + r.mHeight; y++)
                for (int x = r.mX; x < r.mX + r.mWidth; x++)
                    ASSERT_TRUE(Covers(region, x, y))
                        << "round " << round << " at " << x << "," << y;
        if (HasFatalFailure())
            return;
    }
}

TEST(DirtyRegion, PastTheCapTheTwoClosestAreasMerge)
{
    DirtyRegion region;
    // Seventeen 4 x 4 areas 100 pixels apart, but the last just beside the first.
    for (int i = 0; i < 16; i++)
        region.Add(Rect(i * 100, 0, 4, 4));
    region.Add(Rect(5, 0, 4, 4));
    ASSERT_EQ(16u, region.GetRects().size());
    EXPECT_TRUE(Covers(region, 4, 0)) << "the gap between the two close areas is taken in";
    EXPECT_FALSE(Covers(region, 50, 0));
    EXPECT_EQ(15 * 16 + 9 * 4, region.GetArea());
    region.ClipTo(Rect(0, 0, 150, 2));
    ASSERT_EQ(2u, region.GetRects().size());
    EXPECT_EQ(Rect(0, 0, 104, 2), region.GetBounds());
    EXPECT_EQ(9 * 2 + 4 * 2, region.GetArea());
}

namespace
{

// Counts its own drawing; fills its rectangle.
struct Counted : Probe
{
    int mDraws = 0;
    Counted(int x, int y, int w, int h) : Probe("", nullptr, x, y, w, h) {}
    void Draw(Graphics* g) override
    {
        mDraws++;
        Probe::Draw(g);
    }
};

struct Areas : ::testing::Test
{
    WidgetManager mgr{nullptr};
    RecordingImage screen{200, 200};
    std::vector<std::unique_ptr<Counted>> owned;

    void SetUp() override
    {
        mgr.SetMouseRects(Rect(0, 0, 200, 200), Rect(0, 0, 200, 200));
        mgr.mImage = &screen;
    }
    void TearDown() override { mgr.RemoveAllWidgets(false, true); }

    Counted* Add(WidgetContainer* parent, int x, int y, int w, int h)
    {
        owned.emplace_back(new Counted(x, y, w, h));
        parent->AddWidget(owned.back().get());
        return owned.back().get();
    }
    // Draws what is pending and forgets the calls.
    void Settle()
    {
        mgr.DrawScreen(nullptr);
        screen.mCalls.clear();
    }
    std::vector<Rect> Fills() const
    {
        std::vector<Rect> out;
        for (const DrawCall& c : screen.Of(DrawCall::FILL))
            out.push_back(c.rect);
        return out;
    }
};

} // namespace

TEST_F(Areas, APartOfAWidgetIsDrawnAloneWithWhatLiesOverIt)
{
    Counted* back = Add(&mgr, 0, 0, 100, 100);
    Counted* child = Add(back, 10, 10, 30, 30);
    Add(&mgr, 12, 12, 100, 100); // in front, over the child
    Settle();
    child->SetDirtyArea(Rect(5, 5, 4, 4));
    EXPECT_TRUE(mgr.DrawScreen(nullptr));
    // The back widget, the child and the widget in front, each only there.
    EXPECT_EQ((std::vector<Rect>{Rect(15, 15, 4, 4), Rect(15, 15, 4, 4), Rect(15, 15, 4, 4)}),
              Fills());
    ASSERT_EQ(1u, mgr.GetDrawnRegion().GetRects().size());
    EXPECT_EQ(Rect(15, 15, 4, 4), mgr.GetDrawnRegion().GetRects()[0]);
}

TEST_F(Areas, AStillScreenDrawsNothing)
{
    Counted* a = Add(&mgr, 0, 0, 100, 100);
    Counted* b = Add(a, 10, 10, 30, 30);
    Counted* c = Add(&mgr, 50, 50, 100, 100);
    Settle();
    int drawn = a->mDraws + b->mDraws + c->mDraws;
    for (int i = 0; i < 100; i++)
    {
        mgr.UpdateFrame();
        EXPECT_FALSE(mgr.DrawScreen(nullptr));
    }
    EXPECT_EQ(drawn, a->mDraws + b->mDraws + c->mDraws);
    EXPECT_TRUE(screen.mCalls.empty());
    EXPECT_TRUE(mgr.GetDrawnRegion().IsEmpty());
}

TEST_F(Areas, AMovedWidgetRepaintsItsOldAndItsNewPlace)
{
    Counted* back = Add(&mgr, 0, 0, 200, 200);
    Counted* child = Add(back, 10, 10, 20, 20);
    Settle();
    child->Move(100, 120);
    mgr.DrawScreen(nullptr);
    const DirtyRegion& drawn = mgr.GetDrawnRegion();
    EXPECT_TRUE(Covers(drawn, 10, 10) && Covers(drawn, 29, 29)) << "the old place";
    EXPECT_TRUE(Covers(drawn, 100, 120) && Covers(drawn, 119, 139)) << "the new place";
    EXPECT_FALSE(Covers(drawn, 60, 60)) << "nothing in between";
    EXPECT_EQ(2 * 20 * 20, drawn.GetArea());
}

TEST_F(Areas, ASeeThroughWidgetRepaintsWhatLiesBehindItOnlyWithinItsArea)
{
    Counted* back = Add(&mgr, 0, 0, 200, 200);
    Counted* glass = Add(&mgr, 20, 30, 10, 10);
    glass->mSeeThrough = true;
    Settle();
    glass->SetDirty();
    mgr.DrawScreen(nullptr);
    EXPECT_EQ((std::vector<Rect>{Rect(20, 30, 10, 10), Rect(20, 30, 10, 10)}), Fills());
    EXPECT_GT(back->mDraws, 1);
}

TEST_F(Areas, AChildOutsideTheAreaIsNotDrawnAndItsNextRequestStillReachesTheScreen)
{
    Counted* back = Add(&mgr, 0, 0, 200, 200);
    Counted* left = Add(back, 0, 0, 10, 10);
    Counted* right = Add(back, 150, 150, 10, 10);
    Settle();
    int rightDraws = right->mDraws;
    right->mDirty = true; // as a request of its own would leave it
    left->SetDirty();
    mgr.DrawScreen(nullptr);
    EXPECT_EQ(rightDraws, right->mDraws) << "outside the area: passed over";
    // Passed over, it was cleared as a draw would have cleared it, so its
    // own request goes up the tree again and is drawn.
    right->SetDirty();
    EXPECT_TRUE(back->mDirty);
    mgr.DrawScreen(nullptr);
    EXPECT_EQ(rightDraws + 1, right->mDraws);
}

TEST_F(Areas, OverlappingRequestsDrawEachPixelOnce)
{
    Counted* back = Add(&mgr, 0, 0, 200, 200);
    Settle();
    back->SetDirtyArea(Rect(0, 0, 20, 20));
    back->SetDirtyArea(Rect(10, 10, 20, 20));
    back->SetDirtyArea(Rect(100, 100, 5, 5));
    mgr.DrawScreen(nullptr);
    long long filled = 0;
    for (const Rect& r : Fills())
        filled += (long long)r.mWidth * r.mHeight;
    EXPECT_EQ(30 * 30 + 5 * 5, filled);
}

TEST_F(Areas, AWholeRepaintCoversTheScreenAlsoWhereNoWidgetLies)
{
    Add(&mgr, 10, 10, 20, 20);
    Settle();
    mgr.SetAllDirty();
    mgr.DrawScreen(nullptr);
    EXPECT_EQ(Rect(0, 0, 200, 200), mgr.GetDrawnRegion().GetBounds());
}

namespace
{
// Finds, while it draws, that it must be drawn again (a label whose text
// variable changed since its last update).
struct Discovering : Counted
{
    bool mChanged = false;
    Discovering(int x, int y, int w, int h) : Counted(x, y, w, h) {}
    void Draw(Graphics* g) override
    {
        Counted::Draw(g);
        if (mChanged)
        {
            mChanged = false;
            SetDirty();
        }
    }
};
} // namespace

TEST_F(Areas, ARequestMadeWhileDrawingIsDrawnWholeByTheNextPass)
{
    Counted* back = Add(&mgr, 0, 0, 200, 200);
    Discovering* label = new Discovering(10, 10, 20, 20);
    owned.emplace_back(label);
    back->AddWidget(label);
    Settle();
    label->mChanged = true;
    back->SetDirtyArea(Rect(15, 15, 2, 2)); // drawn there only, the label with it
    mgr.DrawScreen(nullptr);
    ASSERT_FALSE(label->mChanged);
    EXPECT_TRUE(mgr.DrawScreen(nullptr));
    ASSERT_EQ(1u, mgr.GetDrawnRegion().GetRects().size());
    EXPECT_EQ(Rect(10, 10, 20, 20), mgr.GetDrawnRegion().GetRects()[0]);
    EXPECT_FALSE(mgr.DrawScreen(nullptr)) << "and then it is still";
}
