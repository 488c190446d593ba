#include "game/screens/KpBoard_Confirm.h"

#include "framework/app/StringUtils.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpTextureManager.h"
#include "game/screens/KpScreenTable.h"
#include "game/ui/KpButton.h"
#include "game/ui/KpText.h"

KpBoard_Confirm2* gConfirm2 = nullptr;
KpBoard_Confirm1* gConfirm1 = nullptr;
KpBgDialog* gBgDialog = nullptr;

namespace
{
const int kKeyEnter = 13;
const int kKeyEscape = 27;

int gBoxesWaiting = 0; // questions open at once (a notice may come during a question)

template <class T>
void Keep(KpCandyWidget* child, const std::string& name, const char* wanted, T*& member)
{
    if (name == wanted)
        member = dynamic_cast<T*>(child);
}

std::wstring Loc(const char* format, const std::string& key)
{
    return GetEngineLocTable()->GetText(std::string(format) + key);
}

// Icon, texts and button labels of the key; a missing element is skipped.
void FillBox(const std::string& key, KpText* icon, KpText* text1, KpText* text2, KpButton* yes,
             KpButton* no)
{
    if (icon)
    {
        KpImageHandle handle = KpTextureManager::GetImage("db01_icon_" + key);
        Lumo::Rect rect;
        if (!handle.IsNull() && handle.Lock())
        {
            if (Lumo::Image* picture = handle.GetImage())
                rect = Lumo::Rect(0, 0, picture->mWidth, picture->mHeight);
            handle.Unlock();
        }
        icon->SetStateImage(0, handle, rect);
    }
    if (text1)
        text1->SetText(Loc("db01_text1_", key));
    if (text2)
        text2->SetText(Loc("db01_text2_", key));
    if (yes)
        yes->SetLabel(Loc("db01_btnyes_", key));
    if (no)
        no->SetLabel(Loc("db01_btnno_", key));
}

// What the box says, as drawn, on the debugger output for whoever reads it in
// place of the screen; kept out of the screen trace, which follows the flow
// of screens and not their words.
void TraceTexts(const std::string& key, KpText* text1, KpText* text2)
{
    std::string first = text1 ? Lumo::WStringToString(text1->GetShownText()) : "";
    std::string second = text2 ? Lumo::WStringToString(text2->GetShownText()) : "";
    OutputDebugStringA(("Box text: '" + key + "': " + first + " | " + second + "\n").c_str());
}

// True when w is still somewhere in the tree under the container; compares
// pointers only, so a widget deleted meanwhile is never touched.
bool IsInTree(Lumo::WidgetContainer* container, Lumo::Widget* w)
{
    for (Lumo::Widget* child : container->mWidgets)
        if (child == w || IsInTree(child, w))
            return true;
    return false;
}

// When the backdrop is on view, the widget right in front of it (what it
// stands for); null when it is hidden or frontmost.
Lumo::Widget* BackdropFront(Lumo::WidgetContainer* manager)
{
    if (!gBgDialog || !gBgDialog->mVisible || gBgDialog->mParent != manager)
        return nullptr;
    const auto& children = manager->GetChildren();
    for (auto it = children.begin(); it != children.end(); ++it)
        if (*it == gBgDialog)
            return ++it == children.end() ? nullptr : *it;
    return nullptr;
}

Lumo::WidgetPoint CentreOf(KpCandyWidget* w)
{
    Lumo::WidgetPoint p;
    if (w)
    {
        p = w->GetAbsPos();
        p.mX += w->mWidth / 2;
        p.mY += w->mHeight / 2;
    }
    return p;
}

// Shows the box over the backdrop and runs the application's steps until it
// is answered, the application ends or the box leaves the tree.
int32_t Ask(KpDialog* box, int32_t& result, bool& waiting, const std::string& key, KpButton* yes,
            KpButton* no)
{
    KpEngine* app = gEngine;
    Lumo::WidgetManager* manager = app ? app->mWidgetManager : nullptr;
    // The same box cannot ask two questions at once: the later one is not answered.
    if (!box || !manager || !box->mManager || waiting)
        return NoResult;
    result = NoResult;
    waiting = true;
    gBoxesWaiting++;

    // Taken before the box shows: a modal box takes the focus from what lies below it.
    Lumo::Widget* focus = manager->GetFocusWidget();
    // A screen may hold the backdrop already (the name entry): it gets it back.
    Lumo::Widget* backdropBefore = gBoxesWaiting == 1 ? BackdropFront(manager) : nullptr;
    if (gBgDialog && gBgDialog->mManager)
    {
        manager->BringToFront(gBgDialog);
        gBgDialog->SetVisible(true);
    }
    manager->BringToFront(box);
    box->Show();
    manager->SetFocus(box);

    uint8_t wasOpen = app->modalBoxOpen;
    app->modalBoxOpen = 1;
    Lumo::WidgetPoint y = CentreOf(yes), n = CentreOf(no);
    ScreenTrace("box '%s' asked: yes=%d,%d no=%d,%d", key.c_str(), y.mX, y.mY, n.mX, n.mY);
    bool updated = false;
    while (result == NoResult && box->mManager && !app->mShutdown && app->StepApp(updated))
    {
    }
    app->modalBoxOpen = wasOpen;
    ScreenTrace("box '%s' answered %d", key.c_str(), (int)result);

    if (focus && IsInTree(manager, focus))
        manager->SetFocus(focus);
    gBoxesWaiting--;
    if (gBgDialog && gBoxesWaiting == 0)
    {
        bool restore =
            backdropBefore && backdropBefore->mParent == manager && gBgDialog->mParent == manager;
        if (restore)
            manager->PutBehind(gBgDialog, backdropBefore);
        gBgDialog->SetVisible(restore);
    }
    waiting = false;
    return result;
}
} // namespace

// ============================================================================
// KpBgDialog
// ============================================================================

KpBgDialog::KpBgDialog(KpEngine* app) : KpDialog(nullptr, app)
{
    mName = "confirm_backdrop";
    Resize(0, 0, 1024, 768);
    mMouseVisible = true;
    SetVisible(false);
}

void KpBgDialog::MouseMove(int, int) {}

// ============================================================================
// KpBoard_Confirm2
// ============================================================================

KpBoard_Confirm2::KpBoard_Confirm2(KpEngine* app, IXMLDOMNode* layoutRoot) : KpDialog(nullptr, app)
{
    LoadLayout(layoutRoot, "dialogbox_2button");
    SetModal(true);
    SetVisible(false);
}

void KpBoard_Confirm2::AddChild(const std::string& name, KpCandyWidget* child)
{
    Keep(child, name, "btn_yes", yesButton);
    Keep(child, name, "btn_no", noButton);
    Keep(child, name, "text1", text1);
    Keep(child, name, "text2", text2);
    Keep(child, name, "icon", icon);
    KpDialog::AddChild(name, child);
}

void KpBoard_Confirm2::OnButton(KpCandyWidget* widget)
{
    result = widget && widget == yesButton ? 1 : 0;
    Hide();
}

void KpBoard_Confirm2::KeyDown(int key)
{
    if (!waiting || result != NoResult)
        return;
    if (key == kKeyEnter && yesButton)
        yesButton->OnClick();
    else if (key == kKeyEscape && noButton)
        noButton->OnClick();
}

int32_t ShowConfirmBox(const std::string& key)
{
    KpBoard_Confirm2* box = gConfirm2;
    if (!box)
        return NoResult;
    FillBox(key, box->icon, box->text1, box->text2, box->yesButton, box->noButton);
    TraceTexts(key, box->text1, box->text2);
    return Ask(box, box->result, box->waiting, key, box->yesButton, box->noButton);
}

// ============================================================================
// KpBoard_Confirm1
// ============================================================================

KpBoard_Confirm1::KpBoard_Confirm1(KpEngine* app, IXMLDOMNode* layoutRoot) : KpDialog(nullptr, app)
{
    LoadLayout(layoutRoot, "dialogbox_1button");
    SetModal(true);
    SetVisible(false);
}

void KpBoard_Confirm1::AddChild(const std::string& name, KpCandyWidget* child)
{
    Keep(child, name, "btn_yes", yesButton);
    Keep(child, name, "text1", text1);
    Keep(child, name, "text2", text2);
    Keep(child, name, "icon", icon);
    KpDialog::AddChild(name, child);
}

void KpBoard_Confirm1::OnButton(KpCandyWidget*)
{
    result = 1;
    Hide();
}

void KpBoard_Confirm1::KeyDown(int key)
{
    if (waiting && result == NoResult && yesButton && (key == kKeyEnter || key == kKeyEscape))
        yesButton->OnClick();
}

int32_t ShowMessageBox(const std::string& key)
{
    KpBoard_Confirm1* box = gConfirm1;
    if (!box)
        return NoResult;
    FillBox(key, box->icon, box->text1, box->text2, box->yesButton, nullptr);
    TraceTexts(key, box->text1, box->text2);
    return Ask(box, box->result, box->waiting, key, box->yesButton, nullptr);
}

// ============================================================================
// Creation
// ============================================================================

void CreateConfirmBoxes(KpEngine* app, IXMLDOMNode* layoutRoot)
{
    gConfirm2 = new KpBoard_Confirm2(app, layoutRoot);
    gConfirm1 = new KpBoard_Confirm1(app, layoutRoot);
    gBgDialog = new KpBgDialog(app);
    int width = app ? app->mWidth : 1024, height = app ? app->mHeight : 768;
    gBgDialog->Resize(0, 0, width, height);
}

void AttachConfirmBoxes(Lumo::WidgetContainer* manager)
{
    if (!manager)
        return;
    // The backdrop first, so the boxes lie in front of it from the start.
    for (Lumo::Widget* w :
         {(Lumo::Widget*)gBgDialog, (Lumo::Widget*)gConfirm2, (Lumo::Widget*)gConfirm1})
        if (w && !w->mParent)
            manager->AddWidget(w);
}

void DestroyConfirmBoxes()
{
    // Each leaves the tree as it is deleted.
    delete gConfirm1;
    delete gConfirm2;
    delete gBgDialog;
    gConfirm1 = nullptr;
    gConfirm2 = nullptr;
    gBgDialog = nullptr;
}
