// Demos of the real game as end-to-end tests. A script of input (real
// messages posted to the game's window, the real pointer moved with them) is
// played against the game started with "-record"; the demo file it writes is
// stored under tests/demos/data with what the run produced: the update count,
// the fields of the pref.dat it saved (a replay saves to a file of its own), the game's screen
// trace (its "Screens: " lines) and pixels of chosen frames. A replay ("-play") must produce the
// same, and must report no divergence; a diverged replay fails with the update count where it left
// the recording.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace DemoTest
{

// One line of a script: a verb and its arguments.
struct ScriptStep
{
    std::string verb;
    std::vector<std::string> args;
    int line;
};

// Verbs: "wait-loaded"; "wait <screen trace text>"; "pause ms"; "move x y";
// "click x y [right]"; "key code"; "type text"; "pixels x y [x y ...]";
// "close yes|no"; "minimize"; "deactivate" (another window takes the
// foreground); "end-session". Coordinates are the game's logical ones (its
// client area). The last step ends the run: "close yes" or "end-session".
bool ParseScript(const std::string& text, std::vector<ScriptStep>* steps, std::string* error);

struct Pixel
{
    int x, y;
    uint32_t rgb; // 0xRRGGBB
    // Taken once the screen trace held this many lines and before the next;
    // -1: the last frame of a run ended by the session's end.
    int after = -1;
};

// What a run must produce.
struct Expectation
{
    std::string ending; // "close" (the game ends itself) or "end-session"
    int updates = -1;   // the run's update count
    std::map<std::string, std::string> pref;
    std::vector<std::string> trace; // the screen trace, without the "Screens: "
    std::vector<Pixel> pixels;
};

std::string FormatExpectation(const Expectation& expectation, const std::string& header);
bool ParseExpectation(const std::string& text, Expectation* expectation, std::string* error);

// The game's screen trace in its debugger output: the text of each
// "Screens: " line, in order, less the reports of a drawing (frames come at
// the machine's pace, not the updates').
std::vector<std::string> ScreenTraceOf(const std::string& output);

// The folder of the stored demos, and the names found there (one per ".expect").
std::string DataFolder();
std::vector<std::string> StoredDemoNames();

// The game a demo runs: the build's own, or, when tests/demos/data/<name>.mod
// exists, a copy of the build's game in a temporary folder with that folder
// packed as its mod.pak (data that wins over data.pak, such as a shorter day).
// Both the recording and every replay run the same.
class DemoGame
{
public:
    ~DemoGame();
    bool Prepare(const std::string& name, std::string* error);
    const std::string& Program() const { return mProgram; }

private:
    std::string mProgram;
    std::string mFolder; // the temporary copy, when there is one
};

// Runs a script against the game recording to `demoPath` (a Windows path);
// false with the reason in `error`. It starts from a default pref.dat unless
// the caller has prepared the player's profile folder itself.
bool RecordDemo(const DemoGame& game, const std::vector<ScriptStep>& steps,
                const std::string& demoPath, Expectation* expectation, std::string* error,
                bool profilePrepared = false);

// Replays a demo file; every way in which the run differs from the
// expectation, as text (none when it matched). The replay saves into its own
// file (ReplaySavePath), which must hold what the recording's pref.dat held;
// the player's folder and the registry are not its business. With
// `viewerBox` the viewer opens and answers a box of its own during the run. A
// run that ended without a close must hand the game back at its last update;
// it is then closed through the quit box, answered with a click, or with
// `endBySession` by the session's end.
std::vector<std::string> ReplayDemo(const DemoGame& game, const std::string& demoPath,
                                    const Expectation& expectation, bool viewerBox = false,
                                    bool endBySession = false);

// Where the game replaying that demo file saves its profile.
std::string ReplaySavePath(const std::string& demoPath);

// A temporary Windows path for a demo file of that name.
std::string TemporaryDemoPath(const std::string& name);

bool ReadWholeFile(const std::string& path, std::string* bytes);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

} // namespace DemoTest
