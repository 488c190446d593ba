// The help book: pages of help leafed through with previous and next
// buttons, each change of page a turn of the menus' book. Shown from the
// main menu and, during a level, from the pause menu; closing turns back to
// where it came from. Layout "help"; entry kBoardHelp of the engine's screen
// table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <vector>

#include "game/ui/KpDialog.h"

class KpBoard_Help : public KpDialog
{
public:
    KpBoard_Help(KpEngine* app, IXMLDOMNode* layoutRoot);

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;

    // Hides every page (the main menu runs it before it shows the screen).
    void HideAllPages();
    // Turns the book to page n (forwards or backwards as the last change went).
    void ShowPage(int n);

    KpEngine* app;
    KpCandyWidget* prevButton = nullptr;  // "prev_btn"
    KpCandyWidget* nextButton = nullptr;  // "next_btn"
    KpCandyWidget* closeButton = nullptr; // "close"
    std::vector<KpCandyWidget*> pages;    // children whose names contain "page_"
    int currentPage = -1;                 // -1 before the first page is shown
    bool backwards = false;               // the last page change went backwards
};
