#pragma once
// Lumo::Graphics: the drawing context every widget, screen, font and scene
// object draws through. It turns caller coordinates into destination
// coordinates (translation, scale), clips, picks the modulation colour and calls
// the destination image's virtual operations; it never touches pixels itself.
// A stack of saved states lets a widget change translation and clip for its
// children and restore them.

#include <string>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "framework/graphics/Image.h"

namespace Lumo
{

class DDImage;
class Font;

// Stands in for a missing destination: no pixels, every draw does nothing.
extern Image gEmptyImage;

// The part of a drawing context that PushState saves and PopState restores.
class GraphicsState
{
public:
    Image* mDestImage = nullptr; // not owned
    float mTransX = 0.0f;        // translation added to every position
    float mTransY = 0.0f;
    float mScaleX = 1.0f; // image draws only; set by the owner
    float mScaleY = 1.0f;
    float mScaleOrigX = 0.0f;
    float mScaleOrigY = 0.0f;
    Rect mClipRect;               // destination pixels
    Color mColor;                 // opaque black
    Font* mFont = nullptr;        // not owned
    int mDrawMode = 0;            // 0 normal, 1 additive
    bool mTintImages = false;     // modulate image draws by mColor
    bool mFastStretch = false;    // point-sampled stretches
    bool mColorCodes = true;      // text honours inline colour codes
    bool mBilinearFilter = false; // matrix draws
    bool mIs3D = false;           // destination is the Direct3D screen; asked once

    void CopyFrom(const GraphicsState& other);
};

class Graphics : public GraphicsState
{
public:
    // Matrix-draw extras: the mask a comic picture sets for one draw. Handed
    // unchanged to the destination's DrawImageMatrix (Direct3D and software alike).
    Image* mMaskImage = nullptr;
    MaskRect mMaskSrcRect;      // source rectangle on the mask's page
    MaskRect mMaskPlaceRect;    // placement of the mask region
    Matrix3 mMaskMatrix{false}; // filled by whoever sets mMaskImage

    std::vector<GraphicsState> mStateStack; // back = top

    explicit Graphics(Image* destImage = nullptr);
    // Copies the state (clip included); the stack starts empty and the mask is cleared.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    Graphics* Clone() const; // caller owns

    // --- saved states ---
    void PushState();
    void PopState(); // nothing on an empty stack

    // --- state accessors ---
    Image* GetDestImage() const { return mDestImage; }
    Font* GetFont() const { return mFont; }
    void SetFont(Font* font) { mFont = font; }
    Color& GetColor() { return mColor; }
    void SetColor(const Color& color) { mColor = color; }
    void SetColor(int red, int green, int blue, int alpha = 255)
    {
        mColor = Color(red, green, blue, alpha);
    }
    int GetDrawMode() const { return mDrawMode; }
    void SetDrawMode(int mode) { mDrawMode = mode; }
    bool GetTintImages() const { return mTintImages; }
    void SetTintImages(bool tint) { mTintImages = tint; }
    void SetFastStretch(bool fast) { mFastStretch = fast; }
    void SetBilinearFilter(bool filter) { mBilinearFilter = filter; }
    void SetColorCodes(bool on) { mColorCodes = on; }
    const Rect& GetClipRect() const { return mClipRect; }
    void Translate(int dx, int dy);

    // --- clipping ---
    // Replaces the clip with the translated rectangle, cut to the destination.
    void SetClipRect(int x, int y, int width, int height);
    void SetClipRect(const Rect& rect);
    // Narrows the clip by the translated rectangle.
    void IntersectClipRect(int x, int y, int width, int height);
    void IntersectClipRect(const Rect& rect);
    // Clips a line to the clip rectangle in place; false when nothing is left.
    // The end points may come back swapped.
    bool ClipLine(double& x1, double& y1, double& x2, double& y2) const;

    // --- fills and lines ---
    void FillRect(int x, int y, int width, int height);
    void FillRect(const Rect& rect);
    void DrawRect(int x, int y, int width, int height);
    void DrawRect(const Rect& rect);
    void DrawLine(int x1, int y1, int x2, int y2);

    // --- images ---
    void DrawImage(Image* image, int x, int y);
    void DrawImage(Image* image, int x, int y, const Rect& srcRect);
    void DrawImageStretched(Image* image, int x, int y, int width, int height);
    void DrawImageStretched(Image* image, const Rect& destRect, const Rect& srcRect);
    void DrawImageStretchedMirrored(Image* image, const Rect& destRect, const Rect& srcRect,
                                    bool mirror);
    // x, y are not translated; the translation is truncated to whole pixels.
    void DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& srcRect, float x,
                         float y);
    // Nine-part box: corners at fixed size, edges and centre tiled.
    void DrawImageBox(const Rect& destRect, Image* image);
    void DrawImageBox(const Rect& srcRect, const Rect& destRect, Image* image);

    // --- text (defined with the fonts in framework/resources/GraphicsText.cpp) ---
    void DrawString(const std::wstring& text, int x, int y);
    // Returns the drawn width; startColor -1 starts with the context's colour.
    int WriteColoredString(const std::wstring& text, int x, int y, int width, int justification,
                           bool draw = true, int firstChar = 0, int length = -1,
                           int startColor = -1);
    // Returns the height used.
    int WriteWordWrapped(const Rect& rect, const std::wstring& text, int lineSpacing,
                         int justification, int* outMaxWidth = nullptr, int maxChars = -1,
                         int* outLastWidth = nullptr);
    int GetWordWrappedHeight(int width, const std::wstring& text, int lineSpacing,
                             int* outMaxWidth = nullptr);
    // y is the first line's baseline; lineSpacing -1 uses the font's own.
    int WriteWordWrappedAt(const std::wstring& text, int x, int y, int width, int lineSpacing,
                           int justification);

private:
    const Color* ImageColor() const { return mTintImages ? &mColor : &gColorWhite; }
};

// Keeps an image's surface locked across a run of draws (a whole draw pass),
// so the draws do not each lock it; images without a surface need no lock.
class DrawPassLock
{
public:
    explicit DrawPassLock(Image* image);
    ~DrawPassLock();
    DrawPassLock(const DrawPassLock&) = delete;
    DrawPassLock& operator=(const DrawPassLock&) = delete;

private:
    DDImage* mSurface; // null for images without a surface
    bool mLocked;
};

} // namespace Lumo

using Lumo::gEmptyImage;
