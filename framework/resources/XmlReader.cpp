#include "framework/resources/XmlReader.h"

#include "framework/app/PakInterface.h"

#include <cstdio>
#include <cstring>

namespace Lumo
{

// Deeper nesting than this is refused rather than risking the stack.
static const int kMaxDepth = 200;

const std::string* XmlElement::FindAttribute(const std::string& attrName) const
{
    for (const auto& a : attributes)
        if (a.first == attrName)
            return &a.second;
    return nullptr;
}

bool XmlReader::Fail(const std::string& what)
{
    if (mError.empty())
        mError = "XML error on line " + std::to_string(mLine) + ": " + what;
    return false;
}

bool XmlReader::StartsWith(const char* s) const
{
    size_t n = strlen(s);
    return mText->compare(mPos, n, s) == 0;
}

void XmlReader::SkipBlanks()
{
    while (mPos < mText->size())
    {
        char c = (*mText)[mPos];
        if (c == '\n')
            mLine++;
        else if (c != ' ' && c != '\t' && c != '\r')
            break;
        mPos++;
    }
}

// Moves past the next occurrence of `end`; false when it never comes.
static bool SkipPast(const std::string& text, size_t& pos, int& line, const char* end)
{
    size_t at = text.find(end, pos);
    if (at == std::string::npos)
        return false;
    for (size_t i = pos; i < at; i++)
        if (text[i] == '\n')
            line++;
    pos = at + strlen(end);
    return true;
}

bool XmlReader::SkipMisc()
{
    for (;;)
    {
        SkipBlanks();
        if (StartsWith("<!--"))
        {
            if (!SkipPast(*mText, mPos, mLine, "-->"))
                return Fail("unterminated comment");
        }
        else if (StartsWith("<?"))
        {
            if (!SkipPast(*mText, mPos, mLine, "?>"))
                return Fail("unterminated processing instruction");
        }
        else if (StartsWith("<!DOCTYPE"))
        {
            // Internal subsets are not supported; a plain DOCTYPE line is.
            if (!SkipPast(*mText, mPos, mLine, ">"))
                return Fail("unterminated DOCTYPE");
        }
        else
            return true;
    }
}

static bool IsNameChar(unsigned char c, bool first)
{
    if (c >= 0x80 || c == '_' || c == ':' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    return !first && (c == '-' || c == '.' || (c >= '0' && c <= '9'));
}

bool XmlReader::ParseName(std::string& name)
{
    size_t start = mPos;
    while (mPos < mText->size() && IsNameChar((unsigned char)(*mText)[mPos], mPos == start))
        mPos++;
    if (mPos == start)
        return Fail("name expected");
    name.assign(*mText, start, mPos - start);
    return true;
}

static void AppendUtf8(std::string& out, unsigned long cp)
{
    if (cp < 0x80)
        out += (char)cp;
    else if (cp < 0x800)
    {
        out += (char)(0xC0 | (cp >> 6));
        out += (char)(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += (char)(0xE0 | (cp >> 12));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
    else
    {
        out += (char)(0xF0 | (cp >> 18));
        out += (char)(0x80 | ((cp >> 12) & 0x3F));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}

bool XmlReader::DecodeEntity(std::string& out)
{
    // mPos is at '&'.
    size_t semi = mText->find(';', mPos);
    if (semi == std::string::npos || semi - mPos > 12)
        return Fail("bad entity");
    std::string name = mText->substr(mPos + 1, semi - mPos - 1);
    mPos = semi + 1;
    if (name == "amp")
        out += '&';
    else if (name == "lt")
        out += '<';
    else if (name == "gt")
        out += '>';
    else if (name == "quot")
        out += '"';
    else if (name == "apos")
        out += '\'';
    else if (name.size() > 1 && name[0] == '#')
    {
        bool hex = name[1] == 'x' || name[1] == 'X';
        const char* digits = name.c_str() + (hex ? 2 : 1);
        if (!*digits)
            return Fail("bad character reference");
        unsigned long cp = 0;
        for (const char* p = digits; *p; p++)
        {
            int d;
            if (*p >= '0' && *p <= '9')
                d = *p - '0';
            else if (hex && *p >= 'a' && *p <= 'f')
                d = *p - 'a' + 10;
            else if (hex && *p >= 'A' && *p <= 'F')
                d = *p - 'A' + 10;
            else
                return Fail("bad character reference");
            cp = cp * (hex ? 16 : 10) + d;
            if (cp > 0x10FFFF)
                return Fail("bad character reference");
        }
        if (cp == 0)
            return Fail("bad character reference");
        AppendUtf8(out, cp);
    }
    else
        return Fail("unknown entity &" + name + ";");
    return true;
}

bool XmlReader::ParseAttributeValue(std::string& value)
{
    if (mPos >= mText->size() || ((*mText)[mPos] != '"' && (*mText)[mPos] != '\''))
        return Fail("quoted attribute value expected");
    char quote = (*mText)[mPos++];
    value.clear();
    while (mPos < mText->size())
    {
        char c = (*mText)[mPos];
        if (c == quote)
        {
            mPos++;
            return true;
        }
        if (c == '<')
            return Fail("'<' in attribute value");
        if (c == '&')
        {
            if (!DecodeEntity(value))
                return false;
            continue;
        }
        if (c == '\n')
            mLine++;
        value += c;
        mPos++;
    }
    return Fail("unterminated attribute value");
}

bool XmlReader::ParseElement(XmlElement& element, int depth)
{
    if (depth > kMaxDepth)
        return Fail("elements nested too deeply");
    // mPos is at '<'.
    element.line = mLine;
    mPos++;
    if (!ParseName(element.name))
        return false;
    for (;;)
    {
        SkipBlanks();
        if (mPos >= mText->size())
            return Fail("unterminated start tag <" + element.name + ">");
        if (StartsWith("/>"))
        {
            mPos += 2;
            return true;
        }
        if ((*mText)[mPos] == '>')
        {
            mPos++;
            break;
        }
        std::string attrName, value;
        if (!ParseName(attrName))
            return false;
        SkipBlanks();
        if (mPos >= mText->size() || (*mText)[mPos] != '=')
            return Fail("'=' expected after " + attrName);
        mPos++;
        SkipBlanks();
        if (!ParseAttributeValue(value))
            return false;
        if (element.FindAttribute(attrName))
            return Fail("attribute " + attrName + " given twice");
        element.attributes.emplace_back(attrName, value);
    }

    // Content up to the matching end tag.
    for (;;)
    {
        if (mPos >= mText->size())
            return Fail("missing </" + element.name + ">");
        char c = (*mText)[mPos];
        if (c == '<')
        {
            if (StartsWith("</"))
            {
                mPos += 2;
                std::string endName;
                if (!ParseName(endName))
                    return false;
                if (endName != element.name)
                    return Fail("</" + endName + "> closes <" + element.name + ">");
                SkipBlanks();
                if (mPos >= mText->size() || (*mText)[mPos] != '>')
                    return Fail("'>' expected");
                mPos++;
                return true;
            }
            if (StartsWith("<!--"))
            {
                if (!SkipPast(*mText, mPos, mLine, "-->"))
                    return Fail("unterminated comment");
                continue;
            }
            if (StartsWith("<![CDATA["))
            {
                size_t start = mPos + 9;
                size_t end = mText->find("]]>", start);
                if (end == std::string::npos)
                    return Fail("unterminated CDATA");
                element.text.append(*mText, start, end - start);
                for (size_t i = start; i < end; i++)
                    if ((*mText)[i] == '\n')
                        mLine++;
                mPos = end + 3;
                continue;
            }
            if (StartsWith("<?"))
            {
                if (!SkipPast(*mText, mPos, mLine, "?>"))
                    return Fail("unterminated processing instruction");
                continue;
            }
            std::unique_ptr<XmlElement> child(new XmlElement());
            if (!ParseElement(*child, depth + 1))
                return false;
            element.children.push_back(std::move(child));
            continue;
        }
        if (c == '&')
        {
            if (!DecodeEntity(element.text))
                return false;
            continue;
        }
        if (c == '\n')
            mLine++;
        element.text += c;
        mPos++;
    }
}

bool XmlReader::Parse(const std::string& text, std::unique_ptr<XmlElement>& root)
{
    mText = &text;
    mPos = 0;
    mLine = 1;
    mError.clear();
    root.reset();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        mPos = 3;
    if (!SkipMisc())
        return false;
    if (mPos >= text.size() || text[mPos] != '<')
        return Fail("no root element");
    std::unique_ptr<XmlElement> element(new XmlElement());
    if (!ParseElement(*element, 0))
        return false;
    if (!SkipMisc())
        return false;
    if (mPos != text.size())
        return Fail("content after the root element");
    root = std::move(element);
    return true;
}

bool XmlReader::ParseFile(const std::string& path, std::unique_ptr<XmlElement>& root)
{
    mError.clear();
    PakFile* file = PakOpen(path.c_str(), "rb");
    if (!file)
    {
        mError = "Cannot open " + path;
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = PakRead(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, n);
    PakClose(file);
    return Parse(text, root);
}

std::string GetMemberString(const XmlReader& reader)
{
    return reader.GetError();
}

} // namespace Lumo
