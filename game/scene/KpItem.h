// KpItem: an object of the cafe scene (a table, a client, a plant, a coin that
// floats up). It has a place, a depth (z: larger is nearer and drawn later),
// and one or more parts, each drawn at a depth of its own so that a client
// can sit between a chair and the table top. Items are owned by the item
// registry (KpItemList), advanced once per update by the game time of that
// update and drawn by the z-order manager.
#pragma once

#include <string>

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

    // --- Data
    std::string mName;          // unique in the registry while named; may be empty
    std::string mClassName;     // the object class it was made as
    float mX = 0.0f, mY = 0.0f; // scene pixels
    int mZ = 0;                 // depth: larger draws later
    bool mVisible = true;
    bool mRemove = false; // the registry deletes it after this update
    int mClicks = 0;      // clicks registered on it
};
