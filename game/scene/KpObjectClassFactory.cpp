#include "game/scene/KpObjectClassFactory.h"

#include "game/scene/KpItem.h"

std::map<std::string, KpObjectClassFn> gObjectClassFactories;

void RegisterObjectClass(const std::string& className, KpObjectClassFn create)
{
    gObjectClassFactories[className] = create;
}

KpItem* CreateObjectOfClass(const std::string& className)
{
    auto it = gObjectClassFactories.find(className);
    if (it == gObjectClassFactories.end() || !it->second)
        return nullptr;
    KpItem* item = it->second();
    if (item)
        item->mClassName = className;
    return item;
}

bool IsObjectClassKnown(const std::string& className)
{
    return gObjectClassFactories.count(className) != 0;
}
