#include <gtest/gtest.h>

#include "framework/app/Transform2D.h"

#include <cmath>
#include <random>
#include <sstream>

using namespace Lumo;

static LumoVector2 Apply(const Transform2D& t, float x, float y)
{
    return t.GetMatrix().TransformPoint(LumoVector2(x, y));
}

TEST(Transform2D, LastCallActsLast)
{
    Transform2D t;
    t.Translate(5.0f, 0.0f);
    t.Scale(2.0f, 2.0f);
    LumoVector2 p = Apply(t, 1.0f, 0.0f);
    EXPECT_EQ(12.0f, p.x);
    EXPECT_EQ(0.0f, p.y);

    Transform2D u;
    u.Scale(2.0f, 2.0f);
    u.Translate(5.0f, 0.0f);
    EXPECT_FALSE(u.IsFullMatrix());
    p = Apply(u, 1.0f, 0.0f);
    EXPECT_EQ(7.0f, p.x);
    EXPECT_EQ(0.0f, p.y);
}

TEST(Transform2D, RotateAfterScaleSwitchesToFullMatrix)
{
    Transform2D t;
    t.Scale(2.0f, 3.0f);
    t.RotateDeg(30.0f);
    EXPECT_TRUE(t.IsFullMatrix());
    Matrix3 m;
    m.Scale(2.0f, 3.0f);
    m.RotateDeg(30.0f);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            EXPECT_FLOAT_EQ(m.m[i][j], t.GetMatrix().m[i][j]);
}

// The simple form cannot turn or scale a post-translation; those calls must fall back to the
// matrix instead of dropping the translation out of the new operation.
TEST(Transform2D, RotateOrScaleAfterPostTranslationMatchesMatrix)
{
    Transform2D t;
    t.RotateDeg(90.0f);
    t.Translate(10.0f, 0.0f);
    t.RotateDeg(90.0f);
    LumoVector2 p = Apply(t, 0.0f, 0.0f);
    EXPECT_NEAR(0.0f, p.x, 1e-5f);
    EXPECT_NEAR(-10.0f, p.y, 1e-5f);

    Transform2D s;
    s.Scale(2.0f, 2.0f);
    s.Translate(3.0f, 4.0f);
    s.Scale(2.0f, 2.0f);
    p = Apply(s, 1.0f, 1.0f);
    EXPECT_EQ(10.0f, p.x);
    EXPECT_EQ(12.0f, p.y);
}

TEST(Transform2D, ResetReturnsToIdentity)
{
    Transform2D t;
    t.Scale(2.0f, 2.0f);
    t.RotateRad(1.0f);
    t.Reset();
    EXPECT_FALSE(t.IsFullMatrix());
    LumoVector2 p = Apply(t, 3.0f, -4.0f);
    EXPECT_EQ(3.0f, p.x);
    EXPECT_EQ(-4.0f, p.y);
}

// Any call sequence must give what the same calls give on a plain matrix.
TEST(Transform2D, RandomCallSequencesMatchMatrixProducts)
{
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> op(0, 5), len(1, 6);
    std::uniform_real_distribution<float> val(-20.0f, 20.0f), ang(-3.2f, 3.2f), scl(0.25f, 3.0f);
    for (int run = 0; run < 2000; run++)
    {
        Transform2D t;
        Matrix3 m;
        std::ostringstream trace;
        int n = len(rng);
        for (int k = 0; k < n; k++)
        {
            switch (op(rng))
            {
            case 0:
            case 1:
            {
                // Whole numbers (sometimes zero) so the exact-zero tests are reached.
                float x = (float)(int)val(rng), y = (k & 1) ? 0.0f : (float)(int)val(rng);
                t.Translate(x, y);
                m.Translate(x, y);
                trace << "T(" << x << "," << y << ") ";
                break;
            }
            case 2:
            {
                float a = ang(rng);
                t.RotateRad(a);
                m.RotateRad(a);
                trace << "R(" << a << ") ";
                break;
            }
            case 3:
            {
                float a = (float)(int)(val(rng) * 9.0f);
                t.RotateDeg(a);
                m.RotateDeg(a);
                trace << "D(" << a << ") ";
                break;
            }
            case 4:
            {
                float x = scl(rng), y = scl(rng);
                t.Scale(x, y);
                m.Scale(x, y);
                trace << "S(" << x << "," << y << ") ";
                break;
            }
            default:
            {
                // Mirrors, including the exact -1 product the simple form keeps.
                float x = (rng() & 1) ? -1.0f : -scl(rng), y = (rng() & 1) ? 1.0f : -1.0f;
                t.Scale(x, y);
                m.Scale(x, y);
                trace << "S(" << x << "," << y << ") ";
                break;
            }
            }
            if (rng() % 3 == 0)
                t.GetMatrix(); // interleaved reads must not disturb the lazy rebuild
        }
        const Matrix3& got = t.GetMatrix();
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
            {
                float tol = 1e-4f * (1.0f + std::fabs(m.m[i][j]));
                ASSERT_NEAR(m.m[i][j], got.m[i][j], tol)
                    << "run " << run << " element " << i << j << ": " << trace.str();
            }
    }
}
