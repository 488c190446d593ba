// Scene objects made by class name: the level file names an object's class
// ("table", "decor") and the level loader asks the factory for a new item of
// it. The gameplay registers its classes before the first level loads.
#pragma once

#include <map>
#include <string>

class KpItem;

typedef KpItem* (*KpObjectClassFn)();

// Adds or replaces a class.
void RegisterObjectClass(const std::string& className, KpObjectClassFn create);
// A new item of the class (its mClassName set), or null for a class nobody registered.
KpItem* CreateObjectOfClass(const std::string& className);
bool IsObjectClassKnown(const std::string& className);

extern std::map<std::string, KpObjectClassFn> gObjectClassFactories;
