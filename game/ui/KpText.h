// KpText: a label and picture widget. Its text comes from the layout ("text",
// or "loc" for an id of "cfg\loc.xml") or from SetText, and may name text
// variables as {name}, which show the variable's current value. Image state 0
// is the normal picture, state 1 the disabled one; a disabled label without a
// disabled colour is drawn at 55%.
#pragma once

#include <string>

#include "game/ui/KpCandyWidget.h"
#include "game/ui/KpTextStyle.h"

class KpImageHandle;

class KpText : public KpCandyWidget
{
public:
    KpText();

    // --- Virtual operations appended to the game widget's
    virtual void SetText(const std::wstring& text);

    const std::wstring& GetText() const { return mRawText; }
    // The text as drawn: variables replaced by their values.
    const std::wstring& GetShownText();
    // The texture (whole) as the image of both states.
    void SetImage(const KpImageHandle& handle);

    KpTextStyle& GetStyle() { return mStyle; }
    void SetFont(Lumo::Font* font);
    void SetTextColor(const Lumo::Color& color);
    // The text's box inside the widget (the whole widget unless set).
    void SetTextRect(const Lumo::Rect& rect);
    Lumo::Rect GetTextRect() const;

    // Replaces every {name} by the text variable of that name.
    static std::wstring ExpandTextVars(const std::wstring& text);

    // --- Overrides
    void ReadXml(IXMLDOMNode* element) override;
    KpText* AsText() override { return this; }
    // Off view the laid-out text picture goes too.
    void UnlockImages() override;
    void Update() override;
    void Draw(Lumo::Graphics* g) override;

    // Takes the current values of the text variables now (asks to be drawn
    // again when the shown text changes), not at the next update or drawing.
    void RefreshVariables() { RefreshShownText(); }

protected:
    // Draws the label in its box moved by (dx, dy).
    void DrawLabel(Lumo::Graphics* g, int dx, int dy);
    // Text variables are shown (typed text does not expand them).
    bool mExpandVars = true;
    KpTextStyle mStyle;

private:
    void RefreshShownText();

    std::wstring mRawText;
    std::wstring mShownText;
    unsigned mVarsChange = ~0u;             // text-variable change count the shown text was made at
    Lumo::Color mDisabledColor{0, 0, 0, 0}; // alpha 0: the normal colour at 55%
    Lumo::Rect mTextRect;                   // width 0: the whole widget
    KpTextCache mCache;
};
