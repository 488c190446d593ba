// The renderer's software clipper: boundaries, interpolated colours and
// coordinates, the texture-square clip and the vertex list's growth.
#include <gtest/gtest.h>

#include "framework/graphics/D3DInterface.h"

using namespace Lumo;

namespace
{

D3DVertex V(float x, float y, uint32_t color = 0xFFFFFFFF, float u = 0.0f, float v = 0.0f)
{
    return D3DVertex{x, y, 0.0f, 1.0f, color, 0, u, v};
}

// Twice the signed area of a polygon.
float Area2(const D3DVertexList& list)
{
    float sum = 0.0f;
    for (int i = 0; i < list.Count(); i++)
    {
        const D3DVertex& a = list[i];
        const D3DVertex& b = list[(i + 1) % list.Count()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

} // namespace

TEST(D3DClip, TrianglePartlyOutsideIsCutAlongTheRectangle)
{
    D3DVertexList list;
    list.Add(V(-10, 0));
    list.Add(V(30, 0));
    list.Add(V(-10, 40));
    ClipPolygonToRect(Rect(0, 0, 20, 20), list);
    ASSERT_EQ(5, list.Count());
    for (int i = 0; i < list.Count(); i++)
    {
        EXPECT_GE(list[i].x, 0.0f);
        EXPECT_LE(list[i].x, 20.0f);
        EXPECT_GE(list[i].y, 0.0f);
        EXPECT_LE(list[i].y, 20.0f);
    }
    // The triangle's hypotenuse x + y = 30 cuts the 20 x 20 square's corner.
    EXPECT_NEAR(2 * (400.0f - 50.0f), Area2(list), 1e-3f);
}

TEST(D3DClip, PolygonOutsideOrTooSmallVanishes)
{
    D3DVertexList list, out;
    list.Add(V(50, 50));
    list.Add(V(60, 50));
    list.Add(V(50, 60));
    ClipPolygonToRect(Rect(0, 0, 20, 20), list);
    EXPECT_EQ(0, list.Count());

    D3DVertexList one;
    one.Add(V(5, 5));
    ClipPolygonMin(0, 0.0f, one, out);
    EXPECT_EQ(0, out.Count());
}

TEST(D3DClip, InterpolatedColourChannelsStayBetweenTheEnds)
{
    const D3DVertex a = V(0, 0, 0xFF10F020, 0.0f, 1.0f);
    const D3DVertex b = V(10, 0, 0x40F01080, 1.0f, 0.0f);
    const D3DVertex m = InterpolateVertex(a, b, 0.25f);
    EXPECT_FLOAT_EQ(2.5f, m.x);
    EXPECT_FLOAT_EQ(0.25f, m.u);
    EXPECT_FLOAT_EQ(0.75f, m.v);
    const int shifts[4] = {24, 16, 8, 0};
    for (int s : shifts)
    {
        const int ca = (a.diffuse >> s) & 0xFF, cb = (b.diffuse >> s) & 0xFF;
        const int cm = (m.diffuse >> s) & 0xFF;
        EXPECT_GE(cm, std::min(ca, cb)) << "shift " << s;
        EXPECT_LE(cm, std::max(ca, cb)) << "shift " << s;
    }
    // Alpha falls from 255 to 64: a quarter of the way is 207.25, truncated.
    EXPECT_EQ(0xCFu, m.diffuse >> 24);
    EXPECT_EQ(0x48u, (m.diffuse >> 16) & 0xFF);
    // Equal colours pass unchanged.
    EXPECT_EQ(0x12345678u,
              InterpolateVertex(V(0, 0, 0x12345678), V(1, 1, 0x12345678), 0.3f).diffuse);
}

TEST(D3DClip, UnitSquareClipKeepsCoordinatesInsideOnePiece)
{
    D3DVertexList list;
    list.Add(V(0, 0, 0xFFFFFFFF, 0.2f, 0.0f));
    list.Add(V(60, 0, 0xFFFFFFFF, 1.4f, 0.0f));
    list.Add(V(0, 50, 0xFFFFFFFF, 0.2f, 1.0f));
    ClipPolygonToUnitUV(list);
    ASSERT_GE(list.Count(), 3);
    bool reachesEdge = false;
    for (int i = 0; i < list.Count(); i++)
    {
        EXPECT_LE(list[i].u, 1.0f + 1e-6f);
        EXPECT_GE(list[i].u, 0.2f - 1e-6f);
        if (list[i].u > 0.999f)
        {
            reachesEdge = true;
            EXPECT_NEAR(40.0f, list[i].x, 1e-3f); // u = 1 at two thirds of the way
        }
    }
    EXPECT_TRUE(reachesEdge);
}

TEST(D3DClip, TwoCoordinateSetsAreClippedTogether)
{
    D3DVertex2List list, out;
    list.Add(D3DVertex2{-4, 0, 0, 1, 0xFFFFFFFF, -0.5f, 0, 0.0f, 0});
    list.Add(D3DVertex2{4, 0, 0, 1, 0xFFFFFFFF, 0.5f, 0, 1.0f, 0});
    list.Add(D3DVertex2{4, 4, 0, 1, 0xFFFFFFFF, 0.5f, 1, 1.0f, 1});
    ClipPolygonMin(3, 0.0f, list, out);
    ASSERT_EQ(4, out.Count());
    for (int i = 0; i < out.Count(); i++)
    {
        EXPECT_GE(out[i].tu0, 0.0f);
        EXPECT_NEAR(out[i].tu0 + 0.5f, out[i].tu1, 1e-6f);
        EXPECT_NEAR(out[i].x / 8.0f + 0.5f, out[i].tu1, 1e-6f);
    }
}

TEST(D3DClip, VertexListGrowsPastItsInlineRoom)
{
    D3DVertexList list;
    EXPECT_EQ(100, list.Capacity());
    for (int i = 0; i < 250; i++)
        list.Add(V((float)i, 0));
    EXPECT_EQ(250, list.Count());
    EXPECT_EQ(400, list.Capacity());
    for (int i = 0; i < 250; i++)
        ASSERT_FLOAT_EQ((float)i, list[i].x);
}
