#include <gtest/gtest.h>

#include <memory>

#include "WidgetTestSupport.h"
#include "framework/widgets/WidgetManager.h"

using namespace Lumo;
using namespace WidgetTest;

namespace
{

typedef std::vector<std::string> Log;

struct Manager : ::testing::Test
{
    WidgetManager mgr{nullptr};
    Log log;
    std::vector<std::unique_ptr<Probe>> owned;

    void SetUp() override { mgr.SetMouseRects(Rect(0, 0, 200, 200), Rect(0, 0, 200, 200)); }
    void TearDown() override { mgr.RemoveAllWidgets(false, true); }

    Probe* Add(const std::string& name, int x, int y, int w, int h)
    {
        owned.emplace_back(new Probe(name, &log, x, y, w, h));
        mgr.AddWidget(owned.back().get());
        return owned.back().get();
    }
    Log Take()
    {
        Log out;
        out.swap(log);
        return out;
    }
};

} // namespace

TEST_F(Manager, DragOffAndBackHoversOnlyThePressedWidget)
{
    Probe* a = Add("A", 0, 0, 50, 50);
    Add("B", 100, 0, 50, 50);
    mgr.MouseMoveOrDrag(10, 10);
    mgr.MouseDown(10, 10, 1);
    EXPECT_EQ((Log{"A:enter", "A:down 10,10 b0 c1"}), Take());
    mgr.MouseMoveOrDrag(110, 10); // over B, still held
    EXPECT_EQ((Log{"A:drag 110,10", "A:leave"}), Take());
    EXPECT_EQ(nullptr, mgr.mOverWidget);
    mgr.MouseMoveOrDrag(20, 20);
    EXPECT_EQ((Log{"A:drag 20,20", "A:enter"}), Take());
    mgr.MouseUp(20, 20, 1);
    EXPECT_EQ((Log{"A:up 20,20 b0 c1"}), Take());
    EXPECT_EQ(nullptr, mgr.mLastDownWidget);
    EXPECT_FALSE(a->mIsDown);
    EXPECT_TRUE(a->mIsOver);
}

TEST_F(Manager, ReleaseOutsideReportsReleaseBeforeHoverMoves)
{
    Add("A", 0, 0, 50, 50);
    Add("B", 100, 0, 50, 50);
    mgr.MouseMoveOrDrag(10, 10);
    mgr.MouseDown(10, 10, 1);
    Take();
    mgr.MouseUp(110, 10, 1);
    EXPECT_EQ((Log{"A:up 110,10 b0 c1", "A:leave", "B:enter"}), Take());
}

TEST_F(Manager, SecondButtonGoesToTheHeldWidget)
{
    Probe* a = Add("A", 0, 0, 50, 50);
    Add("B", 100, 0, 50, 50);
    mgr.MouseDown(10, 10, 1);
    mgr.MouseMoveOrDrag(110, 10);
    Take();
    mgr.MouseDown(110, 10, -1);
    Log l = Take();
    ASSERT_FALSE(l.empty());
    EXPECT_EQ("A:down 110,10 b1 c1", l.back()); // relative to A itself
    EXPECT_EQ(-1, mgr.mLastDownButtonId);
    mgr.MouseUp(110, 10, 1);
    EXPECT_EQ(a, mgr.mLastDownWidget); // right still held
    EXPECT_EQ(2u, mgr.mDownButtons);
    mgr.MouseUp(110, 10, -1);
    EXPECT_EQ(nullptr, mgr.mLastDownWidget);
    EXPECT_EQ(0u, mgr.mDownButtons);
}

TEST_F(Manager, PressOnEmptySpaceHoldsTheButtonAndBlocksHover)
{
    Add("A", 0, 0, 50, 50);
    mgr.MouseDown(150, 150, 1);
    EXPECT_EQ(nullptr, mgr.mLastDownWidget);
    EXPECT_EQ(1u, mgr.mDownButtons);
    mgr.MouseMoveOrDrag(10, 10); // a drag: nothing hovered
    EXPECT_EQ(nullptr, mgr.mOverWidget);
    mgr.MouseUp(10, 10, 1);
    EXPECT_EQ((Log{"A:enter"}), Take());
}

TEST_F(Manager, PressMovesFocusOnlyToWidgetsThatWantIt)
{
    Probe* a = Add("A", 0, 0, 50, 50);
    Probe* b = Add("B", 100, 0, 50, 50);
    b->mWantsFocus = true;
    mgr.SetFocus(a);
    Take();
    mgr.MouseDown(10, 10, 1);
    mgr.MouseUp(10, 10, 1);
    EXPECT_EQ(a, mgr.GetFocusWidget());
    Take();
    mgr.MouseDown(110, 10, 1);
    EXPECT_EQ((Log{"A:leave", "B:enter", "A:lostfocus", "B:gotfocus", "B:down 10,10 b0 c1"}),
              Take());
    mgr.MouseWheel(3);
    EXPECT_EQ((Log{"B:wheel 3"}), Take());
}

TEST_F(Manager, PressOutsidePopupRemovesItBeforeDelivery)
{
    Probe* back = Add("back", 0, 0, 200, 200);
    Probe* pop = Add("pop", 10, 10, 30, 30);
    mgr.mPopupWidget = pop;
    mgr.MouseDown(100, 100, 1);
    EXPECT_FALSE(mgr.HasWidget(pop));
    EXPECT_EQ(nullptr, mgr.mPopupWidget);
    EXPECT_EQ(back, mgr.mLastDownWidget);
}

TEST_F(Manager, ModalWidgetHidesWidgetsBehindFromMouseAndFocus)
{
    Probe* back = Add("back", 0, 0, 200, 200);
    Probe* modal = Add("modal", 50, 50, 50, 50);
    Probe* front = Add("front", 150, 150, 20, 20);
    mgr.SetFocus(back);
    Take();
    mgr.PushModalDefault(modal);
    EXPECT_EQ((Log{"back:lostfocus"}), Take());
    int lx, ly;
    EXPECT_EQ(nullptr, mgr.FindWidgetAt(10, 10, lx, ly));
    EXPECT_EQ(modal, mgr.FindWidgetAt(60, 60, lx, ly));
    EXPECT_EQ(front, mgr.FindWidgetAt(160, 160, lx, ly));
    mgr.MouseDown(10, 10, 1);
    mgr.MouseUp(10, 10, 1);
    EXPECT_TRUE(Take().empty());
    // Widgets behind keep updating.
    mgr.UpdateFrame();
    EXPECT_EQ(1, back->mUpdates);

    mgr.PopModal(back); // not on top: nothing
    EXPECT_EQ(modal, mgr.mBaseModalWidget);
    mgr.PopModal(modal);
    EXPECT_TRUE(mgr.IsModalStackEmpty());
    EXPECT_EQ(nullptr, mgr.mBaseModalWidget);
    EXPECT_EQ(back, mgr.GetFocusWidget());
    EXPECT_EQ(back, mgr.FindWidgetAt(10, 10, lx, ly));
}

TEST_F(Manager, PopModalSkipsLevelsWhoseWidgetLeftTheTree)
{
    Probe* first = Add("first", 0, 0, 50, 50);
    Probe* second = Add("second", 100, 0, 50, 50);
    mgr.PushModalDefault(first);
    mgr.PushModalDefault(second);
    mgr.RemoveWidget(first); // the saved base-modal of second's level is cleared
    mgr.PopModal(second);
    EXPECT_TRUE(mgr.IsModalStackEmpty());
    EXPECT_EQ(nullptr, mgr.mBaseModalWidget);
}

TEST_F(Manager, LosingAppFocusReleasesHeldKeysInOrder)
{
    Probe* a = Add("A", 0, 0, 50, 50);
    mgr.SetFocus(a);
    mgr.MouseDown(10, 10, 1);
    mgr.KeyDown(65);
    mgr.KeyDown(16);
    Take();
    mgr.AppLostFocus();
    EXPECT_EQ((Log{"A:keyup 16", "A:keyup 65", "A:lostfocus"}), Take());
    EXPECT_FALSE(mgr.IsKeyDown(16));
    EXPECT_FALSE(mgr.IsKeyDown(65));
    EXPECT_EQ(0u, mgr.mActualDownButtons);
    EXPECT_EQ(1u, mgr.mDownButtons); // the down widget still holds it
    EXPECT_EQ(a, mgr.GetFocusWidget());
    mgr.AppLostFocus(); // already lost: nothing
    EXPECT_TRUE(Take().empty());
    mgr.AppGotFocus();
    EXPECT_EQ((Log{"A:gotfocus"}), Take());
}

TEST_F(Manager, LostFocusMasksApplyToHitTests)
{
    Probe* a = Add("A", 0, 0, 50, 50);
    mgr.mLostFocusFlagsMod = WidgetFlagMasks(0, WIDGETFLAGS_ALLOW_MOUSE);
    int lx, ly;
    EXPECT_EQ(a, mgr.FindWidgetAt(10, 10, lx, ly));
    mgr.AppLostFocus();
    EXPECT_EQ(nullptr, mgr.FindWidgetAt(10, 10, lx, ly));
}

TEST_F(Manager, CtrlTabMovesFocusAndSendsTheCharacterToTheDefaultWidget)
{
    Probe* a = Add("A", 0, 0, 50, 50);
    Probe* b = Add("B", 100, 0, 50, 50);
    Probe* def = Add("D", 0, 100, 50, 50);
    a->mTabNext = b;
    b->mTabPrev = a;
    mgr.mDefaultTab = def;
    mgr.SetFocus(a);
    Take();
    mgr.KeyDown(17);
    mgr.KeyDown(9);
    mgr.KeyChar(9);
    mgr.KeyUp(9);
    EXPECT_EQ((Log{"A:keydown 17", "A:keydown 9", "A:lostfocus", "B:gotfocus", "D:char 9"}),
              Take());
    mgr.KeyUp(17);
    mgr.KeyDown(16);
    mgr.KeyDown(9); // Shift+Tab goes back
    EXPECT_EQ(a, mgr.GetFocusWidget());
}

TEST_F(Manager, ScaleMousePositionMapsSourceToDestination)
{
    mgr.SetMouseRects(Rect(0, 0, 1024, 768), Rect(10, 20, 2048, 1536));
    int x = 110, y = 20;
    mgr.ScaleMousePosition(x, y);
    EXPECT_EQ(50, x);
    EXPECT_EQ(0, y);
    EXPECT_EQ(1024, mgr.mWidth);
    mgr.SetMouseRects(Rect(16, 8, 800, 600), Rect(0, 0, 800, 600));
    EXPECT_EQ(832, mgr.mWidth);
    EXPECT_EQ(616, mgr.mHeight);
}

TEST_F(Manager, DisabledWidgetLosesReferencesAndHidesWhatIsBehind)
{
    Probe* back = Add("back", 0, 0, 200, 200);
    Probe* a = Add("A", 0, 0, 50, 50);
    mgr.MouseMoveOrDrag(10, 10);
    mgr.SetFocus(a);
    Take();
    a->SetDisabled(true);
    EXPECT_EQ((Log{"A:leave", "A:lostfocus"}), Take());
    int lx, ly;
    EXPECT_EQ(nullptr, mgr.GetEnabledWidgetAt(10, 10, lx, ly));
    mgr.MouseMoveOrDrag(11, 11);
    EXPECT_EQ(nullptr, mgr.mOverWidget);
    a->SetDisabled(false);
    EXPECT_EQ((Log{"A:enter"}), Take());
    (void)back;
}

TEST_F(Manager, DrawScreenDrawsOnlyDirtyTopLevelWidgets)
{
    RecordingImage screen;
    mgr.mImage = &screen;
    Probe* a = Add("A", 0, 0, 50, 50);
    Add("B", 100, 0, 50, 50);
    EXPECT_TRUE(mgr.DrawScreen(nullptr));
    EXPECT_EQ(2u, screen.Of(DrawCall::FILL).size());
    screen.mCalls.clear();
    EXPECT_FALSE(mgr.DrawScreen(nullptr));
    EXPECT_TRUE(screen.mCalls.empty());
    a->SetDirty();
    EXPECT_TRUE(mgr.DrawScreen(nullptr));
    ASSERT_EQ(1u, screen.mCalls.size());
    EXPECT_EQ(Rect(0, 0, 50, 50), screen.mCalls[0].rect);
}

namespace
{
struct OverlayProbe : Probe
{
    std::vector<int>* mOrder;
    OverlayProbe(std::vector<int>* order) : Probe("o", nullptr, 0, 0, 10, 10), mOrder(order) {}
    void DrawOverlayWithPriority(Graphics*, int priority) override { mOrder->push_back(priority); }
};
} // namespace

TEST_F(Manager, DeferredOverlayFlushDrawsByPriorityAndEnds)
{
    RecordingImage screen;
    Graphics g(&screen);
    std::vector<int> order;
    OverlayProbe a(&order), b(&order), c(&order);
    mgr.mDeferredOverlays = {{&b, 2}, {&a, 1}, {&c, 3}};
    mgr.mMinDeferredOverlayPriority = 0x7FFFFFFF;
    mgr.FlushDeferredOverlays(&g, 3); // up to, not including, 3
    EXPECT_EQ((std::vector<int>{1, 2}), order);
    mgr.FlushDeferredOverlays(&g, 0x7FFFFFFF);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), order);
    EXPECT_TRUE(mgr.mDeferredOverlays.empty());
    EXPECT_EQ(0x7FFFFFFF, mgr.mMinDeferredOverlayPriority);
}

TEST_F(Manager, RemovingTheHeldWidgetLetsGoOfEverything)
{
    Probe* a = Add("A", 0, 0, 50, 50);
    Probe* other = Add("B", 100, 0, 50, 50);
    mgr.SetFocus(a);
    mgr.MouseDown(10, 10, 1);
    mgr.PushModalDefault(other);
    Take();
    mgr.RemoveWidget(a);
    EXPECT_EQ((Log{}), Take()); // the modal widget already took hover, press and focus
    mgr.PopModal(other);
    EXPECT_EQ(nullptr, mgr.GetFocusWidget()); // the saved focus left the tree

    mgr.AddWidget(a);
    mgr.SetFocus(a);
    mgr.MouseMoveOrDrag(10, 10);
    mgr.MouseDown(10, 10, 1);
    Take();
    mgr.RemoveWidget(a);
    EXPECT_EQ((Log{"A:leave", "A:up 10,10 b0 c1", "A:lostfocus"}), Take());
    EXPECT_EQ(nullptr, mgr.mLastDownWidget);
    EXPECT_EQ(0u, mgr.mDownButtons);
    EXPECT_EQ(nullptr, mgr.GetFocusWidget());
}

namespace
{

// Counts the hit tests that reach it.
class CountingProbe : public Probe
{
public:
    using Probe::Probe;
    int mHitTests = 0;
    bool IsPointVisible(int x, int y) override
    {
        mHitTests++;
        return Probe::IsPointVisible(x, y);
    }
};

// The same presses, as the window delivers them and as a move then a down.
Log PressesThroughTheWindow(bool window, int* hitTests)
{
    Log log;
    WidgetManager mgr(nullptr);
    mgr.SetMouseRects(Rect(0, 0, 200, 200), Rect(0, 0, 200, 200));
    CountingProbe a("A", &log, 0, 0, 50, 50);
    CountingProbe b("B", &log, 100, 0, 50, 50);
    mgr.AddWidget(&a);
    mgr.AddWidget(&b);
    auto press = [&](int x, int y, int clicks)
    {
        if (window)
            mgr.MousePress(x, y, clicks);
        else
        {
            mgr.MouseMoveOrDrag(x, y);
            mgr.MouseDown(x, y, clicks);
        }
    };
    press(10, 10, 1);
    *hitTests = a.mHitTests;
    press(110, 10, -1); // over B with A held
    mgr.MouseUp(110, 10, 1);
    mgr.MouseUp(110, 10, -1);
    press(120, 20, 2);
    log.push_back("last button " + std::to_string(mgr.mLastDownButtonId));
    mgr.RemoveAllWidgets(false, false);
    return log;
}

} // namespace

TEST(ManagerPress, WindowPressHitTestsOnceAndDeliversAsMoveThenDown)
{
    int windowHits = 0, separateHits = 0;
    Log window = PressesThroughTheWindow(true, &windowHits);
    Log separate = PressesThroughTheWindow(false, &separateHits);
    EXPECT_EQ(separate, window);
    EXPECT_EQ(1, windowHits);
    EXPECT_EQ(2, separateHits);
}
