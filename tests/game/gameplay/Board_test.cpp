// The level board on the injectable clock: counted pause, whole levels played
// with scripted clicks (won, lost, a survival run) against results worked out
// by hand, upgrades seen on the scene and kept for the later days of a cafe,
// loading on the loader thread, and the cafe drawn at known pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpProfileFile.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpCafeArt.h"
#include "game/gameplay/KpCafeTable.h"
#include "game/gameplay/KpClient.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/gameplay/KpUpgrade.h"
#include "game/scene/KpItemList.h"
#include "tests/game/gameplay/GameplayTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{
// A board that counts its pause hooks.
class TestBoard : public KpBoard_Game3
{
public:
    void OnPauseHook() override { pauses++; }
    void OnResumeHook() override { resumes++; }
    int pauses = 0, resumes = 0;
};

// Two tables; A and B sit at once, C finds no clean table.
const char* const kDay = R"(<level mode="career" number="3">
  <day length="20" eat="2"/>
  <money goal="20" expert="30"/>
  <lives count="2"/>
  <goals flash="1" clean="1" expert="1" match="2" mega="1"/>
  <scene look="cafe1" door="958;350">
    <object class="table" name="table1" pos="345;425"/>
    <object class="table" name="table2" pos="540;425"/>
  </scene>
  <menu><product name="coffee" price="10"/><product name="tea" price="8"/>
    <product name="cake" price="12"/></menu>
  <clients>
    <client time="1" order="coffee" patience="10"/>
    <client time="1.5" order="tea" patience="10"/>
    <client time="2" order="cake" patience="4"/>
  </clients>
</level>)";

KpClient* ClientOrdering(KpBoard_Game3& board, const std::string& order)
{
    for (KpClient* client : board.GetPlay().GetClients())
        if (client->GetOrder() == order && client->GetState() != kClientLeaving)
            return client;
    return nullptr;
}

// Waits until the client has waited `ms` at its table, then clicks its head.
void ServeAfter(KpBoard_Game3& board, const std::string& order, int ms)
{
    KpClient* client = nullptr;
    ASSERT_TRUE(StepUntil(
        board,
        [&]
        {
            client = ClientOrdering(board, order);
            return client && client->GetState() == kClientWaiting && client->GetWaitedMs() == ms;
        },
        3000))
        << order;
    board.MouseDown(int(client->HeadX()), int(client->HeadY()), 0, 1);
    EXPECT_EQ(kClientEating, client->GetState()) << order;
}

class Board : public ::testing::Test
{
protected:
    void SetUp() override { SeedRandom(42); }
    void TearDown() override
    {
        gTutorial.Stop();
        gProfileFile.SetPath("");
        if (mInFolder)
            mFolder.Leave();
    }
    // A fresh working folder for the test, left (and removed) however the test ends.
    // Wine gives a new process the same id run after run: the time keeps the name new.
    void EnterFolder(const char* prefix)
    {
        ASSERT_NO_FATAL_FAILURE(mFolder.Enter(prefix + std::to_string(GetTickCount()) + "_"));
        mInFolder = true;
    }

    TempFolder mFolder;
    bool mInFolder = false;
};
} // namespace

TEST_F(Board, PauseIsCountedAcrossNestedDialogsAndClearedWhenALevelStarts)
{
    TestBoard board;
    board.BeginLevel(LevelFromText(kDay, 3, false));
    EXPECT_TRUE(board.IsRunning());
    board.Pause(); // a dialog
    board.Pause(); // and one over it
    board.Resume();
    EXPECT_FALSE(board.IsRunning());
    board.Resume();
    EXPECT_TRUE(board.IsRunning());
    EXPECT_EQ(1, board.pauses);
    EXPECT_EQ(1, board.resumes);
    board.Resume(); // a stray Resume changes nothing
    board.Pause();
    EXPECT_FALSE(board.IsRunning());
    EXPECT_EQ(2, board.pauses);

    // Paused level time stands still: no client comes.
    Step(board, 300);
    EXPECT_EQ(0, board.GetPlay().GetDayTimeMs());

    // A dialog hidden without its Resume leaves the count up; the next level
    // starts unpaused all the same.
    board.Pause();
    board.BeginLevel(LevelFromText(kDay, 3, false));
    EXPECT_EQ(0, board.GetPauseCount());
    EXPECT_TRUE(board.IsRunning());
    EXPECT_EQ(2, board.resumes);
}

TEST_F(Board, AWonDayComesOutAsWorkedOutByHand)
{
    TestBoard board;
    board.BeginLevel(LevelFromText(kDay, 3, false));
    ASSERT_EQ(2u, board.GetPlay().GetTables().size());

    // A after 1 s of 10 s: 10 + 10 * 9000 / 20000 = 14, quick (4 x 1000 <= 10000).
    ServeAfter(board, "coffee", 1000);
    EXPECT_EQ(14, board.GetMoney());
    // B after 2 s: 8 + 8 * 8000 / 20000 = 11, quick too.
    ServeAfter(board, "tea", 2000);
    EXPECT_EQ(25, board.GetMoney());
    EXPECT_TRUE(gTaskGoals.IsGoalMet(0));
    EXPECT_TRUE(gTaskGoals.IsGoalMet(3)); // two serves in a row

    // C queues while both tables are taken or dirty and walks out at 2 + 4 s.
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetPlay().GetLives() == 1; }, 1000));
    EXPECT_EQ(6000, board.GetPlay().GetDayTimeMs());
    EXPECT_TRUE(gTaskGoals.IsGoalMet(3)); // a row once made stays made

    // Clean a table A left.
    KpCafeTable* dirty = nullptr;
    ASSERT_TRUE(StepUntil(
        board,
        [&]
        {
            for (KpCafeTable* t : board.GetPlay().GetTables())
                if (t->IsDirty())
                    dirty = t;
            return dirty != nullptr;
        },
        1000));
    board.MouseDown(int(dirty->mX), int(dirty->mY), 0, 1);
    EXPECT_FALSE(dirty->IsDirty());
    EXPECT_EQ(1, board.GetPlay().GetCleaned());

    // The day ends at 20 s; the result follows the finished scene.
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.IsLevelOver(); }, 3000));
    EXPECT_EQ(20000, board.GetPlay().GetDayTimeMs());
    EXPECT_EQ(0, board.mFailed);
    EXPECT_TRUE(board.mGoalReached);
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetLastResultKind() >= 0; }, 300));
    EXPECT_EQ(kResultGoal, board.GetLastResultKind()); // 25: goal 20 reached, expert 30 not
    EXPECT_EQ(1, board.GetShownDebriefing());
    const bool met[kTaskGoalCount] = {true, true, false, true, false};
    for (int i = 0; i < kTaskGoalCount; i++)
        EXPECT_EQ(met[i], gTaskGoals.IsGoalMet(i)) << i;
    EXPECT_EQ(25, board.GetMoney());
}

TEST_F(Board, ALevelIsLostWhenItsLivesRunOut)
{
    TestBoard board;
    std::string xml = kDay;
    xml.replace(xml.find("<lives count=\"2\"/>"), 18, "<lives count=\"1\"/>");
    board.BeginLevel(LevelFromText(xml, 3, false));
    // Nobody is served: the first client to run out of patience ends the level.
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.IsLevelOver(); }, 3000));
    EXPECT_EQ(1, board.mFailed);
    EXPECT_EQ(0, board.GetPlay().GetLives());
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetLastResultKind() >= 0; }, 300));
    EXPECT_EQ(kResultFailed, board.GetLastResultKind());
    EXPECT_EQ(2, board.GetShownDebriefing());
}

TEST_F(Board, ClicksReachTheSceneOnlyWhileTheLevelRuns)
{
    TestBoard board;
    board.BeginLevel(LevelFromText(kDay, 3, false));
    KpClient* a = nullptr;
    ASSERT_TRUE(StepUntil(
        board,
        [&]
        {
            a = ClientOrdering(board, "coffee");
            return a && a->GetState() == kClientWaiting;
        },
        1000));
    board.Pause();
    board.MouseDown(int(a->HeadX()), int(a->HeadY()), 0, 1);
    EXPECT_EQ(kClientWaiting, a->GetState());
    board.Resume();
    board.MouseDown(int(a->HeadX()), int(a->HeadY()), 2, 1); // the right button serves nobody
    board.MouseDown(20, 20, 0, 1);                           // the wall
    EXPECT_EQ(kClientWaiting, a->GetState());
    EXPECT_EQ(0, a->mClicks);
    board.MouseDown(int(a->HeadX()), int(a->HeadY()), 0, 1);
    EXPECT_EQ(kClientEating, a->GetState());
    EXPECT_EQ(1, a->mClicks);
}

TEST_F(Board, ASurvivalRunGoesDayByDayWithOffersUntilItsLivesRunOut)
{
    ASSERT_NO_FATAL_FAILURE(EnterFolder("survival"));
    gProfileFile.SetPath(mFolder.Path() + "\\pref.dat");
    ASSERT_TRUE(gProfileFile.NewProfile(L"Tester", nullptr, nullptr));

    const char* run = R"(<level mode="survival" number="2">
      <day length="10" eat="1"/>
      <money goal="10" expert="20"/>
      <lives count="3"/>
      <survival patience_factor="0.5"/>
      <scene look="cafe2" door="958;350">
        <object class="table" name="table1" pos="345;425"/>
        <object class="decor" name="window_curtains" pos="200;262"/>
      </scene>
      <menu><product name="juice" price="9"/></menu>
      <clients><client time="1" order="juice" patience="8"/></clients>
      <upgrades>
        <upgrade object="tables" name="marble" kind="visual" levels="1;3" stage="1"/>
        <upgrade object="window" name="curtains" kind="visual" levels="1;3" stage="1"/>
        <upgrade object="chairs" name="comfy" kind="functional" levels="1;3" stage="2"/>
        <upgrade object="radio" name="jazz" kind="functional" levels="3;3" stage="2"/>
      </upgrades>
    </level>)";
    TestBoard board;
    board.BeginLevel(LevelFromText(run, 2, true));
    ASSERT_EQ(2u, board.mOfferedUpgrades.size());

    // An offer applied shows at once; undone, the old look comes back.
    KpCafeTable* table = board.GetPlay().GetTables()[0];
    EXPECT_EQ("table_oak", table->GetTopPicture());
    board.ApplyUpgrade(board.mOfferedUpgrades[0], true);
    EXPECT_EQ("table_marble", table->GetTopPicture());
    board.ApplyUpgrade(board.mOfferedUpgrades[0], false);
    EXPECT_EQ("table_oak", table->GetTopPicture());
    board.ApplyUpgrade(board.mOfferedUpgrades[0], true);
    Step(board);
    EXPECT_TRUE(board.mOfferedUpgrades.empty()); // the day's choice is made

    ServeAfter(board, "juice", 0); // 9 + 9 * 8000 / 16000 = 13
    EXPECT_EQ(13, board.GetMoney());

    // Day 2 offers its own stage, the radio not (level 2 is outside its range);
    // patience is halved each day: 4 s, then 2 s, then 1 s.
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetPlay().GetDay() == 2; }, 1100));
    ASSERT_EQ(1u, board.mOfferedUpgrades.size());
    EXPECT_EQ("comfy", board.mOfferedUpgrades[0]->name);
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetPlay().GetLives() == 2; }, 1100));
    EXPECT_EQ(5000, board.GetPlay().GetDayTimeMs());
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetPlay().GetLives() == 1; }, 1100))
        << board.GetPlay().GetDay() << " " << board.GetPlay().GetDayTimeMs() << " "
        << board.GetPlay().GetClients().size() << " " << board.IsLevelOver();
    EXPECT_EQ(3, board.GetPlay().GetDay());
    EXPECT_EQ(3000, board.GetPlay().GetDayTimeMs());
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.IsLevelOver(); }, 1100));
    EXPECT_EQ(4, board.GetPlay().GetDay());
    EXPECT_EQ(2000, board.GetPlay().GetDayTimeMs());

    // The run's money goes into the survival records, and the board leaves.
    ASSERT_TRUE(StepUntil(
        board, [&] { return !board.IsLevelActive(); }, 300));
    EXPECT_EQ(-1, board.GetLastResultKind());
    int place = board.GetLastRecordPlace();
    int expected = 0;
    while (expected < kRecordCount && gProfileFile.GetRecords(true)[expected].name != L"Tester")
        expected++;
    EXPECT_EQ(expected, place);
    if (place < kRecordCount)
    {
        EXPECT_EQ(13, gProfileFile.GetRecords(true)[place].score);
    }
    EXPECT_FALSE(board.mVisible);
    EXPECT_EQ(0, gItemList.Count());
}

TEST_F(Board, TheDoorQueueShowsOnlyWhatFitsItsAreaAndLeavesWhenTheDayCloses)
{
    // One table and seven guests at once: one sits, six queue at the door.
    std::string xml = kDay;
    xml.replace(xml.find("    <object class=\"table\" name=\"table2\""),
                xml.find("</scene>") - xml.find("    <object class=\"table\" name=\"table2\""), "");
    std::string clients;
    for (int i = 0; i < 7; i++)
        clients += Lumo::StrFormat("<client time=\"1.%d\" order=\"tea\" patience=\"60\"/>", i);
    xml.replace(xml.find("<clients>") + 9, xml.find("</clients>") - xml.find("<clients>") - 9,
                clients);
    TestBoard board;
    board.BeginLevel(LevelFromText(xml, 3, false));
    KpCafePlay& play = board.GetPlay();
    ASSERT_TRUE(StepUntil(
        board,
        [&]
        {
            if (play.GetQueue().size() != 6)
                return false;
            for (KpClient* c : play.GetQueue())
                if (c->IsMoving())
                    return false;
            return true;
        },
        1000));

    // The shown ones stand one under the other, each bar clear of the feet
    // before it, all on the screen; the rest wait unseen at the door.
    const int shown = play.GetQueueShown();
    EXPECT_GE(shown, 2);
    EXPECT_LT(shown, 6);
    const float height = float(KpClient::GetStandingHeight());
    for (int i = 0; i < 6; i++)
    {
        KpClient* c = play.GetQueue()[i];
        EXPECT_EQ(i < shown, c->mVisible) << i;
        if (i >= shown)
            continue;
        EXPECT_LE(c->mY, 768.0f) << i;
        if (i > 0)
        {
            EXPECT_GE(c->mY - height, play.GetQueue()[i - 1]->mY) << i;
        }
    }

    // The day's clock runs out with the queue still there: it leaves, content
    // (no life lost), and is gone before the result shows.
    std::vector<KpClient*> queued = play.GetQueue();
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.IsLevelOver(); }, 3000));
    EXPECT_TRUE(play.GetQueue().empty());
    for (KpClient* c : queued)
    {
        EXPECT_EQ(kClientLeaving, c->GetState());
        EXPECT_TRUE(c->mVisible);
    }
    EXPECT_EQ(2, play.GetLives());
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetLastResultKind() >= 0; }, 300));
    EXPECT_EQ(1u, play.GetClients().size()); // only the seated one, still there
}

// A rush at one table, played update by update: guests come in while others
// queue, some walk out of the queue (one from a place on view, one from
// outside), the served ones leave by the door. No guest is ever drawn over a
// queued one, so no patience bar is ever seen over another guest.
TEST_F(Board, NoGuestIsEverDrawnOverAQueuedOne)
{
    std::string xml = kDay;
    xml.replace(xml.find("    <object class=\"table\" name=\"table2\""),
                xml.find("</scene>") - xml.find("    <object class=\"table\" name=\"table2\""), "");
    const int patience[8] = {60, 60, 60, 5, 60, 60, 3, 60};
    std::string clients;
    for (int i = 0; i < 8; i++)
        clients += Lumo::StrFormat("<client time=\"%d.%d\" order=\"tea\" patience=\"%d\"/>",
                                   1 + i / 4, (i % 4) * 2, patience[i]);
    xml.replace(xml.find("<clients>") + 9, xml.find("</clients>") - xml.find("<clients>") - 9,
                clients);
    xml.replace(xml.find("<lives count=\"2\"/>"), 17, "<lives count=\"9\"/>");
    TestBoard board;
    board.BeginLevel(LevelFromText(xml, 3, false));
    KpCafePlay& play = board.GetPlay();

    size_t mostOnView = 0;
    for (int update = 0; update < 2500 && !board.IsLevelOver(); update++)
    {
        board.Update();
        const std::vector<KpClient*>& all = play.GetClients();
        size_t onView = 0;
        for (KpClient* queued : all)
        {
            if (!queued->mVisible || queued->GetState() != kClientQueued)
                continue;
            onView++;
            for (KpClient* other : all)
            {
                if (other == queued || !other->mVisible || other->IsGone())
                    continue;
                Lumo::Rect a = queued->GetDrawnRect(), b = other->GetDrawnRect();
                Lumo::Rect overlap = a.Intersection(b);
                ASSERT_FALSE(overlap.mWidth > 0 && overlap.mHeight > 0)
                    << "update " << update << ": queued at " << queued->mX << "," << queued->mY
                    << " under one (state " << other->GetState() << ") at " << other->mX << ","
                    << other->mY;
            }
        }
        mostOnView = std::max(mostOnView, onView);
        // Serve whoever sits, clean the table after them.
        for (KpClient* c : all)
            if (c->GetState() == kClientWaiting)
                board.MouseDown(int(c->HeadX()), int(c->HeadY()), 0, 1);
        for (KpCafeTable* table : play.GetTables())
            if (table->IsDirty())
                board.MouseDown(int(table->mX), int(table->mY), 0, 1);
    }
    // The rush did fill the door area and move through it.
    EXPECT_EQ(size_t(play.GetQueueShown()), mostOnView);
    EXPECT_EQ(2, play.GetWalkouts());
    EXPECT_GE(play.GetServed(), 4);
}

TEST_F(Board, LevelsLoadOnTheLoaderThreadAndABadOneReturnsToTheMenus)
{
    ASSERT_NO_FATAL_FAILURE(EnterFolder("loading"));
    CreateDirectoryA("cfg", nullptr);
    WriteTestFile("cfg\\l001.xml", ShippedLevelText("l001.xml"));
    WriteTestFile("cfg\\l002.xml", ShippedLevelText("l002.xml").substr(0, 700)); // cut off

    TestBoard board;
    EXPECT_FALSE(board.StartLevelLoading(0, false));
    EXPECT_FALSE(board.StartLevelLoading(60, false));
    EXPECT_FALSE(board.StartLevelLoading(4, true));
    EXPECT_FALSE(board.IsLoading());

    auto loaded = [&]
    {
        // The main thread polls; the loader answers within a bounded wait.
        for (int i = 0; i < 2000 && board.IsLoading(); i++)
        {
            board.Update();
            HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            WaitForSingleObject(never, 5);
            CloseHandle(never);
        }
        return !board.IsLoading();
    };
    ASSERT_TRUE(board.StartLevelLoading(1, false));
    EXPECT_FALSE(board.IsLevelActive());
    ASSERT_TRUE(loaded());
    ASSERT_TRUE(board.IsLevelActive());
    EXPECT_EQ(1, board.GetLevel());
    EXPECT_EQ("intro_cafe1", board.mOnStartComix);
    EXPECT_EQ(3u, board.GetPlay().GetTables().size());
    EXPECT_TRUE(board.mVisible);

    // A second request while one loads: the first is joined and dropped.
    ASSERT_TRUE(board.StartLevelLoading(1, false));
    ASSERT_TRUE(board.StartLevelLoading(2, false));
    ASSERT_TRUE(loaded());
    EXPECT_FALSE(board.IsLevelActive()); // the cut-off file is refused
    EXPECT_FALSE(board.mVisible);
    EXPECT_EQ(0, gItemList.Count());

    ASSERT_TRUE(board.StartLevelLoading(3, false)); // missing
    ASSERT_TRUE(loaded());
    EXPECT_FALSE(board.IsLevelActive());
}

namespace
{
uint32_t Pixel(Lumo::MemoryImage& image, int x, int y)
{
    return image.GetPixels()[size_t(y) * image.mWidth + x] & 0xFFFFFF;
}

// Drawing through the alpha path may round a channel by one.
bool Near(uint32_t a, uint32_t b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2)
            return false;
    return true;
}

uint32_t TexturePixel(const char* file, int x, int y)
{
    std::unique_ptr<ImageLib::Image> image(ImageLib::GetImage(file, false));
    EXPECT_TRUE(image) << file;
    return image ? image->GetBits()[size_t(y) * image->GetWidth() + x] & 0xFFFFFF : 0;
}

// A 1024x768 screen with a widget manager drawing into it.
struct BoardScreen
{
    Lumo::MemoryImage screen;
    Lumo::WidgetManager manager{nullptr};
    BoardScreen()
    {
        screen.Create(1024, 768);
        manager.mImage = &screen;
    }
};
} // namespace

TEST_F(Board, TheCafeDrawsItsRoomASeatedClientWithItsOrderAndItsDoorSign)
{
    GameArchives archives;
    ASSERT_TRUE(archives.IsReady());
    BoardScreen drawn;
    Lumo::MemoryImage& screen = drawn.screen;
    Lumo::WidgetManager& manager = drawn.manager;
    {
        TestBoard board;
        manager.AddWidget(&board);
        board.BeginLevel(LevelFromText(kDay, 3, false));
        // The door's sign, by its board beside the letters: open only while the day runs.
        auto signShows = [&](const char* state)
        {
            manager.SetAllDirty();
            manager.DrawScreen(nullptr);
            std::string file = Lumo::StrFormat("img\\cafe\\cafe1_sign_%s.png", state);
            return Near(TexturePixel(file.c_str(), 6, 22),
                        Pixel(screen, KpCafeArt::kDoorSignX + 6, KpCafeArt::kDoorSignY + 22));
        };
        EXPECT_TRUE(signShows("closed"));
        EXPECT_FALSE(signShows("open"));
        KpClient* a = nullptr;
        ASSERT_TRUE(StepUntil(
            board,
            [&]
            {
                a = ClientOrdering(board, "coffee");
                return a && a->GetState() == kClientWaiting;
            },
            1000));
        manager.SetAllDirty();
        manager.DrawScreen(nullptr);
        // The wall (below the day's hearts) and the counter of cafe 1, where
        // nothing stands in front of them.
        for (const int* p : {(const int[]){20, 200}, (const int[]){700, 300}})
            EXPECT_PRED2(Near, TexturePixel("img\\cafe\\cafe1_back.png", p[0], p[1]),
                         Pixel(screen, p[0], p[1]))
                << p[0] << "," << p[1];
        // The seated client's face between eyes and mouth: one of the looks' own skin there.
        uint32_t face = Pixel(screen, int(a->HeadX()), int(a->HeadY()) + 6);
        bool found = false;
        for (int look = 0; look < 8 && !found; look++)
            found = Near(face,
                         TexturePixel(Lumo::StrFormat("img\\cafe\\client_sit_%d.png", look).c_str(),
                                      48, 36 + 6));
        EXPECT_TRUE(found) << std::hex << face;
        // The order bubble beside the head.
        EXPECT_PRED2(Near, TexturePixel("img\\cafe\\bubble.png", 16, 12),
                     Pixel(screen, int(a->HeadX()) + 30 + 16, int(a->HeadY()) - 71 + 12));
        EXPECT_TRUE(signShows("open"));
        // Every guest walks out: the cafe closes early.
        ASSERT_TRUE(StepUntil(
            board, [&] { return board.IsLevelOver(); }, 2000));
        EXPECT_TRUE(signShows("closed"));
        manager.RemoveWidget(&board);
    }
}

// The board draws again only what changed on the scene (walking and seated
// clients, their bars and orders, coins, tables left dirty and cleaned, the
// fade of those who leave): after every stretch of a busy day drawn that way,
// the screen holds exactly what a whole drawing of the cafe gives.
TEST_F(Board, TheCafeDrawnChangeByChangeIsTheCafeDrawnWhole)
{
    GameArchives archives;
    ASSERT_TRUE(archives.IsReady());
    Lumo::MemoryImage screen;
    screen.Create(1024, 768);
    // As the display's screen image: opaque, so every draw takes one road.
    screen.SetAlphaFlags(false, false);
    Lumo::WidgetManager manager(nullptr);
    manager.SetMouseRects(Lumo::Rect(0, 0, 1024, 768), Lumo::Rect(0, 0, 1024, 768));
    manager.mImage = &screen;
    TestBoard board;
    manager.AddWidget(&board);
    board.BeginLevel(LevelFromText(ShippedLevelText("l020.xml"), 20, false));
    std::vector<uint32_t> drawn(1024 * 768);
    int checks = 0, served = 0;
    for (int update = 1; update <= 4000 && !board.IsLevelOver(); update++)
    {
        Step(board);
        // A quick waiter, as LevelRun's autoplay: serve, then clean.
        if (update % 45 == 0)
        {
            bool clicked = false;
            for (KpClient* client : board.GetPlay().GetClients())
                if (!clicked && client->GetState() == kClientWaiting &&
                    client->GetWaitedMs() > 1500)
                {
                    board.MouseDown(int(client->HeadX()), int(client->HeadY()), 0, 1);
                    clicked = true;
                    served++;
                }
            for (KpCafeTable* table : board.GetPlay().GetTables())
                if (!clicked && table->IsDirty())
                {
                    board.MouseDown(int(table->mX), int(table->mY), 0, 1);
                    clicked = true;
                }
        }
        // Drawn every other update or so, as the game draws at 60 a second.
        if (update % 5 == 1 || update % 5 == 3)
            manager.DrawScreen(nullptr);
        if (update % 97 != 0)
            continue;
        manager.DrawScreen(nullptr);
        memcpy(drawn.data(), screen.GetPixels(), drawn.size() * 4);
        manager.SetAllDirty();
        manager.DrawScreen(nullptr);
        const uint32_t* whole = screen.GetPixels();
        int differing = 0, firstX = -1, firstY = -1;
        for (int i = 0; i < 1024 * 768; i++)
            if (drawn[i] != whole[i] && differing++ == 0)
            {
                firstX = i % 1024;
                firstY = i / 1024;
            }
        ASSERT_EQ(0, differing) << "update " << update << ": first at " << firstX << "," << firstY
                                << std::hex << " drawn " << drawn[firstY * 1024 + firstX]
                                << " whole " << whole[firstY * 1024 + firstX];
        checks++;
    }
    EXPECT_GE(checks, 30);
    EXPECT_GE(served, 10);
    manager.RemoveWidget(&board);
}

// The espresso machine chosen after a won day 5 (as the shop leaves it) is
// kept in the saved profile and stands on the counter, drawn as the shop
// showed it and clear of the cup shelf above it, on every later day of cafe
// 1, where the shop no longer offers it; an earlier day and another cafe
// start without it. So does the radio at the counter's end, notes and all.
TEST_F(Board, AnUpgradeKeptAfterAWonDayStandsInItsCafeOnEveryLaterDay)
{
    GameArchives archives;
    ASSERT_TRUE(archives.IsReady());
    ASSERT_NO_FATAL_FAILURE(EnterFolder("kept"));
    gProfileFile.SetPath(mFolder.Path() + "\\pref.dat");
    ASSERT_TRUE(gProfileFile.NewProfile(L"Tester", nullptr, nullptr));
    auto day = [](int number)
    {
        std::string text = kDay;
        text.replace(text.find("number=\"3\""), 10, Lumo::StrFormat("number=\"%d\"", number));
        text.insert(text.find("</scene>"),
                    "<object class=\"decor\" name=\"counter_espresso\" pos=\"640;238\"/>"
                    "<object class=\"decor\" name=\"radio_shelf\" pos=\"858;238\"/>");
        text.insert(text.find("</level>"), "<upgrades><upgrade object=\"counter\" "
                                           "name=\"espresso\" kind=\"functional\"/></upgrades>");
        return LevelFromText(text, number, false);
    };
    BoardScreen drawn;
    Lumo::MemoryImage& screen = drawn.screen;
    Lumo::WidgetManager& manager = drawn.manager;
    TestBoard board;
    manager.AddWidget(&board);

    board.BeginLevel(day(5));
    std::vector<const KpUpgradeOffer*> offers;
    ASSERT_EQ(1, board.GetUpgradeOffers(offers));
    ServeAfter(board, "coffee", 1000);
    ServeAfter(board, "tea", 2000);
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.IsLevelOver(); }, 3000));
    board.ApplyUpgrade(offers[0], true);
    ASSERT_TRUE(StepUntil(
        board, [&] { return board.GetLastResultKind() >= 0; }, 500));
    ASSERT_EQ(kResultGoal, board.GetLastResultKind());
    KpProfileData saved;
    std::vector<std::string> warnings;
    ASSERT_TRUE(ReadProfileData(ReadTestFile(gProfileFile.GetPath()), saved, warnings));
    ASSERT_GE(saved.currentSlot, 0);
    EXPECT_EQ(GetUpgradeCode("counter", "espresso"),
              saved.slots[size_t(saved.currentSlot)].levelUpgrade[5]);

    for (int level : {4, 6, 15, 16})
    {
        board.EndLevel();
        board.BeginLevel(day(level));
        const bool kept = level > 5 && level <= 15;
        EXPECT_EQ(kept, board.GetPlay().IsUpgradeApplied("counter", "espresso")) << level;
        EXPECT_EQ(kept ? 0 : 1, board.GetUpgradeOffers(offers)) << level;
        if (level != 6)
            continue;
        KpUpgradeOffer radio;
        radio.object = "radio";
        radio.name = "jazz";
        board.ApplyUpgrade(&radio, true);
        manager.SetAllDirty();
        manager.DrawScreen(nullptr);
        using namespace KpCafeArt;
        std::unique_ptr<ImageLib::Image> room(
            ImageLib::GetImage("img\\cafe\\cafe1_back.png", false));
        ASSERT_TRUE(room);
        const struct
        {
            const char* file;
            int x; // its foot at x;238, as the level files place it
        } decorations[] = {{"img\\cafe\\counter_espresso.png", 640},
                           {"img\\cafe\\radio_jazz.png", 858}};
        for (const auto& decoration : decorations)
        {
            std::unique_ptr<ImageLib::Image> picture(ImageLib::GetImage(decoration.file, false));
            ASSERT_TRUE(picture) << decoration.file;
            const int w = picture->GetWidth(), h = picture->GetHeight();
            const int left = decoration.x - w / 2;
            // A point of its body, the picture's foot (bottom centre) standing at its place.
            EXPECT_PRED2(Near, picture->GetBits()[size_t(h * 3 / 4) * w + w / 2] & 0xFFFFFF,
                         Pixel(screen, decoration.x, 238 - h + h * 3 / 4))
                << decoration.file;
            // The shelf's board over it and the board's shadow show as the room has them.
            for (int y = kLowerShelfY; y < kLowerShelfY + kShelfBoardHeight + 4; y++)
                for (int x = std::max(kLowerShelfX, left);
                     x < std::min(kLowerShelfX + kLowerShelfWidth, left + w); x++)
                    ASSERT_PRED2(Near, room->GetBits()[size_t(y) * room->GetWidth() + x] & 0xFFFFFF,
                                 Pixel(screen, x, y))
                        << decoration.file << " covers the shelf at " << x << "," << y;
        }
    }
    board.EndLevel();
    manager.RemoveWidget(&board);
}
