#include "framework/app/Buffer.h"

#include <cstring>

namespace Lumo
{

Buffer::Buffer() : mDataBitSize(0), mReadBitPos(0), mWriteBitPos(0) {}

Buffer::~Buffer() {}

void Buffer::Clear()
{
    mData.clear();
    mDataBitSize = 0;
    mReadBitPos = 0;
    mWriteBitPos = 0;
}

void Buffer::SetData(const void* theData, int theCount)
{
    if (theData == nullptr || theCount < 0)
        theCount = 0;
    const unsigned char* aBytes = static_cast<const unsigned char*>(theData);
    mData.assign(aBytes, aBytes + theCount);
    mDataBitSize = theCount * 8;
}

void Buffer::EnsureByte(int theIndex)
{
    // A write position left beyond the array by SetData must not write out of bounds.
    if ((int)mData.size() <= theIndex)
        mData.resize(theIndex + 1, 0);
}

void Buffer::NoteWriteEnd()
{
    if (mWriteBitPos > mDataBitSize)
        mDataBitSize = mWriteBitPos;
}

void Buffer::WriteByte(unsigned char theByte)
{
    int aIndex = mWriteBitPos / 8;
    int aShift = mWriteBitPos % 8;
    if (aShift == 0)
    {
        EnsureByte(aIndex);
        mData[aIndex] |= theByte;
    }
    else
    {
        EnsureByte(aIndex + 1);
        mData[aIndex] |= (unsigned char)((theByte << aShift) & 0xFF);
        mData[aIndex + 1] |= (unsigned char)(theByte >> (8 - aShift));
    }
    mWriteBitPos += 8;
    NoteWriteEnd();
}

void Buffer::WriteNumBits(unsigned int theValue, int theBits)
{
    for (int i = 0; i < theBits; i++)
    {
        int aIndex = mWriteBitPos / 8;
        EnsureByte(aIndex);
        if (theValue & (1u << (i % 32)))
            mData[aIndex] |= (unsigned char)(1 << (mWriteBitPos % 8));
        mWriteBitPos++;
    }
    NoteWriteEnd();
}

void Buffer::WriteShort(short theShort)
{
    unsigned short aValue = (unsigned short)theShort;
    WriteByte((unsigned char)(aValue & 0xFF));
    WriteByte((unsigned char)(aValue >> 8));
}

void Buffer::WriteLong(int theLong)
{
    unsigned int aValue = (unsigned int)theLong;
    for (int i = 0; i < 4; i++)
        WriteByte((unsigned char)((aValue >> (8 * i)) & 0xFF));
}

void Buffer::WriteString(const std::string& theString)
{
    size_t aLen = theString.size();
    if (aLen > 0xFFFF)
        aLen = 0xFFFF;
    WriteShort((short)(unsigned short)aLen);
    WriteBytes(theString.data(), (int)aLen);
}

void Buffer::WriteBytes(const void* theData, int theCount)
{
    const unsigned char* aBytes = static_cast<const unsigned char*>(theData);
    for (int i = 0; i < theCount; i++)
        WriteByte(aBytes[i]);
}

unsigned char Buffer::ReadByte()
{
    int aPos = mReadBitPos;
    if ((aPos + 7) / 8 >= (int)mData.size())
        return 0;
    int aIndex = aPos / 8;
    int aShift = aPos % 8;
    unsigned char aByte;
    if (aShift == 0)
        aByte = mData[aIndex];
    else
        aByte = (unsigned char)(((mData[aIndex] >> aShift) | (mData[aIndex + 1] << (8 - aShift))) &
                                0xFF);
    mReadBitPos += 8;
    return aByte;
}

int Buffer::ReadNumBits(int theBits, bool theSigned)
{
    unsigned int aValue = 0;
    bool aLastBit = false;
    for (int i = 0; i < theBits; i++)
    {
        if (mReadBitPos / 8 >= (int)mData.size())
            break;
        aLastBit = ((mData[mReadBitPos / 8] >> (mReadBitPos % 8)) & 1) != 0;
        if (aLastBit && i < 32)
            aValue |= 1u << i;
        mReadBitPos++;
    }
    if (theSigned && aLastBit && theBits < 32)
        aValue |= ~0u << theBits;
    return (int)aValue;
}

short Buffer::ReadShort()
{
    unsigned int aLow = ReadByte();
    unsigned int aHigh = ReadByte();
    return (short)(unsigned short)(aLow | (aHigh << 8));
}

int Buffer::ReadLong()
{
    unsigned int aValue = 0;
    for (int i = 0; i < 4; i++)
        aValue |= (unsigned int)ReadByte() << (8 * i);
    return (int)aValue;
}

std::string Buffer::ReadString()
{
    int aLen = (unsigned short)ReadShort();
    std::string aString;
    aString.reserve(aLen);
    for (int i = 0; i < aLen; i++)
    {
        if ((mReadBitPos + 7) / 8 >= (int)mData.size())
            break;
        aString += (char)ReadByte();
    }
    return aString;
}

void Buffer::ReadBytes(void* theDest, int theCount)
{
    unsigned char* aBytes = static_cast<unsigned char*>(theDest);
    for (int i = 0; i < theCount; i++)
        aBytes[i] = ReadByte();
}

} // namespace Lumo
