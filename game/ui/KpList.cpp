#include "game/ui/KpList.h"

#include "framework/graphics/Graphics.h"
#include "game/ui/KpLayout.h"
#include "game/ui/KpScrollBar.h"

namespace
{
const std::wstring kNoItem;
}

KpList::KpList()
{
    mMouseVisible = true;
    mStyle.align = kAlignLeft;
}

void KpList::Clear()
{
    mItems.clear();
    mHighlighted = mSelected = -1;
    SetTopRow(0);
    SetDirty();
}

void KpList::AddItem(const std::wstring& text)
{
    mItems.push_back(text);
    SetDirty();
}

const std::wstring& KpList::GetItem(int index) const
{
    return index >= 0 && index < (int)mItems.size() ? mItems[index] : kNoItem;
}

void KpList::SetHighlighted(int index)
{
    mHighlighted = index >= 0 && index < (int)mItems.size() ? index : -1;
    SetDirty();
}

void KpList::SetSelected(int index)
{
    mSelected = index >= 0 && index < (int)mItems.size() ? index : -1;
    if (mSelected >= 0)
    {
        int rows = GetVisibleRows();
        if (mSelected < mTop)
            SetTopRow(mSelected);
        else if (rows > 0 && mSelected >= mTop + rows)
            SetTopRow(mSelected - rows + 1);
    }
    SetDirty();
}

int KpList::GetVisibleRows() const
{
    return mRowHeight > 0 ? (mHeight - mPadding) / mRowHeight : 0;
}

void KpList::SetTopRow(int row)
{
    int last = (int)mItems.size() - GetVisibleRows();
    if (row > last)
        row = last;
    if (row < 0)
        row = 0;
    if (row == mTop)
        return;
    mTop = row;
    SetDirty();
}

int KpList::RowAt(int x, int y) const
{
    if (x < 0 || x >= mWidth || y < mPadding || mRowHeight <= 0)
        return -1;
    int row = mTop + (y - mPadding) / mRowHeight;
    return row < (int)mItems.size() && (y - mPadding) / mRowHeight < GetVisibleRows() ? row : -1;
}

void KpList::ReadXml(IXMLDOMNode* element)
{
    KpCandyWidget::ReadXml(element);
    using namespace KpLayout;
    mStyle.ReadXml(this, element);
    ReadInt(this, element, "rowheight", mRowHeight);
    if (mRowHeight < 1)
        mRowHeight = 1;
    ReadInt(this, element, "padding", mPadding);
    ReadColor(this, element, "selectcolor", mSelectColor);
    ReadColor(this, element, "highlightcolor", mHighlightColor);
    ReadString(element, "scrollbar", mScrollBarName);
}

KpScrollBar* KpList::ScrollBar()
{
    // Looked up once the dialog is complete, among the list's relatives.
    if (!mScrollBarLooked && !mScrollBarName.empty() && mParent)
    {
        mScrollBarLooked = true;
        for (Lumo::WidgetContainer* c = mParent; c && !mScrollBar; c = c->mParent)
            if (KpCandyWidget* k = dynamic_cast<KpCandyWidget*>(c))
                mScrollBar = dynamic_cast<KpScrollBar*>(k->FindChild(mScrollBarName));
        if (!mScrollBar)
            KpLayout::Warn(this, "no scroll bar '" + mScrollBarName + "'");
    }
    return mScrollBar;
}

void KpList::Update()
{
    KpCandyWidget::Update();
    if (KpScrollBar* bar = ScrollBar())
    {
        int rows = GetVisibleRows(), count = (int)mItems.size();
        int range = count > rows ? count - rows : 0;
        if (bar->GetMaxValue() != range)
            bar->SetMaxValue(range);
        if (bar->IsDragging())
            SetTopRow(bar->GetValue());
        else if (bar->GetValue() != mTop)
            bar->SetValue(mTop);
    }
}

void KpList::Draw(Lumo::Graphics* g)
{
    KpCandyWidget::Draw(g);
    int rows = GetVisibleRows();
    for (int i = 0; i < rows && mTop + i < (int)mItems.size(); i++)
    {
        int row = mTop + i;
        Lumo::Rect band(0, mPadding + i * mRowHeight, mWidth, mRowHeight);
        if (row == mSelected || row == mHighlighted)
        {
            g->SetColor(row == mSelected ? mSelectColor : mHighlightColor);
            g->FillRect(band.mX + 4, band.mY + 1, band.mWidth - 8, band.mHeight - 2);
        }
        Lumo::Color color = mStyle.color;
        if (mDisabled)
            color.mAlpha = 140;
        mStyle.Draw(g, Lumo::Rect(mPadding, band.mY, mWidth - 2 * mPadding, mRowHeight),
                    mItems[row], color);
    }
}

void KpList::MouseDown(int x, int y, int button, int clicks)
{
    KpCandyWidget::MouseDown(x, y, button, clicks);
    int row = RowAt(x, y);
    if (button == 0 && row >= 0)
        SetSelected(row);
}

void KpList::MouseWheel(int delta)
{
    SetTopRow(mTop - (delta > 0 ? 1 : (delta < 0 ? -1 : 0)));
}
