// Feeds arbitrary emitter-data images to the particle module as a loaded cluster hands them over:
// the image's bytes over three data records (whose links name one another, so cycles and deep
// chains come up), the load's checks, the effect spawned and listed, run for a few frames and
// drawn into quads; then SetParameter calls read from the rest of the input. Counts, pairs and
// modes come from files: they must be cut or refused, never crash, loop without end, read
// outside an array, allocate without bound or convert a float no integer holds.
#include "core/math/random.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "directx/render/dxcameramanager.h"
#include "engine/render/camera.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/particlequad.h"
#include "ifx/particlevertexstream.h"

#include <csignal>
#include <cstring>
#include <vector>

namespace
{
constexpr u32 RECORDS = 3;
constexpr u32 IMAGE = sizeof(TParticleEmitterData) - sizeof(TResource);
// A SetParameter call: id, sub index, four floats, b.
constexpr u32 CALL = 2 + 5 * 4;
constexpr u32 CALL_LIMIT = 64;
constexpr u32 FRAMES = 8;

TNode* s_pNode = nullptr;
TNode* s_pEye = nullptr;
TCamera* s_pCamera = nullptr;

void SetUp()
{
    if (s_pNode)
        return;
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    // Threads made here leave libFuzzer's time-out signal to this thread, which alone acts on it.
    sigset_t alarm, mask;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm, &mask);
    g_ManagerManager.Initialize();
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    s_pNode = new TNode();
    s_pEye = new TNode();
    s_pCamera = new TCamera();
    TMatrix eye(1.0f);
    eye.aRow[3] = TVector(0.0f, 2.0f, -20.0f, 1.0f);
    s_pEye->SetLocalMatrix(eye, TNode::OrdinaryCause());
    s_pEye->AddObject(s_pCamera);
    s_pCamera->UpdateView();
    g_pDxCameraManager->SetCamera(s_pCamera);
}

TIFXParticleManager& Manager()
{
    return *static_cast<TIFXParticleManager*>(g_pParticleManager);
}

// A stored link word as the load leaves it: null, or one of the records.
TParticleEmitterData* Link(const std::vector<TIParticleEmitterData*>& records, u32 word)
{
    return word % (RECORDS + 1) == RECORDS ? nullptr : records[word % (RECORDS + 1)];
}

bool AbortsByDesign(i32 id)
{
    return id == 5 || id == 10 || id == 11 || id == 16 || id == 18 || id == 19;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUp();
    TRandom::Shared().Seed(static_cast<u32>(size));
    std::vector<TIParticleEmitterData*> records;
    for (u32 r = 0; r < RECORDS; ++r)
    {
        const u32 id = 85 + r;
        records.push_back(static_cast<TIParticleEmitterData*>(Manager().CreateEmitterData(&id)));
    }
    // The images, one after another (short inputs leave the defaults); links name records.
    for (u32 r = 0; r < RECORDS; ++r)
    {
        TIParticleEmitterData* record = records[r];
        const size_t at = r * IMAGE;
        if (at < size)
            std::memcpy(reinterpret_cast<u8*>(record) + sizeof(TResource), data + at,
                        size - at < IMAGE ? size - at : IMAGE);
        u32 word = r;
        for (TTexture*& texture : record->aTexture)
            texture = nullptr;
        record->pSoundData = nullptr;
        record->pEmitEmitter = Link(records, word++ ^ record->m_nShape);
        for (TParticleEmitterData*& sub : record->aSubEmitter)
            sub = Link(records, word++ + record->m_nLifeMode);
        record->CheckLoaded();
    }
    const size_t used = RECORDS * IMAGE < size ? RECORDS * IMAGE : size;

    // The effect as a listed system and as a spawned one (with its sub-effects), run and drawn.
    TParticleEmitter* emitter = Manager().CreateEmitter(s_pNode, records[0]);
    auto* system = static_cast<TIParticleSystem*>(Manager().CreateSystem(emitter));
    system->Start();
    const TMatrix at(1.0f);
    Manager().SpawnEffect(records[0], nullptr, nullptr, nullptr, &at, s_pNode);
    TParticleVertex quad[PARTICLE_QUAD_VERTICES];
    for (u32 frame = 0; frame < FRAMES; ++frame)
    {
        Manager().Update(0.05f);
        const TParticleQuadWriter writer(*records[0], *s_pNode->GetWorldMatrix(), *s_pCamera, nullptr);
        for (i32 i = 0; i < system->aParticle.GetCount(); ++i)
            if (!system->aParticle[i].IsFree())
                writer.Write(system->aParticle[i], quad);
    }

    // SetParameter calls, as game code and node-system drivers make them.
    for (size_t at = used, calls = 0; at + CALL <= size && calls < CALL_LIMIT; at += CALL, ++calls)
    {
        const i32 id = static_cast<i8>(data[at]);
        const i32 sub = data[at + 1] % 20;
        f32 values[5];
        std::memcpy(values, data + at + 2, sizeof values);
        if (AbortsByDesign(id))
            continue;
        if (sub == 19)
            records[0]->SetParameter(id, values, values[4], 1);
        else
            records[0]->SetSubParameter(id, sub, values, values[4]);
        Manager().Update(0.05f);
    }

    Manager().Flush();
    // What the test made goes, as a cluster clear takes it.
    Manager().SetArray(87, nullptr, 0);
    Manager().SetArray(89, nullptr, 0);
    Manager().SetArray(85, nullptr, 0);
    return 0;
}
