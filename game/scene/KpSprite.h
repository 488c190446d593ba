// A scene picture: one named texture of "cfg\ui.xml", held while the sprite
// holds it, drawn with its anchor point at a scene position and at an alpha.
// Scene objects keep one per picture they draw; textures are shared, so many
// sprites of one name cost one picture.
#pragma once

#include <string>

#include "game/engine/KpTextureManager.h"

namespace Lumo
{
class Graphics;
class Image;
class Rect;
} // namespace Lumo

class KpSprite
{
public:
    KpSprite() = default;
    ~KpSprite() { Release(); }
    KpSprite(const KpSprite&) = delete;
    KpSprite& operator=(const KpSprite&) = delete;

    // Holds the texture of that name (an unknown name holds nothing and draws
    // nothing). The anchor is the point of the picture placed at the position:
    // (0.5, 1) is its bottom centre.
    void Set(const std::string& texture, float anchorX = 0.5f, float anchorY = 0.5f);
    void Release();

    const std::string& GetName() const { return mName; }
    // The picture, or null when the texture is missing or unreadable.
    Lumo::Image* GetImage() const;
    int GetWidth() const;
    int GetHeight() const;

    // Draws at (x, y) (the anchor's place), alpha 0 to 1.
    void Draw(Lumo::Graphics* g, float x, float y, float alpha = 1.0f) const;
    // The pixels Draw at (x, y) covers; empty without a picture.
    Lumo::Rect GetRect(float x, float y) const;
    // Draws the part (sx, sy, sw, sh) of the picture with its top-left at (x, y).
    void DrawPart(Lumo::Graphics* g, int x, int y, int sx, int sy, int sw, int sh,
                  float alpha = 1.0f) const;

private:
    std::string mName;
    KpImageHandle mHandle;
    bool mLocked = false;
    float mAnchorX = 0.5f, mAnchorY = 0.5f;
};
