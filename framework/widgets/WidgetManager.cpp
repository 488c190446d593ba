#include "framework/widgets/WidgetManager.h"

#include <algorithm>

#include <cstring>

#include "framework/app/AppHost.h"
#include "framework/diagnostics/Profiler.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"

namespace Lumo
{

WidgetManager::WidgetManager(AppHost* app) : mApp(app)
{
    mManager = this;
    std::memset(mKeyDown, 0, sizeof(mKeyDown));
}

WidgetManager::~WidgetManager() {}

uint32_t WidgetManager::ClickCodeBit(int clicks)
{
    if (clicks == 3)
        return 4;
    return clicks < 0 ? 2 : 1;
}

// ============================================================================
// References, focus and hover
// ============================================================================

void WidgetManager::DropWidgetReferences(Widget* w)
{
    if (w == nullptr)
        return;
    for (auto it = mRequestsWhileDrawing.begin(); it != mRequestsWhileDrawing.end();)
        it = it->first == w ? mRequestsWhileDrawing.erase(it) : it + 1;
    if (w == mOverWidget)
    {
        mOverWidget = nullptr;
        LeaveWidget(w);
    }
    if (w == mLastDownWidget)
    {
        mLastDownWidget = nullptr;
        ReleaseButtons(w, mDownButtons);
        mDownButtons = 0;
    }
    if (w == mFocusWidget)
    {
        mFocusWidget = nullptr;
        w->LostFocus();
    }
    if (w == mBaseModalWidget)
        mBaseModalWidget = nullptr;
}

void WidgetManager::SetFocus(Widget* w)
{
    if (w == mFocusWidget)
        return;
    Widget* old = mFocusWidget;
    mFocusWidget = nullptr;
    if (old != nullptr)
        old->LostFocus();
    if (w != nullptr && w->mManager == this)
    {
        mFocusWidget = w;
        if (mHasFocus)
            w->GotFocus();
    }
}

void WidgetManager::EnterWidget(Widget* w)
{
    w->mIsOver = true;
    w->MouseEnter();
    if (w->mDoFinger)
        w->ShowHoverCursor(true);
}

void WidgetManager::LeaveWidget(Widget* w)
{
    w->mIsOver = false;
    w->MouseLeave();
    if (w->mDoFinger)
        w->ShowHoverCursor(false);
}

void WidgetManager::ReleaseButtons(Widget* w, uint32_t bits)
{
    static const int kClicks[3] = {1, -1, 3};
    for (int i = 0; i < 3; i++)
    {
        if (bits & (1u << i))
        {
            w->mIsDown = false;
            w->MouseUpByClicks(mLastMouseX - w->mX, mLastMouseY - w->mY, kClicks[i]);
        }
    }
}

void WidgetManager::ReleaseHeldButtons()
{
    if (mLastDownWidget != nullptr && mDownButtons != 0)
    {
        Widget* w = mLastDownWidget;
        uint32_t bits = mDownButtons;
        mDownButtons = 0;
        mLastDownWidget = nullptr;
        ReleaseButtons(w, bits);
    }
}

uint32_t WidgetManager::GetWidgetFlags() const
{
    return mHasFocus ? mWidgetFlags : mLostFocusFlagsMod.Apply(mWidgetFlags);
}

WidgetPassFlags WidgetManager::MakePassFlags() const
{
    WidgetPassFlags pf;
    pf.mPassedBaseModal = mBaseModalWidget == nullptr;
    pf.mFlags = GetWidgetFlags();
    pf.mBelowFlags = mBelowModalFlagsMod.Apply(pf.mFlags);
    return pf;
}

Widget* WidgetManager::FindWidgetAt(int x, int y, int& localX, int& localY)
{
    bool found = false;
    return FindChildAt(x, y, GetWidgetFlags(), found, localX, localY);
}

Widget* WidgetManager::GetEnabledWidgetAt(int x, int y, int& localX, int& localY)
{
    Widget* w = FindWidgetAt(x, y, localX, localY);
    if (w != nullptr && w->mDisabled)
        return nullptr;
    return w;
}

void WidgetManager::MouseMove(int x, int y)
{
    int lx = 0, ly = 0;
    MoveTo(x, y, lx, ly);
}

Widget* WidgetManager::MoveTo(int x, int y, int& lx, int& ly)
{
    bool moved = x != mLastMouseX || y != mLastMouseY;
    mLastMouseX = x;
    mLastMouseY = y;
    Widget* w = GetEnabledWidgetAt(x, y, lx, ly);
    HoverOver(w, lx, ly, moved);
    return w;
}

void WidgetManager::HoverOver(Widget* w, int lx, int ly, bool moved)
{
    if (w == mOverWidget)
    {
        if (moved && w != nullptr)
            w->MouseMove(lx, ly);
        return;
    }
    Widget* old = mOverWidget;
    mOverWidget = nullptr;
    if (old != nullptr)
        LeaveWidget(old);
    mOverWidget = w;
    if (w != nullptr)
    {
        EnterWidget(w);
        w->MouseMove(lx, ly);
    }
}

void WidgetManager::RefreshMouseOver()
{
    if (mLastDownWidget == nullptr)
    {
        if (mMouseIn)
            MouseMove(mLastMouseX, mLastMouseY);
        return;
    }
    if (mOverWidget != nullptr)
    {
        int lx = 0, ly = 0;
        if (GetEnabledWidgetAt(mLastMouseX, mLastMouseY, lx, ly) != mLastDownWidget)
        {
            Widget* old = mOverWidget;
            mOverWidget = nullptr;
            LeaveWidget(old);
        }
    }
}

// ============================================================================
// Mouse entry points
// ============================================================================

void WidgetManager::SetMouseRects(const Rect& dest, const Rect& src)
{
    mMouseDestRect = dest;
    mMouseSourceRect = src;
    mWidth = dest.mWidth + 2 * dest.mX;
    mHeight = dest.mHeight + 2 * dest.mY;
}

void WidgetManager::ScaleMousePosition(int& x, int& y) const
{
    // A source rectangle of zero size (no display yet) maps nothing.
    if (mMouseSourceRect.mWidth != 0)
        x = (int)((int64_t)(x - mMouseSourceRect.mX) * mMouseDestRect.mWidth /
                  mMouseSourceRect.mWidth) +
            mMouseDestRect.mX;
    if (mMouseSourceRect.mHeight != 0)
        y = (int)((int64_t)(y - mMouseSourceRect.mY) * mMouseDestRect.mHeight /
                  mMouseSourceRect.mHeight) +
            mMouseDestRect.mY;
}

void WidgetManager::MouseMoveOrDrag(int x, int y)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (mDownButtons == 0)
    {
        mMouseIn = true;
        MouseMove(x, y);
    }
    else
        MouseDrag(x, y);
}

void WidgetManager::MouseDrag(int x, int y)
{
    int lx = 0, ly = 0;
    DragTo(x, y, lx, ly);
}

Widget* WidgetManager::DragTo(int x, int y, int& lx, int& ly)
{
    mLastInputUpdateCnt = mUpdateCnt;
    mMouseIn = true;
    mLastMouseX = x;
    mLastMouseY = y;
    if (mOverWidget != nullptr && mOverWidget != mLastDownWidget)
    {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    if (mLastDownWidget != nullptr)
    {
        WidgetPoint abs = mLastDownWidget->GetAbsPos();
        mLastDownWidget->MouseDrag(x - abs.mX, y - abs.mY);
    }
    Widget* w = GetEnabledWidgetAt(x, y, lx, ly);
    if (w != nullptr && w == mLastDownWidget)
    {
        if (mOverWidget == nullptr)
        {
            mOverWidget = w;
            EnterWidget(w);
        }
    }
    else if (mOverWidget != nullptr)
    {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    return w;
}

void WidgetManager::MouseDown(int x, int y, int clicks)
{
    uint32_t bit = NoteButtonDown(clicks);
    int lx = 0, ly = 0;
    Widget* w = MoveTo(x, y, lx, ly);
    PressAt(x, y, clicks, bit, w, lx, ly);
}

void WidgetManager::MousePress(int x, int y, int clicks)
{
    mLastInputUpdateCnt = mUpdateCnt;
    int lx = 0, ly = 0;
    Widget* w = nullptr;
    if (mDownButtons == 0)
    {
        mMouseIn = true;
        w = MoveTo(x, y, lx, ly);
    }
    else
    {
        // The press's own move finds the pointer where the drag left it.
        w = DragTo(x, y, lx, ly);
        HoverOver(w, lx, ly, false);
    }
    uint32_t bit = NoteButtonDown(clicks);
    PressAt(x, y, clicks, bit, w, lx, ly);
}

uint32_t WidgetManager::NoteButtonDown(int clicks)
{
    uint32_t bit = ClickCodeBit(clicks);
    mLastInputUpdateCnt = mUpdateCnt;
    mActualDownButtons |= bit;
    return bit;
}

void WidgetManager::PressAt(int x, int y, int clicks, uint32_t bit, Widget* w, int lx, int ly)
{
    // The hit of the move serves the press unless something changed the tree
    // since: the popup's removal, or a hover handler that dropped the widget.
    if (mPopupWidget != nullptr && !mPopupWidget->Contains(x, y))
    {
        RemovePopup();
        w = GetEnabledWidgetAt(x, y, lx, ly);
    }
    else if (w != mOverWidget)
        w = GetEnabledWidgetAt(x, y, lx, ly);
    Widget* target = mLastDownWidget != nullptr ? mLastDownWidget : w;
    if (target != w)
    {
        // A second button on the held widget: give it coordinates of its own.
        WidgetPoint abs = target->GetAbsPos();
        lx = x - abs.mX;
        ly = y - abs.mY;
    }
    mDownButtons |= bit;
    static const int kButtonIds[5] = {0, 1, -1, 0, 2}; // by button bit
    mLastDownButtonId = kButtonIds[bit];
    mLastDownWidget = target;
    if (target == nullptr)
        return;
    if (target->WantsFocus())
        SetFocus(target);
    // SetFocus runs user code that may drop the widget.
    if (mLastDownWidget != target)
        return;
    target->mIsDown = true;
    target->MouseDownByClicks(lx, ly, clicks);
}

void WidgetManager::MouseUp(int x, int y, int clicks)
{
    uint32_t bit = ClickCodeBit(clicks);
    mLastInputUpdateCnt = mUpdateCnt;
    mActualDownButtons &= ~bit;
    if (mLastDownWidget != nullptr && (mDownButtons & bit))
    {
        Widget* w = mLastDownWidget;
        mDownButtons &= ~bit;
        if (mDownButtons == 0)
            mLastDownWidget = nullptr;
        w->mIsDown = false;
        w->MouseUpByClicks(x - w->mX, y - w->mY, clicks);
    }
    else
        mDownButtons &= ~bit;
    MouseMove(x, y);
}

void WidgetManager::MouseExit()
{
    mLastInputUpdateCnt = mUpdateCnt;
    mMouseIn = false;
    if (mOverWidget != nullptr)
    {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
}

void WidgetManager::MouseWheel(int delta)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (mFocusWidget != nullptr)
        mFocusWidget->MouseWheel(delta);
}

// ============================================================================
// Keys and application focus
// ============================================================================

void WidgetManager::KeyChar(wchar_t c)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (c == 9 && mKeyDown[17])
    {
        if (mDefaultTab != nullptr)
            mDefaultTab->KeyChar(9);
        return;
    }
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyChar(c);
}

void WidgetManager::KeyDown(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < 255)
        mKeyDown[key] = true;
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyDown(key);
}

void WidgetManager::KeyUp(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < 255)
        mKeyDown[key] = false;
    if (key == 9 && mKeyDown[17])
        return;
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyUp(key);
}

void WidgetManager::AppGotFocus()
{
    if (mHasFocus)
        return;
    mHasFocus = true;
    if (mFocusWidget != nullptr)
        mFocusWidget->GotFocus();
}

void WidgetManager::AppLostFocus()
{
    if (!mHasFocus)
        return;
    mActualDownButtons = 0;
    for (int key = 0; key < 255; key++)
        if (mKeyDown[key])
            KeyUp(key);
    mHasFocus = false;
    if (mFocusWidget != nullptr)
        mFocusWidget->LostFocus();
}

// ============================================================================
// Modal stack and popup
// ============================================================================

void WidgetManager::SetBaseModal(Widget* w, const WidgetFlagMasks& masks)
{
    mBaseModalWidget = w;
    mBelowModalFlagsMod = masks;
    if (w == nullptr)
        return;
    if (masks.mRemoveFlags & WIDGETFLAGS_ALLOW_MOUSE)
    {
        if (mOverWidget != nullptr && IsBelow(mOverWidget, w))
        {
            Widget* old = mOverWidget;
            mOverWidget = nullptr;
            LeaveWidget(old);
        }
        if (mLastDownWidget != nullptr && IsBelow(mLastDownWidget, w))
        {
            Widget* old = mLastDownWidget;
            uint32_t bits = mDownButtons;
            mLastDownWidget = nullptr;
            mDownButtons = 0;
            ReleaseButtons(old, bits);
        }
    }
    if ((masks.mRemoveFlags & WIDGETFLAGS_ALLOW_FOCUS) && mFocusWidget != nullptr &&
        IsBelow(mFocusWidget, w))
    {
        Widget* old = mFocusWidget;
        mFocusWidget = nullptr;
        old->LostFocus();
    }
}

void WidgetManager::PushModal(Widget* w, const WidgetFlagMasks& masks)
{
    ModalStackEntry e;
    e.mWidget = w;
    e.mPrevBaseModalWidget = mBaseModalWidget;
    e.mPrevFocusWidget = mFocusWidget;
    e.mPrevBelowModalFlagsMod = mBelowModalFlagsMod;
    mModalStack.push_back(e);
    SetBaseModal(w, masks);
}

void WidgetManager::PushModalDefault(Widget* w)
{
    PushModal(w, mDefaultBelowModalFlagsMod);
}

void WidgetManager::PopModal(Widget* w)
{
    bool first = true;
    while (!mModalStack.empty())
    {
        ModalStackEntry e = mModalStack.back();
        if (first && e.mWidget != w)
            return;
        first = false;
        SetBaseModal(e.mPrevBaseModalWidget, e.mPrevBelowModalFlagsMod);
        if (mFocusWidget == nullptr)
        {
            mFocusWidget = e.mPrevFocusWidget;
            if (mFocusWidget != nullptr)
                mFocusWidget->GotFocus();
        }
        size_t before = mModalStack.size();
        mModalStack.pop_back();
        // Levels whose saved widget left the tree are stale; skip them too.
        if (e.mPrevBaseModalWidget != nullptr || before <= 1)
            return;
    }
}

void WidgetManager::RemovePopup()
{
    if (mPopupWidget == nullptr)
        return;
    Widget* w = mPopupWidget;
    mPopupWidget = nullptr;
    RemoveWidget(w);
}

// ============================================================================
// Passes
// ============================================================================

bool WidgetManager::UpdateFrame()
{
    ProfileZone zone("WidgetManager::UpdateFrame");
    WidgetPassFlags pf = MakePassFlags();
    mUpdateCnt++;
    mLastWMUpdateCount = mUpdateCnt;
    UpdateAll(pf);
    return mDirty;
}

bool WidgetManager::UpdateFrameWithFraction(float fraction)
{
    ProfileZone zone("WidgetManager::UpdateFrame");
    WidgetPassFlags pf = MakePassFlags();
    UpdateAllWithFraction(pf, fraction);
    return mDirty;
}

bool WidgetManager::DrawScreen(AppHost* app)
{
    ProfileZone zone("WidgetManager::DrawScreen");
    WidgetPassFlags pf = MakePassFlags();
    // A hidden widget keeps its dirty flag until it shows; it draws nothing now.
    std::vector<Widget*> dirty;
    for (Widget* w : mWidgets)
        if (w->mDirty && w->mVisible)
            dirty.push_back(w);

    mMinDeferredOverlayPriority = 0x7FFFFFFF;
    mDeferredOverlays.clear();
    mDrawnRegion.Clear();

    // The areas the requests covered, in the screen image's coordinates;
    // requests made while drawing wait for the next pass.
    std::vector<Rect> areas;
    Rect screenRect(0, 0, mImage != nullptr ? mImage->mWidth : 0,
                    mImage != nullptr ? mImage->mHeight : 0);
    for (const Rect& r : mDirtyRegion.GetRects())
    {
        Rect onScreen(r.mX - mMouseDestRect.mX, r.mY - mMouseDestRect.mY, r.mWidth, r.mHeight);
        if (DirtyRegion::Overlap(onScreen, screenRect))
            areas.push_back(onScreen.Intersection(screenRect));
    }
    mDirtyRegion.Clear();
    bool anyDirty = !dirty.empty() && !areas.empty();

    Graphics screen(mImage);
    mCurG = &screen;
    // A frame with nothing to draw leaves the surface alone: a lock is a round
    // trip to the display (under Wine it keeps its command thread spinning).
    DrawPassLock lock(anyDirty ? mImage : nullptr);
    bool drewSomething = false;
    mInDrawPass = true;
    if (anyDirty)
    {
        Graphics base(screen);
        base.Translate(-mMouseDestRect.mX, -mMouseDestRect.mY);
        bool is3D = mApp != nullptr && mApp->Is3DAccelerated();
        // Each area is drawn on its own, every dirty widget clipped to it: the
        // areas never overlap, so no pixel is drawn twice. Drawing may remove
        // widgets (a dialog's own handlers): walk a snapshot and skip anything
        // no longer attached.
        WidgetList snapshot = mWidgets;
        for (const Rect& area : areas)
        {
            WidgetPassFlags areaFlags = pf;
            Graphics clipped(base);
            clipped.SetClipRect(area.mX + mMouseDestRect.mX, area.mY + mMouseDestRect.mY,
                                area.mWidth, area.mHeight);
            for (Widget* w : snapshot)
            {
                if (w->mParent != this)
                    continue;
                if (w == mBaseModalWidget)
                    areaFlags.mPassedBaseModal = true;
                if (!w->mVisible || std::find(dirty.begin(), dirty.end(), w) == dirty.end() ||
                    IsChildOutsideClip(w, areaFlags.Current(), &clipped))
                    continue;
                Graphics g(clipped);
                g.SetFastStretch(!is3D);
                g.SetBilinearFilter(is3D);
                g.Translate(w->mX, w->mY);
                w->DrawAll(areaFlags, &g);
                drewSomething = true;
            }
            // The overlay goes over the widgets just drawn and nowhere else:
            // elsewhere it is still there from before.
            if (app != nullptr)
            {
                Graphics overlay(clipped);
                app->DrawOverlay(&overlay);
            }
            mDrawnRegion.Add(area);
        }
    }
    // The flags a whole draw of each dirty widget would have cleared, also for
    // widgets no area reached (their requests covered nothing on the screen).
    WidgetPassFlags clearFlags = pf;
    for (Widget* w : dirty)
        if (w->mParent == this)
            SkipChildDraw(w, clearFlags);
    mInDrawPass = false;
    std::vector<std::pair<Widget*, bool>> late;
    late.swap(mRequestsWhileDrawing);
    for (const std::pair<Widget*, bool>& request : late)
    {
        if (request.first->mManager != this)
            continue;
        if (request.second)
            request.first->SetDirtyOverlaps();
        else
            request.first->SetDirty();
    }
    if (!drewSomething)
        mDrawnRegion.Clear();
    FlushDeferredOverlays(&screen, 0x7FFFFFFF);
    mCurG = nullptr;
    return drewSomething;
}

void WidgetManager::AddDirtyArea(const Rect& area)
{
    mDirtyRegion.Add(area);
}

void WidgetManager::NoteRequestWhileDrawing(Widget* w, bool overlaps)
{
    if (!mInDrawPass)
        return;
    for (const std::pair<Widget*, bool>& request : mRequestsWhileDrawing)
        if (request.first == w && request.second == overlaps)
            return;
    mRequestsWhileDrawing.push_back(std::make_pair(w, overlaps));
}

void WidgetManager::FlushDeferredOverlays(Graphics* g, int upToPriority)
{
    // Every round draws the entries of the lowest queued priority and raises
    // the watermark past them, so each round strictly shrinks the queue and
    // the loop ends even when an overlay queues more.
    for (;;)
    {
        int minPriority = 0x7FFFFFFF;
        for (size_t i = 0; i < mDeferredOverlays.size(); i++)
        {
            DeferredOverlay& e = mDeferredOverlays[i];
            if (e.mWidget == nullptr)
                continue;
            if (e.mPriority == mMinDeferredOverlayPriority)
            {
                Widget* w = e.mWidget;
                e.mWidget = nullptr;
                Graphics* src = mCurG != nullptr ? mCurG : g;
                if (src != nullptr)
                {
                    Graphics og(*src);
                    og.Translate(-mMouseDestRect.mX, -mMouseDestRect.mY);
                    og.Translate(w->mX, w->mY);
                    w->DrawOverlayWithPriority(&og, mMinDeferredOverlayPriority);
                }
            }
            else if (mDeferredOverlays[i].mPriority < minPriority)
                minPriority = mDeferredOverlays[i].mPriority;
        }
        mMinDeferredOverlayPriority = minPriority;
        if (minPriority == 0x7FFFFFFF)
        {
            mDeferredOverlays.clear();
            return;
        }
        if (minPriority >= upToPriority)
            return;
    }
}

} // namespace Lumo
