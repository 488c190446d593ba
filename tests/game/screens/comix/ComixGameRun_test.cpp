// The comics in the real game, run in this process by its own main-loop
// steps on the exact 1024 x 768 screen, in 2D and in 3D full screen: level 1
// opens with its comic over the paused board, real clicks posted to the
// window skip an episode and the button ends it (the board resumes, the cafe
// music starts); a closing comic leads on to the next level, and a comic that
// does not exist hands back at once; left alone, the opening comic holds each
// text as long as a slow reader needs. Four updates run per 10 ms. The back
// buffer is read between steps and checked at chosen points of two episodes,
// the masked reveal among them, each also against the panel drawn whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "framework/app/PakInterface.h"
#include "framework/app/StringUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/DDInterfaceLock.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpXml.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_Briefing.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpComixEpisode.h"
#include "game/screens/KpComixObject.h"
#include "game/screens/KpScreenTable.h"
#include "tests/game/engine/InProcessGame.h"
#include "tests/support/TempFolder.h"

using namespace Lumo;

namespace
{

// A left click as the window receives it.
void Click(HWND window, int x, int y)
{
    LPARAM at = MAKELPARAM(x, y);
    PostMessageA(window, WM_MOUSEMOVE, 0, at);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
}

int Red(uint32_t rgb)
{
    return (rgb >> 16) & 0xFF;
}
int Green(uint32_t rgb)
{
    return (rgb >> 8) & 0xFF;
}
int Blue(uint32_t rgb)
{
    return rgb & 0xFF;
}

// A pixel of the back buffer, printed as it is when a check fails.
struct Pixel
{
    uint32_t rgb;
    int x, y;
};
std::ostream& operator<<(std::ostream& out, const Pixel& p)
{
    char text[48];
    snprintf(text, sizeof(text), "%06X at %d,%d", p.rgb, p.x, p.y);
    return out << text;
}
Pixel At(const std::vector<uint32_t>& pixels, int x, int y)
{
    return {pixels[y * 1024 + x], x, y};
}
bool IsSky(Pixel p)
{
    return Blue(p.rgb) > Red(p.rgb) + 30;
}
bool IsWarm(Pixel p) // caramel and wood: red well above blue
{
    return Red(p.rgb) > Blue(p.rgb) + 50;
}
bool IsCream(Pixel p) // paper, aprons, bubbles
{
    return Red(p.rgb) > 220 && Green(p.rgb) > 205 && Blue(p.rgb) > 180;
}
bool IsButter(Pixel p)
{
    return Red(p.rgb) > 200 && Green(p.rgb) > 150 && Blue(p.rgb) < 130;
}

class ComixGameRun : public InProcessGameTest
{
protected:
    // Starts the game from its own folder, with its archives, and runs it until loaded.
    void StartGame()
    {
        ASSERT_NO_FATAL_FAILURE(LaunchGame());
        // Four updates for every 10 ms: the comics' seconds pass quickly.
        mGame->mUpdateMultiplier = 4.0;
        ASSERT_NO_FATAL_FAILURE(WaitForLoading());
        ASSERT_NE(nullptr, gGameBoard3);
        mComix = dynamic_cast<KpComix*>(gGameBoard3->mComix);
        ASSERT_NE(nullptr, mComix);
        // A player with a profile, the menus put away: levels start from the
        // career book, which the debriefings hand the career back to.
        ASSERT_TRUE(gProfileFile.NewProfile(L"Comix", nullptr, nullptr));
        for (int entry = kBoardMenuBackground; entry <= kBoardLoadScreen; entry++)
            SetScreenVisible((KpEngineBoard)entry, false);
        if (gBgDialog)
            gBgDialog->SetVisible(false);
        ASSERT_NE(nullptr, GetCareerBook());
    }

    // What the career book's play button does for a level.
    void StartCareerLevel(int level) { GetCareerBook()->StartLevel(level); }

    // The briefing that follows an opening comic (or opens a level without
    // one) holds the board until its start button is pressed.
    void PressBriefingStart()
    {
        auto* briefing = dynamic_cast<KpBoard_Briefing*>(gGameBoard3->mBriefing);
        ASSERT_NE(nullptr, briefing);
        ASSERT_TRUE(StepUntil(
            *mGame, [&] { return briefing->mVisible && !briefing->IsEffectRunning(); }, 5000));
        EXPECT_EQ(1, gGameBoard3->GetPauseCount());
        briefing->OnButton(briefing->startButton);
        ASSERT_TRUE(StepUntil(
            *mGame, [&] { return gGameBoard3->GetPauseCount() == 0; }, 5000));
    }

    // Runs until the comic's clock has passed `seconds` and holds it there
    // (the comic's own pause), then lets two frames draw.
    void HoldAt(float seconds)
    {
        ASSERT_TRUE(StepUntil(
            *mGame, [&] { return mComix->GetClock() >= seconds; }, 20000))
            << mComix->GetClock();
        mComix->SetPaused(true);
        Redraw();
    }

    // Only what the game itself asked to repaint is drawn: a comic that
    // forgot to ask would show an old picture here.
    void Redraw()
    {
        int draws = mGame->mDrawCount;
        ASSERT_TRUE(StepUntil(
            *mGame, [&] { return mGame->mDrawCount >= draws + 2; }, 5000));
    }

    // The back buffer as 0xRRGGBB pixels; written to LUMO_COMIX_SHOTS as a PNG when set.
    std::vector<uint32_t> BackBuffer(const char* shotName)
    {
        DDInterface* display = mGame->mDDInterface;
        AutoCrit lock(display->mCritSect);
        IDirectDrawSurface* surface = display->GetScreenImage()->mSurface;
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        std::vector<uint32_t> pixels;
        if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
            return pixels;
        EXPECT_EQ(32u, desc.ddpfPixelFormat.dwRGBBitCount);
        pixels.resize(1024 * 768);
        for (int y = 0; y < 768; y++)
            for (int x = 0; x < 1024; x++)
                pixels[y * 1024 + x] =
                    ((const uint32_t*)((const uint8_t*)desc.lpSurface + y * desc.lPitch))[x] &
                    0xFFFFFF;
        surface->Unlock(nullptr);
        if (const char* folder = getenv("LUMO_COMIX_SHOTS"))
        {
            MemoryImage shot(nullptr);
            std::vector<uint32_t> opaque(pixels);
            for (uint32_t& p : opaque)
                p |= 0xFF000000;
            shot.SetPixels(opaque.data(), 1024, 768, false);
            ImageLib::WritePNGImage(std::string(folder) + "\\" + shotName +
                                        (GetParam() ? "_3d.png" : "_2d.png"),
                                    &shot);
        }
        return pixels;
    }

    // A panel as the game drew it, change by change, which must be the
    // panel drawn whole: a repaint that missed or overran an area, or a
    // picture drawn differently when a clip cuts it, shows here.
    std::vector<uint32_t> Panel(const char* shotName)
    {
        std::vector<uint32_t> drawn = BackBuffer(shotName);
        mGame->mWidgetManager->SetAllDirty();
        Redraw();
        std::vector<uint32_t> whole = BackBuffer("whole");
        EXPECT_EQ(drawn.size(), whole.size());
        for (size_t i = 0; i < drawn.size() && i < whole.size(); i++)
            if (drawn[i] != whole[i])
            {
                ADD_FAILURE() << shotName << ": drawn " << At(drawn, i % 1024, i / 1024)
                              << ", whole " << At(whole, i % 1024, i / 1024);
                break;
            }
        return drawn;
    }

    KpComix* mComix = nullptr;
};

} // namespace

TEST_P(ComixGameRun, OpeningComicPlaysOverThePausedLevelAndHandsBackToIt)
{
    ASSERT_NO_FATAL_FAILURE(StartGame());
    KpEngine3& game = *mGame;
    KpBoard_Game3& board = *gGameBoard3;

    // Level 1 names its opening comic: it plays before anything of the level.
    StartCareerLevel(1);
    ASSERT_TRUE(StepUntil(
        game, [&] { return board.IsLevelActive(); }, 30000));
    EXPECT_EQ("intro_cafe1", board.mOnStartComix);
    EXPECT_TRUE(board.IsCutSceneShown());
    EXPECT_EQ("intro_cafe1", mComix->GetComixName());
    EXPECT_EQ(1, board.GetPauseCount());
    EXPECT_EQ(nullptr, GetEngineMusic()->GetCurrent()); // the music stopped for it
    ASSERT_GE(mComix->GetEpisodes().size(), 3u);

    // Episode 1, the street: the sun up, Zorka arrived, the sign lettered in gold.
    ASSERT_NO_FATAL_FAILURE(HoldAt(3.0f));
    EXPECT_EQ(0, mComix->GetEpisodeIndex());
    std::vector<uint32_t> street = Panel("intro_street");
    ASSERT_EQ(1024u * 768u, street.size());
    EXPECT_PRED1(IsSky, At(street, 40, 120));
    EXPECT_PRED1(IsWarm, At(street, 250, 300));  // the awning in the first cafe's caramel
    EXPECT_PRED1(IsCream, At(street, 424, 520)); // Zorka's apron
    // The sign's lettering, coloured by its gold mask (the board itself is mocha).
    int gold = 0;
    for (int y = 192; y < 232; y++)
        for (int x = 330; x < 690; x++)
            gold += IsButter(At(street, x, y));
    EXPECT_GT(gold, 300);
    mComix->SetPaused(false);

    // A real click anywhere but on the button skips to the next episode.
    Click(game.mHWnd, 500, 600);
    ASSERT_TRUE(StepUntil(
        game, [&] { return mComix->GetEpisodeIndex() == 1; }, 5000));
    const float secondStart = mComix->GetEpisodes()[1]->mStartTime;

    // Half way through the iris: the room shows through the growing disc.
    ASSERT_NO_FATAL_FAILURE(HoldAt(secondStart + 1.0f));
    std::vector<uint32_t> iris = Panel("intro_iris");
    // Inside the disc the room's own colours (a lamp shade where the street
    // has its sign); outside it the street's sky.
    EXPECT_PRED1(IsButter, At(iris, 420, 166));
    EXPECT_PRED1(IsSky, At(iris, 20, 60));
    EXPECT_FALSE(IsButter(At(street, 420, 166))) << At(street, 420, 166);
    mComix->SetPaused(false);

    // The room with Zorka's bubble.
    ASSERT_NO_FATAL_FAILURE(HoldAt(secondStart + 2.8f));
    std::vector<uint32_t> room = Panel("intro_room");
    EXPECT_PRED1(IsCream, At(room, 470, 298)); // inside the bubble
    EXPECT_PRED1(IsCream, At(room, 700, 520)); // Zorka's apron
    EXPECT_PRED1(IsWarm, At(room, 100, 740));  // the floor
    EXPECT_FALSE(IsCream(At(iris, 700, 520))) << At(iris, 700, 520);
    mComix->SetPaused(false);
    EXPECT_EQ(1, mComix->GetEpisodeIndex());
    EXPECT_EQ(1, board.GetPauseCount());

    // The button ends the comic: the board runs again and the cafe's music plays.
    Click(game.mHWnd, 836 + 85, 694 + 28);
    ASSERT_TRUE(StepUntil(
        game, [&] { return !board.IsCutSceneShown(); }, 5000));
    ASSERT_NO_FATAL_FAILURE(PressBriefingStart());
    ASSERT_NE(nullptr, GetEngineMusic()->GetCurrent());
    EXPECT_EQ("level1", GetEngineMusic()->GetCurrent()->GetId());
    EXPECT_TRUE(mComix->GetObjects().empty());
}

TEST_P(ComixGameRun, ClosingComicLeadsOnToTheNextLevelAndAMissingOneHandsBackAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(StartGame());
    KpEngine3& game = *mGame;
    KpBoard_Game3& board = *gGameBoard3;

    StartCareerLevel(15);
    ASSERT_TRUE(StepUntil(
        game, [&] { return board.IsLevelActive(); }, 30000));
    EXPECT_FALSE(board.IsCutSceneShown()); // level 15 opens with no comic
    EXPECT_EQ("outro_cafe1", board.mOnFinishComix);
    ASSERT_NO_FATAL_FAILURE(PressBriefingStart());

    // What the success debriefing does when the level names a closing comic.
    board.ShowDebriefingComix(board.mOnFinishComix);
    ASSERT_TRUE(board.IsCutSceneShown());
    EXPECT_EQ(1, board.GetPauseCount());
    ASSERT_TRUE(StepUntil(
        game, [&] { return mComix->GetClock() >= 0.5f; }, 5000));

    Click(game.mHWnd, 836 + 85, 694 + 28);
    ASSERT_TRUE(StepUntil(
        game, [&] { return !board.IsCutSceneShown(); }, 5000));
    EXPECT_EQ(0, board.GetPauseCount());
    // The next level loads and opens with the second cafe's comic.
    ASSERT_TRUE(StepUntil(
        game, [&] { return board.GetLevel() == 16 && board.IsLevelActive(); }, 30000));
    ASSERT_TRUE(StepUntil(
        game, [&] { return board.IsCutSceneShown(); }, 5000));
    EXPECT_EQ("intro_cafe2", mComix->GetComixName());
    EXPECT_EQ(1, board.GetPauseCount());
    Click(game.mHWnd, 836 + 85, 694 + 28);
    ASSERT_TRUE(StepUntil(
        game, [&] { return !board.IsCutSceneShown(); }, 5000));
    ASSERT_NO_FATAL_FAILURE(PressBriefingStart());
    EXPECT_EQ("level2", GetEngineMusic()->GetCurrent()->GetId());

    // A closing comic that does not exist ends at once and the career goes on.
    board.ShowDebriefingComix("no_such_comix");
    ASSERT_TRUE(StepUntil(
        game, [&] { return board.GetLevel() == 17 && board.IsLevelActive(); }, 30000));
    EXPECT_FALSE(board.IsCutSceneShown());
    ASSERT_NO_FATAL_FAILURE(PressBriefingStart());

    // So does an opening comic that does not exist: the level goes on with its music.
    GetEngineMusic()->Change("");
    board.mOnStartComix = "no_such_opening";
    board.OnLevelStart();
    ASSERT_TRUE(StepUntil(
        game, [&] { return !board.IsCutSceneShown(); }, 5000));
    ASSERT_NO_FATAL_FAILURE(PressBriefingStart());
    ASSERT_NE(nullptr, GetEngineMusic()->GetCurrent());
    EXPECT_EQ("level2", GetEngineMusic()->GetCurrent()->GetId());
}

TEST_P(ComixGameRun, OpeningComicHoldsEachTextAsLongAsASlowReaderNeeds)
{
    if (GetParam())
        GTEST_SKIP() << "timing only: the same on both roads";
    ASSERT_NO_FATAL_FAILURE(StartGame());
    mGame->mUpdateMultiplier = 16.0;
    KpBoard_Game3& board = *gGameBoard3;
    StartCareerLevel(1);
    ASSERT_TRUE(StepUntil(
        *mGame, [&] { return board.IsLevelActive() && board.IsCutSceneShown(); }, 30000));

    // Each text object's length in characters, as the game words it.
    std::map<std::string, size_t> chars;
    KpXmlDocument document = XmlLoadBytes(
        ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/comix.xml"), "comix.xml");
    ASSERT_TRUE(document);
    XmlForEachNode(
        document.Get(), L"comixes/comix[@name=\"intro_cafe1\"]/objects/object[@type=\"text\"]",
        [&](IXMLDOMNode* object)
        {
            std::string id = Lumo::WStringToString(XmlGetAttrString(object, L"string_id"));
            chars[Lumo::WStringToString(XmlGetAttrString(object, L"name"))] =
                GetEngineLocTable()->GetText(id).size();
        });
    ASSERT_GE(chars.size(), 3u);

    // No click: how long each text stands readable (whole, opaque, on the
    // screen) before it goes. Texts still readable when the last panel has
    // run stay until the button.
    std::map<std::string, float> since, shown;
    const int episodes = int(mComix->GetEpisodes().size());
    ASSERT_TRUE(StepUntil(
        *mGame,
        [&]
        {
            const float now = mComix->GetClock();
            for (const auto& text : chars)
            {
                KpComixObject* object = mComix->FindObject(text.first);
                if (!object || !object->AsPicture())
                    continue;
                const KpComixObjectState& s = object->AsPicture()->mState;
                bool readable =
                    s.visible && s.alpha > 0.95f && s.scale > 0.95f && s.pos.y + s.offset.y >= 0.0f;
                if (readable && !since.count(text.first))
                    since[text.first] = now;
                if (!readable && since.count(text.first))
                {
                    shown[text.first] = std::max(shown[text.first], now - since[text.first]);
                    since.erase(text.first);
                }
            }
            return mComix->GetEpisodeIndex() >= episodes;
        },
        30000));
    for (const auto& held : since)
        shown[held.first] = 1e9f;
    for (const auto& text : chars)
    {
        ASSERT_TRUE(shown.count(text.first)) << text.first << " was never readable";
        EXPECT_GE(shown[text.first], 2.0f + float(text.second) / 12.0f)
            << text.first << ", " << text.second << " characters";
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, ComixGameRun, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "ThreeD" : "TwoD"; });
