#include "scenerepositories.h"

#include "ageia/dynamicsgeometry.h"
#include "ageia/nxbody.h"
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "engine/render/meshdata.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/animationmanager.h"
#include "engine/system/automat.h"
#include "engine/system/automatmanager.h"
#include "engine/system/automatstate.h"
#include "engine/system/nodemanager.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
#include "engine/system/resource.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonmeshdata.h"
#include "engine/system/skeletonpose.h"
#include "engine/system/triggeractor.h"
#include "engine/system/triggergeometry.h"
#include "engine/system/triggergeometrylink.h"
#include "engine/system/triggermanager.h"
#include "engine/system/resourcemanager.h"
#include "repositorywriter.h"

#include <cstring>
#include <filesystem>
#include <vector>

namespace
{
// A recognisable block of the given size.
std::vector<u8> Pattern(u32 size, u8 seed)
{
    std::vector<u8> bytes(size);
    for (u32 i = 0; i < size; ++i)
        bytes[i] = static_cast<u8>(seed + i * 7);
    return bytes;
}

bool WriteBlocksOnly(const char* folder, const char* name, u32 id, u32 flags, TResource* resource, u8 seed)
{
    TRepositoryWriter writer(id, flags);
    std::vector<u8> block = Pattern(4096, seed);
    writer.AddBlock(resource, block.data(), 4096);
    char path[512];
    FormatStringN(path, sizeof path, "%s/%s", folder, name);
    return writer.Write(path, nullptr, 0, false);
}

TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

// The level's moving parts: a two-bone rig playing a looped animation whose keys lie in the
// main repository, with its skin record and a node on its second bone; a trigger sphere at the
// gate with an actor on a tug; an automat in its first state; two parked carts sharing their
// type's one full form. The objects hang on the level's
// nodes until Detach, before the cluster is cleared.
struct TLevelObjects
{
    TLevelObjects(TRepositoryWriter& writer, TNode* level, TNode* gate)
    {
        data.m_Name.Set("rig_data", true);
        data.m_nBoneCount = 2;
        data.aBone[0].nParent = -1;
        data.aBone[1].nParent = 0;
        for (TSkeletonBone& bone : data.aBone)
            bone.Bind = bone.Rest = TMatrix(1.0f);
        data.aBone[1].Rest = Translation(0.0f, 1.0f, 0.0f);
        pose.m_Name.Set("rig_pose", true);
        pose.m_nBoneCount = 2;
        pose.pSkeleton = &skeleton;

        // Track t, frame f: a step of f units along x on bone t's rest offset.
        wave.m_Name.Set("rig_wave", true);
        wave.m_nLength = 2;
        wave.m_nTrackCount = 2;
        for (u32 t = 0; t < 2; ++t)
            for (u32 f = 0; f < 3; ++f)
            {
                TAnimationKey& key = keys[3 * t + f];
                key.SetRotation(TQuaternion(0.0f, 0.0f, 0.0f, 1.0f));
                const f32 position[4] = {static_cast<f32>(f), static_cast<f32>(t), 0.0f, 1.0f};
                const f32 scale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
                std::memcpy(key.aPosition, position, sizeof position);
                std::memcpy(key.aScale, scale, sizeof scale);
            }
        writer.AddBlock(&wave, keys, sizeof keys);
        animation.m_nState = ANIMATION_PLAYING;
        animation.m_fTimeScale = 1.0f;
        animation.m_nLoop = 1;
        animation.m_fSpeed = 1.0f;
        animation.pSkeleton = &skeleton;
        animation.pAnimationData = &wave;
        std::memset(animation.aBoneMap, ANIMATION_NO_TRACK, sizeof animation.aBoneMap);
        animation.aBoneMap[0] = 0;
        animation.aBoneMap[1] = 1;

        skeleton.pSkeletonData = &data;
        skeleton.pSkeletonPose = &pose;
        skeleton.Function.nInstructionCount = 1;
        skeleton.Function.aInstruction[0] = {BLEND_COPY, 0, 0, BLEND_OPERAND_NONE, 0.0f};
        skeleton.Function.aAnimation[0] = &animation;
        rig = g_pNodeManager->CreateNode("rig");
        hand = g_pNodeManager->CreateNode("rig_hand");
        level->AddChild(rig);
        rig->AddChild(hand);
        rig->AddObject(&skeleton);
        skeleton.aLinkedNode[0] = {1, hand};
        skeleton.m_nLinkedNodeCount = 1;
        skin.pSkeletonData = &data;
        skin.m_nPaletteCount = 2;
        skin.aPalette[1] = 1;

        TNode* stand = g_pNodeManager->CreateNode("gate_1_stand");
        tug = g_pNodeManager->CreateNode("tug");
        gate->AddChild(stand);
        level->AddChild(tug);
        stand->AddObject(&volume);
        tug->AddObject(&actor);
        volume.m_Bounds.minimum = TVector(-2.0f, -2.0f, -2.0f, 1.0f);
        volume.m_Bounds.maximum = TVector(2.0f, 2.0f, 2.0f, 1.0f);
        volume.m_Bounds.Update();
        actor.m_nIndex = 0;
        link.pGeometry = &volume;

        state.pAutomat = &automat;
        automat.aState[0] = &state;
        automat.pActiveState = &state;
        automat.m_nEnabled = 1;

        form.m_Name.Set("cart_form", true);
        form.pNode = g_pNodeManager->CreateNode("cart_form");
        level->AddChild(form.pNode);
        pool.aFree[pool.m_nFreeCount++] = &form;
        pool.m_BoundBox.minimum = TVector(-1.0f, -1.0f, -2.0f, 1.0f);
        pool.m_BoundBox.maximum = TVector(1.0f, 1.0f, 2.0f, 1.0f);
        pool.m_BoundBox.Update();
        for (u32 i = 0; i < 2; ++i)
        {
            char name[32];
            FormatStringN(name, sizeof name, "parked_cart_%u", i + 1);
            TNode* place = g_pNodeManager->CreateNode(name);
            place->SetLocalMatrix(Translation(20.0f + 5.0f * static_cast<f32>(i), 0.0f, 10.0f), TNode::OrdinaryCause());
            level->AddChild(place);
            place->AddObject(&parked[i]);
            parked[i].pPropDataPool = &pool;
            g_pPropManager->Props().Add(&parked[i]);
        }
        g_pPropManager->PropData().Add(&form);
        g_pPropManager->Pools().Add(&pool);

        g_pSkeletonManager->SkeletonData().Add(&data);
        g_pSkeletonManager->Poses().Add(&pose);
        g_pSkeletonManager->Skeletons().Add(&skeleton);
        g_pSkeletonManager->SkeletonMeshData().Add(&skin);
        g_pAnimationManager->AnimationData().Add(&wave);
        g_pAnimationManager->Animations().Add(&animation);
        g_pTriggerManager->Geometries().Add(&volume);
        g_pTriggerManager->Links().Add(&link);
        g_pTriggerManager->Actors().Add(&actor);
        g_pAutomatManager->States().Add(&state);
        g_pAutomatManager->Automats().Add(&automat);
    }

    // Appends the managers whose records these are; returns the new count.
    static i32 AddManagers(TClusterManager** managers, i32 count)
    {
        managers[count++] = g_pSkeletonManager;
        managers[count++] = g_pAnimationManager;
        managers[count++] = g_pTriggerManager;
        managers[count++] = g_pAutomatManager;
        managers[count++] = g_pPropManager;
        return count;
    }

    void Detach()
    {
        rig->DeleteObject(&skeleton);
        volume.GetNode()->DeleteObject(&volume);
        tug->DeleteObject(&actor);
        for (TProp& prop : parked)
            prop.GetNode()->DeleteObject(&prop);
    }

    TSkeletonData data;
    TSkeletonPose pose;
    TSkeleton skeleton;
    TSkeletonMeshData skin{};
    TAnimationKey keys[6];
    TAnimationData wave;
    TAnimation animation{};
    TTriggerGeometry volume;
    TTriggerGeometryLink link{};
    TTriggerActor actor;
    TAutomatState state{};
    TAutomat automat{};
    TPropData form;
    TPropDataPool pool{};
    TProp parked[2];
    TNode* rig = nullptr;
    TNode* hand = nullptr;
    TNode* tug = nullptr;
};
// The level's physics: gravity, a ground and a terminal building of static collision meshes
// cooked into the repository given, a crate, a ball and a barrel (box, sphere and capsule) above
// the ground and a cart of four wheels, all meeting through groups mask 1. The bodies and meshes
// belong to the physics managers, which free them when the cluster is cleared.
struct TLevelPhysics
{
    TLevelPhysics(TNode* level, TRepository* cooked)
    {
        TNxDynamicsManager& dynamics = *g_pNxDynamicsManager;
        dynamics.SetGravity(TVector(0.0f, -9.8f, 0.0f, 0.0f));
        // The ground: a 200 x 200 square at y = 0 of two triangles.
        const f32 ground[4][2] = {{-100.0f, -100.0f}, {100.0f, -100.0f}, {100.0f, 100.0f}, {-100.0f, 100.0f}};
        std::vector<f32> vertices;
        for (const auto& corner : ground)
            vertices.insert(vertices.end(), {corner[0], 0.0f, corner[1], 0.0f, 1.0f, 0.0f});
        StaticMesh(level, "ground", TVector(0.0f, 0.0f, 0.0f, 1.0f),
                   Cook("ground", vertices, {0, 1, 2, 0, 2, 3}, COLLISION_DATA_TRIANGLES, cooked));
        // The terminal: a convex block of 20 x 8 x 12 beside the apron.
        vertices.clear();
        for (u32 i = 0; i < 8; ++i)
            vertices.insert(vertices.end(), {i & 1 ? 10.0f : -10.0f, i & 2 ? 8.0f : 0.0f, i & 4 ? 6.0f : -6.0f, 0.0f,
                                             1.0f, 0.0f});
        StaticMesh(level, "terminal", TVector(40.0f, 0.0f, -30.0f, 1.0f),
                   Cook("terminal", vertices, {}, COLLISION_DATA_CONVEX, cooked));
        Body(level, "crate", 0.0f, 2.0f, 0.0f, GEOMETRY_BOX, TVector(0.5f, 0.5f, 0.5f, 1.0f));
        Body(level, "ball", 2.0f, 2.0f, 0.0f, GEOMETRY_SPHERE, TVector(0.4f, 0.0f, 0.0f, 1.0f));
        Body(level, "barrel", 4.0f, 2.0f, 0.0f, GEOMETRY_CAPSULE, TVector(0.3f, 0.6f, 0.0f, 1.0f));

        TDynamicsBody* cart = Body(level, "cart", 10.0f, 1.0f, 0.0f, GEOMETRY_BOX, TVector(0.8f, 0.2f, 1.5f, 1.0f));
        cart->SetMass(400.0f);
        const f32 corners[4][2] = {{-0.8f, 1.2f}, {0.8f, 1.2f}, {-0.8f, -1.2f}, {0.8f, -1.2f}};
        char name[32];
        for (u32 i = 0; i < 4; ++i)
        {
            FormatStringN(name, sizeof name, "cart_wheel_%u", i);
            TNode* hub = g_pNodeManager->CreateNode(name);
            cart->pNode->AddChild(hub);
            hub->SetLocalMatrix(Translation(corners[i][0], 0.0f, corners[i][1]), TNode::OrdinaryCause());
            TDynamicsGeometry* wheel = cart->__CreateGeometry(hub, GEOMETRY_WHEEL);
            wheel->SetSize(TVector(0.35f, 0.3f, 0.0f, 1.0f));
            wheel->SetWheelParameter(WHEEL_SUSPENSION_TRAVEL, 0.3f, 0.0f, 0.0f, 0.0f, 0.0f);
            wheel->SetWheelParameter(WHEEL_SUSPENSION_SPRING, 20000.0f, 2000.0f, 0.0f, 0.0f, 0.0f);
            wheel->SetGroupsMask(1);
        }
    }

    // Positions and normals, six floats a vertex.
    static TNxCollisionMeshData* Cook(const char* name, const std::vector<f32>& vertices, const std::vector<u16>& indices,
                                      u32 dataType, TRepository* cooked)
    {
        TMeshData mesh;
        mesh.m_Name.Set(name, true);
        mesh.m_Description.nStride = 24;
        mesh.m_Description.nVertexCount = static_cast<u32>(vertices.size() / 6);
        mesh.m_Description.nIndexCount = static_cast<u32>(indices.size());
        return g_pNxCollisionManager->CreateCollisionMeshData(0, &mesh, vertices.data(), indices.data(), cooked,
                                                              dataType, 0);
    }

    static void StaticMesh(TNode* level, const char* name, const TVector& place, TNxCollisionMeshData* data)
    {
        TNode* node = g_pNodeManager->CreateNode(name);
        level->AddChild(node);
        TMatrix at(1.0f);
        at.aRow[3] = place;
        node->SetLocalMatrix(at, TNode::OrdinaryCause());
        // Group 128 too: the decals' projection looks at it.
        g_pNxCollisionManager->CreateCollisionMesh(node, data, 0)->SetGroupsMask(1 | 128);
    }

    static TDynamicsBody* Body(TNode* level, const char* name, f32 x, f32 y, f32 z, u32 type, const TVector& size)
    {
        TNode* node = g_pNodeManager->CreateNode(name);
        level->AddChild(node);
        node->SetLocalMatrix(Translation(x, y, z), TNode::OrdinaryCause());
        TDynamicsBody* body = g_pNxDynamicsManager->CreateBody(node);
        TDynamicsGeometry* shape = body->__CreateGeometry(node, type);
        shape->SetSize(size);
        shape->SetGroupsMask(1);
        body->SetMass(10.0f);
        return body;
    }
};
} // namespace

// The most managers the scene and the extra records of a level name.
constexpr i32 SCENE_MANAGER_LIMIT = 64;
constexpr i32 EXTRA_MANAGER_LIMIT = 64;

bool WriteSceneRepositories(const char* folder, TLevelRecords extra)
{
    char path[512];
    // The scene's managers, the physics' and every extra record's.
    TClusterManager* managers[SCENE_MANAGER_LIMIT + 2 + EXTRA_MANAGER_LIMIT];
    g_pCluster->Clear();

    // The shared records: a resource with its block, kept across level loads.
    TRepositoryWriter common(COMMON_REPOSITORY_ID, REPOSITORY_RESIDENT);
    TResource* shared = g_pResourceManager->CreateResource("common_palette");
    std::vector<u8> palette = Pattern(1024, 3);
    common.AddBlock(shared, palette.data(), 1024);
    FormatStringN(path, sizeof path, "%s/common.data", folder);
    bool written = common.Write(path, managers, TRepositoryWriter::SceneManagers(managers), false);
    g_pCluster->Clear();

    // Blocks only: the main repository's resources point into them.
    TResource mappedTexture;
    TResource streamedSound;
    written = written && WriteBlocksOnly(folder, "mapped.data", MAPPED_REPOSITORY_ID, REPOSITORY_MAPPED,
                                         &mappedTexture, 11);
    written = written && WriteBlocksOnly(folder, "streamed.data", STREAMED_REPOSITORY_ID, REPOSITORY_STREAMED,
                                         &streamedSound, 29);

    // The shaders the level's materials name, as the game's load of the level brings them.
    FormatStringN(path, sizeof path, "%s/shaders.data", folder);
    if (extra && std::filesystem::exists(path))
        g_pResourceManager->LoadRepository(path, 0);

    // The level: a small node tree and resources whose blocks lie here and in each dependency.
    TRepositoryWriter main(MAIN_REPOSITORY_ID, 0);
    main.AddDependency(COMMON_REPOSITORY_ID);
    main.AddDependency(MAPPED_REPOSITORY_ID);
    main.AddDependency(STREAMED_REPOSITORY_ID);
    main.AddDependency(SHADER_REPOSITORY_ID);
    TNode* level = g_pNodeManager->CreateNode("level");
    TNode* apron = g_pNodeManager->CreateNode("apron");
    TNode* gate = g_pNodeManager->CreateNode("gate_1");
    level->AddChild(apron);
    apron->AddChild(gate);
    TMatrix place(1.0f);
    place.aRow[3] = TVector(120.0f, 0.0f, -40.0f, 1.0f);
    gate->SetLocalMatrix(place, TNode::OrdinaryCause());

    TResource* layout = g_pResourceManager->CreateResource("level_layout");
    std::vector<u8> layoutBytes = Pattern(2048, 5);
    main.AddCompressedBlock(layout, layoutBytes.data(), 2048);
    TResource* texture = g_pResourceManager->CreateResource("apron_texture");
    texture->m_nRepositoryId = MAPPED_REPOSITORY_ID;
    texture->m_nDataOffset = mappedTexture.m_nDataOffset;
    texture->m_nDataSize = mappedTexture.m_nDataSize;
    TResource* sound = g_pResourceManager->CreateResource("apron_sound");
    sound->m_nRepositoryId = STREAMED_REPOSITORY_ID;
    sound->m_nDataOffset = streamedSound.m_nDataOffset;
    sound->m_nDataSize = streamedSound.m_nDataSize;
    TResource::LinkTo(layout, texture);
    TResource::LinkTo(layout, sound);
    TLevelObjects objects(main, level, gate);
    // The cooked collision meshes are appended to the streamed repository.
    FormatStringN(path, sizeof path, "%s/streamed.data", folder);
    TRepository cooked(STREAMED_REPOSITORY_ID, REPOSITORY_STREAMED, TName("streamed.data", true));
    written = written && cooked.OpenStreamed(path, true);
    TLevelPhysics physics(level, &cooked);
    // Before the scene's links are packed: the extra records link resources too.
    TClusterManager* extraManagers[EXTRA_MANAGER_LIMIT];
    const i32 extraCount = extra ? extra(main, level, extraManagers, 0) : 0;
    i32 count = TLevelObjects::AddManagers(managers, TRepositoryWriter::SceneManagers(managers));
    managers[count++] = g_pNxDynamicsManager;
    managers[count++] = g_pNxCollisionManager;
    for (i32 i = 0; i < extraCount; ++i)
        managers[count++] = extraManagers[i];
    FormatStringN(path, sizeof path, "%s/main.data", folder);
    written = written && main.Write(path, managers, count, true);
    objects.Detach();
    g_pCluster->Clear();
    g_pResourceManager->CloseRepositories(0);
    return written;
}
