// A picture loaded from a file and marked purge-wanted keeps only what the 2D
// display draws from; its pixels come back from the file bit for bit, where a
// rebuild from the display's premultiplied data would round the colours.
#include "tests/framework/app/AppTestApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/resources/ImageLib.h"
#include "tests/framework/graphics/DDTestSupport.h"
#include "tests/support/TempFolder.h"

using namespace AppTest;

namespace
{

// Every alpha class, and translucent colours that premultiplying rounds.
const std::vector<uint32_t> kPicture = {0x80FF0000, 0x00123456, 0xFF102030, 0x40FFFFFF,
                                        0x7F0180FE, 0xC8336699, 0x01FFFFFF, 0xFE010203};

class ImageReload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(mFolder.Enter("lumo_reload_"));
        ASSERT_TRUE(ImageLib::WritePNGPixels("picture.png", kPicture.data(), 4, 2));
        mWindow = DDTest::MakeWindow(64, 48, false);
        // The application's display (its images reach the application through
        // it), 2D, without the 3D self-test.
        mApp.mTest3D = false;
        mApp.mAutoEnable3D = false;
        LoadLibraryA("ddraw.dll");
        mDisplay.reset(new Lumo::DDInterface(&mApp));
        mDisplay->mIs3D = false;
        ASSERT_EQ(Lumo::RESULT_OK, mDisplay->Init(mWindow, true)) << mDisplay->mErrorString;
    }
    void TearDown() override
    {
        mDisplay.reset();
        DestroyWindow(mWindow);
        mFolder.Leave();
    }
    // The application's loader, on the display.
    Lumo::DDImage* LoadPicture()
    {
        mApp.mDDInterface = mDisplay.get();
        Lumo::DDImage* image = mApp.GetImage("picture.png", false);
        mApp.mDDInterface = nullptr; // the test owns the display
        return image;
    }
    // A plain (untransformed, untinted) draw onto the 2D screen.
    void DrawOnScreen(Lumo::Image* image)
    {
        Lumo::Color white(255, 255, 255, 255);
        mDisplay->GetScreenImage()->DrawImage(image, 3, 2, nullptr, &white, 0);
    }

    TestApp mApp;
    TempFolder mFolder;
    HWND mWindow = nullptr;
    std::unique_ptr<Lumo::DDInterface> mDisplay;
};

} // namespace

TEST_F(ImageReload, PurgedFilePictureComesBackExactlyAndStaysOnceNeeded)
{
    std::unique_ptr<Lumo::DDImage> image(LoadPicture());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(std::vector<uint32_t>(image->mPixels, image->mPixels + 8), kPicture);
    image->mPurgeWanted = true;

    DrawOnScreen(image.get());
    EXPECT_EQ(image->mPixels, nullptr) << "a plain draw needs only the native data";
    ASSERT_NE(image->mNativeAlphaData, nullptr);
    EXPECT_EQ(image->mRunLengthAdditiveData, nullptr) << "no additive draw walked it";

    uint32_t* back = image->GetPixels();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(back, back + 8), kPicture);
    // Needed once, the pixels stay: the next plain draw keeps them.
    DrawOnScreen(image.get());
    EXPECT_EQ(image->mPixels, back);
}

TEST_F(ImageReload, PictureThatIsNotTheFileKeepsItsPixels)
{
    // Not read from a file: nothing could give the pixels back exactly.
    std::unique_ptr<Lumo::DDImage> made(new Lumo::DDImage(mDisplay.get()));
    made->SetPixels(kPicture.data(), 4, 2, true);
    made->mPurgeWanted = true;
    DrawOnScreen(made.get());
    EXPECT_NE(made->mPixels, nullptr);

    // Read from the file but drawn into since: the file no longer holds the picture.
    std::unique_ptr<Lumo::DDImage> changed(LoadPicture());
    ASSERT_NE(changed, nullptr);
    changed->mPurgeWanted = true;
    Lumo::Rect corner(0, 0, 1, 1);
    Lumo::Color blue(0, 0, 255, 255);
    changed->FillRect(&corner, &blue, 0);
    DrawOnScreen(changed.get());
    ASSERT_NE(changed->mPixels, nullptr);
    EXPECT_EQ(changed->mPixels[0], 0xFF0000FFu);
}
