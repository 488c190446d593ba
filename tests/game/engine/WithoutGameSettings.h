// The fixture of tests that run the real game as a debuggee (GameProcess.h):
// each starts without the game's settings key and the user's profile file and
// leaves none behind. The game and the tests share the prefix, so the same
// user's profile file.
#pragma once

#include <gtest/gtest.h>

#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

namespace GameTest
{
class WithoutGameSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
    }
    void TearDown() override
    {
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
    }
};
} // namespace GameTest
