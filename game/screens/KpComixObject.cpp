#include "game/screens/KpComixObject.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "framework/app/LumoAppBase.h"
#include "framework/app/Matrix3.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/Font.h"
#include "game/engine/KpFont.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpXml.h"
#include "game/screens/KpComix.h"

// ---------------------------------------------------------------- base

KpComixObject::~KpComixObject() {}

void KpComixObject::ReadXml(KpComix*, IXMLDOMNode*) {}

void KpComixObject::ResetState() {}

void KpComixObject::Draw(Lumo::Graphics*) {}

KpComixObjectPic* KpComixObject::AsPicture()
{
    return nullptr;
}

KpComixObjectSound* KpComixObject::AsSound()
{
    return nullptr;
}

void KpComixObject::Stop() {}

// ---------------------------------------------------------------- pictures

namespace
{

void LoadPicture(KpComix* comix, KpAtlasImage& image, const std::string& path)
{
    if (!image.Load(comix ? comix->GetAtlasCache() : nullptr, path))
        WriteLog("WARNING: Can not load %s", path.c_str());
}

} // namespace

namespace
{
// Pixels from the screen beyond which nothing of a picture could show, and
// the scale beyond which it would cover the screen many times over; a
// document or an actor may reach either, and the drawing code takes
// positions into fixed point, so such a draw is left out.
const float kComixFarAway = 1.0e6f;
const float kComixHugeScale = 1.0e4f;

bool IsSaneMatrix(const Lumo::Matrix3& m)
{
    return std::fabs(m.m02) < kComixFarAway && std::fabs(m.m12) < kComixFarAway &&
           std::fabs(m.m00) < kComixHugeScale && std::fabs(m.m01) < kComixHugeScale &&
           std::fabs(m.m10) < kComixHugeScale && std::fabs(m.m11) < kComixHugeScale;
}
} // namespace

int ComixTruncate(float v)
{
    // Out of int's range (or not a number) the conversion would be undefined.
    if (!(v > -2147483520.0f))
        return v != v ? 0 : INT_MIN;
    if (!(v < 2147483520.0f))
        return INT_MAX;
    return (int)v;
}

void KpComixObjectPic::ReadOwnXml(KpComix* comix, IXMLDOMNode* element)
{
    XmlReadString(element, "file", mFile);
    LoadPicture(comix, mPicture, mFile);
    XmlReadPoint(element, "pos", mInitial.pos);
    XmlReadPoint(element, "offset", mInitial.offset);
    XmlReadPoint(element, "maskStaticPos", mInitial.maskStaticPos);
    XmlReadColor(element, "color", mInitial.color);
}

void KpComixObjectPic::ReadXml(KpComix* comix, IXMLDOMNode* element)
{
    ReadOwnXml(comix, element);

    KpComixObjectState& s = mInitial;
    if (XmlReadString(element, "mask", mMaskPath))
        LoadPicture(comix, mMask, mMaskPath);
    XmlReadBool(element, "centerposGlobal", s.centerposGlobal);
    if (s.centerposGlobal)
    {
        const int width = gLumoApp ? gLumoApp->mWidth : 1024;
        const int height = gLumoApp ? gLumoApp->mHeight : 768;
        s.centerpos = Lumo::LumoVector2(width / 2.0f, height / 2.0f);
    }
    else
        s.centerpos = Lumo::LumoVector2(mPicture.GetWidth() / 2.0f, mPicture.GetHeight() / 2.0f);
    XmlReadPoint(element, "centerpos", s.centerpos);
    XmlReadFloat(element, "scale", s.scale);
    XmlReadBool(element, "visible", s.visible);
    XmlReadBool(element, "staticMask", s.staticMask);
    XmlReadFloat(element, "alpha", s.alpha);
    XmlReadFloat(element, "angle", s.angle);
    Lumo::LumoVector2 clip((float)s.clipRect.mX, (float)s.clipRect.mY);
    if (XmlReadPoint(element, "clipRectPos", clip))
    {
        s.clipRect.mX = ComixTruncate(clip.x);
        s.clipRect.mY = ComixTruncate(clip.y);
    }
    clip = Lumo::LumoVector2((float)s.clipRect.mWidth, (float)s.clipRect.mHeight);
    if (XmlReadPoint(element, "clipRectSize", clip))
    {
        s.clipRect.mWidth = ComixTruncate(clip.x);
        s.clipRect.mHeight = ComixTruncate(clip.y);
    }
    ResetState();
}

void KpComixObjectPic::ResetState()
{
    mState = mInitial;
}

namespace
{
bool SameAffine(const Lumo::Matrix3& a, const Lumo::Matrix3& b)
{
    return a.m00 == b.m00 && a.m01 == b.m01 && a.m02 == b.m02 && a.m10 == b.m10 && a.m11 == b.m11 &&
           a.m12 == b.m12;
}
} // namespace

bool KpComixDrawPlan::SameLook(const KpComixDrawPlan& o) const
{
    return SameAffine(matrix, o.matrix) && SameAffine(maskMatrix, o.maskMatrix) &&
           drawOffset.x == o.drawOffset.x && drawOffset.y == o.drawOffset.y && clip == o.clip &&
           color == o.color && filter == o.filter;
}

bool KpComixObjectPic::MakeDrawPlan(KpComixDrawPlan& plan) const
{
    const KpComixObjectState& s = mState;
    // Alpha beyond 0 to 1 (from the document or a swinging actor) is held at
    // the ends: the drawing code does not clamp colour channels itself. At
    // zero opacity there is nothing to see, and nothing is drawn.
    const float alpha = s.alpha > 0.0f ? (s.alpha < 1.0f ? s.alpha : 1.0f) : 0.0f;
    const int alpha255 = (int)(alpha * 255.0f);
    if (!s.visible || mPicture.IsEmpty() || alpha255 <= 0)
        return false;
    const bool region = mPicture.IsRegion();
    const Lumo::LumoVector2 trim((float)mPicture.GetTrimX(), (float)mPicture.GetTrimY());

    Lumo::Matrix3& m = plan.matrix;
    m.LoadIdentity();
    const Lumo::LumoVector2 p = s.pos + s.offset;
    if (s.scale != 1.0f || s.angle != 0.0f)
    {
        Lumo::LumoVector2 c = s.centerpos;
        if (region)
            c -= trim;
        if (s.centerposGlobal)
            c -= p;
        m.Translate(-c.x, -c.y);
        if (s.scale != 0.0f)
            m.Scale(s.scale, s.scale);
        if (s.angle != 0.0f)
            m.RotateDeg(s.angle);
        m.Translate(c.x, c.y);
    }
    plan.drawOffset = region ? trim : Lumo::LumoVector2();
    m.Translate(p.x, p.y);
    if (!IsSaneMatrix(m) || (s.staticMask && !(std::fabs(s.maskStaticPos.x) < kComixFarAway &&
                                               std::fabs(s.maskStaticPos.y) < kComixFarAway)))
        return false;

    plan.maskMatrix.LoadIdentity();
    if (!mMask.IsEmpty())
    {
        if (s.staticMask)
            plan.maskMatrix.Translate(s.maskStaticPos.x, s.maskStaticPos.y);
        else
            plan.maskMatrix = m;
    }
    plan.clip = s.clipRect;
    plan.color =
        Lumo::Color(s.color.mRed & 0xFF, s.color.mGreen & 0xFF, s.color.mBlue & 0xFF, alpha255);
    plan.filter = s.scale != 1.0f || s.angle != 0.0f;
    return true;
}

Lumo::Rect KpComixObjectPic::GetPlanArea(const KpComixDrawPlan& plan) const
{
    const Lumo::Rect& source = mPicture.GetRect();
    const float cornerX[4] = {0.0f, (float)source.mWidth, 0.0f, (float)source.mWidth};
    const float cornerY[4] = {0.0f, 0.0f, (float)source.mHeight, (float)source.mHeight};
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    for (int i = 0; i < 4; i++)
    {
        const Lumo::LumoVector2 c =
            plan.matrix.TransformPoint(Lumo::LumoVector2(cornerX[i], cornerY[i]));
        const float x = c.x + plan.drawOffset.x, y = c.y + plan.drawOffset.y;
        left = i == 0 ? x : std::min(left, x);
        right = i == 0 ? x : std::max(right, x);
        top = i == 0 ? y : std::min(top, y);
        bottom = i == 0 ? y : std::max(bottom, y);
    }
    // The plan's matrix is sane, so the corners are well inside int's range.
    const int x0 = (int)std::floor(left) - 2, y0 = (int)std::floor(top) - 2;
    const int x1 = (int)std::ceil(right) + 2, y1 = (int)std::ceil(bottom) + 2;
    return Lumo::Rect(x0, y0, x1 - x0, y1 - y0).Intersection(plan.clip);
}

bool KpComixObjectPic::TakeChange(Lumo::Rect& was, Lumo::Rect& now)
{
    KpComixDrawPlan plan;
    const bool shown = MakeDrawPlan(plan);
    const Lumo::Rect area = shown ? GetPlanArea(plan) : Lumo::Rect();
    if (mTracked && shown == mLastShown && (!shown || plan.SameLook(mLastPlan)))
        return false;
    was = mTracked && mLastShown ? mLastArea : Lumo::Rect();
    now = area;
    mTracked = true;
    mLastShown = shown;
    mLastPlan = plan;
    mLastArea = area;
    return true;
}

bool KpComixObjectPic::GetWholeDrawArea(Lumo::Rect& area) const
{
    if (!mTracked || !mLastShown || !(mLastPlan.filter || !mMask.IsEmpty()))
        return false;
    area = mLastArea;
    return area.mWidth > 0 && area.mHeight > 0;
}

void KpComixObjectPic::Draw(Lumo::Graphics* g)
{
    // The screen shows the look of the last TakeChange, wherever a repaint
    // reaches; a picture drawn before any takes its look now.
    if (!mTracked)
    {
        mTracked = true;
        mLastShown = MakeDrawPlan(mLastPlan);
        mLastArea = mLastShown ? GetPlanArea(mLastPlan) : Lumo::Rect();
    }
    if (!mLastShown)
        return;
    const KpComixDrawPlan& plan = mLastPlan;

    if (!mMask.IsEmpty())
    {
        const Lumo::Rect& maskRect = mMask.GetRect();
        g->mMaskImage = mMask.GetImage();
        g->mMaskSrcRect = {(float)maskRect.mX, (float)maskRect.mY, (float)maskRect.mWidth,
                           (float)maskRect.mHeight};
        if (mMask.IsRegion())
            g->mMaskPlaceRect = {(float)mMask.GetTrimX(), (float)mMask.GetTrimY(),
                                 (float)mMask.GetWidth(), (float)mMask.GetHeight()};
        else
            g->mMaskPlaceRect = g->mMaskSrcRect;
        g->mMaskMatrix = plan.maskMatrix;
    }

    const Lumo::Rect savedClip = g->GetClipRect();
    const bool savedTint = g->GetTintImages();
    const bool savedFilter = g->mBilinearFilter;
    g->SetClipRect(plan.clip);
    // Only inside the area being drawn: the screen elsewhere already shows
    // this picture, and a translucent one drawn over itself would darken.
    // The software rasterizer leaves the last column and row of its clip
    // unpainted, which for a part of the screen are pixels it must paint:
    // there the area reaches one further, and the picture's own clip still
    // ends where it ends when the whole screen is drawn.
    Lumo::Rect area = savedClip;
    if (mMask.IsEmpty() && !Lumo::ImageDrawsThrough3D(g->GetDestImage()))
    {
        area.mWidth++;
        area.mHeight++;
    }
    g->mClipRect = g->mClipRect.Intersection(area);
    g->SetTintImages(true);
    // Turned or scaled pictures are sampled smoothly; plain ones stay pixel for pixel.
    g->SetBilinearFilter(savedFilter || plan.filter);
    g->SetColor(plan.color.mRed, plan.color.mGreen, plan.color.mBlue, plan.color.mAlpha);
    g->DrawImageMatrix(mPicture.GetImage(), plan.matrix, mPicture.GetRect(), plan.drawOffset.x,
                       plan.drawOffset.y);
    g->SetTintImages(savedTint);
    g->SetBilinearFilter(savedFilter);
    g->mClipRect = savedClip;
    g->mMaskImage = nullptr;
}

// ---------------------------------------------------------------- texts

void KpComixObjectText::ReadOwnXml(KpComix* comix, IXMLDOMNode* element)
{
    std::string stringId, fontName;
    XmlReadString(element, "string_id", stringId);
    XmlReadString(element, "font", fontName);
    Lumo::LumoVector2 p1(0.0f, 0.0f), p2(100.0f, 100.0f);
    XmlReadPoint(element, "rect_p1", p1);
    XmlReadPoint(element, "rect_p2", p2);
    int topOffset = comix ? comix->GetDefaultTopOffset() : 0;
    const int defaultSpace = comix ? comix->GetDefaultLineSpace() : 0;
    int lineSpace = defaultSpace != 0 ? defaultSpace : -1;
    XmlReadInt(element, "top_offset", topOffset);
    XmlReadInt(element, "line_space", lineSpace);
    mInitial.color = Lumo::Color(0, 0, 0);
    XmlReadColor(element, "color", mInitial.color);
    mInitial.pos = Lumo::LumoVector2(0.0f, 0.0f);
    mInitial.offset = p1;

    // A box turned inside out (or absurdly large) would make an image of no
    // sensible size: the text then keeps no picture and draws nothing.
    const float width = p2.x - p1.x, height = p2.y - p1.y;
    if (!(width >= 1.0f && height >= 1.0f && width <= kComixMaxTextBox &&
          height <= kComixMaxTextBox))
    {
        WriteLog("WARNING: Text object '%s' has a bad box (%g;%g to %g;%g)", mName.c_str(), p1.x,
                 p1.y, p2.x, p2.y);
        return;
    }
    Lumo::MemoryImage* image = new Lumo::MemoryImage();
    image->Create((int)width, (int)height);
    uint32_t* pixels = image->GetPixels();
    if (pixels)
        std::fill(pixels, pixels + (size_t)image->mWidth * image->mHeight, 0u);
    image->PixelsChanged();
    {
        Lumo::Font* font = KpFont::GetFont(fontName);
        Lumo::Graphics g(image);
        g.SetFont(font);
        g.SetColor(255, 255, 255, 255);
        const int baseline = (font ? font->GetHeight() : 0) + topOffset;
        g.WriteWordWrappedAt(GetEngineLocTable()->GetText(stringId), 0, baseline, (int)width,
                             lineSpace, 0);
    }
    mPicture.Adopt(image);
}

// ---------------------------------------------------------------- sounds

KpComixObjectSound::~KpComixObjectSound()
{
    Stop();
    delete mChannel;
}

void KpComixObjectSound::ReadXml(KpComix*, IXMLDOMNode* element)
{
    XmlReadString(element, "sound_id", mSoundId);
    if (mSample)
        mChannel = GetSoundManager()->SoundCreateChannel(mSoundId);
    else
        mTrack = GetEngineMusic()->GetSingleTrack(mSoundId);
}

void KpComixObjectSound::Stop()
{
    if (mChannel)
        mChannel->Stop();
    if (mTrack)
        mTrack->Stop(false);
}
