#pragma once
// TAerodromeBuilder: what the level's sections share while they make their records: the
// repository writer (blocks), the streamed repository the collision meshes are cooked into, the
// level's root node and its render queue, nodes, lit materials of generated textures, meshes,
// cooked collision, and the records the sections own (kept until the builder goes, after the
// cluster that listed them is cleared; node objects then leave their freed nodes alone).
#include "aerodromeplan.h"
#include "core/math/matrix.h"
#include "core/system/types.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "engine/system/nodeobject.h"

class TDxMeshData;
class TMaterial;
class TMesh;
class TNode;
class TNxCollisionMeshData;
class TRepository;
class TRepositoryWriter;
struct TLitVertex;
struct TRenderQueue;

// Collision groups: everything solid collides through 1; the camera arm meets scenery (2);
// obstacle rays of driving units meet buildings and vehicle bodies (0x800), never the ground;
// the vegetation's probes and height rays and the track decals meet the ground (0x80).
constexpr u32 GROUPS_SOLID = 0x1;
constexpr u32 GROUPS_SCENERY = 0x2;
constexpr u32 GROUPS_SURFACE = 0x80;
constexpr u32 GROUPS_OBSTACLE = 0x800;
constexpr u32 GROUPS_GROUND = GROUPS_SOLID | GROUPS_SCENERY | GROUPS_SURFACE;
constexpr u32 GROUPS_BUILDING = GROUPS_SOLID | GROUPS_SCENERY | GROUPS_OBSTACLE;
constexpr u32 GROUPS_CHASSIS = GROUPS_SOLID | GROUPS_OBSTACLE;

// A placement: translation and a heading in degrees about y (from +z towards +x).
TMatrix Placement(f32 x, f32 y, f32 z, f32 heading = 0.0f);
TMatrix Placement(const TPlanPoint& at, f32 heading = 0.0f);

class TAerodromeBuilder
{
public:
    TAerodromeBuilder(TRepositoryWriter& writer, TRepository& cooked, TNode* level, TRenderQueue* queue);
    ~TAerodromeBuilder();
    TAerodromeBuilder(const TAerodromeBuilder&) = delete;
    TAerodromeBuilder& operator=(const TAerodromeBuilder&) = delete;

    TRepositoryWriter& Writer() { return m_Writer; }
    TNode* Level() { return m_pLevel; }

    // A node under the parent (the level when null).
    TNode* AddNode(const char* name, TNode* parent, const TMatrix& local);

    // A lit material of one colour (ARGB), made once per name.
    TMaterial* ColourMaterial(const char* name, u32 argb);
    // A lit material of a generated square texture, made once per name.
    TMaterial* TexturedMaterial(const char* name, i32 size, const std::vector<u32>& pixels);
    // Mesh data of lit quads, made once per name.
    TDxMeshData* MeshData(const char* name, const std::vector<TLitVertex>& quads, TMaterial* material);
    // A box of half-sizes standing on y = 0 (four sides and a roof), made once per name.
    TDxMeshData* BoxMeshData(const char* name, const TVector& half, TMaterial* material);
    // The mesh data drawn on the node in the level's queue.
    TMesh* AddMesh(TNode* node, TDxMeshData* data);

    // Cooked into the streamed repository: a triangle mesh (positions and normals, six floats
    // a vertex) or the convex hull of a box of half-sizes standing on y = 0.
    TNxCollisionMeshData* CookTriangles(const char* name, const std::vector<f32>& vertices,
                                        const std::vector<u16>& indices);
    TNxCollisionMeshData* CookBox(const char* name, const TVector& half);
    // A static collision mesh on the node, in the groups given.
    void AddCollision(TNode* node, TNxCollisionMeshData* data, u32 groups);

    // A record the builder keeps; a node object leaves its node before it goes.
    template <class T> T& Make()
    {
        auto held = std::make_unique<THeld<T>>();
        T& record = held->Record;
        m_aHeld.push_back(std::move(held));
        return record;
    }
    // The builder's one store of records of the type (for helpers that add to a store).
    template <class T> std::deque<T>& Store()
    {
        std::unique_ptr<THeldBase>& held = m_Stores[std::type_index(typeid(T))];
        if (!held)
            held = std::make_unique<THeldStore<T>>();
        return static_cast<THeldStore<T>&>(*held).aRecord;
    }

private:
    struct THeldBase
    {
        virtual ~THeldBase() = default;
    };
    template <class T> struct THeld : THeldBase
    {
        ~THeld() override
        {
            // The cluster freed the nodes by now.
            if constexpr (std::is_base_of_v<TNodeObject, T>)
                Record.pNode = nullptr;
        }
        T Record{};
    };
    template <class T> struct THeldStore : THeldBase
    {
        ~THeldStore() override
        {
            if constexpr (std::is_base_of_v<TNodeObject, T>)
                for (T& record : aRecord)
                    record.pNode = nullptr;
        }
        std::deque<T> aRecord;
    };

    TRepositoryWriter& m_Writer;
    TRepository& m_Cooked;
    TNode* m_pLevel;
    TRenderQueue* m_pQueue;
    std::map<std::string, TMaterial*> m_Materials;
    std::map<std::string, TDxMeshData*> m_MeshData;
    std::vector<std::unique_ptr<THeldBase>> m_aHeld;
    std::map<std::type_index, std::unique_ptr<THeldBase>> m_Stores;
};
