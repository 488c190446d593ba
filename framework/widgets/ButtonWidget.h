// Lumo::ButtonWidget: a push button that reports presses, clicks, hover and
// holds by id to a ButtonListener. It draws from state images when it has
// them (with an optional hover cross-fade) and as a bevelled box otherwise.
// Images are not owned; the font is owned only when the button made it.
#pragma once

#include <string>

#include "framework/widgets/Widget.h"

namespace Lumo
{

class ButtonListener;
class Font;

class ButtonWidget : public Widget
{
public:
    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    // --- Virtual operations appended to the widget's, in slot order
    // Draws the whole image when source.mWidth is 0, else that part of it.
    virtual void DrawStateImage(Graphics* g, Image* image, const Rect& source, int x, int y);
    // Stores the pointer; the caller keeps ownership.
    virtual void SetFont(Font* font);
    virtual bool IsPressed();

    // --- Overrides
    void Update() override;
    void Draw(Graphics* g) override;
    void SetDisabled(bool disabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseUp(int x, int y, int button, int clicks) override;

    // A state image counts as present when set or given a source rectangle.
    static bool HasStateImage(const Image* image, const Rect& source)
    {
        return image != nullptr || source.mWidth != 0;
    }
    bool HaveButtonImage() const { return HasStateImage(mButtonImage, mNormalRect); }
    bool HaveOverImage() const { return HasStateImage(mOverImage, mOverRect); }
    bool HaveDownImage() const { return HasStateImage(mDownImage, mDownRect); }
    bool HaveDisabledImage() const { return HasStateImage(mDisabledImage, mDisabledRect); }

    // --- Data
    int mId;
    std::wstring mLabel;
    int mLabelJustify = 0; // 0 centred, 1 right, other values left
    Font* mFont = nullptr;
    Image* mButtonImage = nullptr; // normal
    Image* mOverImage = nullptr;
    Image* mDownImage = nullptr;
    Image* mDisabledImage = nullptr;
    Rect mNormalRect, mOverRect, mDownRect, mDisabledRect; // width 0: whole image
    bool mInverted = false;                                // swaps the raised and pressed looks
    bool mBtnNoDraw = false;                               // Draw draws nothing
    bool mFrameNoDraw = false; // the drawn fallback omits fill and bevel
    ButtonListener* mButtonListener;
    double mOverAlpha = 0.0;            // hover fade, 0 normal to 1 fully over
    double mOverAlphaSpeed = 0.0;       // per-update fade-out step; 0 is instant
    double mOverAlphaFadeInSpeed = 0.0; // per-update fade-in step; 0 is none

protected:
    Font* mOwnedFont = nullptr; // made on the first draw when no font was given
};

} // namespace Lumo
