// The game's named textures from the "textures" element of "cfg\ui.xml". A
// texture's picture is loaded when the first holder locks it and dropped when
// the last one unlocks it, so only the screens on view keep their pictures in
// memory. Handles are cheap copies; an empty handle stands for a name that no
// texture bears.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

namespace Lumo
{
class Image;
}

struct KpTextureEntry;

class KpImageHandle
{
public:
    KpImageHandle() = default;
    explicit KpImageHandle(KpTextureEntry* entry) : mEntry(entry) {}

    // Holds the picture, loading it on the first hold; false when it cannot be read.
    bool Lock() const;
    // Releases one hold; the picture goes with the last.
    void Unlock() const;
    // The picture while held; null otherwise or for an empty handle.
    Lumo::Image* GetImage() const;
    // The texture's name; empty for an empty handle.
    std::string GetName() const;
    bool IsNull() const { return mEntry == nullptr; }
    bool operator==(const KpImageHandle& other) const { return mEntry == other.mEntry; }

private:
    KpTextureEntry* mEntry = nullptr; // owned by the texture manager
};

// True when the handle holds no texture.
inline bool IsImageHandleNull(const KpImageHandle& handle)
{
    return handle.IsNull();
}

class KpTextureManager
{
public:
    // Files every "ui/textures/texture" (name, file, rows, cols); bad ones
    // are skipped with a warning. Returns the number of textures.
    static int LoadConfig(IXMLDOMNode* document);
    // A handle on the texture of that name; empty when none bears it.
    static KpImageHandle GetImage(const std::string& name);
    static int GetCount();
    // Deletes every texture and its picture; handles must not be used after it.
    static void Clear();
};
