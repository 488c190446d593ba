// The game's version resource, as the application object reads it.
#include "framework/app/LumoAppBase.h"

#include <gtest/gtest.h>

TEST(GameVersion, ProductVersionComesFromTheVersionResource)
{
    struct Probe : Lumo::LumoAppBase
    {
    } probe;
    std::string exe = std::string(LUMO_BINARY_DIR) + "/game/ZorkaCafe.exe";
    EXPECT_EQ(probe.GetProductVersion(exe), "1.0");
    EXPECT_EQ(probe.GetProductVersion(exe + ".missing"), "");
}
