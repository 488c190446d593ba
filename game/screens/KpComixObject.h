// The things a comic shows and plays: pictures, texts rendered once into a
// picture, sound samples and music tracks. Each reads itself from its
// "object" element of "cfg\comix.xml" and keeps two states, what the
// document gave and the live one that actors write (and whose look the
// player takes for drawing), so an actor never has to know which kind of
// object it moves: the property setters ask AsPicture or AsSound and leave
// any other kind alone.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "framework/app/Color.h"
#include "framework/app/LumoVector2.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "game/scene/KpAtlasImage.h"

namespace Lumo
{
class Graphics;
}
class KpComix;
class KpComixObjectPic;
class KpComixObjectSound;
class MusicTrack;
class SoundChannel;

// The drawing state of a picture or text.
struct KpComixObjectState
{
    Lumo::Color color{255, 255, 255}; // tint; only red, green and blue are used
    Lumo::LumoVector2 pos;
    Lumo::LumoVector2 offset;     // added to pos
    bool centerposGlobal = false; // centerpos in screen coordinates
    Lumo::LumoVector2 centerpos;  // centre of scaling and rotation
    float scale = 1.0f;
    float alpha = 1.0f; // 0 to 1
    bool visible = true;
    float angle = 0.0f;      // degrees
    bool staticMask = false; // the mask stays at maskStaticPos
    Lumo::LumoVector2 maskStaticPos;
    Lumo::Rect clipRect{0, 0, 1024, 768}; // screen pixels
};

// What a picture draws from its live state, worked out once: Draw draws it,
// and the player compares it with the last one to draw again only the
// pictures whose look changed.
struct KpComixDrawPlan
{
    Lumo::Matrix3 matrix;         // picture pixels to the screen
    Lumo::LumoVector2 drawOffset; // an atlas region's trim offset
    Lumo::Rect clip;              // the state's clip rectangle
    Lumo::Color color;            // tint; alpha 0 to 255
    bool filter = false;          // turned or scaled: sampled smoothly
    Lumo::Matrix3 maskMatrix;     // where the mask lies, when there is one

    bool SameLook(const KpComixDrawPlan& o) const;
};

class KpComixObject
{
public:
    std::string mName;

    // --- Virtual operations, in slot order
    virtual ~KpComixObject();
    // Reads the element's attributes; the comix gives the atlas cache and defaults.
    virtual void ReadXml(KpComix* comix, IXMLDOMNode* element);
    // Live state := the state the document gave.
    virtual void ResetState();
    virtual void Draw(Lumo::Graphics* g);
    virtual KpComixObjectPic* AsPicture();
    virtual KpComixObjectSound* AsSound();
    // Stops any sound the object plays.
    virtual void Stop();
};

class KpComixObjectPic : public KpComixObject
{
public:
    void ReadXml(KpComix* comix, IXMLDOMNode* element) override;
    void ResetState() override;
    // Through the matrix path, tinted, clipped to the state's rectangle and,
    // with a mask, through the drawing context's mask fields.
    void Draw(Lumo::Graphics* g) override;
    KpComixObjectPic* AsPicture() override { return this; }
    // --- appended
    // The attributes of the kind (a picture's file, a text's box and text).
    virtual void ReadOwnXml(KpComix* comix, IXMLDOMNode* element);

    // --- What it draws and where
    // The draw the live state asks for; false when it draws nothing.
    bool MakeDrawPlan(KpComixDrawPlan& plan) const;
    // The screen pixels a plan can touch: its picture's corners and a pixel
    // of filtering around them, cut to the clip rectangle.
    Lumo::Rect GetPlanArea(const KpComixDrawPlan& plan) const;
    // Takes the live state's look, which Draw draws from then on; true when
    // it changed since the last call, with where it was and where it is now
    // (empty when it drew nothing).
    bool TakeChange(Lumo::Rect& was, Lumo::Rect& now);
    // Where it drew at the last TakeChange, when it is turned, scaled or
    // masked: such a picture cut by a clip line samples a unit differently
    // here and there, so it is only ever drawn whole. False otherwise.
    bool GetWholeDrawArea(Lumo::Rect& area) const;

    std::string mFile;           // picture path
    std::string mMaskPath;       // mask picture path
    KpComixObjectState mState;   // live
    KpComixObjectState mInitial; // from the document
    KpAtlasImage mPicture;
    KpAtlasImage mMask;

private:
    bool mTracked = false;     // the fields below hold the look of the last TakeChange
    bool mLastShown = false;   // it drew something
    KpComixDrawPlan mLastPlan; // how
    Lumo::Rect mLastArea;      // where
};

// A text laid out once, at load, into a picture of its box.
class KpComixObjectText : public KpComixObjectPic
{
public:
    void ReadOwnXml(KpComix* comix, IXMLDOMNode* element) override;
};

// A sample channel (owned) or a music stream's only track (the music's).
class KpComixObjectSound : public KpComixObject
{
public:
    // sample: a sound of "cfg\cfg.xml"; otherwise a music stream's track.
    explicit KpComixObjectSound(bool sample) : mSample(sample) {}
    // Stops the sound and lets the channel go.
    ~KpComixObjectSound() override;
    void ReadXml(KpComix* comix, IXMLDOMNode* element) override;
    KpComixObjectSound* AsSound() override { return this; }
    void Stop() override;

    std::string mSoundId;
    bool mSample;                     // true: mChannel; false: mTrack
    SoundChannel* mChannel = nullptr; // owned
    MusicTrack* mTrack = nullptr;     // not owned; null when the stream has not one track
};

// The largest text box a comic renders, pixels each way.
const int kComixMaxTextBox = 4096;

// Truncated toward zero, as the clip rectangle keeps its values; held at
// int's ends (0 for not a number).
int ComixTruncate(float v);
