// Our sound library: PCM WAV samples played through DirectSound, which is
// loaded from dsound.dll at run time. It stands where the game's design puts
// an imported sound library (absent here) and offers what the game asks of
// one: samples, voices that can be replayed, numbered groups that stop, pause,
// resume and turn down together, a master volume, file callbacks so that files
// are read through the game's archive reader, and streamed voices for music
// (Ogg Vorbis or WAV files decoded while they play, never whole in memory).
//
// Every call is safe before SndStartup, after SndShutdown and when no sound
// device exists: it does nothing and returns 0 / false. All state is behind
// one lock, so the loading thread may load samples while the main thread plays;
// streams are decoded by a thread of the layer's own, outside that lock.
// Volumes are 0 to 100; pan runs from -100 (left) through 0 to 100 (right).
// A streamed voice's level is laid into its samples, so each change lands on
// a known point of its sound: volume changes and pauses ramp over 80 ms of
// it; a start, a stop and SndVoiceCutVolume over 5 ms, heard as a cut but
// never as a click.
#pragma once

#include <windows.h>

#include <cstddef>

// --- Start and stop
// Opens the default DirectSound device for the window (the desktop when null);
// false when there is none.
bool SndStartup(HWND window);
// Stops every voice and frees samples, voices and the device.
void SndShutdown();
bool SndIsStarted();

// --- Files: samples are read through these (the C library's by default)
typedef int (*SndOpenFn)(const char* name);                   // handle, -1 when it cannot be opened
typedef int (*SndSeekFn)(int handle, int offset, int origin); // new position, -1 on failure
typedef int (*SndReadFn)(int handle, void* dest, int count);
typedef void (*SndCloseFn)(int handle);
void SndSetFileCallbacks(SndOpenFn open, SndSeekFn seek, SndReadFn read, SndCloseFn close);

// --- Samples (ids above 0)
// Loads a WAV file through the file callbacks; 0 when it cannot be read or is
// no WAV the layer plays (see SndLastError).
int SndSampleLoadFile(const char* name);
// The same for WAV bytes held in memory (copied).
int SndSampleLoadMemory(const void* bytes, size_t size);
// Stops the sample's voices and frees it.
void SndSampleFree(int sample);
// Milliseconds of sound in the sample; 0 for an unknown id.
int SndSampleLengthMs(int sample);

// --- Voices (ids above 0): one playing copy of a sample
// A voice that plays the sample once and frees itself when done; 0 on failure.
int SndPlay(int sample, int group, int volume, int pan, bool loop);
// A voice kept until SndVoiceFree, stopped at first.
int SndVoiceCreate(int sample, int group);
// Plays from the start (restarts when playing).
void SndVoicePlay(int voice, bool loop);
void SndVoiceStop(int voice);
void SndVoiceSetVolume(int voice, int volume);
// The same as a cut: a streamed voice is at the new level within 5 ms of its sound.
void SndVoiceCutVolume(int voice, int volume);
void SndVoiceSetPan(int voice, int pan);
bool SndVoiceIsPlaying(int voice);
// Play position in bytes (a stream's: bytes played since its start); -1 for an unknown voice.
int SndVoicePosition(int voice);
void SndVoiceFree(int voice);

// --- Streams: a voice that plays a long file as it decodes it
// A kept voice (stopped at first) on an Ogg Vorbis or WAV file, read through the
// file callbacks a piece at a time; 0 when the file cannot be opened, is cut
// off or is no file the layer streams (see SndLastError). The voice calls above
// act on it; playing starts within one visit of the decode thread, a loop
// crosses the file's end without a gap.
int SndStreamCreate(const char* name, int group);
// True once a streamed voice found its file damaged while playing; it stays silent.
bool SndVoiceFailed(int voice);
// True once every streamed voice plays at the level last asked of it: no ramp
// under way and no change that the decode thread has yet to take up.
bool SndStreamsSettled();
// Times, since the process started, that a playing stream's buffer ran dry
// before it was refilled: each is a gap the listener hears.
int SndStreamStarvations();
// Times that the mixer had passed the frame where a stream's change of level
// was to start before the change was written.
int SndLateStreamChanges();

// --- Groups (any int; SND_ALL_GROUPS names every voice)
const int SND_ALL_GROUPS = -1;
void SndGroupStop(int group);
// Pauses are counted: a voice plays again when every pause on it was resumed.
void SndGroupPause(int group);
void SndGroupResume(int group);
// Scales every voice of the group, now and later (100 at first).
void SndGroupSetVolume(int group, int volume);

// --- Mixing
void SndSetMasterVolume(int volume);
int SndGetMasterVolume();
// Frees the one-shot voices that have finished; call once per update.
void SndUpdate();
// Voices alive (playing, paused or kept).
int SndVoiceCount();

// The reason of the last failed load or start ("" when none).
const char* SndLastError();
