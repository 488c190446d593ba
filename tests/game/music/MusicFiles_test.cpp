// The game's own music as the build made it (tools/musicgen): four loops of
// 60 to 90 s that sound like music by measure, since nobody listens here:
// even loudness, peaks under -6 dBFS, a seam no rougher than the music
// itself, bass and middle present and no harsh top; and the tool writes the
// same bytes on every run.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/sound/StreamDecoder.h"
#include "tests/support/TempFolder.h"
#include "tools/musicgen/MusicSynth.h"

namespace
{
const std::string kBuiltMusic = std::string(LUMO_BINARY_DIR) + "\\pakstage\\data\\music\\";

int StdOpen(const char* name)
{
    FILE* f = fopen(name, "rb");
    return f ? int(intptr_t(f)) : -1;
}
int StdSeek(int h, int offset, int origin)
{
    FILE* f = (FILE*)intptr_t(h);
    return fseek(f, offset, origin) == 0 ? int(ftell(f)) : -1;
}
int StdRead(int h, void* dest, int count)
{
    return int(fread(dest, 1, size_t(count), (FILE*)intptr_t(h)));
}
void StdClose(int h)
{
    fclose((FILE*)intptr_t(h));
}

struct Decoded
{
    std::vector<int16_t> samples; // interleaved stereo
    std::vector<int16_t> again;   // the first frames after a rewind
    int rate = 0, channels = 0;
};

Decoded Decode(const std::string& path)
{
    Decoded out;
    std::string reason;
    auto decoder = OpenStreamDecoder(path.c_str(), {StdOpen, StdSeek, StdRead, StdClose}, &reason);
    EXPECT_TRUE(decoder) << path << ": " << reason;
    if (!decoder)
        return out;
    out.rate = decoder->Rate();
    out.channels = decoder->Channels();
    std::vector<int16_t> chunk(8192);
    for (int got; (got = decoder->Read(chunk.data(), 4096)) > 0;)
        out.samples.insert(out.samples.end(), chunk.begin(), chunk.begin() + got * 2);
    EXPECT_TRUE(decoder->Rewind());
    int got = decoder->Read(chunk.data(), 64);
    out.again.assign(chunk.begin(), chunk.begin() + std::max(0, got) * 2);
    return out;
}

double Db(double linear)
{
    return 20 * std::log10(std::max(linear, 1e-9));
}

std::string FileBytes(const std::string& path)
{
    std::string bytes;
    if (FILE* f = fopen(path.c_str(), "rb"))
    {
        char chunk[65536];
        for (size_t got; (got = fread(chunk, 1, sizeof(chunk), f)) > 0;)
            bytes.append(chunk, got);
        fclose(f);
    }
    return bytes;
}
} // namespace

TEST(MusicFiles, FourEvenSeamlessLoopsThatSoundLikeMusic)
{
    std::vector<double> levels;
    for (const MusicSynth::PieceInfo& piece : MusicSynth::Pieces())
    {
        SCOPED_TRACE(piece.name);
        Decoded music = Decode(kBuiltMusic + piece.name + ".ogg");
        ASSERT_EQ(44100, music.rate);
        ASSERT_EQ(2, music.channels);
        size_t frames = music.samples.size() / 2;
        EXPECT_GE(frames, 60u * 44100);
        EXPECT_LE(frames, 90u * 44100);
        // A whole number of bars.
        double beat = std::floor(44100 * 60.0 / piece.bpm + 0.5);
        EXPECT_EQ(size_t(beat * 4 * piece.bars), frames);

        double sum = 0, peak = 0, lowSum = 0, highSum = 0, low = 0, high = 0, prev = 0;
        int step = 0;
        for (size_t i = 0; i < music.samples.size(); i++)
        {
            double v = music.samples[i] / 32768.0;
            sum += v * v;
            peak = std::max(peak, std::fabs(v));
            if (i >= 2)
                step = std::max(step, std::abs(music.samples[i] - music.samples[i - 2]));
            if (i % 2 == 0)
            {
                // One-pole splits: below about 250 Hz, above about 6 kHz.
                low += 0.035 * (v - low);
                lowSum += low * low;
                high = 0.58 * (high + v - prev);
                prev = v;
                highSum += high * high;
            }
        }
        double rms = std::sqrt(sum / music.samples.size());
        levels.push_back(Db(rms));
        EXPECT_LE(Db(peak), -6.0);
        EXPECT_GT(Db(rms), -30.0);
        double left = sum / 2;
        EXPECT_GT(lowSum / left, 0.10) << "no bass to speak of";
        EXPECT_LT(lowSum / left, 0.80) << "nothing but bass";
        EXPECT_LT(highSum / left, 0.10) << "a harsh top";
        // The seam: from the last frame round to the first, no bigger a step than inside.
        ASSERT_GE(music.again.size(), 2u);
        EXPECT_EQ(music.samples[0], music.again[0]);
        int seam = std::max(std::abs(music.again[0] - music.samples[music.samples.size() - 2]),
                            std::abs(music.again[1] - music.samples.back()));
        EXPECT_LE(seam, step);
        EXPECT_LE(seam, step / 4) << "the seam stands out";
    }
    ASSERT_EQ(4u, levels.size());
    auto range = std::minmax_element(levels.begin(), levels.end());
    EXPECT_LE(*range.second - *range.first, 1.0) << "uneven loudness";
}

// Runs the tool again into a folder of its own and compares with the build's files.
TEST(MusicFiles, TheToolWritesTheSameBytesEveryRun)
{
    TempFolder temp;
    ASSERT_NO_FATAL_FAILURE(temp.Enter("musicgen_"));
    std::string command = "\"" + std::string(LUMO_BINARY_DIR) +
                          "\\tools\\musicgen\\musicgen.exe\" \"" + temp.Path() + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &process))
        << command;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 300000));
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    ASSERT_EQ(0u, code);
    for (const MusicSynth::PieceInfo& piece : MusicSynth::Pieces())
    {
        std::string again = FileBytes(temp.Path() + "\\" + piece.name + ".ogg");
        std::string built = FileBytes(kBuiltMusic + piece.name + ".ogg");
        EXPECT_FALSE(again.empty()) << piece.name;
        EXPECT_TRUE(again == built)
            << piece.name << ": " << again.size() << " bytes against " << built.size();
    }
    temp.Leave();
}
