// The level files: every shipped one reads cleanly and is what the generator
// makes; unplayable files are refused with their reason, bad elements skipped
// with a warning; seeded mutations never crash the reader.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "game/engine/KpXml.h"
#include "game/gameplay/KpLevelData.h"
#include "tests/game/gameplay/GameplayTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{
struct Read
{
    bool ok = false;
    std::string error;
    std::vector<std::string> warnings;
    KpLevelData level;
};

Read ReadText(const std::string& xml, int number, bool endless)
{
    Read r;
    KpXmlDocument document = XmlLoadBytes(xml, "level");
    r.ok = ReadLevelData(document.Get(), number, endless, r.level, r.error, r.warnings);
    return r;
}

std::string ShippedName(int n, bool endless)
{
    return Lumo::StrFormat(endless ? "e%03d.xml" : "l%03d.xml", n);
}

// A small playable level; tests change one part of it.
const char* const kSmall = R"(<level mode="career" number="7">
  <day length="30" eat="2"/>
  <money goal="20" expert="30"/>
  <lives count="3"/>
  <goals flash="1" clean="1" expert="1" match="2" mega="1"/>
  <scene look="cafe1" door="958;350">
    <object class="table" name="table1" pos="345;425"/>
  </scene>
  <menu><product name="coffee" price="10"/></menu>
  <clients><client time="1" order="coffee" patience="10"/></clients>
</level>)";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}
} // namespace

TEST(LevelData, EveryShippedLevelReadsWithoutAWarningAndGetsHarderThroughEachCafe)
{
    const int firsts[3] = {1, 16, 36}, lasts[3] = {15, 35, 59};
    for (int cafe = 0; cafe < 3; cafe++)
    {
        Read first, last;
        for (int n = firsts[cafe]; n <= lasts[cafe]; n++)
        {
            Read r = ReadText(ShippedLevelText(ShippedName(n, false)), n, false);
            ASSERT_TRUE(r.ok) << ShippedName(n, false) << ": " << r.error;
            EXPECT_TRUE(r.warnings.empty()) << ShippedName(n, false) << ": " << r.warnings[0];
            EXPECT_EQ(LevelCafe(n, false), cafe + 1);
            // A pick is kept only for the later days of its cafe: its last day has none to offer.
            if (!r.level.upgrades.empty())
            {
                EXPECT_LT(n, lasts[cafe]) << ShippedName(n, false) << " offers an unusable upgrade";
            }
            if (n == firsts[cafe])
                first = r;
            if (n == lasts[cafe])
                last = r;
        }
        EXPECT_LT(first.level.goalMoney, last.level.goalMoney) << "cafe " << cafe + 1;
        EXPECT_LT(first.level.clients.size(), last.level.clients.size()) << "cafe " << cafe + 1;
        EXPECT_LE(first.level.dayLengthMs, last.level.dayLengthMs) << "cafe " << cafe + 1;
        EXPECT_FALSE(first.level.onStartComix.empty()) << "cafe " << cafe + 1;
        EXPECT_FALSE(last.level.onFinishComix.empty()) << "cafe " << cafe + 1;
    }
    for (int n = 1; n <= kSurvivalLevelCount; n++)
    {
        Read r = ReadText(ShippedLevelText(ShippedName(n, true)), n, true);
        ASSERT_TRUE(r.ok) << ShippedName(n, true) << ": " << r.error;
        EXPECT_TRUE(r.warnings.empty()) << ShippedName(n, true);
        EXPECT_FALSE(r.level.upgrades.empty());
        EXPECT_LT(r.level.patienceFactor, 1.0f);
    }
}

// Day 41's briefing promises tour buses, one group of hungry travellers after
// another: its guests step in a busload at a time, where the days around it
// bring them one by one.
TEST(LevelData, TheTourBusDayBringsItsGuestsBusloadByBusload)
{
    const int kLoad = 4, kWithinMs = 2500, kPauseMs = 3000;
    for (int n : {40, 41, 42})
    {
        Read r = ReadText(ShippedLevelText(ShippedName(n, false)), n, false);
        ASSERT_TRUE(r.ok) << r.error;
        const std::vector<KpLevelClient>& c = r.level.clients;
        // Busloads: runs of guests each within kWithinMs of the run's first.
        int loads = 0, alone = 0, closestPause = 1 << 30;
        for (size_t i = 0; i < c.size();)
        {
            size_t end = i + 1;
            while (end < c.size() && c[end].timeMs - c[i].timeMs <= kWithinMs)
                end++;
            (end - i >= size_t(kLoad) ? loads : alone) += int(end - i);
            if (end < c.size())
                closestPause = std::min(closestPause, c[end].timeMs - c[end - 1].timeMs);
            i = end;
        }
        if (n == 41)
        {
            EXPECT_EQ(alone, 0) << "guests of day 41 off any bus";
            EXPECT_GE(closestPause, kPauseMs) << "buses of day 41 one on another's heels";
        }
        else
            EXPECT_EQ(loads, 0) << "day " << n << " brings busloads";
    }
}

TEST(LevelData, ShippedLevelsAreWhatTheGeneratorMakes)
{
    struct Folder : TempFolder
    {
        ~Folder() { Leave(); }
    } folder;
    // Wine gives a new process the same id run after run: the time keeps the name new.
    ASSERT_NO_FATAL_FAILURE(folder.Enter("levelgen" + std::to_string(GetTickCount()) + "_"));
    std::string command = "\"" + std::string(LUMO_BINARY_DIR) + "/tools/levelgen/levelgen.exe\" .";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);
    for (bool endless : {false, true})
        for (int n = 1; n <= (endless ? kSurvivalLevelCount : kCareerLevelCount); n++)
            EXPECT_EQ(ReadTestFile(ShippedName(n, endless)),
                      ShippedLevelText(ShippedName(n, endless)))
                << ShippedName(n, endless) << " differs from the generator's output";
}

TEST(LevelData, UnplayableLevelsAreRefusedWithTheirReason)
{
    EXPECT_TRUE(ReadText(kSmall, 7, false).ok);
    struct Case
    {
        std::string xml;
        int number;
        bool endless;
        const char* reason;
    };
    const Case cases[] = {
        {"", 7, false, "not well-formed"},
        {std::string(kSmall).substr(0, 200), 7, false, "not well-formed"},
        {kSmall, 8, false, "not for level 8"},
        {kSmall, 60, false, "outside"},
        {kSmall, 2, true, "mode"},
        {Replace(kSmall, "length=\"30\"", "length=\"0\""), 7, false, "<day>"},
        {Replace(kSmall, "eat=\"2\"", "eat=\"nan\""), 7, false, "<day>"},
        {Replace(kSmall, "expert=\"30\"", "expert=\"10\""), 7, false, "expert money is below"},
        {Replace(kSmall, "<lives count=\"3\"/>", ""), 7, false, "<lives>"},
        {Replace(kSmall, "class=\"table\"", "class=\"decor\""), 7, false, "no table"},
        {Replace(kSmall, "price=\"10\"", "price=\"-4\""), 7, false, "no product"},
        {Replace(kSmall, "time=\"1\"", "time=\"30\""), 7, false, "no client"},
        {Replace(kSmall, "door=\"958;350\"", "door=\"958\""), 7, false, "door"},
    };
    for (const Case& c : cases)
    {
        Read r = ReadText(c.xml, c.number, c.endless);
        EXPECT_FALSE(r.ok) << c.reason;
        EXPECT_NE(r.error.find(c.reason), std::string::npos)
            << "expected '" << c.reason << "' in: " << r.error;
    }
}

TEST(LevelData, BadElementsAreSkippedWithAWarningAndTheRestIsRead)
{
    std::string xml = Replace(kSmall, "</clients>",
                              "<client time=\"2\" order=\"pizza\" patience=\"9\"/>"
                              "<client time=\"0.5\" order=\"coffee\" patience=\"7.25\"/></clients>"
                              "<upgrades><upgrade object=\"tables\" name=\"marble\" kind=\"visual\""
                              " levels=\"1;15\"/><upgrade object=\"tables\" name=\"gold\""
                              " kind=\"visual\"/><upgrade object=\"chairs\" name=\"comfy\""
                              " kind=\"visual\"/><upgrade object=\"radio\" name=\"jazz\""
                              " kind=\"functional\" levels=\"9;3\"/></upgrades>"
                              "<tutorial><step show=\"tutorial_serve\" wait=\"serve\"/>"
                              "<step show=\"tutorial_x\" wait=\"dance\"/>"
                              "<step show=\"Tutorial_y\" wait=\"clean\"/></tutorial>");
    xml = Replace(xml, "</scene>",
                  "<object class=\"sofa\" name=\"sofa1\" pos=\"1;1\"/>"
                  "<object class=\"table\" name=\"table1\" pos=\"2;2\"/>"
                  "<object class=\"decor\" name=\"plants_left\" pos=\"2;9999\"/></scene>");
    xml = Replace(xml, "match=\"2\"", "match=\"lots\"");
    Read r = ReadText(xml, 7, false);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(10u, r.warnings.size());
    // The good ones are read; clients come in arrival order.
    ASSERT_EQ(2u, r.level.clients.size());
    EXPECT_EQ(500, r.level.clients[0].timeMs);
    EXPECT_EQ(7250, r.level.clients[0].patienceMs);
    ASSERT_EQ(1u, r.level.upgrades.size());
    EXPECT_EQ(15, r.level.upgrades[0].highestLevel);
    ASSERT_EQ(1u, r.level.tutorial.size());
    EXPECT_EQ(1u, r.level.objects.size());
    EXPECT_EQ(0, r.level.goalTargets[3]);
    EXPECT_EQ(2, r.level.goalTargets[0] + r.level.goalTargets[1]);
}

TEST(LevelData, LevelNumbersMapToCafesDaysAndFilesOnlyInsideTheirRanges)
{
    EXPECT_EQ("cfg\\l001.xml", LevelFileName(1, false));
    EXPECT_EQ("cfg\\l059.xml", LevelFileName(59, false));
    EXPECT_EQ("cfg\\e003.xml", LevelFileName(3, true));
    for (int bad : {0, -1, 60, 1000})
        EXPECT_EQ("", LevelFileName(bad, false)) << bad;
    for (int bad : {0, 4, 59})
        EXPECT_EQ("", LevelFileName(bad, true)) << bad;
    const int levels[] = {1, 15, 16, 35, 36, 59};
    const int cafes[] = {1, 1, 2, 2, 3, 3}, days[] = {1, 15, 1, 20, 1, 24};
    for (int i = 0; i < 6; i++)
    {
        EXPECT_EQ(cafes[i], LevelCafe(levels[i], false)) << levels[i];
        EXPECT_EQ(days[i], LevelDay(levels[i])) << levels[i];
    }
    EXPECT_EQ(2, LevelCafe(2, true));
}

TEST(LevelData, TenThousandMutatedLevelFilesNeverCrashTheReader)
{
    const std::string original = ShippedLevelText("l016.xml");
    const char* const values[] = {"",    "-1",      "0",           "1e40", "nan",
                                  "inf", "-inf",    "99999999999", "abc",  "1;2",
                                  ";",   "2;99999", "0x10",        " 5 "};
    Lumo::MersenneRandom random;
    random.Seed(1617);
    int ok = 0, refused = 0;
    for (int i = 0; i < 10000; i++)
    {
        std::string text = original;
        int edits = 1 + int(random.Next() % 4);
        for (int e = 0; e < edits; e++)
        {
            size_t at = random.Next() % text.size();
            switch (random.Next() % 5)
            {
            case 0: // a byte changed
                text[at] = char(random.Next() % 256);
                break;
            case 1: // a piece cut out
                text.erase(at, 1 + random.Next() % 40);
                break;
            case 2: // cut off
                text.resize(at);
                break;
            default: // an attribute's value replaced, the XML kept whole
            {
                size_t quote = text.find("=\"", at);
                size_t end = quote == std::string::npos ? quote : text.find('"', quote + 2);
                if (end != std::string::npos)
                    text.replace(quote + 2, end - quote - 2,
                                 values[random.Next() % (sizeof(values) / sizeof(values[0]))]);
            }
            }
            if (text.empty())
                break;
        }
        Read r = ReadText(text, 16, false);
        if (!r.ok)
        {
            refused++;
            EXPECT_FALSE(r.error.empty());
            continue;
        }
        ok++;
        // What the reader lets through is playable.
        const KpLevelData& l = r.level;
        ASSERT_GT(l.dayLengthMs, 0);
        ASSERT_GE(l.expertMoney, l.goalMoney);
        ASSERT_GE(l.lives, 1);
        ASSERT_FALSE(l.clients.empty());
        for (size_t c = 0; c < l.clients.size(); c++)
        {
            ASSERT_LT(l.clients[c].timeMs, l.dayLengthMs);
            ASSERT_TRUE(c == 0 || l.clients[c - 1].timeMs <= l.clients[c].timeMs);
            ASSERT_NE(nullptr, l.FindProduct(l.clients[c].order));
            ASSERT_GT(l.clients[c].patienceMs, 0);
        }
    }
    EXPECT_GT(ok, 100);
    EXPECT_GT(refused, 100);
}
