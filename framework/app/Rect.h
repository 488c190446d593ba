#pragma once

// Integer and double rectangles: a position and a size, right and bottom edges exclusive.
// Passed by value everywhere (clip rectangles, widget bounds, dirty areas), so they stay
// four plain fields with no invariants; a negative size is allowed and means "empty".

namespace Lumo
{

class Rect
{
public:
    int mX;      // left edge, pixels
    int mY;      // top edge, pixels
    int mWidth;  // pixels; right edge = mX + mWidth
    int mHeight; // pixels; bottom edge = mY + mHeight

    Rect() : mX(0), mY(0), mWidth(0), mHeight(0) {}
    Rect(int theX, int theY, int theWidth, int theHeight)
        : mX(theX), mY(theY), mWidth(theWidth), mHeight(theHeight)
    {
    }

    // Overlap of the two; rectangles that only touch give a zero-sized result at the contact,
    // disjoint ones give (0, 0, 0, 0).
    Rect Intersection(const Rect& theOther) const;

    bool operator==(const Rect& o) const
    {
        return mX == o.mX && mY == o.mY && mWidth == o.mWidth && mHeight == o.mHeight;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

class FRect
{
public:
    double mX;
    double mY;
    double mWidth;
    double mHeight;

    FRect() : mX(0.0), mY(0.0), mWidth(0.0), mHeight(0.0) {}
    FRect(double theX, double theY, double theWidth, double theHeight)
        : mX(theX), mY(theY), mWidth(theWidth), mHeight(theHeight)
    {
    }

    // Same rule as Rect::Intersection on doubles.
    FRect Intersection(const FRect& theOther) const;

    bool operator==(const FRect& o) const
    {
        return mX == o.mX && mY == o.mY && mWidth == o.mWidth && mHeight == o.mHeight;
    }
    bool operator!=(const FRect& o) const { return !(*this == o); }
};

} // namespace Lumo
