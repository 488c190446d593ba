// KpDialog: a screen or box of the game, laid out from an element of type
// "kpdialog" in "cfg\ui.xml". Its buttons report presses to it, first through
// the ButtonListener interface (OnClicked with the button's id), then as
// OnButton with the pressed widget; a dialog that does not handle a press
// passes it on to the dialog above it. A modal dialog takes the mouse and the
// focus from everything behind it while it is visible in the tree: it
// registers itself with the widget manager in LockImages and leaves in
// UnlockImages, which run as its visibility in the tree changes.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "framework/widgets/ButtonListener.h"
#include "game/ui/KpCandyWidget.h"

class KpEngine;

class KpDialog : public KpCandyWidget, public Lumo::ButtonListener
{
public:
    // A parent, when given, receives the dialog as its child (not owned by it);
    // the application defaults to the game's engine.
    explicit KpDialog(Lumo::WidgetContainer* parent = nullptr, KpEngine* app = nullptr);
    ~KpDialog() override;

    // --- Virtual operations appended to the game widget's, in slot order
    // A button of the dialog (or of a dialog inside it) was pressed. The base
    // passes it to the dialog above.
    virtual void OnButton(KpCandyWidget* widget);

    // --- Layout
    // Builds the dialog from the element of that name and of type "kpdialog"
    // under the layout root (the "ui" element, or its "layouts"). A missing
    // layout leaves the dialog as it was, with a warning; false then.
    bool LoadLayout(IXMLDOMNode* layoutRoot, const std::string& name);

    // --- Modal
    void SetModal(bool modal);
    bool IsModal() const { return mModal; }

    // --- Presses
    // A game button reports its press through here.
    void ButtonPressed(KpCandyWidget* button);
    void OnClicked(int id) override;

    // --- Overrides
    void LockImages() override;
    void UnlockImages() override;
    // A modal dialog leaves the modal stack as its hide effect starts.
    void HidingChanged(bool hiding) override;

    KpEngine* mApp;

private:
    void Register(bool on);

    bool mModal = false;
    bool mModalRegistered = false;     // on the manager's modal stack through us
    KpCandyWidget* mPressed = nullptr; // the button whose press is being reported
};
