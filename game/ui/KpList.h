// KpList: a column of text rows (the profile list). One row may be
// highlighted (marked, for example as the current profile) and one selected
// (chosen with the mouse or by code); the selection is kept in view. Rows
// scroll with the wheel or a scroll bar named by "scrollbar" (a KpScrollBar
// in the same dialog). Image state 0 is the background.
#pragma once

#include <string>
#include <vector>

#include "game/ui/KpCandyWidget.h"
#include "game/ui/KpTextStyle.h"

class KpScrollBar;

class KpList : public KpCandyWidget
{
public:
    KpList();

    void Clear();
    void AddItem(const std::wstring& text);
    int GetItemCount() const { return (int)mItems.size(); }
    const std::wstring& GetItem(int index) const;
    // -1 for none.
    void SetHighlighted(int index);
    int GetHighlighted() const { return mHighlighted; }
    // -1 for none; a row is scrolled into view.
    void SetSelected(int index);
    int GetSelected() const { return mSelected; }
    int GetTopRow() const { return mTop; }
    void SetTopRow(int row);
    int GetVisibleRows() const;
    // The row under a point of the widget, or -1.
    int RowAt(int x, int y) const;

    void ReadXml(IXMLDOMNode* element) override;
    void Update() override;
    void Draw(Lumo::Graphics* g) override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseWheel(int delta) override;

private:
    KpScrollBar* ScrollBar();

    std::vector<std::wstring> mItems;
    int mHighlighted = -1;
    int mSelected = -1;
    int mTop = 0; // first row shown
    int mRowHeight = 28;
    int mPadding = 8; // pixels left of the text and above the first row
    KpTextStyle mStyle;
    Lumo::Color mSelectColor{0xF2, 0xC1, 0x4E, 160};    // butter band
    Lumo::Color mHighlightColor{0xE9, 0xD5, 0xB0, 255}; // paper shade band
    std::string mScrollBarName;
    KpScrollBar* mScrollBar = nullptr;
    bool mScrollBarLooked = false;
};
