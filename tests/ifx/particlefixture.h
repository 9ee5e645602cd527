#pragma once
// The particle manager without a device: a camera at the origin looking along +Z made current,
// the shared generator seeded the same way for every test. Every object a test made goes at its end with a cluster clear, while the
// test's nodes still stand.
#include "core/cluster/cluster.h"
#include "core/math/random.h"
#include "directx/render/dxcameramanager.h"
#include "engine/render/camera.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/particle.h"

#include <gtest/gtest.h>

class ParticleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static const bool s_bOpen = [] {
            // Objects join nodes only while the manager system is open.
            g_ManagerManager.Initialize();
            g_pCluster->LinkTypes();
            return true;
        }();
        (void)s_bOpen;
        TRandom::Shared().Seed(2024);
        Manager().SetEnabled(1);
        Manager().SetLODFactor(1.0f);
        Manager().Suspend(1, 1);
        m_Eye.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        m_Eye.AddObject(&m_Camera);
        m_Camera.UpdateView();
        g_pDxCameraManager->SetCamera(&m_Camera);
        m_Node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
    }
    void TearDown() override
    {
        Manager().Flush();
        g_pCluster->Clear();
        g_pDxCameraManager->SetCamera(nullptr);
    }

    static TIFXParticleManager& Manager() { return *static_cast<TIFXParticleManager*>(g_pParticleManager); }

    // Emitter data with a one-second point emission straight up at 1 unit a second.
    TIParticleEmitterData* MakeData(const char* name, i32 maxParticles = 64)
    {
        const u32 id = TName(name, true).GetId();
        auto* data = static_cast<TIParticleEmitterData*>(Manager().CreateEmitterData(&id));
        data->m_nMaxParticles = maxParticles;
        data->Lifetime = {1.0f, 0.0f};
        data->Speed = {1.0f, 0.0f};
        data->TimeScale = {1.0f, 0.0f};
        data->aScale[0] = data->aScale[1] = {1.0f, 0.0f};
        return data;
    }

    // An emitter of the data on the test's node, with its system.
    TIParticleSystem* MakeSystem(TIParticleEmitterData* data, TNode* node = nullptr)
    {
        TParticleEmitter* emitter = Manager().CreateEmitter(node ? node : &m_Node, data);
        return static_cast<TIParticleSystem*>(Manager().CreateSystem(emitter));
    }

    static TIParticleEmitter* EmitterOf(TParticleSystem* system)
    {
        return static_cast<TIParticleEmitter*>(system->pEmitter);
    }

    static i32 LiveCount(TParticleSystem* system)
    {
        i32 live = 0;
        for (i32 i = 0; i < system->aParticle.GetCount(); ++i)
            live += system->aParticle[i].IsFree() ? 0 : 1;
        return live;
    }

    TNode m_Eye;
    TCamera m_Camera;
    TNode m_Node;
};
