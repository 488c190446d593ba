#include "game/gameplay/KpLifeHearts.h"

#include <algorithm>

#include "game/gameplay/KpCafeArt.h"

namespace
{
// The survival HUD's hearts: 48 apart from x = 12, under the clock panel. A
// day with more lives than the row holds draws them closer.
const int kLeft = 12, kStep = 48, kRowWidth = 5 * kStep - 4;
// Over everything else of the scene.
const int kHeartsZ = 1 << 28;
} // namespace

KpLifeHearts::KpLifeHearts(int total) : mTotal(std::max(total, 0)), mLeft(mTotal)
{
    mZ = kHeartsZ;
    mHeart.Set("life_heart", 0.0f, 0.0f);
    mLost.Set("life_heart_lost", 0.0f, 0.0f);
}

void KpLifeHearts::SetLeft(int left)
{
    left = std::min(std::max(left, 0), mTotal);
    if (left != mLeft)
        MarkChanged();
    mLeft = left;
}

int KpLifeHearts::HeartX(int i) const
{
    int step = kStep;
    if (mTotal > 1)
        step = std::min(kStep, (kRowWidth - KpCafeArt::kLifeHeartSize) / (mTotal - 1));
    return kLeft + i * step;
}

void KpLifeHearts::DrawPart(Lumo::Graphics* g, int)
{
    // The lost ones are the last of the row, as the survival hearts grey from the right.
    for (int i = 0; i < mTotal; i++)
        (i < mLeft ? mHeart : mLost).Draw(g, float(HeartX(i)), float(kTop));
}

Lumo::Rect KpLifeHearts::GetPartRect(int) const
{
    Lumo::Rect row;
    for (int i = 0; i < mTotal; i++)
        row = Cover(row, (i < mLeft ? mHeart : mLost).GetRect(float(HeartX(i)), float(kTop)));
    return row;
}
