#include "game/gameplay/KpUpgrade.h"

namespace
{
const KpUpgradeInfo kCatalog[] = {
    {"tables", "marble", kUpgradeVisual, kEffectLook},
    {"window", "curtains", kUpgradeVisual, kEffectLook},
    {"plants", "ferns", kUpgradeVisual, kEffectLook},
    {"chairs", "comfy", kUpgradeFunctional, kEffectPatience},
    {"counter", "espresso", kUpgradeFunctional, kEffectPrice},
    {"radio", "jazz", kUpgradeFunctional, kEffectQuickMeals},
};
} // namespace

const KpUpgradeInfo* FindUpgradeInfo(const std::string& object, const std::string& name)
{
    for (const KpUpgradeInfo& info : kCatalog)
        if (object == info.object && name == info.name)
            return &info;
    return nullptr;
}

int GetUpgradeInfoCount()
{
    return int(sizeof(kCatalog) / sizeof(kCatalog[0]));
}

const KpUpgradeInfo& GetUpgradeInfo(int index)
{
    return kCatalog[index];
}
