#include "tests/game/engine/EngineTestSupport.h"

namespace
{
::testing::Environment* const gComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComTestEnvironment);
} // namespace
