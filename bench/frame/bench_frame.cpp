// The game's engine timing full redraws: every widget of the main menu drawn
// into the back buffer, then the same with the present, then a running level
// (day 1, its briefing closed) with the cafe and the HUD, each the best of
// many runs and beside a memcpy of one 1024 x 768 x 32 frame in the same run.
// Then a busy day (level 20, served and cleaned by the bench as LevelRun's
// autoplay does) drawn as the game draws it, only what changed: the average
// of its drawn frames, the drawing alone and with the present.
// Prints "RESULT <2D|3D> <what> <milliseconds> <multiple of the memcpy>" lines
// and ends. The road (2D or 3D) is the game's own choice ("Is3D" in its
// registry key, which run.sh sets); the profile file is a temporary one.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/common/BenchTimer.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/Profiler.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpProcessMain.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpScreenTable.h"
#include "tests/game/gameplay/levelrun/QuickWaiter.h"

namespace
{
const int kRuns = 30;

void Report(const std::string& line)
{
    printf("%s\n", line.c_str());
    fflush(stdout);
    OutputDebugStringA((line + "\n").c_str());
}

class BenchApp : public KpEngine3
{
public:
    void InitApp() override
    {
        KpEngine3::InitApp();
        char temp[MAX_PATH] = {0};
        GetTempPathA(MAX_PATH, temp);
        mProfilePath = std::string(temp) + "bench_frame_pref.dat";
        DeleteFileA(mProfilePath.c_str());
        gProfileFile.SetPath(mProfilePath);
        gProfileFile.Read();
        gProfileFile.NewProfile(L"Bench", nullptr, nullptr);
    }

    bool StepApp(bool& updated) override
    {
        bool on = KpEngine3::StepApp(updated);
        if (on && mLoadingCompleted && updated)
            Tick();
        return on;
    }

private:
    void Tick()
    {
        mSteps++;
        KpBoard_Game3* board = gGameBoard3;
        switch (mState)
        {
        case 0: // the menu settles (its show effects end)
            if (mSteps < 150)
                return;
            mMemcpy = MemcpyFrame();
            Measure("menu");
            if (KpCandyWidget* menu = GetScreen(kBoardMainMenu))
                menu->SetVisible(false);
            if (!board || !board->StartLevelLoading(1, false))
            {
                Report("RESULT level not started");
                LumoAppBase::Shutdown();
                return;
            }
            mWidgetManager->BringToFront(board);
            mState = 1;
            mSteps = 0;
            return;
        case 1: // the level loads; its briefing is closed and the day runs a while
            if (!board->IsLevelActive())
                return;
            if (board->mBriefing && board->mBriefing->mVisible)
                board->mBriefing->Hide();
            if (mSteps < 300)
                return;
            Measure("level");
            if (!board->StartLevelLoading(20, false))
            {
                Report("RESULT busy level not started");
                LumoAppBase::Shutdown();
                return;
            }
            mState = 2;
            mSteps = 0;
            return;
        case 2: // the busy day runs a while, then its frames are counted
            if (!board->IsLevelActive())
                return;
            // Closed once, as its button would: a hide in progress is left to end.
            if (board->mBriefing && board->mBriefing->mVisible &&
                !board->mBriefing->IsEffectRunning())
                board->mBriefing->Hide();
            Autoplay(board);
            if (mSteps == 500)
            {
                mFramesDrawn = 0;
                Lumo::ProfileStart(false);
            }
            if (mSteps < 1500)
                return;
            Lumo::ProfileStop();
            MeasureBusy();
            DeleteFileA(mProfilePath.c_str());
            LumoAppBase::Shutdown();
            mState = 3;
            return;
        }
    }

    bool DrawDirtyStuff() override
    {
        bool presented = KpEngine3::DrawDirtyStuff();
        if (presented)
            mFramesDrawn++;
        return presented;
    }

    // A quick waiter, as LevelRun's autoplay.
    void Autoplay(KpBoard_Game3* board)
    {
        if (mSteps % 45 == 0 && board->IsRunning() && !board->IsLevelOver())
            QuickWaiterMove(board);
    }

    void MeasureBusy()
    {
        const char* road = Is3DAccelerated() ? "3D" : "2D";
        double draw = 0.0, frame = 0.0;
        for (const Lumo::ProfileZoneStats& zone : Lumo::GetProfileZones())
        {
            if (zone.name == "WidgetManager::DrawScreen")
                draw = zone.totalMs;
            else if (zone.name == "LumoAppBase::DrawDirtyStuff")
                frame = zone.totalMs;
        }
        int frames = mFramesDrawn > 0 ? mFramesDrawn : 1;
        draw /= frames;
        frame /= frames;
        Report(
            Lumo::StrFormat("RESULT %s busy_draw %.3f %.1f", road, draw, draw / 1000.0 / mMemcpy));
        Report(Lumo::StrFormat("RESULT %s busy_frame %.3f %.1f", road, frame,
                               frame / 1000.0 / mMemcpy));
    }

    double MemcpyFrame()
    {
        std::vector<uint32_t> from(1024 * 768, 0x11223344), to(1024 * 768);
        return BenchTimer::Best([&] { memcpy(to.data(), from.data(), from.size() * 4); }, 0.2, 100);
    }

    void Measure(const char* what)
    {
        const char* road = Is3DAccelerated() ? "3D" : "2D";
        double draw = BenchTimer::Best(
            [&]
            {
                mWidgetManager->SetAllDirty();
                mWidgetManager->DrawScreen(this);
            },
            0.5, kRuns);
        double frame = BenchTimer::Best(
            [&]
            {
                mWidgetManager->SetAllDirty();
                mWidgetManager->DrawScreen(this);
                Redraw(nullptr);
            },
            0.5, kRuns);
        Report(Lumo::StrFormat("RESULT %s %s_draw %.3f %.1f", road, what, draw * 1000.0,
                               draw / mMemcpy));
        Report(Lumo::StrFormat("RESULT %s %s_frame %.3f %.1f", road, what, frame * 1000.0,
                               frame / mMemcpy));
        Report(Lumo::StrFormat("RESULT %s memcpy %.3f 1.0", road, mMemcpy * 1000.0));
    }

    int mState = 0;
    int mSteps = 0;
    int mFramesDrawn = 0;
    double mMemcpy = 1.0;
    std::string mProfilePath;
};
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return KpRunProcess(instance, []() -> Lumo::LumoAppBase* { return new BenchApp(); });
}
