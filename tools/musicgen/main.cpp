// musicgen <out folder>: composes, synthesises and encodes the game's four
// music loops as Ogg Vorbis files (menu.ogg, cafe1.ogg, cafe2.ogg, cafe3.ogg).
// All four are brought to one loudness, with their peaks below -6 dBFS, so
// the sound effects stay on top. Fixed seeds and fixed stream serial numbers:
// every run writes the same bytes.
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tools/musicgen/MusicSynth.h"

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: musicgen <out folder>\n");
        return 2;
    }
    std::vector<MusicSynth::PieceInfo> pieces = MusicSynth::Pieces();
    const size_t count = pieces.size();
    std::vector<std::vector<float>> audio(count);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < count; i++)
        workers.emplace_back([&audio, i] { audio[i] = MusicSynth::Render(int(i)); });
    for (std::thread& worker : workers)
        worker.join();
    workers.clear();

    // One RMS for all: the highest that keeps every piece's peak at -6.5 dBFS
    // (half a decibel left for the encoder's overshoot).
    const double peakLimit = std::pow(10.0, -6.5 / 20.0);
    std::vector<double> peaks(count), levels(count);
    double target = 1.0;
    for (size_t i = 0; i < count; i++)
    {
        MusicSynth::Measure(audio[i], peaks[i], levels[i]);
        if (levels[i] <= 0 || peaks[i] <= 0)
        {
            fprintf(stderr, "musicgen: %s is silent\n", pieces[i].name.c_str());
            return 1;
        }
        target = std::min(target, peakLimit * levels[i] / peaks[i]);
    }
    std::vector<std::string> files(count);
    for (size_t i = 0; i < count; i++)
    {
        float gain = float(target / levels[i]);
        for (float& v : audio[i])
            v *= gain;
        workers.emplace_back(
            [&, i]
            {
                if (!MusicSynth::EncodeOgg(audio[i], 0x4C554D00 + int(i), pieces[i].name, files[i]))
                    files[i].clear();
            });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (size_t i = 0; i < count; i++)
    {
        std::string path = std::string(argv[1]) + "/" + pieces[i].name + ".ogg";
        FILE* out = fopen(path.c_str(), "wb");
        if (files[i].empty() || !out ||
            fwrite(files[i].data(), 1, files[i].size(), out) != files[i].size())
        {
            fprintf(stderr, "musicgen: cannot write %s\n", path.c_str());
            if (out)
                fclose(out);
            return 1;
        }
        fclose(out);
        double seconds = double(audio[i].size() / 2) / MusicSynth::kRate;
        double peak = 0, rms = 0;
        MusicSynth::Measure(audio[i], peak, rms);
        printf("musicgen: %-6s %3d bpm %2d bars %5.1f s  rms %6.2f dBFS  peak %6.2f dBFS  %4.0f "
               "kbps\n",
               pieces[i].name.c_str(), pieces[i].bpm, pieces[i].bars, seconds, 20 * std::log10(rms),
               20 * std::log10(peak), files[i].size() * 8 / seconds / 1000);
    }
    return 0;
}
