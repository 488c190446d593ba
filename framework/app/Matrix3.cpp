#include "framework/app/Matrix3.h"

#include <cmath>

namespace Lumo
{

Matrix3& Matrix3::operator=(const Matrix3& theOther)
{
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            m[i][j] = theOther.m[i][j];
    return *this;
}

void Matrix3::LoadIdentity()
{
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            m[i][j] = (i == j) ? 1.0f : 0.0f;
}

Matrix3& Matrix3::Multiply(Matrix3& theResult, const Matrix3& theRight) const
{
    // Work on a copy: callers pass this or right as the result.
    Matrix3 aProduct(false);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            aProduct.m[i][j] = m[i][0] * theRight.m[0][j] + m[i][1] * theRight.m[1][j] +
                               m[i][2] * theRight.m[2][j];
    theResult = aProduct;
    return theResult;
}

void Matrix3::TransformVector3(const float theIn[3], float theOut[3]) const
{
    float aOut[3];
    for (int i = 0; i < 3; i++)
        aOut[i] = m[i][0] * theIn[0] + m[i][1] * theIn[1] + m[i][2] * theIn[2];
    for (int i = 0; i < 3; i++)
        theOut[i] = aOut[i];
}

void Matrix3::Translate(float theX, float theY)
{
    Matrix3 aStep;
    aStep.m02 = theX;
    aStep.m12 = theY;
    aStep.Multiply(*this, *this);
}

void Matrix3::RotateRad(float theAngle)
{
    float aCos = std::cos(theAngle);
    float aSin = std::sin(theAngle);
    Matrix3 aStep;
    aStep.m00 = aCos;
    aStep.m01 = aSin;
    aStep.m10 = -aSin;
    aStep.m11 = aCos;
    aStep.Multiply(*this, *this);
}

void Matrix3::RotateDeg(float theAngle)
{
    RotateRad(DegToRad(theAngle));
}

void Matrix3::Scale(float theX, float theY)
{
    Matrix3 aStep;
    aStep.m00 = theX;
    aStep.m11 = theY;
    aStep.Multiply(*this, *this);
}

} // namespace Lumo
