// KpCheckBox: a box that a click turns on or off. Image states: 0 off, 1 on,
// and 2 and 3 the same with the pointer over. A click toggles the state and
// plays the sound; the dialog reads the state when it needs it (a toggle is no
// button press of the dialog).
#pragma once

#include "game/ui/KpButton.h"

class KpCheckBox : public KpButton
{
public:
    void SetChecked(bool checked);
    bool IsChecked() const { return mChecked; }

    void ReadXml(IXMLDOMNode* element) override;
    int GetDrawState() override;
    int GetDisabledState() override { return -1; }
    void OnClick() override;

private:
    bool mChecked = false;
};
