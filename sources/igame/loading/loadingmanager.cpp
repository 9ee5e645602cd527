#include "igame/loading/loadingmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/render/device.h"
#include "engine/render/shader.h"
#include "engine/render/shadermanager.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/loading/loadingprogress.h"
#include "igame/loading/uiintro.h"

TLoadingManager* g_pLoadingManager = nullptr;

namespace
{
const char* const kPrefix = "TLoadingManager::OnClusterLoad(): ";

[[maybe_unused]] TCriticalSection& s_IntroSectionAtStart = IntroCriticalSection();
TLoadingManager s_LoadingManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Loading", "Loading", &g_pLoadingManager, &s_LoadingManager);

// The textures of the texture manager marked for preloading.
template <class Visit> void ForEachPreloadTexture(Visit visit)
{
    if (!g_pTextureManager)
        return;
    for (i32 i = 0; i < g_pTextureManager->GetTextureCount(); ++i)
    {
        TTexture* texture = g_pTextureManager->GetTexture(i);
        if (texture && (texture->m_nFlags & TEXTURE_PRELOAD))
            visit(texture);
    }
}

i32 ShaderCount()
{
    return g_pShaderManager ? g_pShaderManager->GetShaderCount() : 0;
}
} // namespace

TCriticalSection& IntroCriticalSection()
{
    static TCriticalSection s_Section;
    return s_Section;
}

TLoadingManager::TLoadingManager() : m_nState(LOADING_STATE_INITIAL)
{
    if (g_pCluster)
        RegisterArray(&UIIntroDecl(), &m_aIntro);
}

TLoadingManager::~TLoadingManager()
{
    // A view of the cluster's records, never their owner.
    m_aIntro.Free();
}

i32 TLoadingManager::GetArray(u32 typeId, void*&, i32&)
{
    return typeId == UI_INTRO_TYPE_ID ? 0 : 1;
}

i32 TLoadingManager::SetArray(u32 typeId, void*, i32)
{
    return typeId == UI_INTRO_TYPE_ID ? 0 : 1;
}

void TLoadingManager::BeginManager()
{
    if (g_pCluster)
        g_pCluster->AddListener(static_cast<TClusterMethods*>(this));
    if (g_pResourceManager)
        g_pResourceManager->AddMethod(static_cast<TResourceMethods*>(this));
}

void TLoadingManager::OnRepositoryLoad(const char*)
{
    if (g_pDeviceManager && g_pDeviceManager->IsRunning())
        g_LoadingProgress.Start();
}

void TLoadingManager::OnClusterLoad()
{
    i32 textures = 0;
    ForEachPreloadTexture([&](TTexture*) { ++textures; });
    const i32 total = ShaderCount() + textures;
    TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "uploading %d video resources...", total);

    // The display enters its last phase; what is required now loads at once.
    g_pResourceManager->m_nFilesDone = g_pResourceManager->m_nFilesExpected - 1;
    g_pResourceManager->m_nUpload = 0;
    i32 done = 0;
    const auto advance = [&] { g_pResourceManager->m_fProgress = static_cast<f32>(++done) / total; };
    TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "preloading shaders");
    for (i32 i = 0; i < ShaderCount(); ++i)
    {
        g_pShaderManager->GetShader(i)->Require();
        advance();
    }
    TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "preloading textures");
    ForEachPreloadTexture([&](TTexture* texture) {
        texture->Require();
        advance();
    });
    TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "uploading video resources done");
    g_pResourceManager->m_nUpload = 1;

    IntroCriticalSection().Enter();
    g_LoadingProgress.Stop();
    m_nState = LOADING_STATE_DONE;
    IntroCriticalSection().Leave();
}

u32 TLoadingManager::GetState()
{
    IntroCriticalSection().Enter();
    const u32 state = m_nState;
    IntroCriticalSection().Leave();
    return state;
}

void TLoadingManager::SetState(u32 state)
{
    IntroCriticalSection().Enter();
    m_nState = state;
    IntroCriticalSection().Leave();
}

void TLoadingManager::StartDisplayIn(u32 state)
{
    IntroCriticalSection().Enter();
    if (m_nState == state)
        g_LoadingProgress.Start();
    IntroCriticalSection().Leave();
}
