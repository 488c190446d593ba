#include "game/gameplay/KpFloatingPop.h"

#include <cmath>

#include "framework/graphics/Graphics.h"
#include "framework/resources/Font.h"
#include "game/engine/KpFont.h"
#include "game/gameplay/KpCafeArt.h"

namespace
{
const float kRise = 46.0f; // pixels over the whole life
const int kFadeMs = 350;   // the last part fades out
const int kPopZ = 1 << 23; // in front of everything else
} // namespace

KpFloatingPop::KpFloatingPop(const std::string& icon, const std::wstring& text, float x, float y)
    : mText(text), mStartY(y)
{
    mIcon.Set(icon, 0.5f, 0.5f);
    mX = x;
    mY = y;
    mZ = kPopZ;
}

void KpFloatingPop::Update(int ms)
{
    mAgeMs += ms;
    MarkChanged(); // rises and fades all its life
    float t = std::fmin(float(mAgeMs) / float(kLifeMs), 1.0f);
    // Fast out of the head, slowing towards the top.
    mY = mStartY - kRise * (1.0f - (1.0f - t) * (1.0f - t));
    if (mAgeMs >= kLifeMs)
        mRemove = true;
}

void KpFloatingPop::DrawPart(Lumo::Graphics* g, int)
{
    float alpha = 1.0f;
    if (mAgeMs > kLifeMs - kFadeMs)
        alpha = std::fmax(0.0f, float(kLifeMs - mAgeMs) / float(kFadeMs));
    Lumo::Font* font = mText.empty() ? nullptr : KpFont::GetFont("button");
    int textWidth = font ? font->StringWidth(mText) : 0;
    const int icon = KpCafeArt::kPopIconSize, gap = 4;
    float left = mX - float(icon + (textWidth ? gap + textWidth : 0)) * 0.5f;
    mIcon.Draw(g, left + icon * 0.5f, mY, alpha);
    if (!font)
        return;
    // Butter text with a coffee outline, like every text drawn over a picture.
    int a = int(std::lround(alpha * 255.0f));
    int x = int(left) + icon + gap;
    int baseline = int(mY) + font->GetAscent() / 2 - 1;
    g->SetFont(font);
    g->SetColor(0x5B, 0x3A, 0x29, a);
    for (int dy = -1; dy <= 1; dy++)
        for (int dx = -1; dx <= 1; dx++)
            if (dx || dy)
                g->DrawString(mText, x + dx, baseline + dy);
    g->SetColor(0xF2, 0xC1, 0x4E, a);
    g->DrawString(mText, x, baseline);
}

Lumo::Rect KpFloatingPop::GetPartRect(int) const
{
    Lumo::Font* font = mText.empty() ? nullptr : KpFont::GetFont("button");
    int textWidth = font ? font->StringWidth(mText) : 0;
    const int icon = KpCafeArt::kPopIconSize, gap = 4;
    float left = mX - float(icon + (textWidth ? gap + textWidth : 0)) * 0.5f;
    Lumo::Rect r = mIcon.GetRect(left + icon * 0.5f, mY);
    if (!font)
        return r;
    // The text with its outline, and room for glyphs that reach past their advance.
    int x = int(left) + icon + gap;
    int baseline = int(mY) + font->GetAscent() / 2 - 1;
    const int margin = 4;
    return Cover(r, Lumo::Rect(x - margin, baseline - font->GetAscent() - margin,
                               textWidth + 2 * margin, font->GetHeight() + 2 * margin));
}
