// The profile and records file "pref.dat" in the user's application-data
// folder ("Tessik Games\Zorka2"): the game's settings, up to 16 player
// profiles with their career progress, and the career and survival record
// tables. The whole file is small and lives in memory; Save writes all of it
// to a temporary file in the same folder and then replaces the old one, so a
// crash never leaves a half-written file. A save that fails leaves the old file
// and keeps the changes in memory for the next save to try again. Reading
// trusts nothing: a field out of its range is reset (to what the rest of the
// profile shows) with a "WARNING: " line, the profile count must agree with
// the file's length, the settings of a file that does not load whole are not
// taken, and a copy of such a file is kept ("pref.dat.bad", then
// "pref.dat.2.bad"...) before a save can overwrite it. A file another program
// holds is not damaged: it is tried again for a few seconds, and when it stays
// held nothing is read from it or saved over it in this run. These outcomes
// wait here until the game has told the player of them. In a demo they are
// outside values: a replay takes the recorded ones, never copies anything, and
// saves to a file of its own.
//
// File layout (little-endian), version 1:
//   0    char[4]  "ZKPF"
//   4    uint32   version (1)
//   8    int32    music volume 0-100
//   12   int32    sound volume 0-100
//   16   uint8    windowed (0/1)
//   17   uint8    mute (0/1)
//   18   uint16   0
//   20   int32    current profile slot, -1 for none
//   24   int32    profile count 0-16
//   28   36 zero bytes
//   64   career record table: 14 records of 260 bytes (UTF-16 name of 128
//        units with its terminating zero, then int32 score), best first
//   3704 survival record table, the same
//   7344 the profile records, 920 bytes each, in slot order:
//        0 UTF-16 name, 128 units with its terminating zero;
//        256 levelUpgrade[60], two to a byte (level 2k in the low four bits of
//        byte 256 + k, 2k + 1 in the high ones), 0-6 each; 286 6 zero bytes;
//        292 int32 highestLevel (1-60); 296 int32 levelMoney[60];
//        536 16 zero bytes; 552 uint8 levelExpert[60];
//        612 uint8 levelGoals[60][5]; 912 8 zero bytes
//   then uint32 CRC-32 (zlib's) of every byte before it. Files written before
//   the sum existed end with the last profile record and still load; a file
//   whose sum does not match is damaged, unless it matches with the count its
//   length gives (only the count was damaged: every profile loads). Bytes
//   after a sum that matches are no part of the file (a crash can leave zeros
//   there): it loads whole, and the next save leaves them out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/app/StringUtils.h"

const int kProfileLevels = 60;       // career arrays are indexed by level number
const int kProfileGoals = 5;         // task goals per level
const int kProfileMaxSlots = 16;     // profiles a file holds
const int kProfileNameUnits = 128;   // UTF-16 units of a stored name, terminator included
const int kRecordCount = 14;         // entries of each record table
const int kProfileRecordBytes = 920; // one stored profile
const uint32_t kProfileFileVersion = 1;
// Upgrades a career level may keep: the upgrade catalog's entries (KpUpgrade.h).
const int kProfileUpgradeKinds = 6;
// Far above what a day can earn; a larger one is damage (and the career total
// of 59 days must fit an int32).
const int32_t kProfileMostMoney = 1000000;
const int32_t kProfileMostScore = kProfileLevels * kProfileMostMoney;

struct KpProfile
{
    std::wstring name; // at most 127 units
    int32_t highestLevel = 1;
    int32_t levelMoney[kProfileLevels] = {};
    uint8_t levelExpert[kProfileLevels] = {};
    uint8_t levelGoals[kProfileLevels][kProfileGoals] = {};
    // The upgrade kept after winning each level, on every later day of its
    // cafe: 0 none, else 1 + its place in the upgrade catalog. Files written
    // before it existed hold zeros there: nothing kept.
    uint8_t levelUpgrade[kProfileLevels] = {};

    // highestLevel back to 1, the other career fields to 0; the name stays.
    void ClearCareer();
};

struct KpRecord
{
    std::wstring name; // empty: an empty row
    int32_t score = 0;
};

// Everything the file holds, as it is read and written.
struct KpProfileData
{
    int32_t musicVolume = 30;
    int32_t soundVolume = 60;
    uint8_t windowed = 1;
    uint8_t mute = 0;
    int32_t currentSlot = -1;
    KpRecord records[2][kRecordCount]; // [0] career, [1] survival
    std::vector<KpProfile> slots;

    // Defaults: settings as above, no profile, both tables filled with house names.
    KpProfileData();
};

// A career day whose best money was out of range and now reads as not won.
struct KpResetDay
{
    int slot;  // the profile's slot
    int level; // 1 to 59
};

// What a read found beside the fields it loaded, for the player.
struct KpProfileReadNotes
{
    // Profiles the file stores could not be read (cut short) and are missing.
    bool playersLeftOut = false;
    // Bytes after the file's own end (its sum), and whether one is not zero.
    size_t grownBytes = 0;
    bool grownNotZero = false;
    // Days whose money was out of range, up to each player's next one to play.
    std::vector<KpResetDay> moneyReset;
};

// The file's bytes for the data.
std::string WriteProfileData(const KpProfileData& data);
// Reads the bytes field by field. False when the file cannot be read at all
// (too short for its header and tables, not this format, another version, a
// sum that does not match); otherwise true with every bad field reset (a
// record out of range dropped) and one warning each. True without warnings:
// the file loaded whole, though it may have grown (`notes`).
bool ReadProfileData(const std::string& bytes, KpProfileData& data,
                     std::vector<std::string>& warnings, KpProfileReadNotes* notes = nullptr);

typedef void (*KpProfileFillFn)(KpProfile* profile, void* argument);

class KpProfileFile
{
public:
    KpProfileFile();

    // "<application data>\Tessik Games\Zorka2\pref.dat" of the user, by a name
    // the narrow calls reach it by (a short name where the code page cannot
    // hold the folder's); empty when the system gives no such name.
    static std::string DefaultPath(Lumo::ShortPathQuery shortPath = Lumo::SystemShortPath);
    // The folder of DefaultPath as the system names it.
    static std::wstring DefaultFolder();
    // DefaultPath, or where none names the folder, no path: nothing is read
    // or saved in this run, and the player is told why (IsFolderUnnamed).
    void UseDefaultPath(Lumo::ShortPathQuery shortPath = Lumo::SystemShortPath);
    void SetPath(const std::string& path)
    {
        mPath = path;
        mPathUnnamed = false;
    }
    const std::string& GetPath() const { return mPath; }

    // Reads the file at the path. A missing file starts fresh. Of a file that
    // does not load whole, or grew past its end with anything but zeros, a
    // copy is kept first (TakeKeptCopy); an unreadable one then starts fresh.
    // No more than the format holds is read. A file another program holds is
    // tried again for up to mHeldWaitMs; when it stays held the game starts
    // fresh and saves nothing over it (IsHeldElsewhere). True when something
    // of the file was kept.
    bool Read();
    // The last Read took the settings of a file that loaded whole; otherwise
    // they are the defaults.
    bool HasFileSettings() const { return mSettingsRead; }
    // A replay saves here instead of the path, which stays the player's
    // (the boxes name it as the recording did).
    void SetReplaySavePath(const std::string& path) { mReplaySavePath = path; }
    // Writes header, both tables and every profile (the current one included).
    // False when nothing reached the disk: the old file stays as it was, and
    // the next save writes everything again.
    bool Save();

    // --- What the player is told of
    // The last save failed: what changed since lives only in memory.
    bool IsSaveFailing() const { return mSaveFailing; }
    // What the last failed save could not do, for the player.
    const std::string& GetSaveError() const { return mSaveError; }
    // True once for a save that failed after one that worked (or none).
    bool TakeSaveFailure();
    // The last save failed because no copy of the damaged file could be kept.
    bool IsSaveRefusedForDamage() const { return mSaveRefused; }
    // Why no copy could be kept: every name a copy may take is taken already
    // (kMostKeptCopies of them), rather than a write that failed.
    bool AreCopyNamesTaken() const { return mCopyNamesTaken; }
    static int MostKeptCopies();
    // The last Read found a damaged file of which no copy could be kept: it
    // stays as it is and no save replaces it. Taken once.
    bool HasUnkeptNews() const { return mUnkeptUntold; }
    bool TakeUnkeptNews();
    // Where the last Read (or a save after it) kept a copy of a file that did not
    // load whole; empty when it kept none. Taken once.
    bool HasKeptCopy() const { return !mKeptCopy.empty(); }
    std::string TakeKeptCopy();
    // The last Read loaded what it could of a file that did not load whole
    // (fields out of range reset, the settings back to their defaults); false
    // when nothing of it could be read.
    bool WasReadInPart() const { return mReadInPart; }
    // ... and profiles it stores could not be read: they are missing.
    bool WerePlayersLeftOut() const { return mPlayersLeftOut; }
    // Days the last Read loaded as not won, as their best money was out of
    // range, in slot and level order. Taken once.
    bool HasMoneyResetNews() const { return !mMoneyReset.empty(); }
    std::vector<KpResetDay> TakeMoneyResetDays();
    // The last Read loaded a whole file that had grown past its end; a copy
    // of it was kept when what lay there was not all zeros. Taken once.
    bool HasGrownNews() const { return mGrownUntold; }
    bool TakeGrownNews();
    // The last Read loaded a whole file that had grown past its end, whether
    // or not its copy is kept yet.
    bool DidGrow() const { return mGrown; }
    // The file stayed in use by another program through the last Read: nothing
    // of it was loaded, and no save replaces it. The news is taken once.
    bool IsHeldElsewhere() const { return mHeld; }
    bool HasHeldNews() const { return mHeldUntold; }
    bool TakeHeldNews();
    // No narrow name reaches the profile's folder: nothing was read, and
    // nothing is saved in this run. The news is taken once.
    bool IsFolderUnnamed() const { return mNoFolder; }
    bool HasNoFolderNews() const { return mNoFolderUntold; }
    bool TakeNoFolderNews();
    // Saves are not tried in this run (held elsewhere, or no folder).
    bool SavesNothing() const { return mHeld || mNoFolder; }

    // --- Profiles
    // Creates a profile (filled by the callback when given), makes it current
    // and saves; false when every slot is taken.
    bool NewProfile(const std::wstring& name, KpProfileFillFn fill, void* argument);
    // Makes slot i the current profile and saves; with a file name, the stored
    // profiles are first read from that file.
    bool LoadProfile(const char* fileName, int slot);
    // Removes a slot; later slots move down. The current profile follows its slot;
    // when it was the one removed, slot 0 becomes current (none when empty).
    bool DeleteProfile(int slot);
    // Appends every stored profile's name in slot order.
    void ReadAllProfiles(std::vector<std::wstring>& names) const;
    int GetProfileCount() const { return int(mData.slots.size()); }
    // The current profile's career fields back to their start.
    void ClearProfile();

    // --- Records
    // The 14-entry table, best first.
    KpRecord* GetRecords(bool survival) { return mData.records[survival ? 1 : 0]; }
    // The place 0-13 the score took, or 14 when it does not enter.
    int InsertRecord(bool survival, const std::wstring& name, int score);

    // --- Settings
    // Sound and music volumes (0 when muted) and the windowed choice reach the game.
    void ApplySettings();

    // Header fields, the loaded flag and the current profile, read and written by the screens.
    int32_t& mMusicVolume;
    int32_t& mSoundVolume;
    uint8_t& mWindowed;
    uint8_t& mMute;
    int32_t& mCurrentSlot;
    bool mProfileLoaded; // a valid current profile is in mProfile
    KpProfile mProfile;

    // Called between writing the temporary file and replacing the old one, and
    // between writing a kept copy and giving it its name (tests).
    void (*mBeforeReplace)() = nullptr;
    // How long a held file is tried again at Read, in milliseconds.
    int mHeldWaitMs = 3000;
    // Called after each try that found the file held (tests).
    void (*mWhileHeld)() = nullptr;
    // Bytes the disk takes before it is full, across every write and copy
    // (tests); below 0 no limit.
    int64_t mDiskRoom = -1;

private:
    KpProfileFile(const KpProfileFile&) = delete;
    KpProfileFile& operator=(const KpProfileFile&) = delete;
    // Puts the current profile back into its slot.
    void StoreCurrent();
    void StartFresh();
    // Writes the file through the temporary one; false with mSaveError set.
    bool Write();
    // Keeps a copy of the file at the path (KeepCopyOnDisk), or in a replay
    // takes where the recording kept it; false when none could be made.
    // Unless `wanted` none is made, and the outcome is still the demo's.
    bool KeepCopy(const std::string& bytes, bool bytesWhole, bool wanted = true);
    // The copy under a name no other copy bears, unless an earlier copy holds
    // the same bytes; the name, or empty when none could be made.
    std::string KeepCopyOnDisk(const std::string& bytes, bool bytesWhole, bool& namesTaken);

    std::string mPath;
    KpProfileData mData;
    bool mSaveFailing = false;   // the last save did not reach the disk
    bool mFailureUntold = false; // a failure the player has not been told of
    std::string mSaveError;
    bool mSaveRefused = false; // the last save failed for want of a copy
    bool mSettingsRead = false;
    bool mReadInPart = false;
    bool mUnkeptUntold = false; // a damaged file without a copy, not told yet
    std::string mReplaySavePath;
    std::string mKeptCopy;     // the copy the last Read kept, until taken
    bool mUnprotected = false; // a damaged file is not copied yet: no save may replace it
    std::string mUnkeptBytes;  // its bytes, for the next try
    bool mUnkeptWhole = false;
    bool mPlayersLeftOut = false; // the last Read could not read every stored profile
    std::vector<KpResetDay> mMoneyReset;
    bool mGrownUntold = false; // a grown file loaded, not told yet
    bool mHeld = false;        // another program held the file through the last Read
    bool mHeldUntold = false;
    bool mPathUnnamed = false; // UseDefaultPath found no narrow name for the folder
    bool mNoFolder = false;    // ... and the last Read took that as the run's outcome
    bool mNoFolderUntold = false;
    bool mGrown = false;          // the last Read loaded a grown file
    bool mCopyNamesTaken = false; // the last copy failed for want of a free name
};

extern KpProfileFile gProfileFile;
