// levelgen <out folder>: writes the game's level files, "l001.xml" to
// "l059.xml" (the career) and "e001.xml" to "e003.xml" (survival, one per
// cafe), from the difficulty table below. Everything is whole-number
// arithmetic and one seeded generator per level, so two runs give the same
// bytes. The format is described in docs/data-formats.md.
// levelgen --play <folder>: the simulated players (SimPlayer.h) play those
// files and print what they earn, to tune the table by.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <objbase.h>

#include "game/engine/KpXml.h"
#include "game/gameplay/KpLevelData.h"
#include "tools/levelgen/SimPlayer.h"

namespace
{
// A small seeded generator (xorshift32): the level's arrivals and orders.
struct Random
{
    uint32_t state;
    explicit Random(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // lo to hi, both included.
    int Range(int lo, int hi) { return lo + int(Next() % uint32_t(hi - lo + 1)); }
};

struct Cafe
{
    int firstLevel; // levels firstLevel + 1 to firstLevel + days
    int days;
    int tablesFrom, tablesTo;     // tables on the first and the last day
    int dayFrom, dayTo;           // day length, seconds
    int patienceFrom, patienceTo; // tenths of seconds
    int eat;                      // tenths of seconds
    int lives;
    int menuFrom, menuTo;     // products on the menu, first and last day
    int gapFrom, gapTo;       // tenths of seconds between two guests of one table
    int goalFrom, goalTo;     // the goal money, percent of the day's orders' prices
    int expertFrom, expertTo; // the expert money, the same
    const char* look;
};

// The three cafes: each one larger, faster and busier than the one before.
// Tuned with the simulated players (levelgen --play): a new player makes the
// goal on the first days of cafe 1 and needs more care from then on; a good
// player makes the expert money only near the day's end.
const Cafe kCafes[3] = {
    {0, 15, 3, 5, 90, 120, 300, 200, 40, 5, 3, 4, 160, 110, 80, 105, 128, 132, "cafe1"},
    {15, 20, 4, 6, 100, 130, 220, 150, 35, 4, 4, 5, 110, 85, 105, 115, 128, 132, "cafe2"},
    {35, 24, 5, 8, 110, 140, 180, 130, 30, 4, 5, 6, 95, 75, 105, 120, 128, 132, "cafe3"},
};

struct Product
{
    const char* name;
    int price; // in cafe 1; each later cafe asks one more
};
const Product kProducts[6] = {{"coffee", 6}, {"tea", 5},   {"croissant", 8},
                              {"cake", 10},  {"juice", 7}, {"sundae", 12}};

// Table places, filled in this order (the middle first).
const int kTableSpots[8][2] = {{345, 425}, {540, 425}, {345, 640}, {540, 640},
                               {150, 425}, {735, 425}, {150, 640}, {735, 640}};
const int kDoorX = 958, kDoorY = 350;
// The last guest of a day comes in at this percent of it.
const int kLastArrival = 92;
// Guests come no closer together than this, tenths of seconds, however many
// tables there are (but for a busload, below): a good player clicks about
// twice a second, twice a guest.
const int kMinGap = 15;
// The days with a tutorial: their first guests come one at a time, this many
// tenths apart, so that a new player can read each tip and act on it before
// the next guest sits down.
const int kCalmGuests = 3, kCalmGap = 120;
// The tour buses' day: its guests come a busload at a time, this many at
// once, this many tenths apart as they step off; a bus comes every busload's
// worth of gaps, so the day brings as many guests as one of single arrivals.
const int kBusDay = 41, kBusLoad = 5, kBusStep = 5;
// Survival: a run's day, seconds; its first day is the cafe's career day this
// percent of the way through; each next day's patience is multiplied by
// 0.kSurvivalPatience.
const int kSurvivalDay = 75, kSurvivalStep = 25, kSurvivalPatience = 80;

struct Decor
{
    const char* name;
    int x, y;
};
// The places of the upgrades' decoration, the same in every cafe.
const Decor kDecor[] = {{"window_curtains", 200, 262},
                        {"plants_left", 42, 330},
                        {"plants_right", 532, 324},
                        {"counter_espresso", 640, 238},
                        {"radio_shelf", 858, 238}};

struct Upgrade
{
    const char* object;
    const char* name;
    const char* kind;
};
const Upgrade kUpgrades[6] = {
    {"tables", "marble", "visual"},        {"window", "curtains", "visual"},
    {"plants", "ferns", "visual"},         {"chairs", "comfy", "functional"},
    {"counter", "espresso", "functional"}, {"radio", "jazz", "functional"},
};

// a + (b - a) * num / den, rounded to the nearest whole number.
int Lerp(int a, int b, int num, int den)
{
    if (den <= 0)
        return a;
    int span = (b - a) * num;
    return a + (span >= 0 ? (span + den / 2) / den : -((-span + den / 2) / den));
}

int RoundTo5(int v)
{
    return (v + 2) / 5 * 5;
}

struct Level
{
    int number;
    bool endless;
    int cafe;        // 1-3
    int day;         // 1-based day of the cafe (survival: 1)
    int step, steps; // how far through the cafe: step of steps
};

class Writer
{
public:
    void Line(const std::string& text) { mText += text + "\r\n"; }
    const std::string& Text() const { return mText; }

private:
    std::string mText;
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

std::string Tenths(int tenths)
{
    return Format("%d.%d", tenths / 10, tenths % 10);
}

std::string MakeLevel(const Level& lv)
{
    const Cafe& cafe = kCafes[lv.cafe - 1];
    Random random(uint32_t(lv.number) * 2654435761u + (lv.endless ? 0x51ED27u : 0u));
    const int s = lv.step, n = lv.steps; // progress s / n through the cafe

    int tables = Lerp(cafe.tablesFrom, cafe.tablesTo, s, n);
    int dayLength = lv.endless ? kSurvivalDay : Lerp(cafe.dayFrom, cafe.dayTo, s, n);
    int patience = Lerp(cafe.patienceFrom, cafe.patienceTo, s, n);
    int menuCount = lv.endless ? cafe.menuTo : Lerp(cafe.menuFrom, cafe.menuTo, s, n);

    // Arrivals: about one every `gap` tenths, jittered by a third of it,
    // from 2 s until kLastArrival percent of the day.
    int gap = std::max(kMinGap, Lerp(cafe.gapFrom, cafe.gapTo, s, n) / tables);
    int first = 20, last = dayLength * 10 * kLastArrival / 100;
    std::vector<int> times;
    const bool teaches = !lv.endless && lv.cafe == 1 && lv.day <= 2;
    if (teaches)
        for (int k = 0; k < kCalmGuests; k++, first += kCalmGap)
            times.push_back(first);
    if (!lv.endless && lv.number == kBusDay)
        for (int t = first; t <= last; t += gap * kBusLoad)
        {
            int bus = std::min(last, std::max(first, t + random.Range(-gap / 2, gap / 2)));
            for (int k = 0; k < kBusLoad; k++)
                times.push_back(std::min(last, bus + k * kBusStep));
        }
    else
        for (int t = first; t <= last; t += gap)
            times.push_back(std::min(last, std::max(first, t + random.Range(-gap / 3, gap / 3))));
    std::sort(times.begin(), times.end());

    struct Arrival
    {
        int time, patience;
        int product;
    };
    std::vector<Arrival> arrivals;
    int total = 0;
    for (int t : times)
    {
        Arrival a;
        a.time = t;
        a.product = random.Range(0, menuCount - 1);
        a.patience = patience * random.Range(85, 115) / 100;
        total += kProducts[a.product].price + lv.cafe - 1;
        arrivals.push_back(a);
    }

    // Money, in percent of the orders' prices: a serve pays up to half again
    // for speed, so the expert money asks for nearly every order served quickly.
    int goal = RoundTo5(total * Lerp(cafe.goalFrom, cafe.goalTo, s, n) / 100);
    int expert = RoundTo5(total * Lerp(cafe.expertFrom, cafe.expertTo, s, n) / 100);
    int count = int(arrivals.size());
    int flash = 0, clean = 0, match = 0, expertGoal = 1, mega = 0;
    if (!lv.endless)
    {
        bool first3 = lv.cafe == 1 && lv.day <= 2;
        flash = std::max(2, count * Lerp(30, 50, s, n) / 100);
        clean = std::max(2, count / 2);
        match = lv.cafe == 1 && lv.day == 1 ? 0 : Lerp(4, 10, s, n) + 2 * (lv.cafe - 1);
        mega = first3 ? 0 : 1;
    }
    else
        expertGoal = 0;

    Writer w;
    w.Line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    w.Line("<!-- Made by tools/levelgen from its difficulty table: change the table, not this "
           "file. -->");
    std::string comics;
    if (!lv.endless && lv.day == 1)
        comics += Format(" onstart_comix=\"intro_cafe%d\"", lv.cafe);
    if (!lv.endless && lv.day == cafe.days)
        comics += Format(" onfinish_comix=\"outro_cafe%d\"", lv.cafe);
    w.Line(Format("<level mode=\"%s\" number=\"%d\"%s>", lv.endless ? "survival" : "career",
                  lv.number, comics.c_str()));
    w.Line(Format("  <day length=\"%d\" eat=\"%s\"/>", dayLength, Tenths(cafe.eat).c_str()));
    w.Line(Format("  <money goal=\"%d\" expert=\"%d\"/>", goal, expert));
    w.Line(Format("  <lives count=\"%d\"/>", lv.endless ? 3 : cafe.lives));
    w.Line(Format("  <goals flash=\"%d\" clean=\"%d\" expert=\"%d\" match=\"%d\" mega=\"%d\"/>",
                  flash, clean, expertGoal, match, mega));
    if (lv.endless)
        w.Line(Format("  <survival patience_factor=\"0.%02d\"/>", kSurvivalPatience));
    w.Line(Format("  <scene look=\"%s\" door=\"%d;%d\">", cafe.look, kDoorX, kDoorY));
    for (int i = 0; i < tables; i++)
        w.Line(Format("    <object class=\"table\" name=\"table%d\" pos=\"%d;%d\"/>", i + 1,
                      kTableSpots[i][0], kTableSpots[i][1]));
    for (const Decor& d : kDecor)
        w.Line(Format("    <object class=\"decor\" name=\"%s\" pos=\"%d;%d\"/>", d.name, d.x, d.y));
    w.Line("  </scene>");
    w.Line("  <menu>");
    for (int i = 0; i < menuCount; i++)
        w.Line(Format("    <product name=\"%s\" price=\"%d\"/>", kProducts[i].name,
                      kProducts[i].price + lv.cafe - 1));
    w.Line("  </menu>");
    w.Line("  <clients>");
    for (const Arrival& a : arrivals)
        w.Line(Format("    <client time=\"%s\" order=\"%s\" patience=\"%s\"/>",
                      Tenths(a.time).c_str(), kProducts[a.product].name,
                      Tenths(a.patience).c_str()));
    w.Line("  </clients>");

    // Upgrades: every fifth career day offers three, but not a cafe's last
    // day, after which no day of that cafe could use the pick; a survival
    // run two a day for three days.
    std::vector<std::string> offers;
    if (!lv.endless && lv.day % 5 == 0 && lv.day < cafe.days)
        for (int k = 0; k < 3; k++)
        {
            const Upgrade& u = kUpgrades[(lv.day / 5 + lv.cafe + k * 2) % 6];
            offers.push_back(Format("    <upgrade object=\"%s\" name=\"%s\" kind=\"%s\" "
                                    "levels=\"%d;%d\"/>",
                                    u.object, u.name, u.kind, cafe.firstLevel + 1,
                                    cafe.firstLevel + cafe.days));
        }
    if (lv.endless)
        for (int k = 0; k < 6; k++)
            offers.push_back(Format("    <upgrade object=\"%s\" name=\"%s\" kind=\"%s\" "
                                    "levels=\"1;3\" stage=\"%d\"/>",
                                    kUpgrades[k].object, kUpgrades[k].name, kUpgrades[k].kind,
                                    1 + k / 2));
    if (!offers.empty())
    {
        w.Line("  <upgrades>");
        for (const std::string& o : offers)
            w.Line(o);
        w.Line("  </upgrades>");
    }

    // The first two days teach the play.
    if (!lv.endless && lv.number == 1)
    {
        w.Line("  <tutorial>");
        // The money tip comes with the first guest's coins and stays until
        // the next guest comes in (a calm guest's gap later), while the first
        // one eats: after the cleaning and up only until the next pay, a
        // quick player's next serve took it away unread.
        w.Line("    <step show=\"tutorial_serve\" wait=\"serve\"/>");
        w.Line("    <step show=\"tutorial_money\" wait=\"arrive\"/>");
        w.Line("    <step show=\"tutorial_clean\" wait=\"clean\"/>");
        w.Line("  </tutorial>");
    }
    if (!lv.endless && lv.number == 2)
    {
        w.Line("  <tutorial>");
        // The patience tip stays until what it asks is done, the most hurried
        // of two waiting guests served first (or the tips are skipped): with
        // the first serve it went before it could be read.
        w.Line("    <step show=\"tutorial_patience\" wait=\"urgent\"/>");
        w.Line("  </tutorial>");
    }
    w.Line("</level>");
    return w.Text();
}

bool WriteFile(const std::string& path, const std::string& text)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

bool ReadFile(const std::string& path, std::string& text)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buffer[4096];
    size_t n;
    text.clear();
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        text.append(buffer, n);
    fclose(f);
    return true;
}

// Both simulated players on every level file of the folder: the table of
// what they earn, one line per level.
int Play(const std::string& folder)
{
    CoInitialize(nullptr);
    printf("%s", SimTableHeading().c_str());
    int bad = 0;
    for (bool endless : {false, true})
        for (int n = 1; n <= (endless ? kSurvivalLevelCount : kCareerLevelCount); n++)
        {
            std::string name = Format(endless ? "%s/e%03d.xml" : "%s/l%03d.xml", folder.c_str(), n);
            std::string text, error;
            std::vector<std::string> warnings;
            KpLevelData level;
            KpXmlDocument document;
            if (ReadFile(name, text))
                document = XmlLoadBytes(text, name);
            if (!document || !ReadLevelData(document.Get(), n, endless, level, error, warnings))
            {
                fprintf(stderr, "levelgen: cannot play %s %s\n", name.c_str(), error.c_str());
                bad++;
                continue;
            }
            printf("%s", SimTableLine(SimPlayLevel(level)).c_str());
            fflush(stdout);
        }
    CoUninitialize();
    return bad ? 1 : 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--play")
        return Play(argv[2]);
    if (argc != 2)
    {
        fprintf(stderr, "usage: levelgen <out folder> | levelgen --play <level folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    int written = 0;
    for (int c = 1; c <= 3; c++)
    {
        const Cafe& cafe = kCafes[c - 1];
        for (int d = 1; d <= cafe.days; d++)
        {
            Level lv{cafe.firstLevel + d, false, c, d, d - 1, cafe.days - 1};
            std::string name = Format("%s/l%03d.xml", folder.c_str(), lv.number);
            if (!WriteFile(name, MakeLevel(lv)))
            {
                fprintf(stderr, "levelgen: cannot write %s\n", name.c_str());
                return 1;
            }
            written++;
        }
        // A run starts as busy as the middle of its cafe's career.
        Level survival{c, true, c, 1, kSurvivalStep * (cafe.days - 1) / 100, cafe.days - 1};
        std::string name = Format("%s/e%03d.xml", folder.c_str(), c);
        if (!WriteFile(name, MakeLevel(survival)))
        {
            fprintf(stderr, "levelgen: cannot write %s\n", name.c_str());
            return 1;
        }
        written++;
    }
    printf("levelgen: %d levels\n", written);
    return 0;
}
