// The widget set's own rules: the text field's character count (never half a
// surrogate pair), typing and backspace; the list's selection kept in view;
// the slider's range; text variables in labels; a widget's layout path as the
// developer overlay names it.
#include <gtest/gtest.h>

#include "framework/widgets/Widget.h"
#include "game/engine/KpDevOverlay.h"
#include "game/engine/KpTextVars.h"
#include "game/ui/KpDialog.h"
#include "game/ui/KpEditWidget.h"
#include "game/ui/KpList.h"
#include "game/ui/KpSlider.h"
#include "game/ui/KpText.h"
#include "tests/game/ui/UiTestSupport.h"

namespace
{
const std::wstring kClef = L"\xD834\xDD1E"; // one character, two UTF-16 units

class KeyDialog : public KpDialog
{
public:
    void KeyDown(int key) override { keys.push_back(key); }
    std::vector<int> keys;
};
} // namespace

TEST(KpWidgets, EditFieldCountsCharactersNeverHalfAPair)
{
    EXPECT_EQ(KpEditWidget::CountCharacters(L"ab" + kClef + L"c"), 4);
    EXPECT_EQ(KpEditWidget::CutToCharacters(L"ab" + kClef + L"c", 3), L"ab" + kClef);
    EXPECT_EQ(KpEditWidget::CutToCharacters(L"ab" + kClef + L"c", 2), L"ab");

    KeyDialog dialog;
    KpEditWidget* edit = new KpEditWidget();
    dialog.AddChild("edit", edit);
    edit->SetMaxLength(4);
    edit->SetText(L"xy" + kClef + L"zw");
    EXPECT_EQ(edit->GetText(), L"xy" + kClef + L"z");

    edit->SetText(L"ab");
    edit->KeyChar(kClef[0]);
    edit->KeyChar(kClef[1]);
    edit->KeyChar(L'\t'); // control characters are no text
    edit->KeyChar(L'c');
    edit->KeyChar(L'd'); // past the limit
    EXPECT_EQ(edit->GetText(), L"ab" + kClef + L"c");
    edit->KeyDown(8);
    edit->KeyDown(8);
    EXPECT_EQ(edit->GetText(), L"ab");
    // A lone second half, or a first half followed by another character, is dropped.
    edit->KeyChar(kClef[1]);
    edit->KeyChar(kClef[0]);
    edit->KeyChar(L'q');
    EXPECT_EQ(edit->GetText(), L"abq");
    // Text variables are not expanded in typed text.
    edit->SetText(L"{money}");
    EXPECT_EQ(edit->GetShownText(), L"{mon");

    // Enter and Escape go on to the dialog; letters and backspace stay.
    edit->KeyDown(13);
    edit->KeyDown(65);
    edit->KeyDown(8);
    edit->KeyDown(27);
    EXPECT_EQ(dialog.keys, std::vector<int>({13, 27}));
}

TEST(KpWidgets, ListKeepsTheSelectionInViewAndReportsNoneAsMinusOne)
{
    KpList list;
    list.Resize(0, 0, 200, 8 + 3 * 28); // three rows
    EXPECT_EQ(list.GetSelected(), -1);
    for (const wchar_t* name : {L"a", L"b", L"c", L"d", L"e"})
        list.AddItem(name);
    EXPECT_EQ(list.GetVisibleRows(), 3);
    list.SetSelected(4);
    EXPECT_EQ(list.GetSelected(), 4);
    EXPECT_EQ(list.GetTopRow(), 2);
    list.SetSelected(0);
    EXPECT_EQ(list.GetTopRow(), 0);
    EXPECT_EQ(list.RowAt(10, 8 + 28 + 1), 1);
    list.MouseDown(10, 8 + 2 * 28 + 3, 0, 1);
    EXPECT_EQ(list.GetSelected(), 2);
    list.SetSelected(9);
    EXPECT_EQ(list.GetSelected(), -1);
    list.SetHighlighted(1);
    list.Clear();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetHighlighted(), -1);
    EXPECT_EQ(list.GetSelected(), -1);
}

TEST(KpWidgets, SliderStaysInItsRangeAndFollowsTheThumb)
{
    KpSlider slider;
    slider.Resize(0, 0, 228, 28); // a 28-pixel thumb: 200 pixels of travel
    slider.SetMaxValue(100);
    slider.SetValue(140);
    EXPECT_EQ(slider.GetValue(), 100);
    slider.SetValue(-3);
    EXPECT_EQ(slider.GetValue(), 0);
    slider.MouseDown(114, 14, 0, 1); // the middle of the track
    EXPECT_EQ(slider.GetValue(), 50);
    slider.MouseDrag(214, 14);
    EXPECT_EQ(slider.GetValue(), 100);
    slider.MouseUp(214, 14, 0, 1);
    slider.MouseDrag(14, 14); // no longer held
    EXPECT_EQ(slider.GetValue(), 100);
    slider.SetMaxValue(10);
    EXPECT_EQ(slider.GetValue(), 10);
}

TEST(KpWidgets, LabelsShowTheCurrentValuesOfTheirTextVariables)
{
    KpText label;
    label.SetText(L"Day {day} of {cafe}: {unset}{not a var}");
    GetTextVars()->SetInt("day", 3);
    GetTextVars()->Set("cafe", L"Zorka's");
    EXPECT_EQ(label.GetShownText(), L"Day 3 of Zorka's: {not a var}");
    GetTextVars()->SetInt("day", 4);
    EXPECT_EQ(label.GetShownText(), L"Day 4 of Zorka's: {not a var}");
}

TEST(KpWidgets, DeveloperOverlayNamesTheWidgetByItsLayoutPath)
{
    // Named children belong to their parent, which deletes them.
    KpDialog screen;
    KpDialog* page = new KpDialog();
    KpText* label = new KpText();
    Lumo::Widget plain; // a framework widget in between has no name
    screen.AddChild("main_menu", page);
    page->AddWidget(&plain);
    page->AddChild("career", label);
    EXPECT_EQ(KpWidgetPath(label), "main_menu/career");
    EXPECT_EQ(KpWidgetPath(&plain), "main_menu");
    EXPECT_EQ(KpWidgetPath(nullptr), "");
    EXPECT_EQ(KpDevOverlayText(12, 10, 5, 6, "", true),
              "update 12  10 ms  pointer 5,6  -  [question box]");
    page->RemoveWidget(&plain);
}
