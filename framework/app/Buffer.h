#pragma once

#include <string>
#include <vector>

// Growable byte array written and read at bit granularity: the demo stream, whole files read
// into memory and the crash-report upload bodies. Bit k of the stream is bit (k mod 8) of byte
// k / 8, least significant first; multi-byte values are little-endian, so byte writes need not
// be byte-aligned. Writes assume the write position is the end of the data, which holds for a
// buffer filled only by writes; a buffer filled by SetData is only read.

namespace Lumo
{

class Buffer
{
public:
    Buffer();
    virtual ~Buffer();

    // --- Contents
    void Clear();
    // Replaces the bytes; the read and write positions stay (callers Clear first).
    void SetData(const void* theData, int theCount);
    // First byte, or null when empty.
    const unsigned char* GetDataPtr() const { return mData.empty() ? nullptr : &mData[0]; }
    // Bytes, rounding a partial last byte up.
    int GetDataLen() const { return (mDataBitSize + 7) / 8; }
    void SeekFront() { mReadBitPos = 0; }
    bool AtEnd() const { return mReadBitPos >= mDataBitSize; }
    // Bits held; a reader that peeks puts its position back afterwards.
    int GetDataBitSize() const { return mDataBitSize; }
    int GetReadBitPos() const { return mReadBitPos; }
    void SetReadBitPos(int theBitPos) { mReadBitPos = theBitPos; }

    // --- Writing at the write position
    void WriteByte(unsigned char theByte);
    // The low theBits bits of theValue, lowest first (1 to 32 meaningful).
    void WriteNumBits(unsigned int theValue, int theBits);
    void WriteBoolean(bool theBool) { WriteByte(theBool ? 1 : 0); }
    void WriteShort(short theShort);
    void WriteLong(int theLong);
    // 16-bit length, then the bytes, no terminator. Longer than 65535 bytes is cut there so the
    // length always matches the bytes that follow.
    void WriteString(const std::string& theString);
    void WriteBytes(const void* theData, int theCount);

    // --- Reading at the read position; reads past the data give zeros
    // 0 (position unchanged) when the byte, or the next one for an unaligned read, is missing.
    unsigned char ReadByte();
    // With theSigned, the top bit taken is extended through bit 31.
    int ReadNumBits(int theBits, bool theSigned);
    bool ReadBoolean() { return ReadByte() != 0; }
    short ReadShort();
    int ReadLong();
    // The length is read back as the unsigned 16 bits it was written as; a length that runs
    // past the data gives only the bytes that are there.
    std::string ReadString();
    void ReadBytes(void* theDest, int theCount);

private:
    // Makes the byte at theIndex exist, growing the array with zeros.
    void EnsureByte(int theIndex);
    void NoteWriteEnd();

    std::vector<unsigned char> mData;
    int mDataBitSize; // highest write position reached, bits
    int mReadBitPos;  // bits
    int mWriteBitPos; // bits
};

} // namespace Lumo
