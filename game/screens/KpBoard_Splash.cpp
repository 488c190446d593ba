#include "game/screens/KpBoard_Splash.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpCursorSet.h"
#include "game/engine/KpTextureManager.h"
#include "game/scene/KpTexture.h"
#include "game/screens/KpScreenTable.h"

namespace
{
// The slide's picture can be read (a texture of the layout whose file is
// missing would show only black for the slide's whole time).
bool HasPicture(KpCandyWidget* slide)
{
    KpTexture* image = slide->GetImage(0, 0);
    if (!image || image->IsEmpty())
        return false;
    const KpImageHandle& handle = image->GetHandle();
    if (!handle.Lock())
        return false;
    handle.Unlock();
    return true;
}
} // namespace

KpBoard_Splash::KpBoard_Splash(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine)
{
    LoadLayout(layoutRoot, "splash");
}

void KpBoard_Splash::AddChild(const std::string& name, KpCandyWidget* child)
{
    child->SetVisible(false);
    if (!child->IsImageSetEmpty(0))
    {
        slides.push_back(child);
        // A click on a slide reaches the splash.
        child->SetMousePressTarget(this);
    }
    KpDialog::AddChild(name, child);
}

void KpBoard_Splash::OnShow() {}

void KpBoard_Splash::OnHide() {}

void KpBoard_Splash::LockImages()
{
    KpDialog::LockImages();
    KpCursorSet::Hide();
    if (mManager)
        mManager->SetFocus(this);
    mPlaying = true;
    mFinishing = false;
    ScreenTrace("splash shown");
    ShowCurrent();
}

void KpBoard_Splash::UnlockImages()
{
    KpDialog::UnlockImages();
    KpCursorSet::Show();
    if (mManager && mManager->mFocusWidget == this)
        mManager->SetFocus(nullptr);
    if (!mPlaying)
        return;
    mPlaying = false;
    ScreenTrace("splash ended");
    SetScreenVisible(kBoardMenuBackground, true);
    if (KpCandyWidget* menu = GetScreen(kBoardMainMenu))
        menu->Show();
}

void KpBoard_Splash::ShowCurrent()
{
    while (current < int(slides.size()) && !HasPicture(slides[current]))
        current++;
    if (current >= int(slides.size()))
    {
        // Nothing (left) to show: straight on to the menus.
        current = slides.empty() ? 0 : int(slides.size()) - 1;
        Finish();
        return;
    }
    currentShown = false;
    slides[current]->Show();
    ScreenTrace("splash slide %d", current);
}

void KpBoard_Splash::Advance()
{
    if (current < int(slides.size()) - 1)
    {
        current++;
        ShowCurrent();
    }
    else
        Finish();
}

void KpBoard_Splash::Finish()
{
    if (mFinishing)
        return;
    mFinishing = true;
    Hide();
}

void KpBoard_Splash::Update()
{
    KpDialog::Update();
    if (!mVisible || mFinishing || current >= int(slides.size()))
        return;
    KpCandyWidget* slide = slides[current];
    if (slide->mVisible)
        currentShown = true;
    else if (currentShown)
        Advance();
}

void KpBoard_Splash::Draw(Lumo::Graphics* g)
{
    g->SetColor(0, 0, 0, 255);
    g->FillRect(0, 0, mWidth, mHeight);
    KpDialog::Draw(g);
}

void KpBoard_Splash::Skip()
{
    if (mFinishing || current >= int(slides.size()))
        return;
    slides[current]->SetVisible(false);
    currentShown = true;
}

void KpBoard_Splash::KeyDown(int)
{
    Skip();
}

void KpBoard_Splash::MouseDown(int, int, int, int)
{
    Skip();
}
