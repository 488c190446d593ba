#include "game/engine/KpXml.h"

#include <oleauto.h>

#include <cwchar>
#include <vector>

#include "framework/app/StringUtils.h"
#include "game/engine/KpFile.h"
#include "game/engine/KpLog.h"

namespace
{
// Not in the MinGW import libraries; the interface's published identifier.
const IID kIID_IXMLDOMDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// A BSTR freed when it goes.
class Bstr
{
public:
    explicit Bstr(const std::wstring& text)
        : mText(SysAllocStringLen(text.data(), UINT(text.size())))
    {
    }
    Bstr() = default;
    ~Bstr() { SysFreeString(mText); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* Receive()
    {
        SysFreeString(mText);
        mText = nullptr;
        return &mText;
    }
    BSTR Get() const { return mText; }
    std::wstring Text() const { return mText ? std::wstring(mText, SysStringLen(mText)) : L""; }

private:
    BSTR mText = nullptr;
};

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

std::wstring Strip(const std::wstring& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        first++;
    while (last > first && IsBlank(text[last - 1]))
        last--;
    return text.substr(first, last - first);
}

// Splits at ';' into exactly `count` parts.
bool SplitParts(const std::wstring& text, size_t count, std::vector<std::wstring>& parts)
{
    parts.clear();
    size_t start = 0;
    for (;;)
    {
        size_t semi = text.find(L';', start);
        parts.push_back(text.substr(start, semi == std::wstring::npos ? semi : semi - start));
        if (semi == std::wstring::npos)
            break;
        start = semi + 1;
    }
    return parts.size() == count;
}

std::wstring WideName(const char* name)
{
    return std::wstring(name, name + strlen(name));
}

// UTF-8 (with or without its mark) or UTF-16 little-endian with its mark.
bool DecodeText(const std::string& bytes, std::wstring& text)
{
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
    {
        size_t units = (bytes.size() - 2) / 2;
        text.assign(units, L'\0');
        if (units)
            memcpy(&text[0], bytes.data() + 2, units * 2);
        return true;
    }
    size_t skip = bytes.size() >= 3 && uint8_t(bytes[0]) == 0xEF && uint8_t(bytes[1]) == 0xBB &&
                          uint8_t(bytes[2]) == 0xBF
                      ? 3
                      : 0;
    int length = int(bytes.size() - skip);
    text.clear();
    if (length == 0)
        return true;
    int units =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + skip, length, nullptr, 0);
    if (units <= 0)
        return false;
    text.resize(size_t(units));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + skip, length, &text[0],
                        units);
    return true;
}

void LogParseError(IXMLDOMDocument2* document, const std::string& name)
{
    KpComPtr<IXMLDOMParseError> error;
    long line = 0;
    Bstr reason;
    if (SUCCEEDED(document->get_parseError(error.Receive())) && error)
    {
        error->get_line(&line);
        error->get_reason(reason.Receive());
    }
    WriteLog("WARNING: XmlLoadFile: '%s' does not parse (line %ld): %s", name.c_str(), line,
             Lumo::WStringToString(Strip(reason.Text())).c_str());
}

// The attribute read by the parsing rule into `value`, which is left as it
// was when the attribute is missing or does not parse.
template <typename T>
bool ReadParsed(IXMLDOMNode* node, const wchar_t* name, T& value,
                bool (*parse)(const std::wstring&, T&))
{
    std::wstring text;
    T parsed = 0;
    if (!XmlGetAttr(node, name, text) || !parse(text, parsed))
        return false;
    value = parsed;
    return true;
}
} // namespace

// --- Documents and queries

KpXmlDocument XmlLoadBytes(const std::string& bytes, const std::string& nameForLog)
{
    std::wstring text;
    if (!DecodeText(bytes, text))
    {
        WriteLog("WARNING: XmlLoadFile: '%s' is not UTF-8 text", nameForLog.c_str());
        return KpXmlDocument();
    }
    // The declaration names the file's encoding; the text handed over is UTF-16 by now.
    if (text.compare(0, 5, L"<?xml") == 0)
    {
        size_t end = text.find(L"?>");
        if (end != std::wstring::npos)
            text.erase(0, end + 2);
    }

    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)))
    {
        WriteLog("WARNING: XmlLoadFile: MSXML 3 is not available");
        return KpXmlDocument();
    }
    KpXmlDocument document;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIID_IXMLDOMDocument2,
                                  (void**)document.Receive());
    if (FAILED(hr) || !document)
    {
        WriteLog("WARNING: XmlLoadFile: no DOM document (0x%08lx)", (unsigned long)hr);
        return KpXmlDocument();
    }
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    VARIANT language;
    VariantInit(&language);
    language.vt = VT_BSTR;
    language.bstrVal = SysAllocString(L"XPath");
    document->setProperty(Bstr(L"SelectionLanguage").Get(), language);
    VariantClear(&language);

    VARIANT_BOOL parsed = VARIANT_FALSE;
    Bstr source(text);
    if (FAILED(document->loadXML(source.Get(), &parsed)) || parsed != VARIANT_TRUE)
    {
        LogParseError(document.Get(), nameForLog);
        return KpXmlDocument();
    }
    return document;
}

KpXmlDocument XmlLoadFile(const std::string& path)
{
    std::string bytes;
    if (!KpReadFile(path, bytes))
    {
        WriteLog("WARNING: XmlLoadFile: cannot read '%s'", path.c_str());
        return KpXmlDocument();
    }
    return XmlLoadBytes(bytes, path);
}

int XmlForEachNode(IXMLDOMNode* root, const std::wstring& xpath,
                   const std::function<void(IXMLDOMNode*)>& visit)
{
    if (!root)
        return 0;
    KpComPtr<IXMLDOMNodeList> list;
    if (FAILED(root->selectNodes(Bstr(xpath).Get(), list.Receive())) || !list)
        return 0;
    long length = 0;
    list->get_length(&length);
    int visited = 0;
    for (long i = 0; i < length; i++)
    {
        KpXmlNode node;
        if (SUCCEEDED(list->get_item(i, node.Receive())) && node)
        {
            visit(node.Get());
            visited++;
        }
    }
    return visited;
}

KpXmlNode XmlSelectNode(IXMLDOMNode* root, const std::wstring& xpath)
{
    KpXmlNode node;
    if (root)
        root->selectSingleNode(Bstr(xpath).Get(), node.Receive());
    return node;
}

std::wstring XmlGetText(IXMLDOMNode* node)
{
    Bstr text;
    if (node)
        node->get_text(text.Receive());
    return text.Text();
}

std::wstring XmlGetName(IXMLDOMNode* node)
{
    DOMNodeType type = NODE_INVALID;
    if (!node || FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT)
        return std::wstring();
    Bstr name;
    node->get_nodeName(name.Receive());
    return name.Text();
}

// --- Attributes by wide name

bool XmlGetAttr(IXMLDOMNode* node, const wchar_t* name, std::wstring& value)
{
    if (!node)
        return false;
    KpComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(node->get_attributes(attributes.Receive())) || !attributes)
        return false;
    KpXmlNode attribute;
    if (FAILED(attributes->getNamedItem(Bstr(name).Get(), attribute.Receive())) || !attribute)
        return false;
    Bstr text;
    if (FAILED(attribute->get_text(text.Receive())))
        return false;
    value = text.Text();
    return true;
}

std::wstring XmlGetAttrString(IXMLDOMNode* node, const wchar_t* name, const std::wstring& fallback)
{
    std::wstring value = fallback;
    XmlGetAttr(node, name, value);
    return value;
}

int XmlGetAttrInt(IXMLDOMNode* node, const wchar_t* name, int fallback)
{
    int value = fallback;
    ReadParsed(node, name, value, XmlParseInt);
    return value;
}

float XmlGetAttrFloat(IXMLDOMNode* node, const wchar_t* name, float fallback)
{
    float value = fallback;
    ReadParsed(node, name, value, XmlParseFloat);
    return value;
}

bool XmlGetAttrBool(IXMLDOMNode* node, const wchar_t* name, bool fallback)
{
    std::wstring text;
    if (!XmlGetAttr(node, name, text))
        return fallback;
    if (_wcsicmp(Strip(text).c_str(), L"true") == 0)
        return true;
    int number = 0;
    return XmlParseInt(text, number) && number != 0;
}

// --- Attributes by narrow name

bool XmlReadString(IXMLDOMNode* node, const char* name, std::wstring& value)
{
    return XmlGetAttr(node, WideName(name).c_str(), value);
}

bool XmlReadString(IXMLDOMNode* node, const char* name, std::string& value)
{
    std::wstring text;
    if (!XmlGetAttr(node, WideName(name).c_str(), text))
        return false;
    value = Lumo::WStringToString(text);
    return true;
}

bool XmlReadInt(IXMLDOMNode* node, const char* name, int& value)
{
    return ReadParsed(node, WideName(name).c_str(), value, XmlParseInt);
}

bool XmlReadFloat(IXMLDOMNode* node, const char* name, float& value)
{
    return ReadParsed(node, WideName(name).c_str(), value, XmlParseFloat);
}

bool XmlReadBool(IXMLDOMNode* node, const char* name, bool& value)
{
    int number = 0;
    if (!XmlReadInt(node, name, number))
        return false;
    value = number != 0;
    return true;
}

bool XmlReadPoint(IXMLDOMNode* node, const char* name, Lumo::LumoVector2& value)
{
    std::wstring text;
    std::vector<std::wstring> parts;
    float x = 0, y = 0;
    if (!XmlGetAttr(node, WideName(name).c_str(), text) || !SplitParts(text, 2, parts) ||
        !XmlParseFloat(parts[0], x) || !XmlParseFloat(parts[1], y))
        return false;
    value = Lumo::LumoVector2(x, y);
    return true;
}

bool XmlReadColor(IXMLDOMNode* node, const char* name, Lumo::Color& value)
{
    std::wstring text;
    std::vector<std::wstring> parts;
    if (!XmlGetAttr(node, WideName(name).c_str(), text) || !SplitParts(text, 3, parts))
        return false;
    int channel[3];
    for (int i = 0; i < 3; i++)
        if (!XmlParseInt(parts[i], channel[i]) || channel[i] < 0 || channel[i] > 255)
            return false;
    value = Lumo::Color(channel[0], channel[1], channel[2], 255);
    return true;
}

// --- Parsing rules

bool XmlParseInt(const std::wstring& text, int& value)
{
    std::wstring s = Strip(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+'))
        negative = s[i++] == L'-';
    if (i == s.size())
        return false;
    long long number = 0;
    for (; i < s.size(); i++)
    {
        if (s[i] < L'0' || s[i] > L'9')
            return false;
        number = number * 10 + (s[i] - L'0');
        if (number > 2147483648LL)
            return false;
    }
    if (negative)
        number = -number;
    if (number > 2147483647LL)
        return false;
    value = int(number);
    return true;
}

bool XmlParseFloat(const std::wstring& text, float& value)
{
    std::wstring s = Strip(text);
    if (s.empty())
        return false;
    // Digits, one point, an optional exponent: nothing the runtime's locale could read otherwise.
    for (wchar_t c : s)
        if (!((c >= L'0' && c <= L'9') || c == L'.' || c == L'-' || c == L'+' || c == L'e' ||
              c == L'E'))
            return false;
    wchar_t* end = nullptr;
    double number = wcstod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !(number >= -3.4e38 && number <= 3.4e38))
        return false;
    value = float(number);
    return true;
}
