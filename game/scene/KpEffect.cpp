#include "game/scene/KpEffect.h"

#include <map>
#include <memory>
#include <mutex>

#include "framework/app/StringUtils.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"
#include "game/scene/KpIEffect.h"

namespace
{
const char* const kEffectFile = "cfg\\effect.xml";

struct Defaults
{
    const char* name;
    float value;
};
const Defaults kDefaultConstants[] = {
    {"DebriefingFirstAchievementDelay", 2.0f},
    {"DebriefingNextAchievementDelay", 1.0f},
    {"Match3PosX", 512.0f},
};

// The document: loaded on the loading thread or the first lookup, read on the main thread.
std::mutex gDocumentLock; // guards everything below
bool gLoaded = false;
std::map<std::string, std::unique_ptr<KpEffectScript>> gScripts;
std::map<std::string, float> gConstants;

int LoadLocked(IXMLDOMNode* document)
{
    gScripts.clear();
    gConstants.clear();
    gLoaded = true;
    if (!document)
        return 0;
    XmlForEachNode(document, L"effects/constants/const",
                   [](IXMLDOMNode* element)
                   {
                       std::string name;
                       float value = 0.0f;
                       if (!XmlReadString(element, "name", name) || name.empty() ||
                           !XmlReadFloat(element, "value", value))
                       {
                           WriteLog("WARNING: KpEffect: a const without name or number value "
                                    "('%s')",
                                    name.c_str());
                           return;
                       }
                       gConstants[name] = value;
                   });
    XmlForEachNode(document, L"effects/effect",
                   [](IXMLDOMNode* element)
                   {
                       std::unique_ptr<KpEffectScript> script(new KpEffectScript);
                       std::string error;
                       if (!script->Read(element, error))
                       {
                           WriteLog("WARNING: KpEffect: effect '%s' skipped: %s",
                                    script->mName.c_str(), error.c_str());
                           return;
                       }
                       if (gScripts.count(script->mName))
                           WriteLog("WARNING: KpEffect: effect '%s' given twice; the last counts",
                                    script->mName.c_str());
                       gScripts[script->mName] = std::move(script);
                   });
    return (int)gScripts.size();
}

void EnsureLoadedLocked()
{
    if (gLoaded)
        return;
    KpXmlDocument document = XmlLoadFile(kEffectFile);
    if (!document)
        WriteLog("WARNING: KpEffect: no effects: '%s' cannot be read", kEffectFile);
    LoadLocked(document.Get());
}
} // namespace

// --- the document

bool KpEffect::LoadFile(const std::string& path)
{
    KpXmlDocument document = XmlLoadFile(path);
    std::lock_guard<std::mutex> lock(gDocumentLock);
    LoadLocked(document.Get());
    return (bool)document;
}

bool KpEffect::EnsureLoaded()
{
    std::lock_guard<std::mutex> lock(gDocumentLock);
    EnsureLoadedLocked();
    return !gScripts.empty();
}

int KpEffect::LoadDocument(IXMLDOMNode* document)
{
    std::lock_guard<std::mutex> lock(gDocumentLock);
    return LoadLocked(document);
}

const KpEffectScript* KpEffect::FindScript(const std::string& name)
{
    std::lock_guard<std::mutex> lock(gDocumentLock);
    EnsureLoadedLocked();
    auto found = gScripts.find(name);
    return found == gScripts.end() ? nullptr : found->second.get();
}

void KpEffect::SetConstant(const std::string& name, float value)
{
    std::lock_guard<std::mutex> lock(gDocumentLock);
    EnsureLoadedLocked();
    gConstants[name] = value;
}

float KpEffect::GetConstant(const std::string& name)
{
    std::lock_guard<std::mutex> lock(gDocumentLock);
    EnsureLoadedLocked();
    auto found = gConstants.find(name);
    if (found != gConstants.end())
        return found->second;
    for (const Defaults& d : kDefaultConstants)
        if (name == d.name)
            return d.value;
    return 0.0f;
}

void KpEffect::Reset()
{
    std::lock_guard<std::mutex> lock(gDocumentLock);
    gScripts.clear();
    gConstants.clear();
    gLoaded = false;
}

// --- one running script

void KpEffect::Start(KpIEffect* target, const KpEffectScript* script)
{
    mGeneration++;
    mTarget = target;
    mScript = script;
    mRunning = target && script;
    if (!mRunning)
        return;
    mDone.assign(script->mSteps.size(), 0);
    mTimer.Start(script->mDurationMs);
    Apply(false);
}

bool KpEffect::Advance(int ms)
{
    if (!mRunning)
        return false;
    mTimer.Advance(ms);
    Apply(false);
    return mRunning;
}

void KpEffect::Finish()
{
    if (!mRunning)
        return;
    Apply(true);
    mRunning = false;
}

void KpEffect::Apply(bool finishAll)
{
    const uint32_t generation = mGeneration;
    const int now = mTimer.GetElapsedMs();
    bool allDone = true;
    for (size_t i = 0; i < mScript->mSteps.size(); i++)
    {
        if (mDone[i])
            continue;
        const KpEffectStep& step = mScript->mSteps[i];
        if (!finishAll && now < step.startMs)
        {
            allDone = false;
            continue;
        }
        float value = step.to;
        if (finishAll || now >= step.endMs)
            mDone[i] = 1;
        else
        {
            float r = (float)(now - step.startMs) / (float)(step.endMs - step.startMs);
            value = step.from + (step.to - step.from) * KpEaseValue(step.ease, r);
            allDone = false;
        }
        switch (step.property)
        {
        case kFxAlpha:
            mTarget->SetAlpha(value);
            break;
        case kFxScale:
            mTarget->SetScale(value);
            break;
        case kFxVisible:
            mTarget->SetVisible(value != 0.0f);
            break;
        case kFxScalePointX:
            mTarget->SetScalePointX(value);
            break;
        case kFxScalePointY:
            mTarget->SetScalePointY(value);
            break;
        case kFxOffsetX:
            mTarget->SetOffsetX(value);
            break;
        case kFxOffsetY:
            mTarget->SetOffsetY(value);
            break;
        default:
            break;
        }
        // The target may have stopped or restarted us from inside the setter.
        if (generation != mGeneration || (!mRunning && !finishAll))
            return;
    }
    if (allDone)
        mRunning = false;
}
