#pragma once
// TNxHeightField: a height field over the physics layer, one static actor with one height-field
// shape (28 bytes, held in place in an array of 2048). Requests go into two queues shared by all
// height fields and guarded by the height-field lock; ProcessRequests, called by the dynamics
// manager's frame update, carries out the releases, then the builds.
#include "ageia/collisionheightfield.h"
#include "ageia/collisionuserdata.h"
#include "core/system/templates/sarray.h"

class NxActor;
class NxHeightField;
class NxShape;

constexpr u32 HEIGHT_FIELD_CAPACITY = 2048;
// State bits.
constexpr u32 HEIGHT_FIELD_BUILD_PENDING = 0x1;
constexpr u32 HEIGHT_FIELD_RELEASE_PENDING = 0x2;
// Shape values of every height field.
constexpr u32 HEIGHT_FIELD_GROUPS_MASK = 0x5C02;
constexpr f32 HEIGHT_FIELD_THICKNESS = -100.0f;
constexpr u16 HEIGHT_FIELD_HOLE_MATERIAL = 2;
// Smooth sphere collisions.
constexpr u32 HEIGHT_FIELD_MESH_FLAGS = 0x1;

class TNxHeightField : public TCollisionHeightField
{
public:
    TNxHeightField();

    u32 IsBuilt() override { return m_pHeightField ? 1 : 0; }
    // A build already pending keeps its samples: the new ones are freed. A pending release is
    // cancelled.
    void Build(const TMatrix& place, u32 rows, u32 columns, const f32* extents, void* samples, u32 spare) override;
    // A pending build is cancelled and its samples freed; a field not built stays as it is.
    void Release() override;

    u32 GetState() const { return m_nState; }
    NxActor* GetActor() const { return m_pActor; }
    NxShape* GetShape() const { return m_pShape; }

    // Carries out the queued releases, then the builds. Requests made meanwhile wait for the
    // next call (or cancel records not yet carried out).
    static void ProcessRequests();
    // Drops every queued request of the height fields in [first, first + count) (all of them
    // for a null first), freeing the samples of dropped builds.
    static void DropRequests(TNxHeightField* first, u32 count);
    // Releases the actor and the layer's height field.
    void ReleaseObjects();
    // Cancels a pending release.
    void DropRelease();

    // A queued build (100 bytes).
    struct TBuildRecord;

private:
    void BuildNow(const TBuildRecord& record);

    u32 m_nState;
    NxHeightField* m_pHeightField;
    NxShape* m_pShape;
    NxActor* m_pActor;
    TCollisionUserData m_UserData;
};

static_assert(sizeof(TNxHeightField) == 28);

// The collision manager's height fields: up to 2048 held in place.
class TNxHeightFieldArray
{
public:
    TNxHeightFieldArray();
    ~TNxHeightFieldArray();
    TNxHeightFieldArray(const TNxHeightFieldArray&) = delete;
    TNxHeightFieldArray& operator=(const TNxHeightFieldArray&) = delete;

    // The physics scene is about to go (a cluster load makes a new one): the height fields of
    // every array release their physics objects and are no longer built; pending releases are
    // dropped, pending builds are carried out in the new scene.
    static void ForgetScene();
    // The next height field; null with an error line when all 2048 are in use.
    TNxHeightField* Create();
    u32 GetCount() const { return m_aField.GetCount(); }
    TNxHeightField* Get(u32 index) { return &m_aField[index]; }
    // Forgets every height field: requests dropped (samples freed), physics objects released.
    void Clear();

private:
    static TNxHeightFieldArray*& First();

    SArray<TNxHeightField, HEIGHT_FIELD_CAPACITY, 1> m_aField;
    TNxHeightFieldArray* m_pNextArray;
};
