// The comic loader on small documents: every attribute's default and reading
// order, the warning of each bad element with the rest still loading, and
// the shipped comic document surviving seeded mutations.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpComixActor.h"
#include "game/screens/KpComixEpisode.h"
#include "game/screens/KpComixObject.h"
#include "tests/game/screens/comix/ComixTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{

KpComixObjectPic& Pic(KpComix& comix, const std::string& name)
{
    KpComixObject* object = comix.FindObject(name);
    EXPECT_TRUE(object && object->AsPicture()) << name;
    static KpComixObjectPic none;
    return object && object->AsPicture() ? *object->AsPicture() : none;
}

class ComixLoader : public ::testing::Test
{
protected:
    void SetUp() override { StartComixLog(); }
    void TearDown() override { StopComixLog(); }
};

} // namespace

TEST_F(ComixLoader, PicturesAndTextsTakeTheirAttributesOrDefaults)
{
    KpComix comix;
    LoadComixText(
        comix,
        "<comix default_top_offset=\"3\" default_line_space=\"0\" clearBack=\"1\"><objects>"
        "<object type=\"pic\" name=\"p\" file=\"img\\none.png\" pos=\"10;20\" offset=\"1;2\" "
        "color=\"10;20;30\" scale=\"2\" angle=\"45\" alpha=\"0.5\" clipRectPos=\"5.9;-6.9\" "
        "clipRectSize=\"100.7;50.2\" visible=\"true\" staticMask=\"1\" maskStaticPos=\"7;8\" "
        "centerposGlobal=\"1\"/>"
        "<object type=\"pic\" name=\"q\" visible=\"0\" centerpos=\"3;4\"/>"
        "<object type=\"text\" name=\"t\" string_id=\"no_such_text\"/>"
        "<object type=\"text\" name=\"u\" rect_p1=\"10;20\" rect_p2=\"40;30\" "
        "color=\"1;2;3\"/>"
        "</objects></comix>");
    EXPECT_TRUE(comix.GetClearBack());
    EXPECT_EQ(3, comix.GetDefaultTopOffset());
    ASSERT_EQ(4u, comix.GetObjects().size());

    const KpComixObjectState& p = Pic(comix, "p").mState;
    EXPECT_FLOAT_EQ(10.0f, p.pos.x);
    EXPECT_FLOAT_EQ(20.0f, p.pos.y);
    EXPECT_FLOAT_EQ(1.0f, p.offset.x);
    EXPECT_FLOAT_EQ(2.0f, p.offset.y);
    EXPECT_EQ(10, p.color.mRed);
    EXPECT_EQ(30, p.color.mBlue);
    EXPECT_FLOAT_EQ(2.0f, p.scale);
    EXPECT_FLOAT_EQ(45.0f, p.angle);
    EXPECT_FLOAT_EQ(0.5f, p.alpha);
    EXPECT_EQ(Lumo::Rect(5, -6, 100, 50), p.clipRect); // truncated toward zero
    EXPECT_TRUE(p.visible);                            // "true" is no integer: the default stays
    EXPECT_TRUE(p.staticMask);
    EXPECT_FLOAT_EQ(7.0f, p.maskStaticPos.x);
    EXPECT_TRUE(p.centerposGlobal);
    EXPECT_FLOAT_EQ(512.0f, p.centerpos.x); // global: half the screen
    EXPECT_FLOAT_EQ(384.0f, p.centerpos.y);
    EXPECT_NE(std::string::npos, ComixLogText().find("WARNING: Can not load img\\none.png"));

    const KpComixObjectPic& q = Pic(comix, "q");
    EXPECT_TRUE(q.mPicture.IsEmpty());
    EXPECT_EQ(255, q.mState.color.mGreen);
    EXPECT_FLOAT_EQ(0.0f, q.mState.pos.x);
    EXPECT_FLOAT_EQ(1.0f, q.mState.scale);
    EXPECT_FLOAT_EQ(1.0f, q.mState.alpha);
    EXPECT_FALSE(q.mState.visible);
    EXPECT_FLOAT_EQ(3.0f, q.mState.centerpos.x);
    EXPECT_EQ(Lumo::Rect(0, 0, 1024, 768), q.mState.clipRect);

    // A text without its corners renders into the box 0;0 to 100;100, in black.
    const KpComixObjectPic& t = Pic(comix, "t");
    ASSERT_FALSE(t.mPicture.IsEmpty());
    EXPECT_EQ(100, t.mPicture.GetWidth());
    EXPECT_EQ(100, t.mPicture.GetHeight());
    EXPECT_FLOAT_EQ(0.0f, t.mState.offset.x);
    EXPECT_FLOAT_EQ(0.0f, t.mState.pos.x);
    EXPECT_EQ(0, t.mState.color.mRed);
    EXPECT_FLOAT_EQ(50.0f, t.mState.centerpos.x); // half the box
    const KpComixObjectPic& u = Pic(comix, "u");
    EXPECT_FLOAT_EQ(10.0f, u.mState.offset.x); // placed at rect_p1
    EXPECT_FLOAT_EQ(20.0f, u.mState.offset.y);
    EXPECT_EQ(30, u.mPicture.GetWidth());
    EXPECT_EQ(10, u.mPicture.GetHeight());
    EXPECT_EQ(3, u.mState.color.mBlue);
}

TEST_F(ComixLoader, BadElementsAreSkippedWithTheirWarningsAndTheRestLoads)
{
    KpComix comix;
    LoadComixText(
        comix,
        "<comix><objects>"
        "<object name=\"untyped\"/>"
        "<object type=\"video\" name=\"v\"/>"
        "<object type=\"pic\" name=\"a\" pos=\"1;1\"/>"
        "<object type=\"pic\" name=\"a\" pos=\"5;5\"/>"
        "<object type=\"pic\" name=\"b\"/>"
        "<object type=\"text\" name=\"inside_out\" rect_p1=\"50;50\" rect_p2=\"10;80\"/>"
        "</objects><objectGroups>"
        "<group name=\"g\"><object name=\"a\"/><object name=\"ghost\"/></group>"
        "<group name=\"g\"><object name=\"b\"/></group>"
        "</objectGroups><episodes><episode>"
        "<actor action=\"set_pos_x\" object=\"a\" val=\"9\" t=\"0\"/>"
        "<actor action=\"set_pos_y\" object=\"b\" group=\"g\" val=\"9\" t=\"0\"/>"
        "<actor action=\"fly\" object=\"a\"/>"
        "<actor action=\"set_scale\" object=\"ghost\" val=\"2\" t=\"0\"/>"
        "<actor action=\"set_scale\" group=\"nog\" val=\"2\" t=\"0\"/>"
        "<actor action=\"set_scale\" val=\"2\" t=\"0\"/>"
        "<actor action=\"set_scale\" object=\"a\" t=\"0\"/>"
        "<actor action=\"set_scale\" object=\"a\" val=\"2\"/>"
        "<actor action=\"change_scale\" object=\"a\" val1=\"2\" t1=\"0\" t2=\"1\"/>"
        "<actor action=\"change_scale\" object=\"a\" val1=\"2\" val2=\"3\" t1=\"0\" t2=\"1\" "
        "rule=\"bounce\"/>"
        "</episode><episode finish_delay=\"1.5\">"
        "<actor action=\"set_alpha\" object=\"ghost\" val=\"0\" t=\"4\"/>"
        "</episode></episodes></comix>");

    const std::string log = ComixLogText();
    for (const char* line :
         {"WARNING: Object type not defined.", "WARNING: Unknown object type 'video'.",
          "WARNING: more then one object with name 'a'",
          "WARNING: Text object 'inside_out' has a bad box",
          "WARNING: Object with name 'ghost' not found. (group 'g')",
          "WARNING: More then one object groups with name 'g'",
          "WARNING: KpComixActor - group 'g' and object 'b' in single actor not supported.",
          "WARNING: Can not create actor for action 'fly'",
          "WARNING: KpComixActor - object 'ghost' does not exist",
          "WARNING: KpComixActor - group 'nog' does not exist",
          "WARNING: KpComixActor - no atributes 'object' or 'group'",
          "WARNING: KpComixActorSetValue - bad atribute 'val'",
          "WARNING: KpComixActorSetValue - bad atribute 't'",
          "WARNING: KSComixActorChangeValue - bad atribute 'val2'",
          "WARNING: KSComixActorChangeValue - rule 'bounce' is unknown."})
        EXPECT_NE(std::string::npos, log.find(line)) << line << "\n" << log;

    // The first "a" stays and the actors act on it; the object of an actor
    // that also names a group wins over the group.
    ASSERT_EQ(3u, comix.GetObjects().size());
    EXPECT_FLOAT_EQ(9.0f, Pic(comix, "a").mState.pos.x);
    EXPECT_FLOAT_EQ(1.0f, Pic(comix, "a").mState.pos.y);
    EXPECT_FLOAT_EQ(9.0f, Pic(comix, "b").mState.pos.y);
    ASSERT_NE(nullptr, comix.FindGroup("g"));
    EXPECT_EQ(1u, comix.FindGroup("g")->mObjects.size());
    EXPECT_TRUE(Pic(comix, "inside_out").mPicture.IsEmpty()); // refused: draws nothing

    // The episode whose actors all failed is kept: no duration, its finish delay.
    ASSERT_EQ(2u, comix.GetEpisodes().size());
    EXPECT_EQ(2u, comix.GetEpisodes()[0]->mActors.size());
    EXPECT_TRUE(comix.GetEpisodes()[1]->mActors.empty());
    EXPECT_FLOAT_EQ(0.0f, comix.GetEpisodes()[1]->mDuration);
    EXPECT_FLOAT_EQ(1.5f, comix.GetEpisodes()[1]->mFinishDelay);
    EXPECT_EQ(0, comix.GetEpisodeIndex());
}

namespace
{
// Deterministic 32-bit generator for the mutations.
struct Seeded
{
    uint32_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }
};

// Values an attribute may end up holding.
const wchar_t* const kOddValues[] = {
    L"",        L"-1",       L"0",      L"1e30", L"-1e30",   L"nan",        L"inf",      L"3;",
    L";",       L"1;2;3;4",  L"999999", L"a;b",  L"-0.0001", L"2147483647", L"0.5;1e38", L"true",
    L"set_pos", L"change_x", L"easeIn", L"room", L"zorka",   L"\"x\""};
const wchar_t* const kNames[] = {L"name", L"object", L"group",   L"action",   L"type",
                                 L"val",  L"val1",   L"t2",      L"loop",     L"local",
                                 L"rule", L"scale",  L"rect_p2", L"sound_id", L"finish_delay"};

std::vector<KpComPtr<IXMLDOMElement>> Elements(IXMLDOMNode* root)
{
    std::vector<KpComPtr<IXMLDOMElement>> elements;
    XmlForEachNode(
        root, L"descendant-or-self::*",
        [&](IXMLDOMNode* node)
        {
            KpComPtr<IXMLDOMElement> element;
            if (SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement, (void**)element.Receive())))
                elements.push_back(element);
        });
    return elements;
}

// One change to a well-formed comic (its elements, the comix element first):
// an attribute set to an odd value, taken away or given to another element,
// an element dropped or repeated.
void Mutate(const std::vector<KpComPtr<IXMLDOMElement>>& elements, Seeded& random)
{
    if (elements.empty())
        return;
    IXMLDOMElement* element = elements[random.Below(elements.size())].Get();
    const size_t names = sizeof(kNames) / sizeof(*kNames);
    switch (random.Below(4))
    {
    case 0:
    {
        KpComPtr<IXMLDOMNamedNodeMap> attributes;
        long count = 0;
        KpComPtr<IXMLDOMNode> attribute;
        BSTR name = nullptr;
        if (SUCCEEDED(element->get_attributes(attributes.Receive())) && attributes &&
            SUCCEEDED(attributes->get_length(&count)) && count > 0 &&
            SUCCEEDED(attributes->get_item((long)random.Below(count), attribute.Receive())) &&
            attribute && SUCCEEDED(attribute->get_nodeName(&name)))
        {
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_BSTR;
            value.bstrVal =
                SysAllocString(kOddValues[random.Below(sizeof(kOddValues) / sizeof(*kOddValues))]);
            element->setAttribute(name, value);
            VariantClear(&value);
            SysFreeString(name);
        }
        break;
    }
    case 1:
    {
        BSTR name = SysAllocString(kNames[random.Below(names)]);
        element->removeAttribute(name);
        SysFreeString(name);
        break;
    }
    case 2:
    {
        BSTR name = SysAllocString(kNames[random.Below(names)]);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal =
            SysAllocString(kOddValues[random.Below(sizeof(kOddValues) / sizeof(*kOddValues))]);
        element->setAttribute(name, value);
        VariantClear(&value);
        SysFreeString(name);
        break;
    }
    default:
    {
        KpComPtr<IXMLDOMNode> parent;
        if (FAILED(element->get_parentNode(parent.Receive())) || !parent ||
            element == elements[0].Get())
            break;
        if (random.Below(2))
        {
            KpComPtr<IXMLDOMNode> removed;
            parent->removeChild(element, removed.Receive());
        }
        else
        {
            KpComPtr<IXMLDOMNode> copy, added;
            if (SUCCEEDED(element->cloneNode(VARIANT_TRUE, copy.Receive())) && copy)
                parent->appendChild(copy.Get(), added.Receive());
        }
        break;
    }
    }
}
} // namespace

TEST(ComixLoaderMutations, SeededMutationsOfTheShippedComicsNeverCrashTheLoader)
{
    const std::string shipped = ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/comix.xml");
    ASSERT_NE("<missing>", shipped);
    KpXmlDocument document = XmlLoadBytes(shipped, "comix.xml");
    ASSERT_TRUE(document);
    std::vector<KpXmlNode> comics;
    XmlForEachNode(document.Get(), L"comixes/comix",
                   [&](IXMLDOMNode* comic)
                   {
                       comic->AddRef();
                       comics.push_back(KpXmlNode(comic));
                   });
    ASSERT_GE(comics.size(), 6u);
    // Picture paths emptied: the runs then read no files (a missing picture
    // is only a warning), so ten thousand of them stay quick.
    for (KpXmlNode& comic : comics)
        for (auto& element : Elements(comic.Get()))
            for (const wchar_t* path : {L"file", L"mask", L"atlaspack"})
            {
                BSTR name = SysAllocString(path);
                element->removeAttribute(name);
                SysFreeString(name);
            }

    Lumo::MemoryImage canvas(nullptr);
    canvas.Create(256, 192);
    Seeded random{20240611u};
    for (int i = 0; i < 10000; i++)
    {
        KpXmlNode copy;
        ASSERT_TRUE(SUCCEEDED(
            comics[random.Below(comics.size())]->cloneNode(VARIANT_TRUE, copy.Receive())));
        const std::vector<KpComPtr<IXMLDOMElement>> elements = Elements(copy.Get());
        const int changes = 1 + (int)random.Below(4);
        for (int c = 0; c < changes; c++)
            Mutate(elements, random);
        KpComix comix;
        comix.LoadComix(copy.Get());
        // Every episode runs on and is skipped, as a player would, and the
        // scene is drawn (its texts are pictures) half way and at the end.
        for (float clock = 0.0f; clock < 3.0f; clock += 0.5f)
            for (KpComixEpisode* episode : comix.GetEpisodes())
                episode->Apply(clock);
        Lumo::Graphics g(&canvas);
        for (KpComixObject* object : comix.GetObjects())
            object->Draw(&g);
        while (comix.GetEpisodeIndex() < (int)comix.GetEpisodes().size())
            comix.SkipEpisode();
        for (KpComixObject* object : comix.GetObjects())
            object->Draw(&g);
    }
}
