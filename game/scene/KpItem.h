// KpItem: an object of the cafe scene (a table, a client, a plant, a coin that
// floats up). It has a place, a depth (z: larger is nearer and drawn later),
// and one or more parts, each drawn at a depth of its own so that a client
// can sit between a chair and the table top. Items are owned by the item
// registry (KpItemList), advanced once per update by the game time of that
// update and drawn by the z-order manager.
//
// The board draws again only what changed (KpSceneChanges): an item tells
// where each part draws (GetPartRect) and marks a change of its look that
// is not a move (MarkChanged); moves, depth changes, appearing and going are
// seen without its help. An item that cannot tell where it draws keeps the
// default, the whole scene, drawn again at every update: correct, only slower.
#pragma once

#include <cstdint>
#include <string>

#include "framework/app/Rect.h"

namespace Lumo
{
class Graphics;
}

class KpItem
{
public:
    KpItem() = default;
    virtual ~KpItem() = default;
    KpItem(const KpItem&) = delete;
    KpItem& operator=(const KpItem&) = delete;

    // --- Virtual operations, in slot order
    // Advances the item by ms of game time.
    virtual void Update(int ms);
    // Parts drawn at depths of their own; part 0 is the item itself.
    virtual int GetPartCount() const { return 1; }
    virtual int GetPartZ(int part) const { return mZ; }
    virtual void DrawPart(Lumo::Graphics* g, int part);
    // Whether a click may land on the item now, and whether (x, y) is on it.
    virtual bool IsPickable() const { return false; }
    virtual bool HitTest(float x, float y) const { return false; }
    // The item was clicked (after a hit).
    virtual void OnClick() { mClicks++; }
    // The scene rectangle the part covers when drawn now (empty: nothing).
    virtual Lumo::Rect GetPartRect(int part) const;

    // Far beyond any screen: the default area of a part.
    static const Lumo::Rect kWholeScene;
    // The smallest rectangle holding both; an empty one adds nothing.
    static Lumo::Rect Cover(const Lumo::Rect& a, const Lumo::Rect& b);

    // The look changed where the item stands (a picture, a colour, a fade, a
    // bar): its parts are drawn again.
    void MarkChanged() { mChanged = true; }
    bool IsMarkedChanged() const { return mChanged; }
    void ClearChanged() { mChanged = false; }
    // Unique for the run: tells a new item from a deleted one at its address.
    uint32_t GetSerial() const { return mSerial; }

    // --- Data
    std::string mName;          // unique in the registry while named; may be empty
    std::string mClassName;     // the object class it was made as
    float mX = 0.0f, mY = 0.0f; // scene pixels
    int mZ = 0;                 // depth: larger draws later
    bool mVisible = true;
    bool mRemove = false; // the registry deletes it after this update
    int mClicks = 0;      // clicks registered on it

private:
    static uint32_t sNextSerial;
    uint32_t mSerial = ++sNextSerial;
    bool mChanged = false;
};
