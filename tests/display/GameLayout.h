// Points of the real game's screens for tests that drive it from outside: the
// centre of a widget of cfg\ui.xml, found by its chain of names, in the game's
// 1024 x 768 coordinates, and where such a point lies in the game's window
// (full screen on a wider desktop shows the picture scaled between bars).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "framework/app/StringUtils.h"
#include "game/engine/KpXml.h"

namespace GameLayout
{

struct Point
{
    int x = -1, y = -1;
};

// Needs COM on the calling thread.
inline Point LayoutCentre(const char* layout, std::initializer_list<const char*> names)
{
    Point p;
    KpXmlDocument doc = XmlLoadFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/ui.xml");
    if (!doc)
        return p;
    std::wstring path = L"ui/layouts/widget[@name=\"" + Lumo::StringToWString(layout) + L"\"]";
    for (const char* name : names)
        path += L"//widget[@name=\"" + Lumo::StringToWString(name) + L"\"]";
    KpXmlNode node = XmlSelectNode(doc.Get(), path);
    if (!node)
        return p;
    int x = XmlGetAttrInt(node.Get(), L"w") / 2, y = XmlGetAttrInt(node.Get(), L"h") / 2;
    // Up through every widget it sits in.
    IXMLDOMNode* at = node.Get();
    at->AddRef();
    while (at && XmlGetName(at) == L"widget")
    {
        x += XmlGetAttrInt(at, L"x");
        y += XmlGetAttrInt(at, L"y");
        IXMLDOMNode* parent = nullptr;
        at->get_parentNode(&parent);
        at->Release();
        at = parent;
    }
    if (at)
        at->Release();
    p.x = x;
    p.y = y;
    return p;
}

inline Point InWindow(HWND hwnd, Point p)
{
    RECT client = {0, 0, 1024, 768};
    GetClientRect(hwnd, &client);
    const double sx = client.right / 1024.0, sy = client.bottom / 768.0;
    const double scale = sx < sy ? sx : sy;
    const double ox = (client.right - 1024 * scale) / 2, oy = (client.bottom - 768 * scale) / 2;
    return Point{int(ox + p.x * scale), int(oy + p.y * scale)};
}

// A left click at a point of the game's picture, posted to its window.
inline void Click(HWND hwnd, Point game)
{
    Point p = InWindow(hwnd, game);
    LPARAM at = MAKELPARAM(p.x, p.y);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

inline bool IsFullScreen(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) != WS_CAPTION;
}

} // namespace GameLayout
