// KpSlider: an integer value from 0 to a maximum, set by dragging a thumb
// along a track (or pressing the track). Image states: 0 the track, 1 the
// thumb, 2 the filled part of the track (drawn up to the thumb). Horizontal
// unless "vertical" (then the value grows downwards).
#pragma once

#include "game/ui/KpCandyWidget.h"

class KpSlider : public KpCandyWidget
{
public:
    KpSlider();

    void SetMaxValue(int maxValue);
    int GetMaxValue() const { return mMax; }
    // Clamped to 0..maximum.
    void SetValue(int value);
    int GetValue() const { return mValue; }
    bool IsDragging() const { return mDragging; }
    bool IsVertical() const { return mVertical; }

    void ReadXml(IXMLDOMNode* element) override;
    void Draw(Lumo::Graphics* g) override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y, int button, int clicks) override;

protected:
    bool mVertical = false;

private:
    // Length of the thumb along the track, pixels.
    int ThumbLength();
    // Pixels from the track start to the thumb's start for the value.
    int ThumbOffset();
    void ValueFromPoint(int x, int y);

    int mMax = 100;
    int mValue = 0;
    bool mDragging = false;
    int mGrab = 0; // where in the thumb it was taken, pixels
};
