#include "ageia/nxheightfield.h"

#include "ageia/nxdynamics.h"
#include "core/system/criticalsection.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxheightfield.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapedesc.h"

#include <cstring>

struct TNxHeightField::TBuildRecord
{
    TNxHeightField* pField; // null: carried out or cancelled
    TMatrix Place;
    u32 nRows;
    u32 nColumns;
    f32 aExtent[4];
    void* pSamples;
    u32 nSpare;
};

static_assert(sizeof(TNxHeightField::TBuildRecord) == 100);

namespace
{
typedef SArray<TNxHeightField::TBuildRecord, HEIGHT_FIELD_CAPACITY, 0> TBuildQueue;
typedef SArray<TNxHeightField*, HEIGHT_FIELD_CAPACITY, 0> TReleaseQueue;

// Requests go into the queues of index s_nOpen; ProcessRequests swaps them under the lock and
// works through the other pair, record by record under the lock, so that requests made
// meanwhile may still cancel records it has not reached.
struct TRequests
{
    TCriticalSection Lock;
    TBuildQueue aBuild[2];
    TReleaseQueue aRelease[2];
    u32 nOpen = 0;
};

TRequests& Requests()
{
    static TRequests s_Requests;
    return s_Requests;
}

// Removes the field's build record from the open queue (the last record takes its place) or
// cancels it in the queue being carried out; the samples are freed.
void CancelBuild(TRequests& r, const TNxHeightField* field)
{
    TBuildQueue& open = r.aBuild[r.nOpen];
    for (u32 i = 0; i < open.GetCount(); ++i)
        if (open[i].pField == field)
        {
            MemoryFree(open[i].pSamples);
            open[i] = open[open.GetCount() - 1];
            open.SetCount(open.GetCount() - 1);
            return;
        }
    TBuildQueue& running = r.aBuild[r.nOpen ^ 1];
    for (u32 i = 0; i < running.GetCount(); ++i)
        if (running[i].pField == field)
        {
            MemoryFree(running[i].pSamples);
            running[i].pField = nullptr;
            return;
        }
}

// Each record under the lock, then the queue emptied: requests may come between records.
template <class Q, class F> void CarryOut(TRequests& r, Q& queue, F&& each)
{
    for (u32 i = 0;; ++i)
    {
        r.Lock.Enter();
        if (i >= queue.GetCount())
        {
            queue.SetCount(0);
            r.Lock.Leave();
            return;
        }
        each(queue[i]);
        r.Lock.Leave();
    }
}

void CancelRelease(TRequests& r, const TNxHeightField* field)
{
    TReleaseQueue& open = r.aRelease[r.nOpen];
    for (u32 i = 0; i < open.GetCount(); ++i)
        if (open[i] == field)
        {
            open[i] = open[open.GetCount() - 1];
            open.SetCount(open.GetCount() - 1);
            return;
        }
    TReleaseQueue& running = r.aRelease[r.nOpen ^ 1];
    for (u32 i = 0; i < running.GetCount(); ++i)
        if (running[i] == field)
            running[i] = nullptr;
}
} // namespace

TNxHeightField::TNxHeightField()
    : m_nState(0), m_pHeightField(nullptr), m_pShape(nullptr), m_pActor(nullptr), m_UserData{COLLISION_USER_HEIGHTFIELD, this}
{
}

void TNxHeightField::Build(const TMatrix& place, u32 rows, u32 columns, const f32* extents, void* samples, u32 spare)
{
    DropRelease();
    TRequests& r = Requests();
    r.Lock.Enter();
    if (m_nState & HEIGHT_FIELD_BUILD_PENDING)
    {
        r.Lock.Leave();
        MemoryFree(samples);
        return;
    }
    m_nState |= HEIGHT_FIELD_BUILD_PENDING;
    TBuildRecord record{this, place, rows, columns, {extents[0], extents[1], extents[2], extents[3]}, samples, spare};
    r.aBuild[r.nOpen].Add(record);
    r.Lock.Leave();
}

void TNxHeightField::Release()
{
    TRequests& r = Requests();
    r.Lock.Enter();
    if (m_nState & HEIGHT_FIELD_BUILD_PENDING)
    {
        m_nState &= ~HEIGHT_FIELD_BUILD_PENDING;
        CancelBuild(r, this);
    }
    if (IsBuilt() && !(m_nState & HEIGHT_FIELD_RELEASE_PENDING))
    {
        m_nState |= HEIGHT_FIELD_RELEASE_PENDING;
        r.aRelease[r.nOpen].Add(this);
    }
    r.Lock.Leave();
}

void TNxHeightField::DropRelease()
{
    TRequests& r = Requests();
    r.Lock.Enter();
    if (m_nState & HEIGHT_FIELD_RELEASE_PENDING)
    {
        m_nState &= ~HEIGHT_FIELD_RELEASE_PENDING;
        CancelRelease(r, this);
    }
    r.Lock.Leave();
}

void TNxHeightField::ProcessRequests()
{
    TRequests& r = Requests();
    r.Lock.Enter();
    const u32 running = r.nOpen;
    r.nOpen ^= 1;
    r.Lock.Leave();
    CarryOut(r, r.aRelease[running], [](TNxHeightField*& field) {
        if (!field)
            return;
        field->m_nState &= ~HEIGHT_FIELD_RELEASE_PENDING;
        field->ReleaseObjects();
        field = nullptr;
    });
    CarryOut(r, r.aBuild[running], [](TBuildRecord& record) {
        if (!record.pField)
            return;
        record.pField->BuildNow(record);
        record.pField = nullptr;
    });
}

void TNxHeightField::DropRequests(TNxHeightField* first, u32 count)
{
    auto dropped = [first, count](const TNxHeightField* field) {
        return field && (!first || (field >= first && field < first + count));
    };
    TRequests& r = Requests();
    r.Lock.Enter();
    for (TBuildQueue& queue : r.aBuild)
        for (u32 i = 0; i < queue.GetCount(); ++i)
            if (dropped(queue[i].pField))
            {
                MemoryFree(queue[i].pSamples);
                queue[i].pField->m_nState &= ~HEIGHT_FIELD_BUILD_PENDING;
                queue[i].pField = nullptr;
            }
    for (TReleaseQueue& queue : r.aRelease)
        for (u32 i = 0; i < queue.GetCount(); ++i)
            if (dropped(queue[i]))
            {
                queue[i]->m_nState &= ~HEIGHT_FIELD_RELEASE_PENDING;
                queue[i] = nullptr;
            }
    r.Lock.Leave();
}

void TNxHeightField::ReleaseObjects()
{
    if (m_pActor)
        m_pActor->getScene().releaseActor(*m_pActor);
    if (m_pHeightField)
        g_pNxDynamicsManager->GetSDK()->releaseHeightField(*m_pHeightField);
    m_pActor = nullptr;
    m_pShape = nullptr;
    m_pHeightField = nullptr;
}

void TNxHeightField::BuildNow(const TBuildRecord& record)
{
    ReleaseObjects();
    m_nState &= ~HEIGHT_FIELD_BUILD_PENDING;
    m_UserData = {COLLISION_USER_HEIGHTFIELD, this};
    NxScene* scene = g_pNxDynamicsManager->GetScene();
    if (!scene || record.nRows == 0 || record.nColumns == 0)
    {
        if (scene)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TNxHeightField::Build(): error: ", "%u x %u samples: nothing built",
                        record.nRows, record.nColumns);
        MemoryFree(record.pSamples);
        return;
    }
    NxHeightFieldDesc desc;
    desc.nbRows = record.nRows;
    desc.nbColumns = record.nColumns;
    desc.format = NX_HF_S16_TM;
    desc.sampleStride = 4;
    desc.samples = record.pSamples;
    desc.verticalExtent = 0.0f;
    desc.thickness = HEIGHT_FIELD_THICKNESS;
    desc.convexEdgeThreshold = 0.0f;
    desc.flags = 0;
    m_pHeightField = g_pNxDynamicsManager->GetSDK()->createHeightField(desc);
    MemoryFree(record.pSamples);
    NxHeightFieldShapeDesc shape;
    shape.heightField = m_pHeightField;
    shape.userData = &m_UserData;
    shape.groupsMask.bits0 = HEIGHT_FIELD_GROUPS_MASK;
    shape.groupsMask.bits1 = shape.groupsMask.bits2 = shape.groupsMask.bits3 = 0;
    shape.heightScale = record.aExtent[1] / 65535.0f;
    shape.rowScale = record.aExtent[0] / static_cast<f32>(record.nRows);
    shape.columnScale = record.aExtent[2] / static_cast<f32>(record.nColumns);
    shape.materialIndexHighBits = 0;
    shape.holeMaterial = HEIGHT_FIELD_HOLE_MATERIAL;
    shape.meshFlags = HEIGHT_FIELD_MESH_FLAGS;
    NxActorDesc actor;
    actor.globalPose.setRowMajor44(&record.Place.aRow[0].x);
    actor.shapes.push_back(&shape);
    actor.userData = &m_UserData;
    m_pActor = scene->createActor(actor);
    m_pShape = m_pActor ? m_pActor->getShapes()[0] : nullptr;
}

TNxHeightFieldArray::TNxHeightFieldArray() : m_pNextArray(First())
{
    First() = this;
}

TNxHeightFieldArray::~TNxHeightFieldArray()
{
    TNxHeightFieldArray** link = &First();
    while (*link != this)
        link = &(*link)->m_pNextArray;
    *link = m_pNextArray;
}

TNxHeightFieldArray*& TNxHeightFieldArray::First()
{
    static TNxHeightFieldArray* s_pFirst = nullptr;
    return s_pFirst;
}

void TNxHeightFieldArray::ForgetScene()
{
    for (TNxHeightFieldArray* array = First(); array; array = array->m_pNextArray)
        for (u32 i = 0; i < array->m_aField.GetCount(); ++i)
        {
            TNxHeightField& field = array->m_aField[i];
            field.DropRelease();
            field.ReleaseObjects();
        }
}

TNxHeightField* TNxHeightFieldArray::Create()
{
    const u32 count = m_aField.GetCount();
    if (count >= HEIGHT_FIELD_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxHeightFieldArray::Create(): error: ",
                    "all %u height fields are in use: request refused", HEIGHT_FIELD_CAPACITY);
        return nullptr;
    }
    m_aField.SetCount(count + 1);
    return &m_aField[count];
}

void TNxHeightFieldArray::Clear()
{
    const u32 count = m_aField.GetCount();
    if (count == 0)
        return;
    TNxHeightField::DropRequests(&m_aField[0], count);
    for (u32 i = 0; i < count; ++i)
        m_aField[i].ReleaseObjects();
    m_aField.SetCount(0);
}
