#include <gtest/gtest.h>

#include "framework/app/Buffer.h"

#include <random>
#include <vector>

using namespace Lumo;

static std::vector<unsigned char> Bytes(const Buffer& b)
{
    const unsigned char* p = b.GetDataPtr();
    return p ? std::vector<unsigned char>(p, p + b.GetDataLen()) : std::vector<unsigned char>();
}

TEST(Buffer, UnalignedByteFollowsBitFieldLowestBitFirst)
{
    Buffer b;
    b.WriteNumBits(5, 3);
    b.WriteByte(0xFF);
    EXPECT_EQ((std::vector<unsigned char>{0xFD, 0x07}), Bytes(b));
    EXPECT_EQ(2, b.GetDataLen());
    EXPECT_EQ(5, b.ReadNumBits(3, false));
    EXPECT_EQ(0xFF, b.ReadByte());
    EXPECT_TRUE(b.AtEnd());
    // An unaligned byte read needs the byte after it; without it the read gives 0 and stays.
    b.SeekFront();
    EXPECT_EQ(1, b.ReadNumBits(1, false));
    EXPECT_EQ(0xFE, b.ReadByte()); // bits 1-8
    EXPECT_EQ(0, b.ReadByte());
    EXPECT_EQ(3, b.ReadNumBits(2, false)); // still bits 9 and 10
}

TEST(Buffer, MultiByteValuesAreLittleEndian)
{
    Buffer b;
    b.WriteShort((short)0xBEEF);
    b.WriteLong(0x12345678);
    b.WriteBoolean(true);
    b.WriteBoolean(false);
    EXPECT_EQ((std::vector<unsigned char>{0xEF, 0xBE, 0x78, 0x56, 0x34, 0x12, 1, 0}), Bytes(b));
    EXPECT_EQ((short)0xBEEF, b.ReadShort());
    EXPECT_EQ(0x12345678, b.ReadLong());
    EXPECT_TRUE(b.ReadBoolean());
    EXPECT_FALSE(b.ReadBoolean());
    EXPECT_TRUE(b.AtEnd());
}

TEST(Buffer, SignedBitFieldsExtendTheirTopBit)
{
    Buffer b;
    b.WriteNumBits(0x3F, 6);
    b.WriteNumBits(0x1F, 6);
    b.WriteNumBits(0x80000001u, 32);
    EXPECT_EQ(-1, b.ReadNumBits(6, true));
    EXPECT_EQ(31, b.ReadNumBits(6, true));
    EXPECT_EQ((int)0x80000001u, b.ReadNumBits(32, true));
    b.SeekFront();
    EXPECT_EQ(63, b.ReadNumBits(6, false));
    EXPECT_EQ(0, b.ReadNumBits(0, true));
}

TEST(Buffer, ReadsPastTheDataGiveZeros)
{
    Buffer b;
    EXPECT_EQ(nullptr, b.GetDataPtr());
    EXPECT_EQ(0, b.ReadByte());
    EXPECT_EQ(0, b.ReadNumBits(8, true));
    EXPECT_EQ(0, b.ReadLong());
    EXPECT_EQ("", b.ReadString());
    EXPECT_TRUE(b.AtEnd());
}

TEST(Buffer, StringsCarryA16BitLength)
{
    Buffer b;
    b.WriteString("abc");
    EXPECT_EQ((std::vector<unsigned char>{3, 0, 'a', 'b', 'c'}), Bytes(b));
    b.WriteString("");
    EXPECT_EQ("abc", b.ReadString());
    EXPECT_EQ("", b.ReadString());
    EXPECT_TRUE(b.AtEnd());
}

// A length of 32768 or more used to read back as negative, giving an empty string and leaving
// the string's bytes to be read as the next fields.
TEST(Buffer, LongStringsReadBackWholeAndKeepTheStreamInStep)
{
    for (size_t len : {size_t(32767), size_t(32768), size_t(65535), size_t(70000)})
    {
        std::string s(len, 'x');
        for (size_t i = 0; i < len; i++)
            s[i] = (char)('a' + i % 26);
        Buffer b;
        b.WriteNumBits(1, 1); // unaligned, as inside the demo stream
        b.WriteString(s);
        b.WriteLong(0x0BADF00D);
        EXPECT_EQ(1, b.ReadNumBits(1, false));
        std::string back = b.ReadString();
        if (len <= 65535)
            EXPECT_EQ(s, back) << "length " << len;
        else
            EXPECT_EQ(s.substr(0, 65535), back) << "cut at the largest length the field holds";
        EXPECT_EQ(0x0BADF00D, b.ReadLong()) << "length " << len;
    }
}

TEST(Buffer, TruncatedStringGivesOnlyTheBytesThere)
{
    const unsigned char data[] = {0xFF, 0xFF, 'h', 'i'};
    Buffer b;
    b.SetData(data, 4);
    EXPECT_EQ("hi", b.ReadString());
}

TEST(Buffer, SetDataReplacesBytesAndKeepsPositions)
{
    unsigned char data[10];
    for (int i = 0; i < 10; i++)
        data[i] = (unsigned char)(i * 3);
    Buffer b;
    b.SetData(data, 10);
    EXPECT_EQ(10, b.GetDataLen());
    b.SeekFront();
    EXPECT_FALSE(b.AtEnd());
    unsigned char back[10] = {};
    b.ReadBytes(back, 10);
    EXPECT_EQ(0, memcmp(data, back, 10));
    EXPECT_TRUE(b.AtEnd());
    b.Clear();
    EXPECT_EQ(0, b.GetDataLen());
    EXPECT_EQ(nullptr, b.GetDataPtr());
    b.SetData(nullptr, 5);
    EXPECT_EQ(0, b.GetDataLen());
}

TEST(Buffer, WritingAfterShrinkingSetDataStaysInBounds)
{
    Buffer b;
    b.WriteNumBits(0x5, 3);
    b.WriteNumBits(0xABCD, 16);
    b.SetData(nullptr, 0); // write position stays at bit 19
    b.WriteByte(0x81);
    b.WriteNumBits(1, 1);
    EXPECT_EQ(4, b.GetDataLen());
}

// Random mixed records read back exactly, bit-aligned or not.
TEST(Buffer, RandomRecordsRoundTrip)
{
    std::mt19937 rng(4242);
    struct Rec
    {
        int kind, bits;
        unsigned int value;
        std::string text;
    };
    std::vector<Rec> recs;
    Buffer b;
    for (int i = 0; i < 3000; i++)
    {
        Rec r{(int)(rng() % 5), (int)(rng() % 32) + 1, rng(), ""};
        switch (r.kind)
        {
        case 0:
            b.WriteNumBits(r.value, r.bits);
            break;
        case 1:
            b.WriteByte((unsigned char)r.value);
            break;
        case 2:
            b.WriteShort((short)r.value);
            break;
        case 3:
            b.WriteLong((int)r.value);
            break;
        default:
            r.text.assign(rng() % 40, (char)(rng() & 0xFF));
            b.WriteString(r.text);
            break;
        }
        recs.push_back(r);
    }
    for (size_t i = 0; i < recs.size(); i++)
    {
        const Rec& r = recs[i];
        switch (r.kind)
        {
        case 0:
        {
            unsigned int mask = r.bits == 32 ? ~0u : ((1u << r.bits) - 1);
            ASSERT_EQ(r.value & mask, (unsigned int)b.ReadNumBits(r.bits, false)) << i;
            break;
        }
        case 1:
            ASSERT_EQ((unsigned char)r.value, b.ReadByte()) << i;
            break;
        case 2:
            ASSERT_EQ((short)r.value, b.ReadShort()) << i;
            break;
        case 3:
            ASSERT_EQ((int)r.value, b.ReadLong()) << i;
            break;
        default:
            ASSERT_EQ(r.text, b.ReadString()) << i;
            break;
        }
    }
    EXPECT_TRUE(b.AtEnd());
}
