#include "game/screens/KpBoard_Debriefing.h"

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpTextVars.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/scene/KpEffect.h"
#include "game/scene/KpFrameClock.h"
#include "game/screens/KpBoard_Briefing.h"
#include "game/screens/KpBoard_Career.h"
#include "game/ui/KpText.h"

KpSetAchDescTask gAchDescTasks[kAwardCount * 2 + 1];

namespace
{
struct AwardNames
{
    const char* icons[3]; // active, inactive, active ghost
    const char* nameId;
    const char* aboutIds[2]; // active, inactive
};

// Award 3 is "match" in its elements and "mach" in its texts.
const AwardNames kAwards[kAwardCount] = {
    {{"achiev_flash_active", "achiev_flash_inactive", "achiev_flash_active_ghost"},
     "mn00_achiev_flash",
     {"mn00_achiev_flash_active", "mn00_achiev_flash_inactive"}},
    {{"achiev_clean_active", "achiev_clean_inactive", "achiev_clean_active_ghost"},
     "mn00_achiev_clean",
     {"mn00_achiev_clean_active", "mn00_achiev_clean_inactive"}},
    {{"achiev_expert_active", "achiev_expert_inactive", "achiev_expert_active_ghost"},
     "mn00_achiev_expert",
     {"mn00_achiev_expert_active", "mn00_achiev_expert_inactive"}},
    {{"achiev_match_active", "achiev_match_inactive", "achiev_match_active_ghost"},
     "mn00_achiev_mach",
     {"mn00_achiev_mach_active", "mn00_achiev_mach_inactive"}},
    {{"achiev_mega_active", "achiev_mega_inactive", "achiev_mega_active_ghost"},
     "mn00_achiev_mega",
     {"mn00_achiev_mega_active", "mn00_achiev_mega_inactive"}},
};
const int kClearingTask = kAwardCount * 2;

std::wstring TextOf(const char* id)
{
    return id && *id ? GetEngineLocTable()->GetText(id) : std::wstring(L" ");
}
} // namespace

void KpSetAchDescTask::Run()
{
    if (!nameLabel || !aboutLabel)
        return;
    nameLabel->SetText(TextOf(nameId));
    aboutLabel->SetText(TextOf(aboutId));
}

KpBoard_Debriefing::KpBoard_Debriefing(KpEngine* app, IXMLDOMNode* layoutRoot, bool fail)
    : KpDialog(nullptr, app), isFail(fail ? 1 : 0)
{
    LoadLayout(layoutRoot, fail ? "debriefing_dialog_fail" : "debriefing_dialog");
}

KpBoard_Debriefing::~KpBoard_Debriefing()
{
    mPause.Release();
    // The shared tasks must not keep pointing at labels that go with us.
    for (KpSetAchDescTask& task : gAchDescTasks)
        if (task.nameLabel == mNameLabel || task.aboutLabel == mAboutLabel)
            task.nameLabel = task.aboutLabel = nullptr;
}

// ============================================================================
// Layout
// ============================================================================

void KpBoard_Debriefing::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "start")
        startButton = child;
    else if (name == "menu")
        menuButton = child;
    else if (name == "replay")
        replayButton = child;
    else if (name == "level_outro_text")
        outroText = child->AsText();
    KpDialog::AddChild(name, child);
}

void KpBoard_Debriefing::ReadXml(IXMLDOMNode* element)
{
    KpDialog::ReadXml(element);
    BindAchievements();
}

void KpBoard_Debriefing::BindAchievements()
{
    KpCandyWidget* name = FindChild("label_achiev");
    KpCandyWidget* about = FindChild("label_achiev_about");
    mNameLabel = name ? name->AsText() : nullptr;
    mAboutLabel = about ? about->AsText() : nullptr;
    awardsReady = 1;
    BindDescriptionLabels();
    for (int i = 0; i < kAwardCount; i++)
    {
        for (int k = 0; k < 3; k++)
            awardIcons[i][k] = FindChild(kAwards[i].icons[k]);
        for (int state = 0; state < 2; state++)
        {
            KpCandyWidget* icon = awardIcons[i][state];
            if (!icon)
            {
                WriteLog("WARNING: Can not find element '%s' in debriefing dialog",
                         kAwards[i].icons[state]);
                awardsReady = 0;
                continue;
            }
            icon->SetMouseTasks(&gAchDescTasks[i * 2 + state], &gAchDescTasks[kClearingTask]);
        }
    }
}

void KpBoard_Debriefing::BindDescriptionLabels()
{
    bool labels = mNameLabel && mAboutLabel;
    for (int i = 0; i < kAwardCount; i++)
        for (int state = 0; state < 2; state++)
        {
            KpSetAchDescTask& task = gAchDescTasks[i * 2 + state];
            if (!labels)
                continue;
            task.nameLabel = mNameLabel;
            task.aboutLabel = mAboutLabel;
            task.nameId = kAwards[i].nameId;
            task.aboutId = kAwards[i].aboutIds[state];
        }
    if (labels)
    {
        gAchDescTasks[kClearingTask].nameLabel = mNameLabel;
        gAchDescTasks[kClearingTask].aboutLabel = mAboutLabel;
    }
}

// ============================================================================
// Showing
// ============================================================================

void KpBoard_Debriefing::OnShow()
{
    // Both dialogs share the description tasks: they write into the one on view.
    BindDescriptionLabels();
    gAchDescTasks[kClearingTask].Run();

    revealDelay = KpEffect::GetConstant("DebriefingFirstAchievementDelay");
    revealedCount = earnedCount = 0;
    for (int i = 0; i < kAwardCount; i++)
    {
        bool met = gTaskGoals.IsGoalMet(i);
        if (awardIcons[i][0])
            awardIcons[i][0]->SetVisible(false);
        if (awardIcons[i][1])
            awardIcons[i][1]->SetVisible(true);
        if (awardIcons[i][2])
            awardIcons[i][2]->SetVisible(false);
        if (met)
            earned[earnedCount++] = i;
    }

    KpBoard_Game3* board = gGameBoard3;
    if (outroText)
        outroText->SetText(GetEngineLocTable()->GetText(
            board && board->mFailed ? "mn00_debrief_fail_vip" : "mn00_debrief_fail_goal"));
    int level = board ? board->GetLevel() : 1;
    bool endless = board && board->IsEndless();
    std::string dayId =
        endless ? Lumo::StrFormat("ebreif_text_l%02d", level) : Lumo::StrFormat("breif_l%d", level);
    GetTextVars()->Set("level_briefing", GetEngineLocTable()->GetText(dayId));
    SetLevelNumberVars(level, endless);
    mPause.Take();
    GetSoundManager()->SoundPlay(isFail ? "bad_debriefing_show" : "good_debriefing_show");
    if (menuButton)
        menuButton->SetDisabled(!isFail && board && !board->mOnFinishComix.empty());
    ScreenTrace("debriefing shown: %s, level %d, %d awards", isFail ? "fail" : "success", level,
                (int)earnedCount);
}

void KpBoard_Debriefing::OnHide()
{
    mPause.Release();
}

void KpBoard_Debriefing::Update()
{
    KpDialog::Update();
    if (!mVisible || !awardsReady)
        return;
    if (revealedCount >= earnedCount)
        return;
    revealDelay -= KpFrameTimeMs() / 1000.0f;
    if (revealDelay > 0.0f)
        return;
    GetSoundManager()->SoundPlay("debriefing_awards");
    int award = earned[revealedCount];
    if (awardIcons[award][0])
        awardIcons[award][0]->Show();
    if (awardIcons[award][2])
        awardIcons[award][2]->Show();
    revealDelay = KpEffect::GetConstant("DebriefingNextAchievementDelay");
    revealedCount++;
    ScreenTrace("debriefing: award %d revealed", award);
}

void KpBoard_Debriefing::LockImages()
{
    KpDialog::LockImages();
    mModal.Push(this);
}

void KpBoard_Debriefing::RemovedFromManager(Lumo::WidgetManager* manager)
{
    mModal.SetLeavingTree(true);
    KpDialog::RemovedFromManager(manager);
    mModal.SetLeavingTree(false);
}

void KpBoard_Debriefing::UnlockImages()
{
    KpDialog::UnlockImages();
    mModal.Pop(this);
}

// ============================================================================
// Buttons
// ============================================================================

void KpBoard_Debriefing::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    KpBoard_Game3* board = gGameBoard3;
    if (widget == startButton || widget == replayButton)
    {
        Hide();
        if (!isFail && !gDevOptions.mNoComix && board && !board->mOnFinishComix.empty())
            board->ShowDebriefingComix(board->mOnFinishComix);
        else if (isFail && widget == replayButton)
        {
            // A failed day is played again, not skipped.
            KpBoard_Career* book = GetCareerBook();
            if (book && board)
                book->StartLevel(book->GetSelectedLevel());
        }
        else
            StartNextLevel();
    }
    else if (widget == menuButton)
        GoToMenu();
}

void KpBoard_Debriefing::StartNextLevel()
{
    KpBoard_Career* book = GetCareerBook();
    if (!book)
    {
        GoToMenu();
        return;
    }
    int level = book->GetSelectedLevel();
    if (level < kCareerLastLevel)
        book->StartLevel(level + 1);
    else
    {
        book->selectedDay = -1;
        GoToMenu();
    }
}

void KpBoard_Debriefing::GoToMenu()
{
    Hide();
    KpBoard_Game3* board = gGameBoard3;
    if (board)
        board->Hide();
    ShowMenusAndQuitLevel(board);
    ScreenTrace("debriefing: back to the main menu");
}
