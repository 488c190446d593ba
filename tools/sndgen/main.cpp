// sndgen <out folder>: synthesises the game's short sounds as 22,050 Hz 16-bit
// mono WAV files: soft attack, 5 ms fades at both ends, peaks at -6 dBFS,
// noise from a fixed seed, so every run writes the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
const int kRate = 22050;
const double kPi = 3.14159265358979323846;

// One note: a sine with two soft overtones and an exponential decay.
struct Note
{
    double start;  // seconds
    double length; // seconds
    double freq;   // Hz
    double decay;  // per second
    double level;  // relative
};

uint32_t gNoise = 12345u;
double Noise()
{
    gNoise = gNoise * 1664525u + 1013904223u;
    return (double(gNoise >> 8) / double(1u << 24)) * 2.0 - 1.0;
}

std::vector<double> Render(const std::vector<Note>& notes, double seconds, double noiseLevel,
                           double noiseDecay)
{
    std::vector<double> out(size_t(seconds * kRate), 0.0);
    for (const Note& n : notes)
    {
        size_t first = size_t(n.start * kRate);
        size_t count = size_t(n.length * kRate);
        for (size_t i = 0; i < count && first + i < out.size(); i++)
        {
            double t = double(i) / kRate;
            double attack = std::min(1.0, t / 0.004);
            double env = attack * std::exp(-n.decay * t) * n.level;
            double phase = 2 * kPi * n.freq * t;
            out[first + i] +=
                env * (std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase));
        }
    }
    for (size_t i = 0; i < out.size() && noiseLevel > 0; i++)
        out[i] += noiseLevel * Noise() * std::exp(-noiseDecay * double(i) / kRate);
    return out;
}

// Scales to a -6 dBFS peak and fades 5 ms in and out.
std::vector<int16_t> Finish(std::vector<double> wave)
{
    double peak = 1e-9;
    for (double v : wave)
        peak = std::max(peak, std::fabs(v));
    size_t fade = size_t(0.005 * kRate);
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); i++)
    {
        double gain = 0.5 / peak;
        if (i < fade)
            gain *= double(i) / fade;
        if (wave.size() - 1 - i < fade)
            gain *= double(wave.size() - 1 - i) / fade;
        pcm[i] = int16_t(std::lround(wave[i] * gain * 32767.0));
    }
    return pcm;
}

void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        s += char(v >> (8 * i));
}
void Put16(std::string& s, uint16_t v)
{
    s += char(v & 0xFF);
    s += char(v >> 8);
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& pcm)
{
    std::string s = "RIFF";
    Put32(s, uint32_t(36 + pcm.size() * 2));
    s += "WAVEfmt ";
    Put32(s, 16);
    Put16(s, 1);
    Put16(s, 1);
    Put32(s, kRate);
    Put32(s, kRate * 2);
    Put16(s, 2);
    Put16(s, 16);
    s += "data";
    Put32(s, uint32_t(pcm.size() * 2));
    for (int16_t v : pcm)
        Put16(s, uint16_t(v));
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(s.data(), 1, s.size(), f) == s.size();
    return fclose(f) == 0 && ok;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: sndgen <out folder>\n");
        return 2;
    }
    std::string dir = argv[1];
    struct Sound
    {
        const char* name;
        std::vector<double> wave;
    };
    // Notes: C5 523.25, E5 659.25, G5 783.99, A5 880, B5 987.77, C6 1046.5, E6 1318.5, A3 220.
    std::vector<Sound> sounds = {
        // A wooden knock: a short low tone under a burst of fast-dying noise.
        {"click", Render({{0, 0.06, 820, 70, 1.0}, {0, 0.06, 1640, 110, 0.4}}, 0.07, 0.6, 160)},
        {"window_open", Render({{0, 0.35, 659.25, 9, 1.0}, {0.11, 0.4, 880, 8, 1.0}}, 0.52, 0, 0)},
        {"goal", Render({{0, 0.3, 523.25, 8, 1.0},
                         {0.1, 0.3, 659.25, 8, 1.0},
                         {0.2, 0.3, 783.99, 8, 1.0},
                         {0.3, 0.5, 1046.5, 6, 1.0}},
                        0.82, 0, 0)},
        {"money", Render({{0, 0.12, 987.77, 18, 1.0}, {0.07, 0.35, 1318.5, 10, 1.0}}, 0.44, 0, 0)},
        {"fail", Render({{0, 0.2, 220, 10, 1.0}, {0.22, 0.35, 207.65, 8, 1.0}}, 0.6, 0, 0)},
        // The book opens: a soft paper rustle under a low two-note chime.
        {"briefing_show",
         Render({{0.02, 0.3, 392.0, 10, 0.5}, {0.12, 0.35, 523.25, 9, 0.5}}, 0.5, 0.35, 14)},
        // A star: a quick high sparkle going up.
        {"expert",
         Render(
             {{0, 0.2, 1046.5, 10, 1.0}, {0.08, 0.2, 1318.5, 10, 1.0}, {0.16, 0.4, 1568.0, 7, 1.0}},
             0.6, 0, 0)},
        // A day won: a bright major jingle.
        {"good_debriefing_show", Render({{0, 0.25, 523.25, 7, 1.0},
                                         {0.12, 0.25, 659.25, 7, 1.0},
                                         {0.24, 0.25, 783.99, 7, 1.0},
                                         {0.36, 0.6, 1046.5, 4, 1.0},
                                         {0.36, 0.6, 659.25, 4, 0.6}},
                                        1.0, 0, 0)},
        // A day lost: a slow falling minor line.
        {"bad_debriefing_show", Render({{0, 0.3, 440, 6, 1.0},
                                        {0.2, 0.3, 392.0, 6, 1.0},
                                        {0.4, 0.6, 329.63, 4, 1.0},
                                        {0.4, 0.6, 261.63, 4, 0.5}},
                                       1.0, 0, 0)},
        // An award appears: a bell.
        {"debriefing_awards",
         Render({{0, 0.5, 1567.98, 8, 1.0}, {0, 0.5, 2349.3, 11, 0.35}}, 0.55, 0, 0)},
    };
    for (const Sound& sound : sounds)
    {
        std::string path = dir + "/" + sound.name + ".wav";
        if (!WriteWav(path, Finish(sound.wave)))
        {
            fprintf(stderr, "ERROR: sndgen: cannot write '%s'\n", path.c_str());
            return 1;
        }
    }
    printf("sndgen: %d sounds\n", int(sounds.size()));
    return 0;
}
