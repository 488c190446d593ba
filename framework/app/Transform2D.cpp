#include "framework/app/Transform2D.h"

namespace Lumo
{

Transform2D::Transform2D() : mMatrix(false)
{
    Reset();
}

void Transform2D::Reset()
{
    mRebuild = true;
    mFullMatrix = false;
    mHasRotation = false;
    mHasScale = false;
    mTransX = mTransY = 0.0f;
    mPostX = mPostY = 0.0f;
    mScaleX = mScaleY = 1.0f;
    mAngle = 0.0f;
}

void Transform2D::Translate(float theX, float theY)
{
    if (mFullMatrix)
    {
        mMatrix.Translate(theX, theY);
        return;
    }
    mRebuild = true;
    if (!mHasRotation && !mHasScale)
    {
        mTransX += theX;
        mTransY += theY;
    }
    else
    {
        mPostX += theX;
        mPostY += theY;
    }
}

void Transform2D::RotateRad(float theAngle)
{
    // A post-translation would have to turn with the new rotation, which the simple form
    // cannot express.
    bool aHasPost = mPostX != 0.0f || mPostY != 0.0f;
    if (!mFullMatrix && !mHasScale && !aHasPost)
    {
        mAngle += theAngle;
        mRebuild = true;
        mHasRotation = true;
        return;
    }
    SwitchToFullMatrix();
    mMatrix.RotateRad(theAngle);
}

void Transform2D::RotateDeg(float theAngle)
{
    RotateRad(Matrix3::DegToRad(theAngle));
}

void Transform2D::Scale(float theX, float theY)
{
    // Same for scaling: a post-translation would have to be scaled too.
    bool aHasPost = mPostX != 0.0f || mPostY != 0.0f;
    bool aSimple = !mFullMatrix && !mHasRotation && !aHasPost && mTransX == 0.0f &&
                   mTransY == 0.0f && (theX >= 0.0f || mScaleX * theX == -1.0f) && theY >= 0.0f;
    if (aSimple)
    {
        mScaleX *= theX;
        mScaleY *= theY;
        mRebuild = true;
        mHasScale = true;
        return;
    }
    SwitchToFullMatrix();
    mMatrix.Scale(theX, theY);
}

const Matrix3& Transform2D::GetMatrix() const
{
    if (!mFullMatrix)
        Rebuild();
    return mMatrix;
}

void Transform2D::SwitchToFullMatrix()
{
    if (mFullMatrix)
        return;
    Rebuild();
    mFullMatrix = true;
}

void Transform2D::Rebuild() const
{
    if (!mRebuild)
        return;
    mRebuild = false;
    mMatrix.LoadIdentity();
    mMatrix.m02 = mTransX;
    mMatrix.m12 = mTransY;
    mMatrix.m22 = 1.0f;
    if (mHasScale)
    {
        mMatrix.m00 = mScaleX;
        mMatrix.m11 = mScaleY;
    }
    else if (mHasRotation)
        mMatrix.RotateRad(mAngle);
    if (mPostX != 0.0f || mPostY != 0.0f)
        mMatrix.Translate(mPostX, mPostY);
}

} // namespace Lumo
