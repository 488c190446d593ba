// Show and hide through effect scripts on the update clock: the hooks, alpha
// and scale at chosen updates, the end states, interruptions by SetVisible and
// by the opposite effect and by leaving view, and images held only while
// visible in the tree.
#include "game/ui/KpCandyWidget.h"

#include <gtest/gtest.h>

#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpTextureManager.h"
#include "game/scene/KpFrameClock.h"
#include "game/scene/KpTexture.h"
#include "tests/game/ui/UiTestSupport.h"

namespace
{
class Hooked : public KpCandyWidget
{
public:
    Hooked()
    {
        Resize(0, 0, 100, 50);
        SetEffect("onshow", "dialog_in");
        SetEffect("onhide", "dialog_out");
        SetVisible(false);
    }
    void OnShow() override
    {
        shows++;
        visibleAtOnShow = mVisible;
    }
    void OnHide() override { hides++; }
    void Step(int updates)
    {
        for (int i = 0; i < updates; i++)
            Update();
    }
    int shows = 0, hides = 0;
    bool visibleAtOnShow = true;
};
} // namespace

TEST(KpShowHide, ShowAndHidePlayTheirScriptsOnTheUpdateClock)
{
    Hooked w;
    w.Show();
    EXPECT_EQ(w.shows, 1);
    EXPECT_FALSE(w.visibleAtOnShow); // the hook runs before the effect
    EXPECT_TRUE(w.mVisible);
    EXPECT_FLOAT_EQ(w.GetAlpha(), 0.0f);
    EXPECT_FLOAT_EQ(w.GetScale(), 0.9f);
    w.Step(13); // 130 ms of 250, ease out
    EXPECT_NEAR(w.GetAlpha(), 1.0f - 0.48f * 0.48f, 1e-4);
    EXPECT_NEAR(w.GetScale(), 0.9f + 0.1f * (1.0f - 0.48f * 0.48f), 1e-4);
    w.Step(12);
    EXPECT_FALSE(w.IsEffectRunning());
    EXPECT_FLOAT_EQ(w.GetAlpha(), 1.0f);
    EXPECT_FLOAT_EQ(w.GetScale(), 1.0f);

    w.Hide();
    EXPECT_EQ(w.hides, 1);
    w.Step(10); // 100 ms of 200, ease in
    EXPECT_TRUE(w.mVisible);
    EXPECT_NEAR(w.GetAlpha(), 0.75f, 1e-4);
    w.Step(10);
    EXPECT_FALSE(w.mVisible);
    // Hidden at rest: shown again without an effect it looks as before.
    EXPECT_FLOAT_EQ(w.GetAlpha(), 1.0f);
    EXPECT_FLOAT_EQ(w.GetScale(), 1.0f);

    // The clock is the update's frame time, whatever it is.
    KpSetFrameTimeOverride(50);
    w.Show();
    w.Step(5);
    KpSetFrameTimeOverride(0);
    EXPECT_FALSE(w.IsEffectRunning());
}

TEST(KpShowHide, InterruptedShowOrHideLeavesTheWidgetConsistent)
{
    Hooked w;
    w.Show();
    w.Step(5);
    w.SetVisible(false);
    EXPECT_FALSE(w.mVisible);
    EXPECT_FALSE(w.IsEffectRunning());
    EXPECT_FLOAT_EQ(w.GetAlpha(), 1.0f);
    EXPECT_FLOAT_EQ(w.GetScale(), 1.0f);

    // A hide cut short by SetVisible(true): visible, at rest.
    w.SetVisible(true);
    w.Hide();
    w.Step(7);
    w.SetVisible(true);
    EXPECT_TRUE(w.mVisible);
    EXPECT_FALSE(w.IsEffectRunning());
    EXPECT_FLOAT_EQ(w.GetAlpha(), 1.0f);
    w.Step(30);
    EXPECT_TRUE(w.mVisible); // the old hide does not come back

    // The opposite effect: hide during show, then show during hide.
    w.SetVisible(false);
    w.Show();
    w.Step(5);
    w.Hide();
    EXPECT_TRUE(w.mVisible);
    EXPECT_FLOAT_EQ(w.GetAlpha(), 1.0f); // the hide starts from the shown state
    w.Step(5);
    w.Show();
    EXPECT_TRUE(w.mVisible);
    EXPECT_FLOAT_EQ(w.GetAlpha(), 0.0f);
    w.Step(25);
    EXPECT_TRUE(w.mVisible);
    EXPECT_FLOAT_EQ(w.GetAlpha(), 1.0f);
    EXPECT_FLOAT_EQ(w.GetScale(), 1.0f);

    // Hiding a hidden widget runs its hook but no effect.
    w.SetVisible(false);
    w.Hide();
    EXPECT_FALSE(w.IsEffectRunning());
    EXPECT_FALSE(w.mVisible);

    EXPECT_FALSE(w.RunEffect("onnothing"));
    EXPECT_TRUE(w.RunEffect("onshow")); // by name, without the show's visibility rules
}

// A hidden screen updates none of its children: a fade-out on one would stand
// still and play on when the screen shows again.
TEST(KpShowHide, FadeOutEndsHiddenWhenOutOfView)
{
    Lumo::WidgetManager manager(nullptr);
    KpCandyWidget* screen = new KpCandyWidget();
    Hooked* box = new Hooked();
    screen->AddChild("box", box);
    manager.AddWidget(screen);

    box->SetVisible(true);
    box->Hide();
    box->Step(5);
    screen->SetVisible(false); // the screen goes while its box fades out
    screen->SetVisible(true);
    EXPECT_FALSE(box->mVisible);
    EXPECT_FALSE(box->IsEffectRunning());
    EXPECT_FLOAT_EQ(box->GetAlpha(), 1.0f);

    box->SetVisible(true);
    screen->SetVisible(false);
    box->Hide(); // hidden while its screen is away
    EXPECT_EQ(box->hides, 2);
    EXPECT_FALSE(box->mVisible);
    EXPECT_FALSE(box->IsEffectRunning());

    manager.RemoveWidget(screen);
    delete screen;
}

TEST(KpShowHide, ImagesAreHeldOnlyWhileVisibleInTheTree)
{
    Lumo::WidgetManager manager(nullptr);
    KpCandyWidget* screen = new KpCandyWidget();
    KpCandyWidget* icon = new KpCandyWidget();
    icon->AddImage(0, new KpTexture(KpTextureManager::GetImage("icon_clean")));
    screen->AddChild("icon", icon);
    KpImageHandle clean = KpTextureManager::GetImage("icon_clean");
    EXPECT_EQ(clean.GetImage(), nullptr); // not in a manager's tree

    manager.AddWidget(screen);
    ASSERT_NE(clean.GetImage(), nullptr);
    EXPECT_EQ(clean.GetImage()->mWidth, 64);

    screen->SetVisible(false);
    EXPECT_EQ(clean.GetImage(), nullptr);
    icon->SetVisible(false);
    screen->SetVisible(true);
    EXPECT_EQ(clean.GetImage(), nullptr);
    icon->SetVisible(true);
    EXPECT_NE(clean.GetImage(), nullptr);

    // A picture set while on view is held at once; the one it replaced is let go.
    KpImageHandle mega = KpTextureManager::GetImage("icon_mega");
    icon->SetStateImage(0, mega, Lumo::Rect(0, 0, 32, 32));
    EXPECT_NE(mega.GetImage(), nullptr);
    EXPECT_EQ(clean.GetImage(), nullptr);
    EXPECT_EQ(icon->GetImage(0, 0)->GetSourceRect(), Lumo::Rect(0, 0, 32, 32));

    manager.RemoveWidget(screen);
    EXPECT_EQ(mega.GetImage(), nullptr);
    delete screen;
}
