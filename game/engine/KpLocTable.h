// The localised texts of "cfg\loc.xml" (packed in loc.pak): one wide string
// per id. Screens ask by id; a missing id shows itself as "$" and the id, so
// a forgotten text is visible on screen instead of blank.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <mutex>
#include <string>

class KpLocTable
{
public:
    // Reads every "loc/text" element (attribute "id", the element's text);
    // bad ones are skipped with a warning. Returns the number of texts.
    int Load(IXMLDOMNode* document);
    // False when the file cannot be read or has no "loc" element.
    bool LoadFile(const std::string& path);
    void Clear();

    std::wstring GetText(const std::string& id);
    std::wstring GetText(const std::wstring& id);
    bool HasText(const std::string& id);
    int GetCount();

private:
    std::mutex mTextLock; // guards mTexts: loaded on one thread, read on others
    std::map<std::string, std::wstring> mTexts;
};

KpLocTable* GetEngineLocTable();
