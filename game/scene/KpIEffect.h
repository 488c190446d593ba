// What an effect script drives on its target: a widget or a scene object. The
// slot order is fixed (scripts and callbacks reach targets through it), so new
// properties go after GetName.
#pragma once

#include <string>

class KpIEffect
{
public:
    // 0 (transparent) to 1 (opaque); the alpha the target is drawn with.
    virtual void SetAlpha(float alpha) = 0;
    // Uniform scale about the scale point; 1 draws at the natural size.
    virtual void SetScale(float scale) = 0;
    virtual void SetVisible(bool visible) = 0;
    // The scale point in pixels from the target's top-left corner.
    virtual void SetScalePointX(float x) = 0;
    virtual void SetScalePointY(float y) = 0;
    // Pixels the target is moved from its own place.
    virtual void SetOffsetX(float x) = 0;
    virtual void SetOffsetY(float y) = 0;
    virtual const std::string& GetName() = 0;

protected:
    // Never deleted through the interface.
    ~KpIEffect() = default;
};
