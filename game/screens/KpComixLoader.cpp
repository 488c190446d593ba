// The comic player's loader: one "comix" element of "cfg\comix.xml" into the
// scene (objects, then groups, then episodes with their actors). Every bad
// element is skipped with a "WARNING: " log line and the rest loads.
#include "framework/app/StringUtils.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"
#include "game/scene/KpAtlasCache.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpComixActor.h"
#include "game/screens/KpComixEpisode.h"
#include "game/screens/KpComixObject.h"

void KpComix::Play(const std::string& name)
{
    mName = name;
    mMissing = true;
    // A quote would end the name inside the query: no comic is named so.
    if (name.find('"') != std::string::npos)
    {
        WriteLog("WARNING: Comix '%s' not found", name.c_str());
        return;
    }
    KpXmlDocument document = XmlLoadFile("cfg\\comix.xml");
    if (!document)
        return;
    KpXmlNode comix = XmlSelectNode(document.Get(), L"comixes/comix[@name=\"" +
                                                        Lumo::StringToWString(name) + L"\"]");
    if (!comix)
    {
        WriteLog("WARNING: Comix '%s' not found", name.c_str());
        return;
    }
    mMissing = false;
    LoadComix(comix.Get());
}

void KpComix::LoadComix(IXMLDOMNode* comix)
{
    std::string pack;
    if (XmlReadString(comix, "atlaspack", pack))
    {
        // Pictures of a scene that was not cleared may still show regions of
        // the cache they came from: it lives until the scene is cleared.
        if (mAtlasCache)
            mSpareCaches.push_back(mAtlasCache);
        mAtlasCache = new KpAtlasCache(pack);
    }
    XmlReadBool(comix, "clearBack", mClearBack);
    XmlReadInt(comix, "default_top_offset", mDefaultTopOffset);
    XmlReadInt(comix, "default_line_space", mDefaultLineSpace);

    XmlForEachNode(comix, L"objects/object",
                   [&](IXMLDOMNode* element)
                   {
                       std::string type;
                       if (!XmlReadString(element, "type", type))
                       {
                           WriteLog("WARNING: Object type not defined.");
                           return;
                       }
                       KpComixObject* object = nullptr;
                       if (type == "pic")
                           object = new KpComixObjectPic();
                       else if (type == "text")
                           object = new KpComixObjectText();
                       else if (type == "sound")
                           object = new KpComixObjectSound(true);
                       else if (type == "music")
                           object = new KpComixObjectSound(false);
                       else
                       {
                           WriteLog("WARNING: Unknown object type '%s'.", type.c_str());
                           return;
                       }
                       std::string name;
                       XmlReadString(element, "name", name);
                       if (mObjectMap.count(name))
                       {
                           WriteLog("WARNING: more then one object with name '%s'", name.c_str());
                           delete object;
                           return;
                       }
                       object->mName = name;
                       object->ReadXml(this, element);
                       mObjectMap[name] = object;
                       mObjects.push_back(object);
                   });

    LoadGroupsAndEpisodes(comix);
}

void KpComix::LoadGroupsAndEpisodes(IXMLDOMNode* comix)
{
    XmlForEachNode(comix, L"objectGroups/group",
                   [&](IXMLDOMNode* element)
                   {
                       KpComixGroup* group = new KpComixGroup();
                       std::string name;
                       XmlReadString(element, "name", name);
                       XmlForEachNode(element, L"object",
                                      [&](IXMLDOMNode* member)
                                      {
                                          std::string objectName;
                                          XmlReadString(member, "name", objectName);
                                          if (KpComixObject* object = FindObject(objectName))
                                              group->mObjects.push_back(object);
                                          else
                                              WriteLog("WARNING: Object with name '%s' not found. "
                                                       "(group '%s')",
                                                       objectName.c_str(), name.c_str());
                                      });
                       if (mGroupMap.count(name))
                       {
                           WriteLog("WARNING: More then one object groups with name '%s'",
                                    name.c_str());
                           delete group;
                           return;
                       }
                       mGroupMap[name] = group;
                   });

    XmlForEachNode(comix, L"episodes/episode",
                   [&](IXMLDOMNode* element)
                   {
                       float finishDelay = 0.0f;
                       XmlReadFloat(element, "finish_delay", finishDelay);
                       KpComixEpisode* episode = new KpComixEpisode(finishDelay);
                       XmlForEachNode(element, L"actor",
                                      [&](IXMLDOMNode* actorElement)
                                      {
                                          if (KpComixActor* actor =
                                                  CreateComixActor(this, actorElement))
                                              episode->AddActor(actor);
                                      });
                       mEpisodes.push_back(episode);
                   });

    mClock = 0.0f;
    mEpisodeIndex = 0;
    if (!mEpisodes.empty())
        mEpisodes[0]->Start(0.0f);
}
