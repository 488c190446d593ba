#include "game/scene/KpAtlasCache.h"

#include "framework/graphics/Image.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"
#include "game/scene/KpPicture.h"

namespace
{
bool ReadRegion(IXMLDOMNode* element, KpAtlasRegion& region, std::string& path)
{
    if (!XmlReadString(element, "path", path) || path.empty() ||
        !XmlReadInt(element, "x", region.rect.mX) || !XmlReadInt(element, "y", region.rect.mY) ||
        !XmlReadInt(element, "w", region.rect.mWidth) ||
        !XmlReadInt(element, "h", region.rect.mHeight))
        return false;
    region.width = region.rect.mWidth;
    region.height = region.rect.mHeight;
    XmlReadInt(element, "trimx", region.trimX);
    XmlReadInt(element, "trimy", region.trimY);
    XmlReadInt(element, "srcw", region.width);
    XmlReadInt(element, "srch", region.height);
    // The trimmed rectangle must fit in the original picture.
    return region.rect.mX >= 0 && region.rect.mY >= 0 && region.rect.mWidth > 0 &&
           region.rect.mHeight > 0 && region.trimX >= 0 && region.trimY >= 0 &&
           region.trimX + region.rect.mWidth <= region.width &&
           region.trimY + region.rect.mHeight <= region.height;
}
} // namespace

KpAtlasCache::KpAtlasCache(const std::string& packName)
{
    std::string file = packName + "_atlaspack.xml";
    KpXmlDocument document = XmlLoadFile(file);
    if (!document)
    {
        WriteLog("WARNING: KpAtlasCache: cannot read '%s'", file.c_str());
        return;
    }
    XmlForEachNode(
        document.Get(), L"atlaspack/page",
        [&](IXMLDOMNode* pageElement)
        {
            Page page;
            if (!XmlReadString(pageElement, "file", page.file) || page.file.empty())
            {
                WriteLog("WARNING: KpAtlasCache: '%s': a page without a file", file.c_str());
                return;
            }
            int index = (int)mPages.size();
            mPages.push_back(page);
            XmlForEachNode(pageElement, L"region",
                           [&](IXMLDOMNode* element)
                           {
                               KpAtlasRegion region;
                               std::string path;
                               if (!ReadRegion(element, region, path))
                               {
                                   WriteLog("WARNING: KpAtlasCache: '%s': bad region '%s'",
                                            file.c_str(), path.c_str());
                                   return;
                               }
                               region.page = index;
                               mRegions[NormalisePath(path)] = region;
                           });
        });
}

KpAtlasCache::~KpAtlasCache()
{
    for (Page& page : mPages)
        delete page.image;
}

const KpAtlasRegion* KpAtlasCache::FindRegion(const std::string& path) const
{
    auto found = mRegions.find(NormalisePath(path));
    return found == mRegions.end() ? nullptr : &found->second;
}

Lumo::Image* KpAtlasCache::GetPage(int page)
{
    if (page < 0 || page >= (int)mPages.size())
        return nullptr;
    Page& p = mPages[page];
    if (!p.image && !p.failed)
    {
        p.image = KpLoadPicture(p.file);
        if (!p.image)
        {
            p.failed = true;
            WriteLog("WARNING: KpAtlasCache: cannot read page '%s'", p.file.c_str());
        }
    }
    return p.image;
}

std::string KpAtlasCache::NormalisePath(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path)
    {
        if (c == '/')
            c = '\\';
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c == '\\' && !out.empty() && out.back() == '\\')
            continue;
        out += c;
    }
    while (out.compare(0, 2, ".\\") == 0)
        out.erase(0, 2);
    return out;
}
