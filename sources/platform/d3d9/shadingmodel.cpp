#include "platform/d3d9/shadingmodel.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace
{
constexpr DWORD kCommentToken = 0xFFFE;
constexpr DWORD kEndToken = 0x0000FFFF;
constexpr UINT kMaxNameTokens = 64;

struct TRegistry
{
    std::mutex mutex;
    std::map<std::string, TVertexModel> vertex;
    std::map<std::string, TPixelModel> pixel;
    std::set<const TPixelModel*> reported; // drawn through the general path, and said so
};

// Built on first use: models register from static initialisers of any order.
TRegistry& Registry()
{
    static TRegistry registry;
    return registry;
}
} // namespace

void RegisterVertexModel(const char* name, TVertexFunction function, int varyingCount)
{
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto [entry, added] = registry.vertex.try_emplace(name);
    entry->second = {entry->first.c_str(), function,
                     varyingCount < 0 ? 0 : (varyingCount > kMaxVaryings ? kMaxVaryings : varyingCount)};
}

void RegisterPixelModel(const char* name, TPixelFunction function)
{
    RegisterPixelModel(name, TPixelModelType{function, nullptr, {}});
}

void RegisterPixelModel(const char* name, const TPixelModelType& type)
{
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto [entry, added] = registry.pixel.try_emplace(name);
    entry->second = {entry->first.c_str(), type.function, type.loops, type.inputs};
}

const TVertexModel* FindVertexModel(const char* name)
{
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto entry = registry.vertex.find(name);
    return entry == registry.vertex.end() ? nullptr : &entry->second;
}

const TPixelModel* FindPixelModel(const char* name)
{
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto entry = registry.pixel.find(name);
    return entry == registry.pixel.end() ? nullptr : &entry->second;
}

std::vector<std::string> PixelModelNames()
{
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::vector<std::string> names;
    for (const auto& entry : registry.pixel)
        names.push_back(entry.first);
    return names;
}

bool FirstGeneralDraw(const TPixelModel& model)
{
    TRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return registry.reported.insert(&model).second;
}

UINT ShadingModelTokens(bool pixel, const char* name, DWORD* tokens, UINT capacity)
{
    const UINT nameTokens = UINT(std::strlen(name)) / 4 + 1;
    const UINT total = 3 + nameTokens;
    if (nameTokens > kMaxNameTokens || !tokens || capacity < total)
        return nameTokens > kMaxNameTokens ? 0 : total;
    tokens[0] = pixel ? D3DPS_VERSION(3, 0) : D3DVS_VERSION(3, 0);
    tokens[1] = kCommentToken | (nameTokens << 16);
    std::memset(tokens + 2, 0, nameTokens * 4);
    std::memcpy(tokens + 2, name, std::strlen(name));
    tokens[2 + nameTokens] = kEndToken;
    return total;
}

const char* ShadingModelName(const DWORD* tokens, bool pixel, UINT* length)
{
    if (!tokens || (tokens[0] >> 16) != (pixel ? 0xFFFFu : 0xFFFEu))
        return nullptr;
    if ((tokens[1] & 0xFFFF) != kCommentToken)
        return nullptr;
    const UINT nameTokens = tokens[1] >> 16;
    if (nameTokens == 0 || nameTokens > kMaxNameTokens || tokens[2 + nameTokens] != kEndToken)
        return nullptr;
    const char* name = reinterpret_cast<const char*>(tokens + 2);
    if (std::memchr(name, 0, nameTokens * 4) == nullptr)
        return nullptr;
    *length = 3 + nameTokens;
    return name;
}
