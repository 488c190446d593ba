// The layout language of "cfg\ui.xml" (docs/data-formats.md): widget
// elements by type, their attributes and their image and child elements. This
// file holds the widget factory and the attribute readers every ReadXml uses.
// A reader warns (WriteLog "WARNING: ") when an attribute is present but
// cannot be read, names the widget, and leaves the value as it was, so one bad
// attribute never stops the rest of the layout.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"

class KpCandyWidget;

namespace KpLayout
{
typedef KpCandyWidget* (*CreateFn)();

// A new widget of a layout type ("kpbutton"), or null for a type nobody made.
KpCandyWidget* CreateWidget(const std::string& type);
// Adds or replaces a type (screens may add widget kinds of their own).
void RegisterType(const std::string& type, CreateFn create);

// Builds the child widget elements of a layout element into the parent.
void ReadChildren(KpCandyWidget* parent, IXMLDOMNode* element);

// Calls fn(name, value) for every attribute of the element, in document order.
void ForEachAttribute(IXMLDOMNode* e,
                      const std::function<void(const std::string&, const std::string&)>& fn);

// --- attribute readers: true when present and read
bool Has(IXMLDOMNode* e, const char* name);
bool ReadString(IXMLDOMNode* e, const char* name, std::string& value);
bool ReadWString(IXMLDOMNode* e, const char* name, std::wstring& value);
bool ReadInt(KpCandyWidget* w, IXMLDOMNode* e, const char* name, int& value);
bool ReadFloat(KpCandyWidget* w, IXMLDOMNode* e, const char* name, float& value);
// "1" or "0" (any integer; non-zero is true).
bool ReadBool(KpCandyWidget* w, IXMLDOMNode* e, const char* name, bool& value);
// "r;g;b" or "r;g;b;a", 0-255 each.
bool ReadColor(KpCandyWidget* w, IXMLDOMNode* e, const char* name, Lumo::Color& value);
// "x;y", two integers.
bool ReadPoint(KpCandyWidget* w, IXMLDOMNode* e, const char* name, int& x, int& y);
// "x;y;w;h", four integers, sizes not negative.
bool ReadRect(KpCandyWidget* w, IXMLDOMNode* e, const char* name, Lumo::Rect& value);
// One of the words, as its index.
bool ReadChoice(KpCandyWidget* w, IXMLDOMNode* e, const char* name,
                const std::initializer_list<const char*>& words, int& value);
// "WARNING: layout: widget '<name>': <text>"
void Warn(KpCandyWidget* w, const std::string& text);
} // namespace KpLayout
