// Upgrades of the cafe: what a level file may offer ("upgrade" elements) and
// what each one changes. An offer names the scene object group it changes and
// its own name ("tables", "marble"); visual ones give that group a new look,
// functional ones also change the play (patience, prices, eating time). The
// catalog below is the one list the level reader and the cafe play share, so
// a level can only offer what the play knows how to apply and undo. The
// profile keeps a career's upgrades by their place in it.
#pragma once

#include <string>

enum KpUpgradeKind
{
    kUpgradeFunctional = 0,
    kUpgradeVisual = 1,
};

// One offer of a level file.
struct KpUpgradeOffer
{
    std::string name;   // "marble"
    std::string object; // the scene object group it changes: "tables"
    KpUpgradeKind kind = kUpgradeVisual;
    int lowestLevel = 1; // the level range it fits, both ends included
    int highestLevel = 59;
    int stage = 1; // career: 1; survival: the day it is offered from
};

// What the play does for an upgrade it knows.
enum KpUpgradeEffect
{
    kEffectLook = 0,   // only the look of its object group
    kEffectPatience,   // clients wait longer (comfy chairs)
    kEffectPrice,      // every order pays more (espresso machine)
    kEffectQuickMeals, // clients eat faster and free their tables sooner (radio)
};

struct KpUpgradeInfo
{
    const char* object;
    const char* name;
    KpUpgradeKind kind;
    KpUpgradeEffect effect;
};

// The catalog entry of (object, name), or null for an upgrade the play does not know.
const KpUpgradeInfo* FindUpgradeInfo(const std::string& object, const std::string& name);
// Entries of the catalog, for the generator's and the tests' walks.
int GetUpgradeInfoCount();
const KpUpgradeInfo& GetUpgradeInfo(int index);
// How the profile keeps an upgrade: 1 + its place in the catalog, 0 for one
// the catalog does not know; and back (null for 0 or a number past the catalog).
int GetUpgradeCode(const std::string& object, const std::string& name);
const KpUpgradeInfo* FindUpgradeByCode(int code);

// Patience of every client is multiplied by this with comfy chairs.
const float kComfyPatienceFactor = 1.25f;
// Money added to every order with the espresso machine.
const int kEspressoBonus = 2;
// Eating time is multiplied by this with the radio.
const float kRadioEatFactor = 0.75f;
