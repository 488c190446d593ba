// Lumo::WidgetContainer: a node of the retained widget tree. It keeps its
// children sorted by z-order (front of the list is drawn first, back-most),
// its rectangle, its dirty flag and the recursive update, draw and hit-test
// passes. The widget manager is a container too (the root); every other node
// is a Lumo::Widget. Containers never own their children: owners remove and
// delete them. Main thread only.
#pragma once

#include <cstdint>
#include <list>

#include "framework/app/Rect.h"
#include "framework/widgets/WidgetFlags.h"

namespace Lumo
{

class Graphics;
class Widget;
class WidgetManager;

typedef std::list<Widget*> WidgetList;

// Bumped once per container with children by DisplayChangedAll.
extern uint32_t gDisplayChangePass;

class WidgetContainer
{
public:
    WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    // --- Virtual operations, in slot order
    virtual ~WidgetContainer();
    virtual Rect GetRect();
    // Overlap by at least one pixel; rectangles that only touch do not intersect.
    virtual bool Intersects(WidgetContainer* other);
    virtual void AddWidget(Widget* w);
    virtual void RemoveWidget(Widget* w);
    virtual bool HasWidget(Widget* w);
    // The manager forgets hover, press, focus and modal references to w.
    virtual void DropWidgetReferences(Widget* w);
    virtual void RemoveAllWidgets(bool deleteThem, bool recursive);
    virtual void SetFocus(Widget* w);
    // True when a comes before b in a depth-first walk in draw order.
    virtual bool IsBelow(Widget* a, Widget* b);
    virtual void SetAllDirty();
    virtual void BringToFront(Widget* w);
    virtual void SendToBack(Widget* w);
    virtual void PutBehind(Widget* w, Widget* ref);
    virtual void PutInFront(Widget* w, Widget* ref);
    virtual WidgetPoint GetAbsPos();
    virtual void SetChildDirty(Widget* c);
    virtual void SetDirty();
    virtual void SetChildDirtyOverlaps(Widget* c);
    virtual void SetDirtyOverlaps();
    virtual void AddedToManager(WidgetManager* manager);
    virtual void RemovedFromManager(WidgetManager* manager);
    virtual void Update();
    virtual void UpdateAll(WidgetPassFlags& pf);
    virtual void UpdateWithFraction(float fraction);
    virtual void UpdateAllWithFraction(WidgetPassFlags& pf, float fraction);
    virtual void Draw(Graphics* g);
    virtual void DrawAll(WidgetPassFlags& pf, Graphics* g);
    virtual void DisplayChangedAll();
    virtual void DisplayChanged();

    // --- Helpers of the list operations and the manager's hit test
    // Detaches w and its subtree from the manager, dropping every reference
    // the manager holds to them; repaints what w covered.
    void DetachFromManager(Widget* w);
    // Inserts w keeping the list sorted; start decides where w lands among
    // children of equal z-order.
    void InsertByZOrder(WidgetList::iterator start, Widget* w);
    // Hit test at (x, y) in this container's coordinates with pass flags; on a
    // hit localX/Y is the point relative to the returned widget's top-left.
    Widget* FindChildAt(int x, int y, uint32_t flags, bool& found, int& localX, int& localY);

    const WidgetList& GetChildren() const { return mWidgets; }

    // --- Repaint areas
    // A repaint request for only part of this node (its own coordinates): the
    // flags follow SetDirty's rules, but the screen area drawn again is that
    // part alone. A scene that knows what moved in it asks this way.
    void SetDirtyArea(const Rect& local);
    // The manager coordinates that this node's drawing of `local` reaches;
    // empty when it is cut away on the way up.
    Rect GetScreenArea(const Rect& local);

    // --- Data
    WidgetList mWidgets;                  // sorted by ascending z-order; back of list is front-most
    WidgetManager* mManager = nullptr;    // tree this node is attached to; null while detached
    WidgetContainer* mParent = nullptr;   // null for the root and for detached widgets
    bool mUpdateIteratorModified = false; // child under the iterator removed or re-ordered
    WidgetList::iterator mUpdateIterator; // child being updated; list end outside a pass
    uint32_t mLastWMUpdateCount = 0;      // manager frame count of the last Update
    uint32_t mUpdateCnt = 0;              // Update calls so far
    bool mDirty = false;                  // must be redrawn
    int mX = 0, mY = 0;                   // relative to the parent
    int mWidth = 0, mHeight = 0;
    bool mSeeThrough = false;        // a change also repaints the siblings behind it
    bool mClip = true;               // clip drawing to the own rectangle when the pass allows it
    WidgetFlagMasks mWidgetFlagsMod; // applied to this node's and its subtree's pass flags
    int mPriority = 0;               // deferred overlays of lower priority draw before this node
    int mZOrder = 0;                 // higher values draw later (in front)

protected:
    // Clears the dirty flags a draw of the visible child c would have cleared
    // (c's and its visible descendants'), for a child the draw pass skips
    // because it lies outside the clip; notes the base-modal widget on the way.
    void SkipChildDraw(Widget* c, WidgetPassFlags& pf);
    // True when the child's drawing cannot reach the clip of g (translated
    // to this node) and the pass may skip it.
    bool IsChildOutsideClip(Widget* c, uint32_t flags, Graphics* g);

private:
    // Records this node's whole area with its manager when the request is
    // the outermost one (nested requests on the way up add nothing).
    void RecordDirtyArea(bool overlaps);
    // Moves the update iterator past w before w leaves its list position.
    void StepIteratorPast(Widget* w);
    void Reorder(Widget* w, int where, Widget* ref);
    // Marks dirty every visible child from "from" to the front that overlaps c.
    void SetOverlappingDirtyFrom(WidgetList::iterator from, Widget* c);
};

} // namespace Lumo
