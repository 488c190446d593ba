// The game's icons, built from a few bold shapes with the same coffee outline
// and light from the top left, at any size: the five award icons (flash,
// clean, expert, match, mega), money, lives and the clock with one frame per
// hour of its hand. Screens' art groups draw them into their own pictures.
#pragma once

namespace Lumo
{
class MemoryImage;
}

namespace ArtIcons
{
enum Icon
{
    kFlash = 0, // lightning bolt
    kClean,     // sparkle with a broom
    kExpert,    // star
    kMatch,     // three linked rings
    kMega,      // crown
    kMoney,     // coin with a cup mark
    kLives,     // heart
    kClock,     // watch face; the frame (0-11) turns its hand
    kIconCount
};

// Draws the icon in the square (x, y, size) of the image.
void Draw(Lumo::MemoryImage& image, Icon icon, int x, int y, int size, int frame = 0);
// The icon's file name stem ("flash", "clean", ...).
const char* Name(Icon icon);
} // namespace ArtIcons
