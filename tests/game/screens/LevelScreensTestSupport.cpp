#include "tests/game/screens/LevelScreensTestSupport.h"

#include "game/gameplay/KpTaskGoals.h"
#include "game/scene/KpEffect.h"
#include "tests/game/screens/ScreensTestSupport.h"

void LevelScreens::SetUp()
{
    FreshProfileFile(L"Lucie");
    board = MakeGameBoard();
}

void LevelScreens::TearDown()
{
    board->QuitLevel();
    ClearScreens();
    gTaskGoals.Clear();
    KpEffect::SetConstant("Match3PosX", 512.0f);
}

void LevelScreens::StartLevel(int dayMs, int goal, int expert, const int goals[5], bool endless)
{
    KpLevelData* level = new KpLevelData();
    level->number = 1;
    level->endless = endless;
    level->dayLengthMs = dayMs;
    level->goalMoney = goal;
    level->expertMoney = expert;
    level->lives = 3;
    level->look = "cafe1";
    for (int i = 0; i < kTaskGoalCount; i++)
        level->goalTargets[i] = goals[i];
    board->SetVisible(true);
    board->BeginLevel(level);
}
