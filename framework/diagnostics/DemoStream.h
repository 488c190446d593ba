// The demo stream: a bit stream of timed records of everything from outside
// that reached the application (input, window state, registry and file reads,
// transfer results, data syncs). Each record starts with the number of logic
// updates since the one before it, so a replay can hand every record back at
// the update where it arrived. This class keeps the stream and the reading and
// writing state; what a record means to the application is LumoAppBase's.
// It needs no window, so the layout is tested here directly.
#pragma once

#include <cstdint>
#include <string>

#include "framework/app/Buffer.h"

namespace Lumo
{

// Commands of a command record (selector bit 0, then 5 bits).
enum DemoCommand
{
    DEMO_MOUSE_ABSOLUTE = 0, // x, y: 12 bits each, unsigned
    DEMO_ACTIVATE = 1,       // 1 bit: the application is active
    DEMO_MINIMIZE = 2,       // one boolean byte: minimized
    DEMO_KEY_DOWN = 3,       // key code, 8 bits
    DEMO_KEY_UP = 4,         // key code, 8 bits
    DEMO_CHAR = 5,           // 1 bit wide, then 16 bits (wide) or 8 bits
    DEMO_CLOSE = 6,
    DEMO_MOUSE_ENTER = 7,
    DEMO_MOUSE_LEAVE = 8,
    DEMO_LOADED = 9,          // loading completed
    DEMO_NEXT_STEP = 10,      // the input after it was handed out in a later step of its update
    DEMO_REGISTRY_READ = 11,  // 1 bit success; then type 32 bits, count 32 bits, bytes
    DEMO_REGISTRY_WRITE = 12, // 1 bit success
    DEMO_FILE_READ = 15,      // 1 bit success; then count 32 bits, bytes
    DEMO_HTTP_RESULT = 17,    // transfer id 32 bits, result byte, reply string
    DEMO_SYNC = 18,           // count 32 bits, bytes
    DEMO_WHEEL = 21,          // 8 bits signed
    DEMO_DISPLAY = 23,        // boolean byte vertical sync, refresh rate byte
    DEMO_FILLER = 31          // no payload; also the end mark after a crash
};

// Sub-kinds of a pointer record (selector bit 1, then 1 bit).
enum DemoPointerKind
{
    DEMO_POINTER_MOVE = 0,  // dx, dy: 6 bits signed each
    DEMO_POINTER_BUTTON = 1 // 1 bit down, button code 3 bits signed
};

// True for the records that a caller takes for itself (the registry and file
// reads, transfers, syncs); the replay acts on all the others.
bool IsDemoRecordTakenByCaller(bool pointerKind, int command);

// What a check of a whole stream found.
struct DemoStreamScan
{
    int endBit;     // where the last whole record ends; padding follows
    int records;    // whole records, fillers included
    int lastUpdate; // update number of the last record
};

// Checks that a stream is whole records and fewer than 8 padding bits, with
// every count inside the stream, every size record's byte 0 or 1 and no update
// number beyond int range; false for anything else. Reads nothing outside the
// stream.
bool ScanDemoStream(const Buffer& stream, DemoStreamScan* scan);

class DemoStream
{
public:
    DemoStream();

    // Empty, at update 0, with no pending record.
    void Reset();

    // --- writing, at the write position
    // The timing field of a record written at `updateCount`; a gap over 15
    // updates goes out as filler records first.
    void WriteTiming(int updateCount);
    // Timing, selector 0 and the 5-bit command; the payload follows.
    void WriteCommand(int updateCount, int command);
    // Timing, selector 1 and the sub-kind bit; the payload follows.
    void WritePointer(int updateCount, int kind);

    // --- reading, at the read position
    // Takes the bytes of a stream to play; false when ScanDemoStream refuses them.
    bool Load(const unsigned char* bytes, int length);
    // Reads the next header once the pending record was taken; false (and
    // nothing read) when no whole record is left.
    bool ReadHeaderIfTaken();
    // No pending record and no whole record left to read.
    bool AtEnd() const { return mRecordTaken && mBuffer.GetReadBitPos() >= mEndBit; }
    // Passes over the pending record's payload by its declared size.
    void SkipPayload();

    Buffer mBuffer;
    int mReadMark;         // read position before the last header was read
    int mLastRecordUpdate; // update of the last record written or read
    bool mRecordTaken;     // the pending record was acted on; read the next header
    bool mPointerKind;     // the pending record is a pointer record
    int mPendingCommand;   // its command, or its pointer sub-kind
    int mRecordCount;      // records written or read
    int mEndBit;           // reading: where the last whole record ends
    int mTotalRecords;     // reading: whole records in the stream
};

} // namespace Lumo
