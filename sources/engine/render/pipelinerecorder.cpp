#include "engine/render/pipelinerecorder.h"

#include "core/system/string.h"
#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/rendertarget.h"
#include "engine/render/rendertargetmanager.h"
#include "engine/render/shader.h"
#include "engine/render/texture.h"

#include <cstring>

TPipelineRecorder g_PipelineRecorder;

namespace
{
const TName s_DefaultDefines("default", true);
const TName s_TextureName("Render pipeline texture", true);
const TName s_aKeyName[3] = {TName("RCtrl", true), TName("Up", true), TName("Down", true)};
constexpr TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr f32 kViewerX = 600.0f;
constexpr f32 kViewerY = 50.0f;
constexpr f32 kLineHeight = 16.0f;

u32 NameOf(const TResource* resource)
{
    return resource ? resource->m_Name.GetId() : 0;
}

const char* TextOf(u32 id)
{
    TName name;
    name.SetId(id);
    return name.GetText();
}

void Write(f32 x, f32 y, const char* text)
{
    g_pCanvasManager->WriteColored(x, y, kWhite, text, 0);
}
} // namespace

void TPipelineRecorder::Record(const TName& step, TShader* shader)
{
    if (!m_nRecording || m_nStepCount >= PIPELINE_STEP_CAPACITY || !g_pRenderTargetManager)
        return;
    TPipelineStep& record = m_aStep[m_nStepCount++];
    std::memset(&record, 0, sizeof record);
    record.nStep = step.GetId();
    TRenderTarget* targets[PIPELINE_TARGET_SLOTS];
    for (u32 slot = 0; slot < PIPELINE_TARGET_SLOTS; ++slot)
    {
        targets[slot] = g_pRenderTargetManager->GetCurrentTarget(static_cast<i32>(slot));
        record.aTarget[slot] = NameOf(targets[slot]);
    }
    TRenderTarget* depth = g_pRenderTargetManager->GetCurrentDepthTarget();
    record.nDepth = NameOf(depth);
    if (shader)
    {
        record.nShader = shader->m_Name.GetId();
        record.nDefines = shader->m_DefineText.GetId() ? shader->m_DefineText.GetId() : s_DefaultDefines.GetId();
        for (u32 slot = 0; slot < PIPELINE_TEXTURE_SLOTS; ++slot)
            record.aTexture[slot] = NameOf(shader->aTexture[slot]);
    }

    // The counters restart with every manager's render call: lower counters are a new run.
    const TRenderStats& now = g_RenderStatsCurrent;
    bool wentDown = false;
    for (u32 i = 0; i < RENDER_STATS_COUNT; ++i)
        wentDown = wentDown || now.aCounter[i] < m_Snapshot.aCounter[i];
    for (u32 i = 0; i < RENDER_STATS_COUNT; ++i)
        record.aStatistics[i] = wentDown ? now.aCounter[i] : now.aCounter[i] - m_Snapshot.aCounter[i];
    m_Snapshot = now;

    if (static_cast<i32>(m_nStepCount) > m_nSelected)
        _DrawTiles(targets, depth);
}

void TPipelineRecorder::_DrawTiles(TRenderTarget* const (&targets)[PIPELINE_TARGET_SLOTS], TRenderTarget* depth)
{
    if (!g_pCanvasManager)
        return;
    if (!m_pTexture)
        m_pTexture = g_pRenderTargetManager->CreateRenderTarget(s_TextureName, PIPELINE_TEXTURE_WIDTH,
                                                                PIPELINE_TEXTURE_HEIGHT, PIPELINE_TEXTURE_FORMAT, 0,
                                                                1, 0);
    if (!m_pTexture)
        return;
    m_pTexture->SetRenderTarget(nullptr);
    // Tile positions are pixels of the texture; the canvas places rectangles in its aperture.
    const f32 scaleX = g_pCanvasManager->GetApertureWidth() / PIPELINE_TEXTURE_WIDTH;
    const f32 scaleY = g_pCanvasManager->GetApertureHeight() / PIPELINE_TEXTURE_HEIGHT;
    const f32 top = static_cast<f32>(static_cast<i32>(m_nStepCount) - m_nSelected - 1) * PIPELINE_TILE_SIZE;
    for (u32 slot = 0; slot < PIPELINE_TARGET_SLOTS; ++slot)
    {
        if (!targets[slot])
            continue;
        const f32 left = static_cast<f32>(slot) * PIPELINE_TILE_SIZE;
        TShader* copy = g_pCanvasManager->SetShader(targets[slot]->GetTexture(), 0);
        g_pCanvasManager->DrawTexture(left * scaleX, top * scaleY, (left + PIPELINE_TILE_SIZE) * scaleX,
                                      (top + PIPELINE_TILE_SIZE) * scaleY, copy, kWhite);
    }
    if (targets[0])
        targets[0]->SetRenderTargets(depth, targets[1], targets[2], targets[3]);
}

void TPipelineRecorder::Reset()
{
    std::memset(m_aStep, 0, sizeof m_aStep);
    m_nStepCount = 0;
    if (!m_pTexture || !g_pDeviceManager)
        return;
    TRenderTarget* previous = g_pRenderTargetManager->GetCurrentTarget(0);
    TRenderTarget* depth = g_pRenderTargetManager->GetCurrentDepthTarget();
    m_pTexture->SetRenderTarget(nullptr);
    g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET, 0, 1.0f, 0);
    if (previous)
        previous->SetRenderTarget(depth);
}

void TPipelineRecorder::ReleaseTexture()
{
    if (m_pTexture)
        m_pTexture->ReleaseReference();
    m_pTexture = nullptr;
}

void TPipelineRecorder::Draw()
{
    if (!m_pTexture || !g_pCanvasManager)
        return;
    TTexture* texture = m_pTexture->GetTexture();
    const f32 width = texture ? static_cast<f32>(texture->m_nWidth) : PIPELINE_TEXTURE_WIDTH;
    const f32 height = texture ? static_cast<f32>(texture->m_nHeight) : PIPELINE_TEXTURE_HEIGHT;
    g_pCanvasManager->DrawTexture(kViewerX, kViewerY, kViewerX + width, kViewerY + height,
                                  g_pCanvasManager->SetShader(texture, 0), kWhite);
    f32 y = kViewerY - static_cast<f32>(m_nSelected) * PIPELINE_TILE_SIZE;
    for (u32 i = 0; i < m_nStepCount; ++i, y += PIPELINE_TILE_SIZE)
    {
        const TPipelineStep& step = m_aStep[i];
        const u32* s = step.aStatistics;
        Write(10.0f, y, StringFormat("%s :%s (%s)", TextOf(step.nStep), TextOf(step.nShader), TextOf(step.nDefines)));
        Write(1010.0f, y, StringFormat("rtt %d batch %d ver %d fac %d", s[6], s[2], s[0], s[1]));
        Write(30.0f, y + kLineHeight,
              StringFormat("%s %s %s %s", TextOf(step.aTarget[0]), TextOf(step.aTarget[1]),
                           TextOf(step.aTarget[2]), TextOf(step.aTarget[3])));
        Write(1010.0f, y + kLineHeight, StringFormat("dyn batch %d ver %d fac %d", s[5], s[3], s[4]));
        f32 x = 30.0f;
        for (u32 slot = 0; slot < PIPELINE_TEXTURE_SLOTS; ++slot)
            if (step.aTexture[slot])
            {
                Write(x, y + 2.0f * kLineHeight, StringFormat("(%d) %s", slot, TextOf(step.aTexture[slot])));
                x += 150.0f;
            }
        Write(1010.0f, y + 2.0f * kLineHeight,
              StringFormat("VS %d (const %d) PS %d (const %d) tex %d", s[7], s[8], s[9], s[10], s[11]));
    }
    _SelectByKeys();
}

void TPipelineRecorder::_SelectByKeys()
{
    if (!g_pInputManager)
        return;
    if (!m_nKeysLooked)
    {
        m_nKeysLooked = 1;
        for (u32 i = 0; i < 3; ++i)
            m_apKey[i] = g_pInputManager->FindInput(s_aKeyName[i]);
    }
    if (!m_apKey[0] || !m_apKey[0]->IsPressed())
        return;
    if (m_apKey[1] && m_apKey[1]->WasPressed())
        --m_nSelected;
    if (m_apKey[2] && m_apKey[2]->WasPressed())
        ++m_nSelected;
}
