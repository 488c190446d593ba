// Native Linux counterpart of bench_raster: pixman's bilinear (and nearest)
// affine transform of the same texture onto the same 1024 x 768 screen, for
// run.sh's comparison. Built by run.sh with the host compiler.

#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "../common/BenchTimer.h"
#include "../common/Premultiply.h"
#include "RasterCases.h"

using namespace RasterCases;

namespace
{

// Best seconds per call over at least 0.5 s and 5 calls.
double Time(const std::function<void()>& fn)
{
    return BenchTimer::Best(fn, 0.5, 5);
}

} // namespace

int main()
{
    std::vector<uint32_t> opaque = Texture(1, 255, 255);
    std::vector<uint32_t> translucent = BenchPixels::Premultiply(Texture(2, 40, 220));
    std::vector<uint32_t> background((size_t)SCREEN_W * SCREEN_H, 0xFF336699u);
    std::vector<uint32_t> dest = background;
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, SCREEN_W, SCREEN_H, dest.data(), SCREEN_W * 4);
    pixman_image_t* src[2] = {
        pixman_image_create_bits(PIXMAN_x8r8g8b8, TEX, TEX, opaque.data(), TEX * 4),
        pixman_image_create_bits(PIXMAN_a8r8g8b8, TEX, TEX, translucent.data(), TEX * 4)};

    // Screen to texture: the inverse of RasterCases::Map.
    double c = std::cos(ANGLE) / SCALE, s = std::sin(ANGLE) / SCALE;
    double cx = SCREEN_W / 2.0, cy = SCREEN_H / 2.0;
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(c);
    t.matrix[0][1] = pixman_double_to_fixed(s);
    t.matrix[0][2] = pixman_double_to_fixed(TEX / 2.0 - c * cx - s * cy);
    t.matrix[1][0] = pixman_double_to_fixed(-s);
    t.matrix[1][1] = pixman_double_to_fixed(c);
    t.matrix[1][2] = pixman_double_to_fixed(TEX / 2.0 + s * cx - c * cy);
    double pixels = (double)SCREEN_W * SCREEN_H;

    struct Case
    {
        const char* name;
        int source;
        pixman_filter_t filter;
        pixman_op_t op;
    };
    const Case cases[] = {{"nearest", 0, PIXMAN_FILTER_NEAREST, PIXMAN_OP_SRC},
                          {"blended", 1, PIXMAN_FILTER_NEAREST, PIXMAN_OP_OVER},
                          {"bilinear", 0, PIXMAN_FILTER_BILINEAR, PIXMAN_OP_SRC},
                          {"bilinear_blended", 1, PIXMAN_FILTER_BILINEAR, PIXMAN_OP_OVER}};
    for (const Case& k : cases)
    {
        pixman_image_set_transform(src[k.source], &t);
        pixman_image_set_filter(src[k.source], k.filter, nullptr, 0);
        std::copy(background.begin(), background.end(), dest.begin());
        double sec = Time(
            [&]
            {
                pixman_image_composite32(k.op, src[k.source], nullptr, dst, 0, 0, 0, 0, 0, 0,
                                         SCREEN_W, SCREEN_H);
            });
        printf("RESULT %s 8888 %.1f\n", k.name, pixels / sec / 1e6);
    }
    return 0;
}
