#include "player/gamesavedgame.h"

#include "core/system/memory.h"
#include "player/gamesummarysource.h"

namespace
{
TGameSummarySource* s_pSummarySource = nullptr;
} // namespace

void SetGameSummarySource(TGameSummarySource* source)
{
    s_pSummarySource = source;
}

TGameSummarySource* GetGameSummarySource()
{
    return s_pSummarySource;
}

u32 TGameSavedGame::ComputeCompletion(TGameSummarySource& source)
{
    u32 sum = 0;
    for (u32 gate = 1; gate <= GAME_GATE_COUNT; ++gate)
        for (u32 kind = 0; kind < GAME_SERVICE_KIND_COUNT; ++kind)
            sum += source.GetAILevel(gate, kind);
    return sum * 100 / (GAME_GATE_COUNT * GAME_SERVICE_KIND_COUNT * GAME_MAX_AI_LEVEL);
}

u32 TGameSavedGame::OnLoad(u32 patchLevel, TStream& stream)
{
    if (patchLevel != GAME_PLAYER_PATCH_LEVEL)
        return PLAYER_REFUSED;
    return ReadPlayerField(stream, m_nMoney) && ReadPlayerField(stream, m_nCompletion) ? PLAYER_DONE
                                                                                       : PLAYER_REFUSED;
}

u32 TGameSavedGame::OnSave(TStream& stream)
{
    m_nMoney = s_pSummarySource ? s_pSummarySource->GetMoney() : 0;
    m_nCompletion = s_pSummarySource ? ComputeCompletion(*s_pSummarySource) : 0;
    return WritePlayerField(stream, m_nMoney) && WritePlayerField(stream, m_nCompletion) ? PLAYER_DONE
                                                                                         : PLAYER_REFUSED;
}

TPlayerSavedGame* CreateGameSavedGame()
{
    return MemoryNew<TGameSavedGame>();
}
