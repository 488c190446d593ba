#include "game/ui/KpButton.h"

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpSoundManager.h"
#include "game/ui/KpDialog.h"
#include "game/ui/KpLayout.h"

KpButton::KpButton()
{
    mMouseVisible = true;
    mDoFinger = true;
}

void KpButton::ReadXml(IXMLDOMNode* element)
{
    KpText::ReadXml(element);
    KpLayout::ReadString(element, "sound", mSound);
    KpLayout::ReadPoint(this, element, "downshift", mDownShiftX, mDownShiftY);
}

int KpButton::GetDrawState()
{
    if (mDisabled)
        return IsImageSetEmpty(kDisabled) ? kNormal : kDisabled;
    if (IsPressedLook() && !IsImageSetEmpty(kDown))
        return kDown;
    if ((mIsOver || IsPressedLook()) && !IsImageSetEmpty(kOver))
        return kOver;
    return kNormal;
}

void KpButton::Draw(Lumo::Graphics* g)
{
    KpCandyWidget::Draw(g);
    bool down = IsPressedLook();
    DrawLabel(g, down ? mDownShiftX : 0, down ? mDownShiftY : 0);
}

void KpButton::MouseEnter()
{
    KpText::MouseEnter();
    SetDirty();
}

void KpButton::MouseLeave()
{
    KpText::MouseLeave();
    SetDirty();
}

void KpButton::MouseDown(int x, int y, int button, int clicks)
{
    KpText::MouseDown(x, y, button, clicks);
    SetDirty();
}

void KpButton::MouseUp(int x, int y, int button, int clicks)
{
    // The manager reports the release before it looks at the pointer again, so
    // a release away from the button arrives with mIsOver already clear.
    SetDirty();
    if (button == 0 && mIsOver && !mDisabled && mManager && mManager->mHasFocus)
        OnClick();
}

void KpButton::PlaySound()
{
    if (!mSound.empty())
        GetSoundManager()->SoundPlay(mSound);
}

void KpButton::OnClick()
{
    PlaySound();
    if (KpDialog* dialog = FindParentDialog())
        dialog->ButtonPressed(this);
}
