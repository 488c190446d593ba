// The game's palette (0xRRGGBB), one name per colour of the art direction
// (docs/art-direction in the project's shared notes). Every picture the art
// tool draws takes its colours from here, so the look stays one.
#pragma once

#include <cstdint>

namespace ArtPalette
{
// Paper
const uint32_t kCream = 0xF7EBD3;
const uint32_t kPaperShade = 0xE9D5B0;
const uint32_t kPageEdge = 0xC9A977;
// Browns: outlines and dark text, then two lighter ones
const uint32_t kCoffee = 0x5B3A29;
const uint32_t kMocha = 0x8A5A3B;
const uint32_t kCaramel = 0xC98B4F;
// Accents
const uint32_t kMint = 0x6FBF9B;   // go, success
const uint32_t kCherry = 0xD9534F; // stop, fail, lives
const uint32_t kButter = 0xF2C14E; // money, stars
const uint32_t kSky = 0x7DB7D9;    // information
const uint32_t kWhite = 0xFFFFFF;
// One colour per cafe: its book tab, photo frame and HUD trim
const uint32_t kCafeColour[3] = {kCaramel, kMint, kCherry};

// Outlines are this wide at 1024x768, panels and icons alike.
const float kOutlineWidth = 2.0f;
} // namespace ArtPalette
