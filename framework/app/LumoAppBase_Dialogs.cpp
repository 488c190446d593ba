// The framework's dialogs by id, system message boxes bracketed by
// BeginPopup / EndPopup (their answers pass through a demo like any outside
// value), and the screen-saver error file.
#include "framework/app/LumoAppBase.h"
#include "framework/app/BoxTextWrap.h"
#include "framework/graphics/DDInterface.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

#include <cstdio>

namespace Lumo
{

static std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (char)c;
    return out;
}

// ---------------------------------------------------------------- dialogs

DialogListener* LumoAppBase::GetDialogListener()
{
    return this;
}

Dialog* LumoAppBase::MakeDialog(int id, bool isModal, const std::wstring& header,
                                const std::wstring& lines, const std::wstring& footer,
                                int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, isModal, header, lines, footer, buttonMode);
}

Dialog* LumoAppBase::DoDialog(int id, bool isModal, const std::wstring& header,
                              const std::wstring& lines, const std::wstring& footer, int buttonMode)
{
    KillDialog(id);
    Dialog* dialog = MakeDialog(id, isModal, header, lines, footer, buttonMode);
    AddDialog(id, dialog);
    return dialog;
}

Dialog* LumoAppBase::GetDialog(int id)
{
    auto it = mDialogMap.find(id);
    return it == mDialogMap.end() ? nullptr : it->second;
}

void LumoAppBase::AddDialogPtr(Dialog* dialog)
{
    AddDialog(dialog->mId, dialog);
}

void LumoAppBase::AddDialog(int id, Dialog* dialog)
{
    if (!dialog)
        return;
    // Adding a dialog again under its own id must not delete it.
    if (GetDialog(id) == dialog)
        RemoveDialog(id, true, false);
    else
        KillDialog(id);

    if (dialog->mWidth == 0)
    {
        int width = mWidth / 2;
        int height = dialog->GetPreferredHeight(width);
        dialog->Resize((mWidth - width) / 2, mHeight / 5, width, height);
    }
    mDialogMap[id] = dialog;
    mDialogList.push_back(dialog);
    if (mWidgetManager)
        mWidgetManager->AddWidget(dialog);
    if (dialog->IsModal())
    {
        if (mWidgetManager)
            mWidgetManager->PushModalDefault(dialog);
        DialogAdded();
    }
}

bool LumoAppBase::KillDialogPtr(Dialog* dialog)
{
    return KillDialog(dialog->mId);
}

bool LumoAppBase::KillDialog(int id)
{
    return RemoveDialog(id, true, true);
}

bool LumoAppBase::RemoveDialog(int id, bool removeWidget, bool deleteDialog)
{
    auto it = mDialogMap.find(id);
    if (it == mDialogMap.end())
        return false;
    Dialog* dialog = it->second;
    if (dialog->mResult == -1)
        dialog->mResult = 0;
    mDialogList.remove(dialog);
    mDialogMap.erase(it);

    Widget* widget = dialog;
    if ((removeWidget || deleteDialog) && mWidgetManager)
        mWidgetManager->RemoveWidget(widget);
    if (dialog->IsModal())
    {
        DialogRemoved();
        if (mWidgetManager)
            mWidgetManager->PopModal(widget);
    }
    if (deleteDialog)
        DeferDelete(widget);
    return true;
}

int LumoAppBase::GetDialogCount()
{
    return (int)mDialogMap.size();
}

void LumoAppBase::OnDialogButtonPressed(int dialogId, int buttonId)
{
    if (buttonId == 1000)
        OnPressed(dialogId + 2000);
    else if (buttonId == 1001)
        OnPressed(dialogId + 3000);
}

void LumoAppBase::OnDialogButtonClicked(int dialogId, int buttonId)
{
    if (buttonId == 1000)
        OnClicked(dialogId + 2000);
    else if (buttonId == 1001)
        OnClicked(dialogId + 3000);
}

// ---------------------------------------------------------------- system boxes

void LumoAppBase::BeginPopup()
{
    if (!mIsPhysWindowed)
    {
        if (mDDInterface)
            mDDInterface->FlipToGDISurface();
        mPopupOpen = true;
        mPopupInputBlock = true;
    }
}

void LumoAppBase::EndPopup()
{
    if (!mIsPhysWindowed)
    {
        mPopupOpen = false;
        mPopupInputBlock = false;
    }
    ResetFrameTiming();
    // A box of the replay's viewer leaves the replayed keys and buttons alone.
    if (mViewerKeys > 0)
        return;
    ClearHeldKeys();
    if (mWidgetManager && mWidgetManager->mLastDownWidget && mWidgetManager->mDownButtons != 0)
    {
        mWidgetManager->ReleaseButtons(mWidgetManager->mLastDownWidget,
                                       mWidgetManager->mDownButtons);
        ReleaseCapture();
    }
}

int LumoAppBase::MsgBoxW(const std::wstring& text, const std::wstring& title, int flags)
{
    if (mScreenSaver)
    {
        AppendScreenSaverError(Narrow(text));
        return 1;
    }
    BeginPopup();
    // The replay's viewer answers the boxes of its own keys; the stream has no part in them.
    int result;
    if (mViewerKeys > 0 || !TakeDemoBoxAnswer(&result))
    {
        result = MessageBoxW(mHWnd, WrapBoxText(text).c_str(), title.c_str(), (UINT)flags);
        if (mViewerKeys == 0)
            RecordDemoBoxAnswer(result);
    }
    EndPopup();
    return result;
}

int LumoAppBase::MsgBox(const std::string& text, const std::string& title, int flags)
{
    if (mScreenSaver)
    {
        AppendScreenSaverError(text);
        return 1;
    }
    BeginPopup();
    // The replay's viewer answers the boxes of its own keys; the stream has no part in them.
    int result;
    if (mViewerKeys > 0 || !TakeDemoBoxAnswer(&result))
    {
        result = MessageBoxA(mHWnd, WrapBoxText(text).c_str(), title.c_str(), (UINT)flags);
        if (mViewerKeys == 0)
            RecordDemoBoxAnswer(result);
    }
    EndPopup();
    return result;
}

void LumoAppBase::PopupW(const std::wstring& text)
{
    if (mScreenSaver)
    {
        AppendScreenSaverError(Narrow(text));
        return;
    }
    BeginPopup();
    if (!mShutdown)
        MessageBoxW(mHWnd, WrapBoxText(text).c_str(),
                    GetString("FATAL_ERROR", L"FATAL ERROR").c_str(), MB_ICONERROR | MB_OK);
    EndPopup();
}

void LumoAppBase::Popup(const std::string& text)
{
    if (mScreenSaver)
    {
        AppendScreenSaverError(text);
        return;
    }
    BeginPopup();
    if (!mShutdown)
        MessageBoxA(mHWnd, WrapBoxText(text).c_str(),
                    Narrow(GetString("FATAL_ERROR", L"FATAL ERROR")).c_str(), MB_ICONERROR | MB_OK);
    EndPopup();
}

void LumoAppBase::AppendScreenSaverError(const std::string& text)
{
    static bool firstLine = true;
    FILE* file = fopen("ScrError.txt", firstLine ? "w" : "a+");
    firstLine = false;
    if (!file)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    fprintf(file, "%s %02d:%02d:%02d %u\n", text.c_str(), now.wHour, now.wMinute, now.wSecond,
            (unsigned)GetTickCount());
    fclose(file);
}

} // namespace Lumo
