// Shared strokes of the screens' pictures: a blank picture, masks, shapes
// lit from the top left inside the coffee outline, the hostess and her
// clients as rounded figures, and the little cafe scenes that the book's
// photos and the days' pictures are made of (one look per cafe, varied by a
// seed so that every day has a picture of its own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtCafe.h"
#include "tools/artgen/ArtMask.h"
#include "tools/artgen/ArtShape.h"

class ArtOutput;

namespace ArtScreens
{
// The strokes the cafe's pictures are drawn with.
using ArtCafe::Blank;
using ArtCafe::Gleam;
using ArtCafe::Lit;
using ArtCafe::Mask;
using ArtCafe::Polygon;

// A soft shadow on the floor, blurred less than the cafe's own (smaller figures).
inline void FloorShadow(Lumo::MemoryImage& image, float cx, float cy, float rx, float ry,
                        float alpha)
{
    ArtCafe::FloorShadow(image, cx, cy, rx, ry, alpha, 2);
}

// --- figures (feet at baseY, s = height in pixels)
// The hostess, Zorka, as every picture shows her (ArtPeople), `s` tall with
// her feet at (cx, baseY); waving raises her arm on the picture's left.
void Hostess(Lumo::MemoryImage& image, float cx, float baseY, float s, bool waving = false);
// A client: a rounded body of the colour, round head, two dot eyes.
void Client(Lumo::MemoryImage& image, float cx, float baseY, float s, uint32_t color, bool seated);
// A round cafe table seen from the side with a cup on it.
void Table(Lumo::MemoryImage& image, float cx, float topY, float w, uint32_t cloth);
void Cup(Lumo::MemoryImage& image, float cx, float baseY, float s, uint32_t color);

// --- scenes
struct CafeRoomLayout
{
    bool counterLeft;   // the counter stands on the left
    float floorY;       // where the wall meets the floor
    float counterWidth; // pixels
};
// The cafe's empty room: wall, window with the hour's sky, lamp, floor and
// counter; `variant` picks the hour and where things stand.
CafeRoomLayout CafeRoom(Lumo::MemoryImage& image, int x, int y, int w, int h, int cafe,
                        uint32_t variant);
// Tables, clients and the hostess in a room; `seed` picks who is there.
void CafeFolk(Lumo::MemoryImage& image, int x, int y, int w, int h, int cafe,
              const CafeRoomLayout& room, uint32_t seed, float busy, bool hostess = true);
// The cafe's room in the rectangle of the picture: wall, window with the
// hour's sky, counter, tables and clients. cafe 1-3 picks the look; `seed`
// varies the furniture, the clients and the hour; busy 0-1 fills the room.
void CafeScene(Lumo::MemoryImage& image, int x, int y, int w, int h, int cafe, uint32_t seed,
               float busy, bool hostess = true);
// A photo print: the picture on a white card with a soft shadow, in a
// `margin`-pixel border, the bottom border `caption` pixels tall.
void PhotoCard(Lumo::MemoryImage& image, int x, int y, int w, int h, int margin, int caption);

// One of the game's icons drawn on a canvas of its own size and laid on the
// picture (ArtIcons' masks are as large as the picture they draw into).
void Icon(Lumo::MemoryImage& image, int icon, int x, int y, int size, int frame = 0);
// A column of pixels (x, y0 to y1) shaded towards the colour.
void ShadeColumn(Lumo::MemoryImage& image, int x, int y0, int y1, uint32_t rgb, float alpha);

// A tab hanging from a page's top edge in a button state (ArtPaint::ButtonState):
// its drop shadow, the butter glow when pointed at, the face lit from dy down
// to h + dy, and a white seam `seam` pixels high across its top. `face` is the
// state's colour (ArtPaint::StateColour).
void HangingTab(Lumo::MemoryImage& image, const ArtMask& tab, uint32_t face, int state, int w,
                int h, float dy, float seam);

// Text centred on a point (Quicksand), in the colour with a coffee outline when `outline`.
void Label(Lumo::MemoryImage& image, const std::wstring& text, int cx, int baseline, int pixels,
           uint32_t color, bool outline);

// A round badge behind an icon, 96 x 96: a cream disc with a coloured ring.
void Badge(Lumo::MemoryImage& image, uint32_t ring);
} // namespace ArtScreens
