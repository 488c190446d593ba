// Throughput of the software triangle rasterizer: covered destination pixels
// per second for a 256 x 256 texture rotated and scaled over a 1024 x 768
// screen, per family and pixel format, and triangles per second for 10,000
// small triangles. Prints "RESULT <family> <format> <value>" lines for run.sh.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/common/BenchTimer.h"
#include "bench/raster/RasterCases.h"
#include "framework/raster/TriangleDriver.h"

using namespace RasterCases;

namespace
{

// Best seconds per call over at least 0.5 s and 5 calls.
double Time(const std::function<void()>& fn)
{
    return BenchTimer::Best(fn, 0.5, 5);
}

struct Format
{
    int code;
    int bytes;
    const char* name;
};

const Format FORMATS[] = {
    {0x8888, 4, "8888"}, {0x888, 4, "888"}, {0x565, 2, "565"}, {0x555, 2, "555"}};

// The texture quad as a strip: corners (0,0), (w,0), (0,h), (w,h).
void Quad(TriangleVertex* quad, uint32_t colors[4])
{
    const double corner[4][2] = {{0, 0}, {TEX, 0}, {0, TEX}, {TEX, TEX}};
    for (int i = 0; i < 4; ++i)
    {
        double x, y;
        Map(corner[i][0], corner[i][1], x, y);
        quad[i] = TriangleVertex{(float)x, (float)y, (float)(corner[i][0] / TEX),
                                 (float)(corner[i][1] / TEX), colors[i]};
    }
}

} // namespace

int main()
{
    const Lumo::Rect screen(0, 0, SCREEN_W, SCREEN_H);
    std::vector<uint32_t> opaque = Texture(1, 255, 255);
    std::vector<uint32_t> translucent = Texture(2, 40, 220);
    TriangleTexture opaqueTex = {opaque.data(), TEX, TEX, false, false};
    TriangleTexture translucentTex = {translucent.data(), TEX, TEX, false, true};
    std::vector<uint32_t> dest((size_t)SCREEN_W * SCREEN_H);
    uint32_t white[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    uint32_t shades[4] = {0xFFFF2040, 0xFF20FF40, 0xFF4020FF, 0xFFFFFFFF};
    TriangleVertex quad[4], shaded[4];
    Quad(quad, white);
    Quad(shaded, shades);

    // Covered pixels: every pixel the quad paints over a marker.
    std::fill(dest.begin(), dest.end(), 0x00000001u);
    DrawTriangleStrip(quad, 4, &opaqueTex, gColorWhite, screen, dest.data(), SCREEN_W * 4, 0x8888,
                      false, false);
    double covered = 0;
    for (uint32_t p : dest)
        covered += p != 0x00000001u;
    printf("covered %.0f of %d pixels\n", covered, SCREEN_W * SCREEN_H);

    struct Family
    {
        const char* name;
        TriangleTexture* texture;
        const TriangleVertex* quad;
        bool bilinear, vertexColor;
    };
    const Family families[] = {{"nearest", &opaqueTex, quad, false, false},
                               {"blended", &translucentTex, quad, false, false},
                               {"bilinear", &opaqueTex, quad, true, false},
                               {"bilinear_blended", &translucentTex, quad, true, false},
                               {"vertex_colour", nullptr, shaded, false, true}};
    for (const Family& f : families)
        for (const Format& fmt : FORMATS)
        {
            // The blend's work does not depend on what it blends over, so
            // repeated runs over their own output measure the same thing.
            std::fill(dest.begin(), dest.end(), 0xFF336699u);
            double s = Time(
                [&]
                {
                    DrawTriangleStrip(f.quad, 4, f.texture, gColorWhite, screen, dest.data(),
                                      SCREEN_W * fmt.bytes, fmt.code, f.bilinear, f.vertexColor);
                });
            printf("RESULT %s %s %.1f\n", f.name, fmt.name, covered / s / 1e6);
        }

    // 10,000 small triangles (about 18 pixels each), one call each.
    std::vector<TriangleVertex> small;
    uint32_t seed = 9;
    for (int i = 0; i < 10000; ++i)
    {
        float x = (float)(Next(seed) % (SCREEN_W - 8)), y = (float)(Next(seed) % (SCREEN_H - 8));
        float u = (float)(Next(seed) % 240) / TEX, v = (float)(Next(seed) % 240) / TEX;
        uint32_t c = 0xFF000000 | (Next(seed) >> 8);
        small.push_back(TriangleVertex{x + 0.3f, y + 0.2f, u, v, c});
        small.push_back(TriangleVertex{x + 6.7f, y + 1.1f, u + 6.0f / TEX, v, c});
        small.push_back(TriangleVertex{x + 2.1f, y + 6.6f, u, v + 6.0f / TEX, c ^ 0xFFFFFF});
    }
    struct Kind
    {
        const char* name;
        TriangleTexture* texture;
        bool bilinear, vertexColor;
    };
    const Kind kinds[] = {{"nearest", &opaqueTex, false, false},
                          {"bilinear", &opaqueTex, true, false},
                          {"vertex_colour", nullptr, false, true}};
    for (const Kind& k : kinds)
    {
        double s = Time(
            [&]
            {
                for (size_t i = 0; i < small.size(); i += 3)
                    DrawTriangleStrip(&small[i], 3, k.texture, gColorWhite, screen, dest.data(),
                                      SCREEN_W * 4, 0x8888, k.bilinear, k.vertexColor);
            });
        printf("RESULT triangles_%s 8888 %.2f\n", k.name, 10000 / s / 1e6);
    }
    return 0;
}
