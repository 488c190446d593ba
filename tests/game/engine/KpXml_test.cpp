// The XML readers over MSXML 3: the attribute rules, XPath visits and a
// document read from inside an archive.
#include "game/engine/KpXml.h"

#include <gtest/gtest.h>

#include "framework/app/PakInterface.h"
#include "framework/app/PakWriter.h"
#include "tests/game/engine/EngineTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{
const char* const kDoc =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<root>\n"
    "  <item name=\"caf\xC3\xA9\" n=\" 42 \" neg=\"-7\" big=\"99999999999\" f=\"2.5\" "
    "fbad=\"2,5\" yes=\"true\" one=\"1\" zero=\"0\" word=\"maybe\" p=\"1.5;-2\" "
    "pbad=\"1.5\" c=\"10;20;30\" cbad=\"10;20\" cover=\"10;20;300\"/>\n"
    "  <item name=\"second\"/>\n"
    "  <text>line one\nline two</text>\n"
    "</root>\n";

class KpXmlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mDoc = XmlLoadBytes(kDoc, "test");
        ASSERT_TRUE(mDoc);
        mItem = XmlSelectNode(mDoc.Get(), L"root/item[1]");
        ASSERT_TRUE(mItem);
    }
    KpXmlDocument mDoc;
    KpXmlNode mItem;
};
} // namespace

TEST_F(KpXmlTest, NarrowReadersStoreOnlyPresentParsableValues)
{
    IXMLDOMNode* e = mItem.Get();
    int i = 5;
    EXPECT_TRUE(XmlReadInt(e, "n", i));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(XmlReadInt(e, "neg", i));
    EXPECT_EQ(i, -7);
    for (const char* bad : {"missing", "big", "f", "word"})
    {
        i = 5;
        EXPECT_FALSE(XmlReadInt(e, bad, i)) << bad;
        EXPECT_EQ(i, 5) << bad;
    }

    float f = 9;
    EXPECT_TRUE(XmlReadFloat(e, "f", f));
    EXPECT_FLOAT_EQ(f, 2.5f);
    f = 9;
    EXPECT_FALSE(XmlReadFloat(e, "fbad", f));
    EXPECT_FALSE(XmlReadFloat(e, "missing", f));
    EXPECT_FLOAT_EQ(f, 9);

    // Booleans here are integers only.
    bool b = false;
    EXPECT_TRUE(XmlReadBool(e, "one", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(XmlReadBool(e, "zero", b));
    EXPECT_FALSE(b);
    b = true;
    EXPECT_FALSE(XmlReadBool(e, "yes", b));
    EXPECT_TRUE(b);

    Lumo::LumoVector2 p(7, 7);
    EXPECT_TRUE(XmlReadPoint(e, "p", p));
    EXPECT_FLOAT_EQ(p.x, 1.5f);
    EXPECT_FLOAT_EQ(p.y, -2.0f);
    p = Lumo::LumoVector2(7, 7);
    EXPECT_FALSE(XmlReadPoint(e, "pbad", p));
    EXPECT_FLOAT_EQ(p.x, 7);

    Lumo::Color c(1, 2, 3, 4);
    EXPECT_TRUE(XmlReadColor(e, "c", c));
    EXPECT_EQ(c.mRed, 10);
    EXPECT_EQ(c.mGreen, 20);
    EXPECT_EQ(c.mBlue, 30);
    EXPECT_EQ(c.mAlpha, 255);
    c = Lumo::Color(1, 2, 3, 4);
    EXPECT_FALSE(XmlReadColor(e, "cbad", c));
    EXPECT_FALSE(XmlReadColor(e, "cover", c));
    EXPECT_EQ(c.mRed, 1);
    EXPECT_EQ(c.mAlpha, 4);

    std::wstring s = L"keep";
    EXPECT_TRUE(XmlReadString(e, "name", s));
    EXPECT_EQ(s, L"caf\u00e9");
    s = L"keep";
    EXPECT_FALSE(XmlReadString(e, "missing", s));
    EXPECT_EQ(s, L"keep");
}

TEST_F(KpXmlTest, WideReadersFallBackAndAcceptTrueOrNonZero)
{
    IXMLDOMNode* e = mItem.Get();
    EXPECT_EQ(XmlGetAttrInt(e, L"n", 1), 42);
    EXPECT_EQ(XmlGetAttrInt(e, L"word", 1), 1);
    EXPECT_EQ(XmlGetAttrInt(e, L"missing", 3), 3);
    EXPECT_FLOAT_EQ(XmlGetAttrFloat(e, L"f", 0), 2.5f);
    EXPECT_EQ(XmlGetAttrString(e, L"missing", L"x"), L"x");
    EXPECT_TRUE(XmlGetAttrBool(e, L"yes"));
    EXPECT_TRUE(XmlGetAttrBool(e, L"one"));
    EXPECT_FALSE(XmlGetAttrBool(e, L"zero", true));
    EXPECT_FALSE(XmlGetAttrBool(e, L"word", true));
    EXPECT_TRUE(XmlGetAttrBool(e, L"missing", true));
}

TEST_F(KpXmlTest, XPathVisitsNodesInOrderAndTextKeepsLines)
{
    std::vector<std::wstring> names;
    int count =
        XmlForEachNode(mDoc.Get(), L"root/item",
                       [&](IXMLDOMNode* n) { names.push_back(XmlGetAttrString(n, L"name")); });
    EXPECT_EQ(count, 2);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], L"second");
    EXPECT_TRUE(XmlSelectNode(mDoc.Get(), L"root/item[@name=\"second\"]"));
    EXPECT_FALSE(XmlSelectNode(mDoc.Get(), L"root/item[@name=\"third\"]"));
    EXPECT_EQ(XmlGetText(XmlSelectNode(mDoc.Get(), L"root/text").Get()), L"line one\nline two");
    EXPECT_EQ(XmlGetName(mItem.Get()), L"item");
}

TEST(KpXmlFile, DocumentInsideAnArchiveLoadsLikeALooseFileAndBadOnesAreRefused)
{
    TempFolder temp;
    ASSERT_NO_FATAL_FAILURE(temp.Enter("kp_xml_"));
    StartTestLog();
    std::vector<uint8_t> archive;
    ASSERT_TRUE(PakBuildArchive(
        {{"cfg\\inside.xml", 0, kDoc}, {"cfg\\bad.xml", 0, "<root><a></root>"}}, archive, nullptr));
    WriteTestFile("test.pak", std::string(archive.begin(), archive.end()));
    {
        PakInterface pak;
        ASSERT_TRUE(pak.AddPakFile("test.pak"));
        KpXmlDocument doc = XmlLoadFile("cfg\\inside.xml");
        ASSERT_TRUE(doc);
        EXPECT_EQ(XmlGetAttrInt(XmlSelectNode(doc.Get(), L"root/item").Get(), L"n"), 42);
        EXPECT_FALSE(XmlLoadFile("cfg\\bad.xml"));
        EXPECT_FALSE(XmlLoadFile("cfg\\missing.xml"));
    }
    std::string log = TestLogText();
    EXPECT_NE(log.find("WARNING: XmlLoadFile: 'cfg\\bad.xml' does not parse"), std::string::npos)
        << log;
    EXPECT_NE(log.find("WARNING: XmlLoadFile: cannot read 'cfg\\missing.xml'"), std::string::npos)
        << log;
    StopTestLog();
    temp.Leave();
}
