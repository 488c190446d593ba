#include "game/screens/KpBoard_Briefing.h"

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpTextVars.h"
#include "game/engine/KpTextureManager.h"
#include "game/gameplay/KpBoard_Game.h"
#include "game/screens/KpCareerRules.h"
#include "game/ui/KpText.h"

KpLevelNumbers GetLevelNumbers(int level, bool endless)
{
    int cafe = CareerCafeOfLevel(level);
    int day = level - GetCareerCafe(cafe).levelOffset;
    return {endless ? level : cafe, day};
}

void SetLevelNumberVars(int level, bool endless)
{
    KpLevelNumbers n = GetLevelNumbers(level, endless);
    KpLocTable* loc = GetEngineLocTable();
    KpTextVars* vars = GetTextVars();
    std::wstring cafe = loc->GetText(Lumo::StrFormat("%d", n.cafe));
    std::wstring day = loc->GetText(Lumo::StrFormat("%d", n.day));
    vars->Set("currentcafe", cafe);
    vars->Set("cafe", cafe);
    vars->Set("currentday", day);
    vars->Set("day", day);
}

KpBoard_Briefing::KpBoard_Briefing(KpEngine* app, IXMLDOMNode* layoutRoot) : KpDialog(nullptr, app)
{
    LoadLayout(layoutRoot, "briefing_dialog");
}

KpBoard_Briefing::~KpBoard_Briefing()
{
    mPause.Release();
}

void KpBoard_Briefing::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "start")
        startButton = child;
    else if (name == "goal_text")
        goalText = child->AsText();
    else if (name == "expert_text")
        expertText = child->AsText();
    else if (name == "settings_text")
        settingsText = child->AsText();
    KpDialog::AddChild(name, child);
}

void KpBoard_Briefing::OnShow()
{
    KpBoard_Game* board = GetGameBoard();
    int level = board ? board->GetLevel() : 1;
    bool endless = board && board->IsEndless();
    KpCandyWidget* picture = FindChild("picture");
    KpLocTable* loc = GetEngineLocTable();

    std::string textId;
    if (endless)
    {
        pictureName = Lumo::StrFormat("ebriefing_%02d", level);
        textId = Lumo::StrFormat("ebreif_text_l%02d", level);
    }
    else
    {
        pictureName = Lumo::StrFormat("briefing_%02d", level);
        textId = Lumo::StrFormat("breif_text_l%02d", level);
    }
    if (goalText)
        goalText->SetText(loc->GetText(endless ? "mn04_endless_goal" : "mn04_goal"));
    if (expertText)
        expertText->SetText(loc->GetText(endless ? "mn04_endless_expert" : "mn04_expert"));
    if (settingsText)
        settingsText->SetText(loc->GetText(endless ? "mn04_endless_ready" : "mn04_ready"));
    GetTextVars()->Set("level_briefing", loc->GetText(textId));
    // The line under the goal tells a career day's expert money and a
    // survival run's hearts: each beside its own picture.
    if (KpCandyWidget* star = FindChild("expert_icon"))
        star->SetVisible(!endless);
    if (KpCandyWidget* heart = FindChild("lives_icon"))
        heart->SetVisible(endless);

    KpImageHandle handle = KpTextureManager::GetImage(pictureName);
    if (IsImageHandleNull(handle))
    {
        pictureName = "briefing_00";
        handle = KpTextureManager::GetImage(pictureName);
    }
    SetWidgetImage(picture, handle);

    SetLevelNumberVars(level, endless);
    mPause.Take();
    ScreenTrace("briefing shown: level %d%s", level, endless ? " endless" : "");
}

void KpBoard_Briefing::OnHide()
{
    mPause.Release();
}

void KpBoard_Briefing::OnButton(KpCandyWidget* widget)
{
    if (widget && widget == startButton)
        Hide();
}

void KpBoard_Briefing::LockImages()
{
    KpDialog::LockImages();
    mModal.Push(this);
}

void KpBoard_Briefing::RemovedFromManager(Lumo::WidgetManager* manager)
{
    mModal.SetLeavingTree(true);
    KpDialog::RemovedFromManager(manager);
    mModal.SetLeavingTree(false);
}

void KpBoard_Briefing::UnlockImages()
{
    KpDialog::UnlockImages();
    if (mModal.Pop(this))
        ScreenTrace("briefing closed");
}
