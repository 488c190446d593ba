#include <gtest/gtest.h>

#include <functional>

#include "WidgetTestSupport.h"
#include "framework/app/LumoAppBase.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/WidgetManager.h"

using namespace Lumo;
using namespace WidgetTest;

namespace
{

typedef std::vector<std::string> Log;

// An application whose steps run a script instead of a window and a loop,
// with a one-entry dialog registry of its own.
class ScriptApp : public LumoAppBase
{
public:
    Log log;
    int steps = 0;
    std::function<bool(int)> onStep; // step number -> keep running
    Dialog* registered = nullptr;
    int killed = -1;

    bool StepApp(bool& updated) override
    {
        updated = true;
        steps++;
        if (steps > 1000)
            return false; // a stuck wait fails the test instead of hanging it
        return onStep ? onStep(steps) : true;
    }
    Dialog* GetDialog(int id) override
    {
        return registered != nullptr && registered->mId == id ? registered : nullptr;
    }
    bool KillDialog(int id) override
    {
        killed = id;
        return true;
    }
    void OnDialogButtonPressed(int dialogId, int buttonId) override
    {
        log.push_back("pressed " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    void OnDialogButtonClicked(int dialogId, int buttonId) override
    {
        log.push_back("clicked " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
};

struct DialogFixture : ::testing::Test
{
    ScriptApp app;
    WidgetManager mgr{&app};
    TestFont font;

    void SetUp() override { mgr.SetMouseRects(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600)); }
    void TearDown() override { mgr.RemoveAllWidgets(false, false); }

    Dialog* Make(int mode, Image* buttonImage = nullptr, const std::wstring& footer = L"")
    {
        Dialog* d = new Dialog(nullptr, buttonImage, 5, true, L"Head", L"Some lines", footer, mode);
        d->SetHeaderFont(&font);
        d->SetLinesFont(&font);
        d->SetButtonFont(&font);
        return d;
    }
    void Click(Widget* w)
    {
        int x = w->mX + w->mWidth / 2, y = w->mY + w->mHeight / 2;
        mgr.MouseMoveOrDrag(x, y);
        mgr.MouseDown(x, y, 1);
        mgr.MouseUp(x, y, 1);
    }
};

} // namespace

TEST_F(DialogFixture, TwoButtonsShareTheWidthBetweenTheInsets)
{
    Dialog* d = Make(BUTTONS_YES_NO);
    d->Resize(100, 50, 400, 200);
    ASSERT_NE(nullptr, d->mNoButton);
    EXPECT_EQ(L"YES", d->mYesButton->mLabel);
    EXPECT_EQ(L"NO", d->mNoButton->mLabel);
    // half = (400 - 24 - 24 - 8) / 2 = 172; y = 50 + 200 - 24 - 24
    EXPECT_EQ(Rect(124, 202, 172, 24), d->mYesButton->GetRect());
    EXPECT_EQ(Rect(304, 202, 172, 24), d->mNoButton->GetRect());
    d->mButtonSidePadding = 5;
    d->mBackgroundInsetBottom = 3;
    d->Resize(100, 50, 401, 200);
    EXPECT_EQ(Rect(129, 199, 167, 24), d->mYesButton->GetRect());
    EXPECT_EQ(Rect(304, 199, 167, 24), d->mNoButton->GetRect());
    delete d;
}

TEST_F(DialogFixture, FooterModeHasOneFullWidthButton)
{
    Dialog* d = Make(BUTTONS_FOOTER, nullptr, L"Continue");
    d->Resize(0, 0, 400, 200);
    EXPECT_EQ(nullptr, d->mNoButton);
    EXPECT_EQ(L"Continue", d->mYesButton->mLabel);
    EXPECT_EQ(Rect(24, 152, 352, 24), d->mYesButton->GetRect());
    // The footer is the button's label, not a text line.
    std::vector<DrawnText> text;
    TestFont logging(&text);
    d->SetHeaderFont(&logging);
    d->SetLinesFont(&logging);
    RecordingImage screen;
    Graphics g(&screen);
    d->Draw(&g);
    for (const DrawnText& t : text)
        EXPECT_NE(L"Continue", t.text);
    delete d;
}

TEST_F(DialogFixture, PreferredHeightAddsTheParts)
{
    Dialog* d = Make(BUTTONS_OK_CANCEL, nullptr, L"Foot");
    EXPECT_EQ(L"OK", d->mYesButton->mLabel);
    // insets 48; header 14 - 1; space 10; one line 16 (plus line spacing
    // reckoning of the wrapper); footer 8 + 16; buttons 8 + 24 + 8
    Graphics g(nullptr);
    g.SetFont(&font);
    int lines = d->GetWordWrappedHeight(&g, 400 - 48 - 4, L"Some lines", 16);
    EXPECT_EQ(48 + 13 + 10 + lines + 8 + 16 + 8 + 24 + 8, d->GetPreferredHeight(400));
    delete d;
}

TEST_F(DialogFixture, DrawnBoxAndTextColours)
{
    std::vector<DrawnText> text;
    TestFont logging(&text);
    Dialog* d = Make(BUTTONS_NONE, nullptr, L"Foot");
    d->SetHeaderFont(&logging);
    d->SetLinesFont(&logging);
    d->Resize(0, 0, 300, 150);
    RecordingImage screen;
    Graphics g(&screen);
    d->Draw(&g);
    std::vector<DrawCall> fills = screen.Of(DrawCall::FILL);
    ASSERT_GE(fills.size(), 3u);
    EXPECT_EQ(Rect(13, 13, 274, 124), fills[0].rect);
    EXPECT_EQ(Color(80, 80, 80), fills[0].color);
    EXPECT_EQ(Color(0, 0, 0, 128), fills[1].color);
    ASSERT_EQ(1u, screen.Of(DrawCall::RECT).size());
    EXPECT_EQ(Color(255, 255, 255), screen.Of(DrawCall::RECT)[0].color);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(L"Head", text[0].text);
    EXPECT_EQ(24 + 10 - 1, text[0].y); // baseline: content top + ascent - padding
    EXPECT_EQ(Color(255, 255, 255), text[0].color);
    EXPECT_EQ(Color(255, 255, 0), text[1].color);
    EXPECT_EQ(L"Foot", text.back().text);
    delete d;
}

TEST_F(DialogFixture, MissingButtonImageDoesNotRecolourLaterDialogs)
{
    Dialog* plain = Make(BUTTONS_YES_NO);
    EXPECT_EQ(Color(0, 0, 0), plain->mYesButton->GetColor(0));
    EXPECT_EQ(Color(0, 0, 0), plain->mNoButton->GetColor(1));
    SizedImage buttonImage(90, 30);
    Dialog* skinned = Make(BUTTONS_YES_NO, &buttonImage);
    EXPECT_EQ(30, skinned->mButtonHeight);
    EXPECT_EQ(Color(255, 255, 255), skinned->GetColor(3));
    EXPECT_EQ(Color(255, 255, 255), skinned->mYesButton->GetColor(0));
    EXPECT_EQ(Color(255, 255, 255), skinned->mYesButton->GetColor(1));
    skinned->SetColor(3, Color(1, 2, 3));
    EXPECT_EQ(Color(1, 2, 3), skinned->mNoButton->GetColor(0));
    delete plain;
    delete skinned;
}

TEST_F(DialogFixture, ClickingNoReportsPressOnceAndClickOnce)
{
    Dialog* d = Make(BUTTONS_YES_NO);
    d->Resize(100, 100, 400, 200);
    mgr.AddWidget(d);
    ASSERT_TRUE(mgr.HasWidget(d->mNoButton)); // siblings, not children
    Click(d->mNoButton);
    EXPECT_EQ((Log{"pressed 5 1001", "clicked 5 1001"}), app.log);
    EXPECT_EQ(ID_NO, d->mResult);
    mgr.RemoveWidget(d);
    EXPECT_FALSE(mgr.HasWidget(d->mYesButton));
    EXPECT_FALSE(mgr.HasWidget(d->mNoButton));
    delete d;
}

TEST_F(DialogFixture, ButtonsStayInFrontWhenTheDialogMoves)
{
    Dialog* d = Make(BUTTONS_YES_NO);
    Widget other;
    d->Resize(100, 100, 400, 200);
    mgr.AddWidget(d);
    mgr.AddWidget(&other);
    mgr.BringToFront(d);
    std::vector<Widget*> order(mgr.mWidgets.begin(), mgr.mWidgets.end());
    ASSERT_EQ(4u, order.size());
    EXPECT_EQ(&other, order[0]);
    EXPECT_EQ(d, order[1]);
    mgr.RemoveWidget(&other);
    mgr.RemoveWidget(d);
    delete d;
}

TEST_F(DialogFixture, DragStopsEightPixelsOffScreen)
{
    Dialog* d = Make(BUTTONS_NONE);
    d->Resize(100, 100, 400, 200);
    mgr.AddWidget(d);
    mgr.MouseMoveOrDrag(150, 120);
    mgr.MouseDown(150, 120, 1); // grab at (50, 20)
    EXPECT_TRUE(d->mDragging);
    mgr.MouseMoveOrDrag(-1000, 120);
    EXPECT_EQ(-8, d->mX);
    EXPECT_EQ(100, d->mY);
    EXPECT_GE(d->mDragMouseX, 8);
    mgr.MouseMoveOrDrag(5000, 5000);
    EXPECT_EQ(800 - 400 + 8, d->mX);
    EXPECT_EQ(600 - 200 + 8, d->mY);
    EXPECT_LE(d->mDragMouseX, 400 - 9);
    EXPECT_LE(d->mDragMouseY, 200 - 9);
    mgr.MouseMoveOrDrag(-5000, -5000);
    EXPECT_EQ(-8, d->mX);
    EXPECT_EQ(-8, d->mY);
    EXPECT_EQ(8, d->mDragMouseX);
    EXPECT_EQ(8, d->mDragMouseY);
    mgr.MouseUp(-5000, -5000, 1);
    EXPECT_FALSE(d->mDragging);
    mgr.RemoveWidget(d);
    delete d;
}

TEST_F(DialogFixture, WaitForResultReturnsAScriptedClick)
{
    Dialog* d = Make(BUTTONS_YES_NO);
    d->Resize(100, 100, 400, 200);
    mgr.AddWidget(d);
    app.registered = d;
    app.onStep = [&](int step)
    {
        if (step == 3)
            Click(d->mYesButton);
        return true;
    };
    EXPECT_EQ(ID_YES, d->WaitForResult(true));
    EXPECT_EQ(3, app.steps);
    EXPECT_EQ(5, app.killed);
    mgr.RemoveWidget(d);
    delete d;
}

TEST_F(DialogFixture, WaitForResultEndsWhenTheDialogIsRemoved)
{
    Dialog* d = Make(BUTTONS_YES_NO);
    Dialog* successor = Make(BUTTONS_OK_CANCEL); // takes the id meanwhile
    mgr.AddWidget(d);
    app.onStep = [&](int step)
    {
        if (step == 2)
        {
            mgr.RemoveWidget(d);
            app.registered = successor;
        }
        return true;
    };
    EXPECT_EQ(DIALOG_NO_RESULT, d->WaitForResult(true));
    EXPECT_EQ(2, app.steps);
    EXPECT_EQ(-1, app.killed); // the successor is left alone
    delete d;
    delete successor;
}

TEST_F(DialogFixture, WaitForResultSurvivesTheDialogsDeletion)
{
    Dialog* d = Make(BUTTONS_YES_NO);
    d->Resize(100, 100, 400, 200);
    mgr.AddWidget(d);
    app.registered = d;
    app.onStep = [&](int step)
    {
        if (step == 2)
        {
            mgr.RemoveWidget(d);
            app.registered = nullptr;
            delete d;
        }
        return true;
    };
    EXPECT_EQ(DIALOG_NO_RESULT, d->WaitForResult(true));
    EXPECT_EQ(-1, app.killed);

    // A click handler that removes and deletes its dialog keeps the answer.
    Dialog* e = Make(BUTTONS_YES_NO);
    e->Resize(100, 100, 400, 200);
    mgr.AddWidget(e);
    app.steps = 0;
    app.onStep = [&](int step)
    {
        if (step == 1)
        {
            Click(e->mNoButton);
            mgr.RemoveWidget(e);
            delete e;
        }
        return true;
    };
    EXPECT_EQ(ID_NO, e->WaitForResult(false));
}

TEST_F(DialogFixture, WaitForResultEndsWhenTheApplicationStops)
{
    Dialog* d = Make(BUTTONS_YES_NO);
    mgr.AddWidget(d);
    app.onStep = [](int step) { return step < 4; };
    EXPECT_EQ(DIALOG_NO_RESULT, d->WaitForResult(false));
    EXPECT_EQ(4, app.steps);
    mgr.RemoveWidget(d);
    delete d;
}
