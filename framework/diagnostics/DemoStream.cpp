#include "framework/diagnostics/DemoStream.h"

#include <climits>

namespace Lumo
{

namespace
{

// Every whole record is at least this long: a command header, or a pointer
// header with its shortest payload. Anything shorter at the end is padding.
const int kShortestRecordBits = 10;

// Reads bits lowest first over constant bytes, as Buffer writes them; the
// caller checks Has before every Read.
struct BitCursor
{
    const unsigned char* data;
    int64_t bits;
    int64_t pos;

    bool Has(int64_t n) const { return n >= 0 && pos + n <= bits; }
    uint32_t Read(int n)
    {
        uint32_t value = 0;
        for (int i = 0; i < n; i++, pos++)
            value |= (uint32_t)((data[pos >> 3] >> (pos & 7)) & 1) << i;
        return value;
    }
};

// Length of the payload that starts at `c`, from the counts it holds; -1 when
// a count itself lies beyond the stream.
int64_t PayloadBits(BitCursor c, bool pointerKind, int command)
{
    if (pointerKind)
        return command == DEMO_POINTER_MOVE ? 12 : 4;
    switch (command)
    {
    case DEMO_MOUSE_ABSOLUTE:
        return 24;
    case DEMO_ACTIVATE:
    case DEMO_REGISTRY_WRITE:
        return 1;
    case DEMO_MINIMIZE:
    case DEMO_KEY_DOWN:
    case DEMO_KEY_UP:
    case DEMO_WHEEL:
        return 8;
    case DEMO_DISPLAY:
        return 16;
    case DEMO_CHAR:
        if (!c.Has(1))
            return -1;
        return c.Read(1) ? 17 : 9;
    case DEMO_REGISTRY_READ:
        if (!c.Has(1))
            return -1;
        if (!c.Read(1))
            return 1;
        if (!c.Has(64))
            return -1;
        c.Read(32);
        return 65 + 8 * (int64_t)c.Read(32);
    case DEMO_FILE_READ:
        if (!c.Has(1))
            return -1;
        if (!c.Read(1))
            return 1;
        if (!c.Has(32))
            return -1;
        return 33 + 8 * (int64_t)c.Read(32);
    case DEMO_HTTP_RESULT:
        if (!c.Has(56))
            return -1;
        c.Read(32);
        c.Read(8);
        return 56 + 8 * (int64_t)c.Read(16);
    case DEMO_SYNC:
        if (!c.Has(32))
            return -1;
        return 32 + 8 * (int64_t)c.Read(32);
    default:
        return 0; // fillers, commands without payload, and numbers nothing writes
    }
}

// Reads one record's header at `c`; false when no whole header is left.
bool ReadHeader(BitCursor& c, int* delta, bool* pointerKind, int* command)
{
    if (!c.Has(kShortestRecordBits))
        return false;
    *delta = (int)c.Read(4);
    *pointerKind = c.Read(1) != 0;
    *command = (int)c.Read(*pointerKind ? 1 : 5);
    return true;
}

} // namespace

bool IsDemoRecordTakenByCaller(bool pointerKind, int command)
{
    if (pointerKind)
        return false;
    return command == DEMO_REGISTRY_READ || command == DEMO_REGISTRY_WRITE ||
           command == DEMO_FILE_READ || command == DEMO_HTTP_RESULT || command == DEMO_SYNC;
}

bool ScanDemoStream(const Buffer& stream, DemoStreamScan* scan)
{
    BitCursor c = {stream.GetDataPtr(), stream.GetDataBitSize(), 0};
    int64_t update = 0;
    int records = 0;
    int delta, command;
    bool pointerKind;
    for (;;)
    {
        int64_t start = c.pos;
        if (!ReadHeader(c, &delta, &pointerKind, &command))
        {
            c.pos = start;
            break;
        }
        int64_t payload = PayloadBits(c, pointerKind, command);
        update += delta;
        if (!c.Has(payload) || update > INT_MAX)
            return false;
        // A size record tells minimized or not: any other byte is no state a
        // replay could take.
        if (!pointerKind && command == DEMO_MINIMIZE && BitCursor(c).Read(8) > 1)
            return false;
        c.pos += payload;
        records++;
    }
    // Our writer pads the last byte only; more is not a stream of ours.
    if (c.bits - c.pos >= 8)
        return false;
    scan->endBit = (int)c.pos;
    scan->records = records;
    scan->lastUpdate = (int)update;
    return true;
}

DemoStream::DemoStream()
{
    Reset();
}

void DemoStream::Reset()
{
    mBuffer.Clear();
    mReadMark = 0;
    mLastRecordUpdate = 0;
    mRecordTaken = true;
    mPointerKind = false;
    mPendingCommand = DEMO_FILLER;
    mRecordCount = 0;
    mEndBit = 0;
    mTotalRecords = 0;
}

void DemoStream::WriteTiming(int updateCount)
{
    while (updateCount - mLastRecordUpdate > 15)
    {
        mBuffer.WriteNumBits(15, 4);
        mLastRecordUpdate += 15;
        mBuffer.WriteNumBits(0, 1);
        mBuffer.WriteNumBits(DEMO_FILLER, 5);
        mRecordCount++;
    }
    mBuffer.WriteNumBits((unsigned)(updateCount - mLastRecordUpdate), 4);
    mRecordCount++;
    mLastRecordUpdate = updateCount;
}

void DemoStream::WriteCommand(int updateCount, int command)
{
    WriteTiming(updateCount);
    mBuffer.WriteNumBits(0, 1);
    mBuffer.WriteNumBits((unsigned)command, 5);
}

void DemoStream::WritePointer(int updateCount, int kind)
{
    WriteTiming(updateCount);
    mBuffer.WriteNumBits(1, 1);
    mBuffer.WriteNumBits((unsigned)kind, 1);
}

bool DemoStream::Load(const unsigned char* bytes, int length)
{
    Reset();
    mBuffer.SetData(bytes, length);
    DemoStreamScan scan;
    if (!ScanDemoStream(mBuffer, &scan))
    {
        Reset();
        return false;
    }
    mEndBit = scan.endBit;
    mTotalRecords = scan.records;
    return true;
}

bool DemoStream::ReadHeaderIfTaken()
{
    if (!mRecordTaken)
        return true;
    if (AtEnd())
        return false;
    mReadMark = mBuffer.GetReadBitPos();
    BitCursor c = {mBuffer.GetDataPtr(), mEndBit, mReadMark};
    int delta, command;
    bool pointerKind;
    if (!ReadHeader(c, &delta, &pointerKind, &command))
        return false;
    mBuffer.SetReadBitPos((int)c.pos);
    mLastRecordUpdate += delta;
    mPointerKind = pointerKind;
    mPendingCommand = command;
    mRecordCount++;
    mRecordTaken = false;
    return true;
}

void DemoStream::SkipPayload()
{
    BitCursor c = {mBuffer.GetDataPtr(), mEndBit, mBuffer.GetReadBitPos()};
    int64_t payload = PayloadBits(c, mPointerKind, mPendingCommand);
    // A loaded stream was scanned whole, so the payload fits; the guard keeps
    // a stream written in this run (never scanned) from running past its end.
    if (!c.Has(payload))
        payload = c.bits - c.pos;
    mBuffer.SetReadBitPos((int)(c.pos + payload));
}

} // namespace Lumo
