#include "game/gameplay/KpUpgrade.h"

#include "game/engine/KpProfileFile.h"

namespace
{
// Stored files keep upgrades by their place here: add new ones at the end only.
const KpUpgradeInfo kCatalog[] = {
    {"tables", "marble", kUpgradeVisual, kEffectLook},
    {"window", "curtains", kUpgradeVisual, kEffectLook},
    {"plants", "ferns", kUpgradeVisual, kEffectLook},
    {"chairs", "comfy", kUpgradeFunctional, kEffectPatience},
    {"counter", "espresso", kUpgradeFunctional, kEffectPrice},
    {"radio", "jazz", kUpgradeFunctional, kEffectQuickMeals},
};
static_assert(sizeof(kCatalog) / sizeof(kCatalog[0]) == kProfileUpgradeKinds,
              "the profile holds every upgrade of the catalog");
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

int GetUpgradeCode(const std::string& object, const std::string& name)
{
    const KpUpgradeInfo* info = FindUpgradeInfo(object, name);
    return info ? int(info - kCatalog) + 1 : 0;
}

const KpUpgradeInfo* FindUpgradeByCode(int code)
{
    return code >= 1 && code <= GetUpgradeInfoCount() ? &kCatalog[code - 1] : nullptr;
}
