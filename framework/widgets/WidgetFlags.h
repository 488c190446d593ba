// Flag bits and masks carried down one update or draw pass of the widget tree.
// A pass has two flag sets: one for widgets at or after the base-modal widget
// in draw order and one for those before it, so a modal dialog can take mouse
// and focus away from everything behind it without stopping its updates.
#pragma once

#include <cstdint>

namespace Lumo
{

// Bits of a pass.
enum WidgetFlag
{
    WIDGETFLAGS_UPDATE = 1,
    WIDGETFLAGS_MARK_DIRTY = 2,
    WIDGETFLAGS_DRAW = 4,
    WIDGETFLAGS_CLIP = 8,
    WIDGETFLAGS_ALLOW_MOUSE = 16,
    WIDGETFLAGS_ALLOW_FOCUS = 32,
};

// {add, remove}: applied to flags f as (f | add) & ~remove.
struct WidgetFlagMasks
{
    uint32_t mAddFlags = 0;
    uint32_t mRemoveFlags = 0;

    WidgetFlagMasks() = default;
    WidgetFlagMasks(uint32_t add, uint32_t remove) : mAddFlags(add), mRemoveFlags(remove) {}

    uint32_t Apply(uint32_t flags) const { return (flags | mAddFlags) & ~mRemoveFlags; }
};

// The record carried by reference down one pass (built by the manager).
struct WidgetPassFlags
{
    uint32_t mFlags = 0;           // nodes at or after the base-modal widget
    uint32_t mBelowFlags = 0;      // nodes before it
    bool mPassedBaseModal = false; // the walk has reached the base-modal widget

    uint32_t Current() const { return mPassedBaseModal ? mFlags : mBelowFlags; }
    void ApplyMasks(const WidgetFlagMasks& m)
    {
        mFlags = m.Apply(mFlags);
        mBelowFlags = m.Apply(mBelowFlags);
    }
};

// Restores the two flag fields of a pass record on scope exit, exceptions
// included, so a node never leaks its own masks to its siblings.
class PassFlagsGuard
{
public:
    explicit PassFlagsGuard(WidgetPassFlags& pf)
        : mPassFlags(pf), mFlags(pf.mFlags), mBelowFlags(pf.mBelowFlags)
    {
    }
    ~PassFlagsGuard()
    {
        mPassFlags.mFlags = mFlags;
        mPassFlags.mBelowFlags = mBelowFlags;
    }
    PassFlagsGuard(const PassFlagsGuard&) = delete;
    PassFlagsGuard& operator=(const PassFlagsGuard&) = delete;

private:
    WidgetPassFlags& mPassFlags;
    uint32_t mFlags;
    uint32_t mBelowFlags;
};

// A widget position in parent or screen coordinates.
struct WidgetPoint
{
    int mX = 0;
    int mY = 0;
};

} // namespace Lumo
