// KpCandyWidget: the base of every game widget and screen. On top of the
// framework widget it adds what the screens are written against:
// - named children (AddChild, FindChild), owned and deleted with the widget;
// - image states, each a list of KpTextures drawn in order, with cel
//   animations that advance on the game clock;
// - an effect object that plays the widget's named effect scripts ("onshow",
//   "onhide", or any other name the layout binds) on it as a KpIEffect;
// - alpha, scale, scale point and offset, drawn through the drawing context:
//   a widget that is not fully opaque at scale 1 draws itself and its children
//   into a layer image that is drawn tinted by the alpha and, when scaled,
//   through the matrix path (software and Direct3D alike);
// - images held only while the widget is visible in the tree (LockImages and
//   UnlockImages run as that changes);
// - mouse enter and leave tasks and a mouse-press target;
// - reading itself from a layout element of "cfg\ui.xml" (ReadXml).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/widgets/Widget.h"
#include "game/scene/KpEffect.h"
#include "game/scene/KpIEffect.h"

namespace Lumo
{
class MemoryImage;
}
class KpImageHandle;
class KpTask;
class KpText;
class KpTexture;

class KpCandyWidget : public Lumo::Widget, public KpIEffect
{
public:
    KpCandyWidget();
    // Deletes the children added through AddChild.
    ~KpCandyWidget() override;

    // --- Virtual operations appended to the widget's, in slot order
    // Hooks of Show and Hide, run before the effect starts.
    virtual void OnShow();
    virtual void OnHide();
    // The widget became visible in the tree (hold its images) or stopped being so.
    virtual void LockImages();
    virtual void UnlockImages();
    // Names a child, adds it to the tree and the name map, and takes ownership.
    // The layout reader calls it for every child it creates (its subtree built).
    virtual void AddChild(const std::string& name, KpCandyWidget* child);
    // Reads the widget, its images, effects and children from a layout element.
    virtual void ReadXml(IXMLDOMNode* element);
    // This widget as a text widget, or null.
    virtual KpText* AsText();
    // Which image state Draw shows now.
    virtual int GetDrawState();
    // The state that holds disabled pictures (-1: none); a disabled widget
    // drawing any other state is drawn at 55%.
    virtual int GetDisabledState();
    // The hide effect started (true) or ended or was cut short (false).
    // Meanwhile the widget is on its way out and takes no mouse.
    virtual void HidingChanged(bool hiding);

    // --- Show and hide through effect scripts
    // OnShow, then the "onshow" effect (visible from its start) or visible at once.
    void Show();
    // OnHide, then the "onhide" effect (hidden at its end) or hidden at once;
    // at once too when out of view, and a fade-out ends as its widget leaves view.
    void Hide();
    void ShowChildren();
    void HideChildren();
    // Runs the effect bound to the name; false when the widget has none.
    bool RunEffect(const std::string& name);
    // Binds an effect name ("onshow") to a script of the effect document.
    void SetEffect(const std::string& name, const std::string& script);
    bool HasEffect(const std::string& name) const;
    bool IsEffectRunning() const { return mEffect.IsRunning(); }

    // --- Children and tree
    // The named child nearest to this widget (its own children first, then
    // theirs, breadth first), or null.
    KpCandyWidget* FindChild(const std::string& name);
    // This widget and every parent are visible.
    bool IsVisibleInTree();
    // Shifts the drawing of the children by (x, y).
    void SetParentOffset(int x, int y);
    int GetParentOffsetX() const { return mParentOffsetX; }
    int GetParentOffsetY() const { return mParentOffsetY; }
    const std::vector<std::pair<std::string, KpCandyWidget*>>& GetNamedChildren() const
    {
        return mNamedChildren;
    }

    // --- Images
    // Image n of a state, or null.
    KpTexture* GetImage(int state, int n);
    // Appends an image to a state (owned from then on).
    void AddImage(int state, KpTexture* image);
    // The first image of a state shows the texture's rectangle (width 0: whole).
    void SetStateImage(int state, const KpImageHandle& handle, const Lumo::Rect& rect);
    int GetImageCount(int state) const;
    // True when the state has no image with a texture.
    bool IsImageSetEmpty(int state) const;
    void RewindImages();
    bool IsAnyImagePlaying() const;

    // --- KpIEffect
    void SetAlpha(float alpha) override;
    void SetScale(float scale) override;
    void SetVisible(bool visible) override;
    void SetScalePointX(float x) override;
    void SetScalePointY(float y) override;
    void SetOffsetX(float x) override;
    void SetOffsetY(float y) override;
    const std::string& GetName() override { return mName; }
    float GetAlpha() const { return mAlpha; }
    float GetScale() const { return mScale; }
    float GetOffsetX() const { return mOffsetX; }
    float GetOffsetY() const { return mOffsetY; }

    // --- Mouse
    // Tasks run on mouse enter and leave (not owned; null for none). A widget
    // with a task takes the mouse.
    void SetMouseTasks(KpTask* enter, KpTask* leave);
    KpTask* GetMouseEnterTask() const { return mEnterTask; }
    KpTask* GetMouseLeaveTask() const { return mLeaveTask; }
    // A widget that receives this one's mouse presses before its own handling
    // (the widget takes the mouse from then on).
    void SetMousePressTarget(Lumo::Widget* target);
    Lumo::Widget* GetMousePressTarget() const { return mPressTarget; }

    // --- Framework operations
    void Update() override;
    void UpdateAll(Lumo::WidgetPassFlags& pf) override;
    // As the update: the children of a hidden widget are not visited.
    void UpdateAllWithFraction(Lumo::WidgetPassFlags& pf, float fraction) override;
    void Draw(Lumo::Graphics* g) override;
    void DrawAll(Lumo::WidgetPassFlags& pf, Lumo::Graphics* g) override;
    void Resize(int x, int y, int width, int height) override;
    // Adds the shift of the children's drawing, and the matrix of a scaled widget.
    Lumo::Rect GetAreaInParent(const Lumo::Rect& local) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(int x, int y, int button, int clicks) override;
    // Keys a widget does not use go on to its parent, so the screen hears them.
    void KeyDown(int key) override;
    void KeyUp(int key) override;
    void AddedToManager(Lumo::WidgetManager* manager) override;
    void RemovedFromManager(Lumo::WidgetManager* manager) override;

    // The position the layout or Move gave, without the effect offset.
    int GetBaseX() const { return mBaseX; }
    int GetBaseY() const { return mBaseY; }

    std::string mName;
    int mId = 0; // the button id a press reports (ButtonListener)

protected:
    // Draws the images of a state; alpha255 below 255 draws them translucent.
    void DrawStateImages(Lumo::Graphics* g, int state, int alpha255);
    // Draws the widget and its children at full alpha and scale 1.
    void DrawTree(Lumo::WidgetPassFlags& pf, Lumo::Graphics* g);
    // Locks or unlocks the images of this subtree to match its visibility.
    void SyncImageLocks();
    bool AreImagesLocked() const { return mImagesLocked; }
    bool IsHiding() const { return mEffectKind == kEffectHide; }
    // The nearest dialog above this widget (KpDialog), or null.
    class KpDialog* FindParentDialog();

    bool mHoldCels = false; // the images keep their cel (a stopped animation)

private:
    enum EffectKind
    {
        kEffectNone,
        kEffectShow,
        kEffectHide,
        kEffectOther
    };
    struct RestState
    {
        float alpha = 1.0f, scale = 1.0f, offsetX = 0.0f, offsetY = 0.0f;
        float scalePointX = -1.0f, scalePointY = -1.0f;
    };

    bool StartEffect(const std::string& name, EffectKind kind);
    // Ends the running effect at its end values; a show or hide also returns
    // alpha, scale and offsets to what they were before it began.
    void InterruptEffect();
    // Ends the running hide at its end: hidden, at rest.
    void FinishHide();
    void EffectEnded();
    void SetHiding(bool hiding);
    void SetVisibleNow(bool visible);
    void SyncImageLocks(bool visibleInTree);
    void ApplyOffset();
    bool IsPlainDrawing() const { return mAlpha >= 1.0f && mScale == 1.0f; }

    std::vector<std::pair<std::string, KpCandyWidget*>> mNamedChildren; // owned, in adding order
    std::vector<std::vector<KpTexture*>> mImages;                       // per state, owned
    std::map<std::string, std::string> mEffects;                        // name -> script

    KpEffect mEffect;
    EffectKind mEffectKind = kEffectNone;
    bool mEffectApplying = false; // the effect is writing: its SetVisible is no interruption
    RestState mRest;              // what a show or hide returns to

    float mAlpha = 1.0f;
    float mScale = 1.0f;
    float mScalePointX = -1.0f, mScalePointY = -1.0f; // pixels; below 0: the centre
    float mOffsetX = 0.0f, mOffsetY = 0.0f;
    int mBaseX = 0, mBaseY = 0;
    int mParentOffsetX = 0, mParentOffsetY = 0;

    KpTask* mEnterTask = nullptr;
    KpTask* mLeaveTask = nullptr;
    Lumo::Widget* mPressTarget = nullptr;
    bool mImagesLocked = false;
    bool mHidingMasked = false;          // the mouse bit taken from mWidgetFlagsMod by SetHiding
    Lumo::MemoryImage* mLayer = nullptr; // owned; only while drawn translucent or scaled
};
