#include "tools/levelgen/SimPlayer.h"

#include <cmath>
#include <map>
#include <set>

#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpCafeTable.h"
#include "game/gameplay/KpClient.h"
#include "game/gameplay/KpLevelData.h"
#include "game/gameplay/KpTutorialController.h"
#include "game/scene/KpFrameClock.h"

// The tips are about 90 characters: a slow reader's 2 s and 1 s per 12 characters.
const SimStyle kNewPlayer = {"new player", 2000, 800, 400, false, false, 10000};
const SimStyle kGoodPlayer = {"good player", 500, 300, 1200, true, true, 0};

namespace
{
// Game time of one update, as the game runs.
const int kUpdateMs = 10;
// A guest with less than this share of patience left goes first for a good player.
const float kUrgent = 0.35f;

// The player's eyes and hand over the board's play.
class Player
{
public:
    explicit Player(const SimStyle& style) : mStyle(style) {}

    // One update: what the player sees, then at most one click.
    void Step(KpBoard_Game3& board, int now)
    {
        if (Reading(now))
            return;
        KpCafePlay& play = board.GetPlay();
        Observe(play, now);
        if (mTargetAt >= 0)
        {
            if (now < mTargetAt)
                return;
            ClickTarget(board, now);
            return;
        }
        if (now < mBusyUntil)
            return;
        Choose(play, now);
    }

private:
    // A tip the player has not read yet takes its eyes off the cafe: no
    // click, and what happened meanwhile is seen only after the reading.
    bool Reading(int now)
    {
        int tip = gTutorial.GetShownStep();
        if (mStyle.readTipMs > 0 && tip >= 0 && mReadTips.insert(tip).second)
        {
            mReadingUntil = now + mStyle.readTipMs;
            mTargetAt = -1;
            mClient = nullptr;
            mTable = nullptr;
        }
        if (now >= mReadingUntil)
            return false;
        mWaiting.clear();
        mDirty.clear();
        return true;
    }

    // When each waiting guest and each dirty table was first seen so.
    void Observe(KpCafePlay& play, int now)
    {
        std::map<const KpClient*, int> waiting;
        for (const KpClient* client : play.GetClients())
            if (client->GetState() == kClientWaiting)
            {
                auto seen = mWaiting.find(client);
                waiting[client] = seen == mWaiting.end() ? now : seen->second;
            }
        mWaiting.swap(waiting);
        std::map<const KpCafeTable*, int> dirty;
        for (const KpCafeTable* table : play.GetTables())
            if (table->IsDirty())
            {
                auto seen = mDirty.find(table);
                dirty[table] = seen == mDirty.end() ? now : seen->second;
            }
        mDirty.swap(dirty);
    }

    float Distance(float x, float y) const { return std::hypot(x - mPointerX, y - mPointerY); }

    static float PatienceLeftMs(const KpClient* c)
    {
        return float(c->GetPatienceMs() - c->GetWaitedMs());
    }

    void Choose(KpCafePlay& play, int now)
    {
        // The play's own orders (arrival, table) break ties: the maps are
        // ordered by address, which differs from run to run.
        const KpClient* nearest = nullptr;
        const KpClient* impatient = nullptr;
        for (const KpClient* c : play.GetClients())
        {
            auto seen = mWaiting.find(c);
            if (seen == mWaiting.end() || now - seen->second < mStyle.reactMs)
                continue;
            if (!nearest ||
                Distance(c->HeadX(), c->HeadY()) < Distance(nearest->HeadX(), nearest->HeadY()))
                nearest = c;
            if (!impatient || PatienceLeftMs(c) < PatienceLeftMs(impatient))
                impatient = c;
        }
        // A new player takes longer to see the mess than the guests.
        int cleanReact = mStyle.cleansEarly ? mStyle.reactMs : 2 * mStyle.reactMs;
        const KpCafeTable* table = nullptr;
        for (const KpCafeTable* t : play.GetTables())
        {
            auto seen = mDirty.find(t);
            if (seen == mDirty.end() || now - seen->second < cleanReact)
                continue;
            if (!table || Distance(t->mX, t->mY) < Distance(table->mX, table->mY))
                table = t;
        }

        const KpClient* serve = mStyle.mostImpatient ? impatient : nearest;
        bool clean = false;
        if (mStyle.cleansEarly)
        {
            bool urgent = serve && serve->GetPatienceLeft() < kUrgent;
            clean = table && !urgent && !play.GetQueue().empty();
        }
        if (!serve && table)
            clean = true;
        if (clean)
            Aim(table->mX, table->mY, nullptr, table, now);
        else if (serve)
            Aim(serve->HeadX(), serve->HeadY(), serve, nullptr, now);
    }

    void Aim(float x, float y, const KpClient* client, const KpCafeTable* table, int now)
    {
        mClient = client;
        mTable = table;
        mTargetAt = now + int(Distance(x, y) * 1000.0f / float(mStyle.pointerSpeed));
    }

    // The pointer has arrived: a click where the target is now, if it still wants one.
    void ClickTarget(KpBoard_Game3& board, int now)
    {
        float x = 0.0f, y = 0.0f;
        bool valid = false;
        if (mClient && mWaiting.count(mClient))
        {
            x = mClient->HeadX();
            y = mClient->HeadY();
            valid = true;
        }
        else if (mTable && mDirty.count(mTable))
        {
            x = mTable->mX;
            y = mTable->mY;
            valid = true;
        }
        mClient = nullptr;
        mTable = nullptr;
        mTargetAt = -1;
        if (!valid)
            return;
        board.MouseDown(int(x), int(y), 0, 1);
        mPointerX = x;
        mPointerY = y;
        mBusyUntil = now + mStyle.clickMs;
    }

    const SimStyle& mStyle;
    std::map<const KpClient*, int> mWaiting;
    std::map<const KpCafeTable*, int> mDirty;
    float mPointerX = 512.0f, mPointerY = 560.0f;
    int mBusyUntil = 0;
    int mTargetAt = -1; // when the pointer reaches its target; -1: none
    std::set<int> mReadTips;
    int mReadingUntil = 0;
    const KpClient* mClient = nullptr;
    const KpCafeTable* mTable = nullptr;
};

// A board with the level begun on the game's update step.
void Begin(KpBoard_Game3& board, const KpLevelData& level, unsigned seed)
{
    KpSetFrameTimeOverride(kUpdateMs);
    SeedRandom(seed);
    board.BeginLevel(new KpLevelData(level));
}
} // namespace

SimDay SimPlayCareerDay(const KpLevelData& level, const SimStyle& style, unsigned seed)
{
    KpBoard_Game3 board;
    Begin(board, level, seed);
    Player player(style);
    SimDay day;
    KpCafePlay& play = board.GetPlay();
    const int bound = level.dayLengthMs / kUpdateMs + 100;
    for (int i = 0; i < bound && !board.IsLevelOver(); i++)
    {
        board.Update();
        int now = play.GetDayTimeMs();
        if (day.goalAtMs < 0 && play.GetMoney() >= level.goalMoney)
            day.goalAtMs = now;
        if (day.expertAtMs < 0 && play.GetMoney() >= level.expertMoney)
            day.expertAtMs = now;
        player.Step(board, now);
    }
    day.money = play.GetMoney();
    day.failed = board.mFailed != 0;
    day.served = play.GetServed();
    day.walkouts = play.GetWalkouts();
    return day;
}

std::vector<int> SimPlaySurvival(const KpLevelData& level, const SimStyle& style, unsigned seed,
                                 int maxDays)
{
    KpBoard_Game3 board;
    Begin(board, level, seed);
    Player player(style);
    KpCafePlay& play = board.GetPlay();
    std::vector<int> money(1, 0);
    int dayStartMoney = 0, elapsed = 0;
    const int bound = maxDays * (level.dayLengthMs / kUpdateMs + 10);
    for (int i = 0; i < bound && !board.IsLevelOver(); i++)
    {
        board.Update();
        elapsed += kUpdateMs;
        if (play.GetDay() > int(money.size()))
        {
            if (play.GetDay() > maxDays)
                break;
            dayStartMoney += money.back();
            money.push_back(0);
        }
        money.back() = play.GetMoney() - dayStartMoney;
        player.Step(board, elapsed);
    }
    return money;
}

namespace
{
// Survival runs stop here even when nobody has lost all lives.
const int kMaxSurvivalDays = 15;

std::string DayCell(const SimDay& day, const SimLevelRow& row)
{
    // Money, when the goal and the expert money were reached (percent of the
    // day gone, "-" for never), the guests who walked out (a heart each), and
    // "lost" when the lives ran out.
    auto when = [&](int ms)
    { return ms < 0 ? std::string("   -") : Lumo::StrFormat("%3d%%", ms * 100 / row.dayLengthMs); };
    return Lumo::StrFormat("%5d %s %s %3d %s", day.money, when(day.goalAtMs).c_str(),
                           when(day.expertAtMs).c_str(), day.walkouts,
                           day.failed ? "lost" : "    ");
}

std::string RunCell(const std::vector<int>& run)
{
    std::string cell = Lumo::StrFormat("%2d days:", int(run.size()));
    for (int money : run)
        cell += Lumo::StrFormat(" %d", money);
    return cell;
}
} // namespace

SimLevelRow SimPlayLevel(const KpLevelData& level)
{
    SimLevelRow row;
    row.number = level.number;
    row.endless = level.endless;
    row.dayLengthMs = level.dayLengthMs;
    row.clients = int(level.clients.size());
    row.goal = level.goalMoney;
    row.expert = level.expertMoney;
    unsigned seed = unsigned(level.number) + (level.endless ? 1000u : 0u);
    if (level.endless)
    {
        row.newRun = SimPlaySurvival(level, kNewPlayer, seed, kMaxSurvivalDays);
        row.goodRun = SimPlaySurvival(level, kGoodPlayer, seed, kMaxSurvivalDays);
    }
    else
    {
        row.newDay = SimPlayCareerDay(level, kNewPlayer, seed);
        row.goodDay = SimPlayCareerDay(level, kGoodPlayer, seed);
    }
    return row;
}

std::string SimTableHeading()
{
    return "level cafe day length guests  goal expert |  new: money goal expert out      | good: "
           "money goal expert out\n";
}

std::string SimTableLine(const SimLevelRow& row)
{
    if (row.endless)
        return Lumo::StrFormat("e%03d  %d  run  %4ds %5d  new: %s\n%27s good: %s\n", row.number,
                               row.number, row.dayLengthMs / 1000, row.clients,
                               RunCell(row.newRun).c_str(), "", RunCell(row.goodRun).c_str());
    return Lumo::StrFormat("l%03d  %d  %3d  %4ds %5d %5d %6d |      %s |      %s\n", row.number,
                           LevelCafe(row.number, false), LevelDay(row.number),
                           row.dayLengthMs / 1000, row.clients, row.goal, row.expert,
                           DayCell(row.newDay, row).c_str(), DayCell(row.goodDay, row).c_str());
}
