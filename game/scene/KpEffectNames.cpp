#include "game/scene/KpEffectNames.h"

const char* const kEffectOnShow = "onshow";
const char* const kEffectOnHide = "onhide";
const char* const kEffectOnLevelDone = "onleveldone";
const char* const kEffectOnShiftRight = "onshiftright";
const char* const kEffectOnShiftLeft = "onshiftleft";
