#pragma once
// TMeshData (stored type 42, 980 bytes): static mesh geometry: its vertex description, up to 16
// surfaces (index ranges with one material each), its instancing object and the Direct3D
// objects the Direct3D side (TDxMeshData) makes. TMeshDataInstancing (stored type 41, 196
// bytes) batches copies of one mesh.
#include "core/system/templates/sarray.h"
#include "engine/render/meshsurface.h"
#include "engine/system/resource.h"

#include <cstddef>

class TShader;
class TMeshDataInstancing;
struct IDirect3DVertexDeclaration9;
struct IDirect3DVertexBuffer9;
struct IDirect3DIndexBuffer9;

constexpr u16 MESH_DATA_INSTANCING_TYPE_ID = 41;
constexpr u16 MESH_DATA_TYPE_ID = 42;
constexpr u16 SKELETON_MESH_DATA_TYPE_ID = 52;
constexpr u32 MESH_ELEMENT_CAPACITY = 16;
constexpr u32 MESH_SURFACE_CAPACITY = 16;
// Description words other Parts read, between the layout name and the counts.
constexpr u32 MESH_DESCRIPTION_WORDS = 17;
constexpr u32 MESH_OBJECT_PARAMETERS_SIZE = 164;

// The usages and types a TMeshVertexElement names: a usage is the device declaration's usage
// plus one, a type one of the sixteen device declaration types (1 a float .. 16 four halves).
constexpr u32 MESH_USAGE_POSITION = 1;
constexpr u32 MESH_USAGE_NORMAL = 4;
constexpr u32 MESH_USAGE_TEXCOORD = 6;
constexpr u32 MESH_USAGE_TANGENT = 7;
constexpr u32 MESH_USAGE_BINORMAL = 8;
constexpr u32 MESH_USAGE_COLOUR = 11;
constexpr u32 MESH_TYPE_FLOAT1 = 1;
constexpr u32 MESH_TYPE_FLOAT2 = 2;
constexpr u32 MESH_TYPE_FLOAT3 = 3;
constexpr u32 MESH_TYPE_FLOAT4 = 4;
constexpr u32 MESH_TYPE_COLOUR = 5;
// Two signed 16-bit integers, read as whole numbers.
constexpr u32 MESH_TYPE_SHORT2 = 7;
constexpr u32 MESH_TYPE_HALF4 = 16;

struct TMeshVertexElement
{
    u32 nFirst;
    u32 nUsage;
    u32 nType;
    u32 nUsageIndex;
};

struct TMeshDescription
{
    u32 nStride;
    u32 nElementCount;
    TMeshVertexElement aElement[MESH_ELEMENT_CAPACITY];
    // The vertex layout's name: the first word of a program key.
    TName VertexLayout;
    u32 aWord[MESH_DESCRIPTION_WORDS];
    u32 nVertexCount;
    u32 nIndexCount;
};

static_assert(sizeof(TMeshDescription) == 344);

// A Direct3D vertex element as the mesh data keeps it (the layout of D3DVERTEXELEMENT9).
struct TMeshDeviceElement
{
    u16 nStream;
    u16 nOffset;
    u8 nType;
    u8 nMethod;
    u8 nUsage;
    u8 nUsageIndex;
};

class TMeshData : public TResource
{
public:
    TMeshData();

    TMeshDescription m_Description;
    // Parts of the data read so far (vertices, indices).
    u32 m_nLoadedParts;
    // Stored (compressed) sizes of the two parts; 0 when stored raw.
    u32 m_nStoredVertexSize;
    u32 m_nStoredIndexSize;
    u32 m_nReserved424;
    SArray<TMeshSurface, MESH_SURFACE_CAPACITY, 0> m_aSurface;
    TMeshDataInstancing* pInstancing;
    TResource* pSkeletonMeshData;
    IDirect3DVertexDeclaration9* m_pDeclaration;
    IDirect3DVertexBuffer9* m_pVertexBuffer;
    IDirect3DIndexBuffer9* m_pIndexBuffer;
    // The description's elements and the end marker.
    TMeshDeviceElement m_aDeviceElement[MESH_ELEMENT_CAPACITY + 1];
    u32 m_aReserved972[2];
};

static_assert(sizeof(TMeshData) == 980);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TMeshData, m_aSurface) == 428);
static_assert(offsetof(TMeshData, pInstancing) == 816);
static_assert(offsetof(TMeshData, pSkeletonMeshData) == 820);
static_assert(offsetof(TMeshData, m_aDeviceElement) == 836);
#pragma GCC diagnostic pop
// The material reference of the first embedded surface.
constexpr u32 MESH_FIRST_SURFACE_MATERIAL = 452;

class TMeshDataInstancing
{
public:
    TMeshDataInstancing();
    virtual ~TMeshDataInstancing() = default;

    u8 m_aObjectParameters[MESH_OBJECT_PARAMETERS_SIZE];
    u32 m_nEnabled;
    // Copies of the geometry the mesh data holds.
    u32 m_nCapacity;
    TShader* m_pShader;
    TMeshData* pMeshData;
    u32 m_nQueued;
    // Slices of the manager's buffers: 64-byte matrices and 16-byte colours per instance.
    f32* m_pMatrices;
    f32* m_pColours;
};

static_assert(sizeof(TMeshDataInstancing) == 196);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TMeshDataInstancing, m_nEnabled) == 168);
static_assert(offsetof(TMeshDataInstancing, pMeshData) == 180);
#pragma GCC diagnostic pop
