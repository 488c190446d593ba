// The renderer and the self-test on the real Direct3D 7 HAL device that Wine
// gives on the test's Xvfb screen (Mesa's software OpenGL underneath; see the
// platform notes: 32 bpp render targets, A8R8G8B8 / A4R4G4B4 / R5G6B5 textures,
// a -0.5 offset quad fill covers exactly its integer rectangle).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

typedef HRESULT(WINAPI* CreateExFunc)(GUID*, void**, REFIID, IUnknown*);

HWND MakeWindow()
{
    static bool registered = false;
    if (!registered)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LumoD3DTestWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowA("LumoD3DTestWindow", "d3d test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::vector<std::string> gDeviceErrors;
void KeepError(const std::string& text)
{
    gDeviceErrors.push_back(text);
}

class DeviceTest : public ::testing::Test
{
protected:
    HWND window = nullptr;
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* target = nullptr;
    D3DInterface* d3d = nullptr;
    static constexpr int kSize = 128;

    void SetUp() override
    {
        gDeviceErrors.clear();
        SetD3DErrorSink(KeepError);
        window = MakeWindow();
        ASSERT_NE(nullptr, window);
        HMODULE ddraw = LoadLibraryA("ddraw.dll");
        ASSERT_NE(nullptr, ddraw);
        CreateExFunc createEx = (CreateExFunc)(void*)GetProcAddress(ddraw, "DirectDrawCreateEx");
        ASSERT_NE(nullptr, createEx);
        ASSERT_EQ(DD_OK, createEx(nullptr, (void**)&dd, IID_IDirectDraw7, nullptr));
        ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(window, DDSCL_NORMAL));
        DDSURFACEDESC2 desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = kSize;
        desc.dwHeight = kSize;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
        ASSERT_EQ(DD_OK, dd->CreateSurface(&desc, &target, nullptr));
        IDirectDrawSurface* first = nullptr;
        ASSERT_EQ(DD_OK, target->QueryInterface(IID_IDirectDrawSurface, (void**)&first));
        d3d = new D3DInterface();
        const bool ok = d3d->InitOn(dd, window, first, kSize, kSize, nullptr);
        first->Release();
        ASSERT_TRUE(ok) << gD3DLastError;
    }

    void TearDown() override
    {
        delete d3d;
        if (target)
            target->Release();
        if (dd)
            dd->Release();
        if (window)
            DestroyWindow(window);
        SetD3DErrorSink(nullptr);
        ResetTextureLimits();
        gSupportedTextureFormats = 0;
    }

    // The render target's pixels as 0xRRGGBB.
    std::vector<uint32_t> ReadTarget()
    {
        d3d->EndSceneIfOpen();
        std::vector<uint32_t> pixels(kSize * kSize, 0);
        DDSURFACEDESC2 desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        if (target->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
            return pixels;
        EXPECT_EQ(32u, desc.ddpfPixelFormat.dwRGBBitCount);
        for (int y = 0; y < kSize; y++)
            for (int x = 0; x < kSize; x++)
                pixels[y * kSize + x] =
                    ((const uint32_t*)((const char*)desc.lpSurface + y * desc.lPitch))[x] &
                    0xFFFFFF;
        target->Unlock(nullptr);
        return pixels;
    }
};

} // namespace

TEST_F(DeviceTest, DeviceReportsLimitsAndFormats)
{
    EXPECT_GE(gMaxTextureWidth, 256);
    EXPECT_LE(gMaxTextureWidth, 2048);
    EXPECT_GE(gMinTextureWidth, 1);
    EXPECT_TRUE(gSupportedTextureFormats & A8R8G8B8);
    EXPECT_TRUE(gSupportedTextureFormats & R5G6B5);
    EXPECT_FALSE(gSupportedTextureFormats & Palette8);
    EXPECT_GT(d3d->mViewport.dwWidth, 0u);
}

TEST_F(DeviceTest, FilledRectangleCoversExactlyItsPixels)
{
    Rect rect(10, 20, 5, 5);
    const Color red(255, 0, 0, 255);
    d3d->FillRect(&rect, &red, 0);
    std::vector<uint32_t> p = ReadTarget();
    EXPECT_EQ(0xFF0000u, p[20 * kSize + 10]);
    EXPECT_EQ(0xFF0000u, p[24 * kSize + 14]);
    EXPECT_EQ(0u, p[20 * kSize + 9]);
    EXPECT_EQ(0u, p[19 * kSize + 10]);
    EXPECT_EQ(0u, p[25 * kSize + 14]);
    EXPECT_EQ(0u, p[24 * kSize + 15]);

    // Half-transparent green over the red blends; additive adds.
    const Color green(0, 255, 0, 128);
    d3d->FillRect(&rect, &green, 0);
    p = ReadTarget();
    const uint32_t blended = p[22 * kSize + 12];
    EXPECT_NEAR(0x7F, (int)(blended >> 16), 2);
    EXPECT_NEAR(0x80, (int)((blended >> 8) & 0xFF), 2);
    const Color blue(0, 0, 255, 255);
    d3d->FillRect(&rect, &blue, 1);
    p = ReadTarget();
    EXPECT_EQ(0xFFu, p[22 * kSize + 12] & 0xFF);
    EXPECT_NEAR(0x7F, (int)(p[22 * kSize + 12] >> 16), 2);
    EXPECT_TRUE(gDeviceErrors.empty()) << gDeviceErrors[0];
}

TEST_F(DeviceTest, LineLightsItsPixelsEndPixelIncluded)
{
    const Color white(255, 255, 255, 255);
    d3d->DrawLine(20, 50, 30, 50, &white, 0);
    std::vector<uint32_t> p = ReadTarget();
    EXPECT_EQ(0xFFFFFFu, p[50 * kSize + 25]);
    EXPECT_EQ(0xFFFFFFu, p[50 * kSize + 30]);
    EXPECT_EQ(0u, p[50 * kSize + 35]);
    EXPECT_EQ(0u, p[52 * kSize + 25]);
}

TEST_F(DeviceTest, TexturedQuadShowsTheImageAndReadsBack)
{
    MemoryImage image;
    std::vector<uint32_t> source(100 * 100);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 100; x++)
            source[y * 100 + x] = x < 50 ? 0xFF00FF00 : (y < 50 ? 0xFF0000FF : 0xFFFF0000);
    image.SetPixels(source.data(), 100, 100, true);
    Rect src(0, 0, 100, 100);
    const Color white(255, 255, 255, 255);
    d3d->Blt(&image, 10, 10, &src, &white, 0, false);
    ASSERT_NE(nullptr, image.mTexture);
    EXPECT_EQ(A8R8G8B8, image.mTexture->format); // new images keep 32 bits
    EXPECT_EQ(1u, image.mTexture->pieces.size());
    std::vector<uint32_t> p = ReadTarget();
    EXPECT_EQ(0x00FF00u, p[10 * kSize + 10]);
    EXPECT_EQ(0x00FF00u, p[109 * kSize + 59]);
    EXPECT_EQ(0x0000FFu, p[10 * kSize + 60]);
    EXPECT_EQ(0xFF0000u, p[109 * kSize + 109]);
    EXPECT_EQ(0u, p[9 * kSize + 10]);
    EXPECT_EQ(0u, p[110 * kSize + 109]);

    // Read-back rebuilds the pixels from the texture.
    memset(image.mPixels, 0, 100 * 100 * 4);
    ASSERT_TRUE(D3DInterface::ReadBackImage(&image));
    EXPECT_EQ(0, memcmp(source.data(), image.mPixels, source.size() * 4));

    // A changed image refuses read-back until it is drawn again.
    image.mPixels[0] = 0xFFFFFFFF;
    image.PixelsChanged();
    EXPECT_FALSE(D3DInterface::ReadBackImage(&image));
    EXPECT_EQ(0xFFFFFFFFu, image.mPixels[0]);
    d3d->RemoveImageTexture(&image);
    EXPECT_EQ(nullptr, image.mTexture);
    EXPECT_TRUE(d3d->mTextureSet.empty());
}

TEST_F(DeviceTest, MaskedBlitTakesShapeFromBothAndColourFromTheMask)
{
    // The picture is opaque on its left half, the mask on its top half.
    MemoryImage picture, mask;
    std::vector<uint32_t> pixels(16 * 16), maskPixels(16 * 16);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
        {
            pixels[y * 16 + x] = x < 8 ? 0xFF00FF00 : 0x0000FF00;
            maskPixels[y * 16 + x] = y < 8 ? 0xFFFF0000 : 0x00FF0000;
        }
    picture.SetPixels(pixels.data(), 16, 16, true);
    mask.SetPixels(maskPixels.data(), 16, 16, true);
    Rect src(0, 0, 16, 16);
    Matrix3 identity;
    Matrix3 maskMatrix;
    maskMatrix.Translate(20, 20);
    MaskRect maskSrc;
    maskSrc.width = 16;
    maskSrc.height = 16;
    MaskRect place;
    const Color white(255, 255, 255, 255);
    d3d->BltTransformed(&picture, nullptr, &white, 0, &src, identity, false, 20, 20, false, &mask,
                        &maskSrc, &place, &maskMatrix);
    std::vector<uint32_t> p = ReadTarget();
    EXPECT_EQ(0xFF0000u, p[22 * kSize + 22]);
    EXPECT_EQ(0xFF0000u, p[26 * kSize + 25]);
    EXPECT_EQ(0u, p[22 * kSize + 32]); // the picture is transparent there
    EXPECT_EQ(0u, p[32 * kSize + 22]); // the mask is transparent there
    EXPECT_EQ(0u, p[40 * kSize + 22]); // outside both
    EXPECT_TRUE(gDeviceErrors.empty()) << gDeviceErrors[0];

    // Plain draws afterwards are single-stage again.
    picture.SetPixels(std::vector<uint32_t>(16 * 16, 0xFF0000FF).data(), 16, 16, true);
    d3d->Blt(&picture, 60, 60, &src, &white, 0, false);
    p = ReadTarget();
    EXPECT_EQ(0x0000FFu, p[65 * kSize + 65]);
    d3d->RemoveImageTexture(&picture);
    d3d->RemoveImageTexture(&mask);
}

TEST_F(DeviceTest, SoftwareMaskedDrawGivesWhatTheRendererGives)
{
    // A disc with a translucent rim, drawn scaled through a mask that is
    // turned and moved on its own: a gradient whose alpha falls to the right.
    MemoryImage picture, mask, software;
    std::vector<uint32_t> pixels(24 * 24), maskPixels(40 * 30);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++)
        {
            const int d2 = (x - 12) * (x - 12) + (y - 12) * (y - 12);
            pixels[y * 24 + x] = d2 < 64 ? 0xFF0000FF : d2 < 121 ? 0x8000FF00 : 0;
        }
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++)
            maskPixels[y * 40 + x] = (uint32_t)(255 - x * 4) << 24 | (uint32_t)(x * 6) << 16 |
                                     (uint32_t)(y * 8) << 8 | 0x40;
    picture.SetPixels(pixels.data(), 24, 24, true);
    mask.SetPixels(maskPixels.data(), 40, 30, true);
    Rect src(0, 0, 24, 24);
    Matrix3 matrix;
    matrix.Scale(3.0f, 3.0f);
    matrix.Translate(20.0f, 16.0f);
    Matrix3 maskMatrix;
    maskMatrix.Scale(2.0f, 2.0f);
    maskMatrix.RotateDeg(20.0f);
    maskMatrix.Translate(30.0f, 10.0f);
    MaskRect maskSrc;
    maskSrc.width = 40;
    maskSrc.height = 30;
    MaskRect place;
    const Color tint(255, 255, 255, 200);
    d3d->BltTransformed(&picture, nullptr, &tint, 0, &src, matrix, false, 4, 2, false, &mask,
                        &maskSrc, &place, &maskMatrix);
    const std::vector<uint32_t> hardware = ReadTarget();
    ASSERT_TRUE(gDeviceErrors.empty()) << gDeviceErrors[0];

    std::vector<uint32_t> black(kSize * kSize, 0xFF000000);
    software.SetPixels(black.data(), kSize, kSize, true);
    Rect clip(0, 0, kSize, kSize);
    software.DrawImageMatrix(&picture, 4, 2, matrix, &clip, &tint, 0, &src, false, &mask, &maskSrc,
                             &place, &maskMatrix);
    const uint32_t* drawn = software.GetPixels();
    // Pixel for pixel the same, but for sampling ties on the shape's and the
    // mask's edges, where the two roads may round a centre either way.
    int covered = 0, differ = 0;
    for (int i = 0; i < kSize * kSize; i++)
    {
        const uint32_t a = hardware[i], b = drawn[i] & 0xFFFFFF;
        covered += a != 0 || b != 0;
        int worst = 0;
        for (int shift = 0; shift < 24; shift += 8)
            worst =
                std::max(worst, std::abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF)));
        differ += worst > 6;
    }
    EXPECT_GT(covered, 1200);
    EXPECT_LT(differ, covered / 25) << differ << " of " << covered;
    d3d->RemoveImageTexture(&picture);
    d3d->RemoveImageTexture(&mask);
}

TEST_F(DeviceTest, ChangedPixelsRefillWhileANewFormatRebuilds)
{
    MemoryImage image;
    std::vector<uint32_t> source(40 * 30, 0xFF204060);
    image.SetPixels(source.data(), 40, 30, true);
    image.mTextureFlags = 0; // opaque images may use 16 bits
    ASSERT_TRUE(d3d->CreateImageTexture(&image));
    EXPECT_EQ(R5G6B5, image.mTexture->format);
    IDirectDrawSurface7* first = image.mTexture->pieces[0].surface;
    const int bytes = image.mTexture->textureBytes;
    EXPECT_EQ(64 * 32 * 2, bytes);

    image.mPixels[5] = 0xFF00FF00;
    image.PixelsChanged();
    ASSERT_TRUE(d3d->CreateImageTexture(&image));
    EXPECT_EQ(first, image.mTexture->pieces[0].surface);
    EXPECT_EQ(bytes, image.mTexture->textureBytes);
    EXPECT_EQ(image.mChangeCount, image.mTexture->changeCount);

    image.mPixels[6] = 0x80FFFFFF; // now translucent
    image.PixelsChanged();
    ASSERT_TRUE(d3d->CreateImageTexture(&image));
    EXPECT_EQ(A8R8G8B8, image.mTexture->format);
    EXPECT_EQ(64 * 32 * 4, image.mTexture->textureBytes);

    // 16-bit texels read back with their low bits cleared.
    std::vector<uint32_t> back(40 * 30);
    image.mPixels[6] = 0xFF00FF00;
    image.PixelsChanged();
    ASSERT_TRUE(d3d->CreateImageTexture(&image));
    ASSERT_TRUE(D3DInterface::ReadBackImageInto(&image, back.data()));
    EXPECT_EQ(R5G6B5, image.mTexture->format); // opaque again
    EXPECT_EQ(0xFF00FC00u, back[5]);
    EXPECT_EQ(0xFF204060u & 0xFFF8FCF8, back[0]);
    d3d->RemoveImageTexture(&image);
}

TEST_F(DeviceTest, ImageThatGetsNoTextureKeepsItsPixels)
{
    // A size the device refuses: 32768 texels wide.
    gMaxTextureWidth = 65536;
    MemoryImage image;
    std::vector<uint32_t> source(20000, 0xFF112233);
    image.SetPixels(source.data(), 20000, 1, true);
    image.mPurgeWanted = true;
    EXPECT_FALSE(d3d->CreateImageTexture(&image));
    ASSERT_NE(nullptr, image.mPixels);
    EXPECT_EQ(0xFF112233u, image.mPixels[19999]);
    EXPECT_EQ(nullptr, image.mNativeAlphaData);
    EXPECT_EQ(TextureFormatNone, image.mTexture->format);
    // Nothing is drawn, and the failed record is rebuilt on the next try.
    Rect src(0, 0, 100, 1);
    const Color white(255, 255, 255, 255);
    d3d->Blt(&image, 0, 0, &src, &white, 0, false);
    EXPECT_FALSE(D3DInterface::ReadBackImage(&image));
    ResetTextureLimits();
    gMaxTextureWidth = gMaxTextureHeight = 2048;
    gMinTextureWidth = gMinTextureHeight = 1;
    EXPECT_TRUE(d3d->CreateImageTexture(&image));
    d3d->RemoveImageTexture(&image);
}

TEST_F(DeviceTest, CleanupKeepsThePictureOfAPurgedImage)
{
    MemoryImage image;
    std::vector<uint32_t> source(16 * 16, 0xFF336699);
    image.SetPixels(source.data(), 16, 16, true);
    ASSERT_TRUE(d3d->CreateImageTexture(&image));
    delete[] image.mPixels; // the textures alone hold the picture
    image.mPixels = nullptr;
    d3d->Cleanup();
    EXPECT_EQ(nullptr, image.mTexture);
    ASSERT_NE(nullptr, image.mPixels);
    EXPECT_EQ(0xFF336699u, image.mPixels[255]);
}

// Wine allows one Direct3D device per DirectDraw object, so the self-test
// runs on a DirectDraw of its own, as it does before the display's renderer.
TEST(D3DSelfTest, PassesOnTheWineDevice)
{
    HWND window = MakeWindow();
    ASSERT_NE(nullptr, window);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    D3DTester tester;
    tester.mCardListFolder = std::string(folder) + "lumo-no-card-lists";
    tester.SetVidMemoryRequirements(6, 14);
    tester.TestD3D(window, nullptr);
    EXPECT_EQ("", tester.GetFailureReason());
    EXPECT_EQ("", tester.GetWarning());
    EXPECT_NE(std::string::npos, tester.mDescription.find("NVIDIA")) << tester.mDescription;
    EXPECT_EQ(nullptr, tester.mD3DDevice); // everything released
    EXPECT_EQ(nullptr, tester.mDD);
    EXPECT_FALSE(tester.ResultsChanged());
    DestroyWindow(window);
}

// With the record switched on: a card never tested is tested and recorded
// afresh (not waved through untested), a recorded pass is tested again, and a
// recorded failure stands without drawing.
TEST(D3DSelfTest, RegistryRecordKeepsFailuresAndRetestsPasses)
{
    HWND window = MakeWindow();
    ASSERT_NE(nullptr, window);
    const std::string key = "LumoTests\\D3DSelfTest" + std::to_string(GetCurrentProcessId());
    const std::string path = "SOFTWARE\\" + key + "\\Test3D";
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    auto run = [&](D3DTester& tester)
    {
        tester.mUseRegistry = true;
        tester.mRegistryKey = key;
        tester.mCardListFolder = std::string(folder) + "lumo-no-card-lists";
        tester.SetVidMemoryRequirements(6, 14);
        tester.TestD3D(window, nullptr);
    };
    {
        D3DTester first;
        run(first);
        EXPECT_EQ("", first.GetFailureReason());
        EXPECT_TRUE(first.ResultsChanged());
        EXPECT_EQ(nullptr, first.mRegKey); // closed by Release
    }
    {
        D3DTester again;
        run(again);
        EXPECT_EQ("", again.GetFailureReason());
        EXPECT_FALSE(again.ResultsChanged());
    }
    HKEY hkey;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &hkey));
    const char failure[] = "Alpha blend Not Supported";
    RegSetValueExA(hkey, "FailureReason", 0, REG_SZ, (const BYTE*)failure, sizeof(failure));
    RegCloseKey(hkey);
    {
        D3DTester recorded;
        run(recorded);
        EXPECT_EQ("Alpha blend Not Supported", recorded.GetFailureReason());
        EXPECT_FALSE(recorded.ResultsChanged());
    }
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, ("SOFTWARE\\" + key).c_str()));
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\LumoTests");
    DestroyWindow(window);
}
