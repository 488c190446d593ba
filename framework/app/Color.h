#pragma once

// An RGBA colour as four ints, each meant to lie in 0..255. Kept as ints rather than bytes
// because the drawing code does channel arithmetic on them directly; nothing here clamps.
// gColorBlack and gColorWhite are constant-initialised, so they are valid before main and
// from any static constructor. They are reachable both globally and as Lumo::gColor*.

namespace Lumo
{

class Color
{
public:
    int mRed;
    int mGreen;
    int mBlue;
    int mAlpha; // 255 = opaque

    // Opaque black.
    constexpr Color() : mRed(0), mGreen(0), mBlue(0), mAlpha(255) {}
    // From packed 0xAARRGGBB; the top byte is the alpha as given, so 0 is transparent black.
    constexpr Color(int theColor)
        : mRed((theColor >> 16) & 0xFF), mGreen((theColor >> 8) & 0xFF), mBlue(theColor & 0xFF),
          mAlpha((int)(((unsigned)theColor >> 24) & 0xFF))
    {
    }
    constexpr Color(int theRed, int theGreen, int theBlue)
        : mRed(theRed), mGreen(theGreen), mBlue(theBlue), mAlpha(255)
    {
    }
    constexpr Color(int theRed, int theGreen, int theBlue, int theAlpha)
        : mRed(theRed), mGreen(theGreen), mBlue(theBlue), mAlpha(theAlpha)
    {
    }

    // The same colour with alpha 255 (for drawing a colour's opaque form).
    constexpr Color Opaque() const { return Color(mRed, mGreen, mBlue, 255); }

    constexpr int GetRed() const { return mRed; }

    // Packs as 0xAARRGGBB; components are OR-ed in unmasked, so out-of-range values bleed.
    constexpr int ToInt() const
    {
        return (int)(((unsigned)mAlpha << 24) | ((unsigned)mRed << 16) | ((unsigned)mGreen << 8) |
                     (unsigned)mBlue);
    }

    constexpr bool operator==(const Color& o) const
    {
        return mRed == o.mRed && mGreen == o.mGreen && mBlue == o.mBlue && mAlpha == o.mAlpha;
    }
    constexpr bool operator!=(const Color& o) const { return !(*this == o); }
};

inline constexpr Color gColorBlack(0, 0, 0, 255);
inline constexpr Color gColorWhite(255, 255, 255, 255);

} // namespace Lumo

using Lumo::gColorBlack;
using Lumo::gColorWhite;
