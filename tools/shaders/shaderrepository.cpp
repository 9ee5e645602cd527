#include "shaderrepository.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxshadermanager.h"
#include "platform/d3dx9/effectcompiler.h"
#include "repositorywriter.h"
#include "shaderlist.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>
#include <zlib.h>

namespace
{
typedef SArray<TDxGlobalParameter, DX_GLOBAL_PARAMETER_CAPACITY, 1> TGlobalTable;

// The shader manager's blocks as the tool writes them. The manager itself only loads them: while
// the repository is saved, this stands in for it under its id.
class TShaderBlocks : public TClusterManager
{
public:
    TShaderBlocks(const TGlobalTable& table, const std::string& global) : m_Table(sizeof table, 0), m_Global(global)
    {
        // The table's image: its count and entries, the rest zero. Each entry's virtual-table
        // word is this run's address, which the load puts back: written as 0, the file's bytes are
        // the same on every run.
        const u8* const source = reinterpret_cast<const u8*>(&table);
        const u32 count = table.GetCount();
        std::memcpy(m_Table.data(), source, sizeof count);
        for (u32 i = 0; i < count; ++i)
        {
            const u8* entry = reinterpret_cast<const u8*>(&table[i]);
            const u8* virtualTable = reinterpret_cast<const u8*>(&table[i].Parameter);
            std::memcpy(m_Table.data() + (entry - source), entry, sizeof table[i]);
            std::memset(m_Table.data() + (virtualTable - source), 0, sizeof(void*));
        }
        g_pCluster->ForgetManager(g_pDxShaderManager);
        RegisterId(DX_SHADER_MANAGER_ID);
    }
    ~TShaderBlocks() override
    {
        g_pCluster->ForgetManager(this);
        g_pDxShaderManager->RegisterId(DX_SHADER_MANAGER_ID);
    }
    i32 GetDataCount() override { return DX_SHADER_BLOCK_COUNT; }
    i32 GetData(i32 index, void*& data, i32& size) override
    {
        if (index == DX_SHADER_BLOCK_GLOBAL_TABLE)
        {
            data = m_Table.data();
            size = static_cast<i32>(m_Table.size());
        }
        else
        {
            data = const_cast<char*>(m_Global.data());
            size = static_cast<i32>(m_Global.size());
        }
        return 0;
    }

private:
    std::vector<u8> m_Table;
    const std::string& m_Global;
};

bool ReadFile(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (!file)
    {
        error = path + ": cannot be read";
        return false;
    }
    text = bytes.str();
    return true;
}

// Reads and compiles a description; the compiled form tells which slot textures it samples.
bool ReadEffect(const std::string& path, std::string& text, TEffectDescription& description, std::string& error)
{
    if (!ReadFile(path, text, error))
        return false;
    std::string reason;
    if (!TEffectCompiler::Compile(text.data(), text.size(), description, reason))
    {
        error = path + ": " + reason;
        return false;
    }
    return true;
}

// The description with each of its passes drawn in wire-frame fill.
std::string WireframeEffect(const std::string& text)
{
    std::istringstream lines(text);
    std::string line, wireframe;
    while (std::getline(lines, line))
    {
        wireframe += line + "\n";
        std::istringstream words(line);
        std::string first;
        if (words >> first && first == "pass")
            wireframe += "renderstate FillMode = Wireframe\n";
    }
    return wireframe;
}

// Bit N for each slot whose shared texture parameter ("Color0" .. "User15") the effect has.
u32 GlobalTextureMask(const TEffectDescription& description)
{
    u32 mask = 0;
    for (const TEffectParameter& parameter : description.parameters)
        for (u32 slot = 0; slot < SHADER_TEXTURE_SLOTS; ++slot)
            if (parameter.shared && parameter.type == EEffectValueType::Texture &&
                parameter.name == TextureSlotName(slot))
                mask |= 1u << slot;
    return mask;
}

bool BuildGlobalTable(const TShaderList& list, TGlobalTable& table, std::string& error)
{
    if (list.parameters.size() > DX_GLOBAL_PARAMETER_CAPACITY)
    {
        error = "more than " + std::to_string(DX_GLOBAL_PARAMETER_CAPACITY) + " global parameters";
        return false;
    }
    table.SetCount(0);
    for (const TShaderListParameter& parameter : list.parameters)
    {
        TDxGlobalParameter entry = {TName(parameter.name.c_str(), true), TDxShaderParameter()};
        entry.Parameter.m_Name = entry.Name;
        entry.Parameter.m_nFlags = parameter.plugin ? SHADER_PARAMETER_PLUGIN : 0;
        table.Add(entry);
    }
    std::sort(&table[0], &table[0] + table.GetCount(),
              [](const TDxGlobalParameter& a, const TDxGlobalParameter& b) { return a.Name < b.Name; });
    return true;
}

// The shader with its program records and its data block, which the writer stores compressed.
bool BuildShader(const std::string& folder, const TShaderListShader& source, TRepositoryWriter& writer,
                 std::string& error)
{
    TDxShader* shader = g_pDxShaderManager->CreateShader(TName(source.name.c_str(), true));
    shader->m_aProgramData.SetCount(static_cast<i32>(source.programs.size()));
    std::string block;
    for (std::size_t i = 0; i < source.programs.size(); ++i)
    {
        const TShaderListProgram& program = source.programs[i];
        TDxShaderProgramData& record = shader->m_aProgramData[static_cast<i32>(i)];
        std::memset(&record, 0, sizeof record);
        record.Key = {TName(program.layout.c_str(), true).GetId(),
                      program.defines.empty() ? TName().GetId() : TName(program.defines.c_str(), true).GetId(),
                      program.mask};
        std::memset(record.aSampler, DX_NO_SAMPLER, sizeof record.aSampler);
        for (const std::pair<u32, u32>& sampler : program.samplers)
        {
            record.nTextureSlots |= 1u << sampler.first;
            record.aSampler[sampler.first] = static_cast<u8>(sampler.second);
        }
        if (program.file.empty() && !program.wireframe)
        {
            record.nDataOffset = program.shared;
            continue;
        }
        std::string text;
        TEffectDescription description;
        if (program.wireframe)
        {
            const TDxShaderProgramData& shared = shader->m_aProgramData[static_cast<i32>(program.shared)];
            text = WireframeEffect(block.substr(shared.nDataOffset, shared.nDataSize));
            std::string reason;
            if (!TEffectCompiler::Compile(text.data(), text.size(), description, reason))
            {
                error = source.name + ": wireframe of program " + std::to_string(program.shared) + ": " + reason;
                return false;
            }
        }
        else if (!ReadEffect(folder + "/" + program.file, text, description, error))
            return false;
        shader->m_nGlobalTextureMask |= GlobalTextureMask(description);
        record.nDataOffset = static_cast<u32>(block.size());
        record.nDataSize = static_cast<u32>(text.size());
        block += text;
    }
    uLongf packed = compressBound(static_cast<uLong>(block.size()));
    std::vector<u8> stored(packed);
    compress2(stored.data(), &packed, reinterpret_cast<const Bytef*>(block.data()), static_cast<uLong>(block.size()),
              9);
    shader->m_nDataSize = static_cast<u32>(block.size());
    shader->m_nStoredSize = static_cast<u32>(packed);
    writer.AddBlock(shader, stored.data(), static_cast<u32>(packed));
    return true;
}

bool WriteShaders(const std::string& folder, const TShaderList& list, const char* path, std::string& error)
{
    std::string global;
    TEffectDescription globalDescription;
    TGlobalTable table;
    if (!ReadEffect(folder + "/" + list.global, global, globalDescription, error) ||
        !BuildGlobalTable(list, table, error))
        return false;
    // Blocks follow each other in the image: a whole number of words keeps the next one aligned.
    global.resize((global.size() + 3) / 4 * 4, '\n');
    // Not resident: a level load clears the cluster, and the shaders come back only when their
    // image is loaded again with the level.
    TRepositoryWriter writer(SHADER_REPOSITORY_ID, 0);
    for (const TShaderListShader& shader : list.shaders)
        if (!BuildShader(folder, shader, writer, error))
            return false;
    g_pDxShaderManager->PackProgramData();
    TShaderBlocks blocks(table, global);
    TClusterManager* managers[TDxShaderManager::SAVED_MANAGER_COUNT + 1];
    g_pDxShaderManager->GetSavedManagers(managers);
    managers[TDxShaderManager::SAVED_MANAGER_COUNT] = &blocks;
    if (!writer.Write(path, managers, TDxShaderManager::SAVED_MANAGER_COUNT + 1, false))
    {
        error = std::string(path) + ": cannot be written";
        return false;
    }
    return true;
}
} // namespace

bool WriteShaderRepository(const char* folder, const char* path, std::string& error)
{
    std::string text;
    const std::string listPath = std::string(folder) + "/shaders.list";
    TShaderList list;
    if (!ReadFile(listPath, text, error))
        return false;
    if (!list.Parse(text, error))
    {
        error = listPath + ": " + error;
        return false;
    }
    g_pCluster->Clear();
    const bool written = WriteShaders(folder, list, path, error);
    g_pCluster->Clear();
    return written;
}
