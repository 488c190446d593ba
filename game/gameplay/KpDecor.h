// A piece of decoration placed by the level file (curtains at the window, a
// fern, the espresso machine, the radio). It shows the picture of its upgrade
// skin, "<group>_<skin>", and nothing while its group has none. Its group is
// its name up to the first '_' ("plants_left" belongs to "plants").
#pragma once

#include "game/scene/KpIUpgrade.h"
#include "game/scene/KpItem.h"
#include "game/scene/KpSprite.h"

class KpDecor : public KpItem, public KpIUpgrade
{
public:
    // Takes its place; the depth follows its foot (the picture's bottom centre).
    void Place(float x, float y);
    const std::string& GetSkin() const { return mSkin; }
    std::string GetGroup() const;

    void DrawPart(Lumo::Graphics* g, int part) override;
    Lumo::Rect GetPartRect(int part) const override;
    bool ApplyUpgradeSkin(const std::string& group, const std::string& skin) override;

private:
    std::string mSkin;
    KpSprite mPicture;
};
