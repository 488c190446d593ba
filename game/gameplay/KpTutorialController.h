// The tutorial of the first days: a list of steps from the level file, each
// showing one tutorial widget of the HUD until the play reports the event it
// waits for (a client arrived, was served, paid, a table was cleaned, a client
// left). While a step runs it may allow only some actions ("serve", "clean"),
// so the player is led through them in order. The controller draws nothing
// itself: it shows and hides the HUD's widgets through the view it is given.
#pragma once

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

    // An event of the play ("arrive", "serve", "pay", "clean", "leave"): ends
    // the current step when it waits for it, and shows the next one.
    void OnEvent(const std::string& event);
    // Whether the player may do the action ("serve", "clean") now.
    bool IsAllowed(const std::string& action) const;

    bool IsRunning() const { return mCurrent >= 0 && mCurrent < int(mSteps.size()); }
    int GetCurrentStep() const { return IsRunning() ? mCurrent : -1; }

private:
    void ShowStep(int index, bool show);

    std::vector<KpTutorialStep> mSteps;
    int mCurrent = -1;
    KpTutorialView* mView = nullptr;
};

extern KpTutorialController gTutorial;
