#pragma once

// A fraction kept in lowest terms; the application keeps its screen aspect ratio in one
// (1024 x 768 is 4 / 3).

namespace Lumo
{

class Ratio
{
public:
    int mNumerator;
    int mDenominator;

    Ratio() : mNumerator(1), mDenominator(1) {}

    // Stores both divided by their greatest common divisor (Euclid on the signed values, so the
    // divisor may come out negative). A denominator of 0 gives 1 / 0; 0 / 0 gives 0 / 1.
    void Set(int theNumerator, int theDenominator);

    bool operator==(const Ratio& o) const
    {
        return mNumerator == o.mNumerator && mDenominator == o.mDenominator;
    }
    bool operator!=(const Ratio& o) const { return !(*this == o); }
};

} // namespace Lumo
