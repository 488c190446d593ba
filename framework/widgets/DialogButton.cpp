#include "framework/widgets/DialogButton.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/SysFont.h"
#include "framework/widgets/WidgetManager.h"

namespace Lumo
{

DialogButton::DialogButton(Image* componentImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), mComponentImage(componentImage)
{
    mDoFinger = true;
    static const int kColors[6][3] = {
        {255, 255, 255}, {255, 255, 255}, {0, 0, 0},
        {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
    };
    SetColorsRGB(kColors, 6);
}

void DialogButton::Draw(Graphics* g)
{
    if (mBtnNoDraw)
        return;
    if (mComponentImage == nullptr)
    {
        ButtonWidget::Draw(g);
        return;
    }
    if (mFont == nullptr && !mLabel.empty())
    {
        AppHost* app = mManager != nullptr ? mManager->mApp : nullptr;
        mOwnedFont = new SysFont(app, "Arial Unicode MS", 12, 1, false, false, false);
        mFont = mOwnedFont;
    }
    bool pressed = IsPressed();
    Rect box(0, 0, mWidth, mHeight);

    if (mNormalRect.mWidth == 0)
    {
        if (pressed)
            g->Translate(mTranslateX, mTranslateY);
        g->DrawImageBox(box, mComponentImage);
    }
    else
    {
        if (mDisabled && mDisabledRect.mWidth >= 1 && mDisabledRect.mHeight >= 1)
            g->DrawImageBox(mDisabledRect, box, mComponentImage);
        else if (pressed)
            g->DrawImageBox(mDownRect, box, mComponentImage);
        else if (mOverAlpha <= 0)
            g->DrawImageBox(mIsOver ? mOverRect : mNormalRect, box, mComponentImage);
        else
        {
            if (mOverAlpha < 1.0)
                g->DrawImageBox(mNormalRect, box, mComponentImage);
            g->SetColor(255, 255, 255, (int)(mOverAlpha * 255));
            g->SetTintImages(true);
            g->DrawImageBox(mOverRect, box, mComponentImage);
            g->SetTintImages(false);
        }
        if (pressed)
            g->Translate(mTranslateX, mTranslateY);
    }

    if (mFont != nullptr)
    {
        g->SetFont(mFont);
        g->SetColor(GetColor(mIsOver ? 1 : 0));
        int ascent = mFont->GetAscent();
        int x = mTextOffsetX + (mWidth - mFont->StringWidth(mLabel)) / 2;
        int y = mTextOffsetY + (ascent + mHeight - ascent / 6 - mFont->GetAscentPadding() - 1) / 2;
        g->DrawString(mLabel, x, y);
    }
    if (pressed)
        g->Translate(-mTranslateX, -mTranslateY);
}

} // namespace Lumo
