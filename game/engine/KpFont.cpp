#include "game/engine/KpFont.h"

#include <map>
#include <mutex>
#include <vector>

#include "framework/app/LumoAppBase.h"
#include "framework/resources/SysFont.h"
#include "game/engine/KpFile.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"

namespace
{
std::mutex gFontLock; // guards both tables: the loading thread fills them
std::map<std::string, Lumo::Font*> gFonts;
std::vector<HANDLE> gFontFiles; // AddFontMemResourceEx handles
} // namespace

bool KpFont::RegisterFontData(const std::string& bytes, const std::string& nameForLog)
{
    DWORD count = 0;
    HANDLE handle = bytes.empty() ? nullptr
                                  : AddFontMemResourceEx(const_cast<char*>(bytes.data()),
                                                         DWORD(bytes.size()), nullptr, &count);
    if (!handle || count == 0)
    {
        WriteLog("WARNING: KpFont: font file '%s' does not register", nameForLog.c_str());
        return false;
    }
    std::lock_guard<std::mutex> lock(gFontLock);
    gFontFiles.push_back(handle);
    return true;
}

bool KpFont::IsFaceAvailable(const std::string& face)
{
    // Fonts registered from memory are private and not enumerable: ask GDI which
    // face it actually selects for the name.
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
    char selected[LF_FACESIZE] = {0};
    if (dc && font)
    {
        HGDIOBJ old = SelectObject(dc, font);
        GetTextFaceA(dc, LF_FACESIZE, selected);
        SelectObject(dc, old);
    }
    if (font)
        DeleteObject(font);
    if (dc)
        DeleteDC(dc);
    return _stricmp(selected, face.c_str()) == 0;
}

int KpFont::LoadConfig(IXMLDOMNode* document)
{
    XmlForEachNode(document, L"ui/fonts/fontfile",
                   [](IXMLDOMNode* element)
                   {
                       std::string file, bytes;
                       if (!XmlReadString(element, "file", file) || file.empty())
                           WriteLog("WARNING: KpFont::LoadConfig: a font file without file");
                       else if (!KpReadFile(file, bytes))
                           WriteLog("WARNING: KpFont::LoadConfig: cannot read font file '%s'",
                                    file.c_str());
                       else
                           RegisterFontData(bytes, file);
                   });
    XmlForEachNode(
        document, L"ui/fonts/font",
        [](IXMLDOMNode* element)
        {
            std::string name, face, fallback = "Tahoma";
            int size = 0;
            bool bold = false, italic = false;
            if (!XmlReadString(element, "name", name) || name.empty() ||
                !XmlReadString(element, "face", face) || face.empty() ||
                !XmlReadInt(element, "size", size) || size < 4 || size > 200)
            {
                WriteLog(
                    "WARNING: KpFont::LoadConfig: a font without name, face or a size of 4-200");
                return;
            }
            XmlReadBool(element, "bold", bold);
            XmlReadBool(element, "italic", italic);
            XmlReadString(element, "fallback", fallback);
            if (!IsFaceAvailable(face))
            {
                WriteLog("WARNING: KpFont::LoadConfig: font '%s': face '%s' is missing; using '%s'",
                         name.c_str(), face.c_str(), fallback.c_str());
                face = fallback;
            }
            AddFont(name, new Lumo::SysFont(gLumoApp, face, size, bold, italic, false));
        });
    std::lock_guard<std::mutex> lock(gFontLock);
    return int(gFonts.size());
}

Lumo::Font* KpFont::GetFont(const std::string& name)
{
    std::lock_guard<std::mutex> lock(gFontLock);
    auto found = gFonts.find(name);
    return found == gFonts.end() ? nullptr : found->second;
}

int KpFont::GetCount()
{
    std::lock_guard<std::mutex> lock(gFontLock);
    return int(gFonts.size());
}

void KpFont::AddFont(const std::string& name, Lumo::Font* font)
{
    std::lock_guard<std::mutex> lock(gFontLock);
    Lumo::Font*& slot = gFonts[name];
    delete slot;
    slot = font;
}

void KpFont::Clear()
{
    std::lock_guard<std::mutex> lock(gFontLock);
    for (auto& font : gFonts)
        delete font.second;
    gFonts.clear();
    for (HANDLE handle : gFontFiles)
        RemoveFontMemResourceEx(handle);
    gFontFiles.clear();
}
