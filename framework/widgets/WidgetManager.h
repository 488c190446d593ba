// Lumo::WidgetManager: the root of the widget tree and the only road by which
// input reaches widgets. The application feeds it scaled mouse events, keys,
// its own focus changes, one logic pass per update and one draw pass per
// frame. It tracks the hover, pressed and focus widgets, the held buttons and
// keys, a stack of modal widgets whose masks limit what lies behind them, a
// popup, and the deferred overlays. Main thread only.
#pragma once

#include <cstdint>
#include <list>
#include <utility>
#include <vector>

#include "framework/widgets/DirtyRegion.h"
#include "framework/widgets/WidgetContainer.h"

namespace Lumo
{

class Image;
class AppHost;

// One level of the modal stack: what to restore when the widget is popped.
struct ModalStackEntry
{
    Widget* mWidget = nullptr;
    Widget* mPrevBaseModalWidget = nullptr; // cleared when it leaves the tree
    Widget* mPrevFocusWidget = nullptr;     // cleared when it leaves the tree
    WidgetFlagMasks mPrevBelowModalFlagsMod;
};

struct DeferredOverlay
{
    Widget* mWidget;
    int mPriority;
};

class WidgetManager : public WidgetContainer
{
public:
    explicit WidgetManager(AppHost* app);
    ~WidgetManager() override;

    // --- Overrides of the container
    void DropWidgetReferences(Widget* w) override;
    void SetFocus(Widget* w) override;

    // --- Entry points of the application
    // Destination: widget coordinates the picture maps to; source: window area.
    void SetMouseRects(const Rect& dest, const Rect& src);
    void ScaleMousePosition(int& x, int& y) const;
    void MouseMoveOrDrag(int x, int y);
    // clicks: above 0 (not 3) left with that many clicks, below 0 right, 3 middle.
    // The pointer moves to (x, y) first.
    void MouseDown(int x, int y, int clicks);
    // A press as the window reports it: the pointer moves, or drags when a
    // button is held, to (x, y), then MouseDown's press; one hit test serves both.
    void MousePress(int x, int y, int clicks);
    void MouseUp(int x, int y, int clicks);
    void MouseExit();
    void MouseWheel(int delta);
    void KeyChar(wchar_t c);
    void KeyDown(int key);
    void KeyUp(int key);
    void AppGotFocus();
    void AppLostFocus();
    void ReleaseHeldButtons();
    // Returns the root's dirty flag (set by the first repaint request ever).
    bool UpdateFrame();
    bool UpdateFrameWithFraction(float fraction);
    // True when at least one widget was drawn. The dirty widgets are drawn
    // only inside the areas the repaint requests since the last pass covered.
    bool DrawScreen(AppHost* app);
    // The screen image's area the last DrawScreen drew (empty when it drew nothing).
    const DirtyRegion& GetDrawnRegion() const { return mDrawnRegion; }
    // A screen area (manager coordinates) to draw again at the next pass.
    void AddDirtyArea(const Rect& area);
    // A repaint request made while the pass draws (a label that finds its text
    // changed as it draws): the pass clears the flags it set when it ends, so
    // the request is made again then and drawn by the next pass.
    void NoteRequestWhileDrawing(Widget* w, bool overlaps);

    // --- Operations used by widgets and dialogs
    void PushModal(Widget* w, const WidgetFlagMasks& belowModalMasks);
    void PushModalDefault(Widget* w);
    // Pops w's entry when it is on top, then any stale levels below it.
    void PopModal(Widget* w);
    void SetBaseModal(Widget* w, const WidgetFlagMasks& belowModalMasks);
    void RefreshMouseOver();
    void MouseMove(int x, int y);
    void MouseDrag(int x, int y);
    Widget* FindWidgetAt(int x, int y, int& localX, int& localY);
    // As FindWidgetAt, but null when the hit widget is disabled.
    Widget* GetEnabledWidgetAt(int x, int y, int& localX, int& localY);
    uint32_t GetWidgetFlags() const;
    WidgetPassFlags MakePassFlags() const;
    void RemovePopup();
    void FlushDeferredOverlays(Graphics* g, int upToPriority);

    // The pointer moves (drags) to (x, y); returns the enabled widget hit there
    // with the position inside it. The hit test of a mouse event.
    Widget* MoveTo(int x, int y, int& localX, int& localY);
    Widget* DragTo(int x, int y, int& localX, int& localY);
    // The hover follows the pointer onto w, the widget hit at its position.
    void HoverOver(Widget* w, int localX, int localY, bool moved);
    // The press part of MouseDown, on w, the widget the move hit.
    uint32_t NoteButtonDown(int clicks);
    void PressAt(int x, int y, int clicks, uint32_t bit, Widget* w, int localX, int localY);

    void EnterWidget(Widget* w);
    void LeaveWidget(Widget* w);
    // Sends MouseUpByClicks for each of the bits 1, 2, 4 present in bits.
    void ReleaseButtons(Widget* w, uint32_t bits);

    // --- Queries
    Widget* GetFocusWidget() const { return mFocusWidget; }
    bool IsModalStackEmpty() const { return mModalStack.empty(); }
    bool IsKeyDown(int key) const { return key >= 0 && key < 255 && mKeyDown[key]; }
    uint32_t GetFrameCount() const { return mUpdateCnt; }
    // Button bit of a click code: 1 left, 2 right, 4 middle.
    static uint32_t ClickCodeBit(int clicks);

    // --- Data
    Widget* mDefaultTab = nullptr;  // receives Ctrl+Tab characters
    Graphics* mCurG = nullptr;      // screen Graphics while DrawScreen runs
    AppHost* mApp;                  // cursor, 3D query and overlay hook
    Image* mImage = nullptr;        // screen image; set by the application
    Widget* mPopupWidget = nullptr; // removed by a press outside it
    std::vector<DeferredOverlay> mDeferredOverlays;
    int mMinDeferredOverlayPriority = 0x7FFFFFFF; // lowest priority still queued
    bool mHasFocus = true;                        // the application window is active
    Widget* mFocusWidget = nullptr;               // receives keys and the wheel
    Widget* mLastDownWidget = nullptr;            // took the last press and still has buttons held
    Widget* mOverWidget = nullptr;                // under the pointer
    Widget* mBaseModalWidget = nullptr;           // top modal widget
    WidgetFlagMasks mLostFocusFlagsMod;           // applied while the application lacks focus
    WidgetFlagMasks mBelowModalFlagsMod;          // applied to widgets behind the base-modal one
    WidgetFlagMasks mDefaultBelowModalFlagsMod{0,
                                               WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS};
    std::list<ModalStackEntry> mModalStack; // back is the top
    Rect mMouseDestRect;                    // widget coordinates
    Rect mMouseSourceRect;                  // window coordinates
    bool mMouseIn = false;                  // pointer inside the window
    int mLastMouseX = 0, mLastMouseY = 0;   // widget coordinates
    uint32_t mDownButtons = 0; // held through the manager, owned by the down widget: 1 L, 2 R, 4 M
    uint32_t mActualDownButtons = 0;  // every button held; cleared by releases and focus loss
    uint32_t mLastInputUpdateCnt = 0; // frame count at the last mouse or key event
    bool mKeyDown[255];               // keys held, by key code
    int mLastDownButtonId = 0;        // last press: 1 left, -1 right, 2 middle
    uint32_t mWidgetFlags = WIDGETFLAGS_UPDATE | WIDGETFLAGS_DRAW | WIDGETFLAGS_CLIP |
                            WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS;
    DirtyRegion mDirtyRegion; // manager coordinates: what the requests since the last pass cover
    DirtyRegion mDrawnRegion; // screen image coordinates: what the last pass drew
    int mDirtyAreaDepth = 0;  // repaint requests in progress; only the outermost records
    bool mInDrawPass = false; // DrawScreen is drawing the widgets
    // Requests made while drawing, made again when the pass ends (overlaps: SetDirtyOverlaps).
    std::vector<std::pair<Widget*, bool>> mRequestsWhileDrawing;
};

} // namespace Lumo
