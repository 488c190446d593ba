#include "game/ui/KpCandyWidget.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "framework/app/Matrix3.h"
#include "framework/app/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpTextureManager.h"
#include "game/engine/KpXml.h"
#include "game/scene/KpEffectNames.h"
#include "game/scene/KpFrameClock.h"
#include "game/scene/KpTexture.h"
#include "game/ui/KpDialog.h"
#include "game/ui/KpLayout.h"
#include "game/ui/KpTask.h"

namespace
{
// Disabled pictures without a picture of their own: the normal one at 55%.
const int kDisabledAlpha = 140;
} // namespace

KpCandyWidget::KpCandyWidget()
{
    // Game pictures have soft edges and shadows: what lies behind shows through.
    mHasTransparencies = true;
    mSeeThrough = true;
    mMouseVisible = false;
}

KpCandyWidget::~KpCandyWidget()
{
    mEffect.Stop();
    // Leaving the tree unlocks the images, so it comes before they go.
    if (mParent)
        mParent->RemoveWidget(this);
    for (auto& named : mNamedChildren)
    {
        RemoveWidget(named.second);
        delete named.second;
    }
    mNamedChildren.clear();
    for (auto& state : mImages)
        for (KpTexture* image : state)
            delete image;
    mImages.clear();
    delete mLayer;
}

// ============================================================================
// Hooks
// ============================================================================

void KpCandyWidget::OnShow() {}

void KpCandyWidget::OnHide() {}

void KpCandyWidget::LockImages()
{
    for (auto& state : mImages)
        for (KpTexture* image : state)
            image->Lock();
}

void KpCandyWidget::UnlockImages()
{
    for (auto& state : mImages)
        for (KpTexture* image : state)
            image->Unlock();
    // A widget out of view needs no layer either (one that faded out keeps it otherwise).
    delete mLayer;
    mLayer = nullptr;
}

void KpCandyWidget::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (!child)
        return;
    if (child->mName.empty())
        child->mName = name;
    mNamedChildren.push_back({name, child});
    AddWidget(child);
    child->SyncImageLocks();
}

KpText* KpCandyWidget::AsText()
{
    return nullptr;
}

int KpCandyWidget::GetDrawState()
{
    return mDisabled && !IsImageSetEmpty(1) ? 1 : 0;
}

int KpCandyWidget::GetDisabledState()
{
    return 1;
}

// ============================================================================
// Layout
// ============================================================================

void KpCandyWidget::ReadXml(IXMLDOMNode* element)
{
    using namespace KpLayout;
    std::string name;
    if (ReadString(element, "name", name) && mName.empty())
        mName = name;

    int x = mBaseX, y = mBaseY, w = mWidth, h = mHeight;
    ReadInt(this, element, "x", x);
    ReadInt(this, element, "y", y);
    bool sized = ReadInt(this, element, "w", w) | ReadInt(this, element, "h", h);
    ReadInt(this, element, "id", mId);
    int z = mZOrder;
    if (ReadInt(this, element, "z", z))
        mZOrder = z;
    bool flag = false;
    if (ReadBool(this, element, "mouse", flag))
        mMouseVisible = flag;
    if (ReadBool(this, element, "clip", flag))
        mClip = flag;
    if (ReadBool(this, element, "opaque", flag))
        mHasTransparencies = mSeeThrough = !flag;
    if (ReadBool(this, element, "hand", flag))
        mDoFinger = flag;
    float value = 1.0f;
    if (ReadFloat(this, element, "alpha", value))
        SetAlpha(value);
    if (ReadFloat(this, element, "scale", value))
        SetScale(value);
    int px = 0, py = 0;
    if (ReadPoint(this, element, "scalepoint", px, py))
    {
        SetScalePointX((float)px);
        SetScalePointY((float)py);
    }

    // Every attribute "on..." binds an effect name to a script.
    ForEachAttribute(element,
                     [this](const std::string& event, const std::string& script)
                     {
                         if (event.size() < 3 || event.compare(0, 2, "on") != 0)
                             return;
                         if (!KpEffect::FindScript(script))
                             Warn(this, "effect '" + event + "': no script '" + script + "'");
                         else
                             SetEffect(event, script);
                     });

    XmlForEachNode(element, L"image",
                   [this](IXMLDOMNode* node)
                   {
                       std::string texture;
                       ReadString(node, "texture", texture);
                       KpImageHandle handle = KpTextureManager::GetImage(texture);
                       if (handle.IsNull())
                       {
                           Warn(this, "image skipped: no texture '" + texture + "'");
                           return;
                       }
                       int state = 0;
                       ReadInt(this, node, "state", state);
                       if (state < 0 || state > 15)
                       {
                           Warn(this, "image skipped: state must be 0-15");
                           return;
                       }
                       KpTexture* image = new KpTexture();
                       Lumo::Rect rect;
                       ReadRect(this, node, "rect", rect);
                       image->SetImageRect(handle, rect);
                       int ix = 0, iy = 0;
                       ReadPoint(this, node, "pos", ix, iy);
                       image->SetPosition(ix, iy);
                       int mode = 0;
                       ReadChoice(this, node, "mode", {"normal", "stretch", "box"}, mode);
                       image->SetMode((KpTextureMode)mode);
                       int fps = 0;
                       bool loop = true;
                       ReadInt(this, node, "fps", fps);
                       ReadBool(this, node, "loop", loop);
                       image->SetAnimation(fps, loop);
                       AddImage(state, image);
                   });

    // Without a size the first picture gives it.
    if (!sized)
    {
        KpTexture* first = GetImage(0, 0);
        if (first && !first->IsLocked())
        {
            first->Lock();
            w = first->GetX() + first->GetWidth();
            h = first->GetY() + first->GetHeight();
            first->Unlock();
        }
    }
    Resize(x, y, w, h);

    bool disabled = mDisabled;
    if (ReadBool(this, element, "disabled", disabled))
        SetDisabled(disabled);
    bool visible = mVisible;
    if (ReadBool(this, element, "visible", visible))
        SetVisible(visible);

    ReadChildren(this, element);
}

// ============================================================================
// Show and hide
// ============================================================================

void KpCandyWidget::Show()
{
    OnShow();
    if (!StartEffect(kEffectOnShow, kEffectShow))
        SetVisible(true);
}

void KpCandyWidget::Hide()
{
    OnHide();
    // A widget out of view has nothing to fade out (see SyncImageLocks).
    if (!IsVisibleInTree() || !StartEffect(kEffectOnHide, kEffectHide))
        SetVisible(false);
}

void KpCandyWidget::ShowChildren()
{
    for (auto& named : mNamedChildren)
        named.second->Show();
}

void KpCandyWidget::HideChildren()
{
    for (auto& named : mNamedChildren)
        named.second->Hide();
}

bool KpCandyWidget::RunEffect(const std::string& name)
{
    return StartEffect(name, kEffectOther);
}

void KpCandyWidget::SetEffect(const std::string& name, const std::string& script)
{
    if (script.empty())
        mEffects.erase(name);
    else
        mEffects[name] = script;
}

bool KpCandyWidget::HasEffect(const std::string& name) const
{
    return mEffects.count(name) != 0;
}

bool KpCandyWidget::StartEffect(const std::string& name, EffectKind kind)
{
    auto bound = mEffects.find(name);
    const KpEffectScript* script =
        bound == mEffects.end() ? nullptr : KpEffect::FindScript(bound->second);
    if (!script)
        return false;
    if (mEffect.IsRunning())
        InterruptEffect();
    if (kind == kEffectShow || kind == kEffectHide)
    {
        mRest.alpha = mAlpha;
        mRest.scale = mScale;
        mRest.offsetX = mOffsetX;
        mRest.offsetY = mOffsetY;
        mRest.scalePointX = mScalePointX;
        mRest.scalePointY = mScalePointY;
    }
    mEffectKind = kind;
    if (kind == kEffectHide)
        SetHiding(true);
    mEffectApplying = true;
    if (kind == kEffectShow)
        SetVisibleNow(true);
    mEffect.Start(this, script);
    mEffectApplying = false;
    if (!mEffect.IsRunning())
        EffectEnded();
    return true;
}

void KpCandyWidget::InterruptEffect()
{
    EffectKind kind = mEffectKind;
    mEffectKind = kEffectNone;
    mEffectApplying = true;
    mEffect.Finish();
    mEffectApplying = false;
    if (kind == kEffectHide)
        SetHiding(false);
    if (kind == kEffectShow || kind == kEffectHide)
    {
        SetAlpha(mRest.alpha);
        SetScale(mRest.scale);
        SetOffsetX(mRest.offsetX);
        SetOffsetY(mRest.offsetY);
        mScalePointX = mRest.scalePointX;
        mScalePointY = mRest.scalePointY;
    }
}

void KpCandyWidget::FinishHide()
{
    mEffectApplying = true;
    mEffect.Finish();
    mEffectApplying = false;
    EffectEnded();
}

void KpCandyWidget::EffectEnded()
{
    EffectKind kind = mEffectKind;
    mEffectKind = kEffectNone;
    if (kind == kEffectHide)
    {
        SetVisibleNow(false);
        // Hidden at rest: shown again later without an effect it looks as before.
        SetAlpha(mRest.alpha);
        SetScale(mRest.scale);
        SetOffsetX(mRest.offsetX);
        SetOffsetY(mRest.offsetY);
        mScalePointX = mRest.scalePointX;
        mScalePointY = mRest.scalePointY;
        SetHiding(false);
    }
}

// A click made while a closing box fades out belongs to what lies behind it.
void KpCandyWidget::SetHiding(bool hiding)
{
    const uint32_t mouse = Lumo::WIDGETFLAGS_ALLOW_MOUSE;
    if (hiding && !(mWidgetFlagsMod.mRemoveFlags & mouse))
    {
        mWidgetFlagsMod.mRemoveFlags |= mouse;
        mHidingMasked = true;
    }
    else if (!hiding && mHidingMasked)
    {
        mWidgetFlagsMod.mRemoveFlags &= ~mouse;
        mHidingMasked = false;
    }
    HidingChanged(hiding);
}

void KpCandyWidget::HidingChanged(bool) {}

// ============================================================================
// KpIEffect
// ============================================================================

void KpCandyWidget::SetAlpha(float alpha)
{
    alpha = alpha < 0.0f ? 0.0f : (alpha > 1.0f ? 1.0f : alpha);
    if (alpha == mAlpha)
        return;
    mAlpha = alpha;
    SetDirtyOverlaps();
}

void KpCandyWidget::SetScale(float scale)
{
    if (!(scale >= 0.0f) || scale > 100.0f)
        scale = scale > 100.0f ? 100.0f : 0.0f;
    if (scale == mScale)
        return;
    // The old size's area too: a scaled widget reaches beyond its rectangle.
    SetDirtyOverlaps();
    mScale = scale;
    SetDirtyOverlaps();
}

void KpCandyWidget::SetVisible(bool visible)
{
    // Outside the effect's own steps, a show or hide in progress ends first.
    if (!mEffectApplying && (mEffectKind == kEffectShow || mEffectKind == kEffectHide))
        InterruptEffect();
    SetVisibleNow(visible);
}

void KpCandyWidget::SetVisibleNow(bool visible)
{
    Widget::SetVisible(visible);
    SyncImageLocks();
}

void KpCandyWidget::SetScalePointX(float x)
{
    if (!IsPlainDrawing())
        SetDirtyOverlaps();
    mScalePointX = x;
    if (!IsPlainDrawing())
        SetDirtyOverlaps();
}

void KpCandyWidget::SetScalePointY(float y)
{
    if (!IsPlainDrawing())
        SetDirtyOverlaps();
    mScalePointY = y;
    if (!IsPlainDrawing())
        SetDirtyOverlaps();
}

void KpCandyWidget::SetOffsetX(float x)
{
    mOffsetX = x;
    ApplyOffset();
}

void KpCandyWidget::SetOffsetY(float y)
{
    mOffsetY = y;
    ApplyOffset();
}

void KpCandyWidget::ApplyOffset()
{
    Widget::Resize(mBaseX + (int)std::lround(mOffsetX), mBaseY + (int)std::lround(mOffsetY), mWidth,
                   mHeight);
}

Lumo::Rect KpCandyWidget::GetAreaInParent(const Lumo::Rect& local)
{
    Lumo::Rect area = local;
    if (mClip)
        area = area.Intersection(Lumo::Rect(0, 0, mWidth, mHeight));
    if (!IsPlainDrawing() && mScale != 1.0f && area.mWidth > 0 && area.mHeight > 0)
    {
        // The layer goes through the matrix of DrawAll; a pixel more on each
        // side for the filtering.
        float px = mScalePointX >= 0.0f ? mScalePointX : mWidth * 0.5f;
        float py = mScalePointY >= 0.0f ? mScalePointY : mHeight * 0.5f;
        float left = px + (area.mX - px) * mScale,
              right = px + (area.mX + area.mWidth - px) * mScale;
        float top = py + (area.mY - py) * mScale,
              bottom = py + (area.mY + area.mHeight - py) * mScale;
        int x0 = (int)std::floor(std::min(left, right)) - 1;
        int y0 = (int)std::floor(std::min(top, bottom)) - 1;
        int x1 = (int)std::ceil(std::max(left, right)) + 1;
        int y1 = (int)std::ceil(std::max(top, bottom)) + 1;
        area = Lumo::Rect(x0, y0, x1 - x0, y1 - y0);
        // At the top of the tree only the own rectangle is drawn (DrawAll).
        if (mParent && !dynamic_cast<Lumo::Widget*>(mParent))
            area = area.Intersection(Lumo::Rect(0, 0, mWidth, mHeight));
    }
    area.mX += mX;
    area.mY += mY;
    if (KpCandyWidget* parent = dynamic_cast<KpCandyWidget*>(mParent))
    {
        area.mX += parent->mParentOffsetX;
        area.mY += parent->mParentOffsetY;
    }
    return area;
}

void KpCandyWidget::Resize(int x, int y, int width, int height)
{
    mBaseX = x;
    mBaseY = y;
    Widget::Resize(x + (int)std::lround(mOffsetX), y + (int)std::lround(mOffsetY), width, height);
}

// ============================================================================
// Tree
// ============================================================================

KpCandyWidget* KpCandyWidget::FindChild(const std::string& name)
{
    std::deque<KpCandyWidget*> queue;
    queue.push_back(this);
    while (!queue.empty())
    {
        KpCandyWidget* w = queue.front();
        queue.pop_front();
        for (auto& named : w->mNamedChildren)
            if (named.first == name)
                return named.second;
        for (auto& named : w->mNamedChildren)
            queue.push_back(named.second);
    }
    return nullptr;
}

bool KpCandyWidget::IsVisibleInTree()
{
    for (Lumo::WidgetContainer* c = this; c; c = c->mParent)
    {
        Lumo::Widget* w = dynamic_cast<Lumo::Widget*>(c);
        if (w && !w->mVisible)
            return false;
    }
    return true;
}

void KpCandyWidget::SetParentOffset(int x, int y)
{
    if (x == mParentOffsetX && y == mParentOffsetY)
        return;
    mParentOffsetX = x;
    mParentOffsetY = y;
    SetDirty();
}

KpDialog* KpCandyWidget::FindParentDialog()
{
    for (Lumo::WidgetContainer* c = mParent; c; c = c->mParent)
        if (KpDialog* d = dynamic_cast<KpDialog*>(c))
            return d;
    return nullptr;
}

void KpCandyWidget::SyncImageLocks()
{
    SyncImageLocks(mManager != nullptr && IsVisibleInTree());
}

void KpCandyWidget::SyncImageLocks(bool visibleInTree)
{
    // Out of view a fade-out stands still (a hidden parent updates no
    // children) and would play on over whatever the parent shows next: a
    // box hidden as its screen goes ends hidden with it.
    if (!visibleInTree && mEffectKind == kEffectHide)
        FinishHide();
    if (visibleInTree != mImagesLocked)
    {
        mImagesLocked = visibleInTree;
        if (visibleInTree)
            LockImages();
        else
            UnlockImages();
    }
    // A hook may reorder the children: walk a copy.
    std::vector<KpCandyWidget*> children;
    for (Lumo::Widget* c : mWidgets)
        if (KpCandyWidget* k = dynamic_cast<KpCandyWidget*>(c))
            children.push_back(k);
    for (KpCandyWidget* k : children)
        if (k->mParent == this)
            k->SyncImageLocks(visibleInTree && k->mVisible && k->mManager != nullptr);
}

void KpCandyWidget::AddedToManager(Lumo::WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    SyncImageLocks();
}

void KpCandyWidget::RemovedFromManager(Lumo::WidgetManager* manager)
{
    // Still attached while this runs, so a modal dialog can leave the stack.
    if (mImagesLocked)
    {
        mImagesLocked = false;
        UnlockImages();
    }
    Widget::RemovedFromManager(manager);
}

// ============================================================================
// Images
// ============================================================================

KpTexture* KpCandyWidget::GetImage(int state, int n)
{
    if (state < 0 || state >= (int)mImages.size() || n < 0 || n >= (int)mImages[state].size())
        return nullptr;
    return mImages[state][n];
}

void KpCandyWidget::AddImage(int state, KpTexture* image)
{
    if (!image || state < 0)
        return;
    if (state >= (int)mImages.size())
        mImages.resize(state + 1);
    mImages[state].push_back(image);
    if (mImagesLocked)
        image->Lock();
    SetDirty();
}

void KpCandyWidget::SetStateImage(int state, const KpImageHandle& handle, const Lumo::Rect& rect)
{
    KpTexture* image = GetImage(state, 0);
    if (!image)
    {
        image = new KpTexture();
        AddImage(state, image);
    }
    image->SetImageRect(handle, rect);
    SetDirty();
}

int KpCandyWidget::GetImageCount(int state) const
{
    return state >= 0 && state < (int)mImages.size() ? (int)mImages[state].size() : 0;
}

bool KpCandyWidget::IsImageSetEmpty(int state) const
{
    if (state < 0 || state >= (int)mImages.size())
        return true;
    for (KpTexture* image : mImages[state])
        if (!image->IsEmpty())
            return false;
    return true;
}

void KpCandyWidget::RewindImages()
{
    for (auto& state : mImages)
        for (KpTexture* image : state)
            image->Rewind();
    SetDirty();
}

bool KpCandyWidget::IsAnyImagePlaying() const
{
    for (auto& state : mImages)
        for (KpTexture* image : state)
            if (image->IsPlaying())
                return true;
    return false;
}

// ============================================================================
// Mouse and keys
// ============================================================================

void KpCandyWidget::SetMouseTasks(KpTask* enter, KpTask* leave)
{
    mEnterTask = enter;
    mLeaveTask = leave;
    if (enter || leave)
        mMouseVisible = true;
}

void KpCandyWidget::SetMousePressTarget(Lumo::Widget* target)
{
    mPressTarget = target;
    if (target)
        mMouseVisible = true;
}

void KpCandyWidget::MouseEnter()
{
    if (mEnterTask)
        mEnterTask->Run();
}

void KpCandyWidget::MouseLeave()
{
    if (mLeaveTask)
        mLeaveTask->Run();
}

void KpCandyWidget::MouseDown(int x, int y, int button, int clicks)
{
    if (mPressTarget && mPressTarget != this)
    {
        Lumo::WidgetPoint mine = GetAbsPos(), its = mPressTarget->GetAbsPos();
        mPressTarget->MouseDown(x + mine.mX - its.mX, y + mine.mY - its.mY, button, clicks);
    }
}

void KpCandyWidget::KeyDown(int key)
{
    Widget::KeyDown(key);
    if (Lumo::Widget* parent = dynamic_cast<Lumo::Widget*>(mParent))
        parent->KeyDown(key);
}

void KpCandyWidget::KeyUp(int key)
{
    if (Lumo::Widget* parent = dynamic_cast<Lumo::Widget*>(mParent))
        parent->KeyUp(key);
}

// ============================================================================
// Update
// ============================================================================

void KpCandyWidget::UpdateAll(Lumo::WidgetPassFlags& pf)
{
    // The widget's own Update walks its children, so the pass stops here.
    Lumo::PassFlagsGuard guard(pf);
    pf.ApplyMasks(mWidgetFlagsMod);
    uint32_t flags = pf.Current();
    if (flags & Lumo::WIDGETFLAGS_MARK_DIRTY)
        SetDirty();
    if (mManager == nullptr)
        return;
    if ((flags & Lumo::WIDGETFLAGS_UPDATE) && mLastWMUpdateCount != mManager->GetFrameCount())
    {
        mLastWMUpdateCount = mManager->GetFrameCount();
        Update();
    }
}

void KpCandyWidget::UpdateAllWithFraction(Lumo::WidgetPassFlags& pf, float fraction)
{
    if (mVisible)
    {
        Lumo::Widget::UpdateAllWithFraction(pf, fraction);
        return;
    }
    // Every hidden screen's tree walked each frame for nothing: the widget
    // itself is asked, and the pass only notes a modal widget inside it.
    Lumo::PassFlagsGuard guard(pf);
    pf.ApplyMasks(mWidgetFlagsMod);
    if (pf.Current() & Lumo::WIDGETFLAGS_UPDATE)
        UpdateWithFraction(fraction);
    Lumo::Widget* modal = mManager != nullptr ? mManager->mBaseModalWidget : nullptr;
    for (Lumo::WidgetContainer* c = modal ? modal->mParent : nullptr; c; c = c->mParent)
        if (c == this)
        {
            pf.mPassedBaseModal = true;
            break;
        }
}

void KpCandyWidget::Update()
{
    Widget::Update();
    const int ms = KpFrameTimeMs();
    if (mEffect.IsRunning())
    {
        mEffectApplying = true;
        bool running = mEffect.Advance(ms);
        mEffectApplying = false;
        if (!running)
            EffectEnded();
    }
    if (!mVisible)
        return;
    for (auto& state : mImages)
        for (KpTexture* image : state)
            if (!mHoldCels && image->IsPlaying())
            {
                int frame = image->GetFrame();
                image->Advance(ms);
                if (image->GetFrame() != frame)
                    SetDirty();
            }
    // Children may leave or move while they update; the iterator follows them.
    mUpdateIterator = mWidgets.begin();
    while (mUpdateIterator != mWidgets.end())
    {
        mUpdateIteratorModified = false;
        Lumo::Widget* c = *mUpdateIterator;
        c->Update();
        if (!mUpdateIteratorModified && mUpdateIterator != mWidgets.end())
            ++mUpdateIterator;
    }
    mUpdateIteratorModified = false;
    if (IsPlainDrawing() && mLayer && !mEffect.IsRunning())
    {
        delete mLayer;
        mLayer = nullptr;
    }
}

// ============================================================================
// Drawing
// ============================================================================

void KpCandyWidget::DrawStateImages(Lumo::Graphics* g, int state, int alpha255)
{
    if (state < 0 || state >= (int)mImages.size())
        return;
    g->PushState();
    if (alpha255 < 255)
    {
        g->SetTintImages(true);
        g->SetColor(255, 255, 255, alpha255);
    }
    for (KpTexture* image : mImages[state])
        image->Draw(g, mWidth, mHeight);
    g->PopState();
}

void KpCandyWidget::Draw(Lumo::Graphics* g)
{
    int state = GetDrawState();
    DrawStateImages(g, state, mDisabled && state != GetDisabledState() ? kDisabledAlpha : 255);
}

void KpCandyWidget::DrawTree(Lumo::WidgetPassFlags& pf, Lumo::Graphics* g)
{
    if (mManager != nullptr && mPriority > mManager->mMinDeferredOverlayPriority)
        mManager->FlushDeferredOverlays(g, mPriority);
    Lumo::PassFlagsGuard guard(pf);
    pf.ApplyMasks(mWidgetFlagsMod);
    uint32_t flags = pf.Current();
    if (mClip && (flags & Lumo::WIDGETFLAGS_CLIP))
        g->IntersectClipRect(0, 0, mWidth, mHeight);
    if (flags & Lumo::WIDGETFLAGS_DRAW)
    {
        g->PushState();
        Draw(g);
        g->PopState();
    }
    for (Lumo::Widget* c : mWidgets)
    {
        if (!c->mVisible)
            continue;
        if (mManager != nullptr && c == mManager->mBaseModalWidget)
            pf.mPassedBaseModal = true;
        if (IsChildOutsideClip(c, pf.Current(), g))
        {
            SkipChildDraw(c, pf);
            continue;
        }
        Lumo::Graphics copy(*g);
        copy.Translate(c->mX + mParentOffsetX, c->mY + mParentOffsetY);
        c->DrawAll(pf, &copy);
        c->mDirty = false;
    }
}

void KpCandyWidget::DrawAll(Lumo::WidgetPassFlags& pf, Lumo::Graphics* g)
{
    if (IsPlainDrawing())
    {
        DrawTree(pf, g);
        return;
    }
    if (mAlpha <= 0.0f || mScale <= 0.0f || mWidth <= 0 || mHeight <= 0)
        return;

    // The widget and its children are drawn once into a layer of their size,
    // which then goes to the destination tinted by the alpha, through the
    // matrix when scaled: the group fades and scales as one picture.
    // Unscaled, only the part of the layer inside the destination's clip can
    // show: draw just that part (the same pixels there, a fraction of the work).
    Lumo::Rect part(0, 0, mWidth, mHeight);
    if (mScale == 1.0f)
    {
        const Lumo::Rect& clip = g->GetClipRect();
        Lumo::Rect local(clip.mX - (int)g->mTransX, clip.mY - (int)g->mTransY, clip.mWidth,
                         clip.mHeight);
        if (!(local.mX < mWidth && local.mY < mHeight && local.mX + local.mWidth > 0 &&
              local.mY + local.mHeight > 0 && local.mWidth > 0 && local.mHeight > 0))
        {
            for (Lumo::Widget* c : mWidgets)
                if (c->mVisible)
                    SkipChildDraw(c, pf);
            return;
        }
        part = part.Intersection(local);
    }
    bool fresh = !mLayer || mLayer->mWidth != mWidth || mLayer->mHeight != mHeight;
    if (fresh)
    {
        delete mLayer;
        mLayer = new Lumo::MemoryImage();
        mLayer->Create(mWidth, mHeight);
    }
    else
        mLayer->ClearRect(&part);
    {
        Lumo::Graphics layer(mLayer);
        layer.SetFastStretch(g->mFastStretch);
        layer.SetBilinearFilter(g->mBilinearFilter);
        layer.SetClipRect(part);
        DrawTree(pf, &layer);
    }

    g->PushState();
    // At the top of the tree only the own rectangle is repainted behind it.
    if (mParent && !dynamic_cast<Lumo::Widget*>(mParent))
        g->IntersectClipRect(0, 0, mWidth, mHeight);
    g->SetTintImages(true);
    g->SetDrawMode(0);
    g->SetColor(255, 255, 255, (int)std::lround(mAlpha * 255.0f));
    if (mScale == 1.0f)
        g->DrawImage(mLayer, 0, 0);
    else
    {
        float px = mScalePointX >= 0.0f ? mScalePointX : mWidth * 0.5f;
        float py = mScalePointY >= 0.0f ? mScalePointY : mHeight * 0.5f;
        Lumo::Matrix3 m;
        m.Translate(-px, -py);
        m.Scale(mScale, mScale);
        m.Translate(px, py);
        g->SetBilinearFilter(true);
        g->DrawImageMatrix(mLayer, m, Lumo::Rect(0, 0, mWidth, mHeight), (float)(int)g->mTransX,
                           (float)(int)g->mTransY);
    }
    g->PopState();
}
