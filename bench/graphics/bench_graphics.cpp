// Throughput of the memory image's drawing paths on 1024 x 768 and 256 x 256
// destinations, in millions of destination pixels per second (best of several
// runs). Prints one "RESULT <op> <size> <Mpx/s>" line per case; run.sh pairs
// them with the native pixman program.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/common/BenchTimer.h"
#include "bench/graphics/BenchCases.h"
#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

// Best seconds per call over at least 0.3 s and 3 calls.
double Time(const std::function<void()>& fn)
{
    return BenchTimer::Best(fn, 0.3, 3);
}

void Report(const char* op, int w, int h, double seconds)
{
    BenchTimer::ReportMpx(op, w, h, seconds);
}

void MakeImage(MemoryImage& img, const std::vector<uint32_t>& px, int w, int h)
{
    img.SetPixels(px.data(), w, h, true);
}

void Run(int w, int h)
{
    MemoryImage dst(nullptr), opaque(nullptr), sprite(nullptr), half(nullptr);
    const std::vector<uint32_t> background = BenchCases::Opaque(w, h, 1);
    MakeImage(dst, background, w, h);
    MakeImage(opaque, BenchCases::Opaque(w, h, 2), w, h);
    MakeImage(sprite, BenchCases::Sprite(w, h, 3), w, h);
    MakeImage(half, BenchCases::Opaque(w / 2, h / 2, 4), w / 2, h / 2);
    const Rect all(0, 0, w, h), halfRect(0, 0, w / 2, h / 2);
    auto reset = [&] { memcpy(dst.GetPixels(), background.data(), background.size() * 4); };

    std::vector<uint32_t> copyTarget(background.size());
    Report("memcpy", w, h,
           Time([&] { memcpy(copyTarget.data(), opaque.GetPixels(), copyTarget.size() * 4); }));
    Report("opaque_copy", w, h, Time([&] { dst.DrawImage(&opaque, 0, 0, &all, &gColorWhite, 0); }));
    reset();
    Report("alpha_sprite", w, h,
           Time([&] { dst.DrawImage(&sprite, 0, 0, &all, &gColorWhite, 0); }));
    reset();
    const Color translucent(200, 100, 50, 128);
    Report("translucent_fill", w, h, Time([&] { dst.FillRect(&all, &translucent, 0); }));
    reset();
    Report("additive_blit", w, h,
           Time([&] { dst.DrawImage(&sprite, 0, 0, &all, &gColorWhite, 1); }));
    reset();
    Report("rotated_bilinear", w, h,
           Time(
               [&] {
                   dst.DrawImageRotated(&sprite, 0, 0, &all, &all, &gColorWhite, 0, 0.3, w / 2.0f,
                                        h / 2.0f);
               }));
    reset();
    Report("stretch_filtered", w, h,
           Time([&]
                { dst.DrawImageStretched(&half, &all, &halfRect, &all, &gColorWhite, 0, false); }));
    reset();
    Report(
        "stretch_fast", w, h,
        Time([&] { dst.DrawImageStretched(&half, &all, &halfRect, &all, &gColorWhite, 0, true); }));
}

} // namespace

int main()
{
    Run(1024, 768);
    Run(256, 256);
    return 0;
}
