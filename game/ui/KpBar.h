// KpBar: a fill bar showing a fraction from 0 to 1 (progress, patience,
// loading). Image state 0 is the empty bar, state 1 the full one, drawn cut at
// the fraction: from the left, or from the bottom when "vertical".
#pragma once

#include "game/ui/KpCandyWidget.h"

class KpBar : public KpCandyWidget
{
public:
    // Clamped to 0..1.
    void SetValue(float value);
    float GetValue() const { return mValue; }

    void ReadXml(IXMLDOMNode* element) override;
    void Draw(Lumo::Graphics* g) override;

private:
    float mValue = 0.0f;
    bool mVertical = false;
    Lumo::Color mFillColor{0x6F, 0xBF, 0x9B}; // without pictures: mint
};
