#include "game/gameplay/KpDecor.h"

void KpDecor::Place(float x, float y)
{
    mX = x;
    mY = y;
    mZ = int(y) * 4;
}

std::string KpDecor::GetGroup() const
{
    return mName.substr(0, mName.find('_'));
}

bool KpDecor::ApplyUpgradeSkin(const std::string& group, const std::string& skin)
{
    if (group != GetGroup())
        return false;
    MarkChanged();
    mSkin = skin;
    if (skin.empty())
        mPicture.Release();
    else
        mPicture.Set(group + "_" + skin, 0.5f, 1.0f);
    return true;
}

void KpDecor::DrawPart(Lumo::Graphics* g, int)
{
    mPicture.Draw(g, mX, mY);
}

Lumo::Rect KpDecor::GetPartRect(int) const
{
    return mPicture.GetRect(mX, mY);
}
