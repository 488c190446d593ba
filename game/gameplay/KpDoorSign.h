// The sign on the cafe's door: "OPEN" only while the day runs, "CLOSED"
// before the first guest may come in and once the cafe has closed (the day's
// clock ran out or the lives did). The door itself is part of the cafe
// picture; the sign hangs on its hook at a place of the picture's plan.
#pragma once

#include <string>

#include "game/scene/KpItem.h"
#include "game/scene/KpSprite.h"

class KpDoorSign : public KpItem
{
public:
    // look: the cafe's look ("cafe1"); its pictures "<look>_sign_open" and "<look>_sign_closed".
    explicit KpDoorSign(const std::string& look);

    void SetOpen(bool open);
    bool IsOpen() const { return mOpen; }

    void DrawPart(Lumo::Graphics* g, int part) override;
    Lumo::Rect GetPartRect(int part) const override;

private:
    bool mOpen = false;
    KpSprite mOpenSign, mClosedSign;
};
