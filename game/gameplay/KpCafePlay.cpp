#include "game/gameplay/KpCafePlay.h"

#include <algorithm>
#include <cmath>

#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpCafeArt.h"
#include "game/gameplay/KpCafeTable.h"
#include "game/gameplay/KpClient.h"
#include "game/gameplay/KpDecor.h"
#include "game/gameplay/KpDoorSign.h"
#include "game/gameplay/KpFloatingPop.h"
#include "game/gameplay/KpLifeHearts.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/gameplay/KpTutorialController.h"
#include "game/scene/KpItemList.h"
#include "game/scene/KpObjectClassFactory.h"
#include "game/scene/KpZOrderManager.h"

namespace
{
// The door area: clients queue down from the door, one whole standing client
// (its patience bar included) apart, and the lowest one's feet stay above this.
const float kQueueFloor = 760.0f;
// The lane beside the queue keeps this gap to the queued clients.
const float kLaneGap = 8.0f;
// Where a client leaving steps out of the door, above it.
const float kExitAbove = 20.0f;

KpItem* MakeTable()
{
    return new KpCafeTable();
}
KpItem* MakeDecor()
{
    return new KpDecor();
}
} // namespace

void KpCafePlay::RegisterClasses()
{
    RegisterObjectClass("table", MakeTable);
    RegisterObjectClass("decor", MakeDecor);
}

KpCafePlay::KpCafePlay()
{
    RegisterClasses();
}

KpCafePlay::~KpCafePlay()
{
    End();
}

void KpCafePlay::Begin(const KpLevelData* level)
{
    End();
    mLevel = level;
    if (!level)
        return;
    mMoney = 0;
    mLives = level->lives;
    mServed = mWalkouts = mCleaned = 0;
    mClosed = false;
    for (const KpLevelObject& object : level->objects)
    {
        KpItem* item = CreateObjectOfClass(object.className);
        if (!item)
            continue;
        item->mName = object.name;
        if (KpCafeTable* table = dynamic_cast<KpCafeTable*>(item))
        {
            table->Place(object.x, object.y);
            mTables.push_back(table);
        }
        else if (KpDecor* decor = dynamic_cast<KpDecor*>(item))
            decor->Place(object.x, object.y);
        gItemList.Add(item);
    }
    if (!level->endless)
        mHearts = static_cast<KpLifeHearts*>(gItemList.Add(new KpLifeHearts(mLives)));
    // Closed until the day's clock starts (the briefing's Start).
    mDoorSign = static_cast<KpDoorSign*>(gItemList.Add(new KpDoorSign(level->look)));
    HoldPictures();
    BeginDay(1);
    ReportPossible();
}

void KpCafePlay::HoldPictures()
{
    std::vector<std::string> names = {"table_oak",
                                      "chair",
                                      "table_dirty",
                                      "face_happy",
                                      "face_neutral",
                                      "face_angry",
                                      "patience_back",
                                      "patience_fill_mint",
                                      "patience_fill_butter",
                                      "patience_fill_cherry",
                                      "bubble",
                                      "coin_small",
                                      "heart_small",
                                      "life_heart",
                                      "life_heart_lost",
                                      mLevel->look + "_sign_open",
                                      mLevel->look + "_sign_closed"};
    for (int look = 0; look < KpCafeArt::kClientLooks; look++)
    {
        names.push_back(Lumo::StrFormat("client_sit_%d", look));
        names.push_back(Lumo::StrFormat("client_stand_%d", look));
    }
    for (const KpLevelProduct& product : mLevel->menu)
        names.push_back("prod_" + product.name);
    for (const KpUpgradeOffer& offer : mLevel->upgrades)
        names.push_back(offer.object == "tables"   ? "table_" + offer.name
                        : offer.object == "chairs" ? "chair_" + offer.name
                                                   : offer.object + "_" + offer.name);
    for (const std::string& name : names)
    {
        mHeld.emplace_back(new KpSprite());
        mHeld.back()->Set(name);
    }
}

void KpCafePlay::End()
{
    gItemList.Clear();
    mTables.clear();
    mClients.clear();
    mQueue.clear();
    mApplied.clear();
    mHeld.clear();
    mHearts = nullptr;
    mDoorSign = nullptr;
    mClosed = false;
    mLevel = nullptr;
}

void KpCafePlay::BeginDay(int day)
{
    mDay = day < 1 ? 1 : day;
    mDayMs = 0;
    mNextArrival = 0;
    float factor = mLevel ? mLevel->patienceFactor : 1.0f;
    mDayPatience = float(std::pow(double(factor), double(mDay - 1)));
}

bool KpCafePlay::IsDayOver() const
{
    return mLevel && mDayMs >= mLevel->dayLengthMs;
}

int KpCafePlay::PatienceOf(const KpLevelClient& arrival) const
{
    double patience = double(arrival.patienceMs) * mDayPatience;
    if (IsUpgradeApplied("chairs", "comfy"))
        patience *= kComfyPatienceFactor;
    return std::max(1, int(std::lround(patience)));
}

void KpCafePlay::Close()
{
    if (!mLevel || mClosed)
        return;
    mClosed = true;
    mDoorSign->SetOpen(false);
    std::vector<KpClient*> queue;
    queue.swap(mQueue);
    for (KpClient* client : queue)
        LeaveByTheLane(client, false);
}

void KpCafePlay::Update(int ms)
{
    if (!mLevel || ms <= 0)
        return;
    if (mClosed)
    {
        // Only what moves: the clients on their way out.
        gItemList.UpdateAll(ms);
        std::vector<KpClient*> clients = mClients;
        for (KpClient* client : clients)
            if (client->IsGone())
            {
                client->mRemove = true;
                mClients.erase(std::find(mClients.begin(), mClients.end(), client));
            }
        return;
    }
    mDayMs += ms;
    mDoorSign->SetOpen(true);
    gItemList.UpdateAll(ms);

    // What the clients' time brought: walk-outs, meals eaten, clients gone.
    std::vector<KpClient*> clients = mClients;
    for (KpClient* client : clients)
    {
        KpClientState state = client->GetState();
        if ((state == kClientQueued || state == kClientWaiting) && client->IsOutOfPatience())
            WalkOut(client, true);
        else if (client->HasFinishedMeal())
            WalkOut(client, false);
        else if (client->IsGone())
        {
            client->mRemove = true;
            mClients.erase(std::find(mClients.begin(), mClients.end(), client));
        }
    }

    const std::vector<KpLevelClient>& arrivals = mLevel->clients;
    while (mNextArrival < arrivals.size() && arrivals[mNextArrival].timeMs <= mDayMs &&
           arrivals[mNextArrival].timeMs < mLevel->dayLengthMs)
        Arrive(arrivals[mNextArrival++]);
    SeatQueue();
    MoveQueue();
    ReportPossible();
}

void KpCafePlay::ReportPossible()
{
    bool waiting = false, dirty = false;
    for (KpClient* client : mClients)
        waiting = waiting || client->GetState() == kClientWaiting;
    for (KpCafeTable* table : mTables)
        dirty = dirty || table->IsDirty();
    gTutorial.SetPossible("serve", waiting);
    gTutorial.SetPossible("clean", dirty);
}

void KpCafePlay::Arrive(const KpLevelClient& arrival)
{
    const KpLevelProduct* product = mLevel->FindProduct(arrival.order);
    int look = int(gLumoRandom.Next() % unsigned(KpCafeArt::kClientLooks));
    KpClient* client =
        new KpClient(look, arrival.order, product ? product->price : 0, PatienceOf(arrival));
    // Outside at the door until the way in is clear (MoveQueue, SeatQueue).
    client->mX = mLevel->doorX;
    client->mY = mLevel->doorY;
    client->mVisible = false;
    client->Queue(mLevel->doorX, mLevel->doorY);
    gItemList.Add(client);
    mClients.push_back(client);
    mQueue.push_back(client);
    gTutorial.OnEvent("arrive");
}

void KpCafePlay::SeatQueue()
{
    const float door = mLevel->doorY, lane = GetQueueLaneX();
    while (!mQueue.empty())
    {
        std::vector<KpCafeTable*> free;
        for (KpCafeTable* table : mTables)
            if (table->IsFree())
                free.push_back(table);
        if (free.empty())
            break;
        KpClient* client = mQueue.front();
        std::vector<Lumo::LumoVector2> via;
        if (!client->mVisible)
        {
            // Straight in from outside to the table: along the top of the
            // lane, above the queue, so it passes nobody waiting.
            client->mX = mLevel->doorX;
            client->mY = door;
            client->mVisible = true;
            via.emplace_back(lane, door);
        }
        else if (client->IsMoving() && client->mX >= mLevel->doorX - 0.5f)
            break; // stepping up inside the queue: off once it stands
        else
            via.emplace_back(lane, client->mY); // aside into the lane, clear of the queue
        KpCafeTable* table = free[gLumoRandom.Next() % unsigned(free.size())];
        mQueue.erase(mQueue.begin());
        client->GoToTable(table, via);
    }
}

int KpCafePlay::GetQueueShown() const
{
    if (!mLevel)
        return 0;
    float room = kQueueFloor - mLevel->doorY;
    return std::max(1, int(room / float(KpClient::GetStandingHeight())));
}

Lumo::LumoVector2 KpCafePlay::GetQueuePlace(int i) const
{
    if (!mLevel)
        return Lumo::LumoVector2();
    const float step = float(KpClient::GetStandingHeight());
    return Lumo::LumoVector2(mLevel->doorX, mLevel->doorY + step * float(i + 1));
}

float KpCafePlay::GetQueueLaneX() const
{
    return mLevel ? mLevel->doorX - float(KpCafeArt::kStandWidth) - kLaneGap : 0.0f;
}

Lumo::Rect KpCafePlay::StandingArea(float x, float y) const
{
    const int height = KpClient::GetStandingHeight(), half = KpCafeArt::kStandWidth / 2;
    return Lumo::Rect(int(std::floor(x)) - half, int(std::floor(y)) - height, 2 * half, height);
}

bool KpCafePlay::IsClear(const Lumo::Rect& area, const KpClient* except) const
{
    for (const KpClient* other : mClients)
    {
        if (other == except || other->IsGone())
            continue;
        Lumo::Rect overlap = area.Intersection(other->GetDrawnRect());
        if (overlap.mWidth > 0 && overlap.mHeight > 0)
            return false;
    }
    return true;
}

void KpCafePlay::MoveQueue()
{
    const int shown = GetQueueShown();
    const float door = mLevel->doorY, lane = GetQueueLaneX();
    for (size_t i = 0; i < mQueue.size() && int(i) < shown; i++)
    {
        KpClient* client = mQueue[i];
        const Lumo::LumoVector2 place = GetQueuePlace(int(i));
        if (!client->mVisible)
        {
            // In at the door, down the lane and across to the place: the
            // whole way must be free, so no one walks over another. One at a
            // time, in order.
            Lumo::Rect way[3] = {
                KpItem::Cover(StandingArea(mLevel->doorX, door), StandingArea(lane, door)),
                KpItem::Cover(StandingArea(lane, door), StandingArea(lane, place.y)),
                KpItem::Cover(StandingArea(lane, place.y), StandingArea(place.x, place.y))};
            for (const Lumo::Rect& part : way)
                if (!IsClear(part, client))
                    return;
            client->mX = mLevel->doorX;
            client->mY = door;
            client->mVisible = true;
            client->Queue(place.x, place.y,
                          {Lumo::LumoVector2(lane, door), Lumo::LumoVector2(lane, place.y)});
            return;
        }
        // Up the queue into the place ahead once those before have left it.
        if (client->IsMoving() || client->mX < place.x - 0.5f || client->mY <= place.y + 0.5f)
            continue;
        if (IsClear(
                KpItem::Cover(StandingArea(place.x, place.y), StandingArea(client->mX, client->mY)),
                client))
            client->Queue(place.x, place.y);
    }
}

void KpCafePlay::LeaveByTheLane(KpClient* client, bool angry)
{
    const float door = mLevel->doorY, lane = GetQueueLaneX();
    std::vector<Lumo::LumoVector2> via;
    if (!client->mVisible)
    {
        // One who waited outside is seen leaving at the door.
        client->mX = mLevel->doorX;
        client->mY = door;
        client->mVisible = true;
    }
    else if (client->GetState() == kClientQueued)
    {
        via.emplace_back(lane, client->mY);
        via.emplace_back(lane, door);
    }
    else
        via.emplace_back(lane, door);
    client->Leave(mLevel->doorX, door - kExitAbove, angry, via);
}

KpItem* KpCafePlay::Click(float x, float y)
{
    if (!mLevel)
        return nullptr;
    KpItem* item = gZOrderManager.Pick(x, y);
    if (!item)
        return nullptr;
    item->OnClick();
    // The tutorial leads but never holds a click back: a guest left waiting
    // loses patience whatever the tip on view says.
    if (KpClient* client = dynamic_cast<KpClient*>(item))
        Serve(client);
    else if (KpCafeTable* table = dynamic_cast<KpCafeTable*>(item))
        Clean(table);
    ReportPossible();
    return item;
}

void KpCafePlay::Serve(KpClient* client)
{
    if (client->GetState() != kClientWaiting)
        return;
    // Of two or more waiting, the one nearest to walking out served first.
    int waiting = 0;
    bool mostHurried = true;
    for (const KpClient* other : mClients)
        if (other->GetState() == kClientWaiting)
        {
            waiting++;
            if (other->GetPatienceMs() - other->GetWaitedMs() <
                client->GetPatienceMs() - client->GetWaitedMs())
                mostHurried = false;
        }
    const bool urgent = waiting >= 2 && mostHurried;
    int64_t base =
        client->GetPrice() + (IsUpgradeApplied("counter", "espresso") ? kEspressoBonus : 0);
    int64_t patience = client->GetPatienceMs();
    int64_t left = std::max<int64_t>(0, patience - client->GetWaitedMs());
    int pay = int(base + base * left / (2 * patience));
    bool quick = int64_t(client->GetWaitedMs()) * 4 <= patience;

    mMoney += pay;
    mServed++;
    if (quick)
        gTaskGoals.CountDown(0);
    gTaskGoals.CountDown(3);
    if (mMoney >= mLevel->expertMoney)
        gTaskGoals.SetExpertReached();

    float eat = float(mLevel->eatMs);
    if (IsUpgradeApplied("radio", "jazz"))
        eat *= kRadioEatFactor;
    client->Serve(int(std::lround(eat)));
    gItemList.Add(new KpFloatingPop("coin_small", Lumo::WStrFormat(L"+%d", pay), client->HeadX(),
                                    client->HeadY() - 40.0f));
    GetSoundManager()->SoundPlay("money");
    gTutorial.OnEvent("serve");
    gTutorial.OnEvent("pay");
    if (urgent)
        gTutorial.OnEvent("urgent");
}

void KpCafePlay::Clean(KpCafeTable* table)
{
    if (!table->IsDirty())
        return;
    table->SetDirty(false);
    mCleaned++;
    gTaskGoals.CountDown(1);
    gTutorial.OnEvent("clean");
}

void KpCafePlay::WalkOut(KpClient* client, bool angry)
{
    KpCafeTable* table = client->GetTable();
    auto queued = std::find(mQueue.begin(), mQueue.end(), client);
    if (queued != mQueue.end())
        mQueue.erase(queued);
    if (table && !angry)
        table->SetDirty(true);
    LeaveByTheLane(client, angry);
    if (angry)
    {
        mLives = std::max(0, mLives - 1);
        if (mHearts)
            mHearts->SetLeft(mLives);
        mWalkouts++;
        gTaskGoals.ResetChain();
        gItemList.Add(
            new KpFloatingPop("heart_small", L"-1", client->HeadX(), client->HeadY() - 40.0f));
        GetSoundManager()->SoundPlay("fail");
    }
    gTutorial.OnEvent("leave");
}

void KpCafePlay::ApplyUpgrade(const KpUpgradeOffer& offer, bool apply)
{
    if (apply)
        mApplied.push_back(offer);
    else
    {
        for (size_t i = mApplied.size(); i-- > 0;)
            if (mApplied[i].object == offer.object && mApplied[i].name == offer.name)
            {
                mApplied.erase(mApplied.begin() + long(i));
                break;
            }
    }
    ApplySkins();
}

bool KpCafePlay::IsUpgradeApplied(const std::string& object, const std::string& name) const
{
    for (const KpUpgradeOffer& offer : mApplied)
        if (offer.object == object && offer.name == name)
            return true;
    return false;
}

void KpCafePlay::ApplySkins()
{
    // Each group shows the upgrade applied to it last, or its own look.
    for (int i = 0; i < GetUpgradeInfoCount(); i++)
    {
        const std::string group = GetUpgradeInfo(i).object;
        std::string skin;
        for (const KpUpgradeOffer& offer : mApplied)
            if (offer.object == group)
                skin = offer.name;
        for (KpItem* item : gItemList.Items())
            if (KpIUpgrade* target = dynamic_cast<KpIUpgrade*>(item))
                target->ApplyUpgradeSkin(group, skin);
    }
}
