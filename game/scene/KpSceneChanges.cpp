#include "game/scene/KpSceneChanges.h"

#include <algorithm>

#include "game/scene/KpItem.h"
#include "game/scene/KpItemList.h"

void KpSceneChanges::Collect(const KpItemList& items, Lumo::DirtyRegion& changed)
{
    mNow.clear();
    std::vector<bool> marked;
    for (KpItem* item : items.Items())
    {
        if (!item->mVisible || item->mRemove)
        {
            item->ClearChanged();
            continue;
        }
        int parts = item->GetPartCount();
        for (int p = 0; p < parts; p++)
        {
            mNow.push_back(Seen{uint64_t(item->GetSerial()) << 32 | uint32_t(p),
                                item->GetPartRect(p), item->GetPartZ(p)});
            marked.push_back(item->IsMarkedChanged());
        }
        item->ClearChanged();
    }
    // Items keep the registry's (making) order, so the keys mostly come sorted.
    std::vector<size_t> order(mNow.size());
    for (size_t i = 0; i < order.size(); i++)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](size_t a, size_t b) { return mNow[a].key < mNow[b].key; });

    // One walk over both sorted lists.
    size_t old = 0;
    for (size_t i : order)
    {
        const Seen& now = mNow[i];
        while (old < mSeen.size() && mSeen[old].key < now.key)
            changed.Add(mSeen[old++].rect); // gone
        if (old < mSeen.size() && mSeen[old].key == now.key)
        {
            const Seen& before = mSeen[old++];
            // A part that cannot tell where it draws cannot tell what changed either.
            if (marked[i] || before.rect != now.rect || before.z != now.z ||
                now.rect == KpItem::kWholeScene)
            {
                changed.Add(before.rect);
                changed.Add(now.rect);
            }
        }
        else
            changed.Add(now.rect); // new
    }
    while (old < mSeen.size())
        changed.Add(mSeen[old++].rect);

    mSeen.clear();
    for (size_t i : order)
        mSeen.push_back(mNow[i]);
}
