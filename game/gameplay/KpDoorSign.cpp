#include "game/gameplay/KpDoorSign.h"

#include "game/gameplay/KpCafeArt.h"

namespace
{
// On the door, behind whoever comes in or goes out under it.
const int kSignZ = 0;
} // namespace

KpDoorSign::KpDoorSign(const std::string& look)
{
    mZ = kSignZ;
    mX = float(KpCafeArt::kDoorSignX);
    mY = float(KpCafeArt::kDoorSignY);
    mOpenSign.Set(look + "_sign_open", 0.0f, 0.0f);
    mClosedSign.Set(look + "_sign_closed", 0.0f, 0.0f);
}

void KpDoorSign::SetOpen(bool open)
{
    if (open != mOpen)
        MarkChanged();
    mOpen = open;
}

void KpDoorSign::DrawPart(Lumo::Graphics* g, int)
{
    (mOpen ? mOpenSign : mClosedSign).Draw(g, mX, mY);
}

Lumo::Rect KpDoorSign::GetPartRect(int) const
{
    return Cover(mOpenSign.GetRect(mX, mY), mClosedSign.GetRect(mX, mY));
}
