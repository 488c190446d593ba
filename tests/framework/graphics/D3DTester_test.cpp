// The 3D self-test's decisions on synthetic inputs: memory amounts, card
// lists, driver years, colour distances, read-back conversion, texture
// formats and the registry record (under a key of the test's own).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/graphics/D3DTester.h"

using namespace Lumo;

namespace
{

std::string TempFolder(const char* name)
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteFile(const std::string& path, const char* text)
{
    FILE* f = fopen(path.c_str(), "w");
    ASSERT_NE(nullptr, f);
    fputs(text, f);
    fclose(f);
}

} // namespace

TEST(D3DTester, VideoMemoryCountsTheDesktopFrameBuffer)
{
    const uint32_t mb = 1u << 20;
    EXPECT_EQ(7, TestVideoMemoryMB(32, 1024, 768, 4 * mb));
    EXPECT_EQ(5, TestVideoMemoryMB(32, 1024, 768, 2 * mb));
    // Wine reports nearly 4 GB; the sum must not wrap.
    EXPECT_EQ(4098, TestVideoMemoryMB(32, 1024, 768, 0xFFFFFFFFu));

    D3DTester tester;
    tester.SetVidMemoryRequirements(6, 14);
    tester.CheckVideoMemory(7);
    EXPECT_EQ("Low video memory.", tester.GetWarning());
    EXPECT_TRUE(tester.IsSupported());
    EXPECT_FALSE(tester.IsRecommended());
    try
    {
        tester.CheckVideoMemory(5);
        ADD_FAILURE() << "5 MB passed";
    }
    catch (const D3DTester::TestException& e)
    {
        EXPECT_STREQ("Not enough video memory.", e.what());
    }
}

TEST(D3DTester, CardListLinesMatchTrimmedAndIgnoringCase)
{
    EXPECT_TRUE(CardListLineMatches("  radeon 9600 \r\n", "ATI RADEON 9600 Pro"));
    EXPECT_FALSE(CardListLineMatches("   \n", "anything"));
    EXPECT_FALSE(CardListLineMatches("GeForce", "ATI Radeon"));
}

TEST(D3DTester, BlackListWinsOverTheWhiteList)
{
    const std::string folder = TempFolder("lumo-cardlists-both");
    WriteFile(folder + "\\vhwb.dat", "\nRadeon 9600\n");
    WriteFile(folder + "\\vhw.dat", "radeon\ngeforce\n");
    D3DTester tester;
    tester.mCardListFolder = folder;
    EXPECT_FALSE(tester.IsSupportedCard("ATI Radeon 9600 Pro"));
    EXPECT_TRUE(tester.IsSupportedCard("ATI Radeon 9800"));
    // With the white list present only listed cards pass, whatever the words.
    EXPECT_FALSE(tester.IsSupportedCard("NVIDIA Quadro"));
    DeleteFileA((folder + "\\vhwb.dat").c_str());
    DeleteFileA((folder + "\\vhw.dat").c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(D3DTester, WithoutListsKnownWordsOrARecentDriverPass)
{
    D3DTester tester;
    tester.mCardListFolder = TempFolder("lumo-cardlists-none");
    tester.mDriverYear = 1999;
    EXPECT_TRUE(tester.IsSupportedCard("Some RADEON card"));
    EXPECT_TRUE(tester.IsSupportedCard("nVidia Riva"));
    EXPECT_TRUE(tester.IsSupportedCard("ATI Rage"));
    EXPECT_FALSE(tester.IsSupportedCard("Matrox G400"));
    EXPECT_FALSE(tester.IsSupportedCard("CATIA adapter")); // "ati" without the blank
    tester.mDriverYear = 2001;
    EXPECT_FALSE(tester.IsSupportedCard("Matrox G400"));
    tester.mDriverYear = 2002;
    EXPECT_TRUE(tester.IsSupportedCard("Matrox G400"));
    RemoveDirectoryA(tester.mCardListFolder.c_str());
}

TEST(D3DTester, DriverYearComesFromTheFileDate)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    D3DTester tester;
    tester.mDriver = "ddraw.dll"; // exists in the system folder under Wine
    tester.ReadDriverYear();
    EXPECT_GE(tester.mDriverYear, 1990);
    D3DTester missing;
    missing.mDriver = "nvd3dum-missing.dll";
    missing.ReadDriverYear();
    EXPECT_EQ(0, missing.mDriverYear);
}

TEST(D3DTester, ColourDistancesAgainstTheThreshold)
{
    EXPECT_EQ(1, D3DTestImage::ColorDistance(0xFF80007F, 0x7F007F));
    EXPECT_EQ(729, D3DTestImage::ColorDistance(0x0064007F, 0x7F007F));
    EXPECT_EQ(1369, D3DTestImage::ColorDistance(0xFF5A007F, 0x7F007F));

    D3DTestImage image;
    image.Create(100, 100);
    image.FillRect(0, 0, 100, 100, 0xFF80007F);
    int errors = -1;
    EXPECT_TRUE(image.CheckUniform(0x7F007F, errors, 10, 10));
    EXPECT_EQ(0, errors);
    image.FillRect(3, 3, 1, 1, 0xFF64007F); // within the threshold, not uniform
    EXPECT_FALSE(image.CheckUniform(0x7F007F, errors, 10, 10));
    EXPECT_EQ(0, errors);
    image.FillRect(4, 4, 2, 1, 0xFF5A007F);
    image.FillRect(50, 50, 5, 5, 0xFF000000); // outside the 10 x 10 corner
    image.CheckUniform(0x7F007F, errors, 10, 10);
    EXPECT_EQ(2, errors);
}

TEST(D3DTester, CheckerColumnsCountedFromTheRegionStart)
{
    D3DTestImage image;
    image.Create(64, 64);
    image.FillCheckerColumns();
    EXPECT_EQ(0xFF000000u, image.mPixels[0]);
    EXPECT_EQ(0xFFFFFFFFu, image.mPixels[1]);
    EXPECT_EQ(0, image.CountCheckerErrors(62, 62, 0, 0));
    EXPECT_EQ(62 * 62, image.CountCheckerErrors(62, 62, 1, 0));
    image.FillRect(10, 10, 1, 3, 0xFF808080);
    EXPECT_EQ(3, image.CountCheckerErrors(62, 62, 0, 0));
}

TEST(D3DTester, ReadBackPixelsRebuiltFromAnyMasks)
{
    EXPECT_EQ(16, HighestBit(0x10000));
    EXPECT_EQ(-1, HighestBit(0));
    EXPECT_EQ(0xFF112233u, ConvertTestPixel(0x00112233, 0xFF0000, 0xFF00, 0xFF));
    EXPECT_EQ(0xFFF8FCF8u, ConvertTestPixel(0xFFFF, 0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(0xFF080000u, ConvertTestPixel(0x0800, 0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(0xFF0000F8u, ConvertTestPixel(0x001F, 0x7C00, 0x03E0, 0x001F));
}

TEST(D3DTester, TextureFormatsDecideTheTestFormat)
{
    D3DTester tester;
    EXPECT_TRUE(tester.CheckTextureFormats(D3DTestFormatA8R8G8B8 | D3DTestFormatR5G6B5));
    EXPECT_EQ((uint32_t)D3DTestFormatA8R8G8B8, tester.mTextureFormat);
    EXPECT_EQ("", tester.GetWarning());
    EXPECT_TRUE(tester.CheckTextureFormats(D3DTestFormatA4R4G4B4));
    EXPECT_EQ((uint32_t)D3DTestFormatA4R4G4B4, tester.mTextureFormat);
    EXPECT_EQ("A8R8G8B8 texture format not supported.", tester.GetWarning());
    EXPECT_FALSE(tester.CheckTextureFormats(D3DTestFormatR5G6B5));
    EXPECT_EQ("A4R4G4B4 and A8R8G8B8 texture formats not supported.", tester.GetFailureReason());
}

TEST(D3DTester, DirectXFailuresBecomeNamedReasons)
{
    D3DTester tester;
    EXPECT_NO_THROW(tester.CheckDX(DD_OK, "Fine"));
    try
    {
        tester.CheckDX(DDERR_INVALIDPIXELFORMAT, "CreateSurface (Primary)");
        ADD_FAILURE();
    }
    catch (const D3DTester::TestException& e)
    {
        EXPECT_STREQ("DXError - CreateSurface (Primary): DDERR_INVALIDPIXELFORMAT", e.what());
        D3DTester::TestException copy = e;
        EXPECT_EQ(e.mMessage, copy.mMessage);
    }
    EXPECT_FALSE(tester.Fail("x"));
    EXPECT_TRUE(tester.Warn("first"));
    EXPECT_TRUE(tester.Warn("second"));
    EXPECT_EQ("second", tester.GetWarning());
}

TEST(D3DTester, RegistryRecordIsValidOnlyForTheSameCardAndRequirements)
{
    const std::string key = "LumoTests\\D3DTester" + std::to_string(GetCurrentProcessId());
    {
        D3DTester writer;
        writer.mRegistryKey = key;
        writer.SetVidMemoryRequirements(6, 14);
        writer.mDisplayGUID.Data1 = 0x12345678;
        writer.Fail("Alpha blend Not Supported");
        writer.Warn("Low video memory.");
        ASSERT_TRUE(writer.OpenRegistryKey());
        writer.WriteRegistryRecord();
        EXPECT_TRUE(writer.KeyHasFailureReason());
    }
    {
        D3DTester reader;
        reader.mRegistryKey = key;
        reader.SetVidMemoryRequirements(6, 14);
        reader.mDisplayGUID.Data1 = 0x12345678;
        ASSERT_TRUE(reader.OpenRegistryKey());
        EXPECT_TRUE(reader.ReadRegistryRecord());
        EXPECT_EQ("Alpha blend Not Supported", reader.GetFailureReason());
        EXPECT_EQ("Low video memory.", reader.GetWarning());
    }
    {
        D3DTester otherCard;
        otherCard.mRegistryKey = key;
        otherCard.SetVidMemoryRequirements(6, 14);
        otherCard.mDisplayGUID.Data1 = 0x87654321;
        ASSERT_TRUE(otherCard.OpenRegistryKey());
        EXPECT_FALSE(otherCard.ReadRegistryRecord());
        otherCard.mDisplayGUID.Data1 = 0x12345678;
        otherCard.SetVidMemoryRequirements(8, 14);
        EXPECT_FALSE(otherCard.ReadRegistryRecord());
    }
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, ("SOFTWARE\\" + key).c_str()));
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\LumoTests");
}
