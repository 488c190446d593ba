#pragma once
// Lumo::ResourceManager: images and fonts by id, described in resource files.
// A resource file is a small XML document:
//   <Resources>
//     <Group id="menu">
//       <Image id="IMG_BTN" path="img/btn.png" rows="2" anim="loop" framedelay="5"/>
//       <Font id="FNT_SMALL" face="Tahoma" size="8" bold="true"/>
//     </Group>
//   </Resources>
// Image attributes: path; rows, cols (default 1); anim ("none", "once",
// "pingpong", "loop"), framedelay, begindelay, enddelay, perframedelay and
// framemap (comma-separated numbers); palettize, purge (storage wishes);
// minsubdivide, a4r4g4b4, a8r8g8b8 (texture flags 1, 4, 8). Booleans are
// "true" or a non-zero number. Font attributes: face, size (points), charset,
// bold, italic, underline.
// Once the application has a display, images load as display images (in a
// surface of their own in 2D). Groups load on demand so the loading thread can
// spread the work. Lookups of
// missing ids through the Throw forms raise ResourceManagerException: a missing
// resource is a data fault the game cannot paper over.

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Lumo
{
class AppHost;
class MemoryImage;
class Font;
struct XmlElement;

class ResourceManagerException : public std::runtime_error
{
public:
    explicit ResourceManagerException(const std::string& what) : std::runtime_error(what) {}
};

// Options of one image resource, as read from its element.
struct ImageResourceOptions
{
    std::string path;
    int rows = 1;
    int cols = 1;
    bool hasAnim = false;
    int animType = 0; // CelAnimation type
    int frameDelay = 1;
    int beginDelay = 0;
    int endDelay = 0;
    std::vector<int> perFrameDelays;
    std::vector<int> frameMap;
    bool palettize = false; // keep as 8-bit palette when the colours fit
    bool purge = false;     // drop the memory pixels once the display holds them
    int textureFlags = 0;   // OR'ed into the image's texture flags
};

class ResourceManager
{
public:
    explicit ResourceManager(AppHost* app);
    virtual ~ResourceManager();

    // --- Resource files (a file may be parsed after others; ids must stay unique)
    bool ParseResourcesFile(const std::string& path);
    bool ParseResourcesText(const std::string& xml);
    bool LoadResources(const std::string& group); // every item of the group
    bool IsGroupLoaded(const std::string& group) const;
    void DeleteResources(const std::string& group); // frees what the group loaded

    // --- Lookups of loaded resources: null when absent, or throw
    MemoryImage* GetImage(const std::string& id);
    Font* GetFont(const std::string& id);
    MemoryImage* GetImageThrow(const std::string& id);
    Font* GetFontThrow(const std::string& id);

    // --- Single images
    // Reads an element's image options; false with the error text on a bad value.
    static bool ReadImageOptions(const XmlElement& element, ImageResourceOptions& options,
                                 std::string* error);
    // Loads and finishes one image (cel layout, animation, storage options);
    // null with the error text set on failure. The caller owns the image.
    MemoryImage* LoadImageResource(const ImageResourceOptions& options);

    // --- Errors: the last failure's text
    bool HadError() const { return !mError.empty(); }
    const std::string& GetErrorText() const { return mError; }

private:
    struct ImageItem
    {
        std::string group;
        ImageResourceOptions options;
        MemoryImage* image = nullptr; // owned once loaded
    };
    struct FontItem
    {
        std::string group;
        std::string face;
        int pointSize = 10;
        int charSet = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        Font* font = nullptr; // owned once loaded
    };

    bool Fail(const std::string& text);
    bool ParseRoot(const XmlElement& root);

    AppHost* mApp;
    std::map<std::string, ImageItem> mImages;
    std::map<std::string, FontItem> mFonts;
    std::vector<std::string> mGroups; // known groups, in file order
    std::vector<std::string> mLoadedGroups;
    std::string mError;
};

} // namespace Lumo
