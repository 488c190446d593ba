#include "game/ui/KpScrollBar.h"

KpScrollBar::KpScrollBar()
{
    mVertical = true;
    SetMaxValue(0);
}

void KpScrollBar::ReadXml(IXMLDOMNode* element)
{
    KpSlider::ReadXml(element);
}

void KpScrollBar::MouseWheel(int delta)
{
    SetValue(GetValue() - (delta > 0 ? 1 : (delta < 0 ? -1 : 0)));
}
