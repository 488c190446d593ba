// The game's two shared modal boxes: every yes/no question (KpBoard_Confirm2)
// and every one-button notice (KpBoard_Confirm1), shown in front of a
// full-screen backdrop (KpBgDialog). A caller names the box by a short key
// ("quit", "delprof", "upgrade"...); the key picks the icon texture
// "db01_icon_<key>" and the texts "db01_text1_<key>", "db01_text2_<key>",
// "db01_btnyes_<key>" and "db01_btnno_<key>", so one pair of dialogs serves
// every question. The call blocks: it runs the application's own update
// steps until a button is pressed (other widgets keep animating, while the
// engine's modalBoxOpen flag holds the level and the comics still).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <string>

#include "game/ui/KpDialog.h"

class KpButton;
class KpText;

// The answer of a wait that ended without a press (the application ended).
const int32_t NoResult = 2147483647;

// The full-screen layer behind a box: no layout, nothing drawn; it takes the
// pointer so nothing behind a question hears it.
class KpBgDialog : public KpDialog
{
public:
    explicit KpBgDialog(KpEngine* app = nullptr);
    void MouseMove(int x, int y) override;
};

class KpBoard_Confirm2 : public KpDialog
{
public:
    KpBoard_Confirm2(KpEngine* app, IXMLDOMNode* layoutRoot);

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    // Enter answers with the yes button, Escape with the other one.
    void KeyDown(int key) override;

    KpButton* yesButton = nullptr; // "btn_yes"
    KpButton* noButton = nullptr;  // "btn_no"
    KpText* text1 = nullptr;       // "text1"
    KpText* text2 = nullptr;       // "text2"
    KpText* icon = nullptr;        // "icon"
    int32_t result = NoResult;     // 1 yes, 0 no
    bool waiting = false;          // a question is open on this box
};

class KpBoard_Confirm1 : public KpDialog
{
public:
    KpBoard_Confirm1(KpEngine* app, IXMLDOMNode* layoutRoot);

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    // Enter and Escape both press the one button.
    void KeyDown(int key) override;

    KpButton* yesButton = nullptr; // "btn_yes"
    KpText* text1 = nullptr;       // "text1"
    KpText* text2 = nullptr;       // "text2"
    KpText* icon = nullptr;        // "icon"
    int32_t result = NoResult;     // 1 pressed
    bool waiting = false;
};

extern KpBoard_Confirm2* gConfirm2;
extern KpBoard_Confirm1* gConfirm1;
extern KpBgDialog* gBgDialog;

// Makes the three dialogs (layouts "dialogbox_2button" and "dialogbox_1button"),
// all hidden, into the globals. The widget manager is the main thread's: the
// engine attaches them when loading completes (AttachConfirmBoxes).
void CreateConfirmBoxes(KpEngine* app, IXMLDOMNode* layoutRoot);
void AttachConfirmBoxes(Lumo::WidgetContainer* manager);
// Takes the three out of the widget manager and deletes them.
void DestroyConfirmBoxes();

// 1 when "btn_yes" was pressed, 0 for the other button, NoResult when the wait
// ended without a press. Every caller takes only 1 as yes.
int32_t ShowConfirmBox(const std::string& key);
// 1 when the button was pressed, NoResult when the wait ended without a press.
int32_t ShowMessageBox(const std::string& key);
