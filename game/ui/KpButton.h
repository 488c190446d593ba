// KpButton: a push button with a label. Image states: 0 normal, 1 pointer
// over, 2 pressed, 3 disabled; a missing state falls back to the one before
// it (disabled: the normal picture at 55%). A release over the button after a
// press on it plays its sound ("click" unless the layout names another) and
// reports the press to the dialog it belongs to (KpDialog::ButtonPressed).
#pragma once

#include <string>

#include "game/ui/KpText.h"

class KpButton : public KpText
{
public:
    enum State
    {
        kNormal = 0,
        kOver,
        kDown,
        kDisabled
    };

    KpButton();

    // --- Virtual operations appended to the text widget's
    // A completed press: sound, then the report to the dialog.
    virtual void OnClick();

    void SetLabel(const std::wstring& label) { SetText(label); }
    void SetSound(const std::string& sound) { mSound = sound; }
    bool IsPressedLook() const { return mIsDown && mIsOver && !mDisabled; }

    // --- Overrides
    void ReadXml(IXMLDOMNode* element) override;
    int GetDrawState() override;
    int GetDisabledState() override { return kDisabled; }
    void Draw(Lumo::Graphics* g) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseUp(int x, int y, int button, int clicks) override;

protected:
    void PlaySound();

private:
    std::string mSound = "click";         // empty: silent
    int mDownShiftX = 0, mDownShiftY = 0; // the label moves with a pressed picture
};
