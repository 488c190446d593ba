#pragma once

#include "framework/app/LumoVector2.h"

// 3 x 3 float matrix stored row by row, acting on column vectors (x, y, 1): translation sits
// in m02 and m12. Translate, RotateRad, RotateDeg and Scale put the new operation on the left,
// so each call acts after everything the matrix already does to a point.

namespace Lumo
{

class Matrix3
{
public:
    // Elements by row and column; m02/m12 are the translation.
    union
    {
        float m[3][3];
        struct
        {
            float m00, m01, m02;
            float m10, m11, m12;
            float m20, m21, m22;
        };
    };

    Matrix3() { LoadIdentity(); }
    // false leaves the elements unset, for holders that fill them themselves.
    explicit Matrix3(bool theLoadIdentity)
    {
        if (theLoadIdentity)
            LoadIdentity();
    }
    Matrix3(const Matrix3& theOther) { *this = theOther; }
    Matrix3& operator=(const Matrix3& theOther);

    void LoadIdentity();

    // result = this x right; safe when result aliases either operand. Returns result.
    Matrix3& Multiply(Matrix3& theResult, const Matrix3& theRight) const;

    LumoVector2 TransformPoint(const LumoVector2& theVector) const
    {
        return LumoVector2(m00 * theVector.x + m01 * theVector.y + m02,
                           m10 * theVector.x + m11 * theVector.y + m12);
    }
    // Full product M v of a three-component vector.
    void TransformVector3(const float theIn[3], float theOut[3]) const;

    // --- Operations applied after the current ones
    void Translate(float theX, float theY);
    // Positive angles turn counter-clockwise on a y-down screen.
    void RotateRad(float theAngle);
    void RotateDeg(float theAngle);
    void Scale(float theX, float theY);

    // Degrees to radians with pi as a float, as every rotation of the system converts.
    static float DegToRad(float theDegrees) { return theDegrees * 3.1415927f / 180.0f; }
};

} // namespace Lumo
