// One image of a widget: a named texture of "cfg\ui.xml" (or one rectangle of
// it), where it sits in the widget and how it is drawn, and its cel animation.
// A texture whose picture holds rows x cols cels animates through them at its
// frame rate, once or looped. The picture itself is held only while the
// widget's images are locked (the widget is on view), so a KpTexture on a
// hidden screen costs no picture memory.
#pragma once

#include "framework/app/Rect.h"
#include "game/engine/KpTextureManager.h"

namespace Lumo
{
class Graphics;
class Image;
} // namespace Lumo

enum KpTextureMode
{
    kTextureNormal = 0, // at its own size
    kTextureStretch,    // stretched over the widget
    kTextureBox,        // nine parts: corners kept, edges and centre tiled over the widget
};

class KpTexture
{
public:
    KpTexture() = default;
    explicit KpTexture(const KpImageHandle& handle) : mHandle(handle) {}
    ~KpTexture();
    KpTexture(const KpTexture&) = delete;
    KpTexture& operator=(const KpTexture&) = delete;

    // --- what it shows
    // The whole texture (its cels when it has several).
    void SetImage(const KpImageHandle& handle);
    // One rectangle of a texture, for atlases; a rectangle of width 0 is the whole texture.
    void SetImageRect(const KpImageHandle& handle, const Lumo::Rect& rect);
    const KpImageHandle& GetHandle() const { return mHandle; }
    bool IsEmpty() const { return mHandle.IsNull(); }

    // --- the picture (balanced: each Lock is undone by one Unlock)
    bool Lock();
    void Unlock();
    bool IsLocked() const { return mLocked; }
    // The picture while locked, else null.
    Lumo::Image* GetPicture() const;

    // --- placement in the widget
    void SetPosition(int x, int y)
    {
        mX = x;
        mY = y;
    }
    void SetMode(KpTextureMode mode) { mMode = mode; }
    int GetX() const { return mX; }
    int GetY() const { return mY; }
    KpTextureMode GetMode() const { return mMode; }

    // --- cel animation
    // frames per second (0: still) and whether it starts over after the last cel.
    void SetAnimation(int fps, bool loop);
    // Cels of the picture (1 when it has no picture yet or a source rectangle).
    int GetFrameCount() const;
    int GetFrame() const { return mFrame; }
    void SetFrame(int frame);
    // Back to the first cel, playing again.
    void Rewind();
    // True while an animation has cels still to show (a looped one always).
    bool IsPlaying() const;
    // Advances the animation by ms of game time.
    void Advance(int ms);

    // --- drawing
    // The current cel's rectangle on the picture (empty without a picture).
    Lumo::Rect GetSourceRect() const;
    int GetWidth() const { return GetSourceRect().mWidth; }
    int GetHeight() const { return GetSourceRect().mHeight; }
    // Draws at the placement inside a widget of the given size.
    void Draw(Lumo::Graphics* g, int widgetWidth, int widgetHeight) const;

private:
    KpImageHandle mHandle;
    Lumo::Rect mRect; // source rectangle; width 0: the whole picture or its cels
    bool mLocked = false;
    int mX = 0, mY = 0; // pixels from the widget's top-left
    KpTextureMode mMode = kTextureNormal;
    int mFps = 0;
    bool mLoop = true;
    int mFrame = 0;
    int mFrameTimeMs = 0; // game time spent on the current cel
    bool mPlaying = true;
};
