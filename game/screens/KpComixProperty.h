// The properties a comic's actors write (the ComixSetProperty family) and the
// table of the 41 actions that bind an actor kind to one of them. A picture
// setter writes the live state of a picture or text, a sound setter drives a
// sample channel or a music track; each leaves an object of the other kind
// alone, so a group may mix pictures and sounds.
#pragma once

#include <string>

#include "framework/app/LumoVector2.h"

class KpComixActor;
class KpComixObject;

namespace ComixSetProperty
{
// --- pictures and texts
void Pos(KpComixObject* object, const Lumo::LumoVector2& value);
void PosX(KpComixObject* object, const float& value);
void PosY(KpComixObject* object, const float& value);
void Offset(KpComixObject* object, const Lumo::LumoVector2& value);
void OffsetX(KpComixObject* object, const float& value);
void OffsetY(KpComixObject* object, const float& value);
void Centerpos(KpComixObject* object, const Lumo::LumoVector2& value);
void CenterposX(KpComixObject* object, const float& value);
void CenterposY(KpComixObject* object, const float& value);
void MaskStaticPos(KpComixObject* object, const Lumo::LumoVector2& value);
// x, y and width, height, each truncated toward zero.
void ClipRectPos(KpComixObject* object, const Lumo::LumoVector2& value);
void ClipRectSize(KpComixObject* object, const Lumo::LumoVector2& value);
void Scale(KpComixObject* object, const float& value);
void Alpha(KpComixObject* object, const float& value);
void Angle(KpComixObject* object, const float& value);
void Visible(KpComixObject* object, const bool& value);
void StaticMask(KpComixObject* object, const bool& value);
void CenterposGlobal(KpComixObject* object, const bool& value);
// --- sounds and music
// true plays (a track without fade-in), false stops (without fade-out).
void Play(KpComixObject* object, const bool& value);
void Pan(KpComixObject* object, const float& value);
// A factor of the player's sound or music volume; 0 while the game is muted.
void Volume(KpComixObject* object, const float& value);
} // namespace ComixSetProperty

// A new actor, not yet read, for an action of the table (exact, case-sensitive
// name); null when the action is not one.
KpComixActor* MakeComixActor(const std::string& action);
