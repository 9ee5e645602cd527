#include "directx/render/dxcanvasmanager.h"

#include "core/cluster/cluster.h"
#include "core/cluster/useridlink.h"
#include "core/math/boundbox.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdynamicmeshdata.h"
#include "directx/render/dxdynamicmeshmanager.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxrendertargetmanager.h"
#include "directx/render/dxscreenmatrix.h"
#include "directx/render/dxshader.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/localization/localization.h"
#include "engine/render/camera.h"
#include "engine/render/device.h"
#include "engine/render/rendermanager.h"
#include "engine/render/texture.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

TDxCanvasManager* g_pDxCanvasManager = nullptr;

namespace
{
TDxCanvasManager s_CanvasManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Canvas", "Dx", &g_pDxCanvasManager, &s_CanvasManager);
// The engine's modules reach the canvas through the abstract manager.
const bool s_bBound = (g_pCanvasManager = &s_CanvasManager, true);

constexpr u32 kBatchPrimitive[CANVAS_BATCH_COUNT] = {DX_PRIMITIVE_LINES, DX_PRIMITIVE_LINES, DX_PRIMITIVE_TRIANGLES,
                                                      DX_PRIMITIVE_TRIANGLES};
constexpr u32 kGrey = 0xFF808080;
constexpr u32 kRed = 0xFFFF0000;
const TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

// The shader names of the kinds (kind 2 has none).
constexpr const char* kShaderName[CANVAS_SHADER_KINDS] = {
    "Shader_canvas",       "Shader_canvasalpha",   nullptr,
    "Shader_canvasadd",    "Shader_canvasmul",     "Shader_canvas2d",
    "Shader_canvas2dline", "Shader_canvas3d",      "Shader_canvas3dAlpha",
    "Shader_canvas3dline", "Shader_canvas3dAdd",   "Shader_canvas3dMul"};
constexpr i32 kBatchShader[CANVAS_BATCH_COUNT] = {CANVAS_SHADER_2D_LINE, CANVAS_SHADER_3D_LINE, CANVAS_SHADER_2D,
                                                  CANVAS_SHADER_3D};
const char* const kUnitRectName = "MeshData__canvas_unit_rect";

// Static links by name: the stored object of that user id, else the manager's object of that
// name (found once, forgotten at the cluster's next clear).
template <class T, class Find> T* Linked(TUserIdLink& link, Find find)
{
    if (void* object = link.FindObject())
        return static_cast<T*>(object);
    TName name;
    name.SetId(link.nUserId);
    T* found = find(name);
    link.SetObject(found);
    return found;
}

TUserIdLink& ShaderLink(i32 kind)
{
    // Built once; the links stay in place, the cluster keeps the addresses of their caches.
    static std::vector<TUserIdLink> s_aLink = [] {
        std::vector<TUserIdLink> links;
        links.reserve(CANVAS_SHADER_KINDS);
        for (const char* name : kShaderName)
            links.emplace_back(name ? TName(name, true).GetId() : 0u);
        return links;
    }();
    return s_aLink[static_cast<u32>(kind)];
}

TUserIdLink& UnitRectLink()
{
    static TUserIdLink s_Link(TName(kUnitRectName, true).GetId());
    return s_Link;
}

bool InRender()
{
    return g_pRenderManager && g_pRenderManager->m_nInRender;
}

void SetPoint(TCanvasVertex& vertex, const TVector& point, f32 w, u32 color)
{
    vertex.x = point.x;
    vertex.y = point.y;
    vertex.z = point.z;
    vertex.w = w;
    vertex.nColor = color;
}

TVector Midpoint(const TVector& a, const TVector& b)
{
    TVector middle = TVector::Add(a, b);
    middle.Scale(0.5f);
    const f32 length = middle.Length();
    if (length >= VectorMinimumLength)
        middle.Scale(1.0f / length);
    return middle;
}

std::vector<TVector> BuildSphere(u32 level)
{
    const f32 s = 1.0f / std::sqrt(2.0f);
    const TVector n(0, 0, 1, 1), south(0, 0, -1, 1);
    const TVector pp(s, s, 0, 1), pm(s, -s, 0, 1), mp(-s, s, 0, 1), mm(-s, -s, 0, 1);
    std::vector<TVector> list = {n,     pm, pp, n,     pp, mp, n,     mp, mm, n,     mm, pm,
                                 south, pp, pm, south, mp, pp, south, mm, mp, south, pm, mm};
    for (u32 pass = 0; pass < level; ++pass)
    {
        const size_t count = list.size();
        for (size_t i = 0; i < count; i += 3)
        {
            const TVector a = list[i], b = list[i + 1], c = list[i + 2];
            const TVector ab = Midpoint(a, b), bc = Midpoint(b, c), ca = Midpoint(c, a);
            list[i] = ab;
            list[i + 1] = bc;
            list[i + 2] = ca;
            list.insert(list.end(), {a, ab, ca, ab, b, bc, bc, c, ca});
        }
    }
    return list;
}
} // namespace

const std::vector<TVector>& CanvasUnitSphere(u32 level)
{
    static const std::vector<TVector> s_aSphere[3] = {BuildSphere(0), BuildSphere(1), BuildSphere(2)};
    return s_aSphere[std::min(level, 2u)];
}

i32 CanvasCircleSegments(f32 radius)
{
    const i32 n = static_cast<i32>(radius * 0.5f + 6.0f);
    return n > 99 ? 100 : n;
}

void TDxCanvasManager::BeginManager()
{
    g_pResourceManager->AddMethod(this);
    g_pCluster->AddListener(this);
    g_pDeviceManager->AddMethod(this);
    m_DefaultFont = g_pDxFontManager->GetFont(TName("Arial", true), 16);
    CreateBatches();
    m_CurrentFont = m_DefaultFont;
    SetApertureMode(0);
}

void TDxCanvasManager::CreateBatches()
{
    const TMeshDescription description = CanvasVertexDescription();
    for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
    {
        TCanvasBatch& batch = m_aBatch[i];
        batch = {};
        batch.nCapacity = CANVAS_BATCH_CAPACITY[i];
        batch.pMesh = g_pDxDynamicMeshManager->CreateMeshData();
        if (!batch.pMesh)
            continue;
        batch.pMesh->Setup(static_cast<u32>(batch.nCapacity), 0, description, nullptr);
        batch.pMesh->m_nPrimitiveKind = kBatchPrimitive[i];
    }
}

void TDxCanvasManager::BindBatchShader(u32 batch, TDxShader* shader)
{
    TCanvasBatch& target = m_aBatch[batch];
    if (!target.pMesh || target.pMesh->m_pShader == shader)
        return;
    if (target.nCount)
        _FlushBatch(batch, 1);
    target.pTexture = nullptr;
    target.pMesh->m_pShader = shader;
}

void TDxCanvasManager::SetColor(const TColor& color)
{
    if (m_pColor)
        m_pColor->SetVector(TVector(color.r, color.g, color.b, color.a));
}

TDxShader* TDxCanvasManager::GetShader(i32 kind)
{
    if (kind == CANVAS_SHADER_UNIMPLEMENTED)
        __Abort("TDxCanvasManager::GetShader", "sources/directx/render/dxcanvasmanager", __LINE__, "unimplemented");
    if (kind < 0 || kind >= CANVAS_SHADER_KINDS)
        kind = CANVAS_SHADER_DEFAULT;
    return Linked<TDxShader>(ShaderLink(kind), [](const TName& name) {
        return g_pDxShaderManager ? g_pDxShaderManager->FindShader(name) : nullptr;
    });
}

TShader* TDxCanvasManager::SetShader(TTexture* texture, i32 kind)
{
    if (texture)
        texture->Require();
    TDxShader* shader = GetShader(kind);
    if (shader)
        shader->SetTexture(0, texture);
    return shader;
}

TDxMeshData* TDxCanvasManager::GetUnitRect()
{
    return Linked<TDxMeshData>(UnitRectLink(), [](const TName& name) {
        return g_pDxMeshManager ? g_pDxMeshManager->FindMeshData(name) : nullptr;
    });
}

const TMeshDescription* TDxCanvasManager::GetUnitRectInfo()
{
    TDxMeshData* rect = GetUnitRect();
    return rect ? &rect->m_Description : nullptr;
}

void TDxCanvasManager::_DrawRect(TShader* shader, const TColor& color, const TVector& position, const TVector& uv)
{
    g_aScreenMatrix[0] = position;
    g_aScreenMatrix[1] = uv;
    SetColor(color);
    TDxMeshData* rect = GetUnitRect();
    _ApplyFilter();
    if (rect && shader)
        rect->Draw(TMatrix(1.0f), static_cast<TDxShader*>(shader), nullptr);
}

namespace
{
// A texture with smaller levels (a font's page) is minified from the level nearest the drawn
// size, filtered: point samples of the page itself drop whole rows of small text. Set through
// the effects' state filter before the pass, as the filtered sampling is.
void MinifyLevels(const TTexture* texture)
{
    if (!texture || texture->m_nLevels <= 1 || !g_pDxEffectStateFilter)
        return;
    g_pDxEffectStateFilter->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    g_pDxEffectStateFilter->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
}

// Half a texel of the texture in slot 0 of the shader, in each direction; 0 without one.
void HalfTexel(TShader* shader, f32& u, f32& v)
{
    const TTexture* texture = shader ? shader->aTexture[0] : nullptr;
    u = texture && texture->m_nWidth ? 0.5f / static_cast<f32>(texture->m_nWidth) : 0.0f;
    v = texture && texture->m_nHeight ? 0.5f / static_cast<f32>(texture->m_nHeight) : 0.0f;
}
} // namespace

void TDxCanvasManager::DrawTexture(f32 x1, f32 y1, f32 x2, f32 y2, TShader* shader, const TColor& color)
{
    DrawTextureUV(x1, y1, x2, y2, 0.0f, 0.0f, 1.0f, 1.0f, shader, color);
}

void TDxCanvasManager::DrawTextureUV(f32 x1, f32 y1, f32 x2, f32 y2, f32 tu1, f32 tv1, f32 tu2, f32 tv2,
                                     TShader* shader, const TColor& color)
{
    f32 halfU, halfV;
    HalfTexel(shader, halfU, halfV);
    const TVector position((x2 - x1) * m_fInvWidth, (x1 + x2) * m_fInvWidth * 0.5f - 0.5f,
                           (y2 - y1) * m_fInvHeight, 0.5f - (y1 + y2) * m_fInvHeight * 0.5f);
    _DrawRect(shader, color, position, TVector(tu2 - tu1, tu1 + halfU, tv2 - tv1, tv1 + halfV));
}

namespace
{
// Whether the opaque canvas pass, over the whole of a target of that description, would write each
// texel of its texture unchanged under the states it leaves as it finds them: the whole target in
// the viewport, nothing tested, every channel written as it is, no other target bound.
bool DrawsTexelsUnchanged(IDirect3DDevice9* device, const D3DSURFACE_DESC& target)
{
    D3DVIEWPORT9 viewport;
    if (FAILED(device->GetViewport(&viewport)) || viewport.X != 0 || viewport.Y != 0 ||
        viewport.Width != target.Width || viewport.Height != target.Height)
        return false;
    constexpr std::pair<D3DRENDERSTATETYPE, DWORD> kStates[] = {
        {D3DRS_FILLMODE, D3DFILL_SOLID},     {D3DRS_SCISSORTESTENABLE, FALSE}, {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_ALPHATESTENABLE, FALSE},      {D3DRS_COLORWRITEENABLE, 0xF},    {D3DRS_SRGBWRITEENABLE, FALSE},
        {D3DRS_FOGENABLE, FALSE},            {D3DRS_CLIPPLANEENABLE, 0}};
    for (const auto& [state, value] : kStates)
    {
        DWORD now = 0;
        if (FAILED(device->GetRenderState(state, &now)) || now != value)
            return false;
    }
    constexpr std::pair<D3DSAMPLERSTATETYPE, DWORD> kSampler[] = {
        {D3DSAMP_MAGFILTER, D3DTEXF_POINT}, {D3DSAMP_MINFILTER, D3DTEXF_POINT}, {D3DSAMP_MIPFILTER, D3DTEXF_NONE},
        {D3DSAMP_MAXMIPLEVEL, 0},           {D3DSAMP_SRGBTEXTURE, FALSE}};
    for (const auto& [state, value] : kSampler)
    {
        DWORD now = 0;
        if (FAILED(device->GetSamplerState(0, state, &now)) || now != value)
            return false;
    }
    for (DWORD slot = 1; slot < 4; ++slot)
    {
        IDirect3DSurface9* other = nullptr;
        if (SUCCEEDED(device->GetRenderTarget(slot, &other)) && other)
        {
            other->Release();
            return false;
        }
    }
    return true;
}

// The canvas's plain copy of a texture onto a target of its size and format, as a copy of its
// bytes: false (nothing done) where the draw could give other bits.
bool CopyTexels(IDirect3DDevice9* device, TShader* shader, const TColor& color)
{
    const TTexture* texture = shader->aTexture[0];
    if (!device || !texture || !texture->m_pTexture || texture->m_pTexture->GetType() != D3DRTYPE_TEXTURE ||
        color.r != 1.0f || color.g != 1.0f || color.b != 1.0f || color.a != 1.0f)
        return false;
    IDirect3DSurface9* source = nullptr;
    IDirect3DSurface9* target = nullptr;
    bool copied = false;
    if (SUCCEEDED(static_cast<IDirect3DTexture9*>(texture->m_pTexture)->GetSurfaceLevel(0, &source)) &&
        SUCCEEDED(device->GetRenderTarget(0, &target)))
    {
        D3DSURFACE_DESC from, to;
        copied = SUCCEEDED(source->GetDesc(&from)) && SUCCEEDED(target->GetDesc(&to)) && from.Format == to.Format &&
                 from.Width == to.Width && from.Height == to.Height && DrawsTexelsUnchanged(device, to) &&
                 SUCCEEDED(device->StretchRect(source, nullptr, target, nullptr, D3DTEXF_POINT));
    }
    if (source)
        source->Release();
    if (target)
        target->Release();
    return copied;
}
} // namespace

void TDxCanvasManager::DrawFullScreen(TShader* shader, const TColor& color)
{
    const TVector identity(1.0f, 0.0f, 1.0f, 0.0f);
    if (shader && shader == GetShader(CANVAS_SHADER_DEFAULT) &&
        CopyTexels(g_pDxDeviceManager ? g_pDxDeviceManager->GetDevice() : nullptr, shader, color))
    {
        // What the draw leaves besides the pixels.
        g_aScreenMatrix[0] = identity;
        g_aScreenMatrix[1] = identity;
        SetColor(color);
        return;
    }
    _DrawRect(shader, color, identity, identity);
}

void TDxCanvasManager::OnClusterLoad()
{
    m_pColor = g_pDxShaderManager->FindGlobalParameter(TName("CanvasColor", true));
    if (!m_pColor)
        TLog::Print(g_pSystemLog, LOG_WARNING, "TDxCanvasManager::OnClusterLoad(): warning: ",
                    "'CanvasColor' undeclared shared shader manager parameter");
    _DiscardBatches();
    for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
        BindBatchShader(i, GetShader(kBatchShader[i]));
}

void TDxCanvasManager::EnsureClusterBindings()
{
    if (!m_pColor)
        OnClusterLoad();
}

void TDxCanvasManager::OnDeviceChange()
{
    if (m_nApertureMode == 0)
        SetApertureMode(0);
}

void TDxCanvasManager::SetApertureMode(i32 mode)
{
    m_nApertureMode = mode;
    if (mode == 0)
        _SetApertureSize(static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()),
                         static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()), 1.0f, 1.0f);
}

void TDxCanvasManager::SetApertureSize(f32 width, f32 height, i32 fit)
{
    if (!fit)
    {
        _SetApertureSize(width, height, 1.0f, 1.0f);
        return;
    }
    const f32 backWidth = static_cast<f32>(g_pDeviceManager->GetBackBufferWidth());
    const f32 backHeight = static_cast<f32>(g_pDeviceManager->GetBackBufferHeight());
    if (width / height > backWidth / backHeight)
        height = width * backHeight / backWidth;
    else
        width = height * backWidth / backHeight;
    _SetApertureSize(width, height, backWidth / width, backHeight / height);
}

void TDxCanvasManager::SetApertureToDevice()
{
    SetApertureSize(static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()),
                    static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()), 0);
}

void TDxCanvasManager::SetApertureToRenderTarget()
{
    const auto* target = static_cast<const TDxRenderTarget*>(g_pDxRenderTargetManager->GetCurrentTarget(0));
    if (target)
        SetApertureSize(static_cast<f32>(target->m_nWidth), static_cast<f32>(target->m_nHeight), 0);
}

void TDxCanvasManager::_SetApertureSize(f32 width, f32 height, f32 scaleX, f32 scaleY)
{
    if (InRender())
        Flush();
    else if (std::any_of(std::begin(m_aBatch), std::end(m_aBatch), [](const TCanvasBatch& b) { return b.nCount; }))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxCanvasManager::_SetApertureSize(): error: ",
                    "render data but not in render begin");
        _DiscardBatches();
    }
    m_fWidth = width;
    m_fHeight = height;
    m_fInvWidth = 1.0f / width;
    m_fInvHeight = 1.0f / height;
    m_fScaleX = scaleX;
    m_fScaleY = scaleY;
    // Batches drawn early (full, or another texture) go out before the next Flush: they take
    // the new aperture too.
    g_aScreenMatrix[0] = TVector(m_fInvWidth, -0.5f, -m_fInvHeight, 0.5f);
    g_aScreenMatrix[2] = TVector(m_fInvWidth, -0.5f, -m_fInvHeight, 0.5f);
}

TCanvasVertex* TDxCanvasManager::_Reserve(u32 batch, i32 count)
{
    // Batched primitives carry their colour in their vertices.
    SetColor(kWhite);
    TCanvasBatch& target = m_aBatch[batch];
    if (count < 0 || count > target.nCapacity || !target.pMesh)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxCanvasManager::_Reserve(): error: ",
                    "%d vertices asked of a batch of %d", count, target.nCapacity);
        return nullptr;
    }
    if (target.pWrite && target.nCount + count > target.nCapacity)
        _FlushBatch(batch, 1);
    if (!target.pWrite)
    {
        target.pMesh->Reset();
        target.pWrite = static_cast<TCanvasVertex*>(target.pMesh->AppendVertices(static_cast<u32>(target.nCapacity)));
        target.nCount = 0;
        if (!target.pWrite)
            return nullptr;
    }
    TCanvasVertex* first = target.pWrite + target.nCount;
    target.nCount += count;
    return first;
}

TCanvasVertex* TDxCanvasManager::_Alloc(u32 batch, i32 count, TDxShader* shader, TTexture* texture)
{
    TCanvasBatch& target = m_aBatch[batch];
    if (!target.pMesh)
        return nullptr;
    if (target.pMesh->m_pShader != shader || (texture && texture != target.pTexture))
    {
        if (target.nCount && target.pMesh->m_pShader)
            _FlushBatch(batch, 1);
        target.pTexture = texture;
        target.pMesh->m_pShader = shader;
    }
    return _Reserve(batch, count);
}

TCanvasVertex* TDxCanvasManager::AllocVertices2DLines(i32 count, TDxShader* shader, TTexture* texture)
{
    return _Alloc(CANVAS_BATCH_2D_LINES, count, shader, texture);
}

TCanvasVertex* TDxCanvasManager::AllocVertices3DLines(i32 count, TDxShader* shader, TTexture* texture)
{
    return _Alloc(CANVAS_BATCH_3D_LINES, count, shader, texture);
}

TCanvasVertex* TDxCanvasManager::AllocVertices2DTriangles(i32 count, TDxShader* shader, TTexture* texture)
{
    return _Alloc(CANVAS_BATCH_2D_TRIANGLES, count, shader, texture);
}

TCanvasVertex* TDxCanvasManager::AllocVertices3DTriangles(i32 count, TDxShader* shader, TTexture* texture)
{
    return _Alloc(CANVAS_BATCH_3D_TRIANGLES, count, shader, texture);
}

void TDxCanvasManager::_FlushBatch(u32 batch, u32 reset)
{
    TCanvasBatch& target = m_aBatch[batch];
    if (!target.nCount)
        return;
    // A texture still loading has nothing to sample yet: its primitives are dropped rather than
    // drawn with whatever the shader held, and the next frame draws them whole.
    if (target.pTexture && target.pTexture->Require())
    {
        if (reset)
        {
            target.pMesh->UnlockAppends();
            target.pMesh->Reset();
            target.nCount = 0;
            target.pWrite = nullptr;
        }
        return;
    }
    TDxShader* shader = target.pMesh->m_pShader;
    TTexture* kept = shader ? shader->aTexture[0] : nullptr;
    if (shader && target.pTexture)
        shader->SetTexture(0, target.pTexture);
    // A batch drawn early (its shader or texture changed) must not take the transform and
    // tint an immediate rectangle left behind: batches are in aperture units, untinted.
    g_aScreenMatrix[0] = TVector(m_fInvWidth, -0.5f, -m_fInvHeight, 0.5f);
    g_aScreenMatrix[1] = TVector(1.0f, 0.0f, 1.0f, 0.0f);
    SetColor(kWhite);
    _ApplyFilter();
    MinifyLevels(target.pTexture);
    target.pMesh->Draw(static_cast<u32>(target.nCount), 0, reset);
    if (reset)
    {
        target.nCount = 0;
        target.pWrite = nullptr;
    }
    if (shader)
        shader->SetTexture(0, kept);
}

void TDxCanvasManager::SetFiltered(u32 filtered)
{
    if (filtered == m_nFiltered)
        return;
    if (InRender())
        Flush();
    m_nFiltered = filtered;
}

void TDxCanvasManager::_ApplyFilter()
{
    // Set on the device behind the filter's back, the sweep of the next pass would put the
    // filter's own record back: set through it before each pass, the pass keeps it.
    if (!m_nFiltered || !g_pDxEffectStateFilter)
        return;
    g_pDxEffectStateFilter->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    g_pDxEffectStateFilter->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
}

void TDxCanvasManager::_DiscardBatches()
{
    for (TCanvasBatch& batch : m_aBatch)
    {
        if (batch.pMesh)
        {
            batch.pMesh->UnlockAppends();
            batch.pMesh->Reset();
        }
        batch.nCount = 0;
        batch.pWrite = nullptr;
        batch.pTexture = nullptr;
    }
}

void TDxCanvasManager::Flush()
{
    if (!InRender())
    {
        _DiscardBatches();
        return;
    }
    for (u32 i = 0; i < CANVAS_BATCH_COUNT; ++i)
        _FlushBatch(i, 1);
}

void TDxCanvasManager::DrawLine(f32 x1, f32 y1, f32 x2, f32 y2, const TColor& color)
{
    TCanvasVertex* v = _Reserve(CANVAS_BATCH_2D_LINES, 2);
    if (!v)
        return;
    const u32 argb = color.ToARGB();
    SetPoint(v[0], TVector(x1, y1, 0, 0), 0.0f, argb);
    SetPoint(v[1], TVector(x2, y2, 0, 0), 0.0f, argb);
}

void TDxCanvasManager::DrawRectFrame(f32 x1, f32 y1, f32 x2, f32 y2, const TColor& color)
{
    DrawLine(x1, y1, x2, y1, color);
    DrawLine(x2, y1, x2, y2, color);
    DrawLine(x2, y2, x1, y2, color);
    DrawLine(x1, y2, x1, y1, color);
}

void TDxCanvasManager::DrawCircle(f32 x, f32 y, f32 radius, const TColor& color)
{
    const i32 n = CanvasCircleSegments(radius);
    if (n <= 0)
        return;
    TCanvasVertex* v = _Reserve(CANVAS_BATCH_2D_LINES, 2 * n + 2);
    if (!v)
        return;
    const u32 argb = color.ToARGB();
    TVector previous(x + radius, y, 0, 0);
    for (i32 i = 0; i <= n; ++i)
    {
        const f32 angle = static_cast<f32>(i) * 2.0f * 3.14159265f / static_cast<f32>(n);
        const TVector next(x + std::cos(angle) * radius, y + std::sin(angle) * radius, 0, 0);
        SetPoint(*v++, previous, 0.0f, argb);
        SetPoint(*v++, next, 0.0f, argb);
        previous = next;
    }
}

void TDxCanvasManager::_AddLine3D(const TVector& a, const TVector& b, u32 color)
{
    TCanvasVertex* v = _Reserve(CANVAS_BATCH_3D_LINES, 2);
    if (!v)
        return;
    SetPoint(v[0], a, 1.0f, color);
    SetPoint(v[1], b, 1.0f, color);
}

void TDxCanvasManager::DrawLine3D(const TVector& from, const TVector& to, const TColor& color)
{
    TCanvasVertex* v = _Reserve(CANVAS_BATCH_3D_LINES, 2);
    if (!v)
        return;
    const u32 argb = color.ToARGB();
    SetPoint(v[0], from, 0.0f, argb);
    SetPoint(v[1], to, 0.0f, argb);
    v[0].u = v[0].v = v[1].u = v[1].v = 0.0f;
}

void TDxCanvasManager::DrawBox(const TMatrix& matrix, const TBoundBox& box, const TColor& color)
{
    TVector corner[8];
    for (u32 i = 0; i < 8; ++i)
        corner[i] = matrix.TransformPoint(TVector(i & 1 ? box.maximum.x : box.minimum.x,
                                                  i & 2 ? box.maximum.y : box.minimum.y,
                                                  i & 4 ? box.maximum.z : box.minimum.z, 1.0f));
    // Corners joined when their indices differ in one bit.
    const u32 argb = color.ToARGB();
    for (u32 i = 0; i < 8; ++i)
        for (u32 bit = 1; bit < 8; bit <<= 1)
            if (!(i & bit))
                _AddLine3D(corner[i], corner[i | bit], argb);
}

void TDxCanvasManager::DrawSphere(const TVector& centre, f32 radius, const TColor& color, f32 scale)
{
    const TCamera* camera = g_pDxCameraManager ? g_pDxCameraManager->GetMainCamera() : nullptr;
    if (!camera)
        return;
    u32 level = 1;
    if (g_pDxViewportManager && g_pDxViewportManager->GetCurrentViewport())
    {
        const f32 ratio = TVector::Subtract(camera->m_Placement.Translation(), centre).Length() /
                          std::max(radius, 0.1f) / std::max(scale, 0.1f);
        if (ratio > 1000.0f)
            return;
        level = ratio < 50.0f ? 2 : ratio >= 500.0f ? 0 : 1;
    }
    const u32 argb = color.ToARGB();
    const auto place = [&](const TVector& unit) {
        TVector point = unit.Scaled(radius);
        return TVector(point.x + centre.x, point.y + centre.y, point.z + centre.z, 1.0f);
    };
    const std::vector<TVector>& sphere = CanvasUnitSphere(level);
    for (size_t i = 0; i < sphere.size(); i += 3)
    {
        const TVector a = place(sphere[i]), b = place(sphere[i + 1]), c = place(sphere[i + 2]);
        _AddLine3D(a, b, argb);
        _AddLine3D(b, c, argb);
    }
}

void TDxCanvasManager::DrawAxes(const TMatrix& matrix, f32 length)
{
    const TVector& t = matrix.Translation();
    const u32 colors[3] = {kRed, 0xFF00FF00, 0xFF0000FF};
    TCanvasVertex* v = _Reserve(CANVAS_BATCH_3D_LINES, 12);
    if (!v)
        return;
    for (u32 pass = 0; pass < 2; ++pass)
        for (u32 axis = 0; axis < 3; ++axis)
        {
            const TVector end = TVector::Add(t, matrix.aRow[axis].Scaled(pass ? length : -length));
            SetPoint(*v++, t, t.w, pass ? colors[axis] : kGrey);
            SetPoint(*v++, end, 1.0f, pass ? colors[axis] : kGrey);
        }
}

void TDxCanvasManager::DrawAxesAt(const TVector& position, f32 length)
{
    TMatrix matrix(1.0f);
    matrix.Translation() = TVector(position.x, position.y, position.z, 1.0f);
    DrawAxes(matrix, length);
}

void TDxCanvasManager::DrawFrustum(const TMatrix& matrix, f32 angleA, f32 angleB, f32 nearDepth, f32 farDepth,
                                   const TColor& color)
{
    const f32 sinA = std::sin(angleA * 3.14159265f / 180.0f), sinB = std::sin(angleB * 3.14159265f / 180.0f);
    TVector corner[8];
    const f32 depths[2] = {nearDepth, farDepth};
    for (u32 d = 0; d < 2; ++d)
    {
        const f32 w = depths[d] * sinB, h = depths[d] * sinA;
        const f32 z = depths[d];
        const TVector local[4] = {{-w, -h, z, 1}, {w, -h, z, 1}, {w, h, z, 1}, {-w, h, z, 1}};
        for (u32 i = 0; i < 4; ++i)
            corner[d * 4 + i] = matrix.TransformPoint(local[i]);
    }
    const u32 argb = color.ToARGB();
    for (u32 i = 0; i < 4; ++i)
    {
        _AddLine3D(corner[i], corner[(i + 1) % 4], argb);
        _AddLine3D(corner[4 + i], corner[4 + (i + 1) % 4], argb);
        _AddLine3D(corner[i], corner[4 + i], argb);
    }
}

void TDxCanvasManager::DrawStrip3D(const TVector& from, const TVector& to, const TVector& side, f32 headLength,
                                     f32 widthFactor, const TColor& color)
{
    const TVector d = TVector::Subtract(to, from).Normalized();
    const TVector base = TVector::Subtract(to, d.Scaled(headLength));
    const TVector wing = TVector::Add(base, side.Scaled(headLength * widthFactor));
    const u32 argb = color.ToARGB();
    _AddLine3D(from, to, argb);
    _AddLine3D(to, wing, argb);
    _AddLine3D(base, wing, argb);
}

void TDxCanvasManager::DrawArrow(const TVector& from, const TVector& to, f32 headLength, const TColor& color,
                                 f32 widthFactor)
{
    const TVector d = TVector::Subtract(to, from).Normalized();
    TMatrix frame;
    frame.SetFromDirection(d, 2);
    const TVector base = TVector::Subtract(to, d.Scaled(headLength));
    const f32 s = headLength * widthFactor;
    const u32 argb = color.ToARGB();
    _AddLine3D(from, to, argb);
    for (u32 axis = 0; axis < 2; ++axis)
    {
        const TVector across = frame.aRow[axis].Scaled(s);
        const TVector plus = TVector::Add(base, across), minus = TVector::Subtract(base, across);
        _AddLine3D(to, plus, argb);
        _AddLine3D(to, minus, argb);
        _AddLine3D(plus, minus, argb);
    }
}

void TDxCanvasManager::DrawTextureQuad(const f32 p0[4], const f32 p1[4], const f32 p2[4], const f32 p3[4],
                                       TDxShader* shader, const TColor& color)
{
    g_aScreenMatrix[1] = TVector(1.0f, 0.0f, 1.0f, 0.0f);
    TCanvasVertex* v = AllocVertices2DTriangles(6, shader, shader ? shader->aTexture[0] : nullptr);
    if (!v)
        return;
    const u32 argb = color.ToARGB();
    const f32* corners[6] = {p0, p1, p2, p0, p2, p3};
    for (const f32* corner : corners)
    {
        *v++ = {corner[0], corner[1], 0.5f, 0.0f, corner[2], corner[3], argb};
    }
}

TCanvasVertex* TDxCanvasManager::AllocTexturedTriangles(i32 count, TTexture* texture)
{
    g_aScreenMatrix[1] = TVector(1.0f, 0.0f, 1.0f, 0.0f);
    return AllocVertices2DTriangles(count, GetShader(CANVAS_SHADER_2D), texture);
}

void TDxCanvasManager::DrawTriangles3D(const TCanvasVertex* vertices, i32 count, TDxShader* shader)
{
    const i32 capacity = CANVAS_BATCH_CAPACITY[CANVAS_BATCH_3D_TRIANGLES];
    while (count > 0)
    {
        const i32 chunk = std::min(count, capacity);
        TCanvasVertex* v = AllocVertices3DTriangles(chunk, shader, nullptr);
        if (!v)
            return;
        for (i32 i = 0; i < chunk; ++i)
        {
            v[i] = vertices[i];
            v[i].w = 0.0f;
        }
        vertices += chunk;
        count -= chunk;
    }
}

void TDxCanvasManager::DrawUserVertices(i32 count, const TCanvasVertex* vertices, TShader* shader)
{
    DrawTriangles3D(vertices, count, static_cast<TDxShader*>(shader));
}

TFont TDxCanvasManager::SetFont(const TName& name, i32 size)
{
    m_CurrentFont = g_pDxFontManager->GetFont(name, static_cast<i32>(static_cast<f32>(size) * m_fScaleY));
    return m_CurrentFont;
}

TFont TDxCanvasManager::SetDefaultFont()
{
    m_CurrentFont = m_DefaultFont;
    return m_CurrentFont;
}

i32 TDxCanvasManager::GetTextWidthW(const char16_t* text, i32 length)
{
    return m_CurrentFont.pData ? m_CurrentFont.pData->GetTextWidthW(text, length) : -1;
}

i32 TDxCanvasManager::GetTextWidth(const char* text, i32 length)
{
    return m_CurrentFont.pData ? m_CurrentFont.pData->GetTextWidth(text, length) : -1;
}

void TDxCanvasManager::WriteRect(const f32 rect[4], const TColor& color, const char* text, i32 mode)
{
    if (!m_CurrentFont.pData)
    {
        m_CurrentFont.Write(0.0f, 0.0f, color, text, mode);
        return;
    }
    const f32 scaled[4] = {rect[0] * m_fScaleX, rect[1] * m_fScaleY, rect[2] * m_fScaleX, rect[3] * m_fScaleY};
    m_CurrentFont.pData->WriteRect(scaled, color, text, mode);
}

void TDxCanvasManager::WriteColored(f32 x, f32 y, const TColor& color, const char* text, i32 mode)
{
    m_CurrentFont.Write(x * m_fScaleX, y * m_fScaleY, color, text, mode);
}

namespace
{
// The name's text in the current language; null when it has none.
const char16_t* LocalizedText(const TName& name)
{
    const char16_t* text = TLocalizationManager::Instance().GetTextTemp(name, false);
    return text && text[0] ? text : nullptr;
}
} // namespace

void TDxCanvasManager::WriteLocalizedRect(const f32 rect[4], const TColor& color, const TName& name, i32 mode)
{
    const char16_t* text = LocalizedText(name);
    if (!text)
        return;
    if (!m_CurrentFont.pData)
    {
        m_CurrentFont.WriteW(0.0f, 0.0f, color, text, mode);
        return;
    }
    const f32 scaled[4] = {rect[0] * m_fScaleX, rect[1] * m_fScaleY, rect[2] * m_fScaleX, rect[3] * m_fScaleY};
    m_CurrentFont.pData->WriteRectW(scaled, color, text, mode);
}

void TDxCanvasManager::WriteLocalized(f32 x, f32 y, const TColor& color, const TName& name, i32 mode)
{
    if (const char16_t* text = LocalizedText(name))
        WriteColoredW(x, y, color, text, mode);
}

void TDxCanvasManager::WriteColoredW(f32 x, f32 y, const TColor& color, const char16_t* text, i32 mode)
{
    m_CurrentFont.WriteW(x * m_fScaleX, y * m_fScaleY, color, text, mode);
}

namespace
{
void WriteWorld(const TVector& point, const TColor& color, i32 mode, const char* text)
{
    const TCamera* camera = g_pDxCameraManager ? g_pDxCameraManager->GetMainCamera() : nullptr;
    if (!camera)
        return;
    const TVector projected = camera->ProjectPoint(point);
    if (projected.z >= 1.0f)
        return;
    g_pDxCanvasManager->WriteColored(projected.x, projected.y, color, text, mode);
}
} // namespace

void CanvasWritefColored(f32 x, f32 y, const TColor& color, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = StringFormatV(format, args);
    va_end(args);
    g_pDxCanvasManager->WriteColored(x, y, color, text, 0);
}

void CanvasWritefColoredFlags(f32 x, f32 y, const TColor& color, i32 mode, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = StringFormatV(format, args);
    va_end(args);
    g_pDxCanvasManager->WriteColored(x, y, color, text, mode);
}

void CanvasWritef(const f32 rect[4], const TColor& color, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = StringFormatV(format, args);
    va_end(args);
    g_pDxCanvasManager->WriteRect(rect, color, text, 0);
}

void CanvasWritefWorld(const TVector& point, const TColor& color, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = StringFormatV(format, args);
    va_end(args);
    WriteWorld(point, color, 0, text);
}

void CanvasWritefWorldFlags(const TVector& point, const TColor& color, i32 mode, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const char* text = StringFormatV(format, args);
    va_end(args);
    WriteWorld(point, color, mode, text);
}
