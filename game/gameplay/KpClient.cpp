#include "game/gameplay/KpClient.h"

#include <algorithm>
#include <cmath>

#include "framework/app/StringUtils.h"
#include "game/gameplay/KpCafeArt.h"
#include "game/gameplay/KpCafeTable.h"

using namespace KpCafeArt;

namespace
{
// Walking speed, pixels per second, and the shortest and longest walk.
const float kWalkSpeed = 420.0f;
const int kMinWalkMs = 250, kMaxWalkMs = 1600;
// The last part of the way out fades the client away.
const int kFadeOutMs = 350;
// Everything over the heads draws in front of every body.
const int kOverlayZ = 1 << 22;
// The patience bar sits over the head, a little to the left; the order bubble
// to the right of the head.
const int kBarLeftOfHead = 48, kBarAboveHead = kHeadRadius + 22;
const int kBubbleRightOfHead = 30, kBubbleAboveHead = kHeadRadius + 44;
} // namespace

KpClient::KpClient(int look, const std::string& order, int price, int patienceMs)
    : mLook(((look % kClientLooks) + kClientLooks) % kClientLooks), mOrder(order), mPrice(price),
      mPatienceMs(std::max(patienceMs, 1))
{
    mSit.Set(Lumo::StrFormat("client_sit_%d", mLook), 0.5f, 1.0f);
    mStand.Set(Lumo::StrFormat("client_stand_%d", mLook), 0.5f, 1.0f);
    mBarBack.Set("patience_back", 0.0f, 0.0f);
    mBubble.Set("bubble", 0.0f, 0.0f);
    mProduct.Set("prod_" + order, 0.5f, 0.5f);
    // The pick shape covers the seated body, the head and the order bubble.
    float top = -float(kSitHeadY + kBubbleAboveHead);
    SetPickRect(-44.0f, top, float(44 + kBubbleRightOfHead + kBubbleWidth), -10.0f - top);
}

float KpClient::GetPatienceLeft() const
{
    float left = 1.0f - float(mWaitedMs) / float(mPatienceMs);
    return left < 0.0f ? 0.0f : left > 1.0f ? 1.0f : left;
}

float KpClient::HeadX() const
{
    return mX;
}

float KpClient::HeadY() const
{
    return mY - float(IsSeated() ? kSitHeadY : kStandHeadY);
}

int KpClient::GetStandingHeight()
{
    return kStandHeadY + kBarAboveHead + kBarHeight;
}

void KpClient::MoveTo(float x, float y)
{
    mFromX = mX;
    mFromY = mY;
    mToX = x;
    mToY = y;
    float distance = std::hypot(x - mX, y - mY);
    mMoveTotalMs = std::min(std::max(int(distance * 1000.0f / kWalkSpeed), kMinWalkMs), kMaxWalkMs);
    mMoveMs = distance < 1.0f ? mMoveTotalMs : 0;
    if (distance < 1.0f)
    {
        mX = x;
        mY = y;
    }
}

void KpClient::WalkRoute(float x, float y, const std::vector<Lumo::LumoVector2>& via)
{
    mLegs = via;
    mLegs.emplace_back(x, y);
    mMoveMs = mMoveTotalMs = 0;
    NextLeg();
}

void KpClient::NextLeg()
{
    while (!mLegs.empty())
    {
        Lumo::LumoVector2 to = mLegs.front();
        mLegs.erase(mLegs.begin());
        MoveTo(to.x, to.y);
        if (mMoveMs < mMoveTotalMs)
            return;
    }
}

void KpClient::Queue(float x, float y, const std::vector<Lumo::LumoVector2>& via)
{
    MarkChanged();
    mState = kClientQueued;
    WalkRoute(x, y, via);
}

void KpClient::GoToTable(KpCafeTable* table, const std::vector<Lumo::LumoVector2>& via)
{
    MarkChanged();
    mTable = table;
    table->SetClient(this);
    mState = kClientWalking;
    mStateMs = 0;
    WalkRoute(table->SeatX(), table->SeatY(), via);
}

void KpClient::Serve(int eatMs)
{
    MarkChanged();
    mState = kClientEating;
    mStateMs = 0;
    mEatMs = eatMs;
    if (mTable)
        mTable->SetServed(mOrder);
}

void KpClient::Leave(float doorX, float doorY, bool angry,
                     const std::vector<Lumo::LumoVector2>& via)
{
    MarkChanged();
    mAngry = angry;
    if (mTable)
    {
        mTable->SetServed(std::string());
        mTable->SetClient(nullptr);
    }
    mTable = nullptr;
    mState = kClientLeaving;
    mStateMs = 0;
    WalkRoute(doorX, doorY, via);
}

void KpClient::Update(int ms)
{
    mStateMs += ms;
    if (mState == kClientQueued || mState == kClientWaiting)
        mWaitedMs = std::min(mWaitedMs + ms, mPatienceMs);
    if (mMoveMs < mMoveTotalMs)
    {
        mMoveMs = std::min(mMoveMs + ms, mMoveTotalMs);
        float t = float(mMoveMs) / float(mMoveTotalMs);
        float s = t * t * (3.0f - 2.0f * t); // eased at both ends
        mX = mFromX + (mToX - mFromX) * s;
        mY = mFromY + (mToY - mFromY) * s;
        if (mMoveMs == mMoveTotalMs)
            NextLeg();
    }
    // At the table (also when it was no way off): seated, waiting for the order.
    if (!IsMoving() && mState == kClientWalking)
    {
        mState = kClientWaiting;
        mStateMs = 0;
    }
    mZ = int(mY) * 4;

    // Face and bar colour follow the mood.
    float left = GetPatienceLeft();
    const char* face = "face_neutral";
    if (mAngry || ((mState == kClientQueued || mState == kClientWaiting) && left < 0.3f))
        face = "face_angry";
    else if (mState == kClientEating || mState == kClientLeaving || left > 0.6f)
        face = "face_happy";
    if (mFaceName != face)
    {
        mFaceName = face;
        mFace.Set(face, 0.5f, 0.5f);
        MarkChanged();
    }
    const char* fill = left > 0.6f   ? "patience_fill_mint"
                       : left > 0.3f ? "patience_fill_butter"
                                     : "patience_fill_cherry";
    if (mFillName != fill)
    {
        mFillName = fill;
        mBarFill.Set(fill, 0.0f, 0.0f);
        MarkChanged();
    }
    Look look = GetLook();
    if (look != mShownLook)
    {
        mShownLook = look;
        MarkChanged();
    }
}

float KpClient::GetAlpha() const
{
    if (mState == kClientLeaving && mLegs.empty() && mMoveTotalMs - mMoveMs < kFadeOutMs)
        return float(mMoveTotalMs - mMoveMs) / float(kFadeOutMs);
    return 1.0f;
}

KpClient::Look KpClient::GetLook() const
{
    return Look{mX, mY, int(mState), int(std::lround(GetPatienceLeft() * kBarFillWidth)),
                int(std::lround(GetAlpha() * 255.0f))};
}

Lumo::Rect KpClient::GetPartRect(int part) const
{
    float hx = HeadX(), hy = HeadY();
    if (part == 0)
        return Cover((IsSeated() ? mSit : mStand).GetRect(mX, mY), mFace.GetRect(hx, hy));
    if (mState != kClientQueued && mState != kClientWaiting)
        return Lumo::Rect();
    int barX = int(hx) - kBarLeftOfHead;
    int barY = int(hy) - kBarAboveHead - kBarHeight;
    Lumo::Rect r =
        Cover(mBarBack.GetRect(float(barX), float(barY)),
              Lumo::Rect(barX + kBarInset, barY + kBarInset, kBarFillWidth, kBarFillHeight));
    if (mState == kClientWaiting)
    {
        float bx = hx + float(kBubbleRightOfHead), by = hy - float(kBubbleAboveHead);
        r = Cover(r, mBubble.GetRect(bx, by));
        r = Cover(r, mProduct.GetRect(bx + kBubbleWidth * 0.5f + 2.0f, by + kBubbleHeight * 0.42f));
    }
    return r;
}

Lumo::Rect KpClient::GetDrawnRect() const
{
    if (!mVisible)
        return Lumo::Rect();
    return Cover(GetPartRect(0), GetPartRect(1));
}

int KpClient::GetPartZ(int part) const
{
    if (part == 1)
        return kOverlayZ + mZ;
    return IsSeated() && mTable ? mTable->SeatedZ() : mZ;
}

void KpClient::DrawPart(Lumo::Graphics* g, int part)
{
    float alpha = GetAlpha();
    float hx = HeadX(), hy = HeadY();
    if (part == 0)
    {
        (IsSeated() ? mSit : mStand).Draw(g, mX, mY, alpha);
        mFace.Draw(g, hx, hy, alpha);
        return;
    }
    if (mState != kClientQueued && mState != kClientWaiting)
        return;
    // The patience bar over the head; the order bubble beside it once seated.
    int barX = int(hx) - kBarLeftOfHead;
    int barY = int(hy) - kBarAboveHead - kBarHeight;
    mBarBack.Draw(g, float(barX), float(barY));
    int fill = int(std::lround(GetPatienceLeft() * kBarFillWidth));
    mBarFill.DrawPart(g, barX + kBarInset, barY + kBarInset, 0, 0, fill, kBarFillHeight);
    if (mState == kClientWaiting)
    {
        float bx = hx + float(kBubbleRightOfHead), by = hy - float(kBubbleAboveHead);
        mBubble.Draw(g, bx, by);
        mProduct.Draw(g, bx + kBubbleWidth * 0.5f + 2.0f, by + kBubbleHeight * 0.42f);
    }
}
