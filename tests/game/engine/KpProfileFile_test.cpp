// The profile and records file: fields at their byte offsets and the sum
// after them, slots moving down, record places, seeded corruption through the
// reader and through the file (whose bytes always survive somewhere), a count
// that must agree with the file's length, values out of range reset, copies
// of damaged files that never replace each other (nor stay behind cut short
// on a full disk), a file another program holds, a save that cannot reach
// the disk, and a save cut off by killing the process between writing and
// replacing.
#include "game/engine/KpProfileFile.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <zlib.h>

#include <cstring>
#include <random>

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "tests/game/engine/EngineTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{
const char* const kChildVar = "LUMO_PROFILE_SAVE_CHILD";

int32_t I32(const std::string& b, size_t at)
{
    int32_t v;
    memcpy(&v, b.data() + at, 4);
    return v;
}

class ProfileFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(mTemp.Enter("kp_profile_"));
        mPath = mTemp.Path() + "\\Tessik Games\\Zorka2\\pref.dat";
        mFile.SetPath(mPath);
    }
    void TearDown() override { mTemp.Leave(); }

    TempFolder mTemp;
    std::string mPath;
    KpProfileFile mFile;
};

void FillSample(KpProfile* p, void*)
{
    p->highestLevel = 17;
    p->levelMoney[1] = 1234;
    p->levelMoney[59] = 0x000A0B0C;
    p->levelExpert[3] = 1;
    p->levelGoals[59][4] = 1;
    p->levelUpgrade[5] = 5;
    p->levelUpgrade[16] = 6;
}
} // namespace

TEST_F(ProfileFileTest, FieldsLieAtTheirByteOffsetsAndReadBack)
{
    mFile.Read(); // no file yet: a fresh start
    mFile.mMusicVolume = 44;
    mFile.mMute = 1;
    ASSERT_TRUE(mFile.NewProfile(L"Anna", nullptr, nullptr));
    ASSERT_TRUE(mFile.NewProfile(L"Zo\u00eb", FillSample, nullptr));
    EXPECT_EQ(mFile.mCurrentSlot, 1);

    std::string b = ReadTestFile(mPath);
    ASSERT_EQ(b.size(), 7344u + 2 * 920u + 4);
    // The last four bytes: zlib's CRC-32 of all before them.
    EXPECT_EQ(uint32_t(I32(b, b.size() - 4)),
              uint32_t(crc32(0, (const Bytef*)b.data(), uInt(b.size() - 4))));
    EXPECT_EQ(b.substr(0, 4), "ZKPF");
    EXPECT_EQ(I32(b, 8), 44);
    EXPECT_EQ(b[17], 1);
    EXPECT_EQ(I32(b, 20), 1);
    EXPECT_EQ(I32(b, 24), 2);
    size_t p = 7344 + 920;           // the second profile
    EXPECT_EQ(b[p + 4], char(0xEB)); // UTF-16 "e with diaeresis"
    EXPECT_EQ(I32(b, p + 292), 17);
    EXPECT_EQ(I32(b, p + 296 + 4 * 1), 1234);
    EXPECT_EQ(I32(b, p + 296 + 4 * 59), 0x000A0B0C);
    EXPECT_EQ(b[p + 552 + 3], 1);
    EXPECT_EQ(b[p + 612 + 59 * 5 + 4], 1);
    // Kept upgrades, two to a byte: level 5 in the high half of byte 2, 16 in the low of 8.
    EXPECT_EQ(b[p + 256 + 2], 0x50);
    EXPECT_EQ(b[p + 256 + 8], 0x06);
    // Career records start with the house's best.
    EXPECT_EQ(b[64], 'H'); // "Hana"
    EXPECT_EQ(I32(b, 64 + 256), 28000);

    KpProfileFile again;
    again.SetPath(mPath);
    ASSERT_TRUE(again.Read());
    EXPECT_TRUE(again.mProfileLoaded);
    EXPECT_EQ(again.mProfile.name, L"Zo\u00eb");
    EXPECT_EQ(again.mProfile.levelMoney[59], 0x000A0B0C);
    EXPECT_EQ(again.mProfile.levelUpgrade[5], 5);
    EXPECT_EQ(again.mProfile.levelUpgrade[16], 6);
    EXPECT_EQ(again.mMusicVolume, 44);
    again.ClearProfile();
    EXPECT_EQ(again.mProfile.highestLevel, 1);
    EXPECT_EQ(again.mProfile.levelMoney[1], 0);
    EXPECT_EQ(again.mProfile.levelUpgrade[5], 0);
}

TEST_F(ProfileFileTest, DeletingASlotMovesLaterSlotsDownAndKeepsTheCurrentOne)
{
    for (const wchar_t* name : {L"A", L"B", L"C", L"D"})
        ASSERT_TRUE(mFile.NewProfile(name, nullptr, nullptr));
    ASSERT_TRUE(mFile.LoadProfile(nullptr, 2)); // C
    mFile.mProfile.levelMoney[5] = 77;          // unsaved progress travels with it
    ASSERT_TRUE(mFile.DeleteProfile(1));
    std::vector<std::wstring> names;
    mFile.ReadAllProfiles(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"C", L"D"}));
    EXPECT_EQ(mFile.mCurrentSlot, 1);
    EXPECT_EQ(mFile.mProfile.name, L"C");
    EXPECT_EQ(mFile.mProfile.levelMoney[5], 77);
    ASSERT_TRUE(mFile.DeleteProfile(1)); // the current one: slot 0 takes over
    EXPECT_EQ(mFile.mProfile.name, L"A");
    EXPECT_FALSE(mFile.DeleteProfile(5));
    EXPECT_FALSE(mFile.LoadProfile(nullptr, -1));
}

TEST_F(ProfileFileTest, RecordsEnterAtTheirPlaceOrNotAtAll)
{
    EXPECT_EQ(mFile.InsertRecord(false, L"Top", 30000), 0);
    // Below the 20000 already there (at place 2 since "Top" came in).
    EXPECT_EQ(mFile.InsertRecord(false, L"Tie", 20000), 3);
    EXPECT_EQ(mFile.GetRecords(false)[2].name, L"Marta");
    EXPECT_EQ(mFile.GetRecords(false)[3].name, L"Tie");
    EXPECT_EQ(mFile.InsertRecord(false, L"Low", 1), 14);
    EXPECT_EQ(mFile.InsertRecord(true, L"Surv", 5000), 1);
    EXPECT_EQ(mFile.GetRecords(true)[13].score, 100); // the last one fell off
}

TEST_F(ProfileFileTest, HouseTablesLetAFirstGoodDayAndRunInButKeepTheirTopsFar)
{
    // A first day earns $100-220, a first survival run $0-250.
    EXPECT_LT(mFile.InsertRecord(false, L"New", 100), kRecordCount);
    EXPECT_LT(mFile.InsertRecord(true, L"New", 150), kRecordCount);
    // The tops want most of a career near expert pay, or a long survival run.
    EXPECT_GE(mFile.GetRecords(false)[0].score, 20000);
    EXPECT_GE(mFile.GetRecords(true)[0].score, 20 * 250);
}

TEST_F(ProfileFileTest, SeededCorruptionIsClampedOrRefusedNeverReadPastTheEnd)
{
    KpProfileData data;
    KpProfile p;
    p.name = L"Valid";
    data.slots.assign(3, p);
    data.currentSlot = 2;
    const std::string valid = WriteProfileData(data);
    const std::string older = valid.substr(0, valid.size() - 4); // before the sum existed
    std::mt19937 random(20240607);
    int refused = 0, kept = 0, whole = 0;
    for (int i = 0; i < 100000; i++)
    {
        std::string bytes = i % 2 ? valid : older;
        switch (random() % 4)
        {
        case 0: // cut short
            bytes.resize(random() % bytes.size());
            break;
        case 1: // grown
            bytes.append(random() % 2000, char(random()));
            break;
        default: // bytes changed
            for (int n = 1 + random() % 8; n > 0; n--)
                bytes[random() % bytes.size()] = char(random());
        }
        // The reader sees exactly these bytes: a heap copy with nothing after it.
        std::string exact(bytes.begin(), bytes.end());
        KpProfileData out;
        std::vector<std::string> warnings;
        KpProfileReadNotes notes;
        if (!ReadProfileData(exact, out, warnings, &notes))
        {
            refused++;
            ASSERT_FALSE(warnings.empty());
            continue;
        }
        kept++;
        if (warnings.empty())
        {
            // Loaded whole: nothing of the bytes is lost, the next save writes
            // them back (with the sum when they had none), without what grew
            // past their end.
            whole++;
            std::string own = bytes.substr(0, bytes.size() - notes.grownBytes);
            std::string again = WriteProfileData(out);
            ASSERT_TRUE(again == own || again.substr(0, again.size() - 4) == own) << i;
        }
        ASSERT_LE(out.slots.size(), size_t(kProfileMaxSlots));
        ASSERT_GE(out.currentSlot, -1);
        ASSERT_LT(out.currentSlot, int(out.slots.size()));
        ASSERT_LE(out.musicVolume, 100);
        for (const KpProfile& s : out.slots)
        {
            ASSERT_GE(s.highestLevel, 1);
            ASSERT_LE(s.highestLevel, 60);
            ASSERT_LT(s.name.size(), size_t(kProfileNameUnits));
            for (int l = 0; l < kProfileLevels; l++)
            {
                ASSERT_GE(s.levelMoney[l], 0);
                ASSERT_LE(s.levelMoney[l], kProfileMostMoney);
                ASSERT_LE(s.levelExpert[l], 1);
                for (uint8_t goal : s.levelGoals[l])
                    ASSERT_LE(goal, 1);
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(kept, whole);
    EXPECT_GT(whole, 0);
}

// The same mutations through the file: whatever the bytes, the game never
// loses them: pref.dat keeps them until a save, and a file that did not load
// whole has a copy of them that the save leaves alone.
TEST_F(ProfileFileTest, SeededCorruptionOfTheFileLeavesItsBytesSomewhere)
{
    KpProfileData data;
    KpProfile p;
    p.name = L"Valid";
    p.highestLevel = 12;
    data.slots.assign(2, p);
    data.currentSlot = 1;
    const std::string summed = WriteProfileData(data);
    const std::string older = summed.substr(0, summed.size() - 4);
    std::mt19937 random(20240629);
    int whole = 0, kept = 0;
    Lumo::MakeDirectories(Lumo::GetFileDir(mPath, true));
    for (int round = 0; round < 1000; round++)
    {
        std::string bytes = round % 2 ? summed : older;
        switch (random() % 4)
        {
        case 0:
            bytes.resize(random() % bytes.size());
            break;
        case 1:
            bytes.append(random() % 2000, char(random()));
            break;
        default:
            for (int n = 1 + random() % 8; n > 0; n--)
                bytes[random() % bytes.size()] = char(random());
        }
        WriteTestFile(mPath, bytes);
        KpProfileData expected;
        std::vector<std::string> warnings;
        KpProfileReadNotes notes;
        bool loadsWhole = ReadProfileData(bytes, expected, warnings, &notes) && warnings.empty();
        // What grew past the end is kept aside unless it is all zeros.
        bool copied = !loadsWhole || notes.grownNotZero;

        KpProfileFile file;
        file.SetPath(mPath);
        file.Read();
        // (Compared as a truth: a failure should not print kilobytes.)
        ASSERT_TRUE(ReadTestFile(mPath) == bytes) << "round " << round;
        std::string copy = file.TakeKeptCopy();
        ASSERT_EQ(copy.empty(), !copied) << "round " << round;
        if (copied)
        {
            ASSERT_TRUE(ReadTestFile(copy) == bytes) << "round " << round;
        }
        ASSERT_TRUE(file.Save()) << "round " << round;
        if (loadsWhole)
        {
            // Nothing was lost in the load: the saved file reads the same.
            whole++;
            KpProfileData saved;
            ASSERT_TRUE(ReadProfileData(ReadTestFile(mPath), saved, warnings));
            ASSERT_TRUE(WriteProfileData(saved) == WriteProfileData(expected)) << "round " << round;
        }
        if (copied)
        {
            kept++;
            ASSERT_TRUE(ReadTestFile(copy) == bytes) << "round " << round;
            DeleteFileA(copy.c_str());
        }
    }
    EXPECT_GT(whole, 0);
    EXPECT_GT(kept, 0);
}

TEST_F(ProfileFileTest, TheSumDecidesBetweenWholeDamagedAndOlderFiles)
{
    KpProfileData data;
    KpProfile p;
    p.name = L"Sum";
    p.highestLevel = 9;
    data.slots.push_back(p);
    data.currentSlot = 0;
    const std::string summed = WriteProfileData(data);
    auto read = [](const std::string& bytes, KpProfileData& out, size_t& warnings)
    {
        std::vector<std::string> w;
        bool ok = ReadProfileData(bytes, out, w);
        warnings = w.size();
        return ok;
    };
    KpProfileData out;
    size_t warnings = 0;
    ASSERT_TRUE(read(summed, out, warnings));
    EXPECT_EQ(warnings, 0u);
    EXPECT_EQ(out.slots[0].highestLevel, 9);
    // Written before the sum existed: loads whole as it always did.
    ASSERT_TRUE(read(summed.substr(0, summed.size() - 4), out, warnings));
    EXPECT_EQ(warnings, 0u);
    EXPECT_EQ(out.slots[0].name, L"Sum");
    // Any byte changed, the sum's own too: damaged, nothing of it read.
    for (size_t at : {size_t(9), size_t(7344 + 292), summed.size() - 1})
    {
        std::string bad = summed;
        bad[at] ^= 0x10;
        EXPECT_FALSE(read(bad, out, warnings)) << "byte " << at;
    }
    // Random bytes behind a whole header.
    std::string noise = summed.substr(0, 64);
    std::mt19937 random(4);
    while (noise.size() < summed.size())
        noise += char(random());
    EXPECT_FALSE(read(noise, out, warnings));
}

// The count at byte 24 must agree with the file's length: one damaged count
// (a flipped bit) once loaded only the players it named and said the rest
// loaded. Every player the file holds whole loads; the ones it cannot hold
// are told as left out.
TEST_F(ProfileFileTest, APlayerCountThatDisagreesWithTheFileLoadsEveryPlayerItHolds)
{
    KpProfileData data;
    KpProfile p;
    for (const wchar_t* name : {L"Ann", L"Bob"})
    {
        p.name = name;
        data.slots.push_back(p);
    }
    data.currentSlot = 1;
    const std::string summed = WriteProfileData(data);
    const std::string older = summed.substr(0, summed.size() - 4);
    auto withCount = [](std::string bytes, int32_t count)
    {
        memcpy(&bytes[24], &count, 4);
        return bytes;
    };
    std::string otherByte = withCount(summed, 1);
    otherByte[7344 + 292] ^= 1;
    const size_t zerosTo87601 = 87601 - summed.size();
    std::string damagedGrown = summed + std::string(zerosTo87601, '\0');
    damagedGrown[7344 + 920 + 300] ^= 1;
    const struct
    {
        const char* what;
        std::string bytes;
        bool read;
        size_t players;
        bool leftOut;
        size_t grown = 0; // bytes past a sum that matches: loads whole
        bool grownNotZero = false;
    } cases[] = {
        {"whole", summed, true, 2, false},
        {"count 0", withCount(summed, 0), true, 2, false},
        {"count -1", withCount(summed, -1), true, 2, false},
        {"count 1", withCount(summed, 1), true, 2, false},
        {"count and another byte", otherByte, false, 0, false},
        {"trailing bytes", summed + "xyz", true, 2, false, 3, true},
        {"zeros to 87,601 bytes", summed + std::string(zerosTo87601, '\0'), true, 2, false,
         zerosTo87601},
        {"zeros after a damaged record", damagedGrown, true, 2,
         false}, // in part, as it fits no count
        {"older, count 1", withCount(older, 1), true, 2, false},
        {"older, cut to one", older.substr(0, 7344 + 920), true, 1, true},
        {"cut in the second", summed.substr(0, 7344 + 920 + 500), true, 1, true},
        {"cut in the second, count -1", withCount(summed, -1).substr(0, 7344 + 1000), true, 1,
         true},
    };
    for (const auto& c : cases)
    {
        KpProfileData out;
        std::vector<std::string> warnings;
        KpProfileReadNotes notes;
        notes.playersLeftOut = !c.leftOut;
        EXPECT_EQ(ReadProfileData(c.bytes, out, warnings, &notes), c.read) << c.what;
        if (!c.read)
            continue;
        EXPECT_EQ(out.slots.size(), c.players) << c.what;
        EXPECT_EQ(notes.playersLeftOut, c.leftOut) << c.what;
        EXPECT_EQ(notes.grownBytes, c.grown) << c.what;
        EXPECT_EQ(notes.grownNotZero, c.grownNotZero) << c.what;
        EXPECT_EQ(warnings.empty(), c.bytes == summed || c.grown > 0) << c.what;
        if (c.players == 2)
        {
            EXPECT_EQ(out.slots[1].name, L"Bob") << c.what;
        }
    }
}

TEST_F(ProfileFileTest, UnreadableFileIsKeptAsideAndAFreshOneStarts)
{
    ASSERT_TRUE(mFile.NewProfile(L"A", nullptr, nullptr));
    WriteTestFile(mPath, "not a profile file");
    StartTestLog();
    EXPECT_FALSE(mFile.Read());
    StopTestLog();
    EXPECT_EQ(ReadTestFile(mPath + ".bad"), "not a profile file");
    EXPECT_EQ(mFile.TakeKeptCopy(), mPath + ".bad");
    EXPECT_EQ(mFile.TakeKeptCopy(), ""); // told once
    EXPECT_EQ(mFile.GetProfileCount(), 0);
    EXPECT_FALSE(mFile.mProfileLoaded);
    EXPECT_NE(TestLogText().find("WARNING: KpProfileFile::Read:"), std::string::npos);
}

TEST_F(ProfileFileTest, FilesThatDoNotLoadWholeAreKeptNeverOverAnEarlierCopy)
{
    ASSERT_TRUE(mFile.NewProfile(L"A", nullptr, nullptr));
    const std::string whole = ReadTestFile(mPath);
    std::string minusOne = whole;
    memset(&minusOne[24], 0xFF, 4); // profile count -1
    const std::string cut = whole.substr(0, 7900);

    // What can be read is read (the sum shows the one profile behind the
    // damaged count); the file as it was is kept first.
    WriteTestFile(mPath, minusOne);
    EXPECT_TRUE(mFile.Read());
    EXPECT_EQ(mFile.GetProfileCount(), 1);
    EXPECT_EQ(mFile.TakeKeptCopy(), mPath + ".bad");
    // The same damaged file again (the game ended before it saved) needs no second copy.
    EXPECT_TRUE(mFile.Read());
    EXPECT_EQ(mFile.TakeKeptCopy(), mPath + ".bad");
    // Another one takes the next number; the first copy stays.
    WriteTestFile(mPath, cut);
    EXPECT_TRUE(mFile.Read());
    EXPECT_EQ(mFile.TakeKeptCopy(), mPath + ".2.bad");
    EXPECT_EQ(ReadTestFile(mPath + ".bad"), minusOne);
    EXPECT_EQ(ReadTestFile(mPath + ".2.bad"), cut);
    EXPECT_EQ(ReadTestFile(mPath + ".3.bad"), "<missing>");
    // A save replaces the damaged file, never a copy.
    ASSERT_TRUE(mFile.NewProfile(L"B", nullptr, nullptr));
    EXPECT_EQ(ReadTestFile(mPath + ".bad"), minusOne);
    EXPECT_EQ(ReadTestFile(mPath + ".2.bad"), cut);
    EXPECT_TRUE(mFile.Read());
    EXPECT_EQ(mFile.mProfile.name, L"B");
    EXPECT_FALSE(mFile.HasKeptCopy());
}

// A forged or foreign file whose sum is right but whose values are not the
// game's is damage like a wrong sum, and the settings of any file that did not
// load whole are not taken (a random body once muted the game). A value out
// of range is reset to what the rest of the profile shows, never held to the
// nearer end of its range: that kept a forged fortune, or opened every day.
TEST_F(ProfileFileTest, OutOfRangeFieldsAreResetAndADamagedFilesSettingsAreNotTaken)
{
    KpProfileData data;
    data.musicVolume = 100;
    data.mute = 1;
    data.windowed = 0;
    data.records[0][0].score = 2000000000;
    KpProfile p;
    p.name = L"Forged";
    p.highestLevel = 500;
    p.levelMoney[1] = 120;
    p.levelMoney[2] = 150;
    p.levelMoney[3] = 2000000000;
    p.levelMoney[40] = -5; // beyond the next day: nothing to tell
    p.levelGoals[3][1] = 7;
    p.levelGoals[3][2] = 1;
    p.levelExpert[3] = 1;
    p.levelUpgrade[3] = 2;
    p.levelExpert[2] = 9;
    p.levelUpgrade[4] = 7; // past the catalog
    data.slots.push_back(p);
    data.currentSlot = 0;
    const std::string forged = WriteProfileData(data);
    Lumo::MakeDirectories(Lumo::GetFileDir(mPath, true));
    WriteTestFile(mPath, forged);
    EXPECT_TRUE(mFile.Read());
    EXPECT_EQ(mFile.TakeKeptCopy(), mPath + ".bad");
    EXPECT_TRUE(mFile.WasReadInPart());
    EXPECT_FALSE(mFile.WerePlayersLeftOut());
    // Day 3's money is no result: the next day is the one after day 2, the best won.
    EXPECT_EQ(mFile.mProfile.levelMoney[3], 0);
    EXPECT_EQ(mFile.mProfile.levelMoney[40], 0);
    EXPECT_EQ(mFile.mProfile.levelMoney[2], 150);
    EXPECT_EQ(mFile.mProfile.highestLevel, 3);
    // Its marks and upgrade in range stay, and the player learns which day
    // reads as not won (once).
    EXPECT_EQ(mFile.mProfile.levelExpert[3], 1);
    EXPECT_EQ(mFile.mProfile.levelUpgrade[3], 2);
    EXPECT_EQ(mFile.mProfile.levelGoals[3][2], 1);
    std::vector<KpResetDay> days = mFile.TakeMoneyResetDays();
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].slot, 0);
    EXPECT_EQ(days[0].level, 3);
    EXPECT_FALSE(mFile.HasMoneyResetNews());
    EXPECT_EQ(mFile.mProfile.levelGoals[3][1], 0);
    EXPECT_EQ(mFile.mProfile.levelExpert[2], 0);
    EXPECT_EQ(mFile.mProfile.levelUpgrade[4], 0);
    // The forged record is gone; the rows below it moved up.
    EXPECT_EQ(mFile.GetRecords(false)[0].name, L"Marta");
    EXPECT_EQ(mFile.GetRecords(false)[kRecordCount - 1].name, L"");
    EXPECT_FALSE(mFile.HasFileSettings());
    EXPECT_EQ(mFile.mMusicVolume, 30);
    EXPECT_EQ(mFile.mMute, 0);
    EXPECT_EQ(mFile.mWindowed, 1);

    // Random bytes behind that header.
    std::string noise = forged.substr(0, 64);
    std::mt19937 random(35);
    while (noise.size() < forged.size())
        noise += char(random());
    WriteTestFile(mPath, noise);
    mFile.Read();
    EXPECT_EQ(mFile.TakeKeptCopy(), mPath + ".2.bad");
    EXPECT_FALSE(mFile.HasFileSettings());
    EXPECT_EQ(mFile.mMusicVolume, 30);
    EXPECT_EQ(mFile.mMute, 0);

    // A whole file's settings are the player's.
    data.records[0][0].score = 30000;
    data.slots[0].highestLevel = 4;
    data.slots[0].levelExpert[2] = 1;
    data.slots[0].levelMoney[3] = 1200;
    data.slots[0].levelMoney[40] = 0;
    data.slots[0].levelGoals[3][1] = 1;
    data.slots[0].levelUpgrade[4] = 6;
    WriteTestFile(mPath, WriteProfileData(data));
    EXPECT_TRUE(mFile.Read());
    EXPECT_TRUE(mFile.HasFileSettings());
    EXPECT_EQ(mFile.mMusicVolume, 100);
    EXPECT_EQ(mFile.mMute, 1);
    EXPECT_FALSE(mFile.HasKeptCopy());
}

TEST_F(ProfileFileTest, AFileThatCannotBeCopiedIsNotSavedOver)
{
    ASSERT_TRUE(mFile.NewProfile(L"A", nullptr, nullptr));
    const std::string cut = ReadTestFile(mPath).substr(0, 7900);
    WriteTestFile(mPath, cut);
    // Every name a copy could take is a folder already.
    CreateDirectoryA((mPath + ".bad").c_str(), nullptr);
    for (int n = 2; n <= 100; n++)
        CreateDirectoryA((mPath + "." + std::to_string(n) + ".bad").c_str(), nullptr);
    EXPECT_TRUE(mFile.Read());
    EXPECT_FALSE(mFile.HasKeptCopy());
    EXPECT_TRUE(mFile.AreCopyNamesTaken());
    EXPECT_TRUE(mFile.TakeUnkeptNews());
    EXPECT_FALSE(mFile.TakeUnkeptNews());                  // told once
    ASSERT_TRUE(mFile.NewProfile(L"B", nullptr, nullptr)); // made, its save refused
    EXPECT_TRUE(mFile.IsSaveFailing());
    EXPECT_TRUE(mFile.IsSaveRefusedForDamage());
    EXPECT_EQ(ReadTestFile(mPath), cut);
    // Once a copy can be made, the save goes through.
    RemoveDirectoryA((mPath + ".7.bad").c_str());
    EXPECT_TRUE(mFile.Save());
    EXPECT_EQ(mFile.TakeKeptCopy(), mPath + ".7.bad");
    EXPECT_EQ(ReadTestFile(mPath + ".7.bad"), cut);
    for (int n = 1; n <= 100; n++)
        RemoveDirectoryA((mPath + (n == 1 ? "" : "." + std::to_string(n)) + ".bad").c_str());
}

namespace
{
HANDLE gHolder = INVALID_HANDLE_VALUE;
int gHeldTries = 0;

// Holds the file as another program would: open without sharing, open for
// writing with read sharing, or locked. Wine does not keep readers out of a
// locked range (measured), so the locker also holds write access, as a
// locking writer does; Windows refuses a read in the range (ERROR_LOCK_VIOLATION),
// which the game takes as held as well.
bool Hold(const std::string& path, int kind)
{
    const DWORD access[] = {GENERIC_READ, GENERIC_READ | GENERIC_WRITE,
                            GENERIC_READ | GENERIC_WRITE};
    const DWORD share[] = {0, FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE};
    gHolder = CreateFileA(path.c_str(), access[kind], share[kind], nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (gHolder == INVALID_HANDLE_VALUE)
        return false;
    OVERLAPPED at = {};
    return kind != 2 ||
           LockFileEx(gHolder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 64, 0, &at);
}

void Release()
{
    if (gHolder != INVALID_HANDLE_VALUE)
        CloseHandle(gHolder);
    gHolder = INVALID_HANDLE_VALUE;
}

int CountKeptCopies(const std::string& path)
{
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "*.bad").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
            count++;
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return count;
}
} // namespace

// A virus scanner or a backup tool holding the file at the start once made it
// "damaged": copied aside, a first run started, and its first save left only
// the new player. Held, it is tried again; still held, nothing of it loads and
// nothing is saved over it.
TEST_F(ProfileFileTest, AFileAnotherProgramHoldsIsNeitherDamagedNorSavedOver)
{
    ASSERT_TRUE(mFile.NewProfile(L"Ann", FillSample, nullptr));
    ASSERT_TRUE(mFile.NewProfile(L"Bob", nullptr, nullptr));
    const std::string stored = ReadTestFile(mPath);
    for (int kind = 0; kind < 3; kind++)
    {
        SCOPED_TRACE(kind);
        KpProfileFile file;
        file.SetPath(mPath);
        file.mHeldWaitMs = 300;
        file.mWhileHeld = [] { gHeldTries++; };
        gHeldTries = 0;
        ASSERT_TRUE(Hold(mPath, kind));
        EXPECT_FALSE(file.Read());
        EXPECT_GT(gHeldTries, 1); // tried again meanwhile
        EXPECT_TRUE(file.IsHeldElsewhere());
        EXPECT_EQ(file.GetProfileCount(), 0);
        // A new player plays on in memory; no save replaces the file, even
        // once it is free.
        ASSERT_TRUE(file.NewProfile(L"Cid", nullptr, nullptr));
        Release();
        EXPECT_FALSE(file.Save());
        EXPECT_TRUE(ReadTestFile(mPath) == stored);
        EXPECT_EQ(CountKeptCopies(mPath), 0);
    }

    // Let go while the game waits: it loads as if never held.
    KpProfileFile file;
    file.SetPath(mPath);
    file.mHeldWaitMs = 60000;
    file.mWhileHeld = Release;
    ASSERT_TRUE(Hold(mPath, 0));
    EXPECT_TRUE(file.Read());
    EXPECT_TRUE(file.HasFileSettings());
    EXPECT_EQ(file.GetProfileCount(), 2);
    EXPECT_EQ(file.mProfile.name, L"Bob");
    Release();
}

// Whether another program held the file is an outside value: the replay
// finds it held where the recording did, whatever the disk holds now.
TEST_F(ProfileFileTest, AHeldFileComesBackHeldInTheReplayOfItsDemo)
{
    ASSERT_TRUE(mFile.NewProfile(L"Ann", nullptr, nullptr));
    const std::string demo = mTemp.Path() + "\\held.dmo";
    {
        Lumo::LumoAppBase app;
        app.mProductVersion = "1.0";
        app.mDemoFileName = demo;
        app.mRecordingDemo = true;
        KpProfileFile file;
        file.SetPath(mPath);
        file.mHeldWaitMs = 0;
        ASSERT_TRUE(Hold(mPath, 0));
        EXPECT_FALSE(file.Read());
        Release();
        EXPECT_TRUE(file.IsHeldElsewhere());
        app.WriteDemoFile();
        app.mRecordingDemo = false;
    }
    Lumo::LumoAppBase app;
    app.mProductVersion = "1.0";
    app.mDemoFileName = demo;
    app.mPlayingDemo = true;
    std::string error;
    ASSERT_TRUE(app.ReadDemoFile(error)) << error;
    KpProfileFile file;
    file.SetPath(mPath);
    file.SetReplaySavePath(mTemp.Path() + "\\held.pref.dat");
    EXPECT_FALSE(file.Read());
    EXPECT_TRUE(file.IsHeldElsewhere());
    EXPECT_EQ(app.mDemoDivergences, 0);
    app.mPlayingDemo = false;
}

namespace
{
std::string gCopying;             // the profile file whose copy is being written
int gKeptWhileWriting = -1;       // kept copies there as the copy was whole, unnamed
std::string gPartialWhileWriting; // the copy then
} // namespace

// A damaged file in a full folder: each failed copy once left its cut copy
// behind, a hundred of them, and every later save was refused even with room
// again. A failed copy removes what it wrote; once there is room, the save
// keeps the copy first, and the file is still what it was read as (a grown
// one stays grown). A later run that finds the same file (the game ended
// before a save) needs no second copy, however long the file. A copy takes
// its kept name only once it is whole: a run ended while it is written leaves
// no cut copy standing for the file.
TEST_F(ProfileFileTest, AFullDiskLeavesNoCutCopyAndALaterRunKeepsOne)
{
    ASSERT_TRUE(mFile.NewProfile(L"Ann", nullptr, nullptr));
    const std::string whole = ReadTestFile(mPath);
    // Cut inside its profile, and grown past its end with more than is read
    // (copied from the disk): once all of it not zero, once zero but for its
    // last byte, ten megabytes on.
    const std::string lastNotZero = whole + std::string(10 << 20, '\0') + "x";
    for (const std::string& damaged :
         {whole.substr(0, 7900), whole + std::string(100000, 'x'), lastNotZero})
    {
        SCOPED_TRACE(damaged.size());
        const bool grown = damaged.size() > whole.size();
        WriteTestFile(mPath, damaged);
        KpProfileFile full;
        full.SetPath(mPath);
        full.mDiskRoom = 100;
        full.Read();
        EXPECT_FALSE(full.HasKeptCopy());
        EXPECT_TRUE(full.TakeUnkeptNews());
        ASSERT_TRUE(full.NewProfile(L"Cid", nullptr, nullptr));
        EXPECT_TRUE(full.IsSaveRefusedForDamage());
        EXPECT_FALSE(full.AreCopyNamesTaken());
        EXPECT_EQ(full.DidGrow(), grown);
        EXPECT_EQ(CountKeptCopies(mPath), 0);
        EXPECT_TRUE(ReadTestFile(mPath) == damaged);

        gCopying = mPath;
        gKeptWhileWriting = -1;
        full.mBeforeReplace = []
        {
            if (gKeptWhileWriting < 0)
            {
                gKeptWhileWriting = CountKeptCopies(gCopying);
                gPartialWhileWriting = ReadTestFile(gCopying + ".bad.tmp");
            }
        };
        full.mDiskRoom = -1;
        EXPECT_TRUE(full.Save());
        EXPECT_EQ(gKeptWhileWriting, 0);
        EXPECT_TRUE(gPartialWhileWriting == damaged);
        EXPECT_EQ(ReadTestFile(mPath + ".bad.tmp"), "<missing>");
        EXPECT_EQ(full.TakeKeptCopy(), mPath + ".bad");
        EXPECT_EQ(full.DidGrow(), grown);
        EXPECT_TRUE(ReadTestFile(mPath + ".bad") == damaged);

        WriteTestFile(mPath, damaged);
        KpProfileFile later;
        later.SetPath(mPath);
        later.Read();
        EXPECT_EQ(later.TakeKeptCopy(), mPath + ".bad");
        ASSERT_TRUE(later.NewProfile(L"Dee", nullptr, nullptr));
        EXPECT_FALSE(later.IsSaveFailing());
        EXPECT_EQ(CountKeptCopies(mPath), 1);
        DeleteFileA((mPath + ".bad").c_str());
    }
}

// A replay of an older demo (no save outcomes in its stream) takes its saves
// as done: its own file failing to be written is no outcome of the recording.
TEST_F(ProfileFileTest, AnOlderDemosReplayTakesItsSavesAsDoneWhereverItsOwnFileGoes)
{
    Lumo::LumoAppBase app;
    app.mPlayingDemo = true;
    app.mDemoFormatVersion = 2;
    const std::string own = mTemp.Path() + "\\run.pref.dat";
    mFile.SetReplaySavePath(own);
    ASSERT_TRUE(CreateDirectoryA((own + ".tmp").c_str(), nullptr));
    EXPECT_TRUE(mFile.NewProfile(L"A", nullptr, nullptr));
    EXPECT_FALSE(mFile.IsSaveFailing());
    EXPECT_FALSE(mFile.TakeSaveFailure());
    EXPECT_EQ(ReadTestFile(own), "<missing>");
    EXPECT_EQ(ReadTestFile(mPath), "<missing>");
    RemoveDirectoryA((own + ".tmp").c_str());
}

// Runs only as the child of the next test: saves, and stops for good between
// writing the temporary file and replacing the old one.
TEST(ProfileSaveChild, StopsBetweenWriteAndReplace)
{
    char path[MAX_PATH] = {0};
    if (!GetEnvironmentVariableA(kChildVar, path, MAX_PATH))
        GTEST_SKIP() << "runs as a child process only";
    KpProfileFile file;
    file.SetPath(path);
    file.Read();
    file.mBeforeReplace = []
    {
        HANDLE written = OpenEventA(EVENT_MODIFY_STATE, FALSE, "LumoProfileSaveWritten");
        SetEvent(written);
        for (;;)
            Sleep(1000); // killed here by the parent
    };
    file.NewProfile(L"New", nullptr, nullptr);
}

TEST_F(ProfileFileTest, SaveKilledBeforeTheReplaceLeavesTheOldFileWhole)
{
    ASSERT_TRUE(mFile.NewProfile(L"Old", nullptr, nullptr));
    const std::string before = ReadTestFile(mPath);

    HANDLE written = CreateEventA(nullptr, TRUE, FALSE, "LumoProfileSaveWritten");
    char exe[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string line = std::string("\"") + exe + "\" --gtest_filter=ProfileSaveChild.*";
    SetEnvironmentVariableA(kChildVar, mPath.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    BOOL started =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kChildVar, nullptr);
    ASSERT_TRUE(started);
    DWORD waited = WaitForSingleObject(written, 60000);
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(written);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the child never reached the replace";

    EXPECT_EQ(ReadTestFile(mPath), before);
    EXPECT_EQ(ReadTestFile(mPath + ".tmp").size(), 7344u + 2 * 920u + 4); // the cut-off save
    KpProfileFile after;
    after.SetPath(mPath);
    ASSERT_TRUE(after.Read());
    EXPECT_EQ(after.mProfile.name, L"Old");
    EXPECT_EQ(after.GetProfileCount(), 1);
}
