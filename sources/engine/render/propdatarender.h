#pragma once
// TPropDataRender: the stored layout of its records (type 125, 556 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TMesh;
class TNode;

struct TPropDataRender
{
    TNode* pRoot;
    u8 m_aReserved4[8];
    TMesh* aMesh[8];
    u8 m_aReserved44[512];
};

static_assert(sizeof(TPropDataRender) == 556);
static_assert(offsetof(TPropDataRender, pRoot) == 0);
static_assert(offsetof(TPropDataRender, aMesh) == 12);
