// Dialogs built from layouts: the sample layout with every widget kind bound
// by name, presses passed up from a nested dialog, bad elements skipped with
// warnings, and modal registration following visibility in the tree.
#include "game/ui/KpDialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/widgets/WidgetManager.h"
#include "game/ui/KpAnim.h"
#include "game/ui/KpBar.h"
#include "game/ui/KpButton.h"
#include "game/ui/KpCheckBox.h"
#include "game/ui/KpEditWidget.h"
#include "game/ui/KpList.h"
#include "game/ui/KpScrollBar.h"
#include "game/ui/KpSlider.h"
#include "tests/game/ui/UiTestSupport.h"

namespace
{
// A screen as the screens are written: it keeps its children by name in
// AddChild and hears presses in OnButton.
class Screen : public KpDialog
{
public:
    void AddChild(const std::string& name, KpCandyWidget* child) override
    {
        added.push_back(name);
        if (name == "footer")
            ok = child->FindChild("ok");
        KpDialog::AddChild(name, child);
    }
    void OnButton(KpCandyWidget* widget) override { pressed.push_back(widget); }

    std::vector<std::string> added;
    std::vector<KpCandyWidget*> pressed;
    KpCandyWidget* ok = nullptr;
};

template <class T> T* Child(KpCandyWidget* dialog, const char* name)
{
    return dynamic_cast<T*>(dialog->FindChild(name));
}
} // namespace

TEST(KpDialog, SampleLayoutBuildsEveryWidgetKindAndBindsChildrenByName)
{
    Screen screen;
    ASSERT_TRUE(screen.LoadLayout(UiLayoutRoot(), "sample_dialog"));
    EXPECT_EQ(screen.added,
              std::vector<std::string>({"title", "badge", "intro", "name_label", "name_edit",
                                        "players_label", "players", "players_scroll",
                                        "volume_label", "volume", "fullscreen", "star", "coin",
                                        "money", "heart", "clock", "day_label", "day", "footer"}));
    EXPECT_EQ(screen.GetRect(), Lumo::Rect(192, 124, 640, 520));
    EXPECT_FALSE(screen.mVisible);

    ASSERT_NE(Child<KpText>(&screen, "title"), nullptr);
    EXPECT_EQ(Child<KpText>(&screen, "title")->GetText(), L"Cafe Toolkit");
    KpEditWidget* edit = Child<KpEditWidget>(&screen, "name_edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetMaxLength(), 12);
    ASSERT_NE(Child<KpList>(&screen, "players"), nullptr);
    ASSERT_NE(Child<KpScrollBar>(&screen, "players_scroll"), nullptr);
    ASSERT_NE(Child<KpSlider>(&screen, "volume"), nullptr);
    EXPECT_EQ(Child<KpSlider>(&screen, "volume")->GetValue(), 60);
    ASSERT_NE(Child<KpCheckBox>(&screen, "fullscreen"), nullptr);
    EXPECT_FALSE(Child<KpCheckBox>(&screen, "fullscreen")->IsChecked());
    ASSERT_NE(Child<KpAnim>(&screen, "clock"), nullptr);
    ASSERT_NE(Child<KpBar>(&screen, "day"), nullptr);
    EXPECT_FLOAT_EQ(Child<KpBar>(&screen, "day")->GetValue(), 0.65f);
    ASSERT_NE(Child<KpDialog>(&screen, "footer"), nullptr);
    EXPECT_TRUE(Child<KpButton>(&screen, "shop")->mDisabled);
    EXPECT_TRUE(screen.HasEffect("onshow"));
    EXPECT_EQ(screen.FindChild("nothing"), nullptr);

    // Nested lookups: a child's own children, and the button through the footer.
    KpCandyWidget* footer = screen.FindChild("footer");
    EXPECT_EQ(footer->FindChild("ok"), screen.ok);
    EXPECT_EQ(screen.FindChild("ok"), screen.ok);

    // A press inside the footer dialog reaches the screen with the pressed widget.
    dynamic_cast<KpDialog*>(footer)->ButtonPressed(screen.ok);
    ASSERT_EQ(screen.pressed.size(), 1u);
    EXPECT_EQ(screen.pressed[0], screen.ok);
}

TEST(KpDialog, BadElementsAreSkippedWithWarningsAndTheRestBuilds)
{
    StartUiLog();
    KpXmlDocument doc = UiDocument(R"(<ui><layouts>
      <widget type="kpdialog" name="broken" w="300" h="200">
        <widget type="kpwobble" name="odd"/>
        <widget type="kptext" name="label" x="abc" y="12" w="100" h="20" text="Hi"
                onshow="no_such_script" align="sideways" color="1;2"/>
        <widget type="kpwidget" name="pic" x="5" y="6" w="10" h="10">
          <image texture="no_such_texture"/>
          <image texture="icon_expert" state="99"/>
        </widget>
        <widget type="kpbutton" name="go" x="10" y="40" w="80" h="30" font="no_such_font"/>
      </widget></layouts></ui>)");
    Screen screen;
    ASSERT_TRUE(screen.LoadLayout(XmlSelectNode(doc.Get(), L"ui").Get(), "broken"));
    std::string log = UiLogText();
    StopUiLog();

    EXPECT_EQ(screen.added, std::vector<std::string>({"label", "pic", "go"}));
    EXPECT_EQ(screen.GetRect(), Lumo::Rect(0, 0, 300, 200));
    KpText* label = dynamic_cast<KpText*>(screen.FindChild("label"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetRect(), Lumo::Rect(0, 12, 100, 20)); // the bad x left at 0
    EXPECT_EQ(label->GetText(), L"Hi");
    EXPECT_FALSE(label->HasEffect("onshow"));
    EXPECT_EQ(screen.FindChild("pic")->GetImageCount(0), 0);
    for (const char* warning :
         {"WARNING: layout: widget 'broken': child 'odd' of unknown type 'kpwobble' skipped",
          "WARNING: layout: widget 'label': bad attribute x=\"abc\"",
          "WARNING: layout: widget 'label': bad attribute align=\"sideways\"",
          "WARNING: layout: widget 'label': bad attribute color=\"1;2\"",
          "WARNING: layout: widget 'label': effect 'onshow': no script 'no_such_script'",
          "WARNING: layout: widget 'pic': image skipped: no texture 'no_such_texture'",
          "WARNING: layout: widget 'pic': image skipped: state must be 0-15",
          "WARNING: layout: widget 'go': no font 'no_such_font'"})
        EXPECT_NE(log.find(warning), std::string::npos) << warning << "\n" << log;

    // A layout that is not there leaves the dialog empty, with a warning.
    StartUiLog();
    Screen empty;
    EXPECT_FALSE(empty.LoadLayout(UiLayoutRoot(), "no_such_layout"));
    EXPECT_FALSE(empty.LoadLayout(nullptr, "sample_dialog"));
    log = UiLogText();
    StopUiLog();
    EXPECT_TRUE(empty.added.empty());
    EXPECT_NE(log.find("no layout 'no_such_layout' of type kpdialog"), std::string::npos) << log;
}

TEST(KpDialog, ModalDialogIsRegisteredExactlyWhileVisibleInTheTree)
{
    Lumo::WidgetManager manager(nullptr);
    KpCandyWidget* page = new KpCandyWidget();
    page->Resize(0, 0, 400, 300);
    KpDialog* box = new KpDialog();
    box->Resize(50, 50, 100, 80);
    page->AddChild("box", box);
    box->SetModal(true);
    EXPECT_TRUE(manager.IsModalStackEmpty()); // not in a manager's tree yet

    manager.AddWidget(page);
    EXPECT_FALSE(manager.IsModalStackEmpty());
    EXPECT_EQ(manager.mBaseModalWidget, box);

    page->SetVisible(false);
    EXPECT_TRUE(manager.IsModalStackEmpty());
    page->SetVisible(true);
    EXPECT_EQ(manager.mBaseModalWidget, box);

    box->SetModal(false);
    EXPECT_TRUE(manager.IsModalStackEmpty());
    box->SetModal(true);
    EXPECT_EQ(manager.mBaseModalWidget, box);

    // Hidden through its effect, it leaves the stack and takes no mouse as
    // the effect starts (the next click belongs to what lies behind), and is
    // back on the stack when shown again meanwhile.
    box->mMouseVisible = true;
    int x = 0, y = 0;
    EXPECT_EQ(manager.FindWidgetAt(60, 60, x, y), box);
    box->SetEffect("onhide", "dialog_out");
    box->Hide();
    EXPECT_TRUE(box->mVisible);
    EXPECT_TRUE(manager.IsModalStackEmpty());
    EXPECT_NE(manager.FindWidgetAt(60, 60, x, y), box);
    box->SetEffect("onshow", "dialog_out");
    box->Show();
    EXPECT_EQ(manager.mBaseModalWidget, box);
    EXPECT_EQ(manager.FindWidgetAt(60, 60, x, y), box);
    box->SetEffect("onshow", "");
    box->Hide();
    EXPECT_TRUE(manager.IsModalStackEmpty());
    for (int i = 0; i < 20; i++)
        box->Update();
    EXPECT_FALSE(box->mVisible);
    EXPECT_TRUE(manager.IsModalStackEmpty());
    box->SetVisible(true);
    EXPECT_EQ(manager.mBaseModalWidget, box);

    manager.RemoveWidget(page);
    EXPECT_TRUE(manager.IsModalStackEmpty());
    delete page; // and the box with it
}
