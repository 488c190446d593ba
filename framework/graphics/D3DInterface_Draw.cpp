// The renderer's drawing: scene and states, blits by texture pieces, the
// masked blit, triangle lists, lines, rectangles, polygons, and the software
// clipper that cuts polygons to a rectangle or to one piece's texture square.
#include <algorithm>
#include <cmath>

#include "framework/app/AppHost.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/raster/DrawTriangle.h"

namespace Lumo
{

// ---------------------------------------------------------------- clipping

float VertexComponent(const D3DVertex& v, int selector)
{
    switch (selector)
    {
    case 0:
        return v.x;
    case 1:
        return v.y;
    case 2:
        return v.z;
    case 3:
        return v.u;
    case 4:
        return v.v;
    default:
        return 0.0f;
    }
}

float VertexComponent(const D3DVertex2& v, int selector)
{
    switch (selector)
    {
    case 0:
        return v.x;
    case 1:
        return v.y;
    case 2:
        return v.z;
    case 3:
        return v.tu0;
    case 4:
        return v.tv0;
    case 5:
        return v.tu1;
    case 6:
        return v.tv1;
    default:
        return 0.0f;
    }
}

static uint32_t InterpolateColor(uint32_t a, uint32_t b, float t)
{
    if (a == b)
        return a;
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int ca = (int)((a >> shift) & 0xFF);
        const int cb = (int)((b >> shift) & 0xFF);
        int c = (int)((float)ca + t * (float)(cb - ca));
        c = std::min(std::max(c, 0), 255);
        result |= (uint32_t)c << shift;
    }
    return result;
}

static float Lerp(float a, float b, float t)
{
    return a + t * (b - a);
}

D3DVertex InterpolateVertex(const D3DVertex& a, const D3DVertex& b, float t)
{
    D3DVertex r = a;
    r.x = Lerp(a.x, b.x, t);
    r.y = Lerp(a.y, b.y, t);
    r.u = Lerp(a.u, b.u, t);
    r.v = Lerp(a.v, b.v, t);
    r.diffuse = InterpolateColor(a.diffuse, b.diffuse, t);
    return r;
}

D3DVertex2 InterpolateVertex(const D3DVertex2& a, const D3DVertex2& b, float t)
{
    D3DVertex2 r = a;
    r.x = Lerp(a.x, b.x, t);
    r.y = Lerp(a.y, b.y, t);
    r.tu0 = Lerp(a.tu0, b.tu0, t);
    r.tv0 = Lerp(a.tv0, b.tv0, t);
    r.tu1 = Lerp(a.tu1, b.tu1, t);
    r.tv1 = Lerp(a.tv1, b.tv1, t);
    r.diffuse = InterpolateColor(a.diffuse, b.diffuse, t);
    return r;
}

template <typename V>
static void ClipAgainst(int selector, float bound, bool keepAbove, const VertexListOf<V>& in,
                        VertexListOf<V>& out)
{
    out.Clear();
    const int n = in.Count();
    if (n < 2)
        return;
    auto inside = [&](float value) { return keepAbove ? value >= bound : value <= bound; };
    int previous = n - 1;
    for (int current = 0; current < n; previous = current, current++)
    {
        const V& p = in[previous];
        const V& c = in[current];
        const float vp = VertexComponent(p, selector);
        const float vc = VertexComponent(c, selector);
        const bool pIn = inside(vp), cIn = inside(vc);
        if (pIn && cIn)
            out.Add(c);
        else if (pIn != cIn)
        {
            out.Add(InterpolateVertex(p, c, (bound - vp) / (vc - vp)));
            if (cIn)
                out.Add(c);
        }
    }
}

void ClipPolygonMin(int selector, float bound, const D3DVertexList& in, D3DVertexList& out)
{
    ClipAgainst(selector, bound, true, in, out);
}

void ClipPolygonMax(int selector, float bound, const D3DVertexList& in, D3DVertexList& out)
{
    ClipAgainst(selector, bound, false, in, out);
}

void ClipPolygonMin(int selector, float bound, const D3DVertex2List& in, D3DVertex2List& out)
{
    ClipAgainst(selector, bound, true, in, out);
}

void ClipPolygonMax(int selector, float bound, const D3DVertex2List& in, D3DVertex2List& out)
{
    ClipAgainst(selector, bound, false, in, out);
}

template <typename V> static void CopyList(const VertexListOf<V>& from, VertexListOf<V>& to)
{
    to.Clear();
    for (int i = 0; i < from.Count(); i++)
        to.Add(from[i]);
}

// Four passes, each one boundary; the result replaces the list.
template <typename V>
static void ClipToBounds(VertexListOf<V>& list, int xSel, int ySel, float left, float top,
                         float right, float bottom)
{
    VertexListOf<V> temp;
    ClipAgainst(xSel, left, true, list, temp);
    ClipAgainst(ySel, top, true, temp, list);
    ClipAgainst(xSel, right, false, list, temp);
    ClipAgainst(ySel, bottom, false, temp, list);
}

template <typename V> static void ClipToRect(const Rect& clip, VertexListOf<V>& list)
{
    ClipToBounds(list, 0, 1, (float)clip.mX, (float)clip.mY, (float)(clip.mX + clip.mWidth),
                 (float)(clip.mY + clip.mHeight));
}

void ClipPolygonToRect(const Rect& clip, D3DVertexList& list)
{
    ClipToRect(clip, list);
}

void ClipPolygonToRect(const Rect& clip, D3DVertex2List& list)
{
    ClipToRect(clip, list);
}

void ClipPolygonToUnitUV(D3DVertexList& list)
{
    ClipToBounds(list, 3, 4, 0.0f, 0.0f, 1.0f, 1.0f);
}

// The polygon cut to the clip rectangle, drawn as a fan in vertex format fvf.
template <typename V>
static void DrawClippedFan(IDirect3DDevice7* device, const Rect& clip, VertexListOf<V>& list,
                           DWORD fvf)
{
    ClipToRect(clip, list);
    if (list.Count() > 2)
        CheckD3DResult(device->DrawPrimitive(D3DPT_TRIANGLEFAN, fvf, list.Data(), list.Count(), 0),
                       "DrawPrimitive (Tri) 2");
}

void DrawClippedPolygon(IDirect3DDevice7* device, const Rect& clip, D3DVertexList& list)
{
    DrawClippedFan(device, clip, list, kD3DVertexFVF);
}

void DrawClippedPolygon2(IDirect3DDevice7* device, const Rect& clip, D3DVertex2List& list)
{
    DrawClippedFan(device, clip, list, kD3DVertex2FVF);
}

// ---------------------------------------------------------------- helpers

static D3DVertex MakeVertex(float x, float y, uint32_t color, float u = 0.0f, float v = 0.0f)
{
    D3DVertex r;
    r.x = x;
    r.y = y;
    r.z = 0.0f;
    r.rhw = 1.0f;
    r.diffuse = color;
    r.specular = 0;
    r.u = u;
    r.v = v;
    return r;
}

static bool InsideClip(const Rect& clip, float x, float y)
{
    return x >= (float)clip.mX && x < (float)(clip.mX + clip.mWidth) && y >= (float)clip.mY &&
           y < (float)(clip.mY + clip.mHeight);
}

// The source rectangle cut to the image; a caller's rectangle that reaches
// past the image must not index pieces that do not exist.
static bool CutToImage(const MemoryImage* image, const Rect* srcRect, Rect& out)
{
    Rect whole(0, 0, image->mWidth, image->mHeight);
    out = srcRect ? srcRect->Intersection(whole) : whole;
    return out.mWidth > 0 && out.mHeight > 0;
}

// Inverse of an affine matrix by adjugate and determinant; false when singular.
static bool InvertAffine(const Matrix3& m, Matrix3& out)
{
    const float det = m.m00 * m.m11 - m.m01 * m.m10;
    if (det == 0.0f || !std::isfinite(det))
        return false;
    const float inv = 1.0f / det;
    out.LoadIdentity();
    out.m00 = m.m11 * inv;
    out.m01 = -m.m01 * inv;
    out.m10 = -m.m10 * inv;
    out.m11 = m.m00 * inv;
    out.m02 = (m.m01 * m.m12 - m.m11 * m.m02) * inv;
    out.m12 = (m.m10 * m.m02 - m.m00 * m.m12) * inv;
    return true;
}

// ---------------------------------------------------------------- record drawing

// One texture piece under a part of the source rectangle: its offset in the
// rectangle, its size and the UV rectangle of the part it covers.
struct TexturePieceAt
{
    int px, py, w, h;
    IDirectDrawSurface7* surface;
    float u0, v0, u1, v1;
};

// Walks the source rectangle piece by piece, left to right in rows as tall as
// each row's last piece.
template <typename Draw>
static void ForEachPiece(const ImageTextures& textures, const Rect& srcRect, Draw draw)
{
    for (int py = 0; py < srcRect.mHeight;)
    {
        int rowHeight = srcRect.mHeight - py;
        for (int px = 0; px < srcRect.mWidth;)
        {
            TexturePieceAt at = {
                px, py, srcRect.mWidth - px, srcRect.mHeight - py, nullptr, 0.0f, 0.0f, 0.0f, 0.0f};
            at.surface = textures.GetPieceAt(srcRect.mX + px, srcRect.mY + py, at.w, at.h, at.u0,
                                             at.v0, at.u1, at.v1);
            draw(at);
            px += at.w;
            rowHeight = at.h;
        }
        py += rowHeight;
    }
}

void ImageTextures::Blt(IDirect3DDevice7* device, float x, float y, const Rect& srcRect,
                        uint32_t color)
{
    ForEachPiece(*this, srcRect,
                 [&](const TexturePieceAt& at)
                 {
                     const auto& [px, py, w, h, surface, u0, v0, u1, v1] = at;
                     const float left = x - 0.5f + px, top = y - 0.5f + py;
                     D3DVertex quad[4] = {MakeVertex(left, top, color, u0, v0),
                                          MakeVertex(left + w, top, color, u1, v0),
                                          MakeVertex(left, top + h, color, u0, v1),
                                          MakeVertex(left + w, top + h, color, u1, v1)};
                     CheckD3DResult(device->SetTexture(0, surface), "SetTexture gTexture");
                     CheckD3DResult(
                         device->DrawPrimitive(D3DPT_TRIANGLESTRIP, kD3DVertexFVF, quad, 4, 0),
                         "DrawPrimitive (Tri) 1");
                 });
}

void ImageTextures::BltTransformed(IDirect3DDevice7* device, const Matrix3& matrix,
                                   const Rect& srcRect, uint32_t color, const Rect* clip, float x,
                                   float y, bool center, ImageTextures* mask,
                                   const Rect* maskSrcRect, float maskPosX, float maskPosY,
                                   const Matrix3* maskMatrix)
{
    if (mask && maskSrcRect && maskMatrix)
    {
        BltMasked(device, matrix, srcRect, color, clip, x, y, center, mask, *maskSrcRect, maskPosX,
                  maskPosY, *maskMatrix);
        return;
    }
    const float cx = center ? srcRect.mWidth / 2.0f : 0.0f;
    const float cy = center ? srcRect.mHeight / 2.0f : 0.0f;
    const float ox = center ? x : x - 0.5f, oy = center ? y : y - 0.5f;
    ForEachPiece(
        *this, srcRect,
        [&](const TexturePieceAt& at)
        {
            const auto& [px, py, w, h, surface, u0, v0, u1, v1] = at;
            const float cornerX[4] = {(float)px, (float)(px + w), (float)px, (float)(px + w)};
            const float cornerY[4] = {(float)py, (float)py, (float)(py + h), (float)(py + h)};
            const float us[4] = {u0, u1, u0, u1}, vs[4] = {v0, v0, v1, v1};
            D3DVertex quad[4];
            bool inside = true;
            for (int i = 0; i < 4; i++)
            {
                LumoVector2 p =
                    matrix.TransformPoint(LumoVector2(cornerX[i] - cx, cornerY[i] - cy));
                quad[i] = MakeVertex(p.x + ox, p.y + oy, color, us[i], vs[i]);
                if (clip && !InsideClip(*clip, quad[i].x, quad[i].y))
                    inside = false;
            }
            CheckD3DResult(device->SetTexture(0, surface), "SetTexture gTexture");
            device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
            CheckD3DResult(device->SetTexture(1, nullptr), "SetTexture gTexture");
            device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
            device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            if (inside)
                CheckD3DResult(
                    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, kD3DVertexFVF, quad, 4, 0),
                    "DrawPrimitive (Tri) 3");
            else
            {
                D3DVertexList list;
                list.Add(quad[0]);
                list.Add(quad[1]);
                list.Add(quad[3]);
                list.Add(quad[2]);
                DrawClippedPolygon(device, *clip, list);
            }
        });
}

// The image drawn through its matrix, its alpha multiplied by the mask laid
// over the screen through the mask matrix; the colour comes from the mask
// times the draw colour. Each image piece's quad is cut, per mask piece, to
// the part where that piece holds mask texels of the mask's source rectangle:
// the mask coordinates are affine in the screen position, so clipping them to
// the piece's texel square is exact and nothing is drawn outside the mask.
void ImageTextures::BltMasked(IDirect3DDevice7* device, const Matrix3& matrix, const Rect& srcRect,
                              uint32_t color, const Rect* clip, float x, float y, bool center,
                              ImageTextures* mask, const Rect& maskSrcRect, float maskPosX,
                              float maskPosY, const Matrix3& maskMatrix)
{
    Matrix3 inverse;
    if (!InvertAffine(maskMatrix, inverse) || mask->columns <= 0 || mask->rows <= 0)
        return;
    const Rect maskArea = maskSrcRect.Intersection(Rect(0, 0, mask->width, mask->height));
    if (maskArea.mWidth <= 0 || maskArea.mHeight <= 0)
        return;

    const float cx = center ? srcRect.mWidth / 2.0f : 0.0f;
    const float cy = center ? srcRect.mHeight / 2.0f : 0.0f;
    const float ox = center ? x : x - 0.5f, oy = center ? y : y - 0.5f;
    // Mask page position of a vertex, the pixel-centre shift undone.
    auto maskPoint = [&](float sx, float sy)
    {
        LumoVector2 local = inverse.TransformPoint(LumoVector2(sx + x - ox, sy + y - oy));
        return LumoVector2(local.x - maskPosX + maskSrcRect.mX,
                           local.y - maskPosY + maskSrcRect.mY);
    };

    const int firstColumn = maskArea.mX / mask->pieceWidth;
    const int lastColumn =
        std::min((maskArea.mX + maskArea.mWidth - 1) / mask->pieceWidth, mask->columns - 1);
    const int firstRow = maskArea.mY / mask->pieceHeight;
    const int lastRow =
        std::min((maskArea.mY + maskArea.mHeight - 1) / mask->pieceHeight, mask->rows - 1);

    ForEachPiece(
        *this, srcRect,
        [&](const TexturePieceAt& at)
        {
            const auto& [px, py, w, h, surface, u0, v0, u1, v1] = at;
            const float cornerX[4] = {(float)px, (float)(px + w), (float)(px + w), (float)px};
            const float cornerY[4] = {(float)py, (float)py, (float)(py + h), (float)(py + h)};
            const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
            D3DVertex2 quad[4];
            LumoVector2 maskAt[4];
            for (int i = 0; i < 4; i++)
            {
                LumoVector2 p =
                    matrix.TransformPoint(LumoVector2(cornerX[i] - cx, cornerY[i] - cy));
                quad[i].x = p.x + ox;
                quad[i].y = p.y + oy;
                quad[i].z = 0.0f;
                quad[i].rhw = 1.0f;
                quad[i].diffuse = color;
                quad[i].tu1 = us[i];
                quad[i].tv1 = vs[i];
                maskAt[i] = maskPoint(quad[i].x, quad[i].y);
            }
            for (int mr = firstRow; mr <= lastRow; mr++)
                for (int mc = firstColumn; mc <= lastColumn; mc++)
                {
                    const TexturePiece& piece = mask->pieces[(size_t)mr * mask->columns + mc];
                    const float pieceX = (float)(mc * mask->pieceWidth);
                    const float pieceY = (float)(mr * mask->pieceHeight);
                    const float pw = (float)piece.width, ph = (float)piece.height;
                    D3DVertex2List list;
                    for (int i = 0; i < 4; i++)
                    {
                        D3DVertex2 v = quad[i];
                        v.tu0 = (maskAt[i].x - pieceX) / pw;
                        v.tv0 = (maskAt[i].y - pieceY) / ph;
                        list.Add(v);
                    }
                    // Texels of this piece that belong to the mask's source rectangle.
                    const float left = (std::max(pieceX, (float)maskArea.mX) - pieceX) / pw;
                    const float right =
                        (std::min(pieceX + pw, (float)(maskArea.mX + maskArea.mWidth)) - pieceX) /
                        pw;
                    const float top = (std::max(pieceY, (float)maskArea.mY) - pieceY) / ph;
                    const float bottom =
                        (std::min(pieceY + ph, (float)(maskArea.mY + maskArea.mHeight)) - pieceY) /
                        ph;
                    ClipToBounds(list, 3, 4, left, top, right, bottom);
                    if (list.Count() < 3)
                        continue;

                    CheckD3DResult(device->SetTexture(0, surface), "SetTexture gTexture");
                    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
                    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
                    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
                    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
                    CheckD3DResult(device->SetTexture(1, piece.surface), "SetTexture gTexture");
                    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
                    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
                    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
                    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
                    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
                    device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
                    device->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);

                    bool inside = true;
                    for (int i = 0; clip && i < list.Count(); i++)
                        if (!InsideClip(*clip, list[i].x, list[i].y))
                            inside = false;
                    if (inside)
                        CheckD3DResult(device->DrawPrimitive(D3DPT_TRIANGLEFAN, kD3DVertex2FVF,
                                                             list.Data(), list.Count(), 0),
                                       "DrawPrimitive (Tri) 3");
                    else
                        DrawClippedPolygon2(device, *clip, list);
                }
        });

    // Back to the one-stage set-up the other draws expect.
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    CheckD3DResult(device->SetTexture(1, nullptr), "SetTexture gTexture");
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void ImageTextures::DrawTriangles(IDirect3DDevice7* device, const TriangleVertex* triangles,
                                  int count, uint32_t color, float tx, float ty)
{
    if (count <= 0 || pieces.empty())
        return;
    auto vertexOf = [&](const TriangleVertex& t, float uScale, float vScale) {
        return MakeVertex(t.x + tx, t.y + ty, t.color ? t.color : color, t.u * uScale,
                          t.v * vScale);
    };

    if (maxU <= 1.0f && maxV <= 1.0f)
    {
        // u, v run over the image; the piece may be larger than the image.
        const float uScale = (float)width / pieces[0].width;
        const float vScale = (float)height / pieces[0].height;
        CheckD3DResult(device->SetTexture(0, pieces[0].surface), "SetTexture gTexture");
        D3DVertex batch[300];
        int inBatch = 0;
        for (int i = 0; i < count; i++)
        {
            for (int k = 0; k < 3; k++)
                batch[inBatch * 3 + k] = vertexOf(triangles[i * 3 + k], uScale, vScale);
            inBatch++;
            if (inBatch == 100 || i == count - 1)
            {
                CheckD3DResult(
                    device->DrawPrimitive(D3DPT_TRIANGLELIST, kD3DVertexFVF, batch, inBatch * 3, 0),
                    "DrawPrimitive (TriList)");
                inBatch = 0;
            }
        }
        return;
    }

    for (int i = 0; i < count; i++)
    {
        D3DVertex tri[3];
        float minU = 1e30f, maxUu = -1e30f, minV = 1e30f, maxVv = -1e30f;
        for (int k = 0; k < 3; k++)
        {
            tri[k] = vertexOf(triangles[i * 3 + k], maxU, maxV);
            minU = std::min(minU, tri[k].u);
            maxUu = std::max(maxUu, tri[k].u);
            minV = std::min(minV, tri[k].v);
            maxVv = std::max(maxVv, tri[k].v);
        }
        const int c0 = std::max((int)std::floor(minU), 0);
        const int c1 = std::min((int)std::ceil(maxUu) - 1, columns - 1);
        const int r0 = std::max((int)std::floor(minV), 0);
        const int r1 = std::min((int)std::ceil(maxVv) - 1, rows - 1);
        for (int r = r0; r <= r1; r++)
            for (int c = c0; c <= c1; c++)
            {
                const TexturePiece& piece = pieces[(size_t)r * columns + c];
                // Inner pieces span one unit; the edge pieces are sized apart.
                const float uScale = (float)pieceWidth / piece.width;
                const float vScale = (float)pieceHeight / piece.height;
                D3DVertexList list;
                for (int k = 0; k < 3; k++)
                {
                    D3DVertex v = tri[k];
                    v.u = (v.u - c) * uScale;
                    v.v = (v.v - r) * vScale;
                    list.Add(v);
                }
                ClipPolygonToUnitUV(list);
                if (list.Count() < 3)
                    continue;
                CheckD3DResult(device->SetTexture(0, piece.surface), "SetTexture gTexture");
                CheckD3DResult(device->DrawPrimitive(D3DPT_TRIANGLEFAN, kD3DVertexFVF, list.Data(),
                                                     list.Count(), 0),
                               "DrawPrimitive (Tri) 4");
            }
    }
}

// ---------------------------------------------------------------- scene and states

bool D3DInterface::PreDraw()
{
    if (gAppHost && gAppHost->IsMinimized())
        return false;
    if (!mDevice || !mDrawSurface)
        return false;
    if (mSceneOpen)
        return true;
    if (FAILED(mDevice->SetRenderTarget(mDrawSurface, 0)))
    {
        gD3DRenderTargetFailed = true;
        return false;
    }
    gD3DRenderTargetFailed = false;
    mDevice->BeginScene();
    mDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    mDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    mDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    mDevice->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
    for (DWORD stage = 0; stage < 2; stage++)
    {
        mDevice->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTFN_LINEAR);
        mDevice->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
        mDevice->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTFP_POINT);
        mDevice->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        const DWORD address = stage == 0 ? D3DTADDRESS_CLAMP : D3DTADDRESS_BORDER;
        mDevice->SetTextureStageState(stage, D3DTSS_ADDRESSU, address);
        mDevice->SetTextureStageState(stage, D3DTSS_ADDRESSV, address);
        mDevice->SetTextureStageState(stage, D3DTSS_BORDERCOLOR, 0);
    }
    mDevice->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    mSceneOpen = true;
    // The stage filters were just set to linear: remember what the device holds.
    gLinearFilterOn = true;
    return true;
}

void D3DInterface::EndSceneIfOpen()
{
    if (!mSceneOpen)
        return;
    if (mDevice)
        mDevice->EndScene();
    mSceneOpen = false;
    gD3DLastError.clear();
}

void D3DInterface::SetDrawMode(int mode, const Color*, Image*)
{
    mDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    mDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND,
                            mode == 0 ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
}

void D3DInterface::SetLinearFilter(bool linear)
{
    if (linear == gLinearFilterOn)
        return;
    const DWORD value = linear ? 2 : 1;
    const char* text = linear ? "SetTextureStageState LINEAR" : "SetTextureStageState Point";
    CheckD3DResult(mDevice->SetTextureStageState(0, D3DTSS_MINFILTER, value), text);
    CheckD3DResult(mDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, value), text);
    CheckD3DResult(mDevice->SetTextureStageState(0, D3DTSS_MIPFILTER, value), text);
    mDevice->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    gLinearFilterOn = linear;
}

// ---------------------------------------------------------------- image draws

void D3DInterface::Blt(Image* src, float x, float y, const Rect* srcRect, const Color* color,
                       int mode, bool linear)
{
    MemoryImage* image = dynamic_cast<MemoryImage*>(src);
    if (!image)
        return;
    if (!mTransformStack.empty())
    {
        BltTranslated(src, x, y, srcRect, nullptr, color, mode);
        return;
    }
    Rect area;
    if (!CutToImage(image, srcRect, area) || !PreDraw())
        return;
    if (!CreateImageTexture(image))
        return;
    SetDrawMode(mode);
    SetLinearFilter(linear);
    image->mTexture->Blt(mDevice, x, y, area, PackD3DColor(color ? *color : gColorWhite));
}

void D3DInterface::BltTransformed(Image* src, const Rect* clip, const Color* color, int mode,
                                  const Rect* srcRect, const Matrix3& matrix, bool linear, float x,
                                  float y, bool center, Image* maskImage,
                                  const MaskRect* maskSrcRect, const MaskRect* maskPlaceRect,
                                  const Matrix3* maskMatrix)
{
    MemoryImage* image = dynamic_cast<MemoryImage*>(src);
    if (!image)
        return;
    Rect area;
    if (!CutToImage(image, srcRect, area) || !PreDraw())
        return;
    if (!CreateImageTexture(image))
        return;
    MemoryImage* mask = nullptr;
    if (maskImage && maskMatrix)
    {
        mask = dynamic_cast<MemoryImage*>(maskImage);
        if (!mask || !CreateImageTexture(mask))
            return;
    }
    SetDrawMode(mode);
    const uint32_t packed = PackD3DColor(color ? *color : gColorWhite);

    if (mTransformStack.empty())
    {
        SetLinearFilter(linear);
        Rect maskRect;
        float maskX = 0.0f, maskY = 0.0f;
        if (mask)
        {
            if (maskSrcRect)
                maskRect = Rect((int)maskSrcRect->x, (int)maskSrcRect->y, (int)maskSrcRect->width,
                                (int)maskSrcRect->height);
            else
                maskRect = Rect(0, 0, mask->mWidth, mask->mHeight);
            if (maskPlaceRect)
            {
                maskX = maskPlaceRect->x;
                maskY = maskPlaceRect->y;
            }
        }
        image->mTexture->BltTransformed(mDevice, matrix, area, packed, clip, x, y, center,
                                        mask ? mask->mTexture : nullptr, mask ? &maskRect : nullptr,
                                        maskX, maskY, mask ? maskMatrix : nullptr);
        return;
    }

    SetLinearFilter(true);
    Matrix3 combined;
    bool keepCenter = center;
    if (x == 0.0f && y == 0.0f)
        mTransformStack.back().Multiply(combined, matrix);
    else
    {
        Matrix3 local;
        if (center)
            local.Translate(-area.mWidth / 2.0f, -area.mHeight / 2.0f);
        Matrix3 placed;
        matrix.Multiply(placed, local);
        placed.Translate(x, y);
        mTransformStack.back().Multiply(combined, placed);
        keepCenter = false;
    }
    image->mTexture->BltTransformed(mDevice, combined, area, packed, clip, 0.0f, 0.0f, keepCenter,
                                    nullptr, nullptr, 0.0f, 0.0f, nullptr);
}

void D3DInterface::BltTranslated(Image* src, float x, float y, const Rect* srcRect,
                                 const Rect* clip, const Color* color, int mode)
{
    Matrix3 matrix;
    matrix.Translate(x, y);
    BltTransformed(src, clip, color, mode, srcRect, matrix, true, 0.0f, 0.0f, false);
}

void D3DInterface::BltMirrored(Image* src, float x, float y, const Rect* srcRect,
                               const Color* color, int mode, bool linear)
{
    if (!src)
        return;
    const float width = srcRect ? (float)srcRect->mWidth : (float)src->mWidth;
    Matrix3 matrix;
    matrix.Translate(-width, 0.0f);
    matrix.Scale(-1.0f, 1.0f);
    matrix.Translate(x, y);
    BltTransformed(src, nullptr, color, mode, srcRect, matrix, linear, 0.0f, 0.0f, false);
}

void D3DInterface::BltStretched(Image* src, const Rect* destRect, const Rect* srcRect,
                                const Rect* clip, const Color* color, int mode, bool fast,
                                bool mirror)
{
    if (!src || !destRect)
        return;
    const Rect source = srcRect ? *srcRect : Rect(0, 0, src->mWidth, src->mHeight);
    if (source.mWidth <= 0 || source.mHeight <= 0)
        return;
    const float sx = (float)destRect->mWidth / (float)source.mWidth;
    const float sy = (float)destRect->mHeight / (float)source.mHeight;
    Matrix3 matrix;
    if (mirror)
    {
        matrix.Translate(-(float)source.mWidth, 0.0f);
        matrix.Scale(-sx, sy);
    }
    else
        matrix.Scale(sx, sy);
    matrix.Translate((float)destRect->mX, (float)destRect->mY);
    BltTransformed(src, clip, color, mode, &source, matrix, !fast, 0.0f, 0.0f, false);
}

void D3DInterface::BltRotated(Image* src, float x, float y, const Rect* clip, const Color* color,
                              int mode, double angle, float cx, float cy, const Rect* srcRect)
{
    Matrix3 matrix;
    matrix.Translate(-cx, -cy);
    matrix.RotateRad((float)angle);
    matrix.Translate(x + cx, y + cy);
    BltTransformed(src, clip, color, mode, srcRect, matrix, true, 0.0f, 0.0f, false);
}

void D3DInterface::DrawTrianglesTex(const TriangleVertex* triangles, int count, const Color* color,
                                    int mode, Image* texture, float tx, float ty, bool linear)
{
    MemoryImage* image = dynamic_cast<MemoryImage*>(texture);
    if (!image || !triangles || count <= 0 || !PreDraw())
        return;
    if (!CreateImageTexture(image))
        return;
    SetDrawMode(mode);
    SetLinearFilter(linear);
    image->mTexture->DrawTriangles(mDevice, triangles, count,
                                   PackD3DColor(color ? *color : gColorWhite), tx, ty);
}

// ---------------------------------------------------------------- untextured draws

void D3DInterface::DrawLine(double x1, double y1, double x2, double y2, const Color* color,
                            int mode)
{
    if (!PreDraw())
        return;
    SetDrawMode(mode);
    const uint32_t packed = PackD3DColor(color ? *color : gColorBlack);
    LumoVector2 a = ThroughStack((float)x1, (float)y1);
    LumoVector2 b = ThroughStack((float)x2, (float)y2);
    CheckD3DResult(mDevice->SetTexture(0, nullptr), "SetTexture NULL");
    D3DVertex strip[3] = {MakeVertex(a.x, a.y, packed), MakeVertex(b.x, b.y, packed),
                          MakeVertex(b.x + 0.5f, b.y + 0.5f, packed)};
    CheckD3DResult(mDevice->DrawPrimitive(D3DPT_LINESTRIP, kD3DVertexFVF, strip, 3, 0),
                   "DrawPrimitive (Line)");
}

void D3DInterface::FillRect(const Rect* rect, const Color* color, int mode)
{
    if (!rect || !PreDraw())
        return;
    SetDrawMode(mode);
    const uint32_t packed = PackD3DColor(color ? *color : gColorBlack);
    const float left = rect->mX - 0.5f, top = rect->mY - 0.5f;
    const float right = rect->mX + rect->mWidth - 0.5f, bottom = rect->mY + rect->mHeight - 0.5f;
    const LumoVector2 corners[4] = {ThroughStack(left, top), ThroughStack(left, bottom),
                                    ThroughStack(right, top), ThroughStack(right, bottom)};
    D3DVertex quad[4];
    for (int i = 0; i < 4; i++)
        quad[i] = MakeVertex(corners[i].x, corners[i].y, packed);
    CheckD3DResult(mDevice->SetTexture(0, nullptr), "SetTexture NULL");
    CheckD3DResult(mDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, kD3DVertexFVF, quad, 4, 0),
                   "DrawPrimitive (Rect)");
}

void D3DInterface::FillPolygon(const int* points, int count, const Rect* clip, const Color* color,
                               int mode, int tx, int ty)
{
    if (!points || count < 3 || !PreDraw())
        return;
    SetDrawMode(mode);
    const uint32_t packed = PackD3DColor(color ? *color : gColorBlack);
    CheckD3DResult(mDevice->SetTexture(0, nullptr), "SetTexture NULL");
    D3DVertexList list;
    for (int i = 0; i < count; i++)
    {
        LumoVector2 p = ThroughStack((float)(points[i * 2] + tx), (float)(points[i * 2 + 1] + ty));
        list.Add(MakeVertex(p.x, p.y, packed));
    }
    if (clip)
        DrawClippedPolygon(mDevice, *clip, list);
    else
        CheckD3DResult(
            mDevice->DrawPrimitive(D3DPT_TRIANGLEFAN, kD3DVertexFVF, list.Data(), list.Count(), 0),
            "DrawPrimitive (FillPoly)");
}

} // namespace Lumo
