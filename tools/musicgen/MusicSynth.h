// The game's music, composed and synthesised by code: four looping pieces in a
// jazz-cafe style (seventh chords in ii-V-I turns, a walking or two-feel bass,
// brushes and ride, a melody built from a seeded motif), rendered at 44.1 kHz
// stereo with a light shared reverb. Everything comes from fixed seeds, so a
// piece renders to the same samples on every run; notes and the reverb tail
// that ring past the end wrap round to the start, so the loop has no seam.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace MusicSynth
{
const int kRate = 44100;

// What a piece is: its name (the file's base name), tempo, form and voices.
struct PieceInfo
{
    std::string name;
    int bpm;
    int bars;
};

// The four pieces in a fixed order: "menu", "cafe1", "cafe2", "cafe3".
std::vector<PieceInfo> Pieces();

// Renders piece `index` of Pieces(): interleaved stereo floats, a whole number
// of bars long, not yet brought to its final level. `seconds` > 0 renders only
// that much of the start (the loop still wraps round as for the whole piece).
std::vector<float> Render(int index, double seconds = 0);

// Peak and RMS of interleaved samples (linear, full scale 1.0).
void Measure(const std::vector<float>& samples, double& peak, double& rms);

// Ogg Vorbis bytes for interleaved stereo floats at kRate, about 112 kbps,
// with the given stream serial number; the same input gives the same bytes.
bool EncodeOgg(const std::vector<float>& samples, int serial, const std::string& title,
               std::string& out);
} // namespace MusicSynth
