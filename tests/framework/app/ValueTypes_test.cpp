#include <gtest/gtest.h>

#include "framework/app/Color.h"
#include "framework/app/LumoVector2.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Ratio.h"
#include "framework/app/Rect.h"

#include <climits>

using namespace Lumo;

static void ExpectRect(const Rect& r, int x, int y, int w, int h)
{
    EXPECT_EQ(x, r.mX);
    EXPECT_EQ(y, r.mY);
    EXPECT_EQ(w, r.mWidth);
    EXPECT_EQ(h, r.mHeight);
}

TEST(Rect, IntersectionKeepsTouchingEdgeAndDropsDisjoint)
{
    ExpectRect(Rect(0, 0, 10, 10).Intersection(Rect(10, 0, 5, 5)), 10, 0, 0, 5);
    ExpectRect(Rect(0, 0, 10, 10).Intersection(Rect(11, 0, 5, 5)), 0, 0, 0, 0);
    ExpectRect(Rect(0, 0, 10, 10).Intersection(Rect(3, 12, 2, 2)), 0, 0, 0, 0);
    ExpectRect(Rect(-5, -5, 10, 10).Intersection(Rect(2, 1, 10, 10)), 2, 1, 3, 4);
    ExpectRect(Rect(), 0, 0, 0, 0);
}

TEST(FRect, IntersectionFollowsIntegerRule)
{
    FRect r = FRect(0.5, 0.0, 10.0, 10.0).Intersection(FRect(10.5, 1.0, 5.0, 5.0));
    EXPECT_EQ(FRect(10.5, 1.0, 0.0, 5.0), r);
    EXPECT_EQ(FRect(), FRect(0.0, 0.0, 1.0, 1.0).Intersection(FRect(1.25, 0.0, 1.0, 1.0)));
    EXPECT_EQ(FRect(0.25, 0.5, 0.75, 0.5),
              FRect(0.0, 0.0, 1.0, 1.0).Intersection(FRect(0.25, 0.5, 2.0, 2.0)));
}

TEST(Color, PackedValueRoundTripsAndZeroIsTransparent)
{
    Color c(0x80FF0000);
    EXPECT_EQ(255, c.mRed);
    EXPECT_EQ(0, c.mGreen);
    EXPECT_EQ(0, c.mBlue);
    EXPECT_EQ(128, c.mAlpha);
    EXPECT_EQ((int)0x80FF0000, c.ToInt());
    EXPECT_EQ(0, Color(0).mAlpha);
    EXPECT_EQ(255, Color().mAlpha);
    EXPECT_EQ(0, Color().GetRed());
    EXPECT_EQ(Color(1, 2, 3, 255), Color(1, 2, 3));
    EXPECT_EQ((int)0xFFFFFFFF, gColorWhite.ToInt());
    EXPECT_EQ((int)0xFF000000, Lumo::gColorBlack.ToInt());
}

TEST(Color, AlphaTakesPartInComparisonAndOpaqueDropsIt)
{
    EXPECT_NE(Color(10, 20, 30, 40), Color(10, 20, 30, 41));
    EXPECT_FALSE(Color(10, 20, 30, 40) == Color(10, 20, 30, 41));
    EXPECT_EQ(Color(10, 20, 30, 255), Color(10, 20, 30, 40).Opaque());
}

TEST(LumoVector2, ComponentArithmetic)
{
    LumoVector2 a(1.5f, -2.0f), b(0.5f, 4.0f);
    LumoVector2 s = a + b, d = a - b;
    EXPECT_EQ(2.0f, s.x);
    EXPECT_EQ(2.0f, s.y);
    EXPECT_EQ(1.0f, d.x);
    EXPECT_EQ(-6.0f, d.y);
    a -= b;
    EXPECT_EQ(1.0f, a.x);
    EXPECT_EQ(-6.0f, a.y);
    EXPECT_EQ(0.0f, LumoVector2().x);
}

TEST(Matrix3, RotateDeg90TurnsXAxisUpOnScreen)
{
    Matrix3 m;
    m.RotateDeg(90.0f);
    LumoVector2 p = m.TransformPoint(LumoVector2(1.0f, 0.0f));
    EXPECT_NEAR(0.0f, p.x, 1e-6f);
    EXPECT_NEAR(-1.0f, p.y, 1e-6f);
}

TEST(Matrix3, NewOperationsActLastAndMultiplyMayAlias)
{
    Matrix3 m;
    m.Translate(5.0f, 0.0f);
    m.Scale(2.0f, 3.0f);
    LumoVector2 p = m.TransformPoint(LumoVector2(1.0f, 1.0f));
    EXPECT_EQ(12.0f, p.x);
    EXPECT_EQ(3.0f, p.y);

    Matrix3 a, b;
    a.Translate(1.0f, 2.0f);
    b.Scale(2.0f, 2.0f);
    Matrix3 expected(false);
    a.Multiply(expected, b); // a x b: scale first, then translate
    a.Multiply(a, b);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            EXPECT_EQ(expected.m[i][j], a.m[i][j]) << i << "," << j;
    LumoVector2 q = a.TransformPoint(LumoVector2(1.0f, 1.0f));
    EXPECT_EQ(3.0f, q.x);
    EXPECT_EQ(4.0f, q.y);

    float in[3] = {1.0f, 1.0f, 0.0f}, out[3];
    a.TransformVector3(in, out); // w = 0: direction, translation ignored
    EXPECT_EQ(2.0f, out[0]);
    EXPECT_EQ(2.0f, out[1]);
    EXPECT_EQ(0.0f, out[2]);
}

TEST(Ratio, ReducesByGreatestCommonDivisor)
{
    Ratio r;
    EXPECT_EQ(1, r.mNumerator);
    EXPECT_EQ(1, r.mDenominator);
    r.Set(1024, 768);
    EXPECT_EQ(4, r.mNumerator);
    EXPECT_EQ(3, r.mDenominator);
    r.Set(0, 5);
    EXPECT_EQ(0, r.mNumerator);
    EXPECT_EQ(1, r.mDenominator);
    r.Set(7, 0);
    EXPECT_EQ(1, r.mNumerator);
    EXPECT_EQ(0, r.mDenominator);
    r.Set(-4, 6);
    EXPECT_EQ(-2, r.mNumerator);
    EXPECT_EQ(3, r.mDenominator);
}

TEST(Ratio, DegenerateInputsDoNotTrap)
{
    Ratio r;
    r.Set(0, 0);
    EXPECT_EQ(0, r.mNumerator);
    EXPECT_EQ(1, r.mDenominator);
    r.Set(INT_MIN, -1); // gcd -1; the quotient wraps but nothing traps
    EXPECT_EQ(1, r.mDenominator);
    r.Set(INT_MIN, INT_MIN);
    EXPECT_EQ(1, r.mNumerator);
    EXPECT_EQ(1, r.mDenominator);
}
