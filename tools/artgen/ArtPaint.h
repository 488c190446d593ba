// Painting for the art tool: colours mixed and shaded, masks filled with a
// colour, a vertical gradient or a faint seeded paper grain, and the finished
// pieces every screen's art is made of: rounded panels with an outline and a
// soft shadow, inset fields, pill buttons in their four states (normal, over,
// down, disabled), badges and ribbons. Light comes from the top left.
#pragma once

#include <cstdint>

#include "tools/artgen/ArtMask.h"

namespace Lumo
{
class MemoryImage;
}

namespace ArtPaint
{
// --- colours (0xRRGGBB)
uint32_t Mix(uint32_t a, uint32_t b, float t); // t 0: a, 1: b
uint32_t Lighter(uint32_t rgb, float amount);  // towards white
uint32_t Darker(uint32_t rgb, float amount);   // towards black
// The outline colour of a fill: one shade darker, leaning to coffee.
uint32_t OutlineOf(uint32_t fill);

// --- filling masks
void Fill(Lumo::MemoryImage& image, const ArtMask& mask, uint32_t rgb, float alpha = 1.0f);
// From `top` at row y0 to `bottom` at row y1 (clamped outside).
void FillVertical(Lumo::MemoryImage& image, const ArtMask& mask, uint32_t top, uint32_t bottom,
                  float y0, float y1, float alpha = 1.0f);
// Seeded noise that lightens and darkens by up to `strength` (0.05 = 5%).
void Grain(Lumo::MemoryImage& image, const ArtMask& mask, uint32_t seed, float strength);
// The mask blurred and moved as a shadow in coffee.
void Shadow(Lumo::MemoryImage& image, const ArtMask& mask, int dx, int dy, int blur, float alpha);
// Every pixel desaturated and its alpha scaled: the disabled look.
void Desaturate(Lumo::MemoryImage& image, float opacity);

// --- pieces
struct PanelStyle
{
    uint32_t top = 0xFBF3E2;    // fill at the top edge
    uint32_t bottom = 0xF3E4C6; // and at the bottom
    uint32_t outline = 0;       // 0: OutlineOf(bottom)
    float radius = 14.0f;
    bool shadow = true;
    float grain = 0.05f;
    uint32_t seed = 1;
};
// Room around a panel for its shadow, pixels.
const int kPanelMargin = 10;
// A rounded panel filling (x, y, w, h): shadow (0, 4), 2 px outline, gradient,
// grain and a thin inner highlight at the top.
void Panel(Lumo::MemoryImage& image, float x, float y, float w, float h, const PanelStyle& style);
// A sunken field (text entry, list): darker rim at the top, light at the bottom.
void Inset(Lumo::MemoryImage& image, float x, float y, float w, float h, float radius,
           uint32_t fill);

enum ButtonState
{
    kNormal = 0,
    kOver,
    kDown,
    kDisabled
};
// The face colour of a state: over 8% lighter, down 8% darker.
uint32_t StateColour(uint32_t color, ButtonState state);
// Room around a button for its glow and shadow, pixels.
const int kButtonMargin = 6;
// A pill (or rounded) button in (x, y, w, h): over is 8% lighter with a 2 px
// butter glow, down 8% darker and 2 px lower, disabled desaturated at 55%.
void Button(Lumo::MemoryImage& image, float x, float y, float w, float h, float radius,
            uint32_t color, ButtonState state);
} // namespace ArtPaint
