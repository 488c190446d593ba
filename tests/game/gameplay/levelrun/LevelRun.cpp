// The game's engine with one level started from code, as the career book or
// the survival page would start it, but without the menus. It reports what
// happens on the debugger output, one line each, so a test driving it from
// outside can follow and click:
//   "LevelRun: ready 3D=<0|1>"              loading done, the level requested
//   "LevelRun: started level=<n> endless=<0|1> tables=<n>"
//   "LevelRun: waiting <x> <y>"             a client sat down; a click there serves it
//   "LevelRun: dirty <x> <y>"               a table was left dirty; a click there cleans it
//   "LevelRun: money=<n> lives=<n> served=<n> cleaned=<n> goals=<r0>,<r1>,<r2>,<r3>,<r4>"
//   "LevelRun: tutorial tip=<n>"           the tutorial's step whose tip is on view (-1: none)
//   "LevelRun: over failed=<0|1>"           the level is over
//   "LevelRun: result kind=<k> debriefing=<d> place=<p>"
//   "LevelRun: load failed"                 the level could not be read
//   "LevelRun: redraw same <n>"             check n: the screen drawn change by change is
//                                           the screen drawn whole
//   "LevelRun: redraw differs <count> <x> <y> <drawn> <whole> in <box>"  it is not: the
//                                           first pixel (hex colours) and the box of all
//   "LevelRun: presents <n>"                once a second: frames put on the screen so far
//   "LevelRun: updates <n>"                 beside it: logic updates so far
// Settings (environment): LEVELRUN_LEVEL (1), LEVELRUN_ENDLESS (0), LEVELRUN_SEED
// (the random seed, 1), LEVELRUN_FRAME_MS (game time per update; 0: the
// engine's), LEVELRUN_AUTOPLAY (1: serves and cleans by itself, to look at a
// busy cafe), LEVELRUN_PROFILE (a pref.dat path to use instead of the user's),
// LEVELRUN_UPGRADES (1: every upgrade of the catalog applied at the start, to
// look at them), LEVELRUN_COMIX (1: the level's opening comic plays first, as
// in the game; otherwise the level starts at once), LEVELRUN_CHECK_REDRAW (n:
// every n-th frame presented, the screen is drawn whole again and compared),
// LEVELRUN_REPORT_PRESENTS (1: the "presents" and "updates" lines), LEVELRUN_NORMAL_AFTER_OVER
// (1: LEVELRUN_FRAME_MS holds only until the level is over; the debriefing
// then runs at the engine's own time).
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpProcessMain.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpCafeTable.h"
#include "game/gameplay/KpClient.h"
#include "game/gameplay/KpLevelData.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/gameplay/KpTutorialController.h"
#include "game/scene/KpFrameClock.h"
#include "tests/game/engine/ScreenPixels.h"
#include "tests/game/gameplay/levelrun/QuickWaiter.h"

namespace
{
void Report(const std::string& line)
{
    OutputDebugStringA(("LevelRun: " + line + "\n").c_str());
}

int EnvInt(const char* name, int fallback)
{
    const char* value = getenv(name);
    return value && *value ? atoi(value) : fallback;
}

// An invisible widget that watches the board once per update and reports.
class Probe : public Lumo::Widget
{
public:
    explicit Probe(bool autoplay) : mAutoplay(autoplay)
    {
        mMouseVisible = false;
        Resize(0, 0, 0, 0);
    }

    void Update() override
    {
        KpBoard_Game3* board = gGameBoard3;
        if (!board)
            return;
        if (board->IsLevelActive() && !mStarted)
        {
            mStarted = true;
            if (EnvInt("LEVELRUN_UPGRADES", 0))
                for (int i = 0; i < GetUpgradeInfoCount(); i++)
                {
                    const KpUpgradeInfo& info = GetUpgradeInfo(i);
                    mUpgrades[i].object = info.object;
                    mUpgrades[i].name = info.name;
                    mUpgrades[i].kind = info.kind;
                    board->ApplyUpgrade(&mUpgrades[i], true);
                }
            Report(Lumo::StrFormat("started level=%d endless=%d tables=%d", board->GetLevel(),
                                   (int)board->IsEndless(),
                                   (int)board->GetPlay().GetTables().size()));
        }
        if (!mStarted && !board->IsLoading() && mRequested && !board->IsLevelActive() &&
            !mFailedReported)
        {
            mFailedReported = true;
            Report("load failed");
        }
        if (!mStarted)
            return;
        // The level runs at once: its briefing is closed as "start" would.
        if (board->mBriefing && board->mBriefing->mVisible && !board->mBriefing->IsEffectRunning())
            board->mBriefing->Hide();
        KpCafePlay& play = board->GetPlay();
        // Clients come and go (a new one may take a gone one's address): the set
        // holds only those waiting now.
        std::set<KpClient*> waiting;
        for (KpClient* client : play.GetClients())
            if (client->GetState() == kClientWaiting)
            {
                waiting.insert(client);
                if (!mWaiting.count(client))
                    Report(Lumo::StrFormat("waiting %d %d", (int)client->HeadX(),
                                           (int)client->HeadY()));
            }
        mWaiting.swap(waiting);
        for (KpCafeTable* table : play.GetTables())
        {
            bool dirty = table->IsDirty();
            if (dirty && !mDirty.count(table))
                Report(Lumo::StrFormat("dirty %d %d", (int)table->mX, (int)table->mY));
            if (dirty)
                mDirty.insert(table);
            else
                mDirty.erase(table);
        }
        std::string state = Lumo::StrFormat(
            "money=%d lives=%d served=%d cleaned=%d goals=%d,%d,%d,%d,%d", play.GetMoney(),
            play.GetLives(), play.GetServed(), play.GetCleaned(), gTaskGoals.GetRemaining(0),
            gTaskGoals.GetRemaining(1), gTaskGoals.GetRemaining(2), gTaskGoals.GetRemaining(3),
            gTaskGoals.GetRemaining(4));
        if (state != mState)
        {
            mState = state;
            Report(state);
        }
        if (gTutorial.GetShownStep() != mTip)
        {
            mTip = gTutorial.GetShownStep();
            Report(Lumo::StrFormat("tutorial tip=%d", mTip));
        }
        if (board->IsLevelOver() && !mOverReported && board->IsLevelActive())
        {
            mOverReported = true;
            Report(Lumo::StrFormat("over failed=%d", (int)board->mFailed));
            if (EnvInt("LEVELRUN_NORMAL_AFTER_OVER", 0))
                KpSetFrameTimeOverride(0);
        }
        if (board->GetShownDebriefing() != mDebriefing || board->GetLastRecordPlace() != mPlace)
        {
            mDebriefing = board->GetShownDebriefing();
            mPlace = board->GetLastRecordPlace();
            Report(Lumo::StrFormat("result kind=%d debriefing=%d place=%d",
                                   board->GetLastResultKind(), mDebriefing, mPlace));
        }
        if (mAutoplay && board->IsRunning() && !board->IsLevelOver())
            Autoplay(board);
    }

    bool mRequested = false;

private:
    void Autoplay(KpBoard_Game3* board)
    {
        if (++mTick % 45 == 0)
            QuickWaiterMove(board);
    }

    bool mAutoplay;
    bool mStarted = false, mFailedReported = false, mOverReported = false;
    int mDebriefing = 0, mPlace = 14;
    int mTick = 0;
    int mTip = -1;
    std::string mState;
    std::set<KpClient*> mWaiting;
    std::set<KpCafeTable*> mDirty;
    KpUpgradeOffer mUpgrades[8];
};

class LevelRunApp : public KpEngine3
{
public:
    ~LevelRunApp() override
    {
        WaitForLoadingThread();
        if (mProbe && mWidgetManager)
            mWidgetManager->RemoveWidget(mProbe);
        delete mProbe;
    }

    void InitApp() override
    {
        KpEngine3::InitApp();
        gDevOptions.mNoComix = EnvInt("LEVELRUN_COMIX", 0) == 0;
        if (const char* profile = getenv("LEVELRUN_PROFILE"))
        {
            gProfileFile.SetPath(profile);
            gProfileFile.Read();
        }
    }

    void LoadingCompleted() override
    {
        KpEngine3::LoadingCompleted();
        mProbe = new Probe(EnvInt("LEVELRUN_AUTOPLAY", 0) != 0);
        mWidgetManager->AddWidget(mProbe);
        SeedRandom((unsigned)EnvInt("LEVELRUN_SEED", 1));
        Report(Lumo::StrFormat("ready 3D=%d", (int)Is3DAccelerated()));
        if (gGameBoard3)
        {
            mWidgetManager->BringToFront(gGameBoard3);
            mProbe->mRequested = gGameBoard3->StartLevelLoading(EnvInt("LEVELRUN_LEVEL", 1),
                                                                EnvInt("LEVELRUN_ENDLESS", 0) != 0);
        }
    }

    // No menus: the level is the only screen.
    void ShowFirstScreen() override {}

    bool DrawDirtyStuff() override
    {
        bool presented = KpEngine3::DrawDirtyStuff();
        if (presented)
            mPresentedAll++;
        int every = EnvInt("LEVELRUN_CHECK_REDRAW", 0);
        if (presented && every > 0 && gGameBoard3 && gGameBoard3->IsLevelActive() &&
            ++mPresented % every == 0)
            CheckRedraw();
        DWORD now = GetTickCount();
        if (now - mLastPresentsReport >= 1000 && EnvInt("LEVELRUN_REPORT_PRESENTS", 0))
        {
            mLastPresentsReport = now;
            Report(Lumo::StrFormat("presents %d", mPresentedAll));
            Report(Lumo::StrFormat("updates %d", mUpdateCount));
        }
        return presented;
    }

    // The screen as the display holds it; empty when it cannot be read.
    std::vector<uint32_t> ReadScreen()
    {
        int height = 0;
        return GameTest::ReadDrawSurface(mWidgetManager->mImage, mDDInterface, &mScreenWidth,
                                         &height);
    }

    // The picture drawn change by change, beside the same screen drawn whole.
    void CheckRedraw()
    {
        std::vector<uint32_t> drawn = ReadScreen();
        if (drawn.empty())
            return;
        mWidgetManager->SetAllDirty();
        mWidgetManager->DrawScreen(mWidgetManager->mApp);
        std::vector<uint32_t> whole = ReadScreen();
        if (whole.size() != drawn.size())
            return;
        int differing = 0, first = -1;
        int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
        for (size_t i = 0; i < drawn.size(); i++)
            if (drawn[i] != whole[i])
            {
                if (differing++ == 0)
                    first = (int)i;
                int x = (int)i % mScreenWidth, y = (int)i / mScreenWidth;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        mChecks++;
        if (differing == 0)
            Report(Lumo::StrFormat("redraw same %d", mChecks));
        else
            Report(Lumo::StrFormat("redraw differs %d %d %d %06x %06x in %d,%d-%d,%d", differing,
                                   first % mScreenWidth, first / mScreenWidth, drawn[first],
                                   whole[first], left, top, right, bottom));
        Redraw(nullptr);
    }

    Probe* mProbe = nullptr;
    int mPresented = 0, mChecks = 0;
    int mPresentedAll = 0;
    DWORD mLastPresentsReport = 0;
    int mScreenWidth = 0;
};
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return KpRunProcess(instance,
                        []() -> Lumo::LumoAppBase*
                        {
                            if (int frameMs = EnvInt("LEVELRUN_FRAME_MS", 0))
                                KpSetFrameTimeOverride(frameMs);
                            return new LevelRunApp();
                        });
}
