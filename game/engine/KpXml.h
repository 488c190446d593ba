// Typed access to the game's XML files over the MSXML 3 DOM. Documents load
// through the archive-aware file functions, so one inside data.pak loads the
// same as a loose file; queries are XPath. COM must be initialised on the
// calling thread (the main function and the loading thread do it).
//
// Two attribute families: XmlGetAttr* take wide names and return the value or
// a default; XmlRead* take narrow names and report whether the attribute
// existed and parsed, leaving the out value untouched when it did not, so a
// caller can preset defaults and read over them.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <functional>
#include <string>

#include "framework/app/Color.h"
#include "framework/app/LumoVector2.h"
#include "game/engine/KpComPtr.h"

typedef KpComPtr<IXMLDOMDocument2> KpXmlDocument;
typedef KpComPtr<IXMLDOMNode> KpXmlNode;

// --- Documents and queries
// Loads and parses a file (UTF-8, or UTF-16 with its byte-order mark); null
// when it cannot be read or parsed, with a "WARNING: " log line.
KpXmlDocument XmlLoadFile(const std::string& path);
// Parses a document held in memory; same rules as XmlLoadFile.
KpXmlDocument XmlLoadBytes(const std::string& bytes, const std::string& nameForLog);
// Calls `visit` for every node the XPath selects under `root`, in document
// order; returns how many were visited.
int XmlForEachNode(IXMLDOMNode* root, const std::wstring& xpath,
                   const std::function<void(IXMLDOMNode*)>& visit);
// The first node the XPath selects, or null.
KpXmlNode XmlSelectNode(IXMLDOMNode* root, const std::wstring& xpath);
// The text content of a node (its own and its descendants').
std::wstring XmlGetText(IXMLDOMNode* node);
// The node's element name; empty for a node that is not an element.
std::wstring XmlGetName(IXMLDOMNode* node);

// --- Attributes by wide name, with a default
// False when the attribute is absent; `value` then stays as it was.
bool XmlGetAttr(IXMLDOMNode* node, const wchar_t* name, std::wstring& value);
std::wstring XmlGetAttrString(IXMLDOMNode* node, const wchar_t* name,
                              const std::wstring& fallback = std::wstring());
// Absent or not a whole decimal number: the fallback.
int XmlGetAttrInt(IXMLDOMNode* node, const wchar_t* name, int fallback = 0);
float XmlGetAttrFloat(IXMLDOMNode* node, const wchar_t* name, float fallback = 0.0f);
// "true" (any letter case) or a non-zero integer is true; absent: the fallback.
bool XmlGetAttrBool(IXMLDOMNode* node, const wchar_t* name, bool fallback = false);

// --- Attributes by narrow name: true and the value when present and parsable
bool XmlReadString(IXMLDOMNode* node, const char* name, std::wstring& value);
bool XmlReadString(IXMLDOMNode* node, const char* name, std::string& value);
// A whole decimal number, optional sign, blanks around it allowed.
bool XmlReadInt(IXMLDOMNode* node, const char* name, int& value);
bool XmlReadFloat(IXMLDOMNode* node, const char* name, float& value);
// An integer only: non-zero is true ("true" itself does not parse here).
bool XmlReadBool(IXMLDOMNode* node, const char* name, bool& value);
// "x;y", two floats.
bool XmlReadPoint(IXMLDOMNode* node, const char* name, Lumo::LumoVector2& value);
// "r;g;b", three integers 0 to 255; alpha becomes 255.
bool XmlReadColor(IXMLDOMNode* node, const char* name, Lumo::Color& value);

// --- The parsing rules above, on plain text (for the readers and their tests)
bool XmlParseInt(const std::wstring& text, int& value);
bool XmlParseFloat(const std::wstring& text, float& value);
