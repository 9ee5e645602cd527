#pragma once
// TMesh: the stored layout of its records (type 43, 372 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/math/vector.h"
#include "core/system/name.h"
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/render/renderobject.h"
#include <cstring>

class TMeshData;
class TSkeleton;

constexpr u32 MESH_MATERIAL_VECTORS = 10;

// The mesh's values handed to its effect as one vector array, and its shader's name.
struct TMeshMaterial
{
    TVector aVector[MESH_MATERIAL_VECTORS];
    TName m_Shader;
};
static_assert(sizeof(TMeshMaterial) == 164);

class TMesh : public TRenderObject
{
public:
    TMesh()
    {
        std::memset(reinterpret_cast<u8*>(this) + 28, 0, sizeof(*this) - 28);
        m_nClassName = g_NameTMesh.GetId();
    }

    TMeshData* pMeshData;
    TSkeleton* pSkeleton;
    u8 m_aReserved36[128];
    TMeshMaterial m_Material;
    u32 m_nDefaultWord;
    u8 m_nBoneCount;
    u8 m_nFirstBone;
    u8 m_aReserved334[2];
    f32 m_fLodDistanceScale;
    i32 m_nLodCount;
    TMesh* aMeshLod[4];
    TMesh* pAnimatedNext;
    TMesh* pAnimatedPrev;
    u8 m_aReserved368[4];
};

static_assert(sizeof(TMesh) == 372);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TMesh, pMeshData) == 28);
static_assert(offsetof(TMesh, pSkeleton) == 32);
static_assert(offsetof(TMesh, m_Material) == 164);
static_assert(offsetof(TMesh, m_nDefaultWord) == 328);
static_assert(offsetof(TMesh, m_nBoneCount) == 332);
static_assert(offsetof(TMesh, m_nFirstBone) == 333);
static_assert(offsetof(TMesh, m_fLodDistanceScale) == 336);
static_assert(offsetof(TMesh, m_nLodCount) == 340);
static_assert(offsetof(TMesh, aMeshLod) == 344);
static_assert(offsetof(TMesh, pAnimatedNext) == 360);
static_assert(offsetof(TMesh, pAnimatedPrev) == 364);
#pragma GCC diagnostic pop
