#pragma once
// One destination row of a rotated draw walks the source in 16.16 fixed point:
// step k samples the 2x2 block at (u + k * C, v + k * S). The memory image and
// the surface routines narrow each row the same way, so their pictures agree
// pixel for pixel; the narrowing lives here once.

#include <algorithm>

namespace Lumo
{

// Narrows the steps [k0, k1] of a row (k1 comes in as the last step, k0 as 0) to
// those whose 2x2 block starts inside a rw x rh source rectangle. u, v: the
// source position of step 0; c, s: its change per step. False when the row
// draws nothing. Rounding can leave a step at either end outside; callers that
// index without a check trim those too.
inline bool NarrowRotatedRow(int u, int v, int c, int s, int rw, int rh, int& k0, int& k1)
{
    if (c < 0)
    {
        if ((u >> 16) < 0)
            return false;
        k0 = std::max(((rw << 16) - u - 0x27FFF) / c, 0);
        k1 = std::min(k1, (32767 - u) / c);
    }
    else if (c == 0)
    {
        if (u < 0 || u >= (rw << 16) - 0x10000)
            return false;
    }
    else
    {
        if ((u >> 16) >= rw - 1)
            return false;
        k0 = std::max((0x10000 - u) / c, 0);
        k1 = std::min(k1, ((rw << 16) - u - 0x17FFF) / c);
    }
    if (s < 0)
    {
        if ((v >> 16) < 0)
            return false;
        k0 = std::max(k0, ((rh << 16) - v - 0x27FFF) / s);
        k1 = std::min(k1, -(v / s));
    }
    else if (s == 0)
    {
        if (v < 0 || v >= (rh << 16) - 0x10000)
            return false;
    }
    else
    {
        if ((v >> 16) >= rh - 1)
            return false;
        k0 = std::max(k0, (0x10000 - v) / s);
        k1 = std::min(k1, ((rh << 16) - v - 0x17FFF) / s);
    }
    return true;
}

} // namespace Lumo
