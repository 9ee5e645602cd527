#include "engine/system/resource.h"

TResource::TResource()
    : m_nKind(0), m_nRepositoryId(0), m_nDataOffset(0), m_nDataSize(0), pRepository(nullptr),
      m_nHoldingUsers(0), m_nReadyUses(0), m_nListIndex(RESOURCE_NOT_LISTED), m_nReserved58(0xFFFF),
      m_fReserved60(0.0f), m_nState(RESOURCE_UNLOADED)
{
}

i32 TResource::Load()
{
    m_nState = RESOURCE_LOADED;
    return 0;
}
