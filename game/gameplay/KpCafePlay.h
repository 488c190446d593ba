// The stand-in play of a level: what makes money, task goals and failure real
// until the full cafe (workers, the boss, trays) exists. Clients come in at
// the times of the level file and queue below the door; a free clean table takes
// the first of them; a click on a seated client serves the order at once (the
// order's price, more for fast service); a client whose patience runs out
// walks out and costs a life; a client who ate leaves the table dirty until it
// is clicked. The play counts the task goals (gTaskGoals), reports its events
// to the tutorial (gTutorial) and keeps the scene's items in gItemList.
//
// Rules, with patience P and time waited W (ms) of the client served:
//   pay   = B + B * (P - W) / (2 P), B = the price (+ the espresso bonus),
//           integer division: up to half again for instant service;
//   quick = 4 W <= P (served in the first quarter of its patience): goal 0;
//   each table cleaned: goal 1; each serve: goal 3 counts down, each client
//   who walks out starts goal 3 over;
//   urgent = two or more clients wait and none has less patience left
//           (P - W) than the one served: the tutorial's event "urgent".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/app/LumoVector2.h"
#include "framework/app/Rect.h"
#include "game/gameplay/KpLevelData.h"
#include "game/scene/KpSprite.h"

class KpCafeTable;
class KpClient;
class KpDoorSign;
class KpItem;
class KpLifeHearts;

class KpCafePlay
{
public:
    KpCafePlay();
    ~KpCafePlay();

    // Builds the cafe of the level (its tables and decoration) and starts day 1.
    // The level data must outlive the play's use of it.
    void Begin(const KpLevelData* level);
    // Removes every item of the level.
    void End();
    // Survival: the next day of the run starts (the cafe and its clients stay).
    void BeginDay(int day);
    // The level is over: the clients queued at the door leave (no life lost)
    // and from now on Update only moves what is on the scene.
    void Close();

    // Advances the day by ms of game time: arrivals, seating, patience, meals.
    void Update(int ms);
    // A click at a scene point: serves the client or cleans the table under
    // it. The item clicked (its click registered), or null for no hit.
    KpItem* Click(float x, float y);

    // --- Upgrades: applied in order; undo takes one back
    void ApplyUpgrade(const KpUpgradeOffer& offer, bool apply);
    bool IsUpgradeApplied(const std::string& object, const std::string& name) const;
    // Every upgrade on the scene, in the order applied.
    const std::vector<KpUpgradeOffer>& GetApplied() const { return mApplied; }

    // --- State
    bool IsRunning() const { return mLevel != nullptr; }
    bool IsClosed() const { return mClosed; }
    int GetMoney() const { return mMoney; }
    int GetLives() const { return mLives; }
    int GetDay() const { return mDay; }
    int GetDayTimeMs() const { return mDayMs; }
    // The day's clock has run out (the last arrival may still be inside).
    bool IsDayOver() const;
    int GetServed() const { return mServed; }
    int GetWalkouts() const { return mWalkouts; }
    int GetCleaned() const { return mCleaned; }
    const std::vector<KpCafeTable*>& GetTables() const { return mTables; }
    const std::vector<KpClient*>& GetClients() const { return mClients; }
    // Clients at the door, first first; only the first GetQueueShown() are on view.
    const std::vector<KpClient*>& GetQueue() const { return mQueue; }
    // How many queued clients the door area shows one under the other
    // without overlapping: the others wait outside, unseen, for their turn.
    int GetQueueShown() const;
    // Where queue place i stands (the feet): under the door, one standing
    // client apart; the door itself stays free for those coming and going.
    Lumo::LumoVector2 GetQueuePlace(int i) const;
    // The lane left of the queue by which clients come in and go out, x.
    float GetQueueLaneX() const;
    // A career day's hearts on the scene (null in survival and without a level).
    const KpLifeHearts* GetHearts() const { return mHearts; }
    // The sign on the door (null without a level): open from the day's first
    // moment until the cafe closes.
    const KpDoorSign* GetDoorSign() const { return mDoorSign; }

    // Scene objects' classes for the object-class factory.
    static void RegisterClasses();

private:
    void Arrive(const KpLevelClient& arrival);
    void SeatQueue();
    // Moves the queue on: one client in from outside, the others up to
    // their places, each only once its way is clear of every other client.
    void MoveQueue();
    // No client but `except` is drawn inside the area.
    bool IsClear(const Lumo::Rect& area, const KpClient* except) const;
    // The area a client standing with its feet at (x, y) covers.
    Lumo::Rect StandingArea(float x, float y) const;
    // Out of the queue to the door: by the lane, round the others.
    void LeaveByTheLane(KpClient* client, bool angry);
    void Serve(KpClient* client);
    void Clean(KpCafeTable* table);
    void WalkOut(KpClient* client, bool angry);
    void ApplySkins();
    // Tells the tutorial what the player can do now (serve, clean).
    void ReportPossible();
    int PatienceOf(const KpLevelClient& arrival) const;
    // Holds every picture the level may show, so none is read in the middle of the day.
    void HoldPictures();

    const KpLevelData* mLevel = nullptr;
    int mDay = 1;
    int mDayMs = 0;
    size_t mNextArrival = 0; // index into the level's clients for this day
    float mDayPatience = 1.0f;
    int mMoney = 0;
    int mLives = 0;
    int mServed = 0, mWalkouts = 0, mCleaned = 0;
    bool mClosed = false;
    KpLifeHearts* mHearts = nullptr; // an item of the registry
    KpDoorSign* mDoorSign = nullptr; // an item of the registry

    std::vector<KpCafeTable*> mTables;            // items of the registry
    std::vector<KpClient*> mClients;              // every client inside, in arrival order
    std::vector<KpClient*> mQueue;                // clients at the door, first first
    std::vector<KpUpgradeOffer> mApplied;         // upgrades in the order applied
    std::vector<std::unique_ptr<KpSprite>> mHeld; // the level's pictures, held while it runs
};
