#pragma once
// TNxDynamicsManager ("Dynamics", type "Nx"): the dynamics manager over the physics layer. It
// owns the physics SDK and its one scene, holds every material, shape, body and joint in its
// cluster arrays (repository loads fill them), steps the scene in chunks of at most 0.1 s under
// the scene lock (ThreadUpdateManager, possibly on an update worker) and once per frame writes
// the simulated poses into the nodes (UpdateManager, main thread). Cluster loads and state
// loads rebuild the physics objects from the engine objects.
#include "ageia/dynamicsmanager.h"
#include "core/cluster/clustermethods.h"
#include "engine/system/resourcemethods.h"
#include "engine/system/statemethods.h"

class NxPhysicsSDK;
class NxScene;
class NxSceneQuery;
class TCriticalSection;
class TNxDynamicsBody;
class TNxDynamicsGeometry;
class TNxDynamicsJoint;
class TNxDynamicsMaterial;

// The id under which images carry the settings block.
constexpr i32 DYNAMICS_MANAGER_ID = 40;
constexpr i32 DYNAMICS_SETTINGS_SIZE = 172;
constexpr i32 DYNAMICS_PAIR_CAPACITY = 32;
// Simulate calls are at most this long.
constexpr f32 DYNAMICS_MAX_SIMULATE = 0.1f;
// Bodies below this height leave the simulation (made kinematic).
constexpr f32 DYNAMICS_FLOOR = -1000.0f;
// Blow-up guard: a speed above the limit, or a rise in speed above the jump, in one frame.
constexpr f32 DYNAMICS_SPEED_LIMIT = 100.0f;
constexpr f32 DYNAMICS_SPEED_JUMP = 10.0f;
constexpr f32 DYNAMICS_JUMP_SPEED = 2.0f;
// Frames a body is held still after a blow-up (and may be put back to sleep after waking).
constexpr i32 DYNAMICS_HOLD_FRAMES = 5;

// The manager's data block, stored in its cluster data.
struct TDynamicsSettings
{
    f32 aGravity[4];
    f32 fRestitution;
    f32 fStaticFriction;
    f32 fDynamicFriction;
    f32 fRate;
    u32 nMaxSubSteps;
    i32 nGroupPairCount;
    u16 anGroupPair[DYNAMICS_PAIR_CAPACITY];
    i32 nDominancePairCount;
    u16 anDominancePair[DYNAMICS_PAIR_CAPACITY];
};

static_assert(sizeof(TDynamicsSettings) == DYNAMICS_SETTINGS_SIZE);
static_assert(offsetof(TDynamicsSettings, fRate) == 28 && offsetof(TDynamicsSettings, anGroupPair) == 40);
static_assert(offsetof(TDynamicsSettings, nDominancePairCount) == 104);

// A pair word: group 1 in bits 0-4, group 2 in bits 5-9, the flag in bits 10-15.
inline u16 PairGroup1(u16 word) { return word & 31; }
inline u16 PairGroup2(u16 word) { return (word >> 5) & 31; }
inline bool PairFlag(u16 word) { return (word >> 10) != 0; }

// Set while UpdateManager writes simulated poses into nodes: the node handlers of bodies,
// shapes and joints leave the physics objects alone.
extern u32 g_nDynamicsSynchronize;

class TNxDynamicsManager : public TDynamicsManager, public TClusterMethods, public TResourceMethods, public TStateMethods
{
public:
    TNxDynamicsManager();
    ~TNxDynamicsManager() override;

    i32 SetArray(u32 typeId, void* data, i32 count) override;
    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return DYNAMICS_SETTINGS_SIZE; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;
    i32 InitializeManager() override;
    void FinalizeManager() override;
    void BeginManager() override;
    void EndManager() override {}
    // The overlay of dynamics_debug.
    void RenderManager() override;
    void ThreadUpdateManager(f32 step) override;
    void UpdateManager(f32 dt) override;

    i32 GetMaterialCount() override { return m_aMaterial.GetCount(); }
    TDynamicsMaterial* GetMaterial(i32 index) override;
    TDynamicsMaterial* CreateMaterial(const TName& name) override;
    i32 GetBodyCount() override { return m_aBody.GetCount(); }
    TDynamicsBody* GetBody(i32 index) override;
    TDynamicsBody* CreateBody(TNode* node) override;
    i32 GetJointCount() override { return m_aJoint.GetCount(); }
    TDynamicsJoint* FindJoint(const TName& name) override;
    TDynamicsJoint* GetJoint(i32 index) override;
    TDynamicsJoint* CreateJoint(TNode* node, u32 type) override;
    void SetGravity(const TVector& gravity) override;
    void GetGravity(TVector& gravity) override;
    void SetBodyPairCollision(TDynamicsBody* a, TDynamicsBody* b, u32 enable) override;
    void SetGeometryPairCollision(TDynamicsGeometry* a, TDynamicsGeometry* b, u32 enable) override;
    void SetGroupPairFlags(u16 group1, u16 group2, u32 flags) override;
    void SetGroupCollision(u16 group1, u16 group2, u32 enable) override;
    void SetGroupDominance(u16 group1, u16 group2, u32 dominant) override;
    void Lock() override;
    void Unlock() override;

    void OnClusterLoad() override;
    void OnClusterUnload() override;
    void OnResourceNotify4() override;
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;

    // Shapes are made by their bodies and listed here.
    TNxDynamicsGeometry* NewGeometry();
    NxPhysicsSDK* GetSDK() const { return m_pSDK; }
    NxScene* GetScene() const { return m_pScene; }
    NxSceneQuery* GetSceneQuery() const { return m_pSceneQuery; }
    f32 GetStep() const { return m_fStep; }
    void SetStep(f32 step) { m_fStep = step; }
    const TDynamicsSettings& GetSettings() const { return m_Settings; }

    // The awake list (bodies the simulation moves) and the per-frame list (interpolated bodies).
    TNxDynamicsBody* GetFirstAwake() const { return m_pAwakeFirst; }
    void AddAwake(TNxDynamicsBody* body);
    void RemoveAwake(TNxDynamicsBody* body);
    void AddFrameUpdate(TNxDynamicsBody* body);
    void RemoveFrameUpdate(TNxDynamicsBody* body);

private:
    void _CreateScene();
    void _ApplySettings();
    void _RecreateObjects();
    void _ReleaseObjects();
    // The scene's objects, the scene and the SDK released.
    void _ReleaseSdk();
    void Interpolate(TNxDynamicsBody* body);
    void WriteBack(TNxDynamicsBody* body, f32 dt);
    // Simulated wheels and the body's pose into the skeletons they drive.
    void WriteWheels(TNxDynamicsBody* body, f32 dt);
    // Frees the objects of one array that this manager made itself.
    void FreeOwned(u32 typeId);
    // Loaded records carry the saving program's physics objects and list links: forgotten.
    void ForgetLoadedWords(u32 typeId);

    NxPhysicsSDK* m_pSDK;
    NxScene* m_pScene;
    NxSceneQuery* m_pSceneQuery;
    DArray<TNxDynamicsMaterial*> m_aMaterial;
    DArray<TNxDynamicsGeometry*> m_aGeometry;
    DArray<TNxDynamicsBody*> m_aBody;
    DArray<TNxDynamicsJoint*> m_aJoint;
    // The objects made here rather than loaded: freed when the cluster replaces an array.
    DArray<TNxDynamicsMaterial*> m_aOwnedMaterial;
    DArray<TNxDynamicsGeometry*> m_aOwnedGeometry;
    DArray<TNxDynamicsBody*> m_aOwnedBody;
    DArray<TNxDynamicsJoint*> m_aOwnedJoint;
    f32 m_fStep;
    TDynamicsSettings m_Settings;
    TNxDynamicsBody* m_pAwakeFirst;
    TNxDynamicsBody* m_pAwakeLast;
    TNxDynamicsBody* m_pFrameFirst;
    TNxDynamicsBody* m_pFrameLast;
    // A bit per stored type (from materials) whose array a load has just replaced.
    u32 m_nLoadedTypes;
};

extern TNxDynamicsManager* g_pNxDynamicsManager;
// The scene lock, made before any manager: joint building and other threads take it too.
TCriticalSection& DynamicsSceneLock();
