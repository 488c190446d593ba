#include "tests/game/scene/SceneTestSupport.h"

namespace
{
::testing::Environment* const gCom = ::testing::AddGlobalTestEnvironment(new ComTestEnvironment);
} // namespace
