#include "game/engine/KpDevOptions.h"

#include "framework/app/LumoAppBase.h"
#include "framework/resources/SysFont.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"

KpDevOptions gDevOptions;

KpDevOptions::KpDevOptions() : mEnabled(false), mNoComix(false), mIgnorePaks(false), mFont(nullptr)
{
}

KpDevOptions::~KpDevOptions()
{
    ReleaseDevFont();
}

void KpDevOptions::ReadSettings(const std::string& fileName)
{
    if (!mEnabled)
        return;
    KpXmlDocument document = XmlLoadFile(fileName);
    if (!document)
        return;
    XmlForEachNode(
        document.Get(), L"usersettings/option",
        [this](IXMLDOMNode* option)
        {
            std::string name;
            bool value = false;
            if (!XmlReadString(option, "name", name) || !XmlReadBool(option, "value", value))
            {
                WriteLog("WARNING: KpDevOptions::ReadSettings: option without name or value");
                return;
            }
            if (name == "NoComix")
                mNoComix = value;
            else if (name == "IgnorePaks")
                mIgnorePaks = value;
            else
                WriteLog("WARNING: KpDevOptions::ReadSettings: unknown option '%s'", name.c_str());
        });
}

Lumo::Font* KpDevOptions::GetDevFont()
{
    if (!mFont)
        mFont = new Lumo::SysFont(gLumoApp, "Tahoma", 8);
    return mFont;
}

void KpDevOptions::ReleaseDevFont()
{
    delete mFont;
    mFont = nullptr;
}
