#include "tests/game/screens/comix/ComixTestSupport.h"

#include "game/screens/KpComix.h"

namespace
{
::testing::Environment* const gComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComTestEnvironment);
} // namespace

void LoadComixText(KpComix& comix, const std::string& comixElements)
{
    KpXmlDocument document = XmlLoadBytes("<comixes>" + comixElements + "</comixes>", "test");
    ASSERT_TRUE(document) << comixElements;
    KpXmlNode element = XmlSelectNode(document.Get(), L"comixes/comix");
    ASSERT_TRUE(element) << comixElements;
    comix.LoadComix(element.Get());
}
