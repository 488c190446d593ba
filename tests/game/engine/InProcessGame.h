// The game's application object run inside a test program. The program's own
// arguments are gtest's, which the game's option handler would reject with a
// box, so this game takes no command line.
#pragma once

#include <string>

#include "game/engine/KpEngine3.h"

class InProcessGame : public KpEngine3
{
public:
    void ReceiveCommandLine(const std::string&) override {}
};
