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
    {
        mClock += gLumoApp->mFrameTime / 1000.0f;
        // Its pictures move with the clock, and no one else repaints them.
        SetDirty();
    }
    const int count = (int)mEpisodes.size();
    if (mEpisodeIndex >= count)
        return;
    for (int i = 0; i <= mEpisodeIndex; i++)
        mEpisodes[i]->Apply(mClock);
    if (!mEpisodes[mEpisodeIndex]->IsRunning(mClock))
        NextEpisode();
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
        g->DrawString(Lumo::StringToWString(ComixClockText(mClock, mPaused)), 400,
                      font ? font->GetHeight() : 0);
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
