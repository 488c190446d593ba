#pragma once
// Lumo::D3DInterface is the Direct3D 7 renderer of the display. When 3D is on,
// the display initialises it on its draw surface and the screen image hands it
// every draw: image blits (plain, transformed, masked), textured triangle
// lists, lines, rectangles and polygons. Each draw opens the scene if needed,
// sets the blend and filter states it needs and sends pre-transformed vertices
// in screen pixels; the scene stays open until the display presents. Images
// become textures through their Lumo::ImageTextures record (D3DImageTextures.h).

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <list>
#include <set>
#include <string>

#include "framework/app/Color.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "framework/graphics/D3DImageTextures.h"

struct TriangleVertex;

namespace Lumo
{

class DDInterface;
class CritSect;
class Image;
class MemoryImage;
struct MaskRect;

// Text of the last failed Direct3D call since the last Init or scene end.
extern std::string gD3DLastError;
// A scene could not select the draw surface; read and cleared by the application.
extern bool gD3DRenderTargetFailed;
// The filter the device is set to for the open scene.
extern bool gLinearFilterOn;

// True when `result` is a failure. The first failure since gD3DLastError was
// last cleared is recorded there and in the registry value
// "Test3D\RuntimeError"; later ones are consequences and are not re-recorded,
// since a broken device fails every draw of a frame.
bool CheckD3DResult(HRESULT result, const char* text);
// Where recorded failures go besides gD3DLastError: the application's registry
// by default. Tests send them elsewhere; null restores the default.
typedef void (*D3DErrorSink)(const std::string& text);
void SetD3DErrorSink(D3DErrorSink sink);

// Colour packed as a D3DCOLOR.
inline uint32_t PackD3DColor(const Color& c)
{
    return ((uint32_t)c.mAlpha << 24) | ((uint32_t)c.mRed << 16) | ((uint32_t)c.mGreen << 8) |
           (uint32_t)c.mBlue;
}

// --- vertices: pre-transformed screen positions
constexpr DWORD kD3DVertexFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
constexpr DWORD kD3DVertex2FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

struct D3DVertex
{
    float x, y, z, rhw;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};

// Two coordinate sets: the mask's in set 0, the image's in set 1.
struct D3DVertex2
{
    float x, y, z, rhw;
    uint32_t diffuse;
    float tu0, tv0;
    float tu1, tv1;
};

// Growable vertex array with room for 100 vertices inside, so clipping
// allocates nothing in practice.
template <typename V> class VertexListOf
{
public:
    VertexListOf() : mData(mInline), mCount(0), mCapacity(kInline) {}
    ~VertexListOf()
    {
        if (mData != mInline)
            delete[] mData;
    }
    VertexListOf(const VertexListOf&) = delete;
    VertexListOf& operator=(const VertexListOf&) = delete;

    void Add(const V& v)
    {
        if (mCount == mCapacity)
        {
            V* grown = new V[mCapacity * 2];
            for (int i = 0; i < mCount; i++)
                grown[i] = mData[i];
            if (mData != mInline)
                delete[] mData;
            mData = grown;
            mCapacity *= 2;
        }
        mData[mCount++] = v;
    }
    void Clear() { mCount = 0; }
    int Count() const { return mCount; }
    int Capacity() const { return mCapacity; }
    V* Data() { return mData; }
    const V* Data() const { return mData; }
    V& operator[](int i) { return mData[i]; }
    const V& operator[](int i) const { return mData[i]; }

private:
    static constexpr int kInline = 100;
    V mInline[kInline];
    V* mData;
    int mCount;
    int mCapacity;
};

typedef VertexListOf<D3DVertex> D3DVertexList;
typedef VertexListOf<D3DVertex2> D3DVertex2List;

// --- software clipping (Sutherland-Hodgman, one boundary at a time)
// Component selectors: 0 x, 1 y, 2 z, 3 u (tu0), 4 v (tv0), 5 tu1, 6 tv1.
float VertexComponent(const D3DVertex& v, int selector);
float VertexComponent(const D3DVertex2& v, int selector);
D3DVertex InterpolateVertex(const D3DVertex& a, const D3DVertex& b, float t);
D3DVertex2 InterpolateVertex(const D3DVertex2& a, const D3DVertex2& b, float t);
// Keeps the part where the component is >= bound (Min) or <= bound (Max).
void ClipPolygonMin(int selector, float bound, const D3DVertexList& in, D3DVertexList& out);
void ClipPolygonMax(int selector, float bound, const D3DVertexList& in, D3DVertexList& out);
void ClipPolygonMin(int selector, float bound, const D3DVertex2List& in, D3DVertex2List& out);
void ClipPolygonMax(int selector, float bound, const D3DVertex2List& in, D3DVertex2List& out);
// Cuts the polygon to the clip rectangle in place.
void ClipPolygonToRect(const Rect& clip, D3DVertexList& list);
void ClipPolygonToRect(const Rect& clip, D3DVertex2List& list);
// Cuts the polygon to the unit square of texture coordinates in place.
void ClipPolygonToUnitUV(D3DVertexList& list);
// Clip, then one fan when more than 2 vertices remain.
void DrawClippedPolygon(IDirect3DDevice7* device, const Rect& clip, D3DVertexList& list);
void DrawClippedPolygon2(IDirect3DDevice7* device, const Rect& clip, D3DVertex2List& list);

class D3DInterface
{
public:
    HWND mHWnd = nullptr;
    int mWidth = 800, mHeight = 600;             // draw surface size
    IDirectDraw7* mDirectDraw = nullptr;         // the display's; borrowed
    IDirectDrawSurface7* mDrawSurface = nullptr; // own reference
    IDirect3D7* mD3D = nullptr;
    IDirect3DDevice7* mDevice = nullptr;
    D3DVIEWPORT7 mViewport{};
    bool mSceneOpen = false;
    std::set<MemoryImage*> mTextureSet; // images holding a record; display lock
    std::list<Matrix3> mTransformStack; // back applies while not empty
    CritSect* mLock = nullptr;          // the display lock, or none

    D3DInterface();
    virtual ~D3DInterface();
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    // --- device
    // On the display's draw surface; false on any failed step.
    bool Init(DDInterface* display);
    // The same on given objects: DirectDraw (borrowed), window, render target.
    bool InitOn(IDirectDraw7* dd, HWND window, IDirectDrawSurface* drawSurface, int width,
                int height, CritSect* lock);
    bool InitDevice();
    void UpdateViewport();
    // Ends the scene, drops every texture record, releases the device.
    void Cleanup();

    // --- textures
    // The image's textures exist and hold its current pixels; false when the
    // image cannot be drawn through 3D.
    bool CreateImageTexture(MemoryImage* image);
    void RemoveImageTexture(Image* image);
    // Fills the image's pixel array from its textures; false when there is
    // nothing current to read.
    static bool ReadBackImage(MemoryImage* image);
    // The same into a given array of the image's size (GetPixels builds one).
    static bool ReadBackImageInto(MemoryImage* image, uint32_t* pixels);

    // --- scene and states
    bool PreDraw();
    void EndSceneIfOpen();
    void SetDrawMode(int mode, const Color* color = nullptr, Image* image = nullptr);
    void SetLinearFilter(bool linear);

    // --- drawing
    void Blt(Image* src, float x, float y, const Rect* srcRect, const Color* color, int mode,
             bool linear);
    void BltTransformed(Image* src, const Rect* clip, const Color* color, int mode,
                        const Rect* srcRect, const Matrix3& matrix, bool linear, float x, float y,
                        bool center, Image* maskImage = nullptr,
                        const MaskRect* maskSrcRect = nullptr,
                        const MaskRect* maskPlaceRect = nullptr,
                        const Matrix3* maskMatrix = nullptr);
    void BltTranslated(Image* src, float x, float y, const Rect* srcRect, const Rect* clip,
                       const Color* color, int mode);
    void BltMirrored(Image* src, float x, float y, const Rect* srcRect, const Color* color,
                     int mode, bool linear);
    void BltStretched(Image* src, const Rect* destRect, const Rect* srcRect, const Rect* clip,
                      const Color* color, int mode, bool fast, bool mirror);
    void BltRotated(Image* src, float x, float y, const Rect* clip, const Color* color, int mode,
                    double angle, float cx, float cy, const Rect* srcRect);
    void DrawTrianglesTex(const TriangleVertex* triangles, int count, const Color* color, int mode,
                          Image* texture, float tx, float ty, bool linear);
    void DrawLine(double x1, double y1, double x2, double y2, const Color* color, int mode);
    void FillRect(const Rect* rect, const Color* color, int mode);
    void FillPolygon(const int* points, int count, const Rect* clip, const Color* color, int mode,
                     int tx, int ty);

    // --- transform stack
    // Pushes `matrix`, applied after the current top when concatenating.
    void PushTransform(const Matrix3& matrix, bool concatenate = true);
    void PopTransform();
    bool TransformStackEmpty() const { return mTransformStack.empty(); }

private:
    void ReleaseRecord(MemoryImage* image);
    LumoVector2 ThroughStack(float x, float y) const;
};

} // namespace Lumo
