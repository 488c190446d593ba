// A comic's actors: each changes one property of one object, or of every
// object of a named group, on its episode's clock. A set-value actor writes
// its value once when its time has come; a change-value actor moves the
// property from val1 to val2 between t1 and t2 along an easing rule, once or
// looping. The player applies every episode up to the current one on each
// update, so an actor that has not finished keeps running into later
// episodes unless it is local (then the end of its episode stops it).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

#include "framework/app/LumoVector2.h"
#include "game/screens/KpComixEasing.h"

class KpComix;
class KpComixObject;

// Objects an actor writes to, in order (not owned).
class KpComixGroup
{
public:
    std::vector<KpComixObject*> mObjects;
};

class KpComixActor
{
public:
    KpComixActor() = default;
    KpComixActor(const KpComixActor&) = delete;
    KpComixActor& operator=(const KpComixActor&) = delete;

    // --- Virtual operations, in slot order
    // Deletes the group of a single-object target.
    virtual ~KpComixActor();
    // Reads the target and the values; false (with a warning) when the actor cannot act.
    virtual bool ReadXml(KpComix* comix, IXMLDOMNode* element);
    // Seconds from the episode's start at which the actor is done.
    virtual float GetEndTime();
    // time: seconds since the episode started.
    virtual void Update(float time);
    // The episode is being skipped; time is the comic's clock.
    virtual void Skip(float time);
    virtual void OnEpisodeEnd();

    KpComixGroup* GetTarget() const { return mTarget; }

protected:
    // "object" (a group of its own) or "group" (a group of the comic).
    bool ReadTarget(KpComix* comix, IXMLDOMNode* element);

    KpComixGroup* mOwnGroup = nullptr; // owned: the target when it is one object
    KpComixGroup* mTarget = nullptr;
};

// A property setter: writes a value to an object of the right kind, leaves others alone.
template <typename T> using KpComixSetter = void (*)(KpComixObject* object, const T& value);

template <typename T> class KpComixActorSetValue : public KpComixActor
{
public:
    explicit KpComixActorSetValue(KpComixSetter<T> setter) : mSetter(setter) {}
    bool ReadXml(KpComix* comix, IXMLDOMNode* element) override;
    float GetEndTime() override { return mT; }
    void Update(float time) override;
    void Skip(float time) override;

    T mValue{};
    float mT = 0.0f;
    bool mFired = false;
    KpComixSetter<T> mSetter;

private:
    void Fire();
};

template <typename T> class KpComixActorChangeValue : public KpComixActor
{
public:
    explicit KpComixActorChangeValue(KpComixSetter<T> setter) : mSetter(setter) {}
    bool ReadXml(KpComix* comix, IXMLDOMNode* element) override;
    float GetEndTime() override { return mT2; }
    void Update(float time) override;
    void Skip(float time) override;
    void OnEpisodeEnd() override;

    T mVal1{}, mVal2{};
    float mT1 = 0.0f, mT2 = 0.0f;
    bool mLoop = false;
    bool mDone = false;
    bool mLocal = true;
    KpComixSetter<T> mSetter;
    KpComixEasingRule mRule = ComixEaseLerp;

private:
    void WriteAll(const T& value);
};

extern template class KpComixActorSetValue<Lumo::LumoVector2>;
extern template class KpComixActorSetValue<bool>;
extern template class KpComixActorSetValue<float>;
extern template class KpComixActorChangeValue<float>;
extern template class KpComixActorChangeValue<Lumo::LumoVector2>;

// One actor from an "actor" element: the action picks the kind and the
// property; none (with a warning) for an unknown action or bad attributes.
KpComixActor* CreateComixActor(KpComix* comix, IXMLDOMNode* element);
