#include "directx/debug/debugmanager.h"

#include "ageia/collisionmanager.h"
#include "core/cluster/cluster.h"
#include "core/math/ray.h"
#include "core/system/memory.h"
#include "core/system/string.h"
#include "core/system/timer.h"
#include "directx/debug/debuglists.h"
#include "directx/debug/debugscene.h"
#include "directx/debug/debugvariables.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/render/device.h"
#include "engine/render/pipelinerecorder.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

TDebugManager* g_pDebugManager = nullptr;

namespace
{
TDebugManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Debug", "Debug", &g_pDebugManager, &s_Manager);

// The overlay pass keeps the frame's target; it asks for no clear.
constexpr u32 DEBUG_PIPELINE_PASS = 10;
constexpr f32 MEGABYTE = 1.0f / 1048576.0f;
// The location overlay's ray and cell.
constexpr f32 LOCATION_RAY_LENGTH = 10000.0f;
constexpr f32 LOCATION_CELL = 100.0f;
constexpr f32 LOCATION_HALF_HEIGHT = 50.0f;
// The frame-rate corner text.
constexpr i32 FPS_FONT_SIZE = 18;
constexpr u32 FPS_TEXT_SIZE = 32;
// The game's title bar covers the top 63 of 1200 rows, drawn after the overlays: the rate
// stands below it.
constexpr f32 FPS_TOP_SHARE = 64.0f / 1200.0f;

const TName s_NameFpsFont("Trebuchet ms", true);

// The five frame timings of the main loop: message pump s, update u, present flush f, render r,
// present p.
enum ETiming
{
    TIMING_PUMP,
    TIMING_UPDATE,
    TIMING_FLUSH,
    TIMING_RENDER,
    TIMING_PRESENT
};

f32 PerSecond(f32 value)
{
    // The first frame has no time yet: 0 rather than a division by 0.
    return value > 0.0f ? 1.0f / value : 0.0f;
}

bool HasActiveViewport()
{
    return g_pDxViewportManager && g_pDxViewportManager->GetCurrentViewport();
}

// One line of the memory table: y, colour, text, bytes.
struct TMemoryLine
{
    f32 y;
    const TColor* color;
    const char* format;
    u32 bytes;
};
} // namespace

TDebugManager::TDebugManager() : m_apAction{}, m_apKey{}, m_nCameraEnabled(0), m_pSavedCamera(nullptr), m_afVisibleUntil{}
{
}

TDebugManager::~TDebugManager() = default;

void TDebugManager::BeginManager()
{
    m_nCameraEnabled = 0;
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(static_cast<TDeviceMethods*>(this));
    g_pCluster->AddListener(static_cast<TClusterMethods*>(this));
    if (g_pResourceManager)
        g_pResourceManager->AddMethod(static_cast<TResourceMethods*>(this));
    if (g_pRenderSceneManager)
        g_pRenderSceneManager->AddListener(static_cast<TRenderSceneMethods*>(this));
    TInputManager& input = TInputManager::Instance();
    m_apKey[DEBUG_KEY_LSHIFT] = input.FindInput(TName("LShift", true));
    m_apKey[DEBUG_KEY_NUMPAD_PLUS] = input.FindInput(TName("NumPadPlus", true));
    m_apKey[DEBUG_KEY_NUMPAD_MINUS] = input.FindInput(TName("NumPadMinus", true));
    m_apKey[DEBUG_KEY_LCTRL] = input.FindInput(TName("LCtrl", true));
}

void TDebugManager::DrawOutlinedText(f32 x, f32 y, const TColor& color, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    CanvasWritefColored(x - 2.0f, y, DEBUG_BLACK, "%s", text);
    CanvasWritefColored(x + 2.0f, y, DEBUG_BLACK, "%s", text);
    CanvasWritefColored(x, y - 2.0f, DEBUG_BLACK, "%s", text);
    CanvasWritefColored(x, y + 2.0f, DEBUG_BLACK, "%s", text);
    CanvasWritefColored(x, y, color, "%s", text);
}

void TDebugManager::RenderManager()
{
    if (!HasActiveViewport() || !g_pDxCanvasManager)
        return;
    TDebugVariables& v = DebugVariables();
    if (g_pRenderManager)
        g_pRenderManager->BeginPipelinePass(DEBUG_PIPELINE_PASS);
    g_pDxCanvasManager->SetApertureToDevice();
    g_pDxCanvasManager->SetDefaultFont();
    if (DebugSwitch(v.info_prop))
        DrawPropList();
    if (DebugSwitch(v.info_performance))
        DrawPerformance();
    if (DebugSwitch(v.info_render))
        DrawRenderInfo();
    if (DebugSwitch(v.info_location))
        DrawLocation();
    if (DebugSwitch(v.grid))
        DrawDebugGrid();
    if (const i32 skeletons = DebugSwitch(v.skeleton_debug))
        DrawSkeletons(skeletons);
    if (DebugSwitch(v.info_fps))
        DrawFrameRate();
    const f32 width = static_cast<f32>(g_pDeviceManager->GetBackBufferWidth());
    const f32 height = static_cast<f32>(g_pDeviceManager->GetBackBufferHeight());
    if (DebugSwitch(v.deferredrendering_debug))
        DrawPipelineThumbnails(width, height);
    if (DebugSwitch(v.shadow_debug))
        DrawShadowThumbnails(width, height);
    if (DebugSwitch(v.info_mesh))
        DrawMeshList();
    if (DebugSwitch(v.info_objects))
        DrawArrayList();
    // Read each frame; nothing of theirs is drawn.
    DebugSwitch(v.info_multiplayer_traffic);
    DebugSwitch(v.info_multiplayer_object);
    DebugSwitch(v.info_sound);
    if (DebugSwitch(v.lights_debug))
        DrawLights();
    if (DebugSwitch(v.info_resources))
        DrawResourceTable();
    if (DebugSwitch(v.renderpipeline_debug) && g_PipelineRecorder.IsRecording() && g_pRenderManager)
        g_pRenderManager->_RenderStatistics();
    g_pDxCanvasManager->Flush();
}

void TDebugManager::DrawPerformance()
{
    const TManagerTiming& timing = g_ManagerManager.GetTiming();
    const f32 s = timing.aLast[TIMING_PUMP];
    const f32 u = timing.aLast[TIMING_UPDATE];
    const f32 f = timing.aLast[TIMING_FLUSH];
    const f32 r = timing.aLast[TIMING_RENDER];
    const f32 p = timing.aLast[TIMING_PRESENT];
    const f32 total = s + u + f + r + p;
    DrawOutlinedText(340.0f, 55.0f, DEBUG_WHITE, "Sytem perf info %.2f ms (s%.2f u%.2f r%.2f p%.2f f%.2f) %.2f fps", total,
                     s, u, r, p, f, total > 0.0f ? 1000.0f / total : 0.0f);
    const f32 now = static_cast<f32>(g_pTimer->GetTime());
    DrawOutlinedText(10.0f, 70.0f, DEBUG_WHITE, "manager");
    DrawOutlinedText(280.0f, 70.0f, DEBUG_WHITE, "update");
    DrawOutlinedText(340.0f, 70.0f, DEBUG_WHITE, "render");
    DrawOutlinedText(400.0f, 70.0f, DEBUG_WHITE, "thread update");
    DrawOutlinedText(620.0f, 70.0f, DEBUG_WHITE, "render stats");

    f32 updateSum = 0.0f;
    f32 renderSum = 0.0f;
    f32 cpuSum[DEBUG_CPU_COUNT] = {};
    u32 listed = 0;
    const u32 count = std::min(g_ManagerManager.GetManagerCount(), DEBUG_MANAGER_SLOTS);
    for (u32 i = 0; i < count; ++i)
    {
        TManager* manager = g_ManagerManager.GetManager(i);
        updateSum += manager->m_fUpdateTime;
        renderSum += manager->m_fRenderTime;
        const bool active = manager->m_fUpdateTime >= DEBUG_ACTIVE_MS || manager->m_fRenderTime >= DEBUG_ACTIVE_MS ||
                            manager->m_fThreadUpdateTime >= DEBUG_ACTIVE_MS;
        if (active)
            m_afVisibleUntil[i] = now + DEBUG_LISTED_SECONDS;
        if (now >= m_afVisibleUntil[i])
            continue;
        const f32 y = 70.0f + 15.0f * static_cast<f32>(++listed);
        CanvasWritefColored(10.0f, y, active ? DEBUG_WHITE : DEBUG_RED, "%s", manager->GetNameText());
        if (active)
        {
            if (manager->m_fUpdateTime > 0.009f)
                CanvasWritefColored(280.0f, y, DEBUG_WHITE, "%.2fms", manager->m_fUpdateTime);
            if (manager->m_fRenderTime > 0.009f)
                CanvasWritefColored(340.0f, y, DEBUG_WHITE, "%.2fms", manager->m_fRenderTime);
            if (manager->m_nWorker)
                DrawOutlinedText(400.0f, y, DEBUG_WHITE, "%.2fms (CPU%d i%d)", manager->m_fThreadUpdateTime,
                                 manager->m_nWorkerIndex, manager->m_nStepWord);
            if (const TRenderStats* stats = manager->m_pStatistics)
            {
                const u32* c = stats->aCounter;
                if (c[6] || c[2] || c[5])
                    DrawOutlinedText(620.0f, y, DEBUG_WHITE, "rt%d b%d f%d v%d tx%d vs%d ps%d", c[6], c[5] + c[2],
                                     c[4] + c[1], c[3] + c[0], c[11], c[9], c[7]);
            }
        }
        cpuSum[manager->m_nWorkerIndex % DEBUG_CPU_COUNT] += manager->m_fThreadUpdateTime;
    }

    f32 busiest = 0.0f;
    for (f32 sum : cpuSum)
        busiest = std::max(busiest, sum);
    u32 lines = 0;
    for (u32 cpu = 0; cpu < DEBUG_CPU_COUNT; ++cpu)
    {
        if (cpuSum[cpu] == 0.0f)
            continue;
        const f32 y = 15.0f * static_cast<f32>(listed + 2) + 80.0f + 15.0f * static_cast<f32>(lines++);
        DrawOutlinedText(480.0f, y, cpuSum[cpu] == busiest ? DEBUG_BLUE : DEBUG_RED, "%.2fms (CPU %d)", cpuSum[cpu], cpu);
    }
    const f32 totalY = 15.0f * static_cast<f32>(listed + 1) + 75.0f;
    CanvasWritefColored(10.0f, totalY, DEBUG_WHITE, "Total");
    CanvasWritefColored(280.0f, totalY, DEBUG_WHITE, "%.2fms", updateSum);
    CanvasWritefColored(340.0f, totalY, DEBUG_WHITE, "%.2fms", renderSum);
    CanvasWritefColored(480.0f, totalY, DEBUG_WHITE, "%.2fms", busiest);

    const TDeviceStatistics& d = *g_pDeviceManager->GetStatistics();
    // The shared figure: the counts drawn in blue, each once.
    const u32 shared = d.nTextures + d.nCubeTextures + d.nVolumeTextures + d.nShaders + d.nVertexBuffers + d.nIndexBuffers;
    const u32 video = d.nBackBuffer + d.nDepthStencil + d.nTextures + d.nCubeTextures + d.nVolumeTextures +
                      d.nDepthTargets + d.nShaders + d.nColourTargets + d.nVertexBuffers + d.nIndexBuffers;
    const TMemoryLine lines_[] = {
        {500.0f, &DEBUG_WHITE, "systemframebuffer memory  %.2fMB", d.nBackBuffer},
        {515.0f, &DEBUG_WHITE, "systembackbuffer memory  %.2fMB", d.nDepthStencil},
        {530.0f, &DEBUG_BLUE, "shader memory  %.2fMB", d.nShaders},
        {545.0f, &DEBUG_BLUE, "texture memory  %.2fMB", d.nTextures},
        {560.0f, &DEBUG_BLUE, "cubetexture memory  %.2fMB", d.nCubeTextures},
        {575.0f, &DEBUG_BLUE, "volumetexture memory  %.2fMB", d.nVolumeTextures},
        {590.0f, &DEBUG_WHITE, "backbuffer memory  %.2fMB", d.nDepthTargets},
        {605.0f, &DEBUG_WHITE, "rendertarget memory  %.2fMB", d.nColourTargets},
        {620.0f, &DEBUG_BLUE, "vertexbuffer memory  %.2fMB", d.nVertexBuffers},
        {635.0f, &DEBUG_BLUE, "indexbuffer memory  %.2fMB", d.nIndexBuffers},
        {650.0f, &DEBUG_BLUE, "video memory (shared) %.2fMB", shared},
        {665.0f, &DEBUG_WHITE, "total video memory  %.2fMB", video},
    };
    for (const TMemoryLine& line : lines_)
        CanvasWritefColored(10.0f, line.y, *line.color, line.format, static_cast<f32>(line.bytes) * MEGABYTE);
    CanvasWritefColored(10.0f, 695.0f, DEBUG_WHITE, "main memory  %.2fMB (alloc %d, delete %d)",
                        static_cast<f32>(g_MemoryBytes.load()) * MEGABYTE, g_MemoryAllocations.load(),
                        g_MemoryReleases.load());
}

void TDebugManager::DrawRenderInfo()
{
    const u32* c = g_RenderStatsFrame.aCounter;
    CanvasWritefColored(50.0f, 10.0f, DEBUG_WHITE, "RTT %d Batches %d v %.1f f %.1f tx %d",
                        c[RENDER_STATS_TARGET_CHANGES], c[RENDER_STATS_DRAW_CALLS],
                        static_cast<f32>(c[RENDER_STATS_VERTICES]) * 0.001f,
                        static_cast<f32>(c[RENDER_STATS_PRIMITIVES]) * 0.001f, c[RENDER_STATS_TEXTURE_CHANGES]);
    CanvasWritefColored(50.0f, 30.0f, DEBUG_WHITE, "dyn batches %d v %.1f f %.1f", c[RENDER_STATS_DYNAMIC_DRAW_CALLS],
                        static_cast<f32>(c[RENDER_STATS_DYNAMIC_VERTICES]) * 0.001f,
                        static_cast<f32>(c[RENDER_STATS_DYNAMIC_PRIMITIVES]) * 0.001f);
    CanvasWritefColored(50.0f, 50.0f, DEBUG_WHITE, "vs %d/%d ps %d/%d", c[7], c[8], c[9], c[10]);
    const f32 update = g_ManagerManager.GetUpdateTime();
    const f32 thread = g_ManagerManager.GetThreadUpdateTime();
    CanvasWritefColored(500.0f, 10.0f, DEBUG_WHITE, "update time %.1fms + thread time %.1fms = %.1fms", update, thread,
                        update + thread);
    const i32 workers = g_ManagerManager.GetWorkerCount();
    if (workers > 1)
        for (i32 i = 0; i < workers; ++i)
            CanvasWritefColored(520.0f, 25.0f + 15.0f * static_cast<f32>(i), DEBUG_WHITE, "cpu%d  %.1fms", i,
                                g_ManagerManager.GetUpdateThread(static_cast<u32>(i)).m_fTime);
}

void TDebugManager::DrawLocation()
{
    TCamera* camera = g_pCameraManager ? g_pCameraManager->GetMainCamera() : nullptr;
    if (!camera || !camera->pNode)
        return;
    const TVector& pointer = TInputManager::Instance().GetPointerPosition();
    const f32 width = static_cast<f32>(g_pDeviceManager->GetVideoWidth());
    const f32 height = static_cast<f32>(g_pDeviceManager->GetVideoHeight());
    TCollisionHit hit = {};
    if (g_pCollisionManager && width > 0.0f && height > 0.0f &&
        g_pCollisionManager->RayCast(camera->ScreenPointToRay(pointer.x / width, pointer.y / height, LOCATION_RAY_LENGTH),
                                     hit, 0))
    {
        const TVector& at = hit.Point;
        const f32 cx = std::floor(at.x / LOCATION_CELL) * LOCATION_CELL;
        const f32 cz = std::floor(at.z / LOCATION_CELL) * LOCATION_CELL;
        TMatrix place(1.0f);
        place.aRow[3] = TVector(cx, at.y, cz, 1.0f);
        TBoundBox cell = {};
        cell.minimum = TVector(0.0f, -LOCATION_HALF_HEIGHT, 0.0f, 1.0f);
        cell.maximum = TVector(LOCATION_CELL, LOCATION_HALF_HEIGHT, LOCATION_CELL, 1.0f);
        cell.Update();
        g_pDxCanvasManager->DrawBox(place, cell, DEBUG_BLUE);
        CanvasWritefWorldFlags(at, DEBUG_BLUE, 1, "X %0.2f Z %0.2f (Y %0.2f)", at.x, at.z, at.y);
        const TVector raised(at.x, at.y + LOCATION_HALF_HEIGHT, at.z, 1.0f);
        CanvasWritefWorldFlags(raised, DEBUG_BLUE, 1, "X %d Z %d (Y %d)", static_cast<i32>(cx / LOCATION_CELL),
                               static_cast<i32>(cz / LOCATION_CELL),
                               static_cast<i32>((at.y + LOCATION_HALF_HEIGHT) / LOCATION_CELL));
    }
    const TVector& position = camera->pNode->GetWorldMatrix()->aRow[3];
    CanvasWritefColored(200.0f, 180.0f, DEBUG_WHITE, "LOCATION INFO");
    CanvasWritefColored(200.0f, 200.0f, DEBUG_WHITE, "CAMERA LOCATION X %0.2f Z %0.2f (Y %0.2f)", position.x, position.z,
                        position.y);
}

void TDebugManager::DrawFrameRate()
{
    g_pDxCanvasManager->SetFont(s_NameFpsFont, FPS_FONT_SIZE);
    char text[FPS_TEXT_SIZE];
    std::snprintf(text, sizeof text, "fps %.1f", PerSecond(g_pTimer->GetRealTimeStep()));
    const f32 width = static_cast<f32>(g_pDeviceManager->GetBackBufferWidth());
    const f32 top = std::ceil(static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()) * FPS_TOP_SHARE);
    CanvasWritefColored(width - 91.0f, top + 1.0f, DEBUG_BLACK, "%s", text);
    CanvasWritefColored(width - 88.0f, top + 1.0f, DEBUG_BLACK, "%s", text);
    CanvasWritefColored(width - 90.0f, top + 2.0f, DEBUG_WHITE, "%s", text);
    g_pDxCanvasManager->SetDefaultFont();
}
