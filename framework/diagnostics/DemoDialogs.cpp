#include "framework/diagnostics/DemoDialogs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/app/LumoAppBase.h"

namespace Lumo
{

namespace
{

// Both templates are built in a block of this size (dialog units, "Tahoma" 8).
const size_t kTemplateBytes = 1024;
const DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const WORD kListId = 100;
const WORD kEditId = 100;
const WORD kButtonClass = 0x0080, kEditClass = 0x0081, kListClass = 0x0083;
// The design leaves the edit field's height open; one line of the 8-point font.
const short kEditHeight = 12;

void PutWord(std::vector<unsigned char>& out, WORD w)
{
    out.push_back((unsigned char)(w & 0xFF));
    out.push_back((unsigned char)(w >> 8));
}

void PutDword(std::vector<unsigned char>& out, DWORD d)
{
    PutWord(out, (WORD)(d & 0xFFFF));
    PutWord(out, (WORD)(d >> 16));
}

void PutString(std::vector<unsigned char>& out, const std::wstring& text)
{
    for (wchar_t c : text)
        PutWord(out, (WORD)c);
    PutWord(out, 0);
}

std::wstring Widen(const std::string& text)
{
    std::wstring out;
    for (unsigned char c : text)
        out += (wchar_t)c;
    return out;
}

std::string RegistryPath(LumoAppBase* app)
{
    return "SOFTWARE\\" + app->mRegKey;
}

// Runs a template as a modal dialog owned by the main window; -1 when the
// template memory cannot be had.
INT_PTR RunTemplate(LumoAppBase* app, const std::vector<unsigned char>& bytes, DLGPROC proc)
{
    if (bytes.size() > kTemplateBytes)
        return -1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTemplateBytes);
    if (!block)
        return -1;
    void* memory = GlobalLock(block);
    if (!memory)
    {
        GlobalFree(block);
        return -1;
    }
    memcpy(memory, bytes.data(), bytes.size());
    HINSTANCE instance = app->mHInstance ? app->mHInstance : GetModuleHandleA(nullptr);
    INT_PTR result =
        DialogBoxIndirectParamW(instance, (LPCDLGTEMPLATEW)memory, app->mHWnd, proc, (LPARAM)app);
    GlobalUnlock(block);
    GlobalFree(block);
    return result;
}

LumoAppBase* AppOf(HWND dialog)
{
    return (LumoAppBase*)GetWindowLongPtrA(dialog, DWLP_USER);
}

INT_PTR CALLBACK MarkerListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
    {
        LumoAppBase* app = (LumoAppBase*)lParam;
        SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)app);
        HWND list = GetDlgItem(dialog, kListId);
        RECT client;
        GetClientRect(dialog, &client);
        MoveWindow(list, 10, 10, client.right - 20, client.bottom - 20, TRUE);
        HDC dc = GetDC(list);
        HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageW(list, WM_GETFONT, 0, 0));
        int widest = 0;
        for (const DemoMarker& marker : app->mDemoMarkers)
        {
            if (marker.update <= app->mUpdateCount)
                continue;
            std::wstring text = FormatDemoMarker(marker, app->mDemoLastUpdate, app->mFrameTime);
            LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)text.c_str());
            if (index >= 0)
                SendMessageW(list, LB_SETITEMDATA, (WPARAM)index, (LPARAM)marker.update);
            SIZE size;
            if (GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size) &&
                size.cx > widest)
                widest = size.cx;
        }
        TEXTMETRICW metrics;
        int average = GetTextMetricsW(dc, &metrics) ? metrics.tmAveCharWidth : 0;
        SelectObject(dc, oldFont);
        ReleaseDC(list, dc);
        SendMessageW(list, LB_SETHORIZONTALEXTENT, (WPARAM)(widest + average), 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_DBLCLK)
        {
            LumoAppBase* app = AppOf(dialog);
            HWND list = GetDlgItem(dialog, kListId);
            LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
            if (index == LB_ERR || !app)
                return TRUE;
            int update = (int)SendMessageW(list, LB_GETITEMDATA, (WPARAM)index, 0);
            if (update > app->mUpdateCount)
            {
                app->mDemoFastForwardTarget = update;
                EndDialog(dialog, 1);
            }
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK JumpToTimeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
    {
        LumoAppBase* app = (LumoAppBase*)lParam;
        SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)app);
        // The viewer's own last entry, straight from the registry: a replay's
        // registry reads come from its stream, this one must not.
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, RegistryPath(app).c_str(), 0, KEY_READ, &key) ==
            ERROR_SUCCESS)
        {
            char text[1001] = {0};
            DWORD type = 0, length = 1000;
            if (RegQueryValueExA(key, "DemoJumpTime", nullptr, &type, (BYTE*)text, &length) ==
                    ERROR_SUCCESS &&
                type == REG_SZ)
            {
                text[length < 1000 ? length : 1000] = 0;
                SetDlgItemTextA(dialog, kEditId, text);
                SendDlgItemMessageA(dialog, kEditId, EM_SETSEL, 0, -1);
            }
            RegCloseKey(key);
        }
        SetFocus(GetDlgItem(dialog, kEditId));
        return FALSE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED || LOWORD(wParam) == kEditId)
            return TRUE;
        if (LOWORD(wParam) == IDOK)
        {
            LumoAppBase* app = AppOf(dialog);
            char text[501] = {0};
            GetDlgItemTextA(dialog, kEditId, text, 501);
            HKEY key;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, RegistryPath(app).c_str(), 0, KEY_WRITE, &key) ==
                ERROR_SUCCESS)
            {
                RegSetValueExA(key, "DemoJumpTime", 0, REG_SZ, (const BYTE*)text,
                               (DWORD)strlen(text) + 1);
                RegCloseKey(key);
            }
            app->mDemoFastForwardTarget =
                DemoJumpTarget(app->mDemoLastUpdate, ParseDemoJumpTime(text), app->mFrameTime);
            EndDialog(dialog, 1);
        }
        else
            EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

std::vector<unsigned char> BuildDialogTemplate(const std::wstring& title, DWORD style, short x,
                                               short y, short cx, short cy, WORD pointSize,
                                               const std::wstring& face,
                                               const std::vector<DialogTemplateItem>& items)
{
    std::vector<unsigned char> out;
    PutDword(out, style);
    PutDword(out, 0);
    PutWord(out, (WORD)items.size());
    PutWord(out, (WORD)x);
    PutWord(out, (WORD)y);
    PutWord(out, (WORD)cx);
    PutWord(out, (WORD)cy);
    PutWord(out, 0); // no menu
    PutWord(out, 0); // the standard dialog class
    PutString(out, title);
    if (style & DS_SETFONT)
    {
        PutWord(out, pointSize);
        PutString(out, face);
    }
    for (const DialogTemplateItem& item : items)
    {
        while (out.size() % 4 != 0)
            out.push_back(0);
        PutDword(out, item.style);
        PutDword(out, item.exStyle);
        PutWord(out, (WORD)item.x);
        PutWord(out, (WORD)item.y);
        PutWord(out, (WORD)item.cx);
        PutWord(out, (WORD)item.cy);
        PutWord(out, item.id);
        PutWord(out, 0xFFFF);
        PutWord(out, item.classAtom);
        PutString(out, item.text);
        PutWord(out, 0); // no creation data
    }
    return out;
}

long long ParseDemoJumpTime(const std::string& text)
{
    long long t = 0;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t colon = text.find(':', start);
        std::string field =
            text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (text.empty())
            break;
        long long value = atoll(field.c_str());
        // A day of recording is far beyond any demo; larger numbers stop there.
        const long long limit = 100000000LL;
        t = t * 60 + value;
        if (t > limit)
            t = limit;
        if (t < -limit)
            t = -limit;
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return t;
}

int DemoJumpTarget(int totalUpdates, long long seconds, int updatePeriodMs)
{
    if (updatePeriodMs <= 0)
        updatePeriodMs = 10;
    long long target = totalUpdates - ((seconds + 1) * 1000) / updatePeriodMs;
    if (target < 0)
        target = 0;
    if (target > totalUpdates)
        target = totalUpdates;
    return (int)target;
}

std::wstring FormatDemoMarker(const DemoMarker& marker, int totalUpdates, int updatePeriodMs)
{
    long long t = (long long)(totalUpdates - marker.update) * updatePeriodMs / 1000;
    wchar_t time[64];
    _snwprintf(time, 63, L" (%02d:%02d:%02d)", (int)(t / 3600), (int)((t / 60) % 60),
               (int)(t % 60));
    time[63] = 0;
    return Widen(marker.name) + time;
}

int LumoAppBase::ShowDemoMarkerList()
{
    std::vector<DialogTemplateItem> items = {
        {kListId, kListClass, L"", 5, 5, 190, 195, 0x50300001, WS_EX_CLIENTEDGE}};
    INT_PTR result = RunTemplate(
        this,
        BuildDialogTemplate(L"Marker List", kDialogStyle, 10, 10, 200, 200, 8, L"Tahoma", items),
        MarkerListProc);
    // The time spent choosing is no lag to catch up.
    mLastFrameTime = mClock.now();
    return (int)result;
}

int LumoAppBase::ShowDemoJumpToTime()
{
    std::vector<DialogTemplateItem> items = {
        {kEditId, kEditClass, L"", 5, 5, 190, kEditHeight, 0x50000000, WS_EX_CLIENTEDGE},
        {IDOK, kButtonClass, L"Ok", 30, 25, 60, 15, 0x50000001, 0},
        {IDCANCEL, kButtonClass, L"Cancel", 100, 25, 60, 15, 0x50000000, 0}};
    return (int)RunTemplate(
        this,
        BuildDialogTemplate(L"Jump To Time", kDialogStyle, 10, 10, 200, 50, 8, L"Tahoma", items),
        JumpToTimeProc);
}

} // namespace Lumo
