// The lives of a career day on the cafe scene: a row of hearts under the HUD's
// clock, one per life the day has, those lost greyed, drawn as the survival
// HUD draws its hearts, so a walk-out is seen to cost something before the
// last one ends the day. Survival keeps its hearts in the HUD.
#pragma once

#include "game/scene/KpItem.h"
#include "game/scene/KpSprite.h"

class KpLifeHearts : public KpItem
{
public:
    // total: the day's lives; all are left at first.
    explicit KpLifeHearts(int total);

    void SetLeft(int left);
    int GetLeft() const { return mLeft; }
    int GetTotal() const { return mTotal; }

    // Where heart i (0 = the first) is drawn: its left edge; all share one top.
    int HeartX(int i) const;
    static const int kTop = 122;

    void DrawPart(Lumo::Graphics* g, int part) override;
    Lumo::Rect GetPartRect(int part) const override;

private:
    int mTotal;
    int mLeft;
    KpSprite mHeart, mLost;
};
