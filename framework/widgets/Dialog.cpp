#include "framework/widgets/Dialog.h"

#include "framework/app/AppHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetManager.h"

namespace Lumo
{

const std::wstring gDialogButtonLabels[4] = {L"YES", L"NO", L"OK", L"CANCEL"};

namespace
{
// Default colours: header, lines, footer, button label, button label over,
// fallback box fill, fallback box outline.
const int kDialogColors[7][3] = {
    {255, 255, 255}, {255, 255, 0}, {255, 255, 255}, {255, 255, 255},
    {255, 255, 255}, {80, 80, 80},  {255, 255, 255},
};
} // namespace

Dialog::Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool isModal,
               const std::wstring& header, const std::wstring& lines, const std::wstring& footer,
               int buttonMode)
    : mDialogListener(gAppHost ? gAppHost->GetDialogListener() : nullptr),
      mComponentImage(componentImage), mDialogHeader(header), mDialogFooter(footer),
      mDialogLines(lines), mButtonMode(buttonMode),
      mButtonHeight(buttonComponentImage != nullptr ? buttonComponentImage->GetHeight() : 24),
      mId(id), mIsModal(isModal), mLifeToken(std::make_shared<LifeToken>())
{
    mSeeThrough = true;
    mHasTransparencies = true;
    mPriority = 1;

    if (buttonMode == BUTTONS_YES_NO || buttonMode == BUTTONS_OK_CANCEL)
    {
        int first = buttonMode == BUTTONS_YES_NO ? 0 : 2;
        mYesButton = new DialogButton(buttonComponentImage, ID_YES, this);
        mYesButton->mLabel = gDialogButtonLabels[first];
        mNoButton = new DialogButton(buttonComponentImage, ID_NO, this);
        mNoButton->mLabel = gDialogButtonLabels[first + 1];
    }
    else if (buttonMode == BUTTONS_FOOTER)
    {
        mYesButton = new DialogButton(buttonComponentImage, ID_FOOTER, this);
        mYesButton->mLabel = mDialogFooter;
    }

    // A copy per dialog: black labels on grey drawn buttons must not leak
    // into the colours of dialogs made later.
    int colors[7][3];
    for (int i = 0; i < 7; i++)
        for (int c = 0; c < 3; c++)
            colors[i][c] = kDialogColors[i][c];
    if (buttonComponentImage == nullptr)
    {
        for (int i = 3; i <= 4; i++)
            colors[i][0] = colors[i][1] = colors[i][2] = 0;
    }
    SetColorsRGB(colors, 7);
}

Dialog::~Dialog()
{
    mLifeToken->mAlive = false;
    // Owners remove the dialog first; a button still in a tree would be left
    // dangling there, so take it out rather than crash later.
    DialogButton* buttons[2] = {mYesButton, mNoButton};
    for (DialogButton* b : buttons)
    {
        if (b != nullptr && b->mParent != nullptr)
            b->mParent->RemoveWidget(b);
        delete b;
    }
    delete mHeaderFont;
    delete mLinesFont;
}

// ============================================================================
// Fonts, colours, layout
// ============================================================================

void Dialog::SetButtonFont(Font* font)
{
    if (mYesButton != nullptr)
        mYesButton->SetFont(font);
    if (mNoButton != nullptr)
        mNoButton->SetFont(font);
}

void Dialog::SetHeaderFont(Font* font)
{
    delete mHeaderFont;
    mHeaderFont = font != nullptr ? font->Duplicate() : nullptr;
}

void Dialog::SetLinesFont(Font* font)
{
    delete mLinesFont;
    mLinesFont = font != nullptr ? font->Duplicate() : nullptr;
}

void Dialog::EnsureFonts()
{
    if (mHeaderFont == nullptr)
        mHeaderFont = new SysFont(gAppHost, "Arial Unicode MS", 14, 0, false, false, false);
    if (mLinesFont == nullptr)
        mLinesFont = new SysFont(gAppHost, "Arial Unicode MS", 12, 0, false, false, false);
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    if (index == 3 || index == 4)
    {
        if (mYesButton != nullptr)
            mYesButton->SetColor(index - 3, color);
        if (mNoButton != nullptr)
            mNoButton->SetColor(index - 3, color);
    }
}

int Dialog::GetPreferredHeight(int width)
{
    EnsureFonts();
    int h = mBackgroundInsetTop + mBackgroundInsetBottom + mContentInsetTop + mContentInsetBottom;
    bool added = false;
    if (!mDialogHeader.empty())
    {
        h += mHeaderFont->GetHeight() - mHeaderFont->GetAscentPadding();
        added = true;
    }
    if (!mDialogLines.empty())
    {
        if (added)
            h += mSpaceAfterHeader;
        Graphics g(nullptr);
        g.SetFont(mLinesFont);
        int wrapWidth = width - mContentInsetRight - mContentInsetLeft - mBackgroundInsetRight -
                        mBackgroundInsetLeft - 4;
        h += GetWordWrappedHeight(&g, wrapWidth, mDialogLines,
                                  mLinesFont->GetLineSpacing() + mLineSpacingOffset);
        added = true;
    }
    if (!mDialogFooter.empty() && mButtonMode != BUTTONS_FOOTER)
    {
        if (added)
            h += 8;
        h += mHeaderFont->GetLineSpacing();
        added = true;
    }
    if (mYesButton != nullptr)
    {
        if (added)
            h += 8;
        h += mButtonHeight + 8;
    }
    return h;
}

bool Dialog::IsModal()
{
    return mIsModal;
}

void Dialog::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    if (mYesButton == nullptr)
        return;
    // Buttons are siblings: place them in the parent's coordinates.
    int buttonY = mY + mHeight - mContentInsetBottom - mBackgroundInsetBottom - mButtonHeight;
    if (mNoButton != nullptr)
    {
        int half = (mWidth - mBackgroundInsetLeft - mContentInsetLeft - mContentInsetRight -
                    mBackgroundInsetRight - 2 * mButtonSidePadding - mButtonHorzSpacing) /
                   2;
        int firstX = mX + mBackgroundInsetLeft + mContentInsetLeft + mButtonSidePadding;
        mYesButton->Resize(firstX, buttonY, half, mButtonHeight);
        mNoButton->Resize(firstX + half + mButtonHorzSpacing, buttonY, half, mButtonHeight);
    }
    else
    {
        mYesButton->Resize(mX + mBackgroundInsetLeft + mContentInsetLeft, buttonY,
                           mWidth - mContentInsetRight - mBackgroundInsetRight -
                               mBackgroundInsetLeft - mContentInsetLeft,
                           mButtonHeight);
    }
}

// ============================================================================
// Tree membership: the buttons follow the dialog
// ============================================================================

void Dialog::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    if (mYesButton != nullptr)
        manager->AddWidget(mYesButton);
    if (mNoButton != nullptr)
        manager->AddWidget(mNoButton);
}

void Dialog::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
    if (mYesButton != nullptr)
        manager->RemoveWidget(mYesButton);
    if (mNoButton != nullptr)
        manager->RemoveWidget(mNoButton);
}

void Dialog::OrderChanged()
{
    if (mManager == nullptr)
        return;
    if (mYesButton != nullptr)
        mManager->PutInFront(mYesButton, this);
    if (mNoButton != nullptr)
        mManager->PutInFront(mNoButton, this);
}

// ============================================================================
// Dragging
// ============================================================================

void Dialog::MouseDown(int x, int y, int, int clicks)
{
    if (clicks != 1)
        return;
    if (mManager != nullptr && mManager->mApp != nullptr)
        mManager->mApp->SetCursor(CURSOR_DRAGGING);
    mDragging = true;
    mDragMouseX = x;
    mDragMouseY = y;
}

void Dialog::MouseDrag(int x, int y)
{
    if (!mDragging || mManager == nullptr)
        return;
    int newX = mX + x - mDragMouseX;
    int newY = mY + y - mDragMouseY;
    // The dialog may leave the screen by at most 8 pixels on any side.
    if (newX < -8)
        newX = -8;
    else if (newX + mWidth > mManager->mWidth + 8)
        newX = mManager->mWidth - mWidth + 8;
    if (newY < -8)
        newY = -8;
    else if (newY + mHeight > mManager->mHeight + 8)
        newY = mManager->mHeight - mHeight + 8;

    mDragMouseX = mX - newX + x;
    mDragMouseY = mY - newY + y;
    if (mDragMouseX < 8)
        mDragMouseX = 8;
    else if (mDragMouseX > mWidth - 9)
        mDragMouseX = mWidth - 9;
    if (mDragMouseY < 8)
        mDragMouseY = 8;
    else if (mDragMouseY > mHeight - 9)
        mDragMouseY = mHeight - 9;
    Move(newX, newY);
}

void Dialog::MouseUp(int, int, int, int)
{
    if (!mDragging)
        return;
    if (mManager != nullptr && mManager->mApp != nullptr)
        mManager->mApp->SetCursor(CURSOR_POINTER);
    mDragging = false;
}

void Dialog::Update()
{
    Widget::Update();
}

// ============================================================================
// Drawing
// ============================================================================

void Dialog::Draw(Graphics* g)
{
    EnsureFonts();
    Rect box(mBackgroundInsetLeft, mBackgroundInsetTop,
             mWidth - mBackgroundInsetLeft - mBackgroundInsetRight,
             mHeight - mBackgroundInsetTop - mBackgroundInsetBottom);
    if (mComponentImage != nullptr)
        g->DrawImageBox(box, mComponentImage);
    else
    {
        // The drawn box ignores the background insets.
        const int* outline = kDialogColors[6];
        const int* fill = kDialogColors[5];
        g->SetColor(GetColorOr(6, Color(outline[0], outline[1], outline[2])));
        g->DrawRect(12, 12, mWidth - 25, mHeight - 25);
        g->SetColor(GetColorOr(5, Color(fill[0], fill[1], fill[2])));
        g->FillRect(13, 13, mWidth - 26, mHeight - 26);
        g->SetColor(0, 0, 0, 128);
        g->FillRect(mWidth - 12, 24, 12, mHeight - 36);
        g->FillRect(24, mHeight - 12, mWidth - 24, 12);
    }

    int y = mContentInsetTop + mBackgroundInsetTop;
    if (!mDialogHeader.empty())
    {
        int baseline = y + mHeaderFont->GetAscent() - mHeaderFont->GetAscentPadding();
        g->SetFont(mHeaderFont);
        g->SetColor(GetColor(0));
        WriteCenteredLine(g, baseline, mDialogHeader);
        y = baseline - mHeaderFont->GetAscent() + mHeaderFont->GetHeight() + mSpaceAfterHeader;
    }

    g->SetFont(mLinesFont);
    g->SetColor(GetColor(1));
    Rect linesRect(mBackgroundInsetLeft + 2 + mContentInsetLeft, y,
                   mWidth - mContentInsetRight - mBackgroundInsetLeft - mContentInsetLeft -
                       mBackgroundInsetRight - 4,
                   0);
    int linesHeight = WriteWordWrapped(
        g, linesRect, mDialogLines, mLinesFont->GetLineSpacing() + mLineSpacingOffset, mTextAlign);

    if (!mDialogFooter.empty() && mButtonMode != BUTTONS_FOOTER)
    {
        g->SetFont(mHeaderFont);
        g->SetColor(GetColor(2));
        WriteCenteredLine(g, y + linesHeight + 8 + mHeaderFont->GetLineSpacing(), mDialogFooter);
    }
}

// ============================================================================
// Buttons and waiting
// ============================================================================

void Dialog::OnPressed(int id)
{
    if (id != ID_YES && id != ID_NO)
        return;
    if (mDialogListener != nullptr)
        mDialogListener->OnDialogButtonPressed(mId, id);
}

void Dialog::OnClicked(int id)
{
    if (id != ID_YES && id != ID_NO)
        return;
    mResult = id;
    mLifeToken->mResult = id;
    if (mDialogListener != nullptr)
        mDialogListener->OnDialogButtonClicked(mId, id);
}

int Dialog::WaitForResult(bool autoKill)
{
    // The steps run every widget's code, which may remove or delete this
    // dialog; the token outlives it and says whether it may still be touched.
    std::shared_ptr<LifeToken> token = mLifeToken;
    AppHost* app = mManager != nullptr && mManager->mApp != nullptr ? mManager->mApp : gAppHost;
    int id = mId;
    if (app != nullptr)
    {
        while (token->mAlive && mManager != nullptr && mResult == DIALOG_NO_RESULT)
        {
            bool updated = false;
            if (!app->StepApp(updated))
                break;
        }
    }
    if (!token->mAlive)
        return token->mResult; // a click recorded before the deletion still counts
    int result = mResult;
    // Only kill the dialog when it is still the one registered under its id:
    // another dialog may have taken the id since this one was removed.
    if (autoKill && app != nullptr && app->GetDialog(id) == this)
        app->KillDialog(id);
    return result;
}

} // namespace Lumo
