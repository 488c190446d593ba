// Shared steps of the gameplay tests: COM for the XML reader, level data read
// from text or from the shipped files, and a board stepped update by update on
// the injectable clock (10 ms a step, as the game runs).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/gameplay/KpLevelData.h"

class KpBoard_Game3;
class PakInterface;

// The level read from XML text; fails the test when it cannot be read.
KpLevelData* LevelFromText(const std::string& xml, int number, bool endless,
                           std::vector<std::string>* warnings = nullptr);
// The shipped file's text ("l001.xml") from the source tree.
std::string ShippedLevelText(const std::string& name);

// One update of the board at 10 ms of game time.
void Step(KpBoard_Game3& board, int updates = 1);
// Steps until the condition holds; false when it did not within the bound.
bool StepUntil(KpBoard_Game3& board, const std::function<bool()>& condition, int maxUpdates);

// The game's archives of the build (game\loc.pak, game\data.pak) with the
// textures and fonts of cfg\ui.xml, for the tests that draw.
class GameArchives
{
public:
    GameArchives();
    ~GameArchives();
    bool IsReady() const { return mReady; }

private:
    PakInterface* mPak;
    bool mReady = false;
};
