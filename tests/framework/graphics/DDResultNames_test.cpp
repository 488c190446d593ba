#include "framework/diagnostics/DXResultNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{

TEST(DXResultNames, KnownCodesGiveTheirConstantNames)
{
    EXPECT_EQ("DDERR_OUTOFVIDEOMEMORY", Lumo::GetDXResultName((int32_t)0x8876017C));
    EXPECT_EQ("DDERR_INVALIDPIXELFORMAT", Lumo::GetDXResultName((int32_t)0x88760091));
    EXPECT_EQ("DDERR_VERTICALBLANKINPROGRESS", Lumo::GetDXResultName((int32_t)0x88760219));
}

TEST(DXResultNames, SharedCodesTakeTheChosenName)
{
    EXPECT_EQ("E_OUTOFMEMORY", Lumo::GetDXResultName((int32_t)0x8007000E));
    EXPECT_EQ("DDERR_INVALIDPARAMS", Lumo::GetDXResultName((int32_t)0x80070057));
    EXPECT_EQ("DSERR_NOAGGREGATION", Lumo::GetDXResultName((int32_t)0x80040110));
    EXPECT_EQ("DDERR_UNSUPPORTED", Lumo::GetDXResultName((int32_t)0x80004001));
    EXPECT_EQ("DSERR_NOINTERFACE", Lumo::GetDXResultName((int32_t)0x80004002));
    EXPECT_EQ("DSERR_GENERIC", Lumo::GetDXResultName((int32_t)0x80004005));
}

TEST(DXResultNames, UnknownCodesGiveBareLowerCaseHex)
{
    EXPECT_EQ("0", Lumo::GetDXResultName(0));
    EXPECT_EQ("1", Lumo::GetDXResultName(1));
    EXPECT_EQ("deadbeef", Lumo::GetDXResultName((int32_t)0xDEADBEEF));
    EXPECT_EQ("abc", Lumo::GetDXResultName(0xABC));
}

TEST(DXResultNames, TableHas193NamesEachForOneCode)
{
    ASSERT_EQ(193, Lumo::GetDXResultNameCount());
    std::set<int32_t> codes;
    std::set<std::string> names;
    int dd = 0, d3d = 0, ds = 0;
    for (int i = 0; i < Lumo::GetDXResultNameCount(); ++i)
    {
        int32_t code = 0;
        const char* name = nullptr;
        ASSERT_TRUE(Lumo::GetDXResultNameEntry(i, &code, &name));
        EXPECT_TRUE(codes.insert(code).second) << "code repeated: " << name;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(name, Lumo::GetDXResultName(code));
        std::string n = name;
        dd += n.compare(0, 6, "DDERR_") == 0;
        d3d += n.compare(0, 7, "D3DERR_") == 0;
        ds += n.compare(0, 6, "DSERR_") == 0;
    }
    EXPECT_EQ(109, dd);
    EXPECT_EQ(70, d3d);
    EXPECT_EQ(13, ds);
    int32_t code;
    const char* name;
    EXPECT_FALSE(Lumo::GetDXResultNameEntry(193, &code, &name));
}

} // namespace
