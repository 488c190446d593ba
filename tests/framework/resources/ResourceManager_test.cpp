#include "framework/app/PakInterface.h"
#include "framework/app/PakWriter.h"
#include "framework/graphics/CelAnimation.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/Font.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/XmlReader.h"

#include "ImageTestFiles.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Lumo;
using ImageTestFiles::TempPath;

namespace
{

std::string WriteStrip(const std::string& name, int w, int h)
{
    std::vector<uint32_t> px(w * h);
    for (int i = 0; i < w * h; i++)
        px[i] = 0xFF000000u | (uint32_t)(i % 3) * 0x404040u; // three colours: palettizable
    std::string path = TempPath(name);
    EXPECT_TRUE(ImageLib::WritePNGPixels(path, px.data(), w, h));
    return path;
}

} // namespace

TEST(XmlReader, ReadsElementsAttributesAndText)
{
    XmlReader reader;
    std::unique_ptr<XmlElement> root;
    ASSERT_TRUE(reader.Parse("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- c -->\n"
                             "<a x=\"1 &amp; 2\" y='&#65;&#x42;'>t&lt;<b/><!-- in -->"
                             "<c><![CDATA[<raw>]]></c></a>\n",
                             root))
        << reader.GetError();
    EXPECT_EQ(root->name, "a");
    EXPECT_EQ(*root->FindAttribute("x"), "1 & 2");
    EXPECT_EQ(*root->FindAttribute("y"), "AB");
    EXPECT_EQ(root->FindAttribute("z"), nullptr);
    EXPECT_EQ(root->text, "t<");
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0]->name, "b");
    EXPECT_EQ(root->children[1]->text, "<raw>");
    EXPECT_EQ(root->children[1]->line, 3);
}

TEST(XmlReader, MalformedDocumentsFailWithALine)
{
    const char* bad[] = {"",
                         "<a>",
                         "<a></b>",
                         "<a x=1/>",
                         "<a x=\"1\" x=\"2\"/>",
                         "<a>&bogus;</a>",
                         "<a>&#0;</a>",
                         "<a/><b/>",
                         "<a x=\"<\"/>",
                         "<!-- open",
                         "<a><![CDATA[x</a>",
                         "<a\n\n></a",
                         "text"};
    for (const char* text : bad)
    {
        XmlReader reader;
        std::unique_ptr<XmlElement> root;
        EXPECT_FALSE(reader.Parse(text, root)) << text;
        EXPECT_EQ(root, nullptr) << text;
        EXPECT_NE(reader.GetError().find("line"), std::string::npos) << text;
    }
    // Deep nesting is refused, not recursed into without end.
    std::string deep;
    for (int i = 0; i < 5000; i++)
        deep += "<a>";
    XmlReader reader;
    std::unique_ptr<XmlElement> root;
    EXPECT_FALSE(reader.Parse(deep, root));
    // The error text survives the reader's next document as a copy.
    std::string kept = GetMemberString(reader);
    EXPECT_EQ(kept, reader.GetError());
    EXPECT_NE(kept.find("line"), std::string::npos);
    EXPECT_TRUE(reader.Parse("<a/>", root));
    EXPECT_EQ(GetMemberString(reader), "");
    EXPECT_NE(kept.find("line"), std::string::npos);
}

TEST(ResourceManager, LoadsImageWithCelsAnimationAndStorageOptions)
{
    std::string strip = WriteStrip("strip.png", 40, 10);
    ResourceManager rm(nullptr);
    ASSERT_TRUE(rm.ParseResourcesText(
        "<Resources><Group id=\"g\">"
        "<Image id=\"STRIP\" path=\"" +
        strip +
        "\" cols=\"4\" anim=\"pingpong\" framedelay=\"3\""
        " begindelay=\"9\" palettize=\"true\" a4r4g4b4=\"true\" minsubdivide=\"1\"/>"
        "<Image id=\"PLAIN\" path=\"" +
        strip +
        "\"/>"
        "<Image id=\"MAPPED\" path=\"" +
        strip +
        "\" rows=\"2\" cols=\"2\" anim=\"loop\""
        " perframedelay=\"5, 0,7\" framemap=\"3,2,1\" enddelay=\"4\"/>"
        "</Group></Resources>"))
        << rm.GetErrorText();
    EXPECT_EQ(rm.GetImage("STRIP"), nullptr); // not loaded yet
    ASSERT_TRUE(rm.LoadResources("g")) << rm.GetErrorText();
    EXPECT_TRUE(rm.IsGroupLoaded("g"));

    MemoryImage* img = rm.GetImageThrow("STRIP");
    EXPECT_EQ(img->GetWidth(), 40);
    EXPECT_EQ(img->mRows, 1);
    EXPECT_EQ(img->mColumns, 4);
    EXPECT_EQ(img->mFileName, strip);
    ASSERT_NE(img->mAnimation, nullptr);
    EXPECT_EQ(img->mAnimation->mType, CelAnimation::TYPE_PINGPONG);
    EXPECT_EQ(img->mAnimation->mFrameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(img->mAnimation->mFrameCount, 6);
    EXPECT_EQ(img->mAnimation->mTotalTime, 9 + 5 * 3);
    EXPECT_EQ(img->mTextureFlags, 8 | 4 | 1);
    EXPECT_NE(img->mColorTable, nullptr); // the palette wish was applied

    MemoryImage* plain = rm.GetImage("PLAIN");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->mAnimation, nullptr);
    EXPECT_EQ(plain->mTextureFlags, 8);
    EXPECT_EQ(plain->mColorTable, nullptr);

    MemoryImage* mapped = rm.GetImage("MAPPED");
    ASSERT_NE(mapped->mAnimation, nullptr);
    EXPECT_EQ(mapped->mAnimation->mFrameMap, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(mapped->mAnimation->mPerFrameDelay, (std::vector<int>{5, 1, 4}));

    rm.DeleteResources("g");
    EXPECT_EQ(rm.GetImage("STRIP"), nullptr);
    EXPECT_THROW(rm.GetImageThrow("STRIP"), ResourceManagerException);
    EXPECT_THROW(rm.GetFontThrow("NONE"), ResourceManagerException);
}

TEST(ResourceManager, BadOptionsAreReportedAndAddNothing)
{
    std::string strip = WriteStrip("strip2.png", 8, 8);
    struct Case
    {
        std::string attrs;
        std::string error;
    } cases[] = {
        {"anim=\"bounce\"", "Invalid animation type."},
        {"rows=\"0\"", "Invalid rows value."},
        {"cols=\"x\"", "Invalid cols value."},
        {"framedelay=\"1.5\"", "Invalid framedelay value."},
        {"perframedelay=\"1,,2\"", "Invalid perframedelay value."},
        {"framemap=\"0,1\"", "Invalid framemap value."}, // only one cel
    };
    for (const Case& c : cases)
    {
        ResourceManager rm(nullptr);
        EXPECT_FALSE(rm.ParseResourcesText("<Resources><Group id=\"g\"><Image id=\"A\" path=\"" +
                                           strip + "\" " + c.attrs + "/></Group></Resources>"));
        EXPECT_NE(rm.GetErrorText().find(c.error), std::string::npos)
            << c.attrs << ": " << rm.GetErrorText();
        EXPECT_FALSE(rm.LoadResources("g")); // the bad file added no group
    }

    ResourceManager rm(nullptr);
    EXPECT_FALSE(rm.ParseResourcesText("<Resources><Group id=\"g\"><Image id=\"A\" path=\"a\"/>"
                                       "<Image id=\"A\" path=\"b\"/></Group></Resources>"));
    EXPECT_FALSE(rm.ParseResourcesText("<Other/>"));
    EXPECT_FALSE(rm.ParseResourcesText("<Resources><Group id=\"g\"><Sound id=\"s\"/>"
                                       "</Group></Resources>"));
    EXPECT_FALSE(rm.ParseResourcesFile(TempPath("no_such_resources.xml")));
}

TEST(ResourceManager, MissingImageFailsTheGroupAndFreesIt)
{
    std::string strip = WriteStrip("strip3.png", 8, 8);
    ResourceManager rm(nullptr);
    ASSERT_TRUE(rm.ParseResourcesText("<Resources><Group id=\"g\">"
                                      "<Image id=\"A\" path=\"" +
                                      strip +
                                      "\"/>"
                                      "<Image id=\"B\" path=\"" +
                                      TempPath("gone.png") +
                                      "\"/>"
                                      "<Font id=\"F\" face=\"Tahoma\" size=\"9\" bold=\"1\"/>"
                                      "</Group></Resources>"));
    EXPECT_FALSE(rm.LoadResources("g"));
    EXPECT_NE(rm.GetErrorText().find("gone.png"), std::string::npos);
    EXPECT_FALSE(rm.IsGroupLoaded("g"));
    EXPECT_EQ(rm.GetImage("A"), nullptr);
    EXPECT_EQ(rm.GetFont("F"), nullptr);
    EXPECT_FALSE(rm.LoadResources("nope"));
}

TEST(ResourceManager, FontsLoadWithTheirGroup)
{
    ResourceManager rm(nullptr);
    ASSERT_TRUE(rm.ParseResourcesText("<Resources><Group id=\"fonts\">"
                                      "<Font id=\"S\" face=\"Tahoma\" size=\"8\"/>"
                                      "<Font id=\"L\" face=\"Tahoma\" size=\"20\" italic=\"true\"/>"
                                      "</Group></Resources>"));
    ASSERT_TRUE(rm.LoadResources("fonts"));
    Font* s = rm.GetFontThrow("S");
    Font* l = rm.GetFontThrow("L");
    EXPECT_GT(l->GetHeight(), s->GetHeight());
}

// Images and the resource list itself are served from an archive when the
// reader is published.
TEST(ResourceManager, ReadsFromAnArchive)
{
    int w = 6, h = 4;
    std::vector<uint32_t> px(w * h, 0xFF10A0C0);
    std::string pngPath = TempPath("pak_src.png");
    ASSERT_TRUE(ImageLib::WritePNGPixels(pngPath, px.data(), w, h));
    ImageTestFiles::Bytes png = ImageTestFiles::ReadFile(pngPath);
    std::vector<uint32_t> maskPx(w * h, 0xFF808080);
    ASSERT_TRUE(ImageLib::WritePNGPixels(pngPath, maskPx.data(), w, h));
    ImageTestFiles::Bytes mask = ImageTestFiles::ReadFile(pngPath);

    std::string xml = "<Resources><Group id=\"p\"><Image id=\"I\" path=\"pakonly\\pic.png\"/>"
                      "</Group></Resources>";
    std::vector<PakWriterEntry> entries = {
        {"pakonly\\pic.png", 0, std::string(png.begin(), png.end())},
        {"pakonly\\pic_.png", 0, std::string(mask.begin(), mask.end())},
        {"pakonly\\res.xml", 0, xml},
    };
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(PakBuildArchive(entries, archive, &error)) << error;
    // Registered by a name in normalised form ('\\' separators), as the reader wants.
    std::string pakPath = "resources_test_files\\images.pak";
    TempPath("images.pak"); // makes the folder
    ASSERT_TRUE(
        ImageTestFiles::WriteFile(pakPath, ImageTestFiles::Bytes(archive.begin(), archive.end())));

    std::unique_ptr<PakInterface> pak(new PakInterface());
    ASSERT_TRUE(pak->AddPakFile(pakPath));
    std::unique_ptr<ImageLib::Image> img(ImageLib::GetImage("PakOnly/Pic", true));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->mWidth, w);
    EXPECT_EQ(img->mBits[0], 0x8010A0C0u); // alpha from the companion beside it

    ResourceManager rm(nullptr);
    ASSERT_TRUE(rm.ParseResourcesFile("pakonly/res.xml")) << rm.GetErrorText();
    ASSERT_TRUE(rm.LoadResources("p")) << rm.GetErrorText();
    EXPECT_EQ(rm.GetImage("I")->GetPixels()[0], 0x8010A0C0u);
    pak.reset();
    EXPECT_EQ(ImageLib::GetImage("pakonly/pic.png", true), nullptr);
}
