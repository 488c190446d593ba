// KpEditWidget: a one-line text field (the player's name). It takes the
// keyboard focus when pressed, shows a blinking caret at the end of the text
// while it has the focus, appends typed characters and removes the last one
// on backspace. The maximum length counts characters, so a character made of
// two UTF-16 units (a surrogate pair) is never cut in half. Enter, Escape and
// Tab go on to the dialog.
#pragma once

#include "game/ui/KpText.h"

class KpEditWidget : public KpText
{
public:
    KpEditWidget();

    // Cut to the maximum length.
    void SetText(const std::wstring& text) override;
    // Characters; 0 for no limit. Longer text is cut at once.
    void SetMaxLength(int characters);
    int GetMaxLength() const { return mMaxLength; }
    bool IsCaretShown() const { return mHasFocus && mCaretOn; }
    // Where the caret is drawn, in the widget's coordinates (empty without a font).
    Lumo::Rect GetCaretRect();

    // Characters (not UTF-16 units) in the text.
    static int CountCharacters(const std::wstring& text);
    // The text cut after that many characters.
    static std::wstring CutToCharacters(const std::wstring& text, int characters);

    void ReadXml(IXMLDOMNode* element) override;
    void Update() override;
    void Draw(Lumo::Graphics* g) override;
    void KeyChar(wchar_t c) override;
    void KeyDown(int key) override;
    void GotFocus() override;
    void LostFocus() override;

private:
    int mMaxLength = 0;
    bool mCaretOn = true;
    int mCaretTimeMs = 0; // game time since the caret last changed
    Lumo::Color mCaretColor{0x5B, 0x3A, 0x29};
};
