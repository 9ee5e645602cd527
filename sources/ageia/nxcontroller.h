#pragma once
// TNxController: the stored layout of character controllers (type 27, 24 bytes).
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"
#include <cstring>

class TNxController : public TNodeObject
{
public:
    TNxController()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTController.GetId();
    }

    u32 m_aReserved12[3];
};

static_assert(sizeof(TNxController) == 24);
