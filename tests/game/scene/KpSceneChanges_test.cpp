// The scene's changed rectangles: what moved gives its old and new place,
// what appeared or went its one place, a marked change its place, and an
// item that cannot tell where it draws the whole scene; nothing else.
#include <gtest/gtest.h>

#include "framework/widgets/DirtyRegion.h"
#include "game/scene/KpItem.h"
#include "game/scene/KpItemList.h"
#include "game/scene/KpSceneChanges.h"

namespace
{
// A 10 x 10 square at its place; a second part, 4 x 4, above it.
class Square : public KpItem
{
public:
    Square(float x, float y)
    {
        mX = x;
        mY = y;
    }
    int GetPartCount() const override { return 2; }
    Lumo::Rect GetPartRect(int part) const override
    {
        return part == 0 ? Lumo::Rect(int(mX), int(mY), 10, 10)
                         : Lumo::Rect(int(mX), int(mY) - 4, 4, 4);
    }
};

// Cannot tell where it draws.
class Shapeless : public KpItem
{
};

std::vector<Lumo::Rect> Collect(KpSceneChanges& changes, const KpItemList& items)
{
    Lumo::DirtyRegion region;
    changes.Collect(items, region);
    return region.GetRects();
}

// Every pixel of r lies in one of the rectangles.
bool Holds(const std::vector<Lumo::Rect>& rects, const Lumo::Rect& r)
{
    for (int y = r.mY; y < r.mY + r.mHeight; y++)
        for (int x = r.mX; x < r.mX + r.mWidth; x++)
        {
            bool in = false;
            for (const Lumo::Rect& c : rects)
                in = in || (x >= c.mX && y >= c.mY && x < c.mX + c.mWidth && y < c.mY + c.mHeight);
            if (!in)
                return false;
        }
    return true;
}

long long Area(const std::vector<Lumo::Rect>& rects)
{
    long long area = 0;
    for (const Lumo::Rect& r : rects)
        area += (long long)r.mWidth * r.mHeight;
    return area;
}
} // namespace

TEST(KpSceneChanges, OnlyWhatMovedAppearedWentOrWasMarkedIsDrawnAgain)
{
    KpItemList items;
    KpSceneChanges changes;
    KpItem* still = items.Add(new Square(0, 100));
    KpItem* walker = items.Add(new Square(200, 100));
    std::vector<Lumo::Rect> first = Collect(changes, items);
    EXPECT_TRUE(Holds(first, Lumo::Rect(0, 100, 10, 10)) && Holds(first, Lumo::Rect(0, 96, 4, 4)))
        << "new: both parts";
    EXPECT_TRUE(Holds(first, Lumo::Rect(200, 100, 10, 10)) &&
                Holds(first, Lumo::Rect(200, 96, 4, 4)));

    EXPECT_TRUE(Collect(changes, items).empty()) << "nothing changed";

    walker->mX = 300;
    std::vector<Lumo::Rect> moved = Collect(changes, items);
    EXPECT_TRUE(Holds(moved, Lumo::Rect(200, 100, 10, 10)) &&
                Holds(moved, Lumo::Rect(200, 96, 4, 4)))
        << "old place";
    EXPECT_TRUE(Holds(moved, Lumo::Rect(300, 100, 10, 10)) &&
                Holds(moved, Lumo::Rect(300, 96, 4, 4)))
        << "new place";
    EXPECT_EQ(2 * (100 + 16), Area(moved));

    walker->mZ = 5; // in front of something else now: its place again
    EXPECT_EQ(100 + 16, Area(Collect(changes, items)));

    still->MarkChanged();
    std::vector<Lumo::Rect> marked = Collect(changes, items);
    EXPECT_TRUE(Holds(marked, Lumo::Rect(0, 100, 10, 10)) &&
                Holds(marked, Lumo::Rect(0, 96, 4, 4)));
    EXPECT_EQ(100 + 16, Area(marked));
    EXPECT_FALSE(still->IsMarkedChanged());

    walker->mVisible = false;
    std::vector<Lumo::Rect> hidden = Collect(changes, items);
    EXPECT_TRUE(Holds(hidden, Lumo::Rect(300, 100, 10, 10)) &&
                Holds(hidden, Lumo::Rect(300, 96, 4, 4)))
        << "gone from sight";
    EXPECT_EQ(100 + 16, Area(hidden));

    // Deleted, and a new item where the old one lived: both places.
    items.Clear();
    items.Add(new Square(0, 100));
    std::vector<Lumo::Rect> replaced = Collect(changes, items);
    EXPECT_TRUE(Holds(replaced, Lumo::Rect(0, 100, 10, 10)) &&
                Holds(replaced, Lumo::Rect(0, 96, 4, 4)));
}

TEST(KpSceneChanges, AnItemThatCannotTellWhereItDrawsRepaintsTheWholeSceneEachTime)
{
    KpItemList items;
    KpSceneChanges changes;
    items.Add(new Shapeless()); // nor whether its look changed
    Collect(changes, items);
    std::vector<Lumo::Rect> all = Collect(changes, items);
    EXPECT_TRUE(Holds(all, Lumo::Rect(0, 0, 1024, 768)));
}

// An item of many parts (more than eight): a move of its last part is seen
// like any other, and the whole item goes when it is hidden.
TEST(KpSceneChanges, EveryPartOfAManyPartItemIsFollowed)
{
    class Row : public KpItem
    {
    public:
        int GetPartCount() const override { return 12; }
        Lumo::Rect GetPartRect(int part) const override
        {
            return Lumo::Rect(part * 20 + (part == 11 ? mShift : 0), 0, 10, 10);
        }
        int mShift = 0;
    };
    KpItemList items;
    KpSceneChanges changes;
    Row* row = static_cast<Row*>(items.Add(new Row));
    EXPECT_TRUE(Holds(Collect(changes, items), Lumo::Rect(220, 0, 10, 10))) << "new: the last part";
    row->mShift = 5;
    std::vector<Lumo::Rect> moved = Collect(changes, items);
    EXPECT_TRUE(Holds(moved, Lumo::Rect(220, 0, 15, 10)));
    EXPECT_EQ(Area(moved), 15 * 10) << "the other parts stayed";
    row->mVisible = false;
    std::vector<Lumo::Rect> gone = Collect(changes, items);
    EXPECT_TRUE(Holds(gone, Lumo::Rect(0, 0, 10, 10)) && Holds(gone, Lumo::Rect(225, 0, 10, 10)));
}
