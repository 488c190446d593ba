#include "game/screens/KpComixProperty.h"

#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/screens/KpComixActor.h"
#include "game/screens/KpComixObject.h"

namespace
{

KpComixObjectState* LiveState(KpComixObject* object)
{
    KpComixObjectPic* pic = object ? object->AsPicture() : nullptr;
    return pic ? &pic->mState : nullptr;
}

} // namespace

#define COMIX_PIC_SETTER(Name, Type, statement)                                                    \
    void ComixSetProperty::Name(KpComixObject* object, const Type& value)                          \
    {                                                                                              \
        if (KpComixObjectState* s = LiveState(object))                                             \
            statement;                                                                             \
    }

COMIX_PIC_SETTER(Pos, Lumo::LumoVector2, s->pos = value)
COMIX_PIC_SETTER(PosX, float, s->pos.x = value)
COMIX_PIC_SETTER(PosY, float, s->pos.y = value)
COMIX_PIC_SETTER(Offset, Lumo::LumoVector2, s->offset = value)
COMIX_PIC_SETTER(OffsetX, float, s->offset.x = value)
COMIX_PIC_SETTER(OffsetY, float, s->offset.y = value)
COMIX_PIC_SETTER(Centerpos, Lumo::LumoVector2, s->centerpos = value)
COMIX_PIC_SETTER(CenterposX, float, s->centerpos.x = value)
COMIX_PIC_SETTER(CenterposY, float, s->centerpos.y = value)
COMIX_PIC_SETTER(MaskStaticPos, Lumo::LumoVector2, s->maskStaticPos = value)
COMIX_PIC_SETTER(ClipRectPos, Lumo::LumoVector2,
                 (s->clipRect.mX = ComixTruncate(value.x), s->clipRect.mY = ComixTruncate(value.y)))
COMIX_PIC_SETTER(ClipRectSize, Lumo::LumoVector2,
                 (s->clipRect.mWidth = ComixTruncate(value.x),
                  s->clipRect.mHeight = ComixTruncate(value.y)))
COMIX_PIC_SETTER(Scale, float, s->scale = value)
COMIX_PIC_SETTER(Alpha, float, s->alpha = value)
COMIX_PIC_SETTER(Angle, float, s->angle = value)
COMIX_PIC_SETTER(Visible, bool, s->visible = value)
COMIX_PIC_SETTER(StaticMask, bool, s->staticMask = value)
COMIX_PIC_SETTER(CenterposGlobal, bool, s->centerposGlobal = value)

#undef COMIX_PIC_SETTER

void ComixSetProperty::Play(KpComixObject* object, const bool& value)
{
    KpComixObjectSound* sound = object ? object->AsSound() : nullptr;
    if (!sound)
        return;
    if (sound->mSample && sound->mChannel)
    {
        if (value)
            sound->mChannel->Play();
        else
            sound->mChannel->Stop();
    }
    else if (!sound->mSample && sound->mTrack)
    {
        if (value)
            sound->mTrack->Play(false);
        else
            sound->mTrack->Stop(false);
    }
}

void ComixSetProperty::Pan(KpComixObject* object, const float& value)
{
    KpComixObjectSound* sound = object ? object->AsSound() : nullptr;
    if (!sound)
        return;
    if (sound->mSample && sound->mChannel)
        sound->mChannel->SetPan(value);
    else if (!sound->mSample && sound->mTrack)
        sound->mTrack->SetPan(value);
}

void ComixSetProperty::Volume(KpComixObject* object, const float& value)
{
    KpComixObjectSound* sound = object ? object->AsSound() : nullptr;
    if (!sound)
        return;
    const bool muted = gProfileFile.mMute != 0;
    if (sound->mSample && sound->mChannel)
        sound->mChannel->SetVolume(muted ? 0.0f : gProfileFile.mSoundVolume * value / 100.0f);
    else if (!sound->mSample && sound->mTrack)
        sound->mTrack->SetVolume(muted ? 0
                                       : ComixTruncate(gProfileFile.mMusicVolume * value / 100.0f));
}

namespace
{

template <typename T> KpComixActor* MakeSet(KpComixSetter<T> setter)
{
    return new KpComixActorSetValue<T>(setter);
}

template <typename T> KpComixActor* MakeChange(KpComixSetter<T> setter)
{
    return new KpComixActorChangeValue<T>(setter);
}

typedef KpComixActor* (*ActorMaker)();

struct Action
{
    const char* name;
    ActorMaker make;
};

using namespace ComixSetProperty;
typedef Lumo::LumoVector2 Point;

// The set_ actions make set-value actors, the change_ actions change-value
// actors; the bool properties have no change_ action.
const Action kActions[] = {
    {"set_pos", [] { return MakeSet<Point>(Pos); }},
    {"change_pos", [] { return MakeChange<Point>(Pos); }},
    {"set_pos_x", [] { return MakeSet<float>(PosX); }},
    {"change_pos_x", [] { return MakeChange<float>(PosX); }},
    {"set_pos_y", [] { return MakeSet<float>(PosY); }},
    {"change_pos_y", [] { return MakeChange<float>(PosY); }},
    {"set_offset", [] { return MakeSet<Point>(Offset); }},
    {"change_offset", [] { return MakeChange<Point>(Offset); }},
    {"set_offset_x", [] { return MakeSet<float>(OffsetX); }},
    {"change_offset_x", [] { return MakeChange<float>(OffsetX); }},
    {"set_offset_y", [] { return MakeSet<float>(OffsetY); }},
    {"change_offset_y", [] { return MakeChange<float>(OffsetY); }},
    {"set_centerpos", [] { return MakeSet<Point>(Centerpos); }},
    {"change_centerpos", [] { return MakeChange<Point>(Centerpos); }},
    {"set_centerpos_x", [] { return MakeSet<float>(CenterposX); }},
    {"change_centerpos_x", [] { return MakeChange<float>(CenterposX); }},
    {"set_centerpos_y", [] { return MakeSet<float>(CenterposY); }},
    {"change_centerpos_y", [] { return MakeChange<float>(CenterposY); }},
    {"set_maskStaticPos", [] { return MakeSet<Point>(MaskStaticPos); }},
    {"change_maskStaticPos", [] { return MakeChange<Point>(MaskStaticPos); }},
    {"set_clipRectPos", [] { return MakeSet<Point>(ClipRectPos); }},
    {"change_clipRectPos", [] { return MakeChange<Point>(ClipRectPos); }},
    {"set_clipRectSize", [] { return MakeSet<Point>(ClipRectSize); }},
    {"change_clipRectSize", [] { return MakeChange<Point>(ClipRectSize); }},
    {"set_scale", [] { return MakeSet<float>(Scale); }},
    {"change_scale", [] { return MakeChange<float>(Scale); }},
    {"set_alpha", [] { return MakeSet<float>(Alpha); }},
    {"change_alpha", [] { return MakeChange<float>(Alpha); }},
    {"set_angle", [] { return MakeSet<float>(Angle); }},
    {"change_angle", [] { return MakeChange<float>(Angle); }},
    {"set_visible", [] { return MakeSet<bool>(Visible); }},
    {"set_staticMask", [] { return MakeSet<bool>(StaticMask); }},
    {"set_centerposGlobal", [] { return MakeSet<bool>(CenterposGlobal); }},
    {"set_play", [] { return MakeSet<bool>(Play); }},
    {"set_pan", [] { return MakeSet<float>(Pan); }},
    {"change_pan", [] { return MakeChange<float>(Pan); }},
    {"set_volume", [] { return MakeSet<float>(Volume); }},
    {"change_volume", [] { return MakeChange<float>(Volume); }},
};

} // namespace

KpComixActor* MakeComixActor(const std::string& action)
{
    for (const Action& a : kActions)
        if (action == a.name)
            return a.make();
    return nullptr;
}
