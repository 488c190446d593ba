#include "game/ui/KpAnim.h"

#include "game/ui/KpLayout.h"

void KpAnim::Play()
{
    mStopped = false;
    mHoldCels = false;
    RewindImages();
}

void KpAnim::Stop()
{
    mStopped = true;
    mHoldCels = true;
}

void KpAnim::ReadXml(IXMLDOMNode* element)
{
    KpCandyWidget::ReadXml(element);
    bool autoplay = true;
    KpLayout::ReadBool(this, element, "autoplay", autoplay);
    mStopped = mHoldCels = !autoplay;
}
