#include "game/engine/KpLocTable.h"

#include "framework/app/StringUtils.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"

KpLocTable* GetEngineLocTable()
{
    static KpLocTable table;
    return &table;
}

int KpLocTable::Load(IXMLDOMNode* document)
{
    std::lock_guard<std::mutex> lock(mTextLock);
    XmlForEachNode(document, L"loc/text",
                   [this](IXMLDOMNode* element)
                   {
                       std::string id;
                       if (!XmlReadString(element, "id", id) || id.empty())
                       {
                           WriteLog("WARNING: KpLocTable::Load: a text without id");
                           return;
                       }
                       if (mTexts.count(id))
                           WriteLog(
                               "WARNING: KpLocTable::Load: text '%s' given twice; the last counts",
                               id.c_str());
                       mTexts[id] = XmlGetText(element);
                   });
    return int(mTexts.size());
}

bool KpLocTable::LoadFile(const std::string& path)
{
    KpXmlDocument document = XmlLoadFile(path);
    if (!document || !XmlSelectNode(document.Get(), L"loc"))
        return false;
    Load(document.Get());
    return true;
}

void KpLocTable::Clear()
{
    std::lock_guard<std::mutex> lock(mTextLock);
    mTexts.clear();
}

std::wstring KpLocTable::GetText(const std::string& id)
{
    std::lock_guard<std::mutex> lock(mTextLock);
    auto found = mTexts.find(id);
    if (found != mTexts.end())
        return found->second;
    return L"$" + Lumo::StringToWString(id);
}

std::wstring KpLocTable::GetText(const std::wstring& id)
{
    return GetText(Lumo::WStringToString(id));
}

bool KpLocTable::HasText(const std::string& id)
{
    std::lock_guard<std::mutex> lock(mTextLock);
    return mTexts.count(id) != 0;
}

int KpLocTable::GetCount()
{
    std::lock_guard<std::mutex> lock(mTextLock);
    return int(mTexts.size());
}
