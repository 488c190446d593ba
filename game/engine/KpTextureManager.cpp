#include "game/engine/KpTextureManager.h"

#include <map>
#include <mutex>

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/resources/ImageLib.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"

struct KpTextureEntry
{
    std::string name;
    std::string file;
    int rows = 1, cols = 1;       // cel layout of the picture
    Lumo::Image* image = nullptr; // owned while locked
    int locks = 0;
};

namespace
{
std::mutex gTextureLock; // guards the table and every entry's picture and count
std::map<std::string, KpTextureEntry*> gTextures;

// A display image when the application has a display, so that it can live on a surface.
Lumo::Image* LoadPicture(const KpTextureEntry& entry)
{
    ImageLib::Image* file = ImageLib::GetImage(entry.file, true);
    if (!file)
        return nullptr;
    Lumo::DDImage* image = new Lumo::DDImage(gLumoApp ? gLumoApp->mDDInterface : nullptr);
    image->mFileName = entry.file;
    image->SetPixels(file->GetBits(), file->GetWidth(), file->GetHeight(), true);
    // Only the derived form the display draws from stays in memory; the file
    // gives the pixels back when something needs them.
    image->MarkAsFile();
    image->mPurgeWanted = true;
    image->mRows = entry.rows;
    image->mColumns = entry.cols;
    delete file;
    return image;
}
} // namespace

// --- KpImageHandle

bool KpImageHandle::Lock() const
{
    if (!mEntry)
        return false;
    std::lock_guard<std::mutex> lock(gTextureLock);
    if (mEntry->locks++ == 0 && !mEntry->image)
    {
        mEntry->image = LoadPicture(*mEntry);
        if (!mEntry->image)
            WriteLog("WARNING: KpImageHandle::Lock: texture '%s': cannot read '%s'",
                     mEntry->name.c_str(), mEntry->file.c_str());
    }
    return mEntry->image != nullptr;
}

void KpImageHandle::Unlock() const
{
    if (!mEntry)
        return;
    std::lock_guard<std::mutex> lock(gTextureLock);
    if (mEntry->locks == 0)
        return;
    if (--mEntry->locks == 0)
    {
        delete mEntry->image;
        mEntry->image = nullptr;
    }
}

Lumo::Image* KpImageHandle::GetImage() const
{
    if (!mEntry)
        return nullptr;
    std::lock_guard<std::mutex> lock(gTextureLock);
    return mEntry->image;
}

std::string KpImageHandle::GetName() const
{
    return mEntry ? mEntry->name : std::string();
}

// --- KpTextureManager

int KpTextureManager::LoadConfig(IXMLDOMNode* document)
{
    XmlForEachNode(
        document, L"ui/textures/texture",
        [](IXMLDOMNode* element)
        {
            KpTextureEntry entry;
            if (!XmlReadString(element, "name", entry.name) || entry.name.empty() ||
                !XmlReadString(element, "file", entry.file) || entry.file.empty())
            {
                WriteLog("WARNING: KpTextureManager::LoadConfig: a texture without name or file");
                return;
            }
            XmlReadInt(element, "rows", entry.rows);
            XmlReadInt(element, "cols", entry.cols);
            if (entry.rows < 1 || entry.cols < 1 || entry.rows > 256 || entry.cols > 256)
            {
                WriteLog("WARNING: KpTextureManager::LoadConfig: texture '%s': rows and cols must "
                         "be 1-256",
                         entry.name.c_str());
                return;
            }
            std::lock_guard<std::mutex> lock(gTextureLock);
            KpTextureEntry*& slot = gTextures[entry.name];
            if (slot)
            {
                // Handles already given out keep pointing at the same entry.
                WriteLog(
                    "WARNING: KpTextureManager::LoadConfig: texture '%s' given twice; the last "
                    "counts",
                    entry.name.c_str());
                slot->file = entry.file;
                slot->rows = entry.rows;
                slot->cols = entry.cols;
            }
            else
                slot = new KpTextureEntry(entry);
        });
    return GetCount();
}

KpImageHandle KpTextureManager::GetImage(const std::string& name)
{
    std::lock_guard<std::mutex> lock(gTextureLock);
    auto found = gTextures.find(name);
    return KpImageHandle(found == gTextures.end() ? nullptr : found->second);
}

int KpTextureManager::GetCount()
{
    std::lock_guard<std::mutex> lock(gTextureLock);
    return int(gTextures.size());
}

void KpTextureManager::Clear()
{
    std::lock_guard<std::mutex> lock(gTextureLock);
    for (auto& texture : gTextures)
    {
        delete texture.second->image;
        delete texture.second;
    }
    gTextures.clear();
}
