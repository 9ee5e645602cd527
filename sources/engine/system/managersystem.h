#pragma once
// TManagerSystem: a named set of four ordered phase lists. Each entry carries a word that
// tells the manager which of its jobs the entry stands for (a manager may stand several times
// in a list).
#include "core/system/name.h"
#include "core/system/templates/sarray.h"

class TManager;

struct TManagerEntry
{
    TManager* pManager;
    u32 nWord;
};

static_assert(sizeof(TManagerEntry) == 8);

constexpr u32 MANAGER_LIST_CAPACITY = 128;

// The lists, in their stored order.
enum TManagerListIndex : u32
{
    MANAGER_LIST_INITIALIZE = 0,
    MANAGER_LIST_FINALIZE = 1,
    MANAGER_LIST_RENDER = 2,
    MANAGER_LIST_UPDATE = 3,
    MANAGER_LIST_COUNT = 4
};

typedef SArray<TManagerEntry, MANAGER_LIST_CAPACITY, 0> TManagerList;

struct TManagerSystem
{
    TName Name;
    TManagerList aList[MANAGER_LIST_COUNT];
};

static_assert(sizeof(TManagerSystem) == 4 + 4 * (4 + 128 * 8));
