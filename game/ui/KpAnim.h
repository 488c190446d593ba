// KpAnim: a cel animation (a steaming cup, a smile): its images play their
// cels at their frame rate while it is visible. Play starts it over, Stop
// holds the current cel; "autoplay" 0 keeps it still until Play.
#pragma once

#include "game/ui/KpCandyWidget.h"

class KpAnim : public KpCandyWidget
{
public:
    void Play();
    void Stop();
    bool IsPlaying() const { return !mStopped && IsAnyImagePlaying(); }

    void ReadXml(IXMLDOMNode* element) override;

private:
    bool mStopped = false;
};
