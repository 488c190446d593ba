#pragma once
// Lumo::CelAnimation: timing of a strip of cels, owned by one image (or by a
// resource record). The loader fills type, delays and frame map, then calls
// SetFrames to settle the frame count and the cycle length.

#include <vector>

namespace Lumo
{

class CelAnimation
{
public:
    enum Type
    {
        TYPE_NONE = 0,
        TYPE_ONCE = 1,
        TYPE_PINGPONG = 2,
        TYPE_LOOP = 3
    };

    int mType = TYPE_NONE;
    int mFrameDelay = 1;             // default time of one frame
    int mFrameCount = 1;             // frames of one cycle
    std::vector<int> mPerFrameDelay; // empty: every frame lasts mFrameDelay
    std::vector<int> mFrameMap;      // cel of each frame; empty: frame i shows cel i
    int mTotalTime = 0;              // one cycle, the sum of the frame delays

    // Settles count, map and delays; begin/end delays above 0 override the first
    // and last frame.
    void SetFrames(int frameCount, int beginDelay, int endDelay);
};

} // namespace Lumo
