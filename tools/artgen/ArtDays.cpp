// One picture per day: the career's 59 days ("briefing_01" to "briefing_59"),
// the survival cafes ("ebriefing_01" to "ebriefing_03"), the picture of a day
// not played yet ("briefing_qq") and the fallback ("briefing_00"). Each is a
// photo print of its cafe's room at one of three hours, with its own guests,
// fuller as the days go on; the nine empty rooms are drawn once.
#include "framework/app/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

const int kW = 300, kH = 200, kBorder = 9;
const int kSceneW = kW - 6 - 2 * kBorder, kSceneH = kH - 8 - 2 * kBorder;
const int kHours = 3;

struct Room
{
    Lumo::MemoryImage image;
    CafeRoomLayout layout;
};

class Rooms
{
public:
    const Room& Get(int cafe, int hour)
    {
        Room& room = mRooms[cafe - 1][hour];
        if (!room.image.mWidth)
        {
            room.image.Create(kSceneW, kSceneH);
            room.layout = CafeRoom(room.image, 0, 0, kSceneW, kSceneH, cafe, uint32_t(hour + 1));
        }
        return room;
    }

private:
    Room mRooms[3][kHours];
};

Lumo::MemoryImage Print(Rooms& rooms, int cafe, uint32_t seed, float busy)
{
    Lumo::MemoryImage image = Blank(kW, kH);
    PhotoCard(image, 2, 2, kW - 6, kH - 8, kBorder, kBorder);
    const Room& room = rooms.Get(cafe, int(seed % kHours));
    Lumo::MemoryImage scene = Blank(kSceneW, kSceneH);
    {
        Lumo::Graphics g(&scene);
        g.DrawImage(const_cast<Lumo::MemoryImage*>(&room.image), 0, 0);
    }
    CafeFolk(scene, 0, 0, kSceneW, kSceneH, cafe, room.layout, seed, busy);
    Lumo::Graphics g(&image);
    g.DrawImage(&scene, 2 + kBorder, 2 + kBorder);
    return image;
}

int CafeOf(int level)
{
    return level < 16 ? 1 : (level < 36 ? 2 : 3);
}
} // namespace

ART_GROUP(days)
{
    Rooms rooms;
    const int firstOf[3] = {1, 16, 36}, daysOf[3] = {15, 20, 24};
    for (int level = 1; level <= 59; level++)
    {
        int cafe = CafeOf(level);
        float busy = 0.15f + 0.85f * float(level - firstOf[cafe - 1]) / float(daysOf[cafe - 1]);
        Lumo::MemoryImage image = Print(rooms, cafe, uint32_t(level), busy);
        out.Save(Lumo::StrFormat("days/briefing_%02d.png", level), image);
    }
    for (int cafe = 1; cafe <= 3; cafe++)
    {
        Lumo::MemoryImage image = Print(rooms, cafe, 500u + cafe, 1.0f);
        out.Save(Lumo::StrFormat("days/ebriefing_%02d.png", cafe), image);
    }
    Lumo::MemoryImage fallback = Print(rooms, 1, 0, 0.4f);
    out.Save("days/briefing_00.png", fallback);

    // A day still to come: the room behind frosted glass and a big question mark.
    Lumo::MemoryImage next = Print(rooms, 1, 3, 0.0f);
    ArtMask glass = Mask(next);
    glass.AddRoundRect(2 + kBorder, 2 + kBorder, kW - 6 - 2 * kBorder, kH - 8 - 2 * kBorder, 0);
    ArtPaint::Fill(next, glass, kCream, 0.72f);
    Label(next, L"?", kW / 2, kH / 2 + 34, 100, kCaramel, true);
    out.Save("days/briefing_qq.png", next);
}
