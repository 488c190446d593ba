#include "framework/widgets/WidgetContainer.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Lumo
{

uint32_t gDisplayChangePass = 0;

namespace
{
// Marks a repaint request in progress: the requests it makes on the way up
// (the parent's, the siblings') add no area of their own.
struct DirtyAreaNesting
{
    explicit DirtyAreaNesting(WidgetManager* manager) : mManager(manager)
    {
        if (mManager != nullptr)
            mManager->mDirtyAreaDepth++;
    }
    ~DirtyAreaNesting()
    {
        if (mManager != nullptr)
            mManager->mDirtyAreaDepth--;
    }
    WidgetManager* mManager;
};
} // namespace

WidgetContainer::WidgetContainer() : mUpdateIterator(mWidgets.end()) {}

WidgetContainer::~WidgetContainer() {}

Rect WidgetContainer::GetRect()
{
    return Rect(mX, mY, mWidth, mHeight);
}

bool WidgetContainer::Intersects(WidgetContainer* other)
{
    Rect a = GetRect();
    Rect b = other->GetRect();
    return a.mX < b.mX + b.mWidth && b.mX < a.mX + a.mWidth && a.mY < b.mY + b.mHeight &&
           b.mY < a.mY + a.mHeight;
}

// ============================================================================
// Child list
// ============================================================================

void WidgetContainer::InsertByZOrder(WidgetList::iterator start, Widget* w)
{
    WidgetList::iterator it = start;
    while (it != mWidgets.end() && (*it)->mZOrder < w->mZOrder)
        ++it;
    if (it != mWidgets.end())
    {
        if (it == mWidgets.begin())
        {
            mWidgets.insert(it, w);
            return;
        }
        WidgetList::iterator prev = it;
        --prev;
        if ((*prev)->mZOrder <= w->mZOrder)
        {
            mWidgets.insert(it, w);
            return;
        }
    }
    // Walk back past every child drawn in front of w's z-order class.
    while (it != mWidgets.begin())
    {
        WidgetList::iterator prev = it;
        --prev;
        if ((*prev)->mZOrder <= w->mZOrder)
            break;
        it = prev;
    }
    mWidgets.insert(it, w);
}

void WidgetContainer::AddWidget(Widget* w)
{
    if (w == nullptr || HasWidget(w))
        return;
    InsertByZOrder(mWidgets.end(), w);
    w->mManager = mManager;
    w->mParent = this;
    if (mManager != nullptr)
    {
        w->AddedToManager(mManager);
        w->SetDirtyOverlaps();
        mManager->RefreshMouseOver();
    }
    SetDirty();
}

bool WidgetContainer::HasWidget(Widget* w)
{
    for (Widget* c : mWidgets)
        if (c == w)
            return true;
    return false;
}

void WidgetContainer::StepIteratorPast(Widget* w)
{
    if (mUpdateIterator != mWidgets.end() && *mUpdateIterator == w)
    {
        ++mUpdateIterator;
        mUpdateIteratorModified = true;
    }
}

void WidgetContainer::RemoveWidget(Widget* w)
{
    WidgetList::iterator it = std::find(mWidgets.begin(), mWidgets.end(), w);
    if (it == mWidgets.end())
        return;
    DetachFromManager(w);
    w->mParent = nullptr;
    // Detaching runs user code; find w again rather than trusting it.
    StepIteratorPast(w);
    for (it = mWidgets.begin(); it != mWidgets.end(); ++it)
    {
        if (*it == w)
        {
            mWidgets.erase(it);
            break;
        }
    }
}

void WidgetContainer::DetachFromManager(Widget* w)
{
    WidgetManager* m = w->mManager;
    if (m == nullptr)
        return;
    // A child's removal hook may reorder its siblings (a dialog sent to the
    // back as it closes): walk a copy, skipping children that left meanwhile.
    WidgetList children = w->mWidgets;
    for (Widget* c : children)
        if (c->mParent == w)
            w->DetachFromManager(c);
    m->DropWidgetReferences(w);
    for (ModalStackEntry& e : m->mModalStack)
    {
        if (e.mPrevBaseModalWidget == w)
            e.mPrevBaseModalWidget = nullptr;
        if (e.mPrevFocusWidget == w)
            e.mPrevFocusWidget = nullptr;
    }
    w->RemovedFromManager(m);
    w->SetChildDirtyOverlaps(w);
    w->mManager = nullptr;
}

void WidgetContainer::DropWidgetReferences(Widget*) {}

void WidgetContainer::RemoveAllWidgets(bool deleteThem, bool recursive)
{
    while (!mWidgets.empty())
    {
        Widget* w = mWidgets.front();
        RemoveWidget(w);
        if (recursive)
            w->RemoveAllWidgets(deleteThem, recursive);
        if (deleteThem)
            delete w;
    }
}

void WidgetContainer::SetFocus(Widget*) {}

bool WidgetContainer::IsBelow(Widget* a, Widget* b)
{
    // 0 not found, 1 a first, 2 b first
    struct Walk
    {
        static int Find(WidgetContainer* node, Widget* a, Widget* b)
        {
            for (Widget* c : node->mWidgets)
            {
                if (c == a)
                    return 1;
                if (c == b)
                    return 2;
                int r = Find(c, a, b);
                if (r != 0)
                    return r;
            }
            return 0;
        }
    };
    return Walk::Find(this, a, b) == 1;
}

void WidgetContainer::SetAllDirty()
{
    // The whole screen, also where no widget lies (a display rebuilt).
    if (mParent == nullptr && mManager == this)
        mManager->AddDirtyArea(Rect(0, 0, mWidth, mHeight));
    SetDirty();
    for (Widget* c : mWidgets)
    {
        c->mDirty = true;
        c->SetAllDirty();
    }
}

void WidgetContainer::Reorder(Widget* w, int where, Widget* ref)
{
    WidgetList::iterator it = std::find(mWidgets.begin(), mWidgets.end(), w);
    if (it == mWidgets.end())
        return;
    StepIteratorPast(w);
    mWidgets.erase(it);

    WidgetList::iterator start = mWidgets.end();
    if (where == 1)
        start = mWidgets.begin();
    else if (where >= 2)
    {
        WidgetList::iterator r = mWidgets.begin();
        while (r != mWidgets.end() && *r != ref)
            ++r;
        if (r != mWidgets.end() && where == 3)
            ++r;
        start = r;
    }
    InsertByZOrder(start, w);
    w->OrderChanged();
}

void WidgetContainer::BringToFront(Widget* w)
{
    Reorder(w, 0, nullptr);
}
void WidgetContainer::SendToBack(Widget* w)
{
    Reorder(w, 1, nullptr);
}
void WidgetContainer::PutBehind(Widget* w, Widget* ref)
{
    Reorder(w, 2, ref);
}
void WidgetContainer::PutInFront(Widget* w, Widget* ref)
{
    Reorder(w, 3, ref);
}

WidgetPoint WidgetContainer::GetAbsPos()
{
    WidgetPoint p;
    p.mX = mX;
    p.mY = mY;
    if (mParent != nullptr)
    {
        WidgetPoint pp = mParent->GetAbsPos();
        p.mX += pp.mX;
        p.mY += pp.mY;
    }
    return p;
}

// ============================================================================
// Repaint requests
// ============================================================================

void WidgetContainer::SetChildDirty(Widget* c)
{
    if (c->mDirty)
        return;
    SetDirty();
    c->mDirty = true;
    if (mParent != nullptr)
        return;
    if (c->mSeeThrough)
    {
        SetChildDirtyOverlaps(c);
        return;
    }
    WidgetList::iterator it = std::find(mWidgets.begin(), mWidgets.end(), c);
    if (it == mWidgets.end())
        return;
    SetOverlappingDirtyFrom(++it, c);
}

void WidgetContainer::SetDirty()
{
    if (mParent != nullptr)
    {
        RecordDirtyArea(false);
        DirtyAreaNesting nesting(mManager);
        mParent->SetChildDirty(static_cast<Widget*>(this));
    }
    else
        mDirty = true;
}

void WidgetContainer::SetChildDirtyOverlaps(Widget* c)
{
    SetDirtyOverlaps();
    c->mDirty = true;
    if (mParent != nullptr)
        return;
    WidgetList::iterator pos = std::find(mWidgets.begin(), mWidgets.end(), c);
    if (pos == mWidgets.end())
        return;

    Rect area = c->GetRect().Intersection(Rect(0, 0, mWidth, mHeight));
    WidgetList::iterator it = pos;
    while (it != mWidgets.begin())
    {
        --it;
        Widget* s = *it;
        if (!s->mVisible)
            continue;
        if (!s->mSeeThrough && !s->mHasTransparencies && s->Contains(area.mX, area.mY) &&
            s->Contains(area.mX + area.mWidth - 1, area.mY + area.mHeight - 1))
        {
            // s hides everything further back.
            s->SetDirty();
            break;
        }
        if (s->Intersects(c))
            SetChildDirty(s);
    }
    SetOverlappingDirtyFrom(pos, c);
}

void WidgetContainer::SetOverlappingDirtyFrom(WidgetList::iterator from, Widget* c)
{
    for (WidgetList::iterator it = from; it != mWidgets.end(); ++it)
    {
        Widget* s = *it;
        if (s->mVisible && s->Intersects(c))
            SetChildDirty(s);
    }
}

void WidgetContainer::SetDirtyOverlaps()
{
    if (mParent != nullptr)
    {
        RecordDirtyArea(true);
        DirtyAreaNesting nesting(mManager);
        mParent->SetChildDirtyOverlaps(static_cast<Widget*>(this));
    }
    else
        mDirty = true;
}

void WidgetContainer::RecordDirtyArea(bool overlaps)
{
    if (mManager == nullptr || mManager->mDirtyAreaDepth != 0)
        return;
    mManager->AddDirtyArea(GetScreenArea(Rect(0, 0, mWidth, mHeight)));
    mManager->NoteRequestWhileDrawing(static_cast<Widget*>(this), overlaps);
}

void WidgetContainer::SetDirtyArea(const Rect& local)
{
    if (mParent == nullptr)
    {
        mDirty = true;
        return;
    }
    if (mManager != nullptr && mManager->mDirtyAreaDepth == 0)
    {
        mManager->AddDirtyArea(GetScreenArea(local));
        mManager->NoteRequestWhileDrawing(static_cast<Widget*>(this), false);
    }
    DirtyAreaNesting nesting(mManager);
    SetDirty();
}

Rect WidgetContainer::GetScreenArea(const Rect& local)
{
    Rect area = local;
    for (WidgetContainer* node = this; node->mParent != nullptr; node = node->mParent)
    {
        area = static_cast<Widget*>(node)->GetAreaInParent(area);
        if (area.mWidth <= 0 || area.mHeight <= 0)
            return Rect();
    }
    return area;
}

// ============================================================================
// Manager attachment
// ============================================================================

void WidgetContainer::AddedToManager(WidgetManager* manager)
{
    for (Widget* c : mWidgets)
    {
        c->mManager = manager;
        c->AddedToManager(manager);
    }
    SetDirty();
}

void WidgetContainer::RemovedFromManager(WidgetManager* manager)
{
    // A child's hook may reorder its siblings: walk a copy.
    WidgetList children = mWidgets;
    for (Widget* c : children)
    {
        if (c->mParent != this)
            continue;
        manager->DropWidgetReferences(c);
        c->RemovedFromManager(manager);
        c->mManager = nullptr;
    }
    if (manager->mPopupWidget == this)
        manager->mPopupWidget = nullptr;
}

// ============================================================================
// Passes
// ============================================================================

void WidgetContainer::Update()
{
    mUpdateCnt++;
}

void WidgetContainer::UpdateAll(WidgetPassFlags& pf)
{
    PassFlagsGuard guard(pf);
    pf.ApplyMasks(mWidgetFlagsMod);
    uint32_t flags = pf.Current();
    if (flags & WIDGETFLAGS_MARK_DIRTY)
        SetDirty();
    if (mManager == nullptr)
        return;
    if ((flags & WIDGETFLAGS_UPDATE) && mLastWMUpdateCount != mManager->mUpdateCnt)
    {
        mLastWMUpdateCount = mManager->mUpdateCnt;
        Update();
    }
    mUpdateIterator = mWidgets.begin();
    while (mUpdateIterator != mWidgets.end())
    {
        mUpdateIteratorModified = false;
        Widget* c = *mUpdateIterator;
        if (c == mManager->mBaseModalWidget)
            pf.mPassedBaseModal = true;
        c->UpdateAll(pf);
        // A child that left or moved has already stepped the iterator on.
        if (!mUpdateIteratorModified && mUpdateIterator != mWidgets.end())
            ++mUpdateIterator;
    }
    mUpdateIteratorModified = false;
}

void WidgetContainer::UpdateWithFraction(float) {}

void WidgetContainer::UpdateAllWithFraction(WidgetPassFlags& pf, float fraction)
{
    PassFlagsGuard guard(pf);
    pf.ApplyMasks(mWidgetFlagsMod);
    if (pf.Current() & WIDGETFLAGS_UPDATE)
        UpdateWithFraction(fraction);
    if (mManager == nullptr)
        return;
    mUpdateIterator = mWidgets.begin();
    while (mUpdateIterator != mWidgets.end())
    {
        mUpdateIteratorModified = false;
        Widget* c = *mUpdateIterator;
        if (c == mManager->mBaseModalWidget)
            pf.mPassedBaseModal = true;
        c->UpdateAllWithFraction(pf, fraction);
        if (!mUpdateIteratorModified && mUpdateIterator != mWidgets.end())
            ++mUpdateIterator;
    }
    mUpdateIteratorModified = false;
}

void WidgetContainer::Draw(Graphics*) {}

void WidgetContainer::DrawAll(WidgetPassFlags& pf, Graphics* g)
{
    if (mManager != nullptr && mPriority > mManager->mMinDeferredOverlayPriority)
        mManager->FlushDeferredOverlays(g, mPriority);

    PassFlagsGuard guard(pf);
    pf.ApplyMasks(mWidgetFlagsMod);
    uint32_t flags = pf.Current();
    if (mClip && (flags & WIDGETFLAGS_CLIP))
        g->IntersectClipRect(0, 0, mWidth, mHeight);

    if (mWidgets.empty())
    {
        if (flags & WIDGETFLAGS_DRAW)
            Draw(g);
        return;
    }
    if (flags & WIDGETFLAGS_DRAW)
    {
        // The node's own drawing must not leak colour, font or clip to its children.
        g->PushState();
        Draw(g);
        g->PopState();
    }
    for (Widget* c : mWidgets)
    {
        if (!c->mVisible)
            continue;
        if (mManager != nullptr && c == mManager->mBaseModalWidget)
            pf.mPassedBaseModal = true;
        if (IsChildOutsideClip(c, pf.Current(), g))
        {
            SkipChildDraw(c, pf);
            continue;
        }
        Graphics copy(*g);
        copy.Translate(c->mX, c->mY);
        c->DrawAll(pf, &copy);
        c->mDirty = false;
    }
}

bool WidgetContainer::IsChildOutsideClip(Widget* c, uint32_t flags, Graphics* g)
{
    // Deferred overlays flush inside the walk: with any queued, draw everything.
    if (mManager != nullptr && !mManager->mDeferredOverlays.empty())
        return false;
    uint32_t childFlags = c->mWidgetFlagsMod.Apply(flags);
    if (!c->mClip || !(childFlags & WIDGETFLAGS_CLIP))
        return false;
    Rect area = c->GetAreaInParent(Rect(0, 0, c->mWidth, c->mHeight));
    area.mX += (int)g->mTransX;
    area.mY += (int)g->mTransY;
    const Rect& clip = g->GetClipRect();
    return !(area.mWidth > 0 && area.mHeight > 0 && area.mX < clip.mX + clip.mWidth &&
             clip.mX < area.mX + area.mWidth && area.mY < clip.mY + clip.mHeight &&
             clip.mY < area.mY + area.mHeight);
}

void WidgetContainer::SkipChildDraw(Widget* c, WidgetPassFlags& pf)
{
    c->mDirty = false;
    for (Widget* w : c->mWidgets)
    {
        if (!w->mVisible)
            continue;
        if (mManager != nullptr && w == mManager->mBaseModalWidget)
            pf.mPassedBaseModal = true;
        c->SkipChildDraw(w, pf);
    }
}

void WidgetContainer::DisplayChangedAll()
{
    DisplayChanged();
    if (!mWidgets.empty())
        gDisplayChangePass++;
    for (Widget* c : mWidgets)
        c->DisplayChangedAll();
}

void WidgetContainer::DisplayChanged() {}

// ============================================================================
// Hit test
// ============================================================================

Widget* WidgetContainer::FindChildAt(int x, int y, uint32_t flags, bool& found, int& localX,
                                     int& localY)
{
    found = false;
    flags = mWidgetFlagsMod.Apply(flags);
    bool belowModal = false;
    for (WidgetList::reverse_iterator it = mWidgets.rbegin(); it != mWidgets.rend(); ++it)
    {
        Widget* c = *it;
        uint32_t childFlags = c->mWidgetFlagsMod.Apply(flags);
        if (belowModal && mManager != nullptr)
            childFlags = mManager->mBelowModalFlagsMod.Apply(childFlags);

        if ((childFlags & WIDGETFLAGS_ALLOW_MOUSE) && c->mVisible)
        {
            int cx = x - c->mX;
            int cy = y - c->mY;
            bool childFound = false;
            Widget* deep = c->FindChildAt(cx, cy, childFlags, childFound, localX, localY);
            if (childFound)
            {
                found = true;
                return deep;
            }
            if (c->mMouseVisible)
            {
                Rect r = c->GetInsetRect();
                if (x >= r.mX && y >= r.mY && x < r.mX + r.mWidth && y < r.mY + r.mHeight &&
                    c->IsPointVisible(cx, cy))
                {
                    localX = cx;
                    localY = cy;
                    found = true;
                    return c;
                }
            }
        }
        if (mManager != nullptr && c == mManager->mBaseModalWidget)
            belowModal = true;
    }
    return nullptr;
}

} // namespace Lumo
