#include "game/scene/KpItemList.h"

#include "game/scene/KpItem.h"

KpItemList gItemList;

KpItem* KpItemList::Add(KpItem* item)
{
    if (!item)
        return nullptr;
    if (!item->mName.empty() && !mByName.emplace(item->mName, item).second)
        item->mName.clear();
    mItems.push_back(item);
    mChanges++;
    return item;
}

void KpItemList::Clear()
{
    std::vector<KpItem*> items;
    items.swap(mItems);
    mByName.clear();
    for (KpItem* item : items)
        delete item;
    mChanges++;
}

void KpItemList::UpdateAll(int ms)
{
    // Items added during the walk are advanced from the next update on.
    size_t count = mItems.size();
    for (size_t i = 0; i < count; i++)
        if (!mItems[i]->mRemove)
            mItems[i]->Update(ms);
    Sweep();
}

void KpItemList::Sweep()
{
    size_t kept = 0;
    for (size_t i = 0; i < mItems.size(); i++)
    {
        KpItem* item = mItems[i];
        if (!item->mRemove)
        {
            mItems[kept++] = item;
            continue;
        }
        if (!item->mName.empty())
            mByName.erase(item->mName);
        delete item;
    }
    if (kept != mItems.size())
    {
        mItems.resize(kept);
        mChanges++;
    }
}

KpItem* KpItemList::Find(const std::string& name) const
{
    auto it = mByName.find(name);
    return it == mByName.end() ? nullptr : it->second;
}
