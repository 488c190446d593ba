#include "game/screens/KpComix.h"

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/Font.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine.h"
#include "game/engine/KpMusic.h"
#include "game/scene/KpAtlasCache.h"
#include "game/screens/KpComixActor.h"
#include "game/screens/KpComixEpisode.h"
#include "game/screens/KpComixObject.h"

KpComix::KpComix(KpEngine* app, IXMLDOMNode* layoutRoot) : KpDialog(nullptr, app)
{
    if (layoutRoot)
        LoadLayout(layoutRoot, "comix_ui");
    const int width = gLumoApp ? gLumoApp->mWidth : 1024;
    const int height = gLumoApp ? gLumoApp->mHeight : 768;
    Resize(0, 0, width, height);
    // A press anywhere skips an episode, so the dialog itself takes the mouse.
    mMouseVisible = true;
    SetVisible(false);
}

KpComix::~KpComix()
{
    Clear();
}

// ---------------------------------------------------------------- playing

void KpComix::Restart()
{
    mClock = 0.0f;
    mEpisodeIndex = 0;
    Clear();
    // What the old scene showed goes with it.
    if (mVisible && mManager)
        SetDirty();
    Play(mName);
}

void KpComix::Clear()
{
    for (KpComixObject* object : mObjects)
        delete object;
    mObjects.clear();
    mObjectMap.clear();
    for (auto& group : mGroupMap)
        delete group.second;
    mGroupMap.clear();
    for (KpComixEpisode* episode : mEpisodes)
        delete episode;
    mEpisodes.clear();
    delete mAtlasCache;
    mAtlasCache = nullptr;
    for (KpAtlasCache* cache : mSpareCaches)
        delete cache;
    mSpareCaches.clear();
}

void KpComix::NextEpisode()
{
    // Once past the last episode the index stays at the count.
    if (mEpisodeIndex >= (int)mEpisodes.size())
        return;
    mEpisodes[mEpisodeIndex]->End();
    mEpisodeIndex++;
    if (mEpisodeIndex < (int)mEpisodes.size())
        mEpisodes[mEpisodeIndex]->Start(mClock);
}

void KpComix::SkipEpisode()
{
    if (mEpisodeIndex >= (int)mEpisodes.size())
        return;
    mEpisodes[mEpisodeIndex]->Skip(mClock);
    NextEpisode();
}

void KpComix::Finish()
{
    for (auto& entry : mObjectMap)
        entry.second->Stop();
    Clear();
    if (IsClosingComix())
    {
        // Hidden directly: OnHide (the level's resume and music) is not for a
        // closing comic, but the pause taken in OnShow is still given back.
        SetVisible(false);
        ResumeBoard();
        StartNextLevel();
    }
    else
        Hide();
}

KpComixObject* KpComix::FindObject(const std::string& name) const
{
    auto found = mObjectMap.find(name);
    return found == mObjectMap.end() ? nullptr : found->second;
}

KpComixGroup* KpComix::FindGroup(const std::string& name) const
{
    auto found = mGroupMap.find(name);
    return found == mGroupMap.end() ? nullptr : found->second;
}

// ---------------------------------------------------------------- widget

void KpComix::Update()
{
    KpDialog::Update();
    if (!mVisible || (gEngine && gEngine->modalBoxOpen))
        return;
    // A comic that does not exist is over before it began.
    if (mMissing)
    {
        mMissing = false;
        Finish();
        return;
    }
    if (!mPaused && gLumoApp && gLumoApp->mActive)
        mClock += gLumoApp->mFrameTime / 1000.0f;
    if (mEpisodeIndex < (int)mEpisodes.size())
    {
        for (int i = 0; i <= mEpisodeIndex; i++)
            mEpisodes[i]->Apply(mClock);
        if (!mEpisodes[mEpisodeIndex]->IsRunning(mClock))
            NextEpisode();
    }
    if (mUpdateCnt % kComixUpdatesPerLook == 0)
        RepaintChanges();
    RepaintTurnedPicturesWhole();
}

void KpComix::RepaintChanges()
{
    // No one else repaints the pictures: each whose look changed asks for
    // where it was and where it is now, and the rest of the screen stays.
    for (KpComixObject* object : mObjects)
    {
        KpComixObjectPic* picture = object->AsPicture();
        Lumo::Rect was, now;
        if (!picture || !picture->TakeChange(was, now))
            continue;
        for (const Lumo::Rect& area : {was, now})
            if (area.mWidth > 0 && area.mHeight > 0)
                SetDirtyArea(area);
    }
    if (gDevOptions.IsEnabled())
    {
        std::string clockText = ComixClockText(mClock, mPaused);
        if (clockText != mDrawnClockText)
        {
            mDrawnClockText.swap(clockText);
            Lumo::Font* font = gDevOptions.GetDevFont();
            const int height = font ? font->GetHeight() : 0;
            SetDirtyArea(Lumo::Rect(400, 0, mWidth - 400, 2 * height + 4));
        }
    }
}

void KpComix::RepaintTurnedPicturesWhole()
{
    // A turned, scaled or masked picture that a repaint reaches is drawn
    // whole, so that it looks the same as when the whole screen is drawn;
    // the area it adds may reach another.
    std::vector<bool> whole(mObjects.size(), false);
    for (bool grew = mManager != nullptr; grew;)
    {
        grew = false;
        for (size_t i = 0; i < mObjects.size(); i++)
        {
            KpComixObjectPic* picture = mObjects[i]->AsPicture();
            Lumo::Rect area;
            if (whole[i] || !picture || !picture->GetWholeDrawArea(area) ||
                !mManager->mDirtyRegion.Intersects(GetScreenArea(area)))
                continue;
            whole[i] = true;
            grew = true;
            SetDirtyArea(area);
        }
    }
}

void KpComix::Draw(Lumo::Graphics* g)
{
    if (!mVisible)
        return;
    if (mClearBack)
        g->FillRect(0, 0, gLumoApp ? gLumoApp->mWidth : mWidth,
                    gLumoApp ? gLumoApp->mHeight : mHeight);
    KpDialog::Draw(g);
    for (KpComixObject* object : mObjects)
        object->Draw(g);
    if (gDevOptions.IsEnabled())
    {
        Lumo::Font* font = gDevOptions.GetDevFont();
        g->SetColor(255, 0, 0, 255);
        g->SetFont(font);
        if (mDrawnClockText.empty())
            mDrawnClockText = ComixClockText(mClock, mPaused);
        g->DrawString(Lumo::StringToWString(mDrawnClockText), 400, font ? font->GetHeight() : 0);
    }
}

void KpComix::MouseDown(int x, int y, int button, int clicks)
{
    if (!mPaused)
        SkipEpisode();
    KpDialog::MouseDown(x, y, button, clicks);
}

void KpComix::OnShow()
{
    KpDialog::OnShow();
    // In front of whatever else the board shows (the HUD, a debriefing).
    if (mParent)
        mParent->BringToFront(this);
    GetEngineMusic()->Change("");
    PauseBoard();
}

void KpComix::OnHide()
{
    KpDialog::OnHide();
    ResumeBoard();
    PlayCafeMusic();
}

void KpComix::OnClicked(int)
{
    Finish();
}

// ---------------------------------------------------------------- developer aids

std::string ComixClockText(float clock, bool paused)
{
    const int minutes = (int)clock / 60;
    const float seconds = clock - minutes * 60;
    return Lumo::StrFormat("%0d:%05.2f %s", minutes, seconds, paused ? "(PAUSED)" : "");
}
