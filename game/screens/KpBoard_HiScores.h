// The hi-score page of the menus' book: the career record table on the left
// page, the survival table on the right, 14 rows each, the current player's
// rows shown enabled and everyone else's disabled. Layout "hiscores"; entry
// kBoardHiScores of the engine's screen table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include "game/ui/KpDialog.h"

class KpBoard_HiScores : public KpDialog
{
public:
    KpBoard_HiScores(KpEngine* app, IXMLDOMNode* layoutRoot);

    void AddChild(const std::string& name, KpCandyWidget* child) override;
    void OnButton(KpCandyWidget* widget) override;
    void OnShow() override;
    void OnHide() override;

    // Fills the rows of both pages from the record tables.
    void FillTables();

    KpCandyWidget* closeButton = nullptr; // "close"
    KpCandyWidget* rightPage = nullptr;   // "right_page" of "hiscores_dlg"
    KpCandyWidget* leftPage = nullptr;    // "left_page" of "hiscores_dlg"
    KpCandyWidget* page = nullptr;        // "hiscores_dlg"
};
