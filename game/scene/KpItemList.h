// The item registry: every object of the running level, owned here, in the
// order they were made, with the index of items by name. The level's play
// adds items, marks them for removal, and clears the registry when the level
// is left. Main thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

class KpItem;

class KpItemList
{
public:
    ~KpItemList() { Clear(); }

    // Takes ownership; a name already in use is dropped from the new item
    // (it stays reachable through the list only).
    KpItem* Add(KpItem* item);
    // Deletes every item.
    void Clear();
    // Advances every item by ms of game time, then deletes those marked for removal.
    void UpdateAll(int ms);
    // The item of that name, or null.
    KpItem* Find(const std::string& name) const;

    const std::vector<KpItem*>& Items() const { return mItems; }
    int Count() const { return int(mItems.size()); }
    // Bumped whenever an item comes or goes (the z-order manager re-sorts).
    unsigned GetChangeCount() const { return mChanges; }

private:
    void Sweep();

    std::vector<KpItem*> mItems; // owned, in making order
    std::map<std::string, KpItem*> mByName;
    unsigned mChanges = 0;
};

extern KpItemList gItemList;
