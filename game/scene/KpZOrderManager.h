// Draws the scene in depth order and finds what a click lands on. Every part
// of every visible item is one entry; entries sort by depth, then by the
// item's place in the registry and the part's index, so equal depths keep one
// stable order from frame to frame. Picking walks the same order front to back.
#pragma once

#include <cstdint>
#include <vector>

namespace Lumo
{
class Graphics;
}
class KpItem;
class KpItemList;

class KpZOrderManager
{
public:
    explicit KpZOrderManager(KpItemList& items) : mItems(items) {}

    // Draws every visible item's parts, back to front.
    void Draw(Lumo::Graphics* g);
    // The front-most pickable item whose pick shape holds (x, y), or null.
    KpItem* Pick(float x, float y);

private:
    struct Entry
    {
        int z;
        int64_t order; // item index << 32 | part: the tie-break, for any number of parts
        KpItem* item;
        int part;
    };
    void Sort();

    KpItemList& mItems;
    std::vector<Entry> mEntries; // reused from frame to frame
};

extern KpZOrderManager gZOrderManager;
