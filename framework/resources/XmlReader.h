#pragma once
// A small XML reader for the framework's own description files (resource
// lists): elements, attributes and text, with comments, processing
// instructions, DOCTYPE and CDATA understood. Input is UTF-8 (an optional
// byte-order mark is skipped); names and values stay UTF-8. Malformed input
// gives false and an error text naming the line, never a partial tree.

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Lumo
{

struct XmlElement
{
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes; // document order
    std::vector<std::unique_ptr<XmlElement>> children;
    std::string text; // character data directly inside, entities decoded
    int line = 0;     // where the start tag begins

    // The attribute's value, or null when absent.
    const std::string* FindAttribute(const std::string& attrName) const;
};

class XmlReader
{
public:
    // Parses a whole document; the root element goes to root.
    bool Parse(const std::string& text, std::unique_ptr<XmlElement>& root);
    // Reads the file through the pak layer, then parses it.
    bool ParseFile(const std::string& path, std::unique_ptr<XmlElement>& root);
    const std::string& GetError() const { return mError; }

private:
    bool Fail(const std::string& what);
    bool ParseElement(XmlElement& element, int depth);
    bool ParseName(std::string& name);
    bool ParseAttributeValue(std::string& value);
    bool DecodeEntity(std::string& out);
    bool SkipMisc(); // blanks, comments, processing instructions, DOCTYPE
    bool StartsWith(const char* s) const;
    void SkipBlanks();

    const std::string* mText = nullptr;
    size_t mPos = 0;
    int mLine = 1;
    std::string mError;
};

// A copy of the reader's error text, for messages built after the reader has
// gone or read another document.
std::string GetMemberString(const XmlReader& reader);

} // namespace Lumo
