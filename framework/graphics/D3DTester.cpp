#include "framework/graphics/D3DTester.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "framework/app/AppHost.h"
#include "framework/diagnostics/DXResultNames.h"
#include "framework/graphics/D3DDefaults.h"
#include "framework/graphics/D3DTesterAdapter.h"
#include "framework/graphics/D3DImageTextures.h"

namespace Lumo
{

// ---------------------------------------------------------------- test picture

void D3DTestImage::Create(int width, int height)
{
    Free();
    if (width <= 0 || height <= 0)
        return;
    mPixels = new uint32_t[(size_t)width * height]();
    mWidth = width;
    mHeight = height;
}

void D3DTestImage::Free()
{
    delete[] mPixels;
    mPixels = nullptr;
    mWidth = mHeight = 0;
}

void D3DTestImage::FillRect(int x, int y, int w, int h, uint32_t color)
{
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, mWidth), y1 = std::min(y + h, mHeight);
    for (int row = y0; row < y1; row++)
        for (int col = x0; col < x1; col++)
            mPixels[(size_t)row * mWidth + col] = color;
}

void D3DTestImage::FillCheckerColumns()
{
    for (int row = 0; row < mHeight; row++)
        for (int col = 0; col < mWidth; col++)
            mPixels[(size_t)row * mWidth + col] = (col & 1) ? 0xFFFFFFFF : 0xFF000000;
}

int D3DTestImage::ColorDistance(uint32_t a, uint32_t b)
{
    const int dr = (int)((a >> 16) & 0xFF) - (int)((b >> 16) & 0xFF);
    const int dg = (int)((a >> 8) & 0xFF) - (int)((b >> 8) & 0xFF);
    const int db = (int)(a & 0xFF) - (int)(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

bool D3DTestImage::CheckUniform(uint32_t expected, int& errorCount, int w, int h) const
{
    errorCount = 0;
    w = std::min(w, mWidth);
    h = std::min(h, mHeight);
    if (w <= 0 || h <= 0)
        return true;
    const uint32_t first = mPixels[0];
    bool uniform = true;
    for (int row = 0; row < h; row++)
        for (int col = 0; col < w; col++)
        {
            const uint32_t p = mPixels[(size_t)row * mWidth + col];
            if (p != first)
                uniform = false;
            if (ColorDistance(p, expected) > 768)
                errorCount++;
        }
    return uniform;
}

int D3DTestImage::CountCheckerErrors(int w, int h, int x, int y) const
{
    int errors = 0;
    for (int row = std::max(y, 0); row < std::min(y + h, mHeight); row++)
        for (int col = std::max(x, 0); col < std::min(x + w, mWidth); col++)
        {
            const uint32_t want = ((col - x) & 1) ? 0xFFFFFF : 0x000000;
            if (ColorDistance(mPixels[(size_t)row * mWidth + col], want) > 768)
                errors++;
        }
    return errors;
}

// ---------------------------------------------------------------- pure rules

int TestVideoMemoryMB(int bitsPerPixel, int width, int height, uint32_t totalVideoMemory)
{
    const uint64_t desktop = (uint64_t)(bitsPerPixel / 8) * (uint64_t)height * (uint64_t)width;
    return (int)((desktop + totalVideoMemory) >> 20);
}

static std::string Lower(std::string s)
{
    for (char& c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

bool CardListLineMatches(const std::string& line, const std::string& description)
{
    size_t first = 0, last = line.size();
    while (first < last && isspace((unsigned char)line[first]))
        first++;
    while (last > first && isspace((unsigned char)line[last - 1]))
        last--;
    if (first == last)
        return false;
    return Lower(description).find(Lower(line.substr(first, last - first))) != std::string::npos;
}

bool CardListFileMatches(const std::string& path, const std::string& description, bool* opened)
{
    FILE* file = fopen(path.c_str(), "r");
    if (opened)
        *opened = file != nullptr;
    if (!file)
        return false;
    char line[4001];
    bool matched = false;
    while (!matched && fgets(line, sizeof(line), file))
        matched = CardListLineMatches(line, description);
    fclose(file);
    return matched;
}

int HighestBit(uint32_t mask)
{
    int bit = -1;
    for (int i = 0; i < 32; i++)
        if (mask & (1u << i))
            bit = i;
    return bit;
}

static uint32_t ShiftChannel(uint32_t value, uint32_t mask, int top, uint32_t out)
{
    const int bit = HighestBit(mask);
    if (bit < 0)
        return 0;
    const uint32_t v = value & mask;
    const uint32_t moved = bit <= top ? v << (top - bit) : v >> (bit - top);
    return moved & out;
}

uint32_t ConvertTestPixel(uint32_t value, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    return 0xFF000000 | ShiftChannel(value, redMask, 23, 0xFF0000) |
           ShiftChannel(value, greenMask, 15, 0xFF00) | ShiftChannel(value, blueMask, 7, 0xFF);
}

// ---------------------------------------------------------------- tester

D3DTester::D3DTester() : mUseRegistry(kD3DSelfTestUsesRegistry) {}

D3DTester::~D3DTester()
{
    Release();
}

void D3DTester::SetVidMemoryRequirements(int minMB, int recMB)
{
    mMinVidMemory = minMB;
    mRecVidMemory = recMB;
}

bool D3DTester::Fail(const std::string& text)
{
    mFailureReason = text;
    return false;
}

bool D3DTester::Warn(const std::string& text)
{
    mWarning = text;
    return true;
}

void D3DTester::CheckDX(HRESULT result, const char* operation)
{
    if (SUCCEEDED(result))
        return;
    throw TestException(std::string("DXError - ") + operation + ": " +
                        GetDXResultName((int32_t)result));
}

void D3DTester::Release()
{
    if (mTextureSurface2)
        mTextureSurface2->Release();
    if (mTextureSurface)
        mTextureSurface->Release();
    if (mD3DDevice)
        mD3DDevice->Release();
    if (mPrimarySurface)
        mPrimarySurface->Release();
    if (mD3D)
        mD3D->Release();
    if (mDD)
        mDD->Release();
    mTextureSurface2 = mTextureSurface = mPrimarySurface = nullptr;
    mD3DDevice = nullptr;
    mD3D = nullptr;
    mDD = nullptr;
    if (mRegKey)
    {
        RegCloseKey(mRegKey);
        mRegKey = nullptr;
    }
}

void D3DTester::TestD3D(HWND window, IDirectDraw7* dd)
{
    const bool playing = gAppHost && gAppHost->IsPlayingDemo();
    if (!playing)
    {
        mShouldWriteToRegistry = false;
        const bool ok = Init(window, dd);
        if (ok)
            RunTests();
        if (mUseRegistry)
        {
            if (ok && mShouldWriteToRegistry)
                WriteRegistryRecord();
            else if (!ok && !mShouldWriteToRegistry)
            {
                mResultsChanged = !KeyHasFailureReason();
                mShouldWriteToRegistry = true;
                WriteRegistryRecord();
            }
            else if (!ok)
                WriteRegistryRecord();
        }
        Release();
    }
    if (gAppHost)
    {
        gAppHost->SyncDemoString(mFailureReason);
        gAppHost->SyncDemoString(mWarning);
        gAppHost->SyncDemoBool(mResultsChanged);
    }
}

bool D3DTester::GetD3D8AdapterIdentity()
{
    return QueryD3D8AdapterIdentity(&mDisplayGUID, &mDriver, &mDescription);
}

void D3DTester::CheckVideoMemory(int megabytes)
{
    if (megabytes < mMinVidMemory)
        throw TestException("Not enough video memory.");
    if (megabytes < mRecVidMemory)
        Warn("Low video memory.");
}

bool D3DTester::CheckTextureFormats(uint32_t formats)
{
    if (!(formats & D3DTestFormatA8R8G8B8))
    {
        Warn("A8R8G8B8 texture format not supported.");
        if (!(formats & D3DTestFormatA4R4G4B4))
            return Fail("A4R4G4B4 and A8R8G8B8 texture formats not supported.");
    }
    mTextureFormat =
        (formats & D3DTestFormatA8R8G8B8) ? D3DTestFormatA8R8G8B8 : D3DTestFormatA4R4G4B4;
    return true;
}

void D3DTester::ReadDriverYear()
{
    if (mDriver.empty())
        return;
    std::string path = mDriver;
    if (path.find_first_of("/\\") == std::string::npos)
    {
        char system[MAX_PATH + 1] = {0};
        UINT length = GetSystemDirectoryA(system, MAX_PATH);
        if (length == 0 || length > MAX_PATH)
            return;
        path = std::string(system) + "\\" + mDriver;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FILETIME written;
    SYSTEMTIME date;
    if (GetFileTime(file, nullptr, nullptr, &written) && FileTimeToSystemTime(&written, &date))
        mDriverYear = date.wYear;
    CloseHandle(file);
}

std::string D3DTester::CardListPath(const char* name) const
{
    if (mCardListFolder.empty())
        return name;
    std::string folder = mCardListFolder;
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + name;
}

bool D3DTester::IsSupportedCard(const std::string& description)
{
    bool opened = false;
    if (CardListFileMatches(CardListPath("vhwb.dat"), description, &opened))
        return false;
    const bool listed = CardListFileMatches(CardListPath("vhw.dat"), description, &opened);
    if (opened)
        return listed;
    if (mDriverYear >= 2002)
        return true;
    const std::string lower = Lower(description);
    return lower.find("nvidia") != std::string::npos || lower.find("radeon") != std::string::npos ||
           lower.find("ati ") != std::string::npos;
}

static HRESULT CALLBACK CollectTestFormat(DDPIXELFORMAT* format, void* context)
{
    uint32_t bits = GetTextureFormat(*format);
    if (format->dwFlags & DDPF_PALETTEINDEXED8)
        bits |= D3DTestFormatPalette8;
    *(uint32_t*)context |= bits;
    return D3DENUMRET_OK;
}

bool D3DTester::Init(HWND window, IDirectDraw7* dd)
{
    Release();
    mDriverYear = 0;
    mFailureReason.clear();
    mWarning.clear();
    try
    {
        if (mUseRegistry)
            OpenRegistryKey();

        if (dd)
        {
            mDD = dd;
            mDD->AddRef();
        }
        else
        {
            HMODULE ddraw = LoadLibraryA("ddraw.dll");
            typedef HRESULT(WINAPI * CreateExFunc)(GUID*, void**, REFIID, IUnknown*);
            CreateExFunc createEx =
                ddraw ? (CreateExFunc)(void*)GetProcAddress(ddraw, "DirectDrawCreateEx") : nullptr;
            if (!createEx)
                return Fail("No DirectDrawCreateEx");
            CheckDX(createEx(nullptr, (void**)&mDD, IID_IDirectDraw7, nullptr),
                    "DirectDrawCreateEx");
        }

        if (!GetD3D8AdapterIdentity())
        {
            DDDEVICEIDENTIFIER2 identifier;
            memset(&identifier, 0, sizeof(identifier));
            CheckDX(mDD->GetDeviceIdentifier(&identifier, 0), "GetDeviceIdentifier");
            identifier.szDriver[sizeof(identifier.szDriver) - 1] = 0;
            identifier.szDescription[sizeof(identifier.szDescription) - 1] = 0;
            mDisplayGUID = identifier.guidDeviceIdentifier;
            mDriver = identifier.szDriver;
            mDescription = identifier.szDescription;
        }

        HDC desktop = GetDC(nullptr);
        const int width = GetDeviceCaps(desktop, HORZRES);
        const int height = GetDeviceCaps(desktop, VERTRES);
        const int bits = GetDeviceCaps(desktop, BITSPIXEL);
        ReleaseDC(nullptr, desktop);
        DDSCAPS2 caps;
        memset(&caps, 0, sizeof(caps));
        caps.dwCaps = DDSCAPS_VIDEOMEMORY;
        DWORD total = 0, available = 0;
        HRESULT result = mDD->GetAvailableVidMem(&caps, &total, &available);
        if (FAILED(result))
            Warn("GetAvailableVidMem failed: " + GetDXResultName((int32_t)result));
        else
            CheckVideoMemory(TestVideoMemoryMB(bits, width, height, total));

        if (mUseRegistry)
        {
            const bool valid = ReadRegistryRecord();
            if (valid && !mFailureReason.empty())
                return false;
            // An invalid record means this card or these requirements were
            // never tested: test now and record a fresh result.
            if (!valid)
                mResultsChanged = true;
            mShouldWriteToRegistry = true;
            mFailureReason.clear();
            mWarning.clear();
        }

        ReadDriverYear();
        if (!IsSupportedCard(mDescription))
            Warn("Unsupported video card: " + mDescription);

        CheckDX(mDD->QueryInterface(IID_IDirect3D7, (void**)&mD3D),
                "QueryInterface IID_IDirect3D7");
        CheckDX(mDD->SetCooperativeLevel(window, DDSCL_NORMAL), "SetCooperativeLevel");

        DDSURFACEDESC2 desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = 100;
        desc.dwHeight = 100;
        // A hardware device renders only into video memory.
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
        CheckDX(mDD->CreateSurface(&desc, &mPrimarySurface, nullptr), "CreateSurface (Primary)");
        mTestImage.Create(100, 100);
        CheckDX(mD3D->CreateDevice(IID_IDirect3DHALDevice, mPrimarySurface, &mD3DDevice),
                "CreateDevice");

        uint32_t formats = 0;
        CheckDX(mD3DDevice->EnumTextureFormats(CollectTestFormat, &formats), "EnumTextureFormats");
        if (!CheckTextureFormats(formats))
            return false;

        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = 64;
        desc.dwHeight = 64;
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
        FillTexturePixelFormat(mTextureFormat == D3DTestFormatA8R8G8B8 ? A8R8G8B8 : A4R4G4B4,
                               desc.ddpfPixelFormat);
        CheckDX(mDD->CreateSurface(&desc, &mTextureSurface, nullptr),
                "CreateSurface (TextureSurface1)");
        CheckDX(mDD->CreateSurface(&desc, &mTextureSurface2, nullptr),
                "CreateSurface (TextureSurfacd2)");
        return true;
    }
    catch (const TestException& e)
    {
        return Fail(e.mMessage);
    }
}

// ---------------------------------------------------------------- registry record

std::string D3DTester::RegistryPath() const
{
    std::string key = mRegistryKey;
    if (key.empty() && gAppHost)
        key = gAppHost->GetRegistryKey();
    if (key.empty())
        return std::string();
    return "SOFTWARE\\" + key + "\\Test3D";
}

bool D3DTester::OpenRegistryKey()
{
    const std::string path = RegistryPath();
    if (path.empty())
        return false;
    if (mRegKey)
        RegCloseKey(mRegKey);
    mRegKey = nullptr;
    return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           &mRegKey, nullptr) == ERROR_SUCCESS;
}

static bool ReadDword(HKEY key, const char* name, DWORD* value)
{
    DWORD type = 0, size = sizeof(DWORD);
    return RegQueryValueExA(key, name, nullptr, &type, (BYTE*)value, &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof(DWORD);
}

static bool ReadText(HKEY key, const char* name, std::string* value)
{
    char buffer[4097] = {0};
    DWORD type = 0, size = 4096;
    if (RegQueryValueExA(key, name, nullptr, &type, (BYTE*)buffer, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    buffer[std::min<DWORD>(size, 4096)] = 0; // the stored text may lack its terminator
    *value = buffer;
    return true;
}

bool D3DTester::ReadRegistryRecord()
{
    if (!mRegKey)
        return false;
    DWORD version = 0, minMemory = 0, recMemory = 0;
    GUID guid;
    DWORD type = 0, size = sizeof(guid);
    std::string failure, warning;
    const bool read =
        ReadDword(mRegKey, "Version", &version) && ReadDword(mRegKey, "MinVidMemory", &minMemory) &&
        ReadDword(mRegKey, "RecVidMemory", &recMemory) &&
        RegQueryValueExA(mRegKey, "DisplayGUID", nullptr, &type, (BYTE*)&guid, &size) ==
            ERROR_SUCCESS &&
        ReadText(mRegKey, "FailureReason", &failure) && ReadText(mRegKey, "Warning", &warning);
    if (!read)
        return false;
    mFailureReason = failure;
    mWarning = warning;
    return version == 2 && (int)minMemory == mMinVidMemory && (int)recMemory == mRecVidMemory &&
           size == sizeof(GUID) && memcmp(&guid, &mDisplayGUID, sizeof(GUID)) == 0;
}

void D3DTester::WriteRegistryRecord()
{
    if (!mRegKey && !OpenRegistryKey())
        return;
    const DWORD version = 2, minMemory = (DWORD)mMinVidMemory, recMemory = (DWORD)mRecVidMemory;
    RegSetValueExA(mRegKey, "Version", 0, REG_DWORD, (const BYTE*)&version, sizeof(DWORD));
    RegSetValueExA(mRegKey, "MinVidMemory", 0, REG_DWORD, (const BYTE*)&minMemory, sizeof(DWORD));
    RegSetValueExA(mRegKey, "RecVidMemory", 0, REG_DWORD, (const BYTE*)&recMemory, sizeof(DWORD));
    RegSetValueExA(mRegKey, "DisplayGUID", 0, REG_BINARY, (const BYTE*)&mDisplayGUID, sizeof(GUID));
    RegSetValueExA(mRegKey, "FailureReason", 0, REG_SZ, (const BYTE*)mFailureReason.c_str(),
                   (DWORD)mFailureReason.size() + 1);
    RegSetValueExA(mRegKey, "Warning", 0, REG_SZ, (const BYTE*)mWarning.c_str(),
                   (DWORD)mWarning.size() + 1);
}

bool D3DTester::KeyHasFailureReason()
{
    if (!mRegKey && !OpenRegistryKey())
        return false;
    return RegQueryValueExA(mRegKey, "FailureReason", nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

// ---------------------------------------------------------------- drawing tests

namespace
{

struct TestVertex
{
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float u, v;
};

} // namespace

void D3DTester::DrawTestPiece(IDirect3DDevice7* device, IDirectDrawSurface7* texture,
                              const D3DTestImage& picture, int px, int py, int pw, int ph, int x,
                              int y, uint32_t color)
{
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    CheckDX(texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), "Lock Texture");
    const bool wide = mTextureFormat == D3DTestFormatA8R8G8B8;
    const int bytes = wide ? 4 : 2;
    if (pw < 64 || ph < 64)
        for (int row = 0; row < 64; row++)
            memset((unsigned char*)desc.lpSurface + (size_t)row * desc.lPitch, 0, 64 * bytes);
    for (int row = 0; row < ph; row++)
    {
        unsigned char* dest = (unsigned char*)desc.lpSurface + (size_t)row * desc.lPitch;
        const uint32_t* src = picture.mPixels + (size_t)(py + row) * picture.mWidth + px;
        for (int col = 0; col < pw; col++)
        {
            if (wide)
                ((uint32_t*)dest)[col] = src[col];
            else
                ((uint16_t*)dest)[col] = (uint16_t)ArgbToTexel(src[col], A4R4G4B4);
        }
    }
    CheckDX(texture->Unlock(nullptr), "Texture Unlock");
    CheckDX(device->SetTexture(0, texture), "SetTexture theTexture");
    const float left = x + px - 0.5f, top = y + py - 0.5f;
    const float u = pw / 64.0f, v = ph / 64.0f;
    TestVertex quad[4] = {{left, top, 0.0f, 1.0f, color, 0, 0.0f, 0.0f},
                          {left + pw, top, 0.0f, 1.0f, color, 0, u, 0.0f},
                          {left, top + ph, 0.0f, 1.0f, color, 0, 0.0f, v},
                          {left + pw, top + ph, 0.0f, 1.0f, color, 0, u, v}};
    CheckDX(device->DrawPrimitive(D3DPT_TRIANGLESTRIP,
                                  D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1,
                                  quad, 4, 0),
            "DrawPrimitive");
    CheckDX(device->SetTexture(0, nullptr), "SetTexture NULL");
}

void D3DTester::DrawTestImage(IDirect3DDevice7* device, IDirectDrawSurface7* texture, int x, int y,
                              uint32_t color, const D3DTestImage& picture)
{
    for (int py = 0; py < picture.mHeight; py += 64)
        for (int px = 0; px < picture.mWidth; px += 64)
            DrawTestPiece(device, texture, picture, px, py, std::min(64, picture.mWidth - px),
                          std::min(64, picture.mHeight - py), x, y, color);
}

void D3DTester::CopyRenderTarget()
{
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    CheckDX(mPrimarySurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), "CopyPrimary Lock");
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    if (bits != 32 && bits != 16)
    {
        mPrimarySurface->Unlock(nullptr);
        throw TestException(bits == 24 ? "Can't test 24-bit mode." : "Invalid Color Depth");
    }
    const int w = std::min<int>(desc.dwWidth, mTestImage.mWidth);
    const int h = std::min<int>(desc.dwHeight, mTestImage.mHeight);
    for (int row = 0; row < h; row++)
    {
        const unsigned char* src = (const unsigned char*)desc.lpSurface + (size_t)row * desc.lPitch;
        for (int col = 0; col < w; col++)
        {
            const uint32_t value =
                bits == 32 ? ((const uint32_t*)src)[col] : ((const uint16_t*)src)[col];
            mTestImage.mPixels[(size_t)row * mTestImage.mWidth + col] =
                ConvertTestPixel(value, desc.ddpfPixelFormat.dwRBitMask,
                                 desc.ddpfPixelFormat.dwGBitMask, desc.ddpfPixelFormat.dwBBitMask);
        }
    }
    mPrimarySurface->Unlock(nullptr);
}

void D3DTester::BeginTestScene(DWORD srcBlend, DWORD destBlend, const char* srcText,
                               const char* destText)
{
    CheckDX(mD3DDevice->BeginScene(), "");
    CheckDX(mD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), "Clear");
    CheckDX(mD3DDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE),
            "D3DRENDERSTATE_ALPHABLENDENABLE, TRUE");
    CheckDX(mD3DDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, srcBlend), srcText);
    CheckDX(mD3DDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, destBlend), destText);
    CheckDX(mD3DDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE),
            "D3DRENDERSTATE_CULLMODE, D3DCULL_NONE");
}

bool D3DTester::JudgeUniform(uint32_t expected, const char* failText, const char* warnText)
{
    int errors = 0;
    const bool uniform = mTestImage.CheckUniform(expected, errors, 10, 10);
    if (errors > 0)
        return Fail(failText);
    if (!uniform)
        return Warn(warnText);
    return true;
}

bool D3DTester::RunBlendTest(DWORD srcBlend, DWORD destBlend, bool modulateAlpha, uint32_t fill1,
                             uint32_t color1, uint32_t fill2, uint32_t color2, uint32_t expected,
                             const char* failText, const char* warnText)
{
    if (!mD3DDevice || !mTextureSurface || !mPrimarySurface)
        return Fail("DXError - CreateDevice: no device");
    bool inScene = false;
    try
    {
        BeginTestScene(srcBlend, destBlend,
                       srcBlend == D3DBLEND_ONE ? "D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE"
                                                : "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA",
                       destBlend == D3DBLEND_ONE
                           ? "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE"
                           : "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA");
        inScene = true;
        if (modulateAlpha)
            CheckDX(mD3DDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE),
                    "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
        D3DTestImage picture;
        picture.Create(64, 64);
        picture.FillRect(0, 0, 64, 64, fill1);
        DrawTestImage(mD3DDevice, mTextureSurface, 0, 0, color1, picture);
        picture.FillRect(0, 0, 64, 64, fill2);
        DrawTestImage(mD3DDevice, mTextureSurface, 0, 0, color2, picture);
        inScene = false;
        CheckDX(mD3DDevice->EndScene(), "EndScene");
        CopyRenderTarget();
    }
    catch (const TestException& e)
    {
        if (inScene)
            mD3DDevice->EndScene();
        return Fail(e.mMessage);
    }
    return JudgeUniform(expected, failText, warnText);
}

bool D3DTester::TestAlphaBlend()
{
    return RunBlendTest(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false, 0xFF0000FF, 0xFFFFFFFF,
                        0x80FF0000, 0xFFFFFFFF, 0x7F007F, "Alpha blend Not Supported",
                        "Alpha blend test not uniform.");
}

bool D3DTester::TestAdditiveBlend()
{
    return RunBlendTest(D3DBLEND_ONE, D3DBLEND_ONE, false, 0xFF404040, 0xFFFFFFFF, 0xFF404040,
                        0xFFFFFFFF, 0x808080, "Additive blend not supported.",
                        "Additive blend test not uniform.");
}

bool D3DTester::TestAlphaAddBlend()
{
    return RunBlendTest(D3DBLEND_SRCALPHA, D3DBLEND_ONE, false, 0xFF404040, 0xFFFFFFFF, 0x80808080,
                        0xFFFFFFFF, 0x808080, "AlphaAdd blend not supported.",
                        "AlphaAdd blend test not uniform.");
}

bool D3DTester::TestAlphaModulate()
{
    return RunBlendTest(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true, 0xFF0000FF, 0xFFFFFFFF,
                        0xFFFF0000, 0x80FFFFFF, 0x7F007F, "AlphaModulated blend not supported.",
                        "AlphaModulated blend test not uniform.");
}

bool D3DTester::TestClipping()
{
    if (!mD3DDevice || !mTextureSurface || !mPrimarySurface)
        return Fail("DXError - CreateDevice: no device");
    bool inScene = false;
    try
    {
        BeginTestScene(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
                       "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA",
                       "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA");
        inScene = true;
        D3DTestImage picture;
        picture.Create(64, 64);
        picture.FillCheckerColumns();
        DrawTestImage(mD3DDevice, mTextureSurface, -2, -2, 0xFFFFFFFF, picture);
        inScene = false;
        CheckDX(mD3DDevice->EndScene(), "EndScene");
        CopyRenderTarget();
    }
    catch (const TestException& e)
    {
        if (inScene)
            mD3DDevice->EndScene();
        return Fail(e.mMessage);
    }
    if (mTestImage.CountCheckerErrors(62, 62, 0, 0) > 0)
        Warn("Clip problem detected.");
    return true;
}

bool D3DTester::RunTests()
{
    return TestAlphaBlend() && TestAdditiveBlend() && TestAlphaAddBlend() && TestAlphaModulate() &&
           TestClipping();
}

} // namespace Lumo
