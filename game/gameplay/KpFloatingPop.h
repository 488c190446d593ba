// A small pop over the scene: a coin with the money a client paid ("+12"), or
// a heart when a client walked out. It rises, holds and fades in one second of
// game time, then removes itself.
#pragma once

#include <string>

#include "game/scene/KpItem.h"
#include "game/scene/KpSprite.h"

class KpFloatingPop : public KpItem
{
public:
    // icon: "coin_small" or "heart_small"; text drawn beside it (may be empty).
    KpFloatingPop(const std::string& icon, const std::wstring& text, float x, float y);

    void Update(int ms) override;
    void DrawPart(Lumo::Graphics* g, int part) override;
    Lumo::Rect GetPartRect(int part) const override;

    static const int kLifeMs = 1100;

private:
    KpSprite mIcon;
    std::wstring mText;
    float mStartY;
    int mAgeMs = 0;
};
