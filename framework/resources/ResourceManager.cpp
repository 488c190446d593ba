#include "framework/resources/ResourceManager.h"

#include "framework/app/AppHost.h"
#include "framework/diagnostics/Profiler.h"
#include "framework/graphics/CelAnimation.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/SysFont.h"
#include "framework/resources/XmlReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace Lumo
{

namespace
{

// Whole decimal number, optional sign, nothing else.
bool ParseNumber(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long v = strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < -2147483647L || v > 2147483647L)
        return false;
    value = (int)v;
    return true;
}

bool ParseBool(const std::string& text)
{
    int v;
    return text == "true" || (ParseNumber(text, v) && v != 0);
}

// "1, 2,3" -> {1, 2, 3}; blanks around the numbers are allowed.
bool ParseNumberList(const std::string& text, std::vector<int>& out)
{
    out.clear();
    size_t pos = 0;
    while (pos <= text.size())
    {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos)
            comma = text.size();
        std::string item = text.substr(pos, comma - pos);
        size_t a = item.find_first_not_of(" \t");
        size_t b = item.find_last_not_of(" \t");
        int v;
        if (a == std::string::npos || !ParseNumber(item.substr(a, b - a + 1), v))
            return false;
        out.push_back(v);
        pos = comma + 1;
    }
    return true;
}

} // namespace

ResourceManager::ResourceManager(AppHost* app) : mApp(app) {}

ResourceManager::~ResourceManager()
{
    for (auto& item : mImages)
        delete item.second.image;
    for (auto& item : mFonts)
        delete item.second.font;
}

bool ResourceManager::Fail(const std::string& text)
{
    mError = text;
    return false;
}

// --- Resource files ---------------------------------------------------------

bool ResourceManager::ParseResourcesFile(const std::string& path)
{
    XmlReader reader;
    std::unique_ptr<XmlElement> root;
    if (!reader.ParseFile(path, root))
        return Fail(reader.GetError());
    return ParseRoot(*root);
}

bool ResourceManager::ParseResourcesText(const std::string& xml)
{
    XmlReader reader;
    std::unique_ptr<XmlElement> root;
    if (!reader.Parse(xml, root))
        return Fail(reader.GetError());
    return ParseRoot(*root);
}

bool ResourceManager::ReadImageOptions(const XmlElement& element, ImageResourceOptions& options,
                                       std::string* error)
{
    auto bad = [&](const std::string& what)
    {
        if (error)
            *error = what;
        return false;
    };
    options = ImageResourceOptions();
    const std::string* v;
    if (!(v = element.FindAttribute("path")) || v->empty())
        return bad("Image without path.");
    options.path = *v;
    struct NumberAttr
    {
        const char* name;
        int* target;
        int minimum;
    } numbers[] = {{"rows", &options.rows, 1},
                   {"cols", &options.cols, 1},
                   {"framedelay", &options.frameDelay, 0},
                   {"begindelay", &options.beginDelay, 0},
                   {"enddelay", &options.endDelay, 0}};
    for (const NumberAttr& n : numbers)
        if ((v = element.FindAttribute(n.name)) &&
            (!ParseNumber(*v, *n.target) || *n.target < n.minimum))
            return bad(std::string("Invalid ") + n.name + " value.");
    if ((v = element.FindAttribute("anim")))
    {
        static const char* const kTypes[] = {"none", "once", "pingpong", "loop"};
        int type = -1;
        for (int i = 0; i < 4; i++)
            if (*v == kTypes[i])
                type = i;
        if (type < 0)
            return bad("Invalid animation type.");
        options.hasAnim = true;
        options.animType = type;
    }
    if ((v = element.FindAttribute("perframedelay")) &&
        !ParseNumberList(*v, options.perFrameDelays))
        return bad("Invalid perframedelay value.");
    if ((v = element.FindAttribute("framemap")))
    {
        if (!ParseNumberList(*v, options.frameMap))
            return bad("Invalid framemap value.");
        // A frame shows one of the image's cels; anything else is a data fault.
        int cels = options.rows * options.cols;
        for (int cel : options.frameMap)
            if (cel < 0 || cel >= cels)
                return bad("Invalid framemap value.");
    }
    if ((v = element.FindAttribute("palettize")))
        options.palettize = ParseBool(*v);
    if ((v = element.FindAttribute("purge")))
        options.purge = ParseBool(*v);
    static const struct
    {
        const char* name;
        int bit;
    } kFlags[] = {{"minsubdivide", 1}, {"a4r4g4b4", 4}, {"a8r8g8b8", 8}};
    for (const auto& f : kFlags)
        if ((v = element.FindAttribute(f.name)) && ParseBool(*v))
            options.textureFlags |= f.bit;
    return true;
}

bool ResourceManager::ParseRoot(const XmlElement& root)
{
    if (root.name != "Resources")
        return Fail("Resource file must start with <Resources>.");
    // Check everything first so that a bad file adds nothing.
    std::map<std::string, ImageItem> images;
    std::map<std::string, FontItem> fonts;
    std::vector<std::string> groups;
    for (const auto& group : root.children)
    {
        const std::string* groupId = group->FindAttribute("id");
        if (group->name != "Group" || !groupId || groupId->empty())
            return Fail("Line " + std::to_string(group->line) + ": <Group id=...> expected.");
        if (std::find(mGroups.begin(), mGroups.end(), *groupId) != mGroups.end() ||
            std::find(groups.begin(), groups.end(), *groupId) != groups.end())
            return Fail("Duplicate group id: " + *groupId);
        groups.push_back(*groupId);
        for (const auto& item : group->children)
        {
            std::string where = "Line " + std::to_string(item->line) + ": ";
            const std::string* id = item->FindAttribute("id");
            if (!id || id->empty())
                return Fail(where + "resource without id.");
            if (item->name == "Image")
            {
                if (mImages.count(*id) || images.count(*id))
                    return Fail(where + "duplicate image id " + *id + ".");
                ImageItem entry;
                entry.group = *groupId;
                std::string error;
                if (!ReadImageOptions(*item, entry.options, &error))
                    return Fail(where + error);
                images[*id] = entry;
            }
            else if (item->name == "Font")
            {
                if (mFonts.count(*id) || fonts.count(*id))
                    return Fail(where + "duplicate font id " + *id + ".");
                FontItem entry;
                entry.group = *groupId;
                const std::string* v;
                if (!(v = item->FindAttribute("face")) || v->empty())
                    return Fail(where + "Font without face.");
                entry.face = *v;
                if ((v = item->FindAttribute("size")) &&
                    (!ParseNumber(*v, entry.pointSize) || entry.pointSize < 1))
                    return Fail(where + "Invalid size value.");
                if ((v = item->FindAttribute("charset")) &&
                    (!ParseNumber(*v, entry.charSet) || entry.charSet < 0 || entry.charSet > 255))
                    return Fail(where + "Invalid charset value.");
                if ((v = item->FindAttribute("bold")))
                    entry.bold = ParseBool(*v);
                if ((v = item->FindAttribute("italic")))
                    entry.italic = ParseBool(*v);
                if ((v = item->FindAttribute("underline")))
                    entry.underline = ParseBool(*v);
                fonts[*id] = entry;
            }
            else
                return Fail(where + "unknown resource <" + item->name + ">.");
        }
    }
    mImages.insert(images.begin(), images.end());
    mFonts.insert(fonts.begin(), fonts.end());
    mGroups.insert(mGroups.end(), groups.begin(), groups.end());
    return true;
}

// --- Loading ----------------------------------------------------------------

MemoryImage* ResourceManager::LoadImageResource(const ImageResourceOptions& options)
{
    ImageLib::Image* file;
    {
        ProfileZone zone("ResourceManager:GetImage");
        file = ImageLib::GetImage(options.path, true);
    }
    if (!file)
    {
        Fail("Failed to load image: " + options.path);
        return nullptr;
    }
    // With a display up the picture goes to it: a surface image, whose surface
    // is made now in 2D, so the first draw does not pay for it (in 3D the
    // renderer makes its texture on the first draw). Without one, a memory
    // image registered with the application (when there is one), so the
    // application's image-wide operations reach it.
    DDInterface* display = mApp ? mApp->GetDisplay() : nullptr;
    MemoryImage* image;
    if (display)
    {
        ProfileZone zone("ResourceManager:DDSurface");
        DDImage* surfaceImage = new DDImage(display);
        surfaceImage->SetPixels(file->mBits, file->mWidth, file->mHeight, true);
        if (!display->mIs3D)
            surfaceImage->BuildSurface();
        image = surfaceImage;
    }
    else
    {
        image = new MemoryImage(mApp);
        image->SetPixels(file->mBits, file->mWidth, file->mHeight, true);
    }
    image->mFileName = options.path;
    delete file;

    image->mRows = options.rows;
    image->mColumns = options.cols;
    if (options.hasAnim)
    {
        CelAnimation* anim = new CelAnimation();
        anim->mType = options.animType;
        anim->mFrameDelay = options.frameDelay;
        anim->mPerFrameDelay = options.perFrameDelays;
        anim->mFrameMap = options.frameMap;
        anim->SetFrames(std::max(options.rows, options.cols), options.beginDelay, options.endDelay);
        delete image->mAnimation;
        image->mAnimation = anim;
    }
    if (options.palettize)
        image->mPalettizeWanted = true;
    if (options.purge)
        image->mPurgeWanted = true;
    image->mTextureFlags |= options.textureFlags;
    {
        ProfileZone zone("ResourceManager:Palletize");
        image->ApplyStorageOptions();
    }
    return image;
}

bool ResourceManager::LoadResources(const std::string& group)
{
    if (std::find(mGroups.begin(), mGroups.end(), group) == mGroups.end())
        return Fail("Unknown resource group: " + group);
    if (IsGroupLoaded(group))
        return true;
    for (auto& entry : mImages)
    {
        ImageItem& item = entry.second;
        if (item.group != group || item.image)
            continue;
        item.image = LoadImageResource(item.options);
        if (!item.image)
        {
            // Leave the group as it was: what this call loaded goes again.
            std::string error = mError;
            DeleteResources(group);
            return Fail(error + " (id " + entry.first + ")");
        }
    }
    for (auto& entry : mFonts)
    {
        FontItem& item = entry.second;
        if (item.group != group || item.font)
            continue;
        ProfileZone zone("ResourceManager:DoLoadFont");
        item.font = new SysFont(mApp, item.face, item.pointSize, item.charSet, item.bold,
                                item.italic, item.underline);
    }
    mLoadedGroups.push_back(group);
    return true;
}

bool ResourceManager::IsGroupLoaded(const std::string& group) const
{
    return std::find(mLoadedGroups.begin(), mLoadedGroups.end(), group) != mLoadedGroups.end();
}

void ResourceManager::DeleteResources(const std::string& group)
{
    for (auto& entry : mImages)
        if (entry.second.group == group)
        {
            delete entry.second.image;
            entry.second.image = nullptr;
        }
    for (auto& entry : mFonts)
        if (entry.second.group == group)
        {
            delete entry.second.font;
            entry.second.font = nullptr;
        }
    mLoadedGroups.erase(std::remove(mLoadedGroups.begin(), mLoadedGroups.end(), group),
                        mLoadedGroups.end());
}

// --- Lookups ----------------------------------------------------------------

MemoryImage* ResourceManager::GetImage(const std::string& id)
{
    ProfileZone zone("ResourceManager::GetImage");
    auto it = mImages.find(id);
    return it == mImages.end() ? nullptr : it->second.image;
}

Font* ResourceManager::GetFont(const std::string& id)
{
    auto it = mFonts.find(id);
    return it == mFonts.end() ? nullptr : it->second.font;
}

MemoryImage* ResourceManager::GetImageThrow(const std::string& id)
{
    MemoryImage* image = GetImage(id);
    if (!image)
        throw ResourceManagerException("Image resource not found: " + id);
    return image;
}

Font* ResourceManager::GetFontThrow(const std::string& id)
{
    Font* font = GetFont(id);
    if (!font)
        throw ResourceManagerException("Font resource not found: " + id);
    return font;
}

} // namespace Lumo
