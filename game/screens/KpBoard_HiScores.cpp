#include "game/screens/KpBoard_HiScores.h"

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpScreenTable.h"
#include "game/ui/KpText.h"

namespace
{
// The text widget of that name on the page, or null.
KpText* Row(KpCandyWidget* page, const std::string& name)
{
    KpCandyWidget* w = page ? page->FindChild(name) : nullptr;
    return w ? w->AsText() : nullptr;
}

// One table onto its page: rows "line<t><i>" and "score<t><i>" (t the table digit).
void FillPage(KpCandyWidget* page, int table, const KpRecord* records)
{
    const bool loaded = gProfileFile.mProfileLoaded;
    for (int i = 0; i < kRecordCount; i++)
    {
        const KpRecord& record = records[i];
        if (KpText* line = Row(page, Lumo::StrFormat("line%d%d", table, i)))
        {
            line->SetText(record.name);
            line->SetDisabled(!(loaded && record.name == gProfileFile.mProfile.name));
        }
        if (KpText* score = Row(page, Lumo::StrFormat("score%d%d", table, i)))
        {
            score->SetText(record.name.empty()
                               ? std::wstring()
                               : Lumo::StringToWString(Lumo::StrFormat("%d", record.score)));
            score->SetDisabled(!(loaded && record.name == gProfileFile.mProfile.name));
        }
    }
}
} // namespace

KpBoard_HiScores::KpBoard_HiScores(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine)
{
    LoadLayout(layoutRoot, "hiscores");
}

void KpBoard_HiScores::AddChild(const std::string& name, KpCandyWidget* child)
{
    KpDialog::AddChild(name, child);
    if (name == "close")
        closeButton = child;
    else if (name == "hiscores_dlg")
    {
        page = child;
        // The close button may turn with the pages.
        if (KpCandyWidget* close = child->FindChild("close"))
            closeButton = close;
        rightPage = child->FindChild("right_page");
        leftPage = child->FindChild("left_page");
    }
}

void KpBoard_HiScores::FillTables()
{
    FillPage(rightPage, 1, gProfileFile.GetRecords(true));
    FillPage(leftPage, 0, gProfileFile.GetRecords(false));
}

void KpBoard_HiScores::OnShow()
{
    FillTables();
    if (KpBoard_MainMenu* menu = GetMainMenu())
        menu->TurnMenuPage(page, false, kTurnHiScores);
    if (mManager)
        mManager->SetFocus(this);
    GetSoundManager()->SoundPlay("window_open");
    ScreenTrace("hi-scores shown");
}

void KpBoard_HiScores::OnHide() {}

void KpBoard_HiScores::OnButton(KpCandyWidget* widget)
{
    if (widget && widget == closeButton)
        if (KpBoard_MainMenu* menu = GetMainMenu())
            menu->TurnMenuPage(nullptr, true, kTurnNone);
}
