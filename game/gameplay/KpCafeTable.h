// A table of the cafe with its chair. A client sits between the chair (drawn
// behind) and the table top (drawn in front); a client who ate leaves the
// table dirty, and only then can the table be clicked, to clean it. Its looks
// follow the upgrades of the groups "tables" (the top) and "chairs".
#pragma once

#include "game/scene/KpIUpgrade.h"
#include "game/scene/KpPickItem.h"
#include "game/scene/KpSprite.h"

class KpClient;

class KpCafeTable : public KpPickItem, public KpIUpgrade
{
public:
    KpCafeTable();

    // Takes its place and its pictures.
    void Place(float x, float y);

    bool IsFree() const { return !mDirty && !mClient; }
    bool IsDirty() const { return mDirty; }
    KpClient* GetClient() const { return mClient; }
    // A client takes the table (on the way to it) or leaves it (null).
    void SetClient(KpClient* client) { mClient = client; }
    void SetDirty(bool dirty);
    // The product a served client eats, drawn on the top; empty: none.
    void SetServed(const std::string& product);

    // Where a client sits: the bottom centre of its seated picture.
    float SeatX() const { return mX; }
    float SeatY() const;
    // The depth of a client sitting here: between the chair and the top.
    int SeatedZ() const { return mZ - 1; }
    // The textures it shows now for its top and its chair.
    const std::string& GetTopPicture() const { return mTop.GetName(); }
    const std::string& GetChairPicture() const { return mChair.GetName(); }

    // --- KpItem
    int GetPartCount() const override { return 2; }
    int GetPartZ(int part) const override { return part == 0 ? mZ - 2 : mZ + 1; }
    void DrawPart(Lumo::Graphics* g, int part) override;
    Lumo::Rect GetPartRect(int part) const override;
    bool IsPickable() const override { return mDirty && KpPickItem::IsPickable(); }

    // --- KpIUpgrade: "tables" and "chairs"
    bool ApplyUpgradeSkin(const std::string& group, const std::string& skin) override;

private:
    void TakePictures();

    bool mDirty = false;
    KpClient* mClient = nullptr; // not owned; sitting or on the way here
    std::string mTableSkin, mChairSkin;
    KpSprite mTop, mChair, mDirt, mProduct;
};
