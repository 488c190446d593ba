// The effect names the game's code runs on its widgets; layouts bind each to a
// script of "cfg\effect.xml" (onshow="dialog_in"). One table, so a screen and
// its layout cannot drift apart by a typing slip.
#pragma once

// Played by Show and Hide.
extern const char* const kEffectOnShow; // "onshow"
extern const char* const kEffectOnHide; // "onhide"
// Run by name by the screens.
extern const char* const kEffectOnLevelDone;  // "onleveldone": a career day was passed
extern const char* const kEffectOnShiftRight; // "onshiftright": a page moves aside for another
extern const char* const kEffectOnShiftLeft;  // "onshiftleft": and back
