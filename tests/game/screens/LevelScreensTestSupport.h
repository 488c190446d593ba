// A level started on a real board for the tests of the in-level dialogs: the
// board with its HUD, briefing, pause menu and debriefings made from the
// game's layouts, a level given directly (no file), and the game clock
// driven by the tests' updates.
#pragma once

#include <gtest/gtest.h>

#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpLevelData.h"

class LevelScreens : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts a career (or survival) level of that day length, money targets and task goals.
    void StartLevel(int dayMs, int goal, int expert, const int goals[5], bool endless = false);

    KpBoard_Game3* board = nullptr;
};
