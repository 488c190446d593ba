// The demo stream's record layout and the demo file's checks, without an
// application: filler records, padding, the reader's refusals (files too large
// to be a recording among them), and a run of seeded mutations through the reader.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "framework/diagnostics/DemoFile.h"
#include "framework/diagnostics/DemoStream.h"

using namespace Lumo;

// The largest single allocation while `gTrackAllocations` is set: what the
// reader takes grows with the file it was given, never with a count it claims.
static std::atomic<bool> gTrackAllocations{false};
static std::atomic<size_t> gLargestAllocation{0};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size)
{
    if (gTrackAllocations && size > gLargestAllocation)
        gLargestAllocation = size;
    if (void* p = malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    free(p);
}
void operator delete(void* p, size_t) noexcept
{
    free(p);
}
#pragma GCC diagnostic pop

namespace
{

// A stream of one record of every kind with a payload of counts, a gap of 40
// updates, and unaligned bytes throughout (the headers are 6 or 10 bits).
std::string SampleStream(int* lastUpdate)
{
    DemoStream s;
    Buffer& b = s.mBuffer;
    s.WritePointer(0, DEMO_POINTER_MOVE);
    b.WriteNumBits((unsigned)-3, 6);
    b.WriteNumBits(7, 6);
    s.WriteCommand(2, DEMO_REGISTRY_READ);
    b.WriteNumBits(1, 1);
    b.WriteLong(4); // REG_DWORD
    b.WriteLong(4);
    b.WriteLong(85);
    s.WriteCommand(42, DEMO_FILE_READ);
    b.WriteNumBits(1, 1);
    b.WriteLong(5);
    b.WriteBytes("bytes", 5);
    s.WriteCommand(42, DEMO_HTTP_RESULT);
    b.WriteLong(7);
    b.WriteByte(0);
    b.WriteString("thank you");
    s.WriteCommand(43, DEMO_SYNC);
    b.WriteLong(3);
    b.WriteBytes("abc", 3);
    s.WriteCommand(43, DEMO_CHAR);
    b.WriteNumBits(1, 1);
    b.WriteNumBits(0x263A, 16);
    *lastUpdate = 43;
    return std::string((const char*)b.GetDataPtr(), (size_t)b.GetDataLen());
}

DemoFileContents SampleContents()
{
    DemoFileContents c;
    c.randomSeed = 1234;
    c.programVersion = "1.0";
    c.markers = {{"start", 0}, {"level 2", 30}};
    int last = 0;
    c.stream = SampleStream(&last);
    c.totalUpdates = 50;
    return c;
}

bool Parse(const std::string& bytes, DemoFileContents* out, std::string* error)
{
    bool seedRead = false;
    return ParseDemoFile(bytes, "1.0", out, &seedRead, error);
}

} // namespace

TEST(DemoStream, GapOfFortyUpdatesIsTwoFillersAndTen)
{
    DemoStream s;
    s.WriteCommand(0, DEMO_CLOSE);
    s.WriteCommand(40, DEMO_CLOSE);
    EXPECT_EQ(s.mBuffer.GetDataBitSize(), 40);
    EXPECT_EQ(s.mRecordCount, 4);

    DemoStream r;
    ASSERT_TRUE(r.Load(s.mBuffer.GetDataPtr(), s.mBuffer.GetDataLen()));
    const int updates[] = {0, 15, 30, 40};
    const int commands[] = {DEMO_CLOSE, DEMO_FILLER, DEMO_FILLER, DEMO_CLOSE};
    for (int i = 0; i < 4; i++)
    {
        ASSERT_TRUE(r.ReadHeaderIfTaken());
        EXPECT_EQ(r.mLastRecordUpdate, updates[i]);
        EXPECT_EQ(r.mPendingCommand, commands[i]);
        r.mRecordTaken = true;
    }
    EXPECT_TRUE(r.AtEnd());
}

TEST(DemoStream, PaddingIsNoRecordButTrailingBytesAreRefused)
{
    // A button record is 10 bits; the 6 padding bits after it are zero, which
    // would read as the start of an absolute move to (0, 0).
    DemoStream s;
    s.WritePointer(3, DEMO_POINTER_BUTTON);
    s.mBuffer.WriteNumBits(1, 1);
    s.mBuffer.WriteNumBits(1, 3);
    DemoStream r;
    ASSERT_TRUE(r.Load(s.mBuffer.GetDataPtr(), s.mBuffer.GetDataLen()));
    ASSERT_TRUE(r.ReadHeaderIfTaken());
    EXPECT_TRUE(r.mPointerKind);
    r.SkipPayload();
    r.mRecordTaken = true;
    EXPECT_TRUE(r.AtEnd());
    EXPECT_FALSE(r.ReadHeaderIfTaken());

    std::string bytes((const char*)s.mBuffer.GetDataPtr(), (size_t)s.mBuffer.GetDataLen());
    bytes += std::string(2, '\0'); // 22 zero bits: no stream of ours
    EXPECT_FALSE(r.Load((const unsigned char*)bytes.data(), (int)bytes.size()));
}

TEST(DemoStream, SkippedPayloadsLandOnTheNextRecord)
{
    int last = 0;
    std::string bytes = SampleStream(&last);
    DemoStream r;
    ASSERT_TRUE(r.Load((const unsigned char*)bytes.data(), (int)bytes.size()));
    std::vector<int> commands;
    while (r.ReadHeaderIfTaken())
    {
        commands.push_back(r.mPointerKind ? 100 + r.mPendingCommand : r.mPendingCommand);
        r.SkipPayload();
        r.mRecordTaken = true;
    }
    std::vector<int> expected = {100,         DEMO_REGISTRY_READ, DEMO_FILLER,
                                 DEMO_FILLER, DEMO_FILE_READ,     DEMO_HTTP_RESULT,
                                 DEMO_SYNC,   DEMO_CHAR};
    EXPECT_EQ(commands, expected);
    EXPECT_EQ(r.mLastRecordUpdate, last);
}

TEST(DemoFile, RoundTripKeepsEveryField)
{
    DemoFileContents in = SampleContents();
    DemoFileContents out;
    std::string error;
    ASSERT_TRUE(Parse(BuildDemoFile(in), &out, &error)) << error;
    EXPECT_EQ(out.randomSeed, 1234u);
    EXPECT_EQ(out.programVersion, "1.0");
    ASSERT_EQ(out.markers.size(), 2u);
    EXPECT_EQ(out.markers[1].name, "level 2");
    EXPECT_EQ(out.markers[1].update, 30);
    EXPECT_EQ(out.totalUpdates, 50);
    EXPECT_EQ(out.stream, in.stream);

    // A version-1 file has no marker block.
    in.formatVersion = 1;
    ASSERT_TRUE(Parse(BuildDemoFile(in), &out, &error)) << error;
    EXPECT_TRUE(out.markers.empty());
    EXPECT_EQ(out.stream, in.stream);
}

TEST(DemoFile, RefusesOtherVersionsAndBrokenFiles)
{
    DemoFileContents c = SampleContents();
    DemoFileContents out;
    std::string error;
    bool seedRead = false;
    EXPECT_FALSE(ParseDemoFile(BuildDemoFile(c), "1.1", &out, &seedRead, &error));
    EXPECT_EQ(error, "This demo file appears to be for '1.0'");
    EXPECT_TRUE(seedRead);
    // A 300-byte version is read as its first 255 bytes, so it never matches;
    // the message shows one line of it.
    c.programVersion = std::string(300, 'v');
    EXPECT_FALSE(ParseDemoFile(BuildDemoFile(c), c.programVersion, &out, &seedRead, &error));
    EXPECT_EQ(error, "This demo file appears to be for '" + std::string(40, 'v') + "...'");
    // Bytes that are no text are shown as '?'.
    c.programVersion = std::string("1\x01\xFF\n2", 5);
    EXPECT_FALSE(ParseDemoFile(BuildDemoFile(c), "1.0", &out, &seedRead, &error));
    EXPECT_EQ(error, "This demo file appears to be for '1???2'");

    c = SampleContents();
    std::string good = BuildDemoFile(c);
    std::vector<std::string> broken;
    broken.push_back(good.substr(0, 3)); // no magic
    std::string bad = good;
    bad[0] ^= 1; // another magic
    broken.push_back(bad);
    // Ends right after the total updates.
    broken.push_back(good.substr(0, good.size() - c.stream.size()));
    bad = good;
    bad[20] = 0x7F; // a marker block longer than the file (length at 17-20)
    broken.push_back(bad);
    c.totalUpdates = 40; // a record at update 43 lies beyond the recording's end
    broken.push_back(BuildDemoFile(c));
    for (uint32_t version : {0u, kDemoFileVersion + 1, 99u}) // formats this program does not know
    {
        c = SampleContents();
        c.formatVersion = version;
        broken.push_back(BuildDemoFile(c));
    }
    // An absolute move cut short: 10 header bits and 8 of its 24.
    DemoStream cut;
    cut.WriteCommand(0, DEMO_MOUSE_ABSOLUTE);
    cut.mBuffer.WriteByte(0xFF);
    c = SampleContents();
    c.stream.assign((const char*)cut.mBuffer.GetDataPtr(), (size_t)cut.mBuffer.GetDataLen());
    broken.push_back(BuildDemoFile(c));
    // A size record says minimized (1) or not (0); any other byte is damage.
    for (int value : {0, 1, 2, 0xFF})
    {
        DemoStream size;
        size.WriteCommand(0, DEMO_MINIMIZE);
        size.mBuffer.WriteByte((unsigned char)value);
        c.stream.assign((const char*)size.mBuffer.GetDataPtr(), (size_t)size.mBuffer.GetDataLen());
        if (value > 1)
            broken.push_back(BuildDemoFile(c));
        else
            EXPECT_TRUE(Parse(BuildDemoFile(c), &out, &error)) << error << ", size " << value;
    }
    for (size_t i = 0; i < broken.size(); i++)
    {
        EXPECT_FALSE(Parse(broken[i], &out, &error)) << "case " << i;
        EXPECT_EQ(error, "Invalid demo file.") << "case " << i;
    }

    // More markers counted than the block holds.
    c = SampleContents();
    std::string file = BuildDemoFile(c);
    file[21] = 3; // the count, after magic, version, seed, "1.0" and the block length
    EXPECT_FALSE(Parse(file, &out, &error));
}

TEST(DemoFile, FilesBeyondAnyRecordingAreRefusedBeforeTheirBytesAreRead)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string path =
        std::string(temp) + "demo_size_" + std::to_string(GetCurrentProcessId()) + ".dmo";
    // Sparse files: their size costs no disk. Past 2 and 4 gigabytes a 32-bit
    // size reads as negative or wraps round to a size that seems to fit.
    const struct
    {
        uint64_t size;
        DemoFileRead result;
    } cases[] = {
        {700ull << 20, DemoFileRead::TooLarge},
        {1200ull << 20, DemoFileRead::TooLarge},
        {3ull << 30, DemoFileRead::TooLarge},
        {5ull << 30, DemoFileRead::TooLarge},
        {(4ull << 30) + 17, DemoFileRead::TooLarge},
        {kDemoFileLargest + 1, DemoFileRead::TooLarge},
        {17, DemoFileRead::Read},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.size) + " bytes");
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = (LONGLONG)c.size;
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
        std::string bytes = "left over";
        gLargestAllocation = 0;
        gTrackAllocations = true;
        DemoFileRead result = ReadDemoFileBytes(path, &bytes);
        gTrackAllocations = false;
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(bytes.size(), c.result == DemoFileRead::Read ? c.size : 0u);
        EXPECT_LE(gLargestAllocation.load(), 1024u + (c.result == DemoFileRead::Read ? c.size : 0));
    }
    DeleteFileA(path.c_str());
    std::string bytes;
    EXPECT_EQ(ReadDemoFileBytes(path, &bytes), DemoFileRead::NotFound);
}

TEST(DemoFile, AReplaysOwnFileLiesBesideTheDemoNamedFromIt)
{
    EXPECT_EQ(DemoReplayFileName("C:\\d\\run.dmo", "pref.dat"), "C:\\d\\run.pref.dat");
    EXPECT_EQ(DemoReplayFileName("C:\\d\\RUN.DMO", "pref.dat"), "C:\\d\\RUN.pref.dat");
    // Only a ".dmo" of the file's own name goes; a dot in a folder stays.
    EXPECT_EQ(DemoReplayFileName("C:\\d.x\\run", "pref.dat"), "C:\\d.x\\run.pref.dat");
    EXPECT_EQ(DemoReplayFileName("run.txt", "pref.dat"), "run.txt.pref.dat");
}

TEST(DemoFile, HugeCountsAreRefusedWithinTheFile)
{
    // A sync record whose 32-bit count claims four gigabytes.
    DemoStream s;
    s.WriteCommand(0, DEMO_SYNC);
    s.mBuffer.WriteLong(-1);
    s.mBuffer.WriteBytes("x", 1);
    DemoFileContents c;
    c.programVersion = "1.0";
    c.totalUpdates = 1;
    c.stream.assign((const char*)s.mBuffer.GetDataPtr(), (size_t)s.mBuffer.GetDataLen());
    std::string file = BuildDemoFile(c);
    DemoFileContents out;
    std::string error;
    gLargestAllocation = 0;
    gTrackAllocations = true;
    bool ok = Parse(file, &out, &error);
    gTrackAllocations = false;
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "Invalid demo file.");
    EXPECT_LE(gLargestAllocation.load(), file.size() + 64);
}

TEST(DemoFile, SeededMutationsNeverCrashNorOutgrowTheFile)
{
    const std::string good = BuildDemoFile(SampleContents());
    std::mt19937 random(20240611);
    int accepted = 0, refused = 0;
    for (int round = 0; round < 100000; round++)
    {
        std::string bytes = good;
        int edits = 1 + (int)(random() % 4);
        for (int e = 0; e < edits; e++)
        {
            size_t at = random() % bytes.size();
            switch (random() % 4)
            {
            case 0:
                bytes[at] ^= (char)(1 << (random() % 8));
                break;
            case 1:
                bytes[at] = (char)random();
                break;
            case 2:
                bytes.resize(at);
                break;
            default:
                bytes.insert(at, 1, (char)random());
                break;
            }
            if (bytes.empty())
                break;
        }
        DemoFileContents out;
        std::string error;
        gLargestAllocation = 0;
        gTrackAllocations = true;
        bool ok = Parse(bytes, &out, &error);
        if (ok)
        {
            // An accepted file plays: every header and payload of it reads in bounds.
            DemoStream r;
            ok = r.Load((const unsigned char*)out.stream.data(), (int)out.stream.size());
            while (ok && r.ReadHeaderIfTaken())
            {
                r.SkipPayload();
                r.mRecordTaken = true;
            }
        }
        gTrackAllocations = false;
        // Markers take more room in memory than in the file, a few times over at most.
        ASSERT_LE(gLargestAllocation.load(), 16 * bytes.size() + 1024) << "round " << round;
        if (ok)
            accepted++;
        else
        {
            refused++;
            ASSERT_FALSE(error.empty()) << "round " << round;
        }
    }
    // Both outcomes occur: the mutations reach past the header checks.
    EXPECT_GT(accepted, 100);
    EXPECT_GT(refused, 100);
}
