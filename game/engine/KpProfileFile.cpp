#include "game/engine/KpProfileFile.h"

#include <windows.h>
#include <shlobj.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpSoundManager.h"

KpProfileFile gProfileFile;

namespace
{
const char kMagic[4] = {'Z', 'K', 'P', 'F'};
const size_t kHeaderBytes = 64;
const size_t kRecordBytes = kProfileNameUnits * 2 + 4;
const size_t kTableBytes = kRecordBytes * kRecordCount;
const size_t kProfilesAt = kHeaderBytes + 2 * kTableBytes;
const size_t kSumBytes = 4;
// The largest file this format writes. A longer file grew: what lies past
// that is never read into memory, and one byte of it is enough to tell.
const size_t kLargestFile = kProfilesAt + kProfileMaxSlots * kProfileRecordBytes + kSumBytes;
const size_t kMostRead = kLargestFile + 1;
const int kMostKeptCopies = 100; // "pref.dat.bad", "pref.dat.2.bad" ... "pref.dat.100.bad"

// Offsets inside one stored profile.
const size_t kNameAt = 0, kUpgradesAt = 256, kHighestLevelAt = 292, kMoneyAt = 296, kExpertAt = 552,
             kGoalsAt = 612;
const size_t kUpgradeBytes = kProfileLevels / 2;

// The player is Zorka: the house's rivals go by other names.
const wchar_t* const kHouseNames[kRecordCount] = {L"Hana",  L"Marta", L"Oskar", L"Lina",  L"Pavel",
                                                  L"Rosa",  L"Igor",  L"Nina",  L"Bruno", L"Vera",
                                                  L"Tomas", L"Ada",   L"Felix", L"Mila"};
// The house's scores, best first. A first good day ($100-220) and a first good survival run
// ($0-250) already enter; the tops need a whole career near expert pay or a long survival run.
const int kHouseCareerScores[kRecordCount] = {28000, 20000, 14000, 9500, 6500, 4500, 3100,
                                              2100,  1400,  900,   550,  300,  150,  75};
const int kHouseSurvivalScores[kRecordCount] = {5500, 4300, 3400, 2700, 2100, 1600, 1200,
                                                900,  650,  450,  300,  180,  100,  50};

void PutU32(std::string& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out[at + i] = char(v >> (8 * i));
}
uint32_t GetU32(const std::string& in, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; i++)
        v |= uint32_t(uint8_t(in[at + i])) << (8 * i);
    return v;
}

void PutName(std::string& out, size_t at, const std::wstring& name)
{
    size_t units = std::min(name.size(), size_t(kProfileNameUnits - 1));
    for (size_t i = 0; i < units; i++)
    {
        out[at + 2 * i] = char(name[i] & 0xFF);
        out[at + 2 * i + 1] = char(name[i] >> 8);
    }
}

// Bytes the format keeps at 0: any other value is damage that a load would
// drop, so the file would not load whole.
void CheckZero(const std::string& in, size_t at, size_t count, const std::string& what,
               std::vector<std::string>& warnings)
{
    for (size_t i = 0; i < count; i++)
        if (in[at + i] != 0)
        {
            warnings.push_back("WARNING: pref.dat: " + what + ": bytes that should be 0 are not");
            return;
        }
}

// A name must end inside its field; one that does not is cut before its last unit.
std::wstring GetName(const std::string& in, size_t at, const std::string& what,
                     std::vector<std::string>& warnings)
{
    std::wstring name;
    for (int i = 0; i < kProfileNameUnits; i++)
    {
        wchar_t c = wchar_t(uint8_t(in[at + 2 * i]) | uint8_t(in[at + 2 * i + 1]) << 8);
        if (c == 0)
        {
            CheckZero(in, at + 2 * (i + 1), 2 * (kProfileNameUnits - i - 1), what + " name",
                      warnings);
            return name;
        }
        name += c;
    }
    warnings.push_back("WARNING: pref.dat: " + what + ": name without terminator, cut");
    name.resize(kProfileNameUnits - 1);
    return name;
}

uint32_t Sum(const std::string& bytes, size_t length)
{
    return uint32_t(crc32(crc32(0L, Z_NULL, 0), (const Bytef*)bytes.data(), uInt(length)));
}

// What became of a whole-file read of the disk.
enum DiskRead
{
    kDiskRead,    // the bytes are all there
    kDiskMissing, // no such file
    kDiskHeld,    // another program holds it now (a sharing or lock violation)
    kDiskFailed,  // there, but not readable whole (too large, a read error)
    kDiskUnnamed, // no narrow name reaches its folder: nothing can be read or written there
};

// The demo's word for kDiskUnnamed, and for a copy refused as every name it
// may take is taken.
const char kUnnamedOutcome[] = "unnamed";
const char kNamesTakenOutcome[] = "names taken";

bool IsHeldError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// What lies past the bytes read of a file longer than the format can hold.
struct DiskRest
{
    uint64_t bytes = 0;
    bool notZero = false; // one of them is not zero
};

DiskRead ReadFailure()
{
    return IsHeldError(GetLastError()) ? kDiskHeld : kDiskFailed;
}

// Reads a file of the disk, up to kMostRead bytes; of the rest only whether
// it holds anything but zeros is looked at, a piece at a time. Writers are
// kept out while it is read, so the bytes are one version of the file.
DiskRead ReadDiskFile(const std::string& path, std::string& bytes, DiskRest& rest)
{
    bytes.clear();
    rest = DiskRest();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return kDiskMissing;
        return IsHeldError(error) ? kDiskHeld : kDiskFailed;
    }
    LARGE_INTEGER size = {};
    DiskRead result = GetFileSizeEx(file, &size) ? kDiskRead : kDiskFailed;
    const uint64_t length = result == kDiskRead ? uint64_t(size.QuadPart) : 0;
    if (length > 0)
    {
        bytes.resize(size_t(std::min<uint64_t>(length, kMostRead)));
        DWORD got = 0;
        if (!ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr))
            result = ReadFailure();
        else if (got != bytes.size())
            result = kDiskFailed;
    }
    rest.bytes = length - std::min<uint64_t>(length, kMostRead);
    std::string piece(rest.bytes > 0 ? 65536 : 0, '\0');
    for (uint64_t left = rest.bytes; result == kDiskRead && left > 0 && !rest.notZero;)
    {
        DWORD got = 0;
        DWORD want = DWORD(std::min<uint64_t>(left, piece.size()));
        if (!ReadFile(file, &piece[0], want, &got, nullptr))
            result = ReadFailure();
        else if (got != want)
            result = kDiskFailed;
        else
            rest.notZero =
                std::any_of(piece.begin(), piece.begin() + got, [](char c) { return c != 0; });
        left -= got;
    }
    CloseHandle(file);
    if (result != kDiskRead)
    {
        bytes.clear();
        rest = DiskRest();
    }
    return result;
}

// A virus scanner or a backup tool holds a file for a moment: a held file is
// tried again until it is free or the wait is over.
DiskRead ReadDiskFileWaiting(const std::string& path, std::string& bytes, DiskRest& rest,
                             int waitMs, void (*whileHeld)())
{
    const int kRetryMs = 100;
    DWORD start = GetTickCount();
    for (int tries = 1;; tries++)
    {
        DiskRead result = ReadDiskFile(path, bytes, rest);
        if (result != kDiskHeld)
            return result;
        if (tries == 1)
            WriteLog("WARNING: KpProfileFile::Read: '%s' is in use by another program; trying "
                     "again for up to %d ms",
                     path.c_str(), waitMs);
        if (whileHeld)
            whileHeld();
        // Tried again at least once: a stalled first try is no wait.
        if (tries > 1 && int(GetTickCount() - start) >= waitMs)
            return result;
        Sleep(kRetryMs);
    }
}

// Writes all the bytes, as far as the room left allows (below 0: no limit);
// a write cut short by the room fails as a full disk does.
bool WriteAll(HANDLE file, const char* data, size_t size, int64_t& room)
{
    size_t allowed = room < 0 ? size : size_t(std::min<int64_t>(room, int64_t(size)));
    DWORD written = 0;
    bool ok = allowed == 0 ||
              (WriteFile(file, data, DWORD(allowed), &written, nullptr) && written == allowed);
    if (room >= 0)
        room -= written;
    if (ok && allowed < size)
    {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return ok;
}

enum CopyResult
{
    kCopyMade,
    kCopyNameTaken,
    kCopyFailed,
};

bool IsNameTakenError(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// Makes a new file `name` holding `bytes`, or without them a copy of the file
// at `source`, never over a file that is there. The copy is written whole
// under a name of its own ("<source>.bad.tmp") and only then takes its kept
// name: a run ended part way (or a full disk) leaves no cut copy under a kept
// name, where it would stand for the file and take that name for good.
CopyResult WriteNewCopy(const std::string& name, const std::string* bytes,
                        const std::string& source, int64_t& room, void (*beforeNaming)())
{
    const std::string partial = source + ".bad.tmp";
    HANDLE out = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return kCopyFailed;
    bool ok;
    if (bytes)
        ok = WriteAll(out, bytes->data(), bytes->size(), room);
    else
    {
        HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ok = in != INVALID_HANDLE_VALUE;
        std::string chunk(65536, '\0');
        DWORD got = 0;
        while (ok && (ok = ReadFile(in, &chunk[0], DWORD(chunk.size()), &got, nullptr)) && got > 0)
            ok = WriteAll(out, chunk.data(), got, room);
        if (in != INVALID_HANDLE_VALUE)
            CloseHandle(in);
    }
    ok = ok && FlushFileBuffers(out);
    DWORD code = ok ? 0 : GetLastError();
    CloseHandle(out);
    if (ok && beforeNaming)
        beforeNaming();
    if (ok && !MoveFileExA(partial.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH))
    {
        ok = false;
        code = GetLastError();
    }
    if (ok)
        return kCopyMade;
    DeleteFileA(partial.c_str());
    SetLastError(code);
    return IsNameTakenError(code) ? kCopyNameTaken : kCopyFailed;
}

// Whether the file `name` holds exactly `bytes`, or without them what the
// file at `source` holds; compared a piece at a time, however long.
bool SameAsCopySource(const std::string& name, const std::string* bytes, const std::string& source)
{
    struct Opened
    {
        HANDLE handle;
        explicit Opened(const std::string& path)
            : handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
        {
        }
        ~Opened()
        {
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle(handle);
        }
        uint64_t Size() const
        {
            LARGE_INTEGER size = {};
            return GetFileSizeEx(handle, &size) ? uint64_t(size.QuadPart) : ~uint64_t(0);
        }
    };
    Opened copy(name);
    Opened original(bytes ? std::string() : source);
    const uint64_t length = copy.Size();
    if (copy.handle == INVALID_HANDLE_VALUE ||
        length != (bytes ? uint64_t(bytes->size()) : original.Size()))
        return false;
    std::string a(65536, '\0'), b(65536, '\0');
    for (uint64_t at = 0; at < length;)
    {
        DWORD want = DWORD(std::min<uint64_t>(length - at, a.size()));
        DWORD gotA = 0, gotB = want;
        if (!ReadFile(copy.handle, &a[0], want, &gotA, nullptr) || gotA != want ||
            (!bytes && (!ReadFile(original.handle, &b[0], want, &gotB, nullptr) || gotB != want)))
            return false;
        if (memcmp(a.data(), bytes ? bytes->data() + at : b.data(), want) != 0)
            return false;
        at += want;
    }
    return true;
}

int32_t Clamp(int32_t value, int32_t low, int32_t high, const std::string& what,
              std::vector<std::string>& warnings)
{
    if (value >= low && value <= high)
        return value;
    warnings.push_back(Lumo::StrFormat("WARNING: pref.dat: %s %d is outside %d..%d, clamped",
                                       what.c_str(), value, low, high));
    return value < low ? low : high;
}

// Marks stored one byte each, 0 or 1; any other is reset to not earned. One
// warning for the whole field.
void GetFlags(const std::string& in, size_t at, size_t count, uint8_t* out, const std::string& what,
              std::vector<std::string>& warnings)
{
    bool reset = false;
    for (size_t i = 0; i < count; i++)
    {
        uint8_t v = uint8_t(in[at + i]);
        reset = reset || v > 1;
        out[i] = v > 1 ? 0 : v;
    }
    if (reset)
        warnings.push_back("WARNING: pref.dat: " + what + ": marks other than 0 and 1, reset");
}

// Kept upgrades, four bits each; one warning for the whole field.
void GetUpgrades(const std::string& in, size_t at, uint8_t* out, const std::string& what,
                 std::vector<std::string>& warnings)
{
    bool dropped = false;
    for (int l = 0; l < kProfileLevels; l++)
    {
        uint8_t v = (uint8_t(in[at + l / 2]) >> (4 * (l % 2))) & 0x0F;
        dropped = dropped || v > kProfileUpgradeKinds;
        out[l] = v > kProfileUpgradeKinds ? 0 : v;
    }
    if (dropped)
        warnings.push_back(
            Lumo::StrFormat("WARNING: pref.dat: %s: kept upgrades other than 0 to %d, dropped",
                            what.c_str(), kProfileUpgradeKinds));
}

// What the disk did with the file is an outside value of a demo:
// a recording keeps them, and the replay of a file new enough to hold them
// takes them instead of touching the disk.
bool ReplayTakesOutcomes()
{
    return gLumoApp && gLumoApp->mPlayingDemo && gLumoApp->mDemoFormatVersion >= 3;
}

bool Replaying()
{
    return gLumoApp && gLumoApp->mPlayingDemo;
}

// Written into the stream while recording; the recorded one in a replay.
void SyncOutcome(bool& ok, std::string& text)
{
    if (!gLumoApp || !(gLumoApp->mRecordingDemo || ReplayTakesOutcomes()))
        return;
    Lumo::Buffer buffer;
    buffer.WriteBoolean(ok);
    buffer.WriteString(text);
    gLumoApp->SyncDemoBuffer(buffer);
    ok = buffer.ReadBoolean();
    text = buffer.ReadString();
}

// Writes the whole file through "<path>.tmp"; the error for the player otherwise.
bool WriteThroughTemporary(const std::string& path, const std::string& bytes,
                           void (*beforeReplace)(), int64_t& room, std::string& error)
{
    Lumo::MakeDirectories(Lumo::GetFileDir(path, true));
    std::string temporary = path + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        error =
            Lumo::StrFormat("cannot create '%s' (error %lu)", temporary.c_str(), GetLastError());
        return false;
    }
    bool ok = WriteAll(file, bytes.data(), bytes.size(), room) && FlushFileBuffers(file);
    DWORD code = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (ok && beforeReplace)
        beforeReplace();
    // The old file is replaced only by a complete new one.
    if (ok && !MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        ok = false;
        code = GetLastError();
    }
    if (!ok)
    {
        DeleteFileA(temporary.c_str());
        error = Lumo::StrFormat("cannot write '%s' (error %lu)", path.c_str(), code);
    }
    return ok;
}
} // namespace

// --- KpProfile

void KpProfile::ClearCareer()
{
    highestLevel = 1;
    memset(levelMoney, 0, sizeof(levelMoney));
    memset(levelExpert, 0, sizeof(levelExpert));
    memset(levelGoals, 0, sizeof(levelGoals));
    memset(levelUpgrade, 0, sizeof(levelUpgrade));
}

KpProfileData::KpProfileData()
{
    for (int i = 0; i < kRecordCount; i++)
    {
        records[0][i].name = kHouseNames[i];
        records[0][i].score = kHouseCareerScores[i];
        records[1][i].name = kHouseNames[(i + 7) % kRecordCount];
        records[1][i].score = kHouseSurvivalScores[i];
    }
}

// --- Bytes

std::string WriteProfileData(const KpProfileData& data)
{
    std::string out(kProfilesAt + kProfileRecordBytes * data.slots.size(), '\0');
    memcpy(&out[0], kMagic, 4);
    PutU32(out, 4, kProfileFileVersion);
    PutU32(out, 8, uint32_t(data.musicVolume));
    PutU32(out, 12, uint32_t(data.soundVolume));
    out[16] = char(data.windowed);
    out[17] = char(data.mute);
    PutU32(out, 20, uint32_t(data.currentSlot));
    PutU32(out, 24, uint32_t(data.slots.size()));
    for (int table = 0; table < 2; table++)
        for (int i = 0; i < kRecordCount; i++)
        {
            size_t at = kHeaderBytes + table * kTableBytes + i * kRecordBytes;
            PutName(out, at, data.records[table][i].name);
            PutU32(out, at + kProfileNameUnits * 2, uint32_t(data.records[table][i].score));
        }
    for (size_t s = 0; s < data.slots.size(); s++)
    {
        const KpProfile& p = data.slots[s];
        size_t at = kProfilesAt + s * kProfileRecordBytes;
        PutName(out, at + kNameAt, p.name);
        for (int l = 0; l < kProfileLevels; l++)
            out[at + kUpgradesAt + l / 2] |= char((p.levelUpgrade[l] & 0x0F) << (4 * (l % 2)));
        PutU32(out, at + kHighestLevelAt, uint32_t(p.highestLevel));
        for (int l = 0; l < kProfileLevels; l++)
            PutU32(out, at + kMoneyAt + 4 * l, uint32_t(p.levelMoney[l]));
        memcpy(&out[at + kExpertAt], p.levelExpert, kProfileLevels);
        memcpy(&out[at + kGoalsAt], p.levelGoals, kProfileLevels * kProfileGoals);
    }
    size_t end = out.size();
    out.resize(end + kSumBytes);
    PutU32(out, end, Sum(out, end));
    return out;
}

namespace
{
// The sum of the bytes before `end` with the profile count read as `count`.
uint32_t SumWithCount(const std::string& bytes, size_t end, int32_t count)
{
    std::string patched = bytes.substr(0, end);
    PutU32(patched, 24, uint32_t(count));
    return Sum(patched, end);
}

size_t ProfilesEnd(int32_t count)
{
    return kProfilesAt + size_t(count) * kProfileRecordBytes;
}

// How many stored profiles to read, from the count and the file's length,
// which must agree: a file with a sum ends four bytes after its last
// profile, one written before the sum existed right after it. False when
// the sum does not match: nothing of the file can be trusted.
bool CountProfiles(const std::string& bytes, int32_t& players, KpProfileReadNotes& notes,
                   std::vector<std::string>& warnings)
{
    const int32_t count = int32_t(GetU32(bytes, 24));
    const bool countFits = count >= 0 && count <= kProfileMaxSlots;
    const size_t body = bytes.size() - kProfilesAt;
    const int32_t held = int32_t(body / kProfileRecordBytes); // whole records there
    const size_t rest = body % kProfileRecordBytes;
    bool& playersLeftOut = notes.playersLeftOut;
    playersLeftOut = false;
    if (countFits && bytes.size() >= ProfilesEnd(count) + kSumBytes &&
        GetU32(bytes, ProfilesEnd(count)) == Sum(bytes, ProfilesEnd(count)))
    {
        // The sum vouches for every byte before it: what follows is no part
        // of the file (a crash can leave zeros there), and costs no player.
        players = count;
        const size_t end = ProfilesEnd(count) + kSumBytes;
        notes.grownBytes = bytes.size() - end;
        notes.grownNotZero =
            std::any_of(bytes.begin() + end, bytes.end(), [](char c) { return c != 0; });
        return true;
    }
    if (rest == kSumBytes)
    {
        // One damaged count (a flipped bit) must not drop players: when the
        // sum holds for the count the length gives, that count is the file's.
        if (held <= kProfileMaxSlots && count != held &&
            GetU32(bytes, ProfilesEnd(held)) == SumWithCount(bytes, ProfilesEnd(held), held))
        {
            warnings.push_back(Lumo::StrFormat("WARNING: pref.dat: profile count %d, but the file "
                                               "and its sum hold %d profiles: all read",
                                               count, held));
            players = held;
            return true;
        }
        warnings.push_back("WARNING: pref.dat: the sum of its records does not match: damaged");
        return false;
    }
    if (rest == 0 && held <= kProfileMaxSlots)
    {
        // Written before the sum existed: the length says how many it holds.
        players = held;
        if (count != held)
            warnings.push_back(Lumo::StrFormat(
                "WARNING: pref.dat: profile count %d, but the file holds %d profiles", count,
                held));
        playersLeftOut = countFits && count > held;
        return true;
    }
    // Cut short or grown: whole records only, no more than the count names.
    int32_t most = std::min(held, int32_t(kProfileMaxSlots));
    players = countFits ? std::min(count, most) : most;
    warnings.push_back(Lumo::StrFormat(
        "WARNING: pref.dat: %u bytes fit no profile count (count %d): %d profiles read",
        unsigned(bytes.size()), count, players));
    playersLeftOut = countFits ? count > players : rest != 0;
    return true;
}

// A value out of its range is not the player's: it is reset, never held to
// the nearer end (a forged best money of a day would stay a million).
bool InRange(int32_t value, int32_t low, int32_t high, const std::string& what,
             std::vector<std::string>& warnings)
{
    if (value >= low && value <= high)
        return true;
    warnings.push_back(Lumo::StrFormat("WARNING: pref.dat: %s %d is outside %d..%d, reset",
                                       what.c_str(), value, low, high));
    return false;
}

// The next level to play as the rest of the profile shows it: the one after
// the highest level with money won.
int32_t NextLevelFromMoney(const KpProfile& p)
{
    for (int32_t level = kProfileLevels - 1; level >= 1; level--)
        if (p.levelMoney[level] > 0)
            return level + 1;
    return 1;
}

KpProfile ReadProfile(const std::string& bytes, int slot, std::vector<KpResetDay>& moneyReset,
                      std::vector<std::string>& warnings)
{
    const size_t at = kProfilesAt + size_t(slot) * kProfileRecordBytes;
    const std::string what = Lumo::StrFormat("profile %d", slot);
    KpProfile p;
    p.name = GetName(bytes, at + kNameAt, what, warnings);
    // A day's best money out of range: the day counts as not won (its marks
    // and its kept upgrade stay, as the file holds them).
    bool reset[kProfileLevels] = {};
    for (int l = 0; l < kProfileLevels; l++)
    {
        int32_t money = int32_t(GetU32(bytes, at + kMoneyAt + 4 * l));
        reset[l] = !InRange(money, 0, kProfileMostMoney,
                            Lumo::StrFormat("%s money of level %d", what.c_str(), l), warnings);
        p.levelMoney[l] = reset[l] ? 0 : money;
    }
    // Out of range, the next level is the one after the best day won: a
    // forged 500 would open every day to a player who reached day 4.
    int32_t highest = int32_t(GetU32(bytes, at + kHighestLevelAt));
    p.highestLevel = InRange(highest, 1, kProfileLevels, what + " highest level", warnings)
                         ? highest
                         : NextLevelFromMoney(p);
    // The player is told of the days the career book shows: up to the next
    // one to play (a later day shows no result at all).
    for (int l = 1; l < kProfileLevels && l <= p.highestLevel; l++)
        if (reset[l])
            moneyReset.push_back({slot, l});
    GetFlags(bytes, at + kExpertAt, kProfileLevels, p.levelExpert, what + " expert marks",
             warnings);
    GetFlags(bytes, at + kGoalsAt, kProfileLevels * kProfileGoals, &p.levelGoals[0][0],
             what + " goal marks", warnings);
    GetUpgrades(bytes, at + kUpgradesAt, p.levelUpgrade, what, warnings);
    CheckZero(bytes, at + kUpgradesAt + kUpgradeBytes,
              kHighestLevelAt - kUpgradesAt - kUpgradeBytes, what, warnings);
    CheckZero(bytes, at + kMoneyAt + 4 * kProfileLevels, 16, what, warnings);
    CheckZero(bytes, at + kGoalsAt + kProfileLevels * kProfileGoals, 8, what, warnings);
    return p;
}
} // namespace

bool ReadProfileData(const std::string& bytes, KpProfileData& data,
                     std::vector<std::string>& warnings, KpProfileReadNotes* notesOut)
{
    KpProfileReadNotes notes;
    if (notesOut)
        *notesOut = notes;
    if (bytes.size() < kProfilesAt || memcmp(bytes.data(), kMagic, 4) != 0)
    {
        warnings.push_back("WARNING: pref.dat: not a profile file or cut short");
        return false;
    }
    uint32_t version = GetU32(bytes, 4);
    if (version != kProfileFileVersion)
    {
        warnings.push_back(Lumo::StrFormat("WARNING: pref.dat: version %u is not %u", version,
                                           kProfileFileVersion));
        return false;
    }
    int32_t count = 0;
    if (!CountProfiles(bytes, count, notes, warnings))
        return false;

    KpProfileData read;
    read.musicVolume = Clamp(int32_t(GetU32(bytes, 8)), 0, 100, "music volume", warnings);
    read.soundVolume = Clamp(int32_t(GetU32(bytes, 12)), 0, 100, "sound volume", warnings);
    read.windowed = uint8_t(Clamp(uint8_t(bytes[16]), 0, 1, "windowed flag", warnings));
    read.mute = uint8_t(Clamp(uint8_t(bytes[17]), 0, 1, "mute flag", warnings));
    CheckZero(bytes, 18, 2, "header", warnings);
    CheckZero(bytes, 28, 36, "header", warnings);

    for (int table = 0; table < 2; table++)
    {
        // A row whose score is out of range is dropped, the rows below it
        // moving up: held to the top it would stay first for good.
        int kept = 0;
        for (int i = 0; i < kRecordCount; i++)
        {
            size_t at = kHeaderBytes + table * kTableBytes + i * kRecordBytes;
            std::string what = Lumo::StrFormat("%s record %d", table ? "survival" : "career", i);
            KpRecord record;
            record.name = GetName(bytes, at, what, warnings);
            record.score = int32_t(GetU32(bytes, at + kProfileNameUnits * 2));
            if (InRange(record.score, 0, kProfileMostScore, what + " score", warnings))
                read.records[table][kept++] = record;
        }
        for (; kept < kRecordCount; kept++)
            read.records[table][kept] = KpRecord();
    }

    for (int32_t s = 0; s < count; s++)
        read.slots.push_back(ReadProfile(bytes, s, notes.moneyReset, warnings));
    int32_t current = int32_t(GetU32(bytes, 20));
    if (current < -1 || current >= count)
    {
        warnings.push_back(
            Lumo::StrFormat("WARNING: pref.dat: current profile %d does not exist", current));
        current = count > 0 ? 0 : -1;
    }
    read.currentSlot = current;
    data = read;
    if (notesOut)
        *notesOut = notes;
    return true;
}

// --- KpProfileFile

KpProfileFile::KpProfileFile()
    : mMusicVolume(mData.musicVolume), mSoundVolume(mData.soundVolume), mWindowed(mData.windowed),
      mMute(mData.mute), mCurrentSlot(mData.currentSlot), mProfileLoaded(false)
{
}

namespace
{
const wchar_t kOwnFolder[] = L"\\Tessik Games\\Zorka2";

std::wstring UserAppDataFolder()
{
    wchar_t folder[MAX_PATH] = {0};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder)))
        return std::wstring();
    return folder;
}
} // namespace

std::string KpProfileFile::DefaultPath(Lumo::ShortPathQuery shortPath)
{
    const std::wstring appData = UserAppDataFolder();
    if (appData.empty())
        return "pref.dat";
    // The user's folder may be named in another script than the system's
    // language for programs that are not Unicode; our own folders never are.
    const std::string folder = Lumo::NarrowPathName(appData, shortPath);
    if (folder.empty())
        return "";
    return folder + Lumo::WStringToString(kOwnFolder) + "\\pref.dat";
}

std::wstring KpProfileFile::DefaultFolder()
{
    const std::wstring appData = UserAppDataFolder();
    return appData.empty() ? std::wstring() : appData + kOwnFolder;
}

void KpProfileFile::UseDefaultPath(Lumo::ShortPathQuery shortPath)
{
    SetPath(DefaultPath(shortPath));
    mPathUnnamed = mPath.empty();
}

int KpProfileFile::MostKeptCopies()
{
    return kMostKeptCopies;
}

void KpProfileFile::StartFresh()
{
    mData = KpProfileData();
    mProfile = KpProfile();
    mProfileLoaded = false;
}

bool KpProfileFile::Read()
{
    // What an earlier read of a damaged file held back is for this file to say now.
    mUnprotected = false;
    mUnkeptUntold = false;
    mUnkeptBytes.clear();
    mSettingsRead = false;
    mReadInPart = false;
    mPlayersLeftOut = false;
    mMoneyReset.clear();
    mGrownUntold = false;
    mHeld = false;
    mHeldUntold = false;
    mNoFolder = false;
    mNoFolderUntold = false;
    mGrown = false;
    std::string bytes;
    DiskRest rest;
    DiskRead got = kDiskMissing;
    if (!Replaying())
        got = mPathUnnamed ? kDiskUnnamed
                           : ReadDiskFileWaiting(mPath, bytes, rest, mHeldWaitMs, mWhileHeld);
    if (gLumoApp && (gLumoApp->mRecordingDemo || Replaying()))
    {
        // The profile is an outside value: a demo keeps what the recorded run
        // found, and its replay starts from that, whatever the file holds now.
        // What lay past the bytes read counts only for the copy, whose
        // outcome the demo keeps as well.
        if (gLumoApp->SyncFileRead(got == kDiskRead, bytes))
        {
            got = kDiskRead;
            // An older recording's read took more: no more is read now.
            if (bytes.size() > kMostRead)
                bytes.resize(kMostRead);
        }
        else
        {
            // Whether a file that could not be read is there at all decides
            // whether a copy is kept, and whether another program held it
            // decides that nothing of it is touched: outside values as well
            // (an older recording says nothing of a hold).
            bool found = got != kDiskMissing;
            std::string held = got == kDiskHeld      ? "held"
                               : got == kDiskUnnamed ? kUnnamedOutcome
                                                     : "";
            SyncOutcome(found, held);
            got = !found                    ? kDiskMissing
                  : held.empty()            ? kDiskFailed
                  : held == kUnnamedOutcome ? kDiskUnnamed
                                            : kDiskHeld;
        }
    }
    if (got == kDiskMissing)
    {
        StartFresh();
        return false;
    }
    if (got == kDiskUnnamed)
    {
        // Not damaged and not missing: out of reach. Nothing is read or saved
        // in this run, and the player learns why, once.
        mNoFolder = true;
        mNoFolderUntold = true;
        WriteLog("ERROR: KpProfileFile::Read: no name this system gives the game reaches the "
                 "profile folder; nothing is loaded or saved in this run");
        StartFresh();
        return false;
    }
    if (got == kDiskHeld)
    {
        // Not damaged, only busy: nothing of it is loaded and nothing is saved
        // over it in this run, which starts as a first run would.
        mHeld = true;
        mHeldUntold = true;
        WriteLog("ERROR: KpProfileFile::Read: '%s' is still in use by another program; nothing "
                 "is loaded from it or saved over it in this run",
                 mPath.c_str());
        StartFresh();
        return false;
    }
    const bool ok = got == kDiskRead;
    // The bytes are the file as it is on the disk (no rest past them).
    const bool whole = ok && rest.bytes == 0;

    std::vector<std::string> warnings;
    KpProfileData data;
    KpProfileReadNotes notes;
    bool loaded = ok && ReadProfileData(bytes, data, warnings, &notes);
    if (!ok)
        WriteLog("WARNING: KpProfileFile::Read: '%s' cannot be read", mPath.c_str());
    for (const std::string& w : warnings)
        WriteLog("%s", w.c_str());
    const bool grown = loaded && warnings.empty() && notes.grownBytes > 0;
    mGrown = grown;
    if (grown)
    {
        // Nothing of the file is lost in dropping zeros; anything else past
        // its end is kept aside, as nobody can tell what it was.
        const bool empty = !notes.grownNotZero && !rest.notZero;
        WriteLog("WARNING: KpProfileFile::Read: '%s' grew by %llu bytes past its end (%s); they "
                 "are left out at the next save",
                 mPath.c_str(), (unsigned long long)(notes.grownBytes + rest.bytes),
                 empty ? "all zero" : "not all zero");
    }
    if (!loaded || !warnings.empty() || grown)
    {
        // Nothing the player had is lost: the file as it was is kept before
        // anything can be saved over it.
        mUnprotected = !KeepCopy(bytes, whole, !grown || notes.grownNotZero || rest.notZero);
        if (mUnprotected)
        {
            mUnkeptBytes = bytes;
            mUnkeptWhole = whole;
            mUnkeptUntold = true;
            WriteLog("ERROR: KpProfileFile::Read: no copy of '%s' could be kept; it is not saved "
                     "over until one is",
                     mPath.c_str());
        }
        else if (!mKeptCopy.empty())
            WriteLog("WARNING: KpProfileFile::Read: '%s' %s; kept as '%s'", mPath.c_str(),
                     grown ? "grew" : "did not load whole", mKeptCopy.c_str());
        // A replay of a demo without outcomes knows no copy: nothing is told.
        mGrownUntold = grown && !mUnprotected && (!Replaying() || ReplayTakesOutcomes());
    }
    if (!loaded)
    {
        StartFresh();
        return false;
    }
    // Settings of a damaged file are as likely noise as the player's choice
    // (a muted game, music at full): the defaults stand until the next save.
    mSettingsRead = warnings.empty();
    mReadInPart = !mSettingsRead;
    mPlayersLeftOut = notes.playersLeftOut;
    mMoneyReset = notes.moneyReset;
    if (!mSettingsRead)
    {
        KpProfileData defaults;
        data.musicVolume = defaults.musicVolume;
        data.soundVolume = defaults.soundVolume;
        data.windowed = defaults.windowed;
        data.mute = defaults.mute;
    }
    mData = data;
    mProfileLoaded = mData.currentSlot >= 0;
    mProfile = mProfileLoaded ? mData.slots[size_t(mData.currentSlot)] : KpProfile();
    return true;
}

bool KpProfileFile::KeepCopy(const std::string& bytes, bool bytesWhole, bool wanted)
{
    // Where the copy went is an outside value: a replay copies nothing into
    // the player's folder and takes the recorded outcome (an older recording
    // holds none: nothing was kept, and nothing is told).
    std::string name;
    bool kept = true;
    if (!Replaying() && wanted)
    {
        bool namesTaken = false;
        kept = !(name = KeepCopyOnDisk(bytes, bytesWhole, namesTaken)).empty();
        if (namesTaken)
            name = kNamesTakenOutcome;
    }
    SyncOutcome(kept, name);
    mCopyNamesTaken = !kept && name == kNamesTakenOutcome;
    if (kept && !name.empty())
        mKeptCopy = name;
    return kept;
}

std::string KpProfileFile::KeepCopyOnDisk(const std::string& bytes, bool bytesWhole,
                                          bool& namesTaken)
{
    namesTaken = false;
    for (int n = 1; n <= kMostKeptCopies; n++)
    {
        std::string name = n == 1 ? mPath + ".bad" : Lumo::StrFormat("%s.%d.bad", mPath.c_str(), n);
        if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES)
        {
            // The same file found damaged again (the game ended before a save)
            // needs no second copy, however long it is.
            if (SameAsCopySource(name, bytesWhole ? &bytes : nullptr, mPath))
                return name;
            continue;
        }
        // Never over an earlier copy: a name taken meanwhile goes on to the
        // next; any other failure is the folder refusing the copy.
        CopyResult result =
            WriteNewCopy(name, bytesWhole ? &bytes : nullptr, mPath, mDiskRoom, mBeforeReplace);
        if (result == kCopyMade)
            return name;
        if (result == kCopyFailed)
        {
            WriteLog("WARNING: KpProfileFile: cannot copy '%s' to '%s' (error %lu)", mPath.c_str(),
                     name.c_str(), GetLastError());
            return "";
        }
    }
    namesTaken = true;
    WriteLog("WARNING: KpProfileFile: every name for a copy of '%s' is taken ('%s.bad' to "
             "'%s.%d.bad')",
             mPath.c_str(), mPath.c_str(), mPath.c_str(), kMostKeptCopies);
    return "";
}

std::string KpProfileFile::TakeKeptCopy()
{
    std::string copy;
    copy.swap(mKeptCopy);
    return copy;
}

bool KpProfileFile::TakeHeldNews()
{
    bool untold = mHeldUntold;
    mHeldUntold = false;
    return untold;
}

std::vector<KpResetDay> KpProfileFile::TakeMoneyResetDays()
{
    std::vector<KpResetDay> days;
    days.swap(mMoneyReset);
    return days;
}

bool KpProfileFile::TakeGrownNews()
{
    bool untold = mGrownUntold;
    mGrownUntold = false;
    return untold;
}

bool KpProfileFile::TakeNoFolderNews()
{
    bool untold = mNoFolderUntold;
    mNoFolderUntold = false;
    return untold;
}

bool KpProfileFile::TakeUnkeptNews()
{
    bool untold = mUnkeptUntold;
    mUnkeptUntold = false;
    return untold;
}

bool KpProfileFile::TakeSaveFailure()
{
    bool untold = mFailureUntold;
    mFailureUntold = false;
    return untold;
}

void KpProfileFile::StoreCurrent()
{
    if (mProfileLoaded && mData.currentSlot >= 0 && mData.currentSlot < GetProfileCount())
        mData.slots[size_t(mData.currentSlot)] = mProfile;
}

bool KpProfileFile::Save()
{
    StoreCurrent();
    if (mHeld)
    {
        // The player was told at the start, and the quit question says so:
        // no box for each refused save.
        WriteLog("WARNING: KpProfileFile::Save: '%s' was in use by another program at the start; "
                 "nothing is saved over it in this run",
                 mPath.c_str());
        return false;
    }
    if (mNoFolder)
    {
        WriteLog("WARNING: KpProfileFile::Save: no name reaches the profile folder; nothing is "
                 "saved in this run");
        return false;
    }
    bool ok;
    mSaveRefused = mUnprotected && !KeepCopy(mUnkeptBytes, mUnkeptWhole);
    if (mSaveRefused)
    {
        mSaveError = "no copy of the damaged '" + mPath + "' could be kept";
        ok = false;
    }
    else
    {
        if (mUnprotected)
        {
            mUnprotected = false;
            mUnkeptBytes.clear();
        }
        ok = Write();
    }
    if (ok)
    {
        mSaveFailing = false;
        mFailureUntold = false;
        return true;
    }
    WriteLog("WARNING: KpProfileFile::Save: %s; the changes stay in memory", mSaveError.c_str());
    if (!mSaveFailing)
        mFailureUntold = true;
    mSaveFailing = true;
    return false;
}

bool KpProfileFile::Write()
{
    // A replay's saves go to its own file and never to the player's; whether
    // a save reached the disk is an outside value, taken from the recording
    // (an older recording holds none: its saves are taken as done). What
    // becomes of the replay's own file is no outcome of the recorded run.
    std::string bytes = WriteProfileData(mData);
    const std::string& own = Replaying() ? mReplaySavePath : mPath;
    bool ok = true;
    std::string error;
    if (!Replaying() && !own.empty())
        ok = WriteThroughTemporary(own, bytes, mBeforeReplace, mDiskRoom, error);
    SyncOutcome(ok, error);
    std::string replayError;
    if (Replaying() && ok && !own.empty() &&
        !WriteThroughTemporary(own, bytes, mBeforeReplace, mDiskRoom, replayError))
        WriteLog("WARNING: KpProfileFile::Write: the replay's %s", replayError.c_str());
    if (!ok)
        mSaveError = error;
    return ok;
}

bool KpProfileFile::NewProfile(const std::wstring& name, KpProfileFillFn fill, void* argument)
{
    if (GetProfileCount() >= kProfileMaxSlots)
    {
        WriteLog("WARNING: KpProfileFile::NewProfile: all %d slots are taken", kProfileMaxSlots);
        return false;
    }
    StoreCurrent();
    KpProfile profile;
    profile.name = name.substr(0, kProfileNameUnits - 1);
    if (fill)
        fill(&profile, argument);
    mData.slots.push_back(profile);
    mData.currentSlot = GetProfileCount() - 1;
    mProfile = profile;
    mProfileLoaded = true;
    Save();
    return true;
}

bool KpProfileFile::LoadProfile(const char* fileName, int slot)
{
    if (fileName)
    {
        std::string own = mPath;
        mPath = fileName;
        Read();
        mPath = own;
    }
    if (slot < 0 || slot >= GetProfileCount())
        return false;
    StoreCurrent();
    mData.currentSlot = slot;
    mProfile = mData.slots[size_t(slot)];
    mProfileLoaded = true;
    Save();
    return true;
}

bool KpProfileFile::DeleteProfile(int slot)
{
    if (slot < 0 || slot >= GetProfileCount())
        return false;
    StoreCurrent();
    mData.slots.erase(mData.slots.begin() + slot);
    int& current = mData.currentSlot;
    if (current == slot)
        current = GetProfileCount() > 0 ? 0 : -1;
    else if (current > slot)
        current--;
    mProfileLoaded = current >= 0;
    mProfile = mProfileLoaded ? mData.slots[size_t(current)] : KpProfile();
    return true;
}

void KpProfileFile::ReadAllProfiles(std::vector<std::wstring>& names) const
{
    for (const KpProfile& profile : mData.slots)
        names.push_back(profile.name);
}

void KpProfileFile::ClearProfile()
{
    mProfile.ClearCareer();
}

int KpProfileFile::InsertRecord(bool survival, const std::wstring& name, int score)
{
    KpRecord* table = GetRecords(survival);
    int place = 0;
    // An equal score ranks below the one already there.
    while (place < kRecordCount && !table[place].name.empty() && table[place].score >= score)
        place++;
    if (place == kRecordCount)
        return kRecordCount;
    for (int i = kRecordCount - 1; i > place; i--)
        table[i] = table[i - 1];
    table[place].name = name.substr(0, kProfileNameUnits - 1);
    table[place].score = score;
    return place;
}

void KpProfileFile::ApplySettings()
{
    GetSoundManager()->SoundSetMasterVolume(mData.mute ? 0 : mData.soundVolume);
    MusicSetGlobalVolume(mData.mute ? 0 : mData.musicVolume);
    if (gLumoApp)
        gLumoApp->SetSfxVolume((mData.mute ? 0 : mData.soundVolume) / 100.0);
    if (!gLumoApp)
        return;
    bool windowed = mData.windowed != 0;
    if (!gLumoApp->mHWnd)
        gLumoApp->mIsWindowed = windowed;
    else if (gLumoApp->mIsWindowed != windowed)
        gLumoApp->SwitchScreenMode(windowed, gLumoApp->Is3DAccelerated(), false);
}
