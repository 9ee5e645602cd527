#pragma once
// TDxShaderManager ("Shader", back end "Dx"): owns every shader, the global effect pool and
// the global effect whose parameters all effects share, the named global parameters, and the
// shader-parameter plug-ins collected at BeginManager.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "core/system/templates/sarray.h"
#include "directx/render/dxshader.h"
#include "engine/render/devicemethods.h"
#include "engine/render/shadermanager.h"
#include "engine/system/resourcemethods.h"

struct ID3DXEffectPool;
class TClusterDynManager;

constexpr u32 DX_SHADER_PLUGIN_CAPACITY = 64;
constexpr u32 DX_GLOBAL_PARAMETER_CAPACITY = 32;
constexpr u32 DX_PROGRAM_POOL = 12000;
constexpr u32 DX_BINDING_POOL = 64000;
constexpr u32 DX_EFFECT_HANDLE_POOL = 140000;
constexpr u32 DX_EFFECT_POINTER_POOL = 12000;
constexpr i32 DX_SHADER_GROWTH = 1024;
// Cluster data blocks: the global parameter table's image and the global effect's description.
constexpr i32 DX_SHADER_BLOCK_GLOBAL_TABLE = 0;
constexpr i32 DX_SHADER_BLOCK_GLOBAL_EFFECT = 1;
constexpr i32 DX_SHADER_BLOCK_COUNT = 2;
// The id the manager's data blocks travel under in cluster images.
constexpr i32 DX_SHADER_MANAGER_ID = 35;

struct TDxPluginEntry
{
    TName Name;
    TShaderParameterPlugin* pPlugin;
    // The global parameter bound to it, null when none.
    TDxShaderParameter* pGlobal;
};

struct TDxGlobalParameter
{
    TName Name;
    TDxShaderParameter Parameter;
};

class TDxShaderManager : public TShaderManager,
                         public TDeviceMethods,
                         public TResourceMethods,
                         public TClusterMethods
{
public:
    TDxShaderManager();

    // TManager.
    void BeginManager() override;
    void EndManager() override;
    // Unloads every shader and empties its program lookup.
    void ResetShaders();
    // Unloads and deletes every shader.
    void Clear();

    i32 GetShaderCount() override { return m_aShader.GetCount(); }
    TDxShader* GetShader(i32 index) override { return m_aShader[index]; }
    TDxShader* CreateShader(const TName& name);
    TDxShader* FindShader(const TName& name);
    u32 GetGlobalParameterCount() const { return m_aGlobal.GetCount(); }
    TDxShaderParameter* FindGlobalParameter(const TName& name);
    // Finds or enters the global parameter of that name.
    TDxShaderParameter* _EnterGlobalParameter(const TName& name);
    // Every bound global parameter's plug-in fills it, in plug-in order.
    void ApplyGlobalParameters();
    // Makes the pool and the global effect from an effect description.
    void _PrepareGlobalParameters(const void* data, u32 size);

    // The plug-in of that name; found: 1 (plug-in may be null when entered without one).
    TDxPluginEntry* FindPlugin(const TName& name);
    // Enters a plug-in under a name (the shader code enters unknown names without plug-in).
    TDxPluginEntry* _EnterPlugin(const TName& name, TShaderParameterPlugin* plugin);

    // TDeviceMethods.
    void OnDeviceReset() override;
    void OnDeviceCreate() override;
    void OnDeviceDestroy() override;

    // Pool accounting: each take is refused (false) past its pool's size.
    bool TakePrograms(u32 count);
    void GivePrograms(u32 count);
    bool TakeBinding();
    void GiveBindings(u32 count);
    bool TakeHandles(u32 count);
    bool TakeEffectPointers(u32 count);
    // TClusterManager: the cluster sees every shader; a load hands its own over (the shaders
    // held before are unloaded and deleted).
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    // The managers whose arrays hold the shaders and their program records, for a save.
    static constexpr i32 SAVED_MANAGER_COUNT = 2;
    void GetSavedManagers(TClusterManager** managers);
    // Moves every shader's program records into the cluster's array of them, where a save
    // expects the records its shaders point at.
    void PackProgramData();
    // The blocks are only loaded, never saved. Block 0 is the raw image of
    // the global parameter table, block 1 the global effect's description (a copy is kept).
    i32 GetDataCount() override { return DX_SHADER_BLOCK_COUNT; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

    // TClusterMethods: effect handles and pointers come back only when a cluster loads.
    void OnClusterLoad() override;

    ID3DXEffectPool* m_pPool;
    ID3DXEffect* m_pGlobalEffect;

private:
    void _ReleaseGlobalEffect();

    MArray<TDxShader, 1, DX_SHADER_GROWTH> m_aShader;
    // The pointer table of the loaded shaders, which the cluster fills.
    DArray<TDxShader*> m_aLoaded;
    DArray<TDxShader*> m_aForeign;
    TClusterDynManager* m_pProgramData;
    SArray<TDxPluginEntry, DX_SHADER_PLUGIN_CAPACITY, 0> m_aPlugin;
    SArray<TDxGlobalParameter, DX_GLOBAL_PARAMETER_CAPACITY, 1> m_aGlobal;
    const void* m_pGlobalData;
    u32 m_nGlobalSize;
    // The copy of the global effect's description a cluster load gave.
    DArray<u8> m_aGlobalData;
    u32 m_nPrograms;
    u32 m_nBindings;
    u32 m_nHandles;
    u32 m_nEffectPointers;
};

extern TDxShaderManager* g_pDxShaderManager;
