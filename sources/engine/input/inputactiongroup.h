#pragma once
// TInputActionGroup: the actions of one group, sorted. Stored type 24.
#include "core/system/types.h"

#include <cstddef>

class TInputAction;

constexpr u16 INPUT_ACTION_GROUP_TYPE_ID = 24;
constexpr u32 INPUT_ACTION_GROUP_SIZE = 512;

class TInputActionGroup
{
public:
    u32 aHeader[2];
    TInputAction* aSortedAction[INPUT_ACTION_GROUP_SIZE];
};

static_assert(sizeof(TInputActionGroup) == 2056);
static_assert(offsetof(TInputActionGroup, aSortedAction) == 8);
