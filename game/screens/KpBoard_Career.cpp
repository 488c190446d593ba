#include "game/screens/KpBoard_Career.h"

#include <climits>

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpTextVars.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpScreenTable.h"

namespace
{
const char* const kAwardIcons[kCareerAwardCount] = {"achiev_flash_active", "achiev_clean_active",
                                                    "achiev_expert_active", "achiev_match_active",
                                                    "achiev_mega_active"};
// Where the first earned award of the right page sits, and the step to the next.
const int kAwardX = 60, kAwardY = 353, kAwardStep = 66;

// The 24 children "<format>" numbered 1 to 24 (null where missing).
std::vector<KpCandyWidget*> Numbered(KpCandyWidget* page, const char* format)
{
    std::vector<KpCandyWidget*> list;
    for (int d = 1; d <= kCareerDaySlots; d++)
        list.push_back(page ? page->FindChild(Lumo::StrFormat(format, d)) : nullptr);
    return list;
}

KpCandyWidget* At(const std::vector<KpCandyWidget*>& list, int day)
{
    return day >= 1 && day <= (int)list.size() ? list[day - 1] : nullptr;
}

const KpProfile& Profile()
{
    return gProfileFile.mProfile;
}
} // namespace

KpBoard_Career::KpBoard_Career(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine), app(mApp)
{
    LoadLayout(layoutRoot, "career_menu");
    briefingImageName = "briefing_00";
    briefingImage = KpTextureManager::GetImage(briefingImageName);
    cafeImageName = "cafe_01";
    cafeImage = KpTextureManager::GetImage(cafeImageName);
}

// ============================================================================
// Layout
// ============================================================================

void KpBoard_Career::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "career_dlg")
        BindCareerPage(child);
    else if (name == "career_dlg_fake")
        BindSnapshotPage(child);
    else if (name == "pages")
        pages = child;
    else if (name == "reset_button")
        resetButton = child;
    else if (name == "current_day")
        currentDayButton = child;
    for (int i = 0; i < kCareerCafeCount; i++)
    {
        if (name == Lumo::StrFormat("cafe%d_button", i + 1))
            cafeButton[i] = child;
        else if (name == Lumo::StrFormat("cafe%d_text_big", i + 1))
            cafeBigText[i] = child;
    }
    KpDialog::AddChild(name, child);
}

void KpBoard_Career::BindCareerPage(KpCandyWidget* page)
{
    careerPage = page;
    leftPage = page->FindChild("left_page");
    rightPage = page->FindChild("right_page");
    if (leftPage)
    {
        backButton = leftPage->FindChild("back_button");
        photoCafe = leftPage->FindChild("photo_cafe");
        dayFrame = leftPage->FindChild("day_mark");
    }
    dayButtons = Numbered(leftPage, "day_button_%02d");
    dayTexts = Numbered(leftPage, "day_text_%02d");
    goalTicks = Numbered(leftPage, "goal_%02d");
    expertTicks = Numbered(leftPage, "expert_%02d");
    if (rightPage)
    {
        restartButton = rightPage->FindChild("restart_button");
        playButton = rightPage->FindChild("play_button");
        photoBriefing = rightPage->FindChild("photo_briefing");
        briefDebrief = rightPage->FindChild("brief_debrief");
        scorePoints = rightPage->FindChild("score_points");
    }
}

void KpBoard_Career::BindSnapshotPage(KpCandyWidget* page)
{
    snapshotPage = page;
    KpCandyWidget* left = page->FindChild("left_page");
    KpCandyWidget* right = page->FindChild("right_page");
    snapshotDayTexts = Numbered(left, "day_text_%02d");
    snapshotGoalTicks = Numbered(left, "goal_%02d");
    snapshotExpertTicks = Numbered(left, "expert_%02d");
    snapshotDayFrame = left ? left->FindChild("day_mark") : nullptr;
    snapshotPhotoCafe = left ? left->FindChild("photo_cafe") : nullptr;
    snapshotPhotoBriefing = right ? right->FindChild("photo_briefing") : nullptr;
}

// ============================================================================
// Helpers
// ============================================================================

int KpBoard_Career::HighestLevel() const
{
    return ClampHighestLevel(Profile().highestLevel);
}

void KpBoard_Career::SetCafe(int cafe)
{
    const CareerCafe& c = GetCareerCafe(cafe);
    shownCafe = c.cafe;
    firstLevel = c.levelOffset;
    dayCount = c.days;
}

std::wstring KpBoard_Career::DayText() const
{
    int level = ClampCareerLevel(GetSelectedLevel());
    if (GetSelectedLevel() == HighestLevel())
        return GetEngineLocTable()->GetText("breif_qq");
    return GetEngineLocTable()->GetText(Lumo::StrFormat("breif_l%d", level));
}

// The frame centred on the selected day's button, 2 pixels left and 4 up.
void KpBoard_Career::PlaceDayFrame(KpCandyWidget* frame)
{
    KpCandyWidget* button = At(dayButtons, selectedDay);
    if (!frame || !button)
        return;
    int x = button->mX - (frame->mWidth / 2 - button->mWidth / 2) - 2;
    int y = button->mY - (frame->mHeight / 2 - button->mHeight / 2) - 4;
    frame->Move(x, y);
}

// ============================================================================
// Showing
// ============================================================================

void KpBoard_Career::OnShow()
{
    PutAwayTabs();
    if (selectedDay == -1)
        SelectHighestLevel();
    RefreshDays(true, false);
    ShowIf(dayFrame);
    GetSoundManager()->SoundPlay("briefing_show");
    if (KpBoard_MainMenu* menu = GetMainMenu())
        menu->TurnMenuPage(careerPage, false, kTurnCareer);
    ShowGoalIcons(GetSelectedLevel(), false);
    ScreenTrace("career book shown: cafe %d day %d", shownCafe, selectedDay);
}

void KpBoard_Career::OnHide() {}

void KpBoard_Career::SelectHighestLevel()
{
    int h = HighestLevel();
    SetCafe(CareerCafeOfLevel(h));
    selectedDay = h - firstLevel;
    if (selectedDay > kCareerDaySlots)
        selectedDay = kCareerDaySlots;
    unlockedDays = selectedDay;
    ShowGoalIcons(GetSelectedLevel(), false);
}

void KpBoard_Career::SetupCafePage(bool resetDay)
{
    int h = HighestLevel();
    for (KpCandyWidget* tab : cafeButton)
        SetDisabledIf(tab, false);
    if (careerPage)
        BringToFront(careerPage);
    for (int i = 0; i < kCareerCafeCount; i++)
        if (cafeButton[i] && i + 1 != shownCafe)
            BringToFront(cafeButton[i]);
    if (currentDayButton)
        BringToFront(currentDayButton);
    if (resetButton)
        BringToFront(resetButton);
    SetVisibleIf(snapshotPage, false);
    SetDisabledIf(cafeButton[2], h < 36);
    SetDisabledIf(cafeButton[1], h < 16);
    SetCafe(shownCafe);
    if (resetDay)
    {
        selectedDay = CareerUnlockedDays(shownCafe, h);
        unlockedDays = selectedDay;
    }
    std::string picture = Lumo::StrFormat("cafe_%d", shownCafe);
    if (picture != cafeImageName)
    {
        cafeImageName = picture;
        cafeImage = KpTextureManager::GetImage(picture);
        SetWidgetImage(photoCafe, cafeImage);
    }
    GetTextVars()->SetInt("cafe", shownCafe);
}

void KpBoard_Career::ShowCafeTabs()
{
    KpCandyWidget* big = cafeBigText[shownCafe - 1];
    if (big)
    {
        big->Show();
        BringToFront(big);
    }
    for (int i = 0; i < kCareerCafeCount; i++)
    {
        if (i + 1 == shownCafe)
            continue;
        if (cafeButton[i] && !cafeButton[i]->IsVisibleInTree())
            cafeButton[i]->Show();
        if (cafeBigText[i] && cafeBigText[i]->IsVisibleInTree())
            cafeBigText[i]->Hide();
    }
    ShowIf(resetButton);
    ShowIf(currentDayButton);
}

// The tabs and the two tools stand on the open book only: they would show
// over the main menu while the page turns. ShowCafeTabs brings them back.
void KpBoard_Career::PutAwayTabs()
{
    for (int i = 0; i < kCareerCafeCount; i++)
    {
        SetVisibleIf(cafeButton[i], false);
        SetVisibleIf(cafeBigText[i], false);
    }
    SetVisibleIf(resetButton, false);
    SetVisibleIf(currentDayButton, false);
}

void KpBoard_Career::HideCafeTab(bool alsoTools)
{
    HideIf(cafeBigText[shownCafe - 1]);
    ShowIf(cafeButton[shownCafe - 1]);
    if (alsoTools)
    {
        HideIf(resetButton);
        HideIf(currentDayButton);
    }
}

void KpBoard_Career::RefreshDays(bool showFx, bool doneFx)
{
    if (dayFrame)
    {
        dayFrame->SetVisible(false);
        PlaceDayFrame(dayFrame);
        dayFrame->RewindImages();
        dayFrame->Show();
    }
    const KpProfile& profile = Profile();
    for (int d = 1; d <= kCareerDaySlots; d++)
    {
        KpCandyWidget* button = At(dayButtons, d);
        KpCandyWidget* text = At(dayTexts, d);
        SetVisibleIf(button, d <= dayCount);
        SetVisibleIf(text, d <= dayCount);
        KpCandyWidget* goal = At(goalTicks, d);
        KpCandyWidget* expert = At(expertTicks, d);
        SetVisibleIf(goal, false);
        SetVisibleIf(expert, false);
        bool locked = d > unlockedDays;
        SetDisabledIf(button, locked);
        SetDisabledIf(text, locked);
        int level = ClampCareerLevel(d + firstLevel);
        if (locked || profile.levelMoney[level] == 0 || !IsCareerLevelPassed(profile, level))
            continue;
        KpCandyWidget* tick = profile.levelExpert[level] ? expert : goal;
        if (!tick)
            continue;
        tick->SetVisible(true);
        if (showFx)
            tick->RunEffect("onshow");
        if (doneFx && d == unlockedDays)
            tick->RunEffect("onleveldone");
    }
    KpTextVars* vars = GetTextVars();
    vars->SetInt("day", selectedDay);
    vars->Set("brief_debrief", DayText());
    if (briefDebrief)
        briefDebrief->RunEffect("onshow");
    int selected = ClampCareerLevel(GetSelectedLevel());
    vars->SetInt("level_score", profile.levelMoney[selected]);
    ShowGoalIcons(GetSelectedLevel(), false);

    std::string picture = GetSelectedLevel() == HighestLevel()
                              ? std::string("briefing_qq")
                              : Lumo::StrFormat("briefing_%02d", selected);
    if (picture != briefingImageName)
    {
        KpImageHandle handle = KpTextureManager::GetImage(picture);
        if (IsImageHandleNull(handle))
        {
            picture = "briefing_00";
            handle = KpTextureManager::GetImage(picture);
        }
        briefingImageName = picture;
        briefingImage = handle;
        SetWidgetImage(photoBriefing, briefingImage);
        if (photoBriefing)
            photoBriefing->RunEffect("onshow");
    }
}

void KpBoard_Career::ShowGoalIcons(int level, bool snapshot)
{
    KpCandyWidget* page = snapshot ? snapshotPage : careerPage;
    KpCandyWidget* right = page ? page->FindChild("right_page") : nullptr;
    if (!right)
        return;
    level = ClampCareerLevel(level);
    int x = kAwardX;
    for (int i = 0; i < kCareerAwardCount; i++)
    {
        KpCandyWidget* icon = right->FindChild(kAwardIcons[i]);
        if (!icon)
            continue;
        bool earned = Profile().levelGoals[level][i] != 0 && IsCareerLevelPassed(Profile(), level);
        icon->SetVisible(earned);
        // The first four earned ones are packed from the left; the mega award keeps its place.
        if (earned && i < kCareerAwardCount - 1)
        {
            icon->Move(x, kAwardY);
            x += kAwardStep;
        }
    }
}

// ============================================================================
// Cafe switch
// ============================================================================

void KpBoard_Career::SwitchCafe(int cafe)
{
    bool backward = cafe < shownCafe;
    HideCafeTab(false);

    // The snapshot keeps the page being turned away in view.
    KpTextVars* vars = GetTextVars();
    const KpProfile& profile = Profile();
    int selected = ClampCareerLevel(GetSelectedLevel());
    vars->SetInt("selectedday", selectedDay);
    vars->Set("brief_debrief_fake", DayText());
    vars->SetInt("level_score_fake", profile.levelMoney[selected]);
    ShowGoalIcons(GetSelectedLevel(), true);
    SetWidgetImage(snapshotPhotoBriefing, briefingImage);
    SetWidgetImage(snapshotPhotoCafe, cafeImage);
    if (snapshotDayFrame)
    {
        snapshotDayFrame->SetVisible(true);
        PlaceDayFrame(snapshotDayFrame);
    }
    for (int d = 1; d <= kCareerDaySlots; d++)
    {
        KpCandyWidget* text = At(snapshotDayTexts, d);
        KpCandyWidget* goal = At(snapshotGoalTicks, d);
        KpCandyWidget* expert = At(snapshotExpertTicks, d);
        SetVisibleIf(text, d <= dayCount);
        SetVisibleIf(goal, false);
        SetVisibleIf(expert, false);
        bool locked = d > unlockedDays;
        SetDisabledIf(text, locked);
        int level = ClampCareerLevel(d + firstLevel);
        if (!locked && profile.levelMoney[level] != 0 && IsCareerLevelPassed(profile, level))
            SetVisibleIf(profile.levelExpert[level] ? expert : goal, true);
    }

    shownCafe = GetCareerCafe(cafe).cafe;
    if (snapshotPage)
        BringToFront(snapshotPage);
    SetupCafePage(true);
    RefreshDays(true, false);
    SetVisibleIf(snapshotPage, true);
    if (KpBoard_MainMenu* menu = GetMainMenu())
        menu->TurnMenuPage(careerPage, backward, kTurnCareer);
}

// ============================================================================
// Buttons
// ============================================================================

void KpBoard_Career::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    if (widget == backButton)
    {
        if (KpCandyWidget* board = GetScreen(kBoardGame))
            board->Hide();
        if (KpBoard_MainMenu* menu = GetMainMenu())
            menu->TurnMenuPage(nullptr, true, kTurnNone);
        PutAwayTabs();
    }
    else if (widget == playButton)
        StartLevel(GetSelectedLevel());
    else if (widget == resetButton)
    {
        if (ShowConfirmBox("delcareer") == 1)
        {
            // The page comes to the front here as in a page turn, and the
            // cafe may change: the tabs are set as when a turn ends.
            HideCafeTab(false);
            gProfileFile.ClearProfile();
            gProfileFile.Save();
            ScreenTrace("career reset");
            SelectHighestLevel();
            SetupCafePage(true);
            RefreshDays(false, false);
            ShowCafeTabs();
        }
    }
    else if (widget == currentDayButton)
    {
        // The highest level's cafe is learnt first; a turn to another cafe then
        // starts from the page on view, so its snapshot shows that page.
        int cafe = shownCafe, day = selectedDay, unlocked = unlockedDays;
        SelectHighestLevel();
        if (shownCafe == cafe)
        {
            SetupCafePage(false);
            RefreshDays(false, false);
            // The page came in front of the shown cafe's big tab.
            ShowCafeTabs();
        }
        else
        {
            int target = shownCafe;
            SetCafe(cafe);
            selectedDay = day;
            unlockedDays = unlocked;
            SwitchCafe(target);
        }
        ScreenTrace("career today: cafe %d day %d", shownCafe, selectedDay);
    }
    else
    {
        for (int i = 0; i < kCareerCafeCount; i++)
            if (widget == cafeButton[i])
                SwitchCafe(i + 1);
    }
    for (int d = 1; d <= kCareerDaySlots; d++)
        if (widget == At(dayButtons, d))
        {
            selectedDay = d;
            RefreshDays(false, false);
            ShowGoalIcons(GetSelectedLevel(), false);
            break;
        }
}

// ============================================================================
// Levels
// ============================================================================

void KpBoard_Career::StartLevel(int level)
{
    level = ClampCareerLevel(level);
    startedLevel = level;
    SetCafe(CareerCafeOfLevel(level));
    selectedDay = level - firstLevel;
    // Crossing into the next cafe: its days open up to the highest level, not
    // as many as the cafe shown before had open.
    unlockedDays = CareerUnlockedDays(shownCafe, HighestLevel());
    Hide();
    if (KpCandyWidget* board = GetScreen(kBoardGame))
        if (board->mParent)
            board->mParent->BringToFront(board);
    ScreenTrace("career level %d started", level);
    StartGameLevel(level, false);
}

void KpBoard_Career::SetLevelResult(int money, int kind, int level)
{
    resultMoney = money;
    level = ClampCareerLevel(level);
    SetCafe(CareerCafeOfLevel(level));
    bool goals[kCareerAwardCount];
    for (int i = 0; i < kCareerAwardCount; i++)
        goals[i] = IsTaskGoalMet(i);
    KpProfile& profile = gProfileFile.mProfile;
    profile.highestLevel = ClampHighestLevel(profile.highestLevel);
    if (ApplyCareerResult(profile, money, kind, level, goals))
    {
        int64_t total = CareerTotal(profile);
        gProfileFile.InsertRecord(false, profile.name, total > INT_MAX ? INT_MAX : (int)total);
    }
    int day = selectedDay;
    SetupCafePage(true);
    selectedDay = day;
    RefreshDays(false, true);
    GetTextVars()->SetInt("debrief_money", money);
    ScreenTrace("career result: level %d kind %d money %d highest %d", level, kind, money,
                profile.highestLevel);
}
