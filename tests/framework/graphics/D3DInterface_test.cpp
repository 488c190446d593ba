// The renderer's drawing against a recording device: vertex positions, blend
// and filter states, batch sizes, per-piece triangles, the clip decision, the
// masked blit and failure recording. Pixels on the real device are checked in
// D3DDevice_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/raster/DrawTriangle.h"

using namespace Lumo;

namespace
{

struct StateCall
{
    DWORD stage; // ~0 for render states
    DWORD type;
    DWORD value;
};

struct Primitive
{
    D3DPRIMITIVETYPE type;
    DWORD fvf;
    std::vector<D3DVertex> v;   // for 0x1C4
    std::vector<D3DVertex2> v2; // for 0x244
    IDirectDrawSurface7* texture0;
    IDirectDrawSurface7* texture1;
};

class RecordingDevice : public IDirect3DDevice7
{
public:
    std::vector<StateCall> states;
    std::vector<Primitive> primitives;
    IDirectDrawSurface7* textures[2] = {nullptr, nullptr};
    int beginScenes = 0, endScenes = 0;
    HRESULT renderTargetResult = D3D_OK;
    HRESULT drawResult = D3D_OK;

    int CountStates(DWORD stage, DWORD type) const
    {
        int n = 0;
        for (const StateCall& s : states)
            n += s.stage == stage && s.type == type;
        return n;
    }
    DWORD LastState(DWORD stage, DWORD type) const
    {
        for (auto it = states.rbegin(); it != states.rend(); ++it)
            if (it->stage == stage && it->type == type)
                return it->value;
        return 0xFFFFFFFF;
    }

    HRESULT WINAPI QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI GetCaps(D3DDEVICEDESC7*) override { return D3D_OK; }
    HRESULT WINAPI EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, void*) override
    {
        return D3D_OK;
    }
    HRESULT WINAPI BeginScene() override
    {
        beginScenes++;
        return D3D_OK;
    }
    HRESULT WINAPI EndScene() override
    {
        endScenes++;
        return D3D_OK;
    }
    HRESULT WINAPI GetDirect3D(IDirect3D7**) override { return E_NOTIMPL; }
    HRESULT WINAPI SetRenderTarget(IDirectDrawSurface7*, DWORD) override
    {
        return renderTargetResult;
    }
    HRESULT WINAPI GetRenderTarget(IDirectDrawSurface7**) override { return E_NOTIMPL; }
    HRESULT WINAPI Clear(DWORD, D3DRECT*, DWORD, D3DCOLOR, D3DVALUE, DWORD) override
    {
        return D3D_OK;
    }
    HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT WINAPI SetViewport(D3DVIEWPORT7*) override { return D3D_OK; }
    HRESULT WINAPI MultiplyTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT WINAPI GetViewport(D3DVIEWPORT7*) override { return D3D_OK; }
    HRESULT WINAPI SetMaterial(D3DMATERIAL7*) override { return D3D_OK; }
    HRESULT WINAPI GetMaterial(D3DMATERIAL7*) override { return D3D_OK; }
    HRESULT WINAPI SetLight(DWORD, D3DLIGHT7*) override { return D3D_OK; }
    HRESULT WINAPI GetLight(DWORD, D3DLIGHT7*) override { return D3D_OK; }
    HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE type, DWORD value) override
    {
        states.push_back({~0u, (DWORD)type, value});
        return D3D_OK;
    }
    HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE, LPDWORD) override { return D3D_OK; }
    HRESULT WINAPI BeginStateBlock() override { return D3D_OK; }
    HRESULT WINAPI EndStateBlock(LPDWORD) override { return D3D_OK; }
    HRESULT WINAPI PreLoad(IDirectDrawSurface7*) override { return D3D_OK; }
    HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, void* vertices, DWORD count,
                                 DWORD) override
    {
        Primitive p{type, fvf, {}, {}, textures[0], textures[1]};
        if (fvf == kD3DVertexFVF)
            p.v.assign((D3DVertex*)vertices, (D3DVertex*)vertices + count);
        else
            p.v2.assign((D3DVertex2*)vertices, (D3DVertex2*)vertices + count);
        primitives.push_back(p);
        return drawResult;
    }
    HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE, DWORD, void*, DWORD, WORD*, DWORD,
                                        DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetClipStatus(D3DCLIPSTATUS*) override { return D3D_OK; }
    HRESULT WINAPI GetClipStatus(D3DCLIPSTATUS*) override { return D3D_OK; }
    HRESULT WINAPI DrawPrimitiveStrided(D3DPRIMITIVETYPE, DWORD, D3DDRAWPRIMITIVESTRIDEDDATA*,
                                        DWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DrawIndexedPrimitiveStrided(D3DPRIMITIVETYPE, DWORD,
                                               D3DDRAWPRIMITIVESTRIDEDDATA*, DWORD, WORD*, DWORD,
                                               DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DrawPrimitiveVB(D3DPRIMITIVETYPE, IDirect3DVertexBuffer7*, DWORD, DWORD,
                                   DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, IDirect3DVertexBuffer7*, DWORD, DWORD,
                                          WORD*, DWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComputeSphereVisibility(D3DVECTOR*, D3DVALUE*, DWORD, DWORD, DWORD*) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetTexture(DWORD, IDirectDrawSurface7**) override { return E_NOTIMPL; }
    HRESULT WINAPI SetTexture(DWORD stage, IDirectDrawSurface7* surface) override
    {
        if (stage < 2)
            textures[stage] = surface;
        return D3D_OK;
    }
    HRESULT WINAPI GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, LPDWORD) override
    {
        return D3D_OK;
    }
    HRESULT WINAPI SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                        DWORD value) override
    {
        states.push_back({stage, (DWORD)type, value});
        return D3D_OK;
    }
    HRESULT WINAPI ValidateDevice(LPDWORD) override { return D3D_OK; }
    HRESULT WINAPI ApplyStateBlock(DWORD) override { return D3D_OK; }
    HRESULT WINAPI CaptureStateBlock(DWORD) override { return D3D_OK; }
    HRESULT WINAPI DeleteStateBlock(DWORD) override { return D3D_OK; }
    HRESULT WINAPI CreateStateBlock(D3DSTATEBLOCKTYPE, LPDWORD) override { return D3D_OK; }
    HRESULT WINAPI Load(IDirectDrawSurface7*, POINT*, IDirectDrawSurface7*, RECT*, DWORD) override
    {
        return D3D_OK;
    }
    HRESULT WINAPI LightEnable(DWORD, WINBOOL) override { return D3D_OK; }
    HRESULT WINAPI GetLightEnable(DWORD, WINBOOL*) override { return D3D_OK; }
    HRESULT WINAPI SetClipPlane(DWORD, D3DVALUE*) override { return D3D_OK; }
    HRESULT WINAPI GetClipPlane(DWORD, D3DVALUE*) override { return D3D_OK; }
    HRESULT WINAPI GetInfo(DWORD, void*, DWORD) override { return D3D_OK; }
};

std::vector<std::string> gSunk;
void CollectError(const std::string& text)
{
    gSunk.push_back(text);
}

// Marker objects whose addresses stand for texture surfaces; never called.
char gSurfaceMarks[64];
IDirectDrawSurface7* MarkSurface(int i)
{
    return reinterpret_cast<IDirectDrawSurface7*>(&gSurfaceMarks[i]);
}

class RendererTest : public ::testing::Test
{
protected:
    RecordingDevice device;
    D3DInterface d3d;
    std::vector<MemoryImage*> images;

    void SetUp() override
    {
        ResetTextureLimits();
        gSunk.clear();
        SetD3DErrorSink(CollectError);
        gD3DLastError.clear();
        d3d.mDevice = &device;
        d3d.mDrawSurface = MarkSurface(63);
        d3d.mDirectDraw = reinterpret_cast<IDirectDraw7*>(&gSurfaceMarks[62]);
    }
    void TearDown() override
    {
        for (MemoryImage* image : images)
        {
            for (TexturePiece& piece : image->mTexture->pieces)
                piece.surface = nullptr;
            delete image->mTexture;
            image->mTexture = nullptr;
            delete image;
        }
        d3d.mSceneOpen = false;
        d3d.mDevice = nullptr;
        d3d.mDrawSurface = nullptr;
        d3d.mDirectDraw = nullptr;
        SetD3DErrorSink(nullptr);
        gD3DLastError.clear();
        ResetTextureLimits();
    }

    // An image whose record is current, with marker surfaces for its pieces.
    MemoryImage* TexturedImage(int w, int h)
    {
        MemoryImage* image = new MemoryImage();
        image->mWidth = w;
        image->mHeight = h;
        ImageTextures* record = new ImageTextures();
        record->LayoutPieces(w, h, (uint32_t)image->mTextureFlags);
        for (size_t i = 0; i < record->pieces.size(); i++)
            record->pieces[i].surface = MarkSurface((int)i);
        record->width = w;
        record->height = h;
        record->changeCount = image->mChangeCount;
        record->flags = (uint32_t)image->mTextureFlags;
        record->format = A8R8G8B8;
        image->mTexture = record;
        images.push_back(image);
        return image;
    }
};

const Color kWhite(255, 255, 255, 255);

} // namespace

TEST_F(RendererTest, FilledRectangleCornersSitHalfAPixelUpAndLeft)
{
    Rect rect(10, 20, 5, 5);
    d3d.FillRect(&rect, &kWhite, 0);
    ASSERT_EQ(1u, device.primitives.size());
    const Primitive& p = device.primitives[0];
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, p.type);
    ASSERT_EQ(4u, p.v.size());
    const float xs[4] = {9.5f, 9.5f, 14.5f, 14.5f}, ys[4] = {19.5f, 24.5f, 19.5f, 24.5f};
    for (int i = 0; i < 4; i++)
    {
        EXPECT_FLOAT_EQ(xs[i], p.v[i].x) << i;
        EXPECT_FLOAT_EQ(ys[i], p.v[i].y) << i;
        EXPECT_EQ(0xFFFFFFFFu, p.v[i].diffuse);
    }
    EXPECT_EQ(nullptr, p.texture0);
    EXPECT_EQ(1, device.beginScenes);
}

TEST_F(RendererTest, LineIsAThreePointStripLightingTheEndPixel)
{
    d3d.DrawLine(0, 0, 10, 0, &kWhite, 0);
    ASSERT_EQ(1u, device.primitives.size());
    const Primitive& p = device.primitives[0];
    EXPECT_EQ(D3DPT_LINESTRIP, p.type);
    ASSERT_EQ(3u, p.v.size());
    EXPECT_FLOAT_EQ(10.5f, p.v[2].x);
    EXPECT_FLOAT_EQ(0.5f, p.v[2].y);
}

TEST_F(RendererTest, PolygonsNeedThreePointsAndAreCutByTheClip)
{
    const int two[] = {0, 0, 10, 10};
    d3d.FillPolygon(two, 2, nullptr, &kWhite, 0, 0, 0);
    EXPECT_TRUE(device.primitives.empty());

    const int triangle[] = {0, 0, 40, 0, 0, 40};
    Rect clip(10, 0, 100, 100);
    d3d.FillPolygon(triangle, 3, &clip, &kWhite, 0, 5, 0);
    ASSERT_EQ(1u, device.primitives.size());
    const Primitive& p = device.primitives[0];
    EXPECT_EQ(D3DPT_TRIANGLEFAN, p.type);
    ASSERT_GE(p.v.size(), 3u);
    for (const D3DVertex& v : p.v)
        EXPECT_GE(v.x, 10.0f);
    // Without a clip the points go out as they are, moved by the translation.
    d3d.FillPolygon(triangle, 3, nullptr, &kWhite, 0, 5, 0);
    EXPECT_FLOAT_EQ(45.0f, device.primitives.back().v[1].x);
}

TEST_F(RendererTest, AdditiveModeBlendsWithOneAndNormalModeRestores)
{
    Rect rect(0, 0, 4, 4);
    d3d.FillRect(&rect, &kWhite, 1);
    EXPECT_EQ((DWORD)D3DBLEND_ONE, device.LastState(~0u, D3DRENDERSTATE_DESTBLEND));
    d3d.FillRect(&rect, &kWhite, 0);
    EXPECT_EQ((DWORD)D3DBLEND_INVSRCALPHA, device.LastState(~0u, D3DRENDERSTATE_DESTBLEND));
    EXPECT_EQ((DWORD)D3DBLEND_SRCALPHA, device.LastState(~0u, D3DRENDERSTATE_SRCBLEND));
}

TEST_F(RendererTest, FilterStatesGoOutOnlyWhenTheChoiceChanges)
{
    MemoryImage* image = TexturedImage(32, 32);
    Rect src(0, 0, 32, 32);
    ASSERT_TRUE(d3d.PreDraw());
    // The scene starts linear, and the remembered choice agrees.
    EXPECT_TRUE(gLinearFilterOn);
    EXPECT_EQ((DWORD)D3DTFG_LINEAR, device.LastState(0, D3DTSS_MAGFILTER));
    device.states.clear();
    d3d.Blt(image, 0, 0, &src, &kWhite, 0, false);
    d3d.Blt(image, 5, 5, &src, &kWhite, 0, false);
    EXPECT_EQ(1, device.CountStates(0, D3DTSS_MINFILTER));
    EXPECT_EQ((DWORD)D3DTFG_POINT, device.LastState(0, D3DTSS_MAGFILTER));
    d3d.Blt(image, 5, 5, &src, &kWhite, 0, true);
    EXPECT_EQ(2, device.CountStates(0, D3DTSS_MINFILTER));
}

TEST_F(RendererTest, PlainBlitWalksThePiecesOfTheSourceRectangle)
{
    MemoryImage* image = TexturedImage(100, 70); // 64 x 64 pieces: 2 x 2
    Rect src(32, 32, 64, 36);
    d3d.Blt(image, 10, 20, &src, &kWhite, 0, false);
    ASSERT_EQ(4u, device.primitives.size());
    const Primitive& first = device.primitives[0];
    EXPECT_EQ(MarkSurface(0), first.texture0);
    EXPECT_FLOAT_EQ(9.5f, first.v[0].x);
    EXPECT_FLOAT_EQ(19.5f, first.v[0].y);
    EXPECT_FLOAT_EQ(0.5f, first.v[0].u);
    EXPECT_FLOAT_EQ(41.5f, first.v[3].x); // 32 texels to the piece's edge
    EXPECT_FLOAT_EQ(1.0f, first.v[3].u);
    EXPECT_EQ(MarkSurface(1), device.primitives[1].texture0);
    EXPECT_FLOAT_EQ(41.5f, device.primitives[1].v[0].x);
    EXPECT_EQ(MarkSurface(3), device.primitives[3].texture0);
    // A source reaching past the image is cut, never indexes missing pieces.
    Rect outside(90, 60, 50, 50);
    device.primitives.clear();
    d3d.Blt(image, 0, 0, &outside, &kWhite, 0, false);
    ASSERT_EQ(2u, device.primitives.size()); // rows 60..63 and 64..69 of the last column
    EXPECT_FLOAT_EQ(9.5f, device.primitives[0].v[3].x);
}

TEST_F(RendererTest, TriangleListsOfOnePieceGoOutAHundredAtATime)
{
    MemoryImage* image = TexturedImage(64, 64);
    std::vector<TriangleVertex> triangles(250 * 3);
    for (size_t i = 0; i < triangles.size(); i++)
        triangles[i] = {(float)(i % 7), (float)(i % 5), 0.5f, 0.5f, i % 2 ? 0xFF102030u : 0u};
    const Color tint(1, 2, 3, 4);
    d3d.DrawTrianglesTex(triangles.data(), 250, &tint, 0, image, 10, 20, true);
    ASSERT_EQ(3u, device.primitives.size());
    EXPECT_EQ(300u, device.primitives[0].v.size());
    EXPECT_EQ(300u, device.primitives[1].v.size());
    EXPECT_EQ(150u, device.primitives[2].v.size());
    EXPECT_EQ(D3DPT_TRIANGLELIST, device.primitives[0].type);
    const D3DVertex& v0 = device.primitives[0].v[0];
    const D3DVertex& v1 = device.primitives[0].v[1];
    EXPECT_FLOAT_EQ(10.0f, v0.x);
    EXPECT_EQ(0x04010203u, v0.diffuse); // colour 0 takes the draw colour
    EXPECT_EQ(0xFF102030u, v1.diffuse);
}

TEST_F(RendererTest, TriangleAcrossTwoColumnsIsDrawnOncePerPiece)
{
    MemoryImage* image = TexturedImage(128, 64); // two 64-wide columns, maxU = 2
    // u 0.1 .. 0.7 of the image is 0.2 .. 1.4 in piece units.
    const TriangleVertex tri[3] = {
        {0, 0, 0.1f, 0.0f, 0}, {50, 0, 0.7f, 0.0f, 0}, {0, 50, 0.1f, 1.0f, 0}};
    d3d.DrawTrianglesTex(tri, 1, &kWhite, 0, image, 0, 0, false);
    ASSERT_EQ(2u, device.primitives.size());
    EXPECT_EQ(MarkSurface(0), device.primitives[0].texture0);
    EXPECT_EQ(MarkSurface(1), device.primitives[1].texture0);
    for (const Primitive& p : device.primitives)
    {
        EXPECT_EQ(D3DPT_TRIANGLEFAN, p.type);
        for (const D3DVertex& v : p.v)
        {
            EXPECT_GE(v.u, -1e-5f);
            EXPECT_LE(v.u, 1.0f + 1e-5f);
        }
    }
}

TEST_F(RendererTest, OnlyPiecesReachingOutOfTheClipGoThroughTheClipper)
{
    MemoryImage* image = TexturedImage(128, 64);
    Rect src(0, 0, 128, 64);
    Matrix3 rotate;
    rotate.RotateDeg(10.0f);
    Rect wide(-1000, -1000, 3000, 3000);
    d3d.BltTransformed(image, &wide, &kWhite, 0, &src, rotate, true, 200, 200, false);
    ASSERT_EQ(2u, device.primitives.size());
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, device.primitives[0].type);
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, device.primitives[1].type);

    // The clip's right edge at x = 300 cuts only the second piece.
    device.primitives.clear();
    Matrix3 identity;
    Rect cut(0, 0, 300, 400);
    d3d.BltTransformed(image, &cut, &kWhite, 0, &src, identity, true, 200, 200, false);
    ASSERT_EQ(2u, device.primitives.size());
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, device.primitives[0].type);
    EXPECT_EQ(D3DPT_TRIANGLEFAN, device.primitives[1].type);
    for (const D3DVertex& v : device.primitives[1].v)
        EXPECT_LE(v.x, 300.0f);
}

TEST_F(RendererTest, TransformStackAppliesToFillsAndRoutesBlitsThroughTheMatrix)
{
    MemoryImage* image = TexturedImage(32, 32);
    Matrix3 shift;
    shift.Translate(100, 0);
    d3d.PushTransform(shift);
    Rect rect(0, 0, 2, 2);
    d3d.FillRect(&rect, &kWhite, 0);
    EXPECT_FLOAT_EQ(99.5f, device.primitives.back().v[0].x);
    Rect src(0, 0, 32, 32);
    d3d.Blt(image, 10, 0, &src, &kWhite, 0, false);
    EXPECT_FLOAT_EQ(109.5f, device.primitives.back().v[0].x);
    EXPECT_TRUE(gLinearFilterOn); // the stack draws filtered
    d3d.PopTransform();
    EXPECT_TRUE(d3d.TransformStackEmpty());
    d3d.FillRect(&rect, &kWhite, 0);
    EXPECT_FLOAT_EQ(-0.5f, device.primitives.back().v[0].x);
}

TEST_F(RendererTest, MaskedBlitDrawsOnlyWhereTheMaskLies)
{
    MemoryImage* image = TexturedImage(64, 64);
    MemoryImage* mask = TexturedImage(64, 64);
    Rect src(0, 0, 64, 64);
    Matrix3 identity;
    Matrix3 maskMatrix;
    maskMatrix.Translate(32, 0); // the mask covers screen x 32 .. 96
    MaskRect maskSrc;
    maskSrc.width = 64;
    maskSrc.height = 64;
    MaskRect place;
    d3d.BltTransformed(image, nullptr, &kWhite, 0, &src, identity, true, 0, 0, false, mask,
                       &maskSrc, &place, &maskMatrix);
    ASSERT_EQ(1u, device.primitives.size());
    const Primitive& p = device.primitives[0];
    EXPECT_EQ(kD3DVertex2FVF, p.fvf);
    EXPECT_EQ(D3DPT_TRIANGLEFAN, p.type);
    ASSERT_GE(p.v2.size(), 4u);
    for (const D3DVertex2& v : p.v2)
    {
        EXPECT_GE(v.x, 31.5f - 1e-3f);
        // The mask texel under a point sits 32 pixels left of the image texel.
        EXPECT_NEAR(v.tu1 - 0.5f, v.tu0, 1e-4f);
        EXPECT_NEAR(v.tv1, v.tv0, 1e-4f);
    }
    EXPECT_EQ(MarkSurface(0), p.texture0);
    // Stage 1 is off again for the draws that follow.
    EXPECT_EQ((DWORD)D3DTOP_DISABLE, device.LastState(1, D3DTSS_COLOROP));
    EXPECT_EQ(0u, device.LastState(0, D3DTSS_TEXCOORDINDEX));
    EXPECT_EQ(nullptr, device.textures[1]);

    // A mask that misses the picture draws nothing.
    device.primitives.clear();
    Matrix3 away;
    away.Translate(500, 0);
    d3d.BltTransformed(image, nullptr, &kWhite, 0, &src, identity, true, 0, 0, false, mask,
                       &maskSrc, &place, &away);
    EXPECT_TRUE(device.primitives.empty());
}

TEST_F(RendererTest, AFailureIsRecordedOnceUntilTheSceneEnds)
{
    device.drawResult = E_FAIL;
    Rect rect(0, 0, 4, 4);
    d3d.FillRect(&rect, &kWhite, 0);
    d3d.FillRect(&rect, &kWhite, 0);
    d3d.DrawLine(0, 0, 3, 3, &kWhite, 0);
    EXPECT_EQ(3u, device.primitives.size()); // the draws carry on
    ASSERT_EQ(1u, gSunk.size());
    EXPECT_EQ(0u, gSunk[0].find("DrawPrimitive (Rect): "));
    EXPECT_EQ(gSunk[0], gD3DLastError);
    d3d.EndSceneIfOpen();
    EXPECT_TRUE(gD3DLastError.empty());
    EXPECT_EQ(1, device.endScenes);
}

TEST_F(RendererTest, UnselectableRenderTargetMakesDrawsNoOps)
{
    device.renderTargetResult = DDERR_SURFACELOST;
    Rect rect(0, 0, 4, 4);
    d3d.FillRect(&rect, &kWhite, 0);
    EXPECT_TRUE(device.primitives.empty());
    EXPECT_EQ(0, device.beginScenes);
    EXPECT_TRUE(gD3DRenderTargetFailed);
    device.renderTargetResult = D3D_OK;
    d3d.FillRect(&rect, &kWhite, 0);
    EXPECT_FALSE(gD3DRenderTargetFailed);
    EXPECT_EQ(1u, device.primitives.size());
}
