#include "game/ui/KpLayout.h"

#include <map>
#include <mutex>
#include <vector>

#include "framework/app/StringUtils.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"
#include "game/ui/KpAnim.h"
#include "game/ui/KpBar.h"
#include "game/ui/KpButton.h"
#include "game/ui/KpCheckBox.h"
#include "game/ui/KpDialog.h"
#include "game/ui/KpEditWidget.h"
#include "game/ui/KpList.h"
#include "game/ui/KpScrollBar.h"
#include "game/ui/KpSlider.h"
#include "game/ui/KpText.h"

namespace
{
template <class T> KpCandyWidget* Make()
{
    return new T();
}

std::mutex gTypeLock; // guards gTypes: layouts are read on the loading thread
std::map<std::string, KpLayout::CreateFn>& Types()
{
    static std::map<std::string, KpLayout::CreateFn> types = {
        {"kpwidget", Make<KpCandyWidget>},  {"kpdialog", Make<KpDialog>},
        {"kptext", Make<KpText>},           {"kpbutton", Make<KpButton>},
        {"kpcheckbox", Make<KpCheckBox>},   {"kplist", Make<KpList>},
        {"kpedit", Make<KpEditWidget>},     {"kpslider", Make<KpSlider>},
        {"kpscrollbar", Make<KpScrollBar>}, {"kpbar", Make<KpBar>},
        {"kpanim", Make<KpAnim>},
    };
    return types;
}

// The attribute's text when present.
bool Text(IXMLDOMNode* e, const char* name, std::wstring& text)
{
    return XmlGetAttr(e, Lumo::StringToWString(name).c_str(), text);
}

bool BadValue(KpCandyWidget* w, const char* name, const std::wstring& text, const char* want)
{
    KpLayout::Warn(w, Lumo::StrFormat("bad attribute %s=\"%s\" (%s)", name,
                                      Lumo::WStringToString(text).c_str(), want));
    return false;
}

// Integers separated by ';', exactly `count` of them.
bool ParseInts(const std::wstring& text, std::vector<int>& values, size_t count)
{
    values.clear();
    size_t start = 0;
    for (;;)
    {
        size_t end = text.find(L';', start);
        int v = 0;
        if (!XmlParseInt(text.substr(start, end == std::wstring::npos ? end : end - start), v))
            return false;
        values.push_back(v);
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return values.size() == count;
}
} // namespace

namespace KpLayout
{

KpCandyWidget* CreateWidget(const std::string& type)
{
    std::lock_guard<std::mutex> lock(gTypeLock);
    auto found = Types().find(type);
    return found == Types().end() ? nullptr : found->second();
}

void RegisterType(const std::string& type, CreateFn create)
{
    std::lock_guard<std::mutex> lock(gTypeLock);
    Types()[type] = create;
}

void ReadChildren(KpCandyWidget* parent, IXMLDOMNode* element)
{
    XmlForEachNode(element, L"widget",
                   [parent](IXMLDOMNode* node)
                   {
                       std::string type, name;
                       ReadString(node, "type", type);
                       ReadString(node, "name", name);
                       KpCandyWidget* child = CreateWidget(type);
                       if (!child)
                       {
                           Warn(parent,
                                "child '" + name + "' of unknown type '" + type + "' skipped");
                           return;
                       }
                       child->mName = name;
                       child->ReadXml(node);
                       parent->AddChild(name, child);
                   });
}

void ForEachAttribute(IXMLDOMNode* e,
                      const std::function<void(const std::string&, const std::string&)>& fn)
{
    IXMLDOMNamedNodeMap* attributes = nullptr;
    if (!e || FAILED(e->get_attributes(&attributes)) || !attributes)
        return;
    long count = 0;
    attributes->get_length(&count);
    for (long i = 0; i < count; i++)
    {
        IXMLDOMNode* attribute = nullptr;
        if (FAILED(attributes->get_item(i, &attribute)) || !attribute)
            continue;
        BSTR name = nullptr;
        attribute->get_nodeName(&name);
        std::wstring attrName = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
        SysFreeString(name);
        std::wstring value = XmlGetText(attribute);
        attribute->Release();
        fn(Lumo::WStringToString(attrName), Lumo::WStringToString(value));
    }
    attributes->Release();
}

bool Has(IXMLDOMNode* e, const char* name)
{
    std::wstring text;
    return Text(e, name, text);
}

bool ReadString(IXMLDOMNode* e, const char* name, std::string& value)
{
    return XmlReadString(e, name, value);
}

bool ReadWString(IXMLDOMNode* e, const char* name, std::wstring& value)
{
    return XmlReadString(e, name, value);
}

bool ReadInt(KpCandyWidget* w, IXMLDOMNode* e, const char* name, int& value)
{
    std::wstring text;
    if (!Text(e, name, text))
        return false;
    int v = 0;
    if (!XmlParseInt(text, v))
        return BadValue(w, name, text, "an integer");
    value = v;
    return true;
}

bool ReadFloat(KpCandyWidget* w, IXMLDOMNode* e, const char* name, float& value)
{
    std::wstring text;
    if (!Text(e, name, text))
        return false;
    float v = 0;
    if (!XmlParseFloat(text, v))
        return BadValue(w, name, text, "a number");
    value = v;
    return true;
}

bool ReadBool(KpCandyWidget* w, IXMLDOMNode* e, const char* name, bool& value)
{
    std::wstring text;
    if (!Text(e, name, text))
        return false;
    int v = 0;
    if (!XmlParseInt(text, v))
        return BadValue(w, name, text, "1 or 0");
    value = v != 0;
    return true;
}

bool ReadColor(KpCandyWidget* w, IXMLDOMNode* e, const char* name, Lumo::Color& value)
{
    std::wstring text;
    if (!Text(e, name, text))
        return false;
    std::vector<int> v;
    if (!ParseInts(text, v, 3) && !ParseInts(text, v, 4))
        return BadValue(w, name, text, "r;g;b or r;g;b;a");
    for (int c : v)
        if (c < 0 || c > 255)
            return BadValue(w, name, text, "components 0-255");
    value = Lumo::Color(v[0], v[1], v[2], v.size() == 4 ? v[3] : 255);
    return true;
}

bool ReadPoint(KpCandyWidget* w, IXMLDOMNode* e, const char* name, int& x, int& y)
{
    std::wstring text;
    if (!Text(e, name, text))
        return false;
    std::vector<int> v;
    if (!ParseInts(text, v, 2))
        return BadValue(w, name, text, "x;y");
    x = v[0];
    y = v[1];
    return true;
}

bool ReadRect(KpCandyWidget* w, IXMLDOMNode* e, const char* name, Lumo::Rect& value)
{
    std::wstring text;
    if (!Text(e, name, text))
        return false;
    std::vector<int> v;
    if (!ParseInts(text, v, 4) || v[2] < 0 || v[3] < 0)
        return BadValue(w, name, text, "x;y;w;h");
    value = Lumo::Rect(v[0], v[1], v[2], v[3]);
    return true;
}

bool ReadChoice(KpCandyWidget* w, IXMLDOMNode* e, const char* name,
                const std::initializer_list<const char*>& words, int& value)
{
    std::wstring text;
    if (!Text(e, name, text))
        return false;
    std::string word = Lumo::WStringToString(text);
    int i = 0;
    std::string all;
    for (const char* choice : words)
    {
        if (word == choice)
        {
            value = i;
            return true;
        }
        all += (i++ ? "|" : "") + std::string(choice);
    }
    return BadValue(w, name, text, all.c_str());
}

void Warn(KpCandyWidget* w, const std::string& text)
{
    WriteLog("WARNING: layout: widget '%s': %s", w ? w->mName.c_str() : "", text.c_str());
}

} // namespace KpLayout
