#include "tools/musicgen/MusicSynth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace MusicSynth
{
namespace
{
const double kPi = 3.14159265358979323846;

// --- Harmony

enum Quality
{
    MAJ7,
    MIN7,
    DOM7,
    HALFDIM,
    MIN9
};

struct Chord
{
    int root; // pitch class, C = 0
    Quality q;
    double beats; // how long it lasts
};

// Chord tones above the root, the ninth last.
std::vector<int> Tones(Quality q)
{
    switch (q)
    {
    case MAJ7:
        return {0, 4, 7, 11, 14};
    case MIN7:
        return {0, 3, 7, 10, 14};
    case DOM7:
        return {0, 4, 7, 10, 14};
    case HALFDIM:
        return {0, 3, 6, 10, 13};
    case MIN9:
        return {0, 3, 7, 10, 14};
    }
    return {0, 4, 7};
}

// A chord symbol such as "Gm7", "C7", "Fmaj7", "Em7b5", "Dm9"; the length in beats.
Chord Parse(const char* symbol, double beats)
{
    static const int kLetters[] = {9, 11, 0, 2, 4, 5, 7}; // A to G
    int root = kLetters[symbol[0] - 'A'];
    const char* rest = symbol + 1;
    if (*rest == 'b')
        root = (root + 11) % 12, rest++;
    else if (*rest == '#')
        root = (root + 1) % 12, rest++;
    Quality q = DOM7;
    if (!strcmp(rest, "maj7"))
        q = MAJ7;
    else if (!strcmp(rest, "m7"))
        q = MIN7;
    else if (!strcmp(rest, "m7b5"))
        q = HALFDIM;
    else if (!strcmp(rest, "m9"))
        q = MIN9;
    return Chord{root, q, beats};
}

// "Gm7 C7 | Fmaj7 |": bars split by '|', each shared evenly by its chords.
std::vector<Chord> Progression(const std::string& text, int beatsPerBar)
{
    std::vector<Chord> chords;
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('|', at);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> names;
        std::string bar = text.substr(at, end - at), word;
        for (char c : bar + " ")
        {
            if (c == ' ')
            {
                if (!word.empty())
                    names.push_back(word);
                word.clear();
            }
            else
                word += c;
        }
        for (const std::string& name : names)
            chords.push_back(Parse(name.c_str(), double(beatsPerBar) / names.size()));
        at = end + 1;
    }
    return chords;
}

// --- Seeded numbers

struct Random
{
    uint32_t state;
    explicit Random(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double Unit() { return (Next() >> 8) / double(1 << 24); } // 0 to 1
    double Signed() { return Unit() * 2 - 1; }
    int Below(int n) { return int(Next() % uint32_t(n)); }
};

double Hz(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// --- Voices

enum Instrument
{
    EPIANO,
    BASS,
    PLUCK,
    MUTED_TRUMPET,
    VIBES,
    BRUSH,
    RIDE,
    KICK,
    SHAKER,
    RIM
};

struct Note
{
    Instrument instrument;
    double beat;  // start, in beats from the loop's start
    double beats; // held for
    double midi;  // pitch (drums ignore it)
    double level; // 0 to 1
    double pan;   // -1 to 1
};

// A piece's notes on a loop of `frames` frames; rendering wraps round it.
struct Score
{
    std::vector<Note> notes;
    double framesPerBeat;
    int frames;
    double swing; // share of a beat before the off-beat eighth (0.5 straight)
    uint32_t seed;
};

// sin(2 pi x) from a table: the voices call it millions of times.
double Sine(double cycles)
{
    static const int kSize = 4096;
    static std::vector<float> table = []
    {
        std::vector<float> t(kSize + 1);
        for (int i = 0; i <= kSize; i++)
            t[size_t(i)] = float(std::sin(2 * kPi * i / kSize));
        return t;
    }();
    double x = (cycles - std::floor(cycles)) * kSize;
    int i = int(x);
    double f = x - i;
    return table[size_t(i)] + f * (table[size_t(i) + 1] - table[size_t(i)]);
}

// An exponential decay stepped per frame: value after t seconds is exp(-t / tau).
struct Decay
{
    double value = 1, factor;
    explicit Decay(double tau) : factor(std::exp(-1.0 / (tau * kRate))) {}
    double Next()
    {
        double v = value;
        value *= factor;
        return v;
    }
};

// One note into a mono scratch buffer: the instrument's own sound, `length`
// frames held, then its release; sound below -80 dB is cut.
void Voice(const Note& n, int length, Random& random, std::vector<float>& out)
{
    const double f = Hz(n.midi);
    const double sr = kRate;
    int release = n.instrument == VIBES ? int(0.35 * sr) : int(0.08 * sr);
    switch (n.instrument)
    {
    case BRUSH:
    case RIDE:
    case KICK:
    case SHAKER:
    case RIM:
        length = int(0.9 * sr), release = 0;
        break;
    default:
        break;
    }
    const int total = length + release;
    out.assign(size_t(total), 0.0f);
    Decay releaseDecay(release / 4.0 / sr + 1e-6);
    auto releaseEnv = [&](int i) { return i < length ? 1.0 : releaseDecay.Next(); };
    int cut = total; // frames actually rendered

    switch (n.instrument)
    {
    case EPIANO:
    {
        // Two-operator FM: a bell-like attack that mellows, and a faint tine.
        Decay body(1.6 * std::pow(220.0 / f, 0.3)), bright(0.22), tineDecay(0.03);
        double tineLevel = 14 * f < 12000 ? 0.12 : 0.0;
        for (int i = 0; i < total; i++)
        {
            double t = i / sr, x = f * t;
            double index = 1.4 * n.level * bright.Next() + 0.25;
            double v =
                Sine(x + index * Sine(x) / (2 * kPi)) + tineLevel * Sine(14 * x) * tineDecay.Next();
            double env = std::min(1.0, t / 0.003) * body.Next() * releaseEnv(i);
            out[size_t(i)] = float(v * env);
            if (env < 1e-4 && i > length / 2)
            {
                cut = i;
                break;
            }
        }
        break;
    }
    case BASS:
    {
        // A plucked string: harmonics that fade faster the higher they are.
        std::vector<Decay> decays;
        for (int k = 1; k <= 6; k++)
            decays.emplace_back(1.0 / (1.2 + 1.6 * k));
        for (int i = 0; i < total; i++)
        {
            double t = i / sr, v = 0;
            for (int k = 1; k <= 6; k++)
                v += Sine(f * k * t) / std::pow(k, 1.4) * decays[size_t(k - 1)].Next();
            out[size_t(i)] = float(v * std::min(1.0, t / 0.006) * releaseEnv(i));
        }
        break;
    }
    case PLUCK:
    {
        // Karplus-Strong: a noise burst through a damped delay line.
        int period = std::max(2, int(sr / f + 0.5));
        std::vector<double> line(static_cast<size_t>(period), 0.0);
        double last = 0;
        for (double& v : line)
            v = last = 0.5 * last + 0.5 * random.Signed();
        size_t pos = 0;
        for (int i = 0; i < total; i++)
        {
            size_t next = (pos + 1) % line.size();
            double v = line[pos];
            line[pos] = 0.996 * 0.5 * (line[pos] + line[next]);
            pos = next;
            out[size_t(i)] = float(v * releaseEnv(i) * std::min(1.0, i / (0.002 * sr)));
        }
        break;
    }
    case MUTED_TRUMPET:
    {
        // Harmonics swelling in one after another, highs tamed as by a mute, a late vibrato.
        double amps[13] = {};
        int partials = 0;
        for (int k = 1; k <= 12 && k * f < 5000; k++, partials++)
        {
            amps[k] = 1 / std::sqrt(double(k)) * (k > 4 ? std::exp(-(k - 4) * 0.5) : 1.0);
            if (std::fabs(k * f - 1400) < 450)
                amps[k] *= 1.5; // the mute's nasal band
        }
        double phase = 0;
        Decay settle(0.3);
        for (int i = 0; i < total; i++)
        {
            double t = i / sr;
            double vibrato = t > 0.18 ? 0.004 * Sine(5.2 * t) : 0.0;
            phase += f * (1 + vibrato) / sr;
            double v = 0;
            for (int k = 1; k <= partials; k++)
                v += amps[k] * std::min(1.0, t / (0.03 + 0.006 * k)) * Sine(k * phase);
            out[size_t(i)] = float(0.45 * v * releaseEnv(i) * (0.85 + 0.15 * settle.Next()));
        }
        break;
    }
    case VIBES:
    {
        // Bars tuned to 1 and 4 (and a trace of 10) times the note, with the motor's tremolo.
        Decay one(2.2), four(0.5), ten(0.08);
        double tenLevel = 10 * f < 15000 ? 0.05 : 0.0;
        for (int i = 0; i < total; i++)
        {
            double t = i / sr, x = f * t;
            double v = Sine(x) * one.Next() + 0.25 * Sine(4 * x) * four.Next() +
                       tenLevel * Sine(10 * x) * ten.Next();
            double tremolo = 1 - 0.22 * (0.5 + 0.5 * Sine(5.5 * t));
            out[size_t(i)] = float(v * tremolo * std::min(1.0, t / 0.001) * releaseEnv(i));
        }
        break;
    }
    case BRUSH:
    case SHAKER:
    {
        // Filtered noise: a brush's soft swish, or a shaker's short bright one.
        bool brush = n.instrument == BRUSH;
        double attack = brush ? 0.012 : 0.004;
        Decay decay(brush ? 0.09 : 0.03);
        double low = 0, high = 0, prev = 0;
        double lowCut = brush ? 0.35 : 0.6; // one-pole smoothing of the noise
        for (int i = 0; i < total; i++)
        {
            double t = i / sr;
            double w = random.Signed();
            low += lowCut * (w - low);
            high = 0.9 * (high + low - prev);
            prev = low;
            double env = std::min(1.0, t / attack) * decay.Next();
            out[size_t(i)] = float(0.6 * high * env);
            if (env < 1e-4 && t > attack)
            {
                cut = i;
                break;
            }
        }
        break;
    }
    case RIDE:
    {
        // Inharmonic partials and a little noise: a soft stick on a ride cymbal.
        static const double kPartials[] = {3120, 4270, 5310, 6690, 7910, 9830};
        double high = 0, prev = 0;
        Decay ping(0.02), ring(0.4);
        for (int i = 0; i < total; i++)
        {
            double t = i / sr, v = 0;
            for (int k = 0; k < 6; k++)
                v += Sine(kPartials[k] * t + k * 0.16) / (1 + 0.3 * k);
            double w = random.Signed();
            high = 0.8 * (high + w - prev);
            prev = w;
            double env = std::min(1.0, t / 0.001) * (0.3 * ping.Next() + ring.Next());
            out[size_t(i)] = float((0.12 * v + 0.25 * high) * env);
        }
        break;
    }
    case KICK:
    {
        double phase = 0;
        Decay sweep(0.03), body(0.16);
        for (int i = 0; i < total; i++)
        {
            double t = i / sr;
            phase += (48 + 40 * sweep.Next()) / sr;
            out[size_t(i)] = float(Sine(phase) * std::min(1.0, t / 0.003) * body.Next());
        }
        break;
    }
    case RIM:
    {
        Decay decay(0.018);
        for (int i = 0; i < total && i < int(0.2 * sr); i++)
        {
            double t = i / sr;
            double v = Sine(1700 * t) + 0.4 * random.Signed();
            out[size_t(i)] = float(0.5 * v * std::min(1.0, t / 0.0005) * decay.Next());
        }
        break;
    }
    }
    out.resize(size_t(cut));
}

// Every note into the stereo dry mix, wrapping round the loop.
void RenderScore(const Score& score, std::vector<float>& mix)
{
    Random random(score.seed ^ 0x9E3779B9u);
    std::vector<float> scratch;
    const int frames = score.frames;
    for (const Note& n : score.notes)
    {
        int start = int(std::lround(n.beat * score.framesPerBeat));
        int length = std::max(1, int(n.beats * score.framesPerBeat));
        Voice(n, length, random, scratch);
        // Equal-power pan, never hard to one side.
        double angle = (std::max(-0.5, std::min(0.5, n.pan)) + 1) * kPi / 4;
        float left = float(n.level * std::cos(angle)), right = float(n.level * std::sin(angle));
        for (size_t i = 0; i < scratch.size(); i++)
        {
            size_t at = size_t((start + int(i)) % frames) * 2;
            mix[at] += scratch[i] * left;
            mix[at + 1] += scratch[i] * right;
        }
    }
}

// A small room: four damped combs and two allpasses per side (the right side's
// delays a little longer, for width), run twice round the loop so that the
// tail of the end sounds under the start.
void Reverb(std::vector<float>& mix, double wet)
{
    struct Comb
    {
        std::vector<float> line;
        size_t pos = 0;
        float store = 0;
        float Run(float in)
        {
            float out = line[pos];
            store = out * 0.75f + store * 0.25f;
            line[pos] = in + store * 0.8f;
            pos = (pos + 1) % line.size();
            return out;
        }
    };
    struct Allpass
    {
        std::vector<float> line;
        size_t pos = 0;
        float Run(float in)
        {
            float buffered = line[pos];
            float out = buffered - in;
            line[pos] = in + buffered * 0.5f;
            pos = (pos + 1) % line.size();
            return out;
        }
    };
    static const int kCombs[] = {1116, 1188, 1277, 1356};
    static const int kAllpasses[] = {556, 441};
    const size_t frames = mix.size() / 2;
    std::vector<float> out(mix.size());
    for (int side = 0; side < 2; side++)
    {
        Comb combs[4];
        Allpass passes[2];
        for (int k = 0; k < 4; k++)
            combs[k].line.assign(size_t(kCombs[k] + side * 23), 0.0f);
        for (int k = 0; k < 2; k++)
            passes[k].line.assign(size_t(kAllpasses[k] + side * 23), 0.0f);
        for (int pass = 0; pass < 2; pass++)
            for (size_t i = 0; i < frames; i++)
            {
                float in = 0.5f * (mix[i * 2] + mix[i * 2 + 1]) * 0.1f;
                float v = 0;
                for (Comb& c : combs)
                    v += c.Run(in);
                for (Allpass& a : passes)
                    v = a.Run(v);
                if (pass == 1)
                    out[i * 2 + size_t(side)] = v;
            }
    }
    for (size_t i = 0; i < mix.size(); i++)
        mix[i] += float(wet) * out[i];
}

// --- Composition

struct Style
{
    const char* name;
    int bpm;
    const char* form; // chord symbols, bars split by '|'
    int key;          // tonic pitch class, for the melody's scale
    bool minor;
    double swing;
    Instrument lead;
    int leadLow, leadHigh; // MIDI range of the melody
    bool walking;          // walking bass, else two-feel
    uint32_t seed;
};

const Style kStyles[] = {
    {"menu", 92,
     "Fmaj7 | D7 | Gm7 | C7 | Am7 D7 | Gm7 C7 | Fmaj7 Dm7 | Gm7 C7 |"
     "Fmaj7 | D7 | Gm7 | C7 | Am7 D7 | Gm7 C7 | Fmaj7 | Cm7 F7 |"
     "Bbmaj7 | Bbmaj7 | Bbm7 Eb7 | Am7 D7 | Gm7 | C7 | Am7 D7 | Gm7 C7 |"
     "Fmaj7 | D7 | Gm7 | C7 | Am7 D7 | Gm7 C7 | Fmaj7 Dm7 | Gm7 C7",
     5, false, 0.62, EPIANO, 67, 84, true, 0x4D454E55u},
    {"cafe1", 108,
     "Gmaj7 | Em7 | Am7 | D7 | Gmaj7 | Em7 | Am7 | D7 |"
     "Bm7 | E7 | Am7 | D7 | Gmaj7 | Em7 | Am7 | D7 |"
     "Cmaj7 | Cmaj7 | Bm7 | E7 | Am7 | D7 | Gmaj7 | Gmaj7 |"
     "Cmaj7 | F#m7b5 B7 | Em7 | A7 | Am7 | D7 | Bm7 E7 | Am7 D7",
     7, false, 0.5, PLUCK, 67, 86, false, 0x43414631u},
    {"cafe2", 116,
     "Bbmaj7 G7 | Cm7 F7 | Dm7 G7 | Cm7 F7 | Fm7 Bb7 | Ebmaj7 Ab7 | Dm7 G7 | Cm7 F7 |"
     "Bbmaj7 G7 | Cm7 F7 | Dm7 G7 | Cm7 F7 | Fm7 Bb7 | Ebmaj7 Ab7 | Cm7 F7 | Bbmaj7 |"
     "D7 | D7 | G7 | G7 | C7 | C7 | F7 | F7 |"
     "Bbmaj7 G7 | Cm7 F7 | Dm7 G7 | Cm7 F7 | Fm7 Bb7 | Ebmaj7 Ab7 | Cm7 F7 | Bbmaj7 F7",
     10, false, 0.58, MUTED_TRUMPET, 60, 77, true, 0x43414632u},
    {"cafe3", 84,
     "Dm9 | Dm9 | Gm7 | Gm7 | Em7b5 | A7 | Dm9 | Dm9 |"
     "Bbmaj7 | Gm7 | Em7b5 | A7 | Dm9 | Fmaj7 | Em7b5 | A7 |"
     "Gm7 | C7 | Fmaj7 | Bbmaj7 | Em7b5 | A7 | Dm9 | Em7b5 A7",
     2, true, 0.6, VIBES, 69, 88, false, 0x43414633u},
};

bool InScale(int pitch, const Style& style)
{
    static const int kMajor[] = {0, 2, 4, 5, 7, 9, 11};
    static const int kMinor[] = {0, 2, 3, 5, 7, 8, 10};
    int degree = ((pitch - style.key) % 12 + 12) % 12;
    for (int s : style.minor ? kMinor : kMajor)
        if (s == degree)
            return true;
    return false;
}

bool IsChordTone(int pitch, const Chord& chord)
{
    int degree = ((pitch - chord.root) % 12 + 12) % 12;
    for (int t : Tones(chord.q))
        if (t % 12 == degree)
            return true;
    return false;
}

// The chord sounding at a beat.
const Chord& ChordAt(const std::vector<Chord>& chords, double beat)
{
    double at = 0;
    for (const Chord& c : chords)
    {
        if (beat < at + c.beats - 1e-9)
            return c;
        at += c.beats;
    }
    return chords.back();
}

// The nearest pitch to `from` within the range that fits: a chord tone, or a scale tone.
int Nearest(int from, int lo, int hi, const Chord& chord, const Style& style, bool chordTone,
            int direction)
{
    for (int d = 0; d < 12; d++)
        for (int sign : {direction >= 0 ? 1 : -1, direction >= 0 ? -1 : 1})
        {
            int p = from + sign * d;
            if (p < lo || p > hi)
                continue;
            bool fits =
                chordTone ? IsChordTone(p, chord) : (InScale(p, style) || IsChordTone(p, chord));
            if (fits)
                return p;
        }
    return std::max(lo, std::min(hi, from));
}

Score Compose(const Style& style)
{
    Score score;
    score.seed = style.seed;
    score.swing = style.swing;
    const int beatsPerBar = 4;
    std::vector<Chord> chords = Progression(style.form, beatsPerBar);
    double totalBeats = 0;
    for (const Chord& c : chords)
        totalBeats += c.beats;
    const int bars = int(totalBeats / beatsPerBar + 0.5);
    score.framesPerBeat = std::floor(kRate * 60.0 / style.bpm + 0.5);
    score.frames = int(score.framesPerBeat * totalBeats);
    Random random(style.seed);
    auto offbeat = [&](double beat) { return std::floor(beat) + style.swing; };

    // Chords: rootless voicings near the middle of the keyboard, comped in a
    // rhythm that changes from bar to bar.
    const double kComp[][4] = {
        {0, 1.5, -1, -1}, {offbeat(0), 2, -1, -1}, {0, offbeat(1), 3, -1}, {1, offbeat(2), -1, -1}};
    double at = 0;
    int previousCenter = 62;
    for (const Chord& chord : chords)
    {
        std::vector<int> tones = Tones(chord.q);
        // Third, fifth, seventh, ninth, moved by octaves to sit nearest the last chord.
        std::vector<int> voicing;
        for (size_t k = 1; k < tones.size(); k++)
        {
            int p = 48 + chord.root + tones[k];
            while (p < previousCenter - 7)
                p += 12;
            while (p > previousCenter + 7)
                p -= 12;
            voicing.push_back(p);
        }
        int sum = 0;
        for (int p : voicing)
            sum += p;
        previousCenter = (previousCenter + sum / int(voicing.size())) / 2;
        previousCenter = std::max(57, std::min(66, previousCenter));
        int pattern = random.Below(4);
        for (double hit : kComp[pattern])
        {
            if (hit < 0 || hit >= chord.beats)
                continue;
            double length = std::min(chord.beats - hit, 1.2);
            double level = 0.16 + 0.04 * random.Unit();
            for (size_t k = 0; k < voicing.size(); k++)
                score.notes.push_back(Note{EPIANO, at + hit + 0.004 * k, length, double(voicing[k]),
                                           level, -0.25 + 0.12 * k});
        }
        at += chord.beats;
    }

    // Bass: walking quarters with a chromatic step into each new root, or a
    // two-feel of roots and fifths.
    at = 0;
    for (size_t c = 0; c < chords.size(); c++)
    {
        const Chord& chord = chords[c];
        const Chord& next = chords[(c + 1) % chords.size()];
        int root = 36 + chord.root;
        if (root > 45)
            root -= 12;
        int nextRoot = 36 + next.root;
        if (nextRoot > 45)
            nextRoot -= 12;
        std::vector<int> tones = Tones(chord.q);
        int steps = style.walking ? int(chord.beats) : std::max(1, int(chord.beats / 2));
        double stepBeats = chord.beats / steps;
        for (int s = 0; s < steps; s++)
        {
            int pitch = root;
            if (s == steps - 1 && steps > 1)
                pitch = nextRoot + (random.Below(2) ? 1 : -1); // leads into the next root
            else if (s > 0)
                pitch = root + tones[size_t(1 + random.Below(2))];
            score.notes.push_back(Note{BASS, at + s * stepBeats, stepBeats * 0.92, double(pitch),
                                       0.55 + 0.05 * random.Unit(), 0.05});
        }
        at += chord.beats;
    }

    // Drums, one bar after another.
    for (int bar = 0; bar < bars; bar++)
    {
        double b = bar * beatsPerBar;
        for (int beat = 0; beat < beatsPerBar; beat++)
        {
            double t = b + beat;
            if (style.lead == PLUCK)
            {
                // Morning: a shaker on straight eighths, a soft kick on one and three.
                score.notes.push_back(Note{SHAKER, t, 0.1, 0, 0.10, 0.3});
                score.notes.push_back(Note{SHAKER, t + 0.5, 0.1, 0, 0.06, 0.3});
                if (beat % 2 == 0)
                    score.notes.push_back(Note{KICK, t, 0.3, 0, 0.35, 0});
                if (beat % 2 == 1)
                    score.notes.push_back(Note{BRUSH, t, 0.3, 0, 0.22, -0.2});
                continue;
            }
            // Brushes on every beat, leaning on two and four; the ride's swung pattern.
            score.notes.push_back(Note{BRUSH, t, 0.3, 0, beat % 2 ? 0.24 : 0.12, -0.2});
            score.notes.push_back(Note{RIDE, t, 0.3, 0, beat % 2 ? 0.09 : 0.12, 0.35});
            if (beat % 2 == 1)
                score.notes.push_back(Note{RIDE, offbeat(t), 0.2, 0, 0.06, 0.35});
            if (style.lead == VIBES && beat == 3 && bar % 2 == 1)
                score.notes.push_back(Note{RIM, t, 0.1, 0, 0.10, -0.1});
            if (beat == 0 && style.lead != VIBES)
                score.notes.push_back(Note{KICK, t, 0.3, 0, 0.22, 0});
        }
    }

    // Melody: a two-bar motif of rhythm and steps, made once per eight bars of
    // the form and fitted to the chords where it lands; every eighth bar
    // breathes on a long note.
    static const double kRhythms[][6] = {{0, 1, 1.5, 2.5, 3, -1},   {0.5, 1, 2, 3, -1, -1},
                                         {0, 0.5, 1.5, 2, 3.5, -1}, {0, 1.5, 2, 2.5, -1, -1},
                                         {1, 1.5, 2, 3, 3.5, -1},   {0, 2, 2.5, 3, -1, -1}};
    int phraseSeed = int(random.Next());
    int pitch = (style.leadLow + style.leadHigh) / 2;
    for (int bar = 0; bar < bars; bar++)
    {
        Random motif(uint32_t(phraseSeed) + uint32_t(bar % 8) * 7919u);
        double b = bar * beatsPerBar;
        if (bar % 8 == 7)
        {
            // The phrase ends: one long chord tone, then rest.
            const Chord& chord = ChordAt(chords, b);
            pitch = Nearest(pitch, style.leadLow, style.leadHigh, chord, style, true, -1);
            score.notes.push_back(Note{style.lead, b, 2.5, double(pitch), 0.34, 0.15});
            continue;
        }
        const double* rhythm = kRhythms[motif.Below(6)];
        for (int k = 0; k < 6 && rhythm[k] >= 0; k++)
        {
            double onset = rhythm[k];
            double swung =
                onset - std::floor(onset) > 0.25 ? std::floor(onset) + style.swing : onset;
            double next = k + 1 < 6 && rhythm[k + 1] >= 0 ? rhythm[k + 1] : 4.0;
            const Chord& chord = ChordAt(chords, b + onset);
            int step = motif.Below(5) - 2; // -2 to 2 scale steps
            int direction = step >= 0 ? 1 : -1;
            int target = pitch + step * 2;
            if (target > style.leadHigh - 2)
                target -= 5, direction = -1;
            if (target < style.leadLow + 2)
                target += 5, direction = 1;
            bool strong = onset == std::floor(onset);
            pitch = Nearest(target, style.leadLow, style.leadHigh, chord, style, strong, direction);
            double level = 0.30 + 0.06 * motif.Unit() + (strong ? 0.04 : 0);
            score.notes.push_back(
                Note{style.lead, b + swung, (next - onset) * 0.9, double(pitch), level, 0.15});
        }
    }
    return score;
}
} // namespace

std::vector<PieceInfo> Pieces()
{
    std::vector<PieceInfo> pieces;
    for (const Style& style : kStyles)
    {
        double beats = 0;
        for (const Chord& c : Progression(style.form, 4))
            beats += c.beats;
        pieces.push_back(PieceInfo{style.name, style.bpm, int(beats / 4 + 0.5)});
    }
    return pieces;
}

std::vector<float> Render(int index, double seconds)
{
    Score score = Compose(kStyles[index]);
    std::vector<float> mix(size_t(score.frames) * 2, 0.0f);
    RenderScore(score, mix);
    Reverb(mix, 0.35);
    if (seconds > 0 && seconds * kRate < score.frames)
        mix.resize(size_t(seconds * kRate) * 2);
    return mix;
}

void Measure(const std::vector<float>& samples, double& peak, double& rms)
{
    double sum = 0;
    peak = 0;
    for (float v : samples)
    {
        peak = std::max(peak, double(std::fabs(v)));
        sum += double(v) * v;
    }
    rms = samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

bool EncodeOgg(const std::vector<float>& samples, int serial, const std::string& title,
               std::string& out)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kRate, 0.3f) != 0)
    {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", title.c_str());
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    ogg_packet header, headerComment, headerCodebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCodebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCodebooks);
    ogg_page page;
    out.clear();
    auto emit = [&](const ogg_page& p)
    {
        out.append(reinterpret_cast<const char*>(p.header), size_t(p.header_len));
        out.append(reinterpret_cast<const char*>(p.body), size_t(p.body_len));
    };
    // The headers stand on pages of their own, as decoders expect.
    while (ogg_stream_flush(&stream, &page))
        emit(page);
    const size_t frames = samples.size() / 2, chunk = 4096;
    bool done = false;
    for (size_t at = 0; !done;)
    {
        size_t count = std::min(chunk, frames - at);
        if (count > 0)
        {
            float** buffers = vorbis_analysis_buffer(&dsp, int(count));
            for (size_t i = 0; i < count; i++)
            {
                buffers[0][i] = samples[(at + i) * 2];
                buffers[1][i] = samples[(at + i) * 2 + 1];
            }
        }
        vorbis_analysis_wrote(&dsp, int(count)); // 0 marks the end
        at += count;
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet))
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                {
                    emit(page);
                    if (ogg_page_eos(&page))
                        done = true;
                }
            }
        }
        if (count == 0)
            done = true;
    }
    while (ogg_stream_flush(&stream, &page))
        emit(page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}
} // namespace MusicSynth
