#include "engine/render/meshdata.h"

#include <cstring>

TMeshData::TMeshData()
{
    // The layout after the resource part starts zeroed: no elements, surfaces or objects.
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0, sizeof(TMeshData) - sizeof(TResource));
}

TMeshDataInstancing::TMeshDataInstancing()
    : m_aObjectParameters{}, m_nEnabled(1), m_nCapacity(0), m_pShader(nullptr), pMeshData(nullptr), m_nQueued(0),
      m_pMatrices(nullptr), m_pColours(nullptr)
{
}
