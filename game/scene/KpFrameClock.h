// The game's update clock as effects, timers and animated images see it: the
// engine's frame time of the current update (10 ms at 100 updates a second).
// Everything that moves over time steps by this amount once per update, never
// by the wall clock, so a demo replays it exactly and tests can drive it.
#pragma once

// Milliseconds of game time that the current update advances.
int KpFrameTimeMs();
// Tests: every update advances this many milliseconds; 0 returns to the engine's.
void KpSetFrameTimeOverride(int milliseconds);
