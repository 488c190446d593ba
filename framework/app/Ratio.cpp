#include "framework/app/Ratio.h"

namespace Lumo
{

void Ratio::Set(int theNumerator, int theDenominator)
{
    if (theNumerator == 0 && theDenominator == 0)
    {
        mNumerator = 0;
        mDenominator = 1;
        return;
    }
    // 64-bit so that INT_MIN % -1 and INT_MIN / -1 cannot trap.
    long long a = theNumerator;
    long long b = theDenominator;
    while (b != 0)
    {
        long long t = a % b;
        a = b;
        b = t;
    }
    mNumerator = (int)(theNumerator / a);
    mDenominator = (int)(theDenominator / a);
}

} // namespace Lumo
