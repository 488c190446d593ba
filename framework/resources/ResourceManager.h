#pragma once
// Lumo::ResourceManager: images and fonts by id, described in resource files.
// A resource file is a small XML document:
//   <Resources> <Group id="menu"> <Image id="IMG_BTN" path="img/btn.png" rows="2" .../>
//   <Font id="FNT" face="Tahoma" size="8" bold="true"/> </Group> </Resources>
// Groups load on demand so the loading thread can spread the work. Lookups of
// missing ids throw ResourceManagerException: a missing resource is a data bug
// the game cannot paper over.

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace Lumo
{
class LumoAppBase;
class MemoryImage;
class Font;
class CelAnimation;

class ResourceManagerException : public std::runtime_error
{
public:
    explicit ResourceManagerException(const std::string& what) : std::runtime_error(what) {}
};

// Options of one image resource, as read from its element.
struct ImageResourceOptions
{
    std::string path;
    std::string alphaPath; // explicit alpha companion; empty uses the naming rule
    int rows = 1;
    int cols = 1;
    std::string anim; // "", "none", "once", "pingpong", "loop"
    int frameDelay = 1;
    int beginDelay = 0;
    int endDelay = 0;
    std::vector<int> perFrameDelays;
    std::vector<int> frameMap;
    bool palettize = false; // wish: keep as 8-bit palette when the colours fit
    bool purge = false;     // wish: drop the pixels once they live on the display
    int textureFlags = 0;   // bits 1, 4 and 8 OR'ed into the image's texture flags
};

class ResourceManager
{
public:
    explicit ResourceManager(LumoAppBase* app);
    virtual ~ResourceManager();

    // --- Resource files
    bool ParseResourcesFile(const std::string& path);
    bool ParseResourcesText(const std::string& xml); // the same from memory
    bool LoadResources(const std::string& group);    // loads every item of the group
    bool IsGroupLoaded(const std::string& group) const;
    void DeleteResources(const std::string& group);

    // --- Lookups (null when absent, or throw)
    MemoryImage* GetImage(const std::string& id);
    Font* GetFont(const std::string& id);
    MemoryImage* GetImageThrow(const std::string& id);
    Font* GetFontThrow(const std::string& id);

    // --- Single resources
    // Loads and finishes one image; null with the error text set on failure.
    MemoryImage* LoadImageResource(const ImageResourceOptions& options);

    // --- Errors
    bool HadError() const { return !mError.empty(); }
    const std::string& GetErrorText() const { return mError; }

private:
    struct Item
    {
        std::string group;
        bool isFont = false;
        ImageResourceOptions image;
        std::string face;
        int pointSize = 10;
        int charSet = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        MemoryImage* loadedImage = nullptr; // owned
        Font* loadedFont = nullptr;         // owned
    };

    bool Fail(const std::string& text);
    void FreeItem(Item& item);

    LumoAppBase* mApp;
    std::map<std::string, Item> mImages;
    std::map<std::string, Item> mFonts;
    std::vector<std::string> mLoadedGroups;
    std::string mError;
};

} // namespace Lumo
