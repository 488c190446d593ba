// A running effect: one script of "cfg\effect.xml" playing on one target,
// advanced once per update by the update's milliseconds (KpFrameClock). The
// class also keeps the effect document: the scripts by name and the float
// constants of "effects/constants", both read from the document on first use
// (or handed in by the loader or a test), and both read at the time of use.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/scene/KpEffectScript.h"
#include "game/scene/KpTimer.h"

class KpIEffect;

class KpEffect
{
public:
    // --- one running script
    // Starts the script on the target; the steps due at time 0 apply at once.
    void Start(KpIEffect* target, const KpEffectScript* script);
    // Advances the effect and applies what fell due; false once it has ended.
    bool Advance(int ms);
    // Every step not yet done takes its end value now, and the effect ends.
    void Finish();
    // Ends the effect where it stands.
    void Stop() { mRunning = false; }

    bool IsRunning() const { return mRunning; }
    const KpEffectScript* GetScript() const { return mScript; }
    int GetElapsedMs() const { return mTimer.GetElapsedMs(); }

    // --- the effect document
    // Reads "cfg\effect.xml" now (it is otherwise read on the first lookup).
    static bool LoadFile(const std::string& path);
    // Reads "cfg\effect.xml" unless it was read already (scripts handed out
    // stay valid); false when it gave no usable effect.
    static bool EnsureLoaded();
    // Replaces every script and constant with those of the document; bad
    // elements are skipped with a warning. Returns the number of scripts.
    static int LoadDocument(IXMLDOMNode* document);
    // The script of that name, or null. Scripts live until Reset.
    static const KpEffectScript* FindScript(const std::string& name);
    static void SetConstant(const std::string& name, float value);
    // The constant's value; its built-in default when the document gave none
    // ("DebriefingFirstAchievementDelay" 2, "DebriefingNextAchievementDelay" 1,
    // "Match3PosX" 512); 0 for a name nothing defines.
    static float GetConstant(const std::string& name);
    // Forgets the document: the next lookup reads the file again (tests).
    static void Reset();

private:
    void Apply(bool finishAll);

    KpIEffect* mTarget = nullptr;
    const KpEffectScript* mScript = nullptr;
    KpTimer mTimer;
    std::vector<uint8_t> mDone; // per step: its end value has been written
    uint32_t mGeneration = 0;   // bumped by Start: a target that restarts us mid-apply
    bool mRunning = false;
};
