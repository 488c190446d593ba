// KpScrollBar: a vertical slider whose value is the first row of a list (or
// any scrolled content); its maximum is the number of rows that do not fit.
// Image states as the slider's: 0 track, 1 thumb, 2 filled part.
#pragma once

#include "game/ui/KpSlider.h"

class KpScrollBar : public KpSlider
{
public:
    KpScrollBar();

    void ReadXml(IXMLDOMNode* element) override;
    void MouseWheel(int delta) override;
};
