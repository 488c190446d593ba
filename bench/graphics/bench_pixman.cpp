// Native Linux counterpart of bench_graphics: the same operations on the same
// pictures through pixman, for run.sh's comparison. Built by run.sh with the
// host compiler.

#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

#include "../common/BenchTimer.h"
#include "../common/Premultiply.h"
#include "BenchCases.h"

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

pixman_image_t* Wrap(std::vector<uint32_t>& px, int w, int h)
{
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, px.data(), w * 4);
}

void Run(int w, int h)
{
    const std::vector<uint32_t> background = BenchCases::Opaque(w, h, 1);
    std::vector<uint32_t> dstPx = background;
    std::vector<uint32_t> opaquePx = BenchCases::Opaque(w, h, 2);
    std::vector<uint32_t> spritePx = BenchPixels::Premultiply(BenchCases::Sprite(w, h, 3));
    std::vector<uint32_t> halfPx = BenchCases::Opaque(w / 2, h / 2, 4);
    pixman_image_t* dst = Wrap(dstPx, w, h);
    pixman_image_t* opaque =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, w, h, opaquePx.data(), w * 4);
    pixman_image_t* sprite = Wrap(spritePx, w, h);
    pixman_image_t* half = Wrap(halfPx, w / 2, h / 2);
    auto reset = [&] { memcpy(dstPx.data(), background.data(), background.size() * 4); };
    // Times one whole-picture composite of src onto dst.
    auto composite = [&](const char* op, pixman_op_t pixmanOp, pixman_image_t* src)
    {
        Report(op, w, h,
               Time(
                   [&] {
                       pixman_image_composite32(pixmanOp, src, nullptr, dst, 0, 0, 0, 0, 0, 0, w,
                                                h);
                   }));
    };

    composite("opaque_copy", PIXMAN_OP_SRC, opaque);
    reset();
    composite("alpha_sprite", PIXMAN_OP_OVER, sprite);
    reset();
    // (200, 100, 50) at alpha 128, premultiplied, 16 bits per channel.
    const pixman_color_t fill = {(uint16_t)(200 * 128 / 255 * 257),
                                 (uint16_t)(100 * 128 / 255 * 257),
                                 (uint16_t)(50 * 128 / 255 * 257), (uint16_t)(128 * 257)};
    const pixman_rectangle16_t rect = {0, 0, (uint16_t)w, (uint16_t)h};
    Report("translucent_fill", w, h,
           Time([&] { pixman_image_fill_rectangles(PIXMAN_OP_OVER, dst, &fill, 1, &rect); }));
    reset();
    composite("additive_blit", PIXMAN_OP_ADD, sprite);
    reset();

    // Rotation by 0.3 rad about the centre, as the inverse map pixman wants.
    pixman_transform_t rot;
    pixman_transform_init_identity(&rot);
    pixman_transform_translate(&rot, nullptr, pixman_double_to_fixed(-w / 2.0),
                               pixman_double_to_fixed(-h / 2.0));
    pixman_transform_rotate(&rot, nullptr, pixman_double_to_fixed(std::cos(0.3)),
                            pixman_double_to_fixed(std::sin(0.3)));
    pixman_transform_translate(&rot, nullptr, pixman_double_to_fixed(w / 2.0),
                               pixman_double_to_fixed(h / 2.0));
    pixman_image_set_transform(sprite, &rot);
    pixman_image_set_filter(sprite, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    composite("rotated_bilinear", PIXMAN_OP_OVER, sprite);
    reset();

    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(half, &scale);
    pixman_image_set_filter(half, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    composite("stretch_filtered", PIXMAN_OP_OVER, half);
    reset();
    pixman_image_set_filter(half, PIXMAN_FILTER_NEAREST, nullptr, 0);
    composite("stretch_fast", PIXMAN_OP_OVER, half);

    pixman_image_unref(dst);
    pixman_image_unref(opaque);
    pixman_image_unref(sprite);
    pixman_image_unref(half);
}

} // namespace

int main()
{
    Run(1024, 768);
    Run(256, 256);
    return 0;
}
