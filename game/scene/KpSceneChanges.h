// What changed on the scene since the last look: the board draws again only
// those rectangles instead of the whole cafe each update. Every visible
// item's parts are compared with what the last call saw (where each drew and
// at which depth): a part that moved, changed depth or was marked changed
// gives both its old and its new rectangle; a part that appeared gives its
// new one, a part that went (removed, hidden, deleted) its old one. New kinds
// of scene things need nothing more than GetPartRect and MarkChanged; one
// that does not say where it draws has the whole scene drawn again each time.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/app/Rect.h"
#include "framework/widgets/DirtyRegion.h"

class KpItemList;

class KpSceneChanges
{
public:
    // Adds to `changed` the rectangles that must be drawn again and clears
    // the items' changed marks.
    void Collect(const KpItemList& items, Lumo::DirtyRegion& changed);
    // Forgets what was seen: the next call reports every part as new.
    void Reset() { mSeen.clear(); }

private:
    struct Seen
    {
        uint64_t key; // item serial << 32 | part: ascending in the registry's order
        Lumo::Rect rect;
        int z;
    };
    std::vector<Seen> mSeen; // by key
    std::vector<Seen> mNow;  // reused from call to call
};
