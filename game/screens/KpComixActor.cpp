#include "game/screens/KpComixActor.h"

#include <cmath>

#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpComixProperty.h"

// ---------------------------------------------------------------- base

KpComixActor::~KpComixActor()
{
    delete mOwnGroup;
}

bool KpComixActor::ReadXml(KpComix*, IXMLDOMNode*)
{
    return false;
}

float KpComixActor::GetEndTime()
{
    return 0.0f;
}

void KpComixActor::Update(float) {}

void KpComixActor::Skip(float) {}

void KpComixActor::OnEpisodeEnd() {}

bool KpComixActor::ReadTarget(KpComix* comix, IXMLDOMNode* element)
{
    std::string objectName, groupName;
    const bool hasObject = XmlReadString(element, "object", objectName);
    const bool hasGroup = XmlReadString(element, "group", groupName);
    if (hasObject)
    {
        KpComixObject* object = comix->FindObject(objectName);
        if (!object)
        {
            WriteLog("WARNING: KpComixActor - object '%s' does not exist", objectName.c_str());
            return false;
        }
        mOwnGroup = new KpComixGroup();
        mOwnGroup->mObjects.push_back(object);
        mTarget = mOwnGroup;
        if (hasGroup)
            WriteLog("WARNING: KpComixActor - group '%s' and object '%s' in single actor not "
                     "supported.",
                     groupName.c_str(), objectName.c_str());
        return true;
    }
    if (hasGroup)
    {
        mTarget = comix->FindGroup(groupName);
        if (!mTarget)
        {
            WriteLog("WARNING: KpComixActor - group '%s' does not exist", groupName.c_str());
            return false;
        }
        return true;
    }
    WriteLog("WARNING: KpComixActor - no atributes 'object' or 'group'");
    return false;
}

// ---------------------------------------------------------------- values from attributes

namespace
{

bool ReadValue(IXMLDOMNode* element, const char* name, float& value)
{
    return XmlReadFloat(element, name, value);
}

bool ReadValue(IXMLDOMNode* element, const char* name, bool& value)
{
    return XmlReadBool(element, name, value);
}

bool ReadValue(IXMLDOMNode* element, const char* name, Lumo::LumoVector2& value)
{
    return XmlReadPoint(element, name, value);
}

} // namespace

// ---------------------------------------------------------------- set value

template <typename T> bool KpComixActorSetValue<T>::ReadXml(KpComix* comix, IXMLDOMNode* element)
{
    if (!ReadTarget(comix, element))
        return false;
    if (!ReadValue(element, "val", mValue))
    {
        WriteLog("WARNING: KpComixActorSetValue - bad atribute 'val'");
        return false;
    }
    if (!ReadValue(element, "t", mT))
    {
        WriteLog("WARNING: KpComixActorSetValue - bad atribute 't'");
        return false;
    }
    return true;
}

template <typename T> void KpComixActorSetValue<T>::Fire()
{
    for (KpComixObject* object : mTarget->mObjects)
        mSetter(object, mValue);
    mFired = true;
}

template <typename T> void KpComixActorSetValue<T>::Update(float time)
{
    if (!mFired && mT <= time)
        Fire();
}

template <typename T> void KpComixActorSetValue<T>::Skip(float)
{
    if (!mFired)
        Fire();
}

// ---------------------------------------------------------------- change value

template <typename T> bool KpComixActorChangeValue<T>::ReadXml(KpComix* comix, IXMLDOMNode* element)
{
    if (!ReadTarget(comix, element))
        return false;
    if (!ReadValue(element, "val1", mVal1))
    {
        WriteLog("WARNING: KSComixActorChangeValue - bad atribute 'val1'");
        return false;
    }
    if (!ReadValue(element, "val2", mVal2))
    {
        WriteLog("WARNING: KSComixActorChangeValue - bad atribute 'val2'");
        return false;
    }
    if (!ReadValue(element, "t1", mT1))
    {
        WriteLog("WARNING: KSComixActorChangeValue - bad atribute 't1'");
        return false;
    }
    if (!ReadValue(element, "t2", mT2))
    {
        WriteLog("WARNING: KSComixActorChangeValue - bad atribute 't2'");
        return false;
    }
    XmlReadBool(element, "loop", mLoop);
    XmlReadBool(element, "local", mLocal);
    std::string rule = "lerp";
    XmlReadString(element, "rule", rule);
    mRule = GetEasingRule(rule);
    if (!mRule)
    {
        WriteLog("WARNING: KSComixActorChangeValue - rule '%s' is unknown.", rule.c_str());
        return false;
    }
    return true;
}

template <typename T> void KpComixActorChangeValue<T>::WriteAll(const T& value)
{
    for (KpComixObject* object : mTarget->mObjects)
        mSetter(object, value);
}

template <typename T> void KpComixActorChangeValue<T>::Update(float time)
{
    if (mDone)
        return;
    const bool active = (mT1 <= time && time <= mT2) || (mLoop && mT1 <= time);
    if (active)
    {
        if (mT2 == mT1)
            // No span to move along: the end value at once (a share would divide by zero).
            WriteAll(mVal2);
        else
        {
            float r = (time - mT1) / (mT2 - mT1);
            r = r - std::floor(r);
            WriteAll(Lerp(mRule(r), mVal1, mVal2));
        }
    }
    if (time > mT2 && !mLoop)
    {
        mDone = true;
        WriteAll(mVal2);
    }
}

template <typename T> void KpComixActorChangeValue<T>::Skip(float time)
{
    if (mT2 >= time || mLocal)
    {
        mDone = true;
        WriteAll(mVal2);
    }
}

template <typename T> void KpComixActorChangeValue<T>::OnEpisodeEnd()
{
    if (mLocal)
        mDone = true;
}

template class KpComixActorSetValue<Lumo::LumoVector2>;
template class KpComixActorSetValue<bool>;
template class KpComixActorSetValue<float>;
template class KpComixActorChangeValue<float>;
template class KpComixActorChangeValue<Lumo::LumoVector2>;

// ---------------------------------------------------------------- factory

KpComixActor* CreateComixActor(KpComix* comix, IXMLDOMNode* element)
{
    std::string action;
    XmlReadString(element, "action", action);
    KpComixActor* actor = MakeComixActor(action);
    if (!actor)
    {
        WriteLog("WARNING: Can not create actor for action '%s'", action.c_str());
        return nullptr;
    }
    if (!actor->ReadXml(comix, element))
    {
        delete actor;
        return nullptr;
    }
    return actor;
}
