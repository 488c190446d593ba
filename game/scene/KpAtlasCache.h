// An atlas pack: pictures packed onto a few large page images, described by
// "<pack>_atlaspack.xml". The cache indexes the regions by their original
// picture path (normalised: lower case, back slashes), so a loader can ask for
// "img\comix\girl.png" and get the rectangle of a page instead of a file.
// Pages are read when a region of theirs is first used and live as long as
// the cache.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/app/Rect.h"

namespace Lumo
{
class Image;
}

struct KpAtlasRegion
{
    int page = 0;    // index into the cache's pages
    Lumo::Rect rect; // on the page
    int trimX = 0;   // where the trimmed rectangle sat in the original picture
    int trimY = 0;
    int width = 0; // the original, untrimmed size
    int height = 0;
};

class KpAtlasCache
{
public:
    // Reads "<packName>_atlaspack.xml"; bad elements are skipped with a warning.
    explicit KpAtlasCache(const std::string& packName);
    ~KpAtlasCache();
    KpAtlasCache(const KpAtlasCache&) = delete;
    KpAtlasCache& operator=(const KpAtlasCache&) = delete;

    // The region of a picture path, or null.
    const KpAtlasRegion* FindRegion(const std::string& path) const;
    // The page image of a region, read on first use; null when it cannot be read.
    Lumo::Image* GetPage(int page);
    int GetRegionCount() const { return (int)mRegions.size(); }
    int GetPageCount() const { return (int)mPages.size(); }

    // Lower case, "/" as "\", no leading ".\", no doubled separators.
    static std::string NormalisePath(const std::string& path);

private:
    struct Page
    {
        std::string file;
        Lumo::Image* image = nullptr; // owned once read
        bool failed = false;
    };
    std::vector<Page> mPages;
    std::map<std::string, KpAtlasRegion> mRegions; // by normalised path
};
