#pragma once
// TGameSummarySource: what a saved game's summary reads of the running game, its money and
// the AI level of each service task of each gate. The game logic provides it; without one
// the summary reads 0 money and no levels.
#include "core/system/types.h"

constexpr u32 GAME_GATE_COUNT = 8;          // gate ids 1..8
constexpr u32 GAME_SERVICE_KIND_COUNT = 11; // service kinds 0..10
constexpr u32 GAME_MAX_AI_LEVEL = 3;

class TGameSummarySource
{
public:
    virtual ~TGameSummarySource() = default;
    virtual i32 GetMoney() = 0;
    // The AI level (0 to 3) of the gate's deploy task of that service kind; 0 without one.
    virtual u32 GetAILevel(u32 gateId, u32 serviceKind) = 0;
};

// Null: no game is running.
void SetGameSummarySource(TGameSummarySource* source);
TGameSummarySource* GetGameSummarySource();
