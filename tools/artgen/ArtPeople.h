// The people of the pictures, drawn as the in-game standing figure (96 x 168
// units: a round head with a face, a rounded body, arms, legs and shoes) at
// any scale. Zorka is one of them, and the same everywhere: the comics, the
// menus, the photos and the help pictures all draw her from here.
#pragma once

#include <cstdint>

#include "framework/graphics/MemoryImage.h"

namespace ArtPeople
{

struct Look
{
    uint32_t colour; // clothes
    uint32_t skin;
    uint32_t hair;
    int style; // 0 bun with a clip (Zorka's), 1 beret, 2 curls, 3 cap
};

// Zorka: cherry top, white apron, dark bun with a butter clip.
extern const Look kZorka;

// The frame of a figure drawn at `scale` pixels per unit: the figure's own
// width with room on the left for Zorka's raised arm, and its height.
int FrameLeft(float scale);
int FrameWidth(float scale);
int FrameHeight(float scale);
// Where the figure stands in its frame: the middle of its feet, on the floor.
float FeetX(float scale);
float FeetY(float scale);

// The figure in its frame, with its arm on the picture's left only when
// `leftArm`, and an apron (Zorka's) or a collar and buttons.
Lumo::MemoryImage Figure(const Look& look, float scale, bool leftArm, bool apron);
// Zorka's left arm alone, in the frame of her figure: hanging, or raised to wave.
Lumo::MemoryImage ZorkaArm(float scale, bool raised);
// Zorka whole: her figure with that arm.
Lumo::MemoryImage Zorka(float scale, bool waving);

} // namespace ArtPeople
