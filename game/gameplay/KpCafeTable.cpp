#include "game/gameplay/KpCafeTable.h"

#include "game/gameplay/KpCafeArt.h"

using namespace KpCafeArt;

KpCafeTable::KpCafeTable()
{
    SetPickEllipse(0.0f, 0.0f, float(kTableTopRX), float(kTableTopRY));
}

void KpCafeTable::Place(float x, float y)
{
    mX = x;
    mY = y;
    mZ = int(y) * 4;
    TakePictures();
}

float KpCafeTable::SeatY() const
{
    return mY - float(kSeatAbove);
}

void KpCafeTable::SetDirty(bool dirty)
{
    MarkChanged();
    mDirty = dirty;
    if (dirty)
        mDirt.Set("table_dirty", 0.5f, 0.5f);
    else
        mDirt.Release();
}

void KpCafeTable::SetServed(const std::string& product)
{
    MarkChanged();
    if (product.empty())
        mProduct.Release();
    else
        mProduct.Set("prod_" + product, 0.5f, 0.5f);
}

void KpCafeTable::TakePictures()
{
    MarkChanged();
    mTop.Set("table_" + (mTableSkin.empty() ? std::string("oak") : mTableSkin), 0.5f,
             float(kTableTopY) / float(kTableHeight));
    mChair.Set(mChairSkin.empty() ? "chair" : "chair_" + mChairSkin, 0.5f, 1.0f);
}

bool KpCafeTable::ApplyUpgradeSkin(const std::string& group, const std::string& skin)
{
    if (group == "tables")
        mTableSkin = skin;
    else if (group == "chairs")
        mChairSkin = skin;
    else
        return false;
    TakePictures();
    return true;
}

void KpCafeTable::DrawPart(Lumo::Graphics* g, int part)
{
    if (part == 0)
    {
        mChair.Draw(g, mX, mY + float(kChairBelow));
        return;
    }
    mTop.Draw(g, mX, mY);
    mDirt.Draw(g, mX, mY - 2.0f);
    mProduct.Draw(g, mX + 6.0f, mY - 12.0f);
}

Lumo::Rect KpCafeTable::GetPartRect(int part) const
{
    if (part == 0)
        return mChair.GetRect(mX, mY + float(kChairBelow));
    return Cover(Cover(mTop.GetRect(mX, mY), mDirt.GetRect(mX, mY - 2.0f)),
                 mProduct.GetRect(mX + 6.0f, mY - 12.0f));
}
