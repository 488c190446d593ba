#include "framework/diagnostics/DebugFiles.h"
#include "framework/diagnostics/ImageDump.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Lumo;

namespace
{

class ImageDump : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(mFolder.Enter("lumo_dump_")); }
    void TearDown() override { mFolder.Leave(); }

    static size_t Count(const std::string& text, const std::string& part)
    {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            n++;
        return n;
    }

    TempFolder mFolder;
};

TEST_F(ImageDump, ListsEveryImageEscapesNamesAndWritesItsPictures)
{
    MemoryImage picture;
    picture.Create(100, 50);
    uint32_t* pixels = picture.GetPixels();
    for (int i = 0; i < 100 * 50; i++)
        pixels[i] = 0xFF000000 | (uint32_t)(i * 2654435761u >> 8);
    picture.mFileName = "images\\<cafe&bar>.png";
    MemoryImage empty; // a size but no storage at all
    empty.mWidth = 8;
    empty.mHeight = 8;

    std::vector<ImageDumpEntry> entries = {DescribeImage(&picture, nullptr),
                                           DescribeImage(&empty, nullptr)};
    std::string page = WriteImageDump("dump", "Heading <1>", entries);
    ASSERT_EQ("dump\\imagelist.html", page);
    std::string html = ReadTestFile(page);

    EXPECT_EQ(0u, html.find("<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>Heading "
                            "&lt;1&gt;</B></FONT><BR>\nTotal Image Allocation: 20,000 bytes<BR>\n"))
        << html;
    EXPECT_EQ(1u, Count(html, "<TR><TD><A HREF=img0000.png><IMG SRC=thumb0000.jpg WIDTH=64 "
                              "HEIGHT=32></A></TD><TD ALIGN=RIGHT>100 x 50<BR>20,000 bytes</TD>"
                              "<TD>mBits<BR>20,000</TD>"))
        << html;
    EXPECT_EQ(1u, Count(html, "<TD>images\\&lt;cafe&amp;bar&gt;.png</TD></TR>\n")) << html;
    EXPECT_EQ(0u, Count(html, "<cafe"));
    EXPECT_EQ(1u, Count(html, "<TR><TD>no pixels</TD><TD ALIGN=RIGHT>8 x 8<BR>0 bytes</TD>"))
        << html;
    EXPECT_EQ(1u, Count(html, "<TR><TD>Totals</TD><TD>20,000</TD><TD>20,000</TD><TD>0</TD>"));
    EXPECT_EQ(3u * 14u, Count(html, "<TD")) << "14 cells in each of the three rows";
    EXPECT_NE(std::string::npos, html.rfind("</TABLE></CENTER></BODY></HTML>\n"));

    std::unique_ptr<ImageLib::Image> full(ImageLib::GetImage("dump\\img0000.png", false));
    ASSERT_TRUE(full);
    ASSERT_EQ(100, full->GetWidth());
    ASSERT_EQ(50, full->GetHeight());
    EXPECT_EQ(0, memcmp(picture.mPixels, full->GetBits(), 100 * 50 * 4));
    std::unique_ptr<ImageLib::Image> thumb(ImageLib::GetImage("dump\\thumb0000.jpg", false));
    ASSERT_TRUE(thumb);
    EXPECT_EQ(64, thumb->GetWidth());
    EXPECT_EQ(32, thumb->GetHeight());
    EXPECT_FALSE(FileExists("dump\\img0001.png"));

    // A second dump keeps the first one whole.
    std::string second = WriteImageDump("dump", "Again", {DescribeImage(&picture, nullptr)});
    EXPECT_EQ("dump\\imagelist2.html", second);
    EXPECT_NE(std::string::npos, ReadTestFile(second).find("<A HREF=img0001.png>"));
    EXPECT_TRUE(FileExists("dump\\img0001.png"));
    EXPECT_EQ(html, ReadTestFile(page));
}

TEST_F(ImageDump, DumpThatCannotBeWrittenLeavesNoFileBehind)
{
    WriteTestFile("blocked", "a file where the dump's folder would go");
    MemoryImage picture;
    picture.Create(4, 4);
    picture.GetPixels();
    EXPECT_EQ("", WriteImageDump("blocked", "x", {DescribeImage(&picture, nullptr)}));
    EXPECT_FALSE(FileExists("blocked\\imagelist.html"));
    EXPECT_FALSE(FileExists("blocked\\img0000.png"));
    EXPECT_EQ("a file where the dump's folder would go", ReadTestFile("blocked"));
}

TEST_F(ImageDump, ThumbnailAveragesTheAreaItCoversOverThePage)
{
    // 128 x 2: left half opaque red, right half fully transparent.
    std::vector<uint32_t> pixels(128 * 2);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 128; x++)
            pixels[y * 128 + x] = x < 64 ? 0xFFFF0000 : 0x00123456;
    int w = 0, h = 0;
    std::vector<uint32_t> thumb = MakeThumbnail(pixels, 128, 2, w, h);
    ASSERT_EQ(64, w);
    ASSERT_EQ(1, h);
    EXPECT_EQ(0xFFFF0000u, thumb[0]);
    EXPECT_EQ(0xFFEEEEFFu, thumb[63]);
}

TEST_F(ImageDump, NumberedNamesContinueAfterTheHighestWhateverTheCase)
{
    WriteTestFile("IMAGE7.PNG", "x");
    WriteTestFile("image2.png", "x");
    WriteTestFile("image12b.png", "x");
    WriteTestFile("imagex.png", "x");
    WriteTestFile("image99.jpg", "x");
    EXPECT_EQ(7, HighestFileNumber(".\\", "image", ".png"));
    EXPECT_EQ(-1, HighestFileNumber(".\\", "thumb", ".jpg"));
}

} // namespace
