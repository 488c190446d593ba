#include "game/engine/KpCursorSet.h"

#include <mutex>

#include "framework/app/LumoAppBase.h"
#include "framework/app/LumoVector2.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"

namespace
{
// The display draws a cursor picture centred on the pointer inside this square.
const int kCursorArea = 64;

struct CursorKind
{
    const char* name;
    int number;
};
const CursorKind kKinds[] = {{"arrow", Lumo::CURSOR_POINTER},
                             {"hand", Lumo::CURSOR_HAND},
                             {"drag", Lumo::CURSOR_DRAGGING},
                             {"text", Lumo::CURSOR_TEXT},
                             {"wait", Lumo::CURSOR_WAIT}};

std::mutex gCursorLock; // guards the pictures: loaded on the loading thread
Lumo::MemoryImage* gImages[Lumo::NUM_CURSORS] = {};
Lumo::MemoryImage* gBlank = nullptr; // shown in every slot while hidden
bool gShown = false;

// Moves the picture into a square whose centre is the hot spot.
Lumo::MemoryImage* CentreOnHotSpot(ImageLib::Image& file, int hotX, int hotY)
{
    int w = file.GetWidth(), h = file.GetHeight();
    int half = std::max(std::max(hotX, w - hotX), std::max(hotY, h - hotY));
    if (half * 2 > kCursorArea)
        return nullptr;
    Lumo::MemoryImage source;
    source.SetPixels(file.GetBits(), w, h, true);
    Lumo::MemoryImage* image = new Lumo::MemoryImage();
    image->Create(half * 2, half * 2);
    Lumo::Graphics g(image);
    g.DrawImage(&source, half - hotX, half - hotY);
    return image;
}

void Install(bool shown)
{
    if (!gLumoApp)
        return;
    for (const CursorKind& kind : kKinds)
        gLumoApp->SetCursorImage(kind.number, shown ? gImages[kind.number] : gBlank);
    gLumoApp->EnableCustomCursors(true);
}
} // namespace

int KpCursorSet::LoadConfig(IXMLDOMNode* document)
{
    int count = 0;
    XmlForEachNode(
        document, L"ui/cursors/cursor",
        [&count](IXMLDOMNode* element)
        {
            std::string name, file;
            Lumo::LumoVector2 hot;
            const CursorKind* kind = nullptr;
            XmlReadString(element, "name", name);
            for (const CursorKind& k : kKinds)
                if (name == k.name)
                    kind = &k;
            if (!kind || !XmlReadString(element, "file", file) ||
                !XmlReadPoint(element, "hot", hot))
            {
                WriteLog("WARNING: KpCursorSet::LoadConfig: cursor '%s': unknown name or no file "
                         "and hot spot",
                         name.c_str());
                return;
            }
            ImageLib::Image* picture = ImageLib::GetImage(file, true);
            Lumo::MemoryImage* image =
                picture ? CentreOnHotSpot(*picture, int(hot.x), int(hot.y)) : nullptr;
            delete picture;
            if (!image)
            {
                WriteLog("WARNING: KpCursorSet::LoadConfig: cursor '%s': cannot read '%s' or it is "
                         "larger than the cursor area",
                         name.c_str(), file.c_str());
                return;
            }
            std::lock_guard<std::mutex> lock(gCursorLock);
            delete gImages[kind->number];
            gImages[kind->number] = image;
            count++;
        });
    std::lock_guard<std::mutex> lock(gCursorLock);
    if (!gBlank)
    {
        gBlank = new Lumo::MemoryImage();
        gBlank->Create(1, 1);
    }
    return count;
}

void KpCursorSet::Show()
{
    std::lock_guard<std::mutex> lock(gCursorLock);
    gShown = true;
    Install(true);
}

void KpCursorSet::Hide()
{
    std::lock_guard<std::mutex> lock(gCursorLock);
    gShown = false;
    Install(false);
}

bool KpCursorSet::IsShown()
{
    std::lock_guard<std::mutex> lock(gCursorLock);
    return gShown;
}

int KpCursorSet::GetCount()
{
    std::lock_guard<std::mutex> lock(gCursorLock);
    int count = 0;
    for (const CursorKind& kind : kKinds)
        count += gImages[kind.number] != nullptr;
    return count;
}

Lumo::Image* KpCursorSet::GetCursorImage(int cursorNumber)
{
    std::lock_guard<std::mutex> lock(gCursorLock);
    return cursorNumber >= 0 && cursorNumber < Lumo::NUM_CURSORS ? gImages[cursorNumber] : nullptr;
}

void KpCursorSet::Clear()
{
    std::lock_guard<std::mutex> lock(gCursorLock);
    if (gLumoApp)
    {
        for (const CursorKind& kind : kKinds)
            gLumoApp->SetCursorImage(kind.number, nullptr);
        gLumoApp->EnableCustomCursors(false);
    }
    for (Lumo::MemoryImage*& image : gImages)
    {
        delete image;
        image = nullptr;
    }
    delete gBlank;
    gBlank = nullptr;
    gShown = false;
}
