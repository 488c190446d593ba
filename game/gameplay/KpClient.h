// A client of the cafe: comes in at the door, queues while no table is free,
// walks to a table, sits and waits for the order with a patience bar over the
// head, eats once served and walks out. Each client has a colour of its own
// (its look). The client keeps its state and draws itself; the cafe play
// (KpCafePlay) makes the rules: when it queues, sits, pays, or walks out.
#pragma once

#include <string>
#include <vector>

#include "framework/app/LumoVector2.h"
#include "game/scene/KpPickItem.h"
#include "game/scene/KpSprite.h"

class KpCafeTable;

enum KpClientState
{
    kClientQueued = 0, // at the door, waiting for a free table
    kClientWalking,    // on the way to its table
    kClientWaiting,    // seated, waiting for the order
    kClientEating,     // served
    kClientLeaving,    // on the way out
};

class KpClient : public KpPickItem
{
public:
    // look: 0 to KpCafeArt::kClientLooks - 1.
    KpClient(int look, const std::string& order, int price, int patienceMs);

    // --- what the play does with it
    // Each walk passes the points of `via` in turn, one straight line after
    // another, so the play can lead it round what stands in the way.
    // Stands at a place of the queue (walking there from where it is).
    void Queue(float x, float y, const std::vector<Lumo::LumoVector2>& via = {});
    // Walks to the table and sits there when it arrives.
    void GoToTable(KpCafeTable* table, const std::vector<Lumo::LumoVector2>& via = {});
    // Served: the order goes on the table and the client eats for ms.
    void Serve(int eatMs);
    // Gets up and walks to the door, angry or content; gone once there.
    void Leave(float doorX, float doorY, bool angry,
               const std::vector<Lumo::LumoVector2>& via = {});

    // --- state
    KpClientState GetState() const { return mState; }
    KpCafeTable* GetTable() const { return mTable; }
    const std::string& GetOrder() const { return mOrder; }
    int GetPrice() const { return mPrice; }
    int GetPatienceMs() const { return mPatienceMs; }
    int GetWaitedMs() const { return mWaitedMs; }
    // 1 (full) down to 0 (out of patience).
    float GetPatienceLeft() const;
    bool IsOutOfPatience() const { return mWaitedMs >= mPatienceMs; }
    // Eaten up: the meal's time is over.
    bool HasFinishedMeal() const { return mState == kClientEating && mStateMs >= mEatMs; }
    // Out of the door.
    bool IsGone() const { return mState == kClientLeaving && !IsMoving(); }
    bool IsMoving() const { return mMoveMs < mMoveTotalMs || !mLegs.empty(); }
    // Body, face and patience bar as drawn now, in scene pixels (empty when hidden).
    Lumo::Rect GetDrawnRect() const;
    // Head centre in the scene, for pops over it.
    float HeadX() const;
    float HeadY() const;
    // From a standing client's feet to the top of its patience bar, pixels.
    static int GetStandingHeight();

    // --- KpItem
    void Update(int ms) override;
    int GetPartCount() const override { return 2; }
    int GetPartZ(int part) const override;
    void DrawPart(Lumo::Graphics* g, int part) override;
    Lumo::Rect GetPartRect(int part) const override;
    bool IsPickable() const override
    {
        return mState == kClientWaiting && KpPickItem::IsPickable();
    }

private:
    void MoveTo(float x, float y);
    void WalkRoute(float x, float y, const std::vector<Lumo::LumoVector2>& via);
    // Starts the walk to the next point of the route; points already reached take no time.
    void NextLeg();
    // Opacity of the drawing now (the last steps out fade), 0 to 1.
    float GetAlpha() const;
    // What the look depends on besides the pictures' names; a change marks the item.
    struct Look
    {
        float x, y;
        int state, fill, alpha;
        bool operator!=(const Look& o) const
        {
            return x != o.x || y != o.y || state != o.state || fill != o.fill || alpha != o.alpha;
        }
    };
    Look GetLook() const;
    Look mShownLook = {};
    bool IsSeated() const { return mState == kClientWaiting || mState == kClientEating; }

    int mLook;
    std::string mOrder;
    int mPrice;
    int mPatienceMs;
    int mWaitedMs = 0; // patience used, counted while queued and seated waiting
    int mEatMs = 0;
    KpClientState mState = kClientQueued;
    int mStateMs = 0; // time in the current state
    bool mAngry = false;
    KpCafeTable* mTable = nullptr; // not owned

    float mFromX = 0.0f, mFromY = 0.0f, mToX = 0.0f, mToY = 0.0f;
    int mMoveMs = 0, mMoveTotalMs = 0;
    std::vector<Lumo::LumoVector2> mLegs; // points still to walk to after the current one

    KpSprite mSit, mStand, mFace, mBarBack, mBarFill, mBubble, mProduct;
    std::string mFaceName, mFillName;
};
