// Lumo::Dialog: the framework's movable message box: a header line, word-
// wrapped body lines, a footer line and zero, one or two buttons. It reports
// button presses by dialog id to a DialogListener and can be waited on for a
// result. Its buttons are its siblings in the manager, not its children, so
// they get mouse input of their own; it keeps them in front of itself.
#pragma once

#include <memory>
#include <string>

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

namespace Lumo
{

class DialogButton;
class DialogListener;
class Font;

// "YES", "NO", "OK", "CANCEL"
extern const std::wstring gDialogButtonLabels[4];

enum
{
    BUTTONS_NONE = 0,
    BUTTONS_YES_NO = 1,
    BUTTONS_OK_CANCEL = 2,
    BUTTONS_FOOTER = 3,
};

enum
{
    ID_YES = 1000,
    ID_NO = 1001,
    ID_OK = 1000,
    ID_CANCEL = 1001,
    ID_FOOTER = 1000,
};

const int DIALOG_NO_RESULT = 0x7FFFFFFF;

class Dialog : public Widget, public ButtonListener
{
public:
    Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool isModal,
           const std::wstring& header, const std::wstring& lines, const std::wstring& footer,
           int buttonMode);
    ~Dialog() override;

    // --- Virtual operations appended to the widget's, in slot order
    virtual void SetButtonFont(Font* font);
    // The dialog keeps its own copy (Duplicate) of these two.
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    virtual int GetPreferredHeight(int width);
    virtual bool IsModal();
    // Steps the application until a button is clicked, the dialog leaves the
    // tree or the application ends. DIALOG_NO_RESULT unless a button was
    // clicked; autoKill removes and deletes the dialog afterwards.
    virtual int WaitForResult(bool autoKill);

    // --- Overrides
    void SetColor(int index, const Color& color) override;
    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void OrderChanged() override;
    void Resize(int x, int y, int width, int height) override;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y, int button, int clicks) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void OnPressed(int id) override;
    void OnClicked(int id) override;

    // Makes the header (14 pt) and lines (12 pt) fonts when missing.
    void EnsureFonts();

    // --- Data
    DialogListener* mDialogListener;
    Image* mComponentImage;             // box image, not owned
    DialogButton* mYesButton = nullptr; // owned; id 1000
    DialogButton* mNoButton = nullptr;  // owned; id 1001
    std::wstring mDialogHeader, mDialogFooter, mDialogLines;
    int mButtonMode;
    Font* mHeaderFont = nullptr; // owned
    Font* mLinesFont = nullptr;  // owned
    int mTextAlign = 0;          // lines justification
    int mLineSpacingOffset = 0;  // added to the lines font's line spacing
    int mButtonHeight;           // the button image's height, 24 without one
    int mBackgroundInsetLeft = 0, mBackgroundInsetTop = 0; // widget edge to box
    int mBackgroundInsetRight = 0, mBackgroundInsetBottom = 0;
    int mContentInsetLeft = 24, mContentInsetTop = 24; // box edge to content
    int mContentInsetRight = 24, mContentInsetBottom = 24;
    int mSpaceAfterHeader = 10;
    bool mDragging = false;
    int mDragMouseX = 0, mDragMouseY = 0; // grab point inside the dialog
    int mId;
    bool mIsModal;
    int mResult = DIALOG_NO_RESULT; // id of the clicked button
    int mButtonHorzSpacing = 8;
    int mButtonSidePadding = 0;

private:
    // Shared with WaitForResult so a wait survives the dialog's deletion.
    struct LifeToken
    {
        bool mAlive = true;
        int mResult = DIALOG_NO_RESULT;
    };
    std::shared_ptr<LifeToken> mLifeToken;
};

} // namespace Lumo
