// Atlas packs and widget textures against small pictures the tests write:
// regions found by normalised path with their trim and untrimmed size, the
// plain-file fallback, bad regions skipped; a texture's cels, its animation
// and a source rectangle set on it.
#include "game/scene/KpAtlasCache.h"
#include "game/scene/KpAtlasImage.h"
#include "game/scene/KpTexture.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/graphics/Image.h"
#include "framework/resources/ImageLib.h"
#include "game/engine/KpTextureManager.h"
#include "tests/game/scene/SceneTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{
void WritePicture(const std::string& name, int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = 0xFF000000u | uint32_t(i);
    ASSERT_TRUE(ImageLib::WritePNGPixels(name, pixels.data(), width, height));
}

class KpAtlasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(mFolder.Enter("kpatlas"));
        StartSceneLog();
        ASSERT_NO_FATAL_FAILURE(WritePicture("page0.png", 64, 32));
        ASSERT_NO_FATAL_FAILURE(WritePicture("plain.png", 8, 6));
        WriteTestFile("comix_atlaspack.xml",
                      "<atlaspack><page file=\"page0.png\">"
                      "<region path=\"img/Comix/Girl.png\" x=\"10\" y=\"4\" w=\"20\" h=\"10\" "
                      "trimx=\"3\" trimy=\"2\" srcw=\"30\" srch=\"16\"/>"
                      "<region path=\"img\\cup.png\" x=\"40\" y=\"0\" w=\"8\" h=\"8\"/>"
                      "<region path=\"img\\bad.png\" x=\"0\" y=\"0\" w=\"20\" h=\"10\" "
                      "trimx=\"5\" srcw=\"22\" srch=\"10\"/>"
                      "<region path=\"img\\off.png\" x=\"60\" y=\"0\" w=\"20\" h=\"10\"/>"
                      "</page></atlaspack>");
    }
    void TearDown() override
    {
        KpTextureManager::Clear();
        StopSceneLog();
        mFolder.Leave();
    }
    TempFolder mFolder;
};
} // namespace

TEST_F(KpAtlasTest, RegionsAreFoundByNormalisedPathWithTrimAndUntrimmedSize)
{
    KpAtlasCache cache("comix");
    EXPECT_EQ(cache.GetPageCount(), 1);
    EXPECT_EQ(cache.GetRegionCount(), 3); // the bad one is skipped
    EXPECT_NE(SceneLogText().find("bad region 'img\\bad.png'"), std::string::npos)
        << SceneLogText();

    KpAtlasImage girl;
    ASSERT_TRUE(girl.Load(&cache, ".\\IMG\\comix\\\\girl.PNG"));
    EXPECT_TRUE(girl.IsRegion());
    EXPECT_EQ(girl.GetWidth(), 30);
    EXPECT_EQ(girl.GetHeight(), 16);
    EXPECT_EQ(girl.GetRect(), Lumo::Rect(10, 4, 20, 10));
    EXPECT_EQ(girl.GetTrimX(), 3);
    EXPECT_EQ(girl.GetTrimY(), 2);
    ASSERT_NE(girl.GetImage(), nullptr);
    EXPECT_EQ(girl.GetImage()->mWidth, 64); // the page

    // Untrimmed regions measure as their rectangle; both share the one page.
    KpAtlasImage cup;
    ASSERT_TRUE(cup.Load(&cache, "img/cup.png"));
    EXPECT_EQ(cup.GetWidth(), 8);
    EXPECT_EQ(cup.GetImage(), girl.GetImage());
}

TEST_F(KpAtlasTest, APathOutsideThePackLoadsAsAPlainFileOrNothing)
{
    KpAtlasCache cache("comix");
    KpAtlasImage plain;
    ASSERT_TRUE(plain.Load(&cache, "plain.png"));
    EXPECT_FALSE(plain.IsRegion());
    EXPECT_EQ(plain.GetWidth(), 8);
    EXPECT_EQ(plain.GetHeight(), 6);
    EXPECT_EQ(plain.GetRect(), Lumo::Rect(0, 0, 8, 6));

    KpAtlasImage noCache;
    ASSERT_TRUE(noCache.Load(nullptr, "plain.png"));
    EXPECT_EQ(noCache.GetWidth(), 8);

    // A region reaching past its page is as good as missing, and so is a missing file.
    KpAtlasImage off, missing;
    EXPECT_FALSE(off.Load(&cache, "img\\off.png"));
    EXPECT_FALSE(missing.Load(&cache, "nothing.png"));
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(missing.GetWidth(), 0);

    KpAtlasCache none("absent");
    EXPECT_EQ(none.GetRegionCount(), 0);
    EXPECT_NE(SceneLogText().find("cannot read 'absent_atlaspack.xml'"), std::string::npos);
}

TEST_F(KpAtlasTest, TextureCelsAnimateAndASourceRectangleShowsOnePart)
{
    ASSERT_NO_FATAL_FAILURE(WritePicture("strip.png", 16, 4));
    KpXmlDocument ui = SceneDocument("<ui><textures><texture name=\"strip\" file=\"strip.png\" "
                                     "cols=\"4\"/><texture name=\"page\" "
                                     "file=\"page0.png\"/></textures></ui>");
    KpTextureManager::LoadConfig(ui.Get());

    KpTexture texture(KpTextureManager::GetImage("strip"));
    EXPECT_EQ(texture.GetPicture(), nullptr); // nothing held before the lock
    ASSERT_TRUE(texture.Lock());
    EXPECT_EQ(texture.GetFrameCount(), 4);
    EXPECT_EQ(texture.GetSourceRect(), Lumo::Rect(0, 0, 4, 4));
    texture.SetAnimation(10, false);
    texture.Advance(100);
    EXPECT_EQ(texture.GetSourceRect(), Lumo::Rect(4, 0, 4, 4));
    texture.Advance(250);
    EXPECT_EQ(texture.GetFrame(), 3);
    EXPECT_FALSE(texture.IsPlaying());
    texture.Advance(1000);
    EXPECT_EQ(texture.GetFrame(), 3); // held on the last cel
    texture.Rewind();
    EXPECT_EQ(texture.GetFrame(), 0);
    EXPECT_TRUE(texture.IsPlaying());

    // A rectangle of another texture, taken while locked, is locked at once.
    texture.SetImageRect(KpTextureManager::GetImage("page"), Lumo::Rect(60, 30, 4, 2));
    ASSERT_NE(texture.GetPicture(), nullptr);
    EXPECT_EQ(texture.GetPicture()->mWidth, 64);
    EXPECT_EQ(texture.GetSourceRect(), Lumo::Rect(60, 30, 4, 2));
    EXPECT_EQ(texture.GetFrameCount(), 1);
    texture.Unlock();
    EXPECT_EQ(texture.GetPicture(), nullptr);
    // The strip's picture went with its last holder.
    EXPECT_EQ(KpTextureManager::GetImage("strip").GetImage(), nullptr);
}
