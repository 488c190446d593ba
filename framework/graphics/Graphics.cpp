#include "framework/graphics/Graphics.h"

namespace Lumo
{

Image gEmptyImage;

void GraphicsState::CopyFrom(const GraphicsState& other)
{
    *this = other;
}

Graphics::Graphics(Image* destImage)
{
    mDestImage = destImage ? destImage : &gEmptyImage;
    mClipRect = Rect(0, 0, mDestImage->mWidth, mDestImage->mHeight);
}

Graphics::Graphics(const Graphics& other) : GraphicsState()
{
    CopyFrom(other);
}

Graphics::~Graphics() = default;

Graphics* Graphics::Clone() const
{
    return new Graphics(*this);
}

void Graphics::PushState()
{
    mStateStack.push_back(*this);
}

void Graphics::PopState()
{
    if (mStateStack.empty())
        return;
    CopyFrom(mStateStack.back());
    mStateStack.pop_back();
}

void Graphics::Translate(int dx, int dy)
{
    mTransX += dx;
    mTransY += dy;
}

void Graphics::SetClipRect(int, int, int, int) {}
void Graphics::SetClipRect(const Rect&) {}
void Graphics::IntersectClipRect(int, int, int, int) {}
void Graphics::IntersectClipRect(const Rect&) {}
bool Graphics::ClipLine(double&, double&, double&, double&) const
{
    return false;
}
void Graphics::FillRect(int, int, int, int) {}
void Graphics::FillRect(const Rect&) {}
void Graphics::DrawRect(int, int, int, int) {}
void Graphics::DrawRect(const Rect&) {}
void Graphics::DrawLine(int, int, int, int) {}
void Graphics::DrawImage(Image*, int, int) {}
void Graphics::DrawImage(Image*, int, int, const Rect&) {}
void Graphics::DrawImageStretched(Image*, int, int, int, int) {}
void Graphics::DrawImageStretched(Image*, const Rect&, const Rect&) {}
void Graphics::DrawImageStretchedMirrored(Image*, const Rect&, const Rect&, bool) {}
void Graphics::DrawImageMatrix(Image*, const Matrix3&, const Rect&, float, float) {}
void Graphics::DrawImageBox(const Rect&, Image*) {}
void Graphics::DrawImageBox(const Rect&, const Rect&, Image*) {}

}  // namespace Lumo
