#include "framework/widgets/ButtonWidget.h"

#include "framework/app/AppHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/SysFont.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"

namespace Lumo
{

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : mId(id), mButtonListener(listener)
{
    mSeeThrough = true;
    static const int kColors[6][3] = {
        {0, 0, 0},       // label
        {0, 0, 0},       // label while over
        {0, 0, 0},       // dark bevel
        {255, 255, 255}, // light bevel
        {132, 132, 132}, // inner shadow
        {212, 212, 212}, // face
    };
    SetColorsRGB(kColors, 6);
}

ButtonWidget::~ButtonWidget()
{
    delete mOwnedFont;
}

void ButtonWidget::DrawStateImage(Graphics* g, Image* image, const Rect& source, int x, int y)
{
    if (image == nullptr)
        return;
    if (source.mWidth == 0)
        g->DrawImage(image, x, y);
    else
        g->DrawImage(image, x, y, source);
}

void ButtonWidget::SetFont(Font* font)
{
    mFont = font;
}

bool ButtonWidget::IsPressed()
{
    return mIsDown && mIsOver && !mDisabled;
}

// ============================================================================
// Input and fade
// ============================================================================

void ButtonWidget::Update()
{
    Widget::Update();
    if (mIsDown && mIsOver && mButtonListener != nullptr)
        mButtonListener->OnHeldDown(mId);
    if (mIsOver)
    {
        if (mOverAlphaFadeInSpeed > 0 && mOverAlpha < 1.0)
        {
            mOverAlpha += mOverAlphaFadeInSpeed;
            if (mOverAlpha > 1.0)
                mOverAlpha = 1.0;
            SetDirty();
        }
    }
    else if (!mIsDown && mOverAlpha > 0)
    {
        if (mOverAlphaSpeed > 0)
        {
            mOverAlpha -= mOverAlphaSpeed;
            if (mOverAlpha < 0)
                mOverAlpha = 0;
        }
        else
            mOverAlpha = 0;
        SetDirty();
    }
}

void ButtonWidget::SetDisabled(bool disabled)
{
    Widget::SetDisabled(disabled);
    if (HaveDisabledImage())
        SetDirty();
}

void ButtonWidget::MouseEnter()
{
    if (mOverAlphaFadeInSpeed == 0 && mOverAlpha > 0)
        mOverAlpha = 0;
    // Nothing would look different on an up button without an over image
    // whose two label colours agree.
    if (mIsDown || HaveOverImage() || GetColor(0) != GetColor(1))
        SetDirty();
    if (mButtonListener != nullptr)
        mButtonListener->OnMouseEnter(mId);
}

void ButtonWidget::MouseLeave()
{
    if (mOverAlphaSpeed == 0 && mOverAlpha > 0)
        mOverAlpha = 0;
    else if (mOverAlphaSpeed > 0 && mOverAlpha == 0)
        mOverAlpha = 1.0; // a fade-out starts from full over
    if (mIsDown || HaveOverImage() || GetColor(0) != GetColor(1))
        SetDirty();
    if (mButtonListener != nullptr)
        mButtonListener->OnMouseLeave(mId);
}

void ButtonWidget::MouseMove(int x, int y)
{
    if (mButtonListener != nullptr)
        mButtonListener->OnMouseMove(mId, x, y);
}

void ButtonWidget::MouseDown(int, int, int, int clicks)
{
    if (mButtonListener != nullptr)
        mButtonListener->OnPressedWithClicks(mId, clicks);
    SetDirty();
}

void ButtonWidget::MouseUp(int, int, int, int)
{
    // The manager reports the release before it re-evaluates hover, so a
    // release outside the button arrives here with mIsOver already false.
    if (mIsOver && mManager != nullptr && mManager->mHasFocus && mButtonListener != nullptr)
        mButtonListener->OnClicked(mId);
    SetDirty();
}

// ============================================================================
// Drawing
// ============================================================================

void ButtonWidget::Draw(Graphics* g)
{
    if (mBtnNoDraw)
        return;
    if (mFont == nullptr && !mLabel.empty())
    {
        AppHost* app = mManager != nullptr ? mManager->mApp : nullptr;
        mOwnedFont = new SysFont(app, "Arial Unicode MS", 10, 0, false, false, false);
        mFont = mOwnedFont;
    }
    bool pressed = (mIsDown && mIsOver && !mDisabled) != mInverted;

    int labelWidth = 0, fontHeight = 0, ascent = 0;
    if (mFont != nullptr)
    {
        labelWidth = mFont->StringWidth(mLabel);
        fontHeight = mFont->GetHeight();
        ascent = mFont->GetAscent();
    }
    int labelX = 0;
    if (mLabelJustify == 0)
        labelX = (mWidth - labelWidth) / 2;
    else if (mLabelJustify == 1)
        labelX = mWidth - labelWidth;
    int labelY = (mHeight - fontHeight) / 2 + ascent;
    g->SetFont(mFont);

    if (!HaveButtonImage() && !HaveDownImage())
    {
        if (!pressed)
        {
            if (!mFrameNoDraw)
            {
                g->SetColor(GetColor(5));
                g->FillRect(0, 0, mWidth, mHeight);
                g->SetColor(GetColor(3));
                g->FillRect(0, 0, mWidth - 1, 1);
                g->FillRect(0, 0, 1, mHeight - 1);
                g->SetColor(GetColor(2));
                g->FillRect(0, mHeight - 1, mWidth, 1);
                g->FillRect(mWidth - 1, 0, 1, mHeight);
                g->SetColor(GetColor(4));
                g->FillRect(1, mHeight - 2, mWidth - 2, 1);
                g->FillRect(mWidth - 2, 1, 1, mHeight - 2);
            }
            g->SetColor(GetColor(mIsOver ? 1 : 0));
        }
        else
        {
            if (!mFrameNoDraw)
            {
                g->SetColor(GetColor(5));
                g->FillRect(0, 0, mWidth, mHeight);
                g->SetColor(GetColor(2));
                g->FillRect(0, 0, mWidth - 1, 1);
                g->FillRect(0, 0, 1, mHeight - 1);
                g->SetColor(GetColor(3));
                g->FillRect(0, mHeight - 1, mWidth, 1);
                g->FillRect(mWidth - 1, 0, 1, mHeight);
                g->SetColor(GetColor(4));
                g->FillRect(1, 1, mWidth - 3, 1);
                g->FillRect(1, 1, 1, mHeight - 3);
            }
            g->SetColor(GetColor(mIsOver ? 1 : 0));
            labelX++;
            labelY++;
        }
    }
    else if (!pressed)
    {
        if (mDisabled && HaveDisabledImage())
            DrawStateImage(g, mDisabledImage, mDisabledRect, 0, 0);
        else if (mOverAlpha > 0 && HaveOverImage())
        {
            if (HaveButtonImage() && mOverAlpha < 1.0)
                DrawStateImage(g, mButtonImage, mNormalRect, 0, 0);
            g->SetColor(255, 255, 255, (int)(mOverAlpha * 255));
            g->SetTintImages(true);
            DrawStateImage(g, mOverImage, mOverRect, 0, 0);
            g->SetTintImages(false);
        }
        else if ((mIsOver || mIsDown) && HaveOverImage())
            DrawStateImage(g, mOverImage, mOverRect, 0, 0);
        else if (HaveButtonImage())
            DrawStateImage(g, mButtonImage, mNormalRect, 0, 0);
        g->SetColor(GetColor(mIsOver ? 1 : 0));
    }
    else
    {
        if (HaveDownImage())
            DrawStateImage(g, mDownImage, mDownRect, 0, 0);
        else if (HaveOverImage())
            DrawStateImage(g, mOverImage, mOverRect, 0, 0);
        else
            DrawStateImage(g, mButtonImage, mNormalRect, 1, 1);
        g->SetColor(GetColor(1));
    }
    g->DrawString(mLabel, labelX, labelY);
}

} // namespace Lumo
