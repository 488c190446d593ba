#pragma once
// Lumo::D3DTester checks, before the display draws through Direct3D 7, that the
// card and driver can do what the renderer needs: enough video memory, a card
// that is not known to misbehave, a hardware device, usable texture formats,
// and four blend modes plus clipping that give the right pixels. It draws small
// pictures into an off-screen target, reads them back and compares colours.
// The outcome is two texts: a failure reason (no 3D) and a warning (3D works
// but is not recommended).

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace Lumo
{

// 32-bit ARGB picture the tests are drawn from and read back into.
class D3DTestImage
{
public:
    uint32_t* mPixels = nullptr;
    int mWidth = 0, mHeight = 0;

    D3DTestImage() = default;
    ~D3DTestImage() { Free(); }
    D3DTestImage(const D3DTestImage&) = delete;
    D3DTestImage& operator=(const D3DTestImage&) = delete;

    void Create(int width, int height);
    void Free();
    void FillRect(int x, int y, int w, int h, uint32_t color);
    // One-pixel columns: even opaque black, odd opaque white.
    void FillCheckerColumns();
    // Squared distance of the red, green and blue channels; alpha is ignored.
    static int ColorDistance(uint32_t a, uint32_t b);
    // True when the w x h pixels at the origin are all equal; counts those
    // farther than 768 from `expected`.
    bool CheckUniform(uint32_t expected, int& errorCount, int w, int h) const;
    // Pixels of the region farther than 768 from their column's checker colour.
    int CountCheckerErrors(int w, int h, int x, int y) const;
};

// Texture formats the tester looks for, as bits.
enum D3DTestFormatBits
{
    D3DTestFormatA8R8G8B8 = 1,
    D3DTestFormatA4R4G4B4 = 2,
    D3DTestFormatR5G6B5 = 4,
    D3DTestFormatPalette8 = 8
};

// Video memory in megabytes, the desktop's frame buffer counted, in 64 bits
// (Wine reports nearly 4 GB free).
int TestVideoMemoryMB(int bitsPerPixel, int width, int height, uint32_t totalVideoMemory);
// True when a trimmed list line occurs in the description, ignoring case;
// an empty line matches nothing.
bool CardListLineMatches(const std::string& line, const std::string& description);
// Some line of the list file matches; false when the file does not open.
bool CardListFileMatches(const std::string& path, const std::string& description, bool* opened);
// One read-back pixel rebuilt as opaque ARGB from masks of any width.
uint32_t ConvertTestPixel(uint32_t value, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
int HighestBit(uint32_t mask); // -1 for 0

class D3DTester
{
public:
    class TestException : public std::exception
    {
    public:
        explicit TestException(const std::string& message) : mMessage(message) {}
        const char* what() const noexcept override { return mMessage.c_str(); }
        std::string mMessage;
    };

    // --- DirectX objects, all released by Release
    IDirectDraw7* mDD = nullptr;
    IDirectDrawSurface7* mPrimarySurface = nullptr; // the 100 x 100 render target
    IDirectDrawSurface7* mTextureSurface = nullptr;
    IDirectDrawSurface7* mTextureSurface2 = nullptr;
    IDirect3D7* mD3D = nullptr;
    IDirect3DDevice7* mD3DDevice = nullptr;
    HKEY mRegKey = nullptr;

    // --- adapter identity
    GUID mDisplayGUID{};
    std::string mDriver;
    std::string mDescription;

    // --- outcome
    std::string mFailureReason;
    std::string mWarning;

    D3DTestImage mTestImage;                  // 100 x 100, the read-back target
    int mMinVidMemory = 0, mRecVidMemory = 0; // megabytes
    bool mUseRegistry = false;                // keep the "Test3D" record
    bool mShouldWriteToRegistry = false;
    bool mResultsChanged = false; // fresh-result flag
    int mDriverYear = 0;
    uint32_t mTextureFormat = D3DTestFormatA8R8G8B8; // of the test textures

    // Registry key relative to HKCU\SOFTWARE; the application's when empty.
    std::string mRegistryKey;
    // Folder of "vhw.dat" and "vhwb.dat"; the working folder when empty.
    std::string mCardListFolder;

    D3DTester();
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    void SetVidMemoryRequirements(int minMB, int recMB);

    // --- the test
    void TestD3D(HWND window, IDirectDraw7* dd);
    bool Init(HWND window, IDirectDraw7* dd);
    bool RunTests();
    void Release();

    // --- outcome
    bool Fail(const std::string& text); // false
    bool Warn(const std::string& text); // true
    const std::string& GetFailureReason() const { return mFailureReason; }
    const std::string& GetWarning() const { return mWarning; }
    bool ResultsChanged() const { return mResultsChanged; }
    bool IsSupported() const { return mFailureReason.empty(); }
    bool IsRecommended() const { return mFailureReason.empty() && mWarning.empty(); }

    // --- pieces of Init
    void CheckDX(HRESULT result, const char* operation);
    bool GetD3D8AdapterIdentity();
    // Memory rule on a measured amount; warns or fails.
    void CheckVideoMemory(int megabytes);
    void ReadDriverYear();
    bool IsSupportedCard(const std::string& description);
    // Formats bits as EnumTextureFormats found them; warns or fails.
    bool CheckTextureFormats(uint32_t formats);

    // --- registry record
    bool OpenRegistryKey();
    bool ReadRegistryRecord(); // true when valid
    void WriteRegistryRecord();
    bool KeyHasFailureReason();

    // --- drawing
    void DrawTestImage(IDirect3DDevice7* device, IDirectDrawSurface7* texture, int x, int y,
                       uint32_t color, const D3DTestImage& picture);
    void DrawTestPiece(IDirect3DDevice7* device, IDirectDrawSurface7* texture,
                       const D3DTestImage& picture, int px, int py, int pw, int ph, int x, int y,
                       uint32_t color);
    void CopyRenderTarget();
    // One blend test; false when it failed (the reason is recorded).
    bool RunBlendTest(DWORD srcBlend, DWORD destBlend, bool modulateAlpha, uint32_t fill1,
                      uint32_t color1, uint32_t fill2, uint32_t color2, uint32_t expected,
                      const char* failText, const char* warnText);
    bool TestAlphaBlend();
    bool TestAdditiveBlend();
    bool TestAlphaAddBlend();
    bool TestAlphaModulate();
    bool TestClipping();

    // Outcome decided from a read-back: Fail, Warn or pass.
    bool JudgeUniform(uint32_t expected, const char* failText, const char* warnText);

private:
    void BeginTestScene(DWORD srcBlend, DWORD destBlend, const char* srcText, const char* destText);
    std::string RegistryPath() const;
    std::string CardListPath(const char* name) const;
};

} // namespace Lumo
