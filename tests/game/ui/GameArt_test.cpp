// The art tool's output: the same bytes from two runs, a picture in data.pak
// for every texture that cfg\ui.xml names, and one look for Zorka.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>

#include "framework/app/PakInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "game/scene/KpAtlasCache.h"
#include "game/scene/KpAtlasImage.h"
#include "game/engine/KpFile.h"
#include "game/engine/KpXml.h"
#include "tests/game/ui/UiTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{
// Runs artgen into the folder; true when it ended with 0.
bool RunArtTool(const std::string& folder)
{
    std::string line =
        "\"" + std::string(LUMO_BINARY_DIR) + "/tools/artgen/artgen.exe\" \"" + folder + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    DWORD code = 1;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return code == 0;
}

// Every file under the folder by its path relative to it.
void ReadTree(const std::string& root, const std::string& relative,
              std::map<std::string, std::string>& files)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((root + "\\" + relative + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ReadTree(root, relative + name + "\\", files);
        else
            files[relative + name] = ReadTestFile(root + "\\" + relative + name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}
} // namespace

TEST(GameArt, TwoRunsOfTheArtToolGiveTheSameBytes)
{
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(folder.Enter("gameart"));
    ASSERT_TRUE(RunArtTool(folder.Path() + "\\one"));
    ASSERT_TRUE(RunArtTool(folder.Path() + "\\two"));
    std::map<std::string, std::string> one, two;
    ReadTree(folder.Path() + "\\one", "", one);
    ReadTree(folder.Path() + "\\two", "", two);
    folder.Leave();
    EXPECT_GE(one.size(), 40u);
    ASSERT_EQ(one.size(), two.size());
    for (const auto& file : one)
    {
        auto other = two.find(file.first);
        ASSERT_NE(other, two.end()) << file.first;
        EXPECT_TRUE(file.second == other->second) << file.first << " differs";
    }
}

TEST(GameArt, EveryTextureTheLayoutsNameIsInTheArchive)
{
    int count = 0;
    XmlForEachNode(UiLayoutRoot(), L"textures/texture",
                   [&count](IXMLDOMNode* texture)
                   {
                       std::string name, file, bytes;
                       XmlReadString(texture, "name", name);
                       XmlReadString(texture, "file", file);
                       EXPECT_TRUE(KpReadFile(file, bytes) && bytes.size() > 8)
                           << "texture '" << name << "': no '" << file << "'";
                       count++;
                   });
    EXPECT_GE(count, 40);
    // And every texture a layout's image names is one of them.
    XmlForEachNode(UiLayoutRoot(), L"layouts//image",
                   [](IXMLDOMNode* image)
                   {
                       std::wstring texture;
                       XmlReadString(image, "texture", texture);
                       EXPECT_TRUE(XmlSelectNode(UiLayoutRoot(),
                                                 L"textures/texture[@name=\"" + texture + L"\"]"))
                           << "no texture named " << std::string(texture.begin(), texture.end());
                   });
}

TEST(GameArt, AtlasPagesHoldTrimmedPicturesTheCacheFinds)
{
    KpAtlasCache cache("img\\ui\\sample\\icons");
    ASSERT_EQ(cache.GetRegionCount(), 8);
    for (const char* name :
         {"flash", "clean", "expert", "match", "mega", "money", "lives", "clock"})
    {
        KpAtlasImage icon;
        ASSERT_TRUE(icon.Load(&cache, std::string("img/ui/sample/icons/") + name + ".png")) << name;
        ASSERT_TRUE(icon.IsRegion()) << name;
        EXPECT_EQ(icon.GetWidth(), 64);
        EXPECT_EQ(icon.GetHeight(), 64);
        // Trimmed to the visible pixels: each edge row and column of the
        // rectangle shows something, and the gap around it shows nothing.
        Lumo::MemoryImage* page = dynamic_cast<Lumo::MemoryImage*>(icon.GetImage());
        ASSERT_NE(page, nullptr);
        const Lumo::Rect r = icon.GetRect();
        auto alpha = [page](int x, int y)
        { return page->GetPixels()[size_t(y) * page->mWidth + x] >> 24; };
        uint32_t top = 0, bottom = 0, left = 0, right = 0, gap = 0;
        for (int x = r.mX; x < r.mX + r.mWidth; x++)
        {
            top |= alpha(x, r.mY);
            bottom |= alpha(x, r.mY + r.mHeight - 1);
            gap |= alpha(x, r.mY - 1) | alpha(x, r.mY + r.mHeight);
        }
        for (int y = r.mY; y < r.mY + r.mHeight; y++)
        {
            left |= alpha(r.mX, y);
            right |= alpha(r.mX + r.mWidth - 1, y);
            gap |= alpha(r.mX - 1, y) | alpha(r.mX + r.mWidth, y);
        }
        EXPECT_TRUE(top && bottom && left && right) << name;
        EXPECT_EQ(gap, 0u) << name;
        EXPECT_GE(icon.GetTrimX(), 8) << name; // drawn 8 pixels into its frame
    }
}

namespace
{
// Shares of a picture's opaque pixels in Zorka's colours: her top (cherry,
// lit lighter and darker), her apron (white) and her hair (coffee).
struct LookShares
{
    double top = 0, apron = 0, hair = 0;
};

LookShares SharesOf(Lumo::MemoryImage* image, const Lumo::Rect& r)
{
    auto within = [](uint32_t c, uint32_t want, int tolerance)
    {
        for (int shift = 0; shift < 24; shift += 8)
            if (abs(int((c >> shift) & 255) - int((want >> shift) & 255)) > tolerance)
                return false;
        return true;
    };
    LookShares shares;
    int opaque = 0;
    for (int y = r.mY; y < r.mY + r.mHeight; y++)
        for (int x = r.mX; x < r.mX + r.mWidth; x++)
        {
            uint32_t c = image->GetPixels()[size_t(y) * image->mWidth + x];
            if ((c >> 24) < 250)
                continue;
            opaque++;
            shares.top += within(c, 0xD9534F, 48);
            shares.apron += within(c, 0xFFFFFF, 20);
            shares.hair += within(c, 0x5B3A29, 30);
        }
    if (opaque)
    {
        shares.top /= opaque;
        shares.apron /= opaque;
        shares.hair /= opaque;
    }
    return shares;
}
} // namespace

TEST(GameArt, ZorkaWearsTheSameInTheComicsAsOnTheMenus)
{
    KpAtlasCache cache("img\\comix\\comix");
    KpAtlasImage comic;
    ASSERT_TRUE(comic.Load(&cache, "img/comix/zorka.png"));
    KpAtlasImage menu;
    ASSERT_TRUE(menu.Load(nullptr, "img/menu/girl_front.png"));
    for (KpAtlasImage* picture : {&comic, &menu})
    {
        Lumo::MemoryImage* image = dynamic_cast<Lumo::MemoryImage*>(picture->GetImage());
        ASSERT_NE(image, nullptr);
        LookShares shares = SharesOf(image, picture->GetRect());
        const char* which = picture == &comic ? "comic" : "menu";
        EXPECT_GT(shares.top, 0.12) << which;
        EXPECT_GT(shares.apron, 0.06) << which;
        EXPECT_GT(shares.hair, 0.04) << which;
    }
}
