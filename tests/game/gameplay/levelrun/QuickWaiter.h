// A quick waiter playing the cafe by itself, for LevelRun's autoplay and the
// frame benchmark's busy day: serves a client a moment after it sits, cleans
// a table a moment after.
#pragma once

#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpCafeTable.h"
#include "game/gameplay/KpClient.h"

// One move at most, by the same clicks a player makes.
inline void QuickWaiterMove(KpBoard_Game3* board)
{
    KpCafePlay& play = board->GetPlay();
    for (KpClient* client : play.GetClients())
        if (client->GetState() == kClientWaiting && client->GetWaitedMs() > 1500)
        {
            board->MouseDown((int)client->HeadX(), (int)client->HeadY(), 0, 1);
            return;
        }
    for (KpCafeTable* table : play.GetTables())
        if (table->IsDirty())
        {
            board->MouseDown((int)table->mX, (int)table->mY, 0, 1);
            return;
        }
}
