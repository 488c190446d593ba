// The whole game (splash, menus, comics, levels) with a check of what reaches
// the screen: the picture read back from the X screen, as the game presented
// it change by change, beside the same moment drawn whole and presented
// whole. The game's clock does not move between the two reads, so any
// difference is a change that was drawn or presented short. It reports on the
// debugger output, one line each:
//   "ScreenWalk: ready 3D=<0|1> windowed=<0|1>"
//   "ScreenWalk: comic <name> episode <n>"   an episode of a comic is on view
//   "ScreenWalk: page turn to <action> on the screen"   the first frame of a
//       page turn of the main menu reached the screen
//   "ScreenWalk: comic fade-in <n> frames, hud on view in <k>, result box in <r>"
//       a comic came in; of its frames, those the HUD and those a day's
//       result box (either debriefing) was on view in
//   "ScreenWalk: hud shows '<text>' on level <l>, not '<text>'"   a presented
//       frame held a day figure of the HUD (day, goal money, survival's day)
//       that is not the running level's
//   "ScreenWalk: check <n> same strip <k>/<m>"
//   "ScreenWalk: check <n> differs <count> at <x>,<y> <drawn> <whole> in <box> strip <k>/<m>"
//       (hex colours of the first differing pixel, the box of all; strip: the
//       strip's parts seen in their own colour on the screen, while it is on
//       the scene)
// A check runs when the named event "ScreenWalk.Check.<process id>" is set,
// and every SCREENWALK_EVERY-th presented frame (0: never) once the splash
// is gone. While a level
// runs, a strip of 12 small squares (more parts than a scene item usually
// has) stands on its floor, changing colours and moving its last part. With
// SCREENWALK_OUT set, a differing check saves both pictures there.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "framework/app/StringUtils.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpProcessMain.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpLevelData.h"
#include "game/scene/KpItem.h"
#include "game/scene/KpItemList.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpScreenTable.h"
#include "game/ui/KpText.h"
#include "tests/game/engine/ScreenPixels.h"

namespace
{
void Report(const std::string& line)
{
    OutputDebugStringA(("ScreenWalk: " + line + "\n").c_str());
}

int EnvInt(const char* name, int fallback)
{
    const char* value = getenv(name);
    return value && *value ? atoi(value) : fallback;
}

// Twelve 8 x 8 squares in a row on the cafe's floor, drawn above everything
// of the scene; every 250 ms of game time one of them takes a new colour and
// the last one steps 3 px to the side and back.
class Strip : public KpItem
{
public:
    static const int kParts = 12, kSize = 8, kLeft = 600, kTop = 740;

    Strip() { mZ = 1 << 20; }
    int GetPartCount() const override { return kParts; }
    Lumo::Rect GetPartRect(int part) const override
    {
        return Lumo::Rect(PartX(part), kTop, kSize, kSize);
    }
    void DrawPart(Lumo::Graphics* g, int part) override
    {
        uint32_t c = Colour(part);
        g->SetColor(int(c >> 16), int(c >> 8 & 255), int(c & 255));
        g->FillRect(PartX(part), kTop, kSize, kSize);
    }
    void Update(int ms) override
    {
        for (mMs += ms; mMs >= 250; mMs -= 250)
        {
            mStep++;
            MarkChanged();
        }
    }
    int PartX(int part) const
    {
        return kLeft + part * (kSize + 4) + (part == kParts - 1 && mStep % 2 ? 3 : 0);
    }
    // Part p takes the next colour of the palette once every 12 steps.
    uint32_t Colour(int part) const
    {
        static const uint32_t palette[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF};
        return palette[(part + (mStep + kParts - 1 - part) / kParts) % 5];
    }

private:
    int mMs = 0, mStep = 0;
};

const char* const kStripName = "screenwalk_strip";

class ScreenWalkApp : public KpEngine3
{
public:
    ~ScreenWalkApp() override
    {
        if (mCheckEvent)
            CloseHandle(mCheckEvent);
    }

    void InitApp() override
    {
        KpEngine3::InitApp();
        std::string name = Lumo::StrFormat("ScreenWalk.Check.%lu", GetCurrentProcessId());
        mCheckEvent = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
        mEvery = EnvInt("SCREENWALK_EVERY", 0);
    }

    void LoadingCompleted() override
    {
        KpEngine3::LoadingCompleted();
        Report(
            Lumo::StrFormat("ready 3D=%d windowed=%d", (int)Is3DAccelerated(), (int)mIsWindowed));
    }

    void UpdateOnce() override
    {
        KpEngine3::UpdateOnce();
        KpBoard_Game3* board = gGameBoard3;
        if (board && board->IsLevelActive() && !gItemList.Find(kStripName))
        {
            Strip* strip = new Strip();
            strip->mName = kStripName;
            gItemList.Add(strip);
        }
        KpComix* comix = board ? dynamic_cast<KpComix*>(board->mComix) : nullptr;
        int episode = comix && comix->mVisible ? comix->GetEpisodeIndex() : -1;
        if (episode != mEpisode)
        {
            mEpisode = episode;
            if (episode >= 0)
                Report(
                    Lumo::StrFormat("comic %s episode %d", comix->GetComixName().c_str(), episode));
        }
    }

    bool DrawDirtyStuff() override
    {
        bool presented = KpEngine3::DrawDirtyStuff();
        if (presented)
            CheckDayStart();
        // Not over the splash: its fade-in is known to come out a step of
        // rounding apart from the same moment drawn again, and is left out.
        Lumo::Widget* splash = gEngine3Boards[kBoardSplash];
        if (presented && mEvery > 0 && ++mPresented % mEvery == 0 && !(splash && splash->mVisible))
            mPending = true;
        if (mCheckEvent && WaitForSingleObject(mCheckEvent, 0) == WAIT_OBJECT_0)
            mPending = true;
        // A test may hold the game at this line and read what the turn starts with.
        KpBoard_MainMenu* menu = GetMainMenu();
        if (!menu || !menu->IsTurning())
            mTurnShown = false;
        else if (!mTurnShown && presented && mUnpresented.IsEmpty() && !mDrawing &&
                 mWidgetManager && mWidgetManager->mImage)
        {
            mTurnShown = true;
            GrabSettled();
            Report(Lumo::StrFormat("page turn to %d on the screen", menu->turnAction));
        }
        // Only once all that was drawn went to the screen (a draw may wait
        // for its present while loading), and not while a question box stands
        // over a comic: the comic's turned pictures, drawn again only where
        // the box changed, come out a step of rounding apart from the same
        // moment drawn whole (the software road); the check waits until the
        // box has gone.
        if (mPending && mUnpresented.IsEmpty() && !mDrawing && mWidgetManager &&
            mWidgetManager->mImage && !IsBoxOverComic())
        {
            mPending = false;
            Check();
        }
        return presented;
    }

private:
    static bool IsBoxOverComic()
    {
        KpBoard_Game3* board = gGameBoard3;
        if (!board || !board->mComix || !board->mComix->mVisible)
            return false;
        for (KpCandyWidget* box : std::initializer_list<KpCandyWidget*>{gConfirm2, gConfirm1})
            if (box && box->mVisible)
                return true;
        return false;
    }

    // What a presented frame showed of a day's start: the frames a comic
    // came in over, and of them those the HUD or a result box was on view in;
    // and, on every frame, that each day figure of the HUD on view is the
    // running level's.
    void CheckDayStart()
    {
        KpBoard_Game3* board = gGameBoard3;
        KpCandyWidget* hud = board ? dynamic_cast<KpCandyWidget*>(board->mHud) : nullptr;
        bool hudOnView = hud && hud->IsVisibleInTree();
        bool resultOnView = false;
        if (board)
            for (KpCandyWidget* box : {board->mDebriefingSuccess, board->mDebriefingFail})
                resultOnView = resultOnView || (box && box->IsVisibleInTree());
        KpComix* comix = board ? dynamic_cast<KpComix*>(board->mComix) : nullptr;
        if (comix && comix->mVisible && comix->GetAlpha() < 1.0f)
        {
            mFadeFrames++;
            mFadeHudFrames += hudOnView ? 1 : 0;
            mFadeResultFrames += resultOnView ? 1 : 0;
        }
        else if (mFadeFrames > 0)
        {
            Report(Lumo::StrFormat("comic fade-in %d frames, hud on view in %d, result box in %d",
                                   mFadeFrames, mFadeHudFrames, mFadeResultFrames));
            mFadeFrames = mFadeHudFrames = mFadeResultFrames = 0;
        }
        const KpLevelData* level = board ? board->GetLevelData() : nullptr;
        if (!hudOnView || !level || !board->IsLevelActive())
            return;
        struct Figure
        {
            const char* panel;
            const char* label;
            const wchar_t* variable;
            int value;
        };
        const Figure figures[] = {
            {"left_part", "day", L"{currentday}", LevelDay(level->number)},
            {"right_part", "goal_value", L"{goal_money}", level->goalMoney},
            {"left_survival_part", "day", L"{survival_day}", board->GetPlay().GetDay()},
        };
        for (const Figure& figure : figures)
        {
            KpCandyWidget* panel = hud->FindChild(figure.panel);
            KpText* text = panel ? dynamic_cast<KpText*>(panel->FindChild(figure.label)) : nullptr;
            if (!text || !text->IsVisibleInTree())
                continue;
            std::wstring wanted = text->GetText();
            size_t at = wanted.find(figure.variable);
            if (at != std::wstring::npos)
                wanted.replace(at, wcslen(figure.variable), std::to_wstring(figure.value));
            std::string shown = Lumo::WStringToString(text->GetShownText());
            if (shown != Lumo::WStringToString(wanted) &&
                mWrongFigures.insert(std::to_string(level->number) + shown).second)
                Report(Lumo::StrFormat("hud shows '%s' on level %d, not '%s'", shown.c_str(),
                                       level->number, Lumo::WStringToString(wanted).c_str()));
        }
    }

    // The draw surface as the display holds it; empty when it cannot be read
    // or is not the game's size.
    std::vector<uint32_t> ReadSurface()
    {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels =
            GameTest::ReadDrawSurface(mWidgetManager->mImage, mDDInterface, &width, &height);
        if (width != mWidth || height != mHeight)
            pixels.clear();
        return pixels;
    }

    // The window's client area as the X screen shows it.
    std::vector<uint32_t> Grab() { return GameTest::GrabClient(mHWnd, mWidth, mHeight); }

    // The X server shows a present a while after the display made it, longer
    // on a busy machine: read until the screen holds what the draw surface
    // holds (but for the software cursor, drawn on the way to the screen),
    // or, when it does not, until it has stayed the same for 300 ms. Nothing
    // of the game moves meanwhile.
    std::vector<uint32_t> GrabSettled()
    {
        std::vector<uint32_t> surface = ReadSurface(), last = Grab(), now;
        RECT cursor = {};
        if (mDDInterface && mDDInterface->mCursorImage)
            cursor = {mDDInterface->mCursorX - 64, mDDInterface->mCursorY - 64,
                      mDDInterface->mCursorX + 64, mDDInterface->mCursorY + 64};
        auto shown = [&](const std::vector<uint32_t>& screen)
        {
            if (surface.size() != screen.size())
                return false;
            for (size_t i = 0; i < screen.size(); i++)
                if (screen[i] != surface[i])
                {
                    POINT p = {LONG(i % mWidth), LONG(i / mWidth)};
                    if (!PtInRect(&cursor, p))
                        return false;
                }
            return true;
        };
        DWORD stableSince = GetTickCount();
        for (int tries = 0; tries < 500 && !shown(last); tries++)
        {
            Sleep(10);
            now = Grab();
            if (now != last)
                stableSince = GetTickCount();
            else if (GetTickCount() - stableSince >= 300)
                break;
            last.swap(now);
        }
        return last;
    }

    void Save(const std::vector<uint32_t>& pixels, const std::string& name)
    {
        const char* folder = getenv("SCREENWALK_OUT");
        if (!folder || !*folder)
            return;
        CreateDirectoryA(folder, nullptr);
        Lumo::MemoryImage image;
        image.Create(mWidth, mHeight);
        uint32_t* out = image.GetPixels();
        for (size_t i = 0; i < pixels.size(); i++)
            out[i] = pixels[i] | 0xFF000000;
        image.PixelsChanged();
        ImageLib::WritePNGImage(std::string(folder) + "/" + name + ".png", &image);
    }

    void Check()
    {
        std::string pending;
        if (!mWidgetManager->mDirtyRegion.IsEmpty())
        {
            Lumo::Rect b = mWidgetManager->mDirtyRegion.GetBounds();
            pending = Lumo::StrFormat(" pending %d,%d %dx%d", b.mX, b.mY, b.mWidth, b.mHeight);
        }
        std::vector<uint32_t> drawn = GrabSettled();
        // The strip's parts as the screen shows them, while it is on the scene.
        std::string strip;
        if (const Strip* s = dynamic_cast<const Strip*>(gItemList.Find(kStripName)))
            if (s->mVisible && gGameBoard3 && gGameBoard3->mVisible)
            {
                int seen = 0;
                for (int p = 0; p < Strip::kParts; p++)
                {
                    int x = s->PartX(p) + Strip::kSize / 2, y = Strip::kTop + Strip::kSize / 2;
                    // Within a step of rounding of the wanted colour.
                    uint32_t shown = drawn[size_t(y) * mWidth + x], wanted = s->Colour(p);
                    bool alike = true;
                    for (int shift = 0; shift < 24; shift += 8)
                        alike = alike &&
                                abs(int(shown >> shift & 255) - int(wanted >> shift & 255)) <= 8;
                    seen += alike ? 1 : 0;
                }
                strip = Lumo::StrFormat(" strip %d/%d", seen, Strip::kParts);
            }

        mWidgetManager->SetAllDirty();
        mDrawing = true;
        mWidgetManager->DrawScreen(mWidgetManager->mApp);
        mDrawing = false;
        Redraw(nullptr);
        mUnpresented.Clear();
        std::vector<uint32_t> whole = GrabSettled();

        int differing = 0, first = -1;
        int left = mWidth, top = mHeight, right = -1, bottom = -1;
        for (size_t i = 0; i < drawn.size(); i++)
            if (drawn[i] != whole[i])
            {
                if (differing++ == 0)
                    first = int(i);
                int x = int(i) % mWidth, y = int(i) / mWidth;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        mChecks++;
        if (differing == 0)
        {
            Report(Lumo::StrFormat("check %d same%s", mChecks, strip.c_str()));
            return;
        }
        Report(Lumo::StrFormat("check %d differs %d at %d,%d %06x %06x in %d,%d-%d,%d%s", mChecks,
                               differing, first % mWidth, first / mWidth, drawn[first],
                               whole[first], left, top, right, bottom, (strip + pending).c_str()));
        Save(drawn, Lumo::StrFormat("check%03d-drawn", mChecks));
        Save(whole, Lumo::StrFormat("check%03d-whole", mChecks));
    }

    HANDLE mCheckEvent = nullptr;
    int mEvery = 0, mPresented = 0, mChecks = 0;
    int mEpisode = -1;
    bool mPending = false;
    bool mTurnShown = false; // the running page turn's first frame was reported
    int mFadeFrames = 0, mFadeHudFrames = 0, mFadeResultFrames = 0;
    std::set<std::string> mWrongFigures; // each reported once
};
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return KpRunProcess(instance, []() -> Lumo::LumoAppBase* { return new ScreenWalkApp(); });
}
