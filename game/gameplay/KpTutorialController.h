// The tutorial of the first days: a list of steps from the level file, each
// showing one tutorial widget of the HUD until the play reports the event it
// waits for (a client arrived, was served, paid, a table was cleaned, a client
// left, the most hurried of two or more waiting clients was served) or the
// player skips the tips. A step's tip is on view only while its event can
// happen (a tip that asks to clean shows while a table is dirty; one whose
// event the play never reports, all along), and the tutorial never stands
// in the way of the play: it leads, it blocks no click. The controller draws
// nothing itself: it shows and hides the HUD's widgets through the view it is
// given.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/gameplay/KpLevelData.h"

// Where the tutorial shows itself (the board, which passes it on to its HUD).
class KpTutorialView
{
public:
    virtual void ShowTutorialElement(const std::string& name, bool show) = 0;
    virtual void ShowTutorialSkip(bool show) = 0;

protected:
    ~KpTutorialView() = default;
};

class KpTutorialController
{
public:
    // Starts the steps (none: no tutorial). The view may be null.
    void Start(const std::vector<KpTutorialStep>& steps, KpTutorialView* view);
    // Ends the running tutorial and hides its widgets and the skip button.
    void Skip();
    // Ends it without touching the view (the level is left).
    void Stop();

    // An event of the play ("arrive", "serve", "pay", "clean", "leave",
    // "urgent"): ends the current step when it waits for it, and shows the
    // next one.
    void OnEvent(const std::string& event);
    // The play says whether an event can happen now ("serve": a client is
    // waiting; "clean": a table is dirty). An event never reported can always
    // happen. The current step's tip follows at once.
    void SetPossible(const std::string& event, bool possible);
    bool IsPossible(const std::string& event) const;

    bool IsRunning() const { return mCurrent >= 0 && mCurrent < int(mSteps.size()); }
    int GetCurrentStep() const { return IsRunning() ? mCurrent : -1; }
    // The step whose tip is on view, -1 for none.
    int GetShownStep() const { return mShown; }

private:
    // Shows the current step's tip when its event can happen, hides any other.
    void Refresh();

    std::vector<KpTutorialStep> mSteps;
    int mCurrent = -1;
    int mShown = -1;
    KpTutorialView* mView = nullptr;
    std::map<std::string, bool> mPossible; // as the play last reported; kept across levels
};

extern KpTutorialController gTutorial;
