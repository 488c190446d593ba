#include "game/ui/KpCheckBox.h"

#include "game/ui/KpLayout.h"

void KpCheckBox::SetChecked(bool checked)
{
    if (checked == mChecked)
        return;
    mChecked = checked;
    SetDirty();
}

void KpCheckBox::ReadXml(IXMLDOMNode* element)
{
    KpButton::ReadXml(element);
    bool checked = mChecked;
    if (KpLayout::ReadBool(this, element, "checked", checked))
        SetChecked(checked);
}

int KpCheckBox::GetDrawState()
{
    int state = mChecked ? 1 : 0;
    if (!mDisabled && (mIsOver || IsPressedLook()) && !IsImageSetEmpty(state + 2))
        state += 2;
    return state;
}

void KpCheckBox::OnClick()
{
    PlaySound();
    SetChecked(!mChecked);
}
