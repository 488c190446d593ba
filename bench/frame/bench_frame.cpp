// The game's engine timing full redraws: every widget of the main menu drawn
// into the back buffer, then the same with the present, then a running level
// (day 1, its briefing closed) with the cafe and the HUD, each the best of
// many runs and beside a memcpy of one 1024 x 768 x 32 frame in the same run.
// Prints "RESULT <2D|3D> <what> <milliseconds> <multiple of the memcpy>" lines
// and ends. The road (2D or 3D) is the game's own choice ("Is3D" in its
// registry key, which run.sh sets); the profile file is a temporary one.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/common/BenchTimer.h"
#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpProcessMain.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpScreenTable.h"

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
            DeleteFileA(mProfilePath.c_str());
            LumoAppBase::Shutdown();
            mState = 2;
            return;
        }
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
    double mMemcpy = 1.0;
    std::string mProfilePath;
};
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return KpRunProcess(instance, []() -> Lumo::LumoAppBase* { return new BenchApp(); });
}
