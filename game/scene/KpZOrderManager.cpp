#include "game/scene/KpZOrderManager.h"

#include <algorithm>

#include "framework/graphics/Graphics.h"
#include "game/scene/KpItem.h"
#include "game/scene/KpItemList.h"

KpZOrderManager gZOrderManager(gItemList);

void KpZOrderManager::Sort()
{
    // Depths change as items move, so the order is taken afresh each time.
    mEntries.clear();
    const std::vector<KpItem*>& items = mItems.Items();
    for (size_t i = 0; i < items.size(); i++)
    {
        KpItem* item = items[i];
        if (!item->mVisible || item->mRemove)
            continue;
        int parts = item->GetPartCount();
        for (int p = 0; p < parts; p++)
            mEntries.push_back(Entry{item->GetPartZ(p), int64_t(i) << 32 | p, item, p});
    }
    std::sort(mEntries.begin(), mEntries.end(),
              [](const Entry& a, const Entry& b)
              { return a.z != b.z ? a.z < b.z : a.order < b.order; });
}

void KpZOrderManager::Draw(Lumo::Graphics* g)
{
    Sort();
    // The clip in scene coordinates: parts wholly outside it are passed over.
    const Lumo::Rect& clip = g->GetClipRect();
    Lumo::Rect sceneClip(clip.mX - (int)g->mTransX, clip.mY - (int)g->mTransY, clip.mWidth,
                         clip.mHeight);
    for (const Entry& e : mEntries)
    {
        Lumo::Rect r = e.item->GetPartRect(e.part);
        if (r.mWidth <= 0 || r.mHeight <= 0 || r.mX >= sceneClip.mX + sceneClip.mWidth ||
            sceneClip.mX >= r.mX + r.mWidth || r.mY >= sceneClip.mY + sceneClip.mHeight ||
            sceneClip.mY >= r.mY + r.mHeight)
            continue;
        g->PushState();
        e.item->DrawPart(g, e.part);
        g->PopState();
    }
}

KpItem* KpZOrderManager::Pick(float x, float y)
{
    Sort();
    for (auto it = mEntries.rbegin(); it != mEntries.rend(); ++it)
        if (it->item->IsPickable() && it->item->HitTest(x, y))
            return it->item;
    return nullptr;
}
