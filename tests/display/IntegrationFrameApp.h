// A small application for the display integration tests: one widget fills
// its screen with a known colour, the tests run its main-loop steps
// themselves, and no system box can ever block it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/framework/graphics/DDTestSupport.h"

namespace FrameTest
{

using namespace Lumo;

class FillWidget : public Widget
{
public:
    Color mFill;
    int mPressX = -1, mPressY = -1; // where the last press landed
    void MouseDown(int x, int y, int button, int clicks) override
    {
        mPressX = x;
        mPressY = y;
        Widget::MouseDown(x, y, button, clicks);
    }
    void Draw(Graphics* g) override
    {
        g->SetColor(mFill);
        g->FillRect(0, 0, mWidth, mHeight);
    }
};

class FrameApp : public LumoAppBase
{
public:
    FillWidget* mFillWidget = nullptr;

    explicit FrameApp(bool windowed)
    {
        mProductName = "LumoIntegrationFrames";
        mRegKey = "Lumo Tests\\Integration Frames";
        mIsWindowed = windowed;
        mStartLoadingThread = false;
        mOnlyAllowOneCopy = false;
    }
    ~FrameApp() override
    {
        if (mFillWidget && mWidgetManager)
            mWidgetManager->RemoveWidget(mFillWidget);
        delete mFillWidget;
    }
    // A second copy of this program must never end the test process.
    void OnAlreadyRunning() override {}
    // No system box may ever block the run.
    int MsgBoxW(const std::wstring&, const std::wstring&, int) override { return IDOK; }
    int MsgBox(const std::string&, const std::string&, int) override { return IDOK; }
    void PopupW(const std::wstring&) override {}
    void Popup(const std::string&) override {}

    // The screen, or only `part` of it, takes the colour at the next frames.
    void Fill(const Color& color, const Rect* part = nullptr)
    {
        if (!mFillWidget)
        {
            mFillWidget = new FillWidget();
            mWidgetManager->AddWidget(mFillWidget);
            mFillWidget->Resize(0, 0, mWidth, mHeight);
        }
        mFillWidget->mFill = color;
        if (part)
            mFillWidget->SetDirtyArea(*part);
        else
            mFillWidget->SetDirty();
    }

    // Runs main-loop steps until the condition holds; false after `boundMs`.
    bool StepUntil(const std::function<bool()>& condition, DWORD boundMs)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < boundMs)
        {
            bool updated = false;
            StepApp(updated);
            if (condition())
                return true;
        }
        return condition();
    }

    // The start-up the main loop would do: InitApp leaves a window hidden.
    void Start()
    {
        InitApp();
        if (mHWnd)
        {
            ShowWindow(mHWnd, SW_SHOW);
            SetForegroundWindow(mHWnd);
        }
    }

    // Alt+Enter as the window receives it; the loop handles the queued key, and
    // what `meanwhile` sends waits behind it.
    void PressAltEnter(const std::function<void()>& meanwhile = nullptr)
    {
        SendMessageA(mHWnd, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
        if (meanwhile)
            meanwhile();
        StepUntil([&] { return mMessageQueue.empty(); }, 5000);
        SendMessageA(mHWnd, WM_SYSKEYUP, VK_RETURN, (1 << 29) | (3u << 30));
        StepUntil([&] { return mMessageQueue.empty(); }, 5000);
    }

    // The screen pixel at a point of the logical screen, once the steps show
    // the wanted colour there (or the bound has passed).
    uint32_t ShownAt(int x, int y, bool (*wanted)(uint32_t))
    {
        POINT p = {x, y};
        uint32_t value = 0;
        StepUntil(
            [&]
            {
                if (mIsPhysWindowed)
                {
                    p = {x, y};
                    ClientToScreen(mHWnd, &p);
                }
                value = DDTest::ScreenPixel(p.x, p.y);
                return wanted(value);
            },
            5000);
        return value;
    }
};

} // namespace FrameTest
