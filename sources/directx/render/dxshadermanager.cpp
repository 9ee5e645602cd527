#include "directx/render/dxshadermanager.h"

#include "core/cluster/cluster.h"
#include "core/cluster/clusterdynmanager.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxloadedarray.h"
#include "directx/render/dxrendertypes.h"
#include "engine/render/device.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "platform/d3dx9/d3dx9.h"

#include <cstring>
#include <new>

TDxShaderManager* g_pDxShaderManager = nullptr;

namespace
{
TDxShaderManager s_ShaderManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Shader", "Dx", &g_pDxShaderManager, &s_ShaderManager);

const char* const kGlobalPrefix = "TDxShaderManager::_PrepareGlobalParameters(): error: ";
const char* const kSetDataPrefix = "TDxShaderManager::SetData(): error: ";

// The position of a name in a set sorted by signed id, or where it would go (as -1 - index).
template <class Entries> i32 FindSorted(const Entries& entries, u32 count, const TName& name)
{
    for (u32 i = 0; i < count; ++i)
    {
        if (entries[i].Name == name)
            return static_cast<i32>(i);
        if (name < entries[i].Name)
            return -1 - static_cast<i32>(i);
    }
    return -1 - static_cast<i32>(count);
}
} // namespace

TDxShaderManager::TDxShaderManager()
    : m_pPool(nullptr), m_pGlobalEffect(nullptr), m_pProgramData(nullptr), m_pGlobalData(nullptr), m_nGlobalSize(0),
      m_nPrograms(0), m_nBindings(0), m_nHandles(0), m_nEffectPointers(0)
{
    g_pShaderManager = this;
    if (!g_pCluster)
        return;
    RegisterArray(&ShaderDecl(), &m_aLoaded);
    m_pProgramData = g_pCluster->RegisterDynManager(&ShaderProgramDataDecl());
    RegisterId(DX_SHADER_MANAGER_ID);
}

void TDxShaderManager::BeginManager()
{
    g_pDeviceManager->AddMethod(this);
    g_pResourceManager->AddMethod(this);
    g_pCluster->AddListener(this);
    TPlugin* plugins[DX_SHADER_PLUGIN_CAPACITY + 1];
    const i32 count = g_pPluginManager->CreatePlugins(g_NameShaderParameterPlugin, nullptr, 0);
    if (count > static_cast<i32>(DX_SHADER_PLUGIN_CAPACITY))
        __Abort("TDxShaderManager::BeginManager", "dxshader.cpp", __LINE__, "count too big");
    g_pPluginManager->CreatePlugins(g_NameShaderParameterPlugin, plugins, count);
    for (i32 i = 0; i < count; ++i)
    {
        TPluginData* factory = plugins[i]->pPluginData;
        _EnterPlugin(factory ? *factory->GetName() : TName(), static_cast<TShaderParameterPlugin*>(plugins[i]));
    }
}

void TDxShaderManager::EndManager()
{
    g_pDeviceManager->RemoveMethod(this);
    m_aPlugin.SetCount(0);
    _ReleaseGlobalEffect();
}

void TDxShaderManager::ResetShaders()
{
    g_pDeviceManager->Lock();
    for (i32 i = 0; i < m_aShader.GetCount(); ++i)
    {
        m_aShader[i]->Unload();
        m_aShader[i]->m_aLookup.SetCount(0);
    }
    g_pDeviceManager->Unlock();
}

void TDxShaderManager::Clear()
{
    for (i32 i = 0; i < m_aShader.GetCount(); ++i)
        m_aShader[i]->Unload();
    m_aShader.DeleteAll();
}

i32 TDxShaderManager::GetArray(u32 typeId, void*& data, i32& count)
{
    if (typeId == SHADER_TYPE_ID)
        ShowArray(m_aShader, data, count);
    return 0;
}

i32 TDxShaderManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId != SHADER_TYPE_ID)
        return 1;
    UnloadOwned(m_aShader);
    TakeLoadedArray(m_aShader, m_aForeign, m_aLoaded, count);
    return 0;
}

void TDxShaderManager::GetSavedManagers(TClusterManager** managers)
{
    managers[0] = this;
    managers[1] = m_pProgramData;
}

void TDxShaderManager::PackProgramData()
{
    DArray<TDxShaderProgramData> all;
    for (i32 i = 0; i < m_aShader.GetCount(); ++i)
    {
        const DArray<TDxShaderProgramData>& records = m_aShader[i]->m_aProgramData;
        for (i32 r = 0; r < records.GetCount(); ++r)
            all.Add(records[r]);
    }
    m_pProgramData->SetArray(SHADER_PROGRAM_DATA_TYPE_ID, all.GetData(), all.GetCount());
    void* block = nullptr;
    i32 count = 0;
    m_pProgramData->GetArray(SHADER_PROGRAM_DATA_TYPE_ID, block, count);
    auto* at = static_cast<TDxShaderProgramData*>(block);
    for (i32 i = 0; i < m_aShader.GetCount(); ++i)
    {
        DArray<TDxShaderProgramData>& records = m_aShader[i]->m_aProgramData;
        const i32 n = records.GetCount();
        if (n)
            records.Attach(at, n);
        else
            records.Free();
        at += n;
    }
}

TDxShader* TDxShaderManager::CreateShader(const TName& name)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort("TDxShaderManager::CreateShader", "dxshader.cpp", __LINE__, "manager system 'initialize' is locked");
    if (TDxShader* shader = FindShader(name))
        return shader;
    TDxShader* shader = m_aShader.Add();
    shader->m_Name = name;
    return shader;
}

TDxShader* TDxShaderManager::FindShader(const TName& name)
{
    for (i32 i = 0; i < m_aShader.GetCount(); ++i)
        if (m_aShader[i]->m_Name == name)
            return m_aShader[i];
    return nullptr;
}

TDxShaderParameter* TDxShaderManager::FindGlobalParameter(const TName& name)
{
    const i32 index = FindSorted(m_aGlobal, m_aGlobal.GetCount(), name);
    return index >= 0 ? &m_aGlobal[static_cast<u32>(index)].Parameter : nullptr;
}

TDxShaderParameter* TDxShaderManager::_EnterGlobalParameter(const TName& name)
{
    i32 index = FindSorted(m_aGlobal, m_aGlobal.GetCount(), name);
    if (index >= 0)
        return &m_aGlobal[static_cast<u32>(index)].Parameter;
    if (m_aGlobal.GetCount() == DX_GLOBAL_PARAMETER_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kGlobalPrefix, "'%s': global parameter table full", name.GetText());
        return nullptr;
    }
    const u32 at = static_cast<u32>(-1 - index);
    m_aGlobal.SetCount(m_aGlobal.GetCount() + 1);
    for (u32 i = m_aGlobal.GetCount() - 1; i > at; --i)
        m_aGlobal[i] = m_aGlobal[i - 1];
    m_aGlobal[at].Name = name;
    m_aGlobal[at].Parameter = TDxShaderParameter();
    m_aGlobal[at].Parameter.m_Name = name;
    if (m_pGlobalEffect)
        m_aGlobal[at].Parameter.Bind(m_pGlobalEffect, m_pGlobalEffect->GetParameterByName(nullptr, name.GetText()));
    return &m_aGlobal[at].Parameter;
}

TDxPluginEntry* TDxShaderManager::FindPlugin(const TName& name)
{
    const i32 index = FindSorted(m_aPlugin, m_aPlugin.GetCount(), name);
    return index >= 0 ? &m_aPlugin[static_cast<u32>(index)] : nullptr;
}

TDxPluginEntry* TDxShaderManager::_EnterPlugin(const TName& name, TShaderParameterPlugin* plugin)
{
    const i32 index = FindSorted(m_aPlugin, m_aPlugin.GetCount(), name);
    if (index >= 0)
        return &m_aPlugin[static_cast<u32>(index)];
    if (m_aPlugin.GetCount() == DX_SHADER_PLUGIN_CAPACITY)
        __Abort("TDxShaderManager::_EnterPlugin", "dxshader.cpp", __LINE__, "count too big");
    const u32 at = static_cast<u32>(-1 - index);
    m_aPlugin.SetCount(m_aPlugin.GetCount() + 1);
    for (u32 i = m_aPlugin.GetCount() - 1; i > at; --i)
        m_aPlugin[i] = m_aPlugin[i - 1];
    m_aPlugin[at] = {name, plugin, nullptr};
    return &m_aPlugin[at];
}

void TDxShaderManager::ApplyGlobalParameters()
{
    static const TMeshDescription* s_pNoMesh = nullptr;
    for (u32 i = 0; i < m_aPlugin.GetCount(); ++i)
        if (m_aPlugin[i].pGlobal && m_aPlugin[i].pPlugin)
            m_aPlugin[i].pPlugin->Apply(nullptr, nullptr, m_aPlugin[i].pGlobal, nullptr, s_pNoMesh);
}

void TDxShaderManager::_ReleaseGlobalEffect()
{
    if (m_pPool)
        m_pPool->Release();
    m_pPool = nullptr;
    if (m_pGlobalEffect)
        m_pGlobalEffect->Release();
    m_pGlobalEffect = nullptr;
    // Until an effect binds them again the parameters hold nothing to set values on.
    for (u32 i = 0; i < m_aGlobal.GetCount(); ++i)
        m_aGlobal[i].Parameter.Bind(nullptr, nullptr);
}

void TDxShaderManager::_PrepareGlobalParameters(const void* data, u32 size)
{
    m_pGlobalData = data;
    m_nGlobalSize = size;
    _ReleaseGlobalEffect();
    D3DXCreateEffectPool(&m_pPool);
    ID3DXBuffer* errors = nullptr;
    const HRESULT result = D3DXCreateEffectEx(g_pDeviceManager->GetDevice(), data, size, nullptr, nullptr, nullptr,
                                              D3DXFX_NOT_CLONEABLE, m_pPool, &m_pGlobalEffect, &errors);
    if (FAILED(result))
    {
        const char* call = "D3DXCreateEffectEx( iDevice, data, size, 0, 0, 0, D3DXFX_NOT_CLONEABLE, pGlobalEffectPool, "
                           "&pGlobalEffect, &pError ) error: 0x%08x";
        if (errors)
            TLog::Print(g_pSystemLog, LOG_ERROR, kGlobalPrefix, (std::string(call) + " info: %s").c_str(), result,
                        static_cast<const char*>(errors->GetBufferPointer()));
        else
            TLog::Print(g_pSystemLog, LOG_ERROR, kGlobalPrefix, (std::string(call) + " (no info)").c_str(), result);
        m_pGlobalEffect = nullptr;
    }
    if (errors)
        errors->Release();
    if (!m_pGlobalEffect)
        return;
    m_pGlobalEffect->SetStateManager(g_pDxEffectStateFilter);
    for (u32 i = 0; i < m_aGlobal.GetCount(); ++i)
    {
        TDxShaderParameter& parameter = m_aGlobal[i].Parameter;
        parameter.Bind(m_pGlobalEffect, m_pGlobalEffect->GetParameterByName(nullptr, m_aGlobal[i].Name.GetText()));
        if (!(parameter.m_nFlags & SHADER_PARAMETER_PLUGIN))
            continue;
        TDxPluginEntry* plugin = FindPlugin(m_aGlobal[i].Name);
        if (plugin && plugin->pPlugin)
            plugin->pGlobal = &parameter;
        else
            TLog::Print(g_pSystemLog, LOG_ERROR, kGlobalPrefix, "unable to find shader parameter plugin '%s'",
                        m_aGlobal[i].Name.GetText());
    }
}

void TDxShaderManager::OnDeviceReset()
{
    if (m_pGlobalEffect)
        m_pGlobalEffect->OnResetDevice();
}

void TDxShaderManager::OnDeviceCreate()
{
    if (m_pGlobalData)
        _PrepareGlobalParameters(m_pGlobalData, m_nGlobalSize);
}

void TDxShaderManager::OnDeviceDestroy()
{
    _ReleaseGlobalEffect();
    OnClusterLoad();
}

i32 TDxShaderManager::GetData(i32, void*&, i32&)
{
    return 1;
}

i32 TDxShaderManager::SetData(i32 index, const void* data, i32 size)
{
    if (index == DX_SHADER_BLOCK_GLOBAL_EFFECT)
    {
        // Kept for the next device: the image it came in may be gone by then.
        m_aGlobalData.SetCount(size > 0 ? size : 0);
        if (size > 0)
            std::memcpy(m_aGlobalData.GetData(), data, static_cast<u32>(size));
        m_pGlobalData = size > 0 ? m_aGlobalData.GetData() : nullptr;
        m_nGlobalSize = size > 0 ? static_cast<u32>(size) : 0;
        if (m_nGlobalSize)
            _PrepareGlobalParameters(m_pGlobalData, m_nGlobalSize);
        return 0;
    }
    if (index != DX_SHADER_BLOCK_GLOBAL_TABLE)
        return 1;
    // Images this manager's own save wrote carry no table: the table keeps what it holds.
    if (size == 0)
        return 0;
    // A table image of another size or count is not ours: the table keeps what it holds.
    u32 count = 0;
    if (size == static_cast<i32>(sizeof(m_aGlobal)))
        std::memcpy(&count, data, sizeof(count));
    if (size != static_cast<i32>(sizeof(m_aGlobal)) || count > DX_GLOBAL_PARAMETER_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kSetDataPrefix, "global parameter table of %d bytes refused", size);
        return 1;
    }
    std::memcpy(static_cast<void*>(&m_aGlobal), data, sizeof(m_aGlobal));
    // The image carries the writer's virtual-table words and effect handles.
    static const TDxShaderParameter s_Prototype;
    for (u32 i = 0; i < m_aGlobal.GetCount(); ++i)
    {
        TDxShaderParameter& parameter = m_aGlobal[i].Parameter;
        std::memcpy(static_cast<void*>(&parameter), static_cast<const void*>(&s_Prototype), sizeof(void*));
        parameter.Bind(nullptr, nullptr);
        parameter.m_pHandles = nullptr;
    }
    return 0;
}

void TDxShaderManager::OnClusterLoad()
{
    m_nHandles = 0;
    m_nEffectPointers = 0;
}

bool TDxShaderManager::TakePrograms(u32 count)
{
    if (count > DX_PROGRAM_POOL - m_nPrograms)
        return false;
    m_nPrograms += count;
    return true;
}

void TDxShaderManager::GivePrograms(u32 count)
{
    m_nPrograms -= count;
}

bool TDxShaderManager::TakeBinding()
{
    if (m_nBindings == DX_BINDING_POOL)
        return false;
    ++m_nBindings;
    return true;
}

void TDxShaderManager::GiveBindings(u32 count)
{
    m_nBindings -= count;
}

bool TDxShaderManager::TakeHandles(u32 count)
{
    if (count > DX_EFFECT_HANDLE_POOL - m_nHandles)
        return false;
    m_nHandles += count;
    return true;
}

bool TDxShaderManager::TakeEffectPointers(u32 count)
{
    if (count > DX_EFFECT_POINTER_POOL - m_nEffectPointers)
        return false;
    m_nEffectPointers += count;
    return true;
}
