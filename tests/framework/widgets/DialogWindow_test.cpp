// Drives a framework dialog in the application's real window under Wine: the
// clicks are window messages posted to the main window, so they take the
// whole road through the window procedure, the input queue, the mouse
// scaling and the widget manager.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/app/LumoAppBase.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/WidgetManager.h"

using namespace Lumo;

namespace
{

class WindowApp : public LumoAppBase
{
public:
    int steps = 0;
    int stepLimit = 0;
    std::vector<int> clicked;

    WindowApp()
    {
        mProductName = "LumoWidgetWindowTest";
        mRegKey = "Lumo Tests\\Widget Window";
        mIsWindowed = true;
        mWidth = 640;
        mHeight = 480;
        mStartLoadingThread = false;
        mOnlyAllowOneCopy = false;
    }
    // A second copy of this program must never end the test process.
    void OnAlreadyRunning() override {}
    // A wait that never ends fails the test instead of hanging it.
    bool StepApp(bool& updated) override
    {
        if (stepLimit > 0 && ++steps > stepLimit)
            return false;
        return LumoAppBase::StepApp(updated);
    }
    void OnClicked(int id) override { clicked.push_back(id); }
    // No system box may ever block the run.
    int MsgBoxW(const std::wstring&, const std::wstring&, int) override { return IDOK; }
    int MsgBox(const std::string&, const std::string&, int) override { return IDOK; }
    void PopupW(const std::wstring&) override {}
    void Popup(const std::string&) override {}
};

LPARAM ClientPoint(WindowApp& app, Widget* w)
{
    // Widget coordinates to window client coordinates: the inverse of the
    // manager's mouse scaling.
    WidgetManager* m = app.mWidgetManager;
    int x = w->mX + w->mWidth / 2, y = w->mY + w->mHeight / 2;
    const Rect& d = m->mMouseDestRect;
    const Rect& s = m->mMouseSourceRect;
    if (d.mWidth != 0 && d.mHeight != 0)
    {
        x = (x - d.mX) * s.mWidth / d.mWidth + s.mX;
        y = (y - d.mY) * s.mHeight / d.mHeight + s.mY;
    }
    return MAKELPARAM(x, y);
}

} // namespace

TEST(DialogWindow, PostedClicksAnswerAModalDialog)
{
    WindowApp app;
    // Plain DirectDraw: the 3D questions at shutdown are system boxes.
    app.WriteRegistryBool("Is3D", false);
    app.InitApp();
    ASSERT_NE(nullptr, app.mHWnd);
    ASSERT_NE(nullptr, app.mWidgetManager);

    Dialog* d =
        app.DoDialog(7, true, L"Question", L"Pick one of the two answers.", L"", BUTTONS_YES_NO);
    ASSERT_NE(nullptr, d);
    ASSERT_NE(nullptr, d->mNoButton);
    EXPECT_EQ(d, app.mWidgetManager->mBaseModalWidget);

    // Other test programs may own the screen's active window meanwhile, and
    // a release while the application is inactive is no click: take the
    // activation back and try again, a bounded number of times.
    int result = DIALOG_NO_RESULT;
    bool updated = false;
    for (int attempt = 0; attempt < 5 && result == DIALOG_NO_RESULT; attempt++)
    {
        SetForegroundWindow(app.mHWnd);
        SetActiveWindow(app.mHWnd);
        app.steps = 0;
        app.stepLimit = 0;
        for (int i = 0; i < 50; i++) // lets the window settle and the dialog draw
            app.StepApp(updated);
        LPARAM at = ClientPoint(app, d->mNoButton);
        PostMessageW(app.mHWnd, WM_MOUSEMOVE, 0, at);
        PostMessageW(app.mHWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(app.mHWnd, WM_LBUTTONUP, 0, at);
        app.stepLimit = 2000;
        result = d->WaitForResult(false);
    }
    app.stepLimit = 0;
    EXPECT_EQ(ID_NO, result);
    app.KillDialog(7);
    EXPECT_EQ((std::vector<int>{7 + 3000}), app.clicked);
    EXPECT_EQ(nullptr, app.GetDialog(7));
    EXPECT_TRUE(app.mWidgetManager->IsModalStackEmpty());
    for (int i = 0; i < 10; i++) // lets the deferred deletion run
        app.StepApp(updated);
}
