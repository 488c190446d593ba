// The splash: slides in layout order, each ended by its effect or skipped by
// a key or a click (a slide its effect never hides waits for one), a slide
// whose picture cannot be read passed over, the
// game's cursor hidden while it plays, and the menus shown exactly once at
// its end however many clicks come during the last slide's fade.
#include <gtest/gtest.h>

#include "game/engine/KpCursorSet.h"
#include "game/engine/KpTextureManager.h"
#include "game/engine/KpXml.h"
#include "game/screens/KpBoard_Menu.h"
#include "game/screens/KpBoard_Splash.h"
#include "tests/game/screens/other/OtherScreensSupport.h"

using namespace OtherScreens;

namespace
{
// A main menu that counts its showings.
class CountingMenu : public KpDialog
{
public:
    CountingMenu() : KpDialog(nullptr, nullptr)
    {
        mWidth = 1024;
        mHeight = 768;
        SetVisible(false);
    }
    void OnShow() override { shown++; }
    int shown = 0;
};

class Splash : public ::testing::Test
{
protected:
    void SetUp() override
    {
        background = AddScreen(kBoardMenuBackground, new KpBoard_Menu(Engine(), LayoutRoot()));
        menu = AddScreen(kBoardMainMenu, new CountingMenu());
    }
    void TearDown() override { ClearScreens(); }

    KpBoard_Menu* background = nullptr;
    CountingMenu* menu = nullptr;
};
} // namespace

TEST_F(Splash, TheGamesSlidesPlayByThemselvesAndLeadToTheMenus)
{
    KpBoard_Splash* splash = AddScreen(kBoardSplash, new KpBoard_Splash(Engine(), LayoutRoot()));
    ASSERT_EQ(splash->slides.size(), 2u);
    splash->Show();
    RunUpdates(1);
    EXPECT_FALSE(KpCursorSet::IsShown());
    EXPECT_TRUE(splash->slides[0]->mVisible);
    // Each slide hides itself when its effect ends (under 3 s).
    RunUpdates(300);
    EXPECT_EQ(splash->current, 1);
    RunUpdates(300);
    EXPECT_FALSE(splash->mVisible);
    EXPECT_EQ(menu->shown, 1);
    EXPECT_TRUE(background->mVisible);
    EXPECT_TRUE(KpCursorSet::IsShown());
}

TEST_F(Splash, MissingPicturesArePassedOverAndTheMenusComeOnce)
{
    KpXmlDocument doc = XmlLoadBytes(
        "<ui><textures><texture name=\"test_lost_slide\" file=\"img\\nowhere\\lost.png\"/>"
        "</textures><layouts>"
        "<widget type=\"kpdialog\" name=\"splash\" x=\"0\" y=\"0\" w=\"1024\" h=\"768\" "
        "visible=\"0\">"
        "<widget type=\"kpwidget\" name=\"a\" w=\"1024\" h=\"768\" onshow=\"splash_slide\">"
        "<image texture=\"splash_studio\"/></widget>"
        "<widget type=\"kpwidget\" name=\"lost\" w=\"1024\" h=\"768\" onshow=\"splash_slide\">"
        "<image texture=\"test_lost_slide\"/></widget>"
        "<widget type=\"kptext\" name=\"no_picture\" w=\"300\" h=\"40\" text=\"hello\"/>"
        "<widget type=\"kpwidget\" name=\"b\" w=\"1024\" h=\"768\" onshow=\"splash_slide\">"
        "<image texture=\"splash_title\"/></widget>"
        "</widget></layouts></ui>",
        "splash with a lost slide");
    ASSERT_TRUE(doc);
    KpTextureManager::LoadConfig(doc.Get());
    KpXmlNode root = XmlSelectNode(doc.Get(), L"ui");
    KpBoard_Splash* splash = AddScreen(kBoardSplash, new KpBoard_Splash(Engine(), root.Get()));
    ASSERT_EQ(splash->slides.size(), 3u) << "a child without a picture is no slide";
    EXPECT_FALSE(splash->FindChild("no_picture")->mVisible);

    splash->Show();
    RunUpdates(5);
    EXPECT_TRUE(splash->slides[0]->mVisible);
    PressKey(VK_SPACE);
    RunUpdates(2);
    EXPECT_EQ(splash->current, 2) << "the lost slide is passed over";
    EXPECT_TRUE(splash->slides[2]->mVisible);

    // Into the last slide's fade-out, then clicks, clicks and keys.
    RunUpdates(240);
    ASSERT_TRUE(splash->slides[2]->mVisible);
    Click(splash->slides[2]);
    Click(splash->slides[2]);
    PressKey(VK_RETURN);
    RunUpdates(5);
    Click(splash);
    PressKey(VK_ESCAPE);
    RunUpdates(60);
    EXPECT_FALSE(splash->mVisible);
    EXPECT_EQ(menu->shown, 1);
    EXPECT_TRUE(KpCursorSet::IsShown());
}

TEST_F(Splash, ASlideItsEffectNeverHidesWaitsForAClickOrAKey)
{
    KpXmlDocument doc = XmlLoadBytes(
        "<ui><layouts><widget type=\"kpdialog\" name=\"splash\" x=\"0\" y=\"0\" w=\"1024\" "
        "h=\"768\" visible=\"0\">"
        "<widget type=\"kpwidget\" name=\"shown\" w=\"1024\" h=\"768\" onshow=\"dialog_in\">"
        "<image texture=\"splash_studio\"/></widget>"
        "<widget type=\"kpwidget\" name=\"bare\" w=\"1024\" h=\"768\">"
        "<image texture=\"splash_title\"/></widget>"
        "</widget></layouts></ui>",
        "splash whose slides stay");
    ASSERT_TRUE(doc);
    KpXmlNode root = XmlSelectNode(doc.Get(), L"ui");
    KpBoard_Splash* splash = AddScreen(kBoardSplash, new KpBoard_Splash(Engine(), root.Get()));
    ASSERT_EQ(splash->slides.size(), 2u);
    splash->Show();
    // A minute: the slide's effect is long over, and the slide stays.
    RunUpdates(6000);
    EXPECT_EQ(splash->current, 0);
    EXPECT_TRUE(splash->slides[0]->mVisible);
    Click(splash->slides[0]);
    RunUpdates(2);
    EXPECT_EQ(splash->current, 1);
    // A slide without an effect stays as well, until a key.
    RunUpdates(6000);
    EXPECT_TRUE(splash->slides[1]->mVisible);
    EXPECT_EQ(menu->shown, 0);
    PressKey(VK_SPACE);
    RunUpdates(2);
    EXPECT_FALSE(splash->mVisible);
    EXPECT_EQ(menu->shown, 1);
    EXPECT_TRUE(KpCursorSet::IsShown());
}
