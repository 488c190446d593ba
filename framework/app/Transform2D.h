#pragma once

#include "framework/app/Matrix3.h"

// A 2D transform built up by Translate / Rotate / Scale calls, each acting after the previous
// ones, exactly as the same calls on an identity Matrix3. Most sprites only need
// "translate, then rotate or scale, then translate", so that simple form is kept as fields and
// the matrix is rebuilt lazily; any other sequence gives up the simple form for good and
// multiplies the matrix directly.

namespace Lumo
{

class Transform2D
{
public:
    Transform2D();

    void Reset();

    // --- Operations applied after the current ones
    void Translate(float theX, float theY);
    void RotateRad(float theAngle);
    void RotateDeg(float theAngle);
    void Scale(float theX, float theY);

    // The composed matrix, rebuilt first when the simple fields changed.
    const Matrix3& GetMatrix() const;

    bool IsFullMatrix() const { return mFullMatrix; }

private:
    void SwitchToFullMatrix();
    void Rebuild() const;

    mutable Matrix3 mMatrix; // valid when !mRebuild or mFullMatrix
    mutable bool mRebuild;   // simple fields changed since the matrix was built
    bool mFullMatrix;        // simple fields abandoned; every call multiplies mMatrix
    bool mHasRotation;
    bool mHasScale;
    float mTransX, mTransY; // applied first
    float mPostX, mPostY;   // applied last, after the rotation or scale
    float mScaleX, mScaleY;
    float mAngle; // radians
};

} // namespace Lumo
