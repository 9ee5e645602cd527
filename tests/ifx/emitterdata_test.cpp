// Emitter data and animations: their stored layouts, parameters and their propagation, textures
// through sub-emitters (a cycle of stored links included), force areas and the cuts of loaded
// counts.
#include "particlefixture.h"

#include "core/cluster/clustertypedecl.h"
#include "core/system/log.h"
#include "ifx/particletypes.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
class TLines : public TLogListener
{
public:
    TLines() { g_pSystemLog->SetListener(this); }
    ~TLines() override { g_pSystemLog->SetListener(nullptr); }
    void OnLogLine(u32, const char* text) override { lines.push_back(text); }
    bool Has(const std::string& text) const
    {
        for (const std::string& line : lines)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
    std::vector<std::string> lines;
};

using EmitterDataTest = ParticleTest;
} // namespace

TEST_F(EmitterDataTest, StoredLayoutsAndDescriptors)
{
    EXPECT_EQ(ParticleEmitterDataDecl().GetObjectSize(), 788u);
    EXPECT_EQ(ParticleEmitterDataDecl().GetTypeId(), 85u);
    EXPECT_EQ(ParticleEmitterDataDecl().GetMemberCount(), 6u);
    EXPECT_EQ(ParticleEmitterAnimationDecl().GetObjectSize(), 6388u);
    EXPECT_EQ(ParticleEmitterAnimationDecl().GetTypeId(), 86u);
    ASSERT_EQ(ParticleEmitterAnimationDecl().GetMemberCount(), 50u);
    // Frame 0's texture links, named after the data they belong to.
    const TClusterMemberDecl& texture = ParticleEmitterAnimationDecl().GetMember(4);
    EXPECT_EQ(texture.nOffset, 84u + 436u);
    EXPECT_STREQ(texture.szName, "TParticleEmitterData::aTexture");
    const TClusterMemberDecl& last = ParticleEmitterAnimationDecl().GetMember(49);
    EXPECT_EQ(last.nOffset, 84u + 7u * 788u + 776u);
    EXPECT_EQ(ParticleEmitterDecl().GetObjectSize(), 156u);
    EXPECT_EQ(ParticleEmitterDecl().GetTypeId(), 87u);
    EXPECT_EQ(ParticleGlobalAreaDecl().GetObjectSize(), 68u);
    EXPECT_EQ(ParticleGlobalAreaDecl().GetTypeId(), 88u);
    EXPECT_EQ(ParticleSystemDecl().GetObjectSize(), 252u);
    EXPECT_EQ(ParticleSystemDecl().GetTypeId(), 89u);
    EXPECT_EQ(ParticleNodeSystemDecl().GetObjectSize(), 164u);
    EXPECT_EQ(ParticleNodeSystemDecl().GetTypeId(), 90u);
    EXPECT_EQ(ParticleNodeSystemDecl().GetMember(9).nOffset, 160u);

    // A new data's defaults.
    TIParticleEmitterData data;
    EXPECT_EQ(data.m_fBaseVelocityScale, 1.0f);
    EXPECT_EQ(data.m_BaseVelocity.w, 1.0f);
    EXPECT_EQ(data.m_fRateScale, 1.0f);
    EXPECT_EQ(data.m_fLodStart, 40.0f);
    EXPECT_EQ(data.m_fLodScale, 10.0f);
    EXPECT_EQ(data.m_nFlags, 0u);
    EXPECT_EQ(data.m_nSubEmitterCount, 0);
    TIParticleEmitter emitter;
    for (u32 i = 0; i < PARTICLE_MULTIPLIER_COUNT; ++i)
        EXPECT_EQ(emitter.GetMultiplier(i), 1.0f);
    EXPECT_FALSE(emitter.IsRunning());
}

TEST_F(EmitterDataTest, SetParameterMarksChangesAndPropagatesOneLevel)
{
    TIParticleEmitterData* data = MakeData("parent");
    TIParticleEmitterData* first = MakeData("first");
    TIParticleEmitterData* second = MakeData("second");
    data->aSubEmitter[0] = first;
    data->aSubEmitter[1] = second;
    data->m_nSubEmitterCount = 2;
    const f32 value = 7.0f;

    // Ids outside 1 to 19 change nothing but the mark.
    for (i32 id : {0, 20})
    {
        data->m_nFlags = 0;
        EXPECT_EQ(data->SetParameter(id, &value, 1.0f, 1), 2);
        EXPECT_EQ(data->m_nFlags, PARTICLE_PARAMETER_CHANGED);
        EXPECT_EQ(first->m_nFlags & PARTICLE_PARAMETER_CHANGED, 0u);
    }
    // Id 4 is nothing, and answers 1.
    EXPECT_EQ(data->SetParameter(PARTICLE_PARAMETER_NONE, &value, 1.0f, 1), 1);

    // The rate with propagation: all three records, each marked as changed.
    EXPECT_EQ(data->SetParameter(PARTICLE_PARAMETER_RATE, &value, 3.0f, 1), 2);
    for (TIParticleEmitterData* record : {data, first, second})
    {
        EXPECT_EQ(record->Rate.fBase, 7.0f);
        EXPECT_EQ(record->Rate.fSpread, 3.0f);
        EXPECT_NE(record->m_nFlags & PARTICLE_RATE_CHANGED, 0u);
    }
    const f32 scale = 0.5f;
    data->SetParameter(PARTICLE_PARAMETER_RATE_SCALE, &scale, 0.0f, 0);
    EXPECT_EQ(data->GetParameter(PARTICLE_PARAMETER_RATE_SCALE), 0.5f);
    EXPECT_EQ(first->m_fRateScale, 1.0f);

    // The base velocity, scaled by the data's scale, its w as given.
    data->m_fBaseVelocityScale = 2.0f;
    const f32 velocity[4] = {1.0f, -2.0f, 3.0f, 0.25f};
    data->SetParameter(PARTICLE_PARAMETER_BASE_VELOCITY, velocity, 0.0f, 0);
    EXPECT_EQ(data->m_BaseVelocity.x, 2.0f);
    EXPECT_EQ(data->m_BaseVelocity.y, -4.0f);
    EXPECT_EQ(data->m_BaseVelocity.z, 6.0f);
    EXPECT_EQ(data->m_BaseVelocity.w, 0.25f);
    EXPECT_EQ(first->m_BaseVelocity.x, 0.0f);

    // The pairs each id sets; a sub parameter reaches only the sub-emitter named.
    const std::pair<i32, TParticleRange TParticleEmitterData::*> pairs[] = {
        {PARTICLE_PARAMETER_CONE, &TParticleEmitterData::ConeAngle},
        {PARTICLE_PARAMETER_START_DELAY, &TParticleEmitterData::StartDelay},
        {PARTICLE_PARAMETER_PRE_ADVANCE, &TParticleEmitterData::PreAdvance},
        {PARTICLE_PARAMETER_START_BURST, &TParticleEmitterData::StartBurst},
        {PARTICLE_PARAMETER_TIME_SCALE, &TParticleEmitterData::TimeScale},
        {PARTICLE_PARAMETER_LIFETIME, &TParticleEmitterData::Lifetime},
        {PARTICLE_PARAMETER_SPEED, &TParticleEmitterData::Speed},
        {PARTICLE_PARAMETER_SPIN, &TParticleEmitterData::Spin},
        {PARTICLE_PARAMETER_ACCELERATION, &TParticleEmitterData::Acceleration}};
    for (const auto& [id, member] : pairs)
    {
        EXPECT_EQ(data->SetSubParameter(id, 2, &value, 9.0f), 2);
        EXPECT_EQ((second->*member).fBase, 7.0f) << id;
        EXPECT_EQ((second->*member).fSpread, 9.0f) << id;
        EXPECT_NE((data->*member).fSpread, 9.0f) << id;
    }
    EXPECT_EQ(data->SetSubParameter(PARTICLE_PARAMETER_SPEED, 3, &value, 0.0f), 2);

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (i32 id : {5, 10, 11, 16, 18, 19})
        EXPECT_DEATH(data->SetParameter(id, &value, 0.0f, 0), "unimplemented") << id;
    EXPECT_DEATH(data->GetParameter(3), "unimplemented");
}

TEST_F(EmitterDataTest, TexturesReachEverySubEmitterOnceEvenThroughACycle)
{
    TIParticleEmitterData* top = MakeData("top");
    TIParticleEmitterData* middle = MakeData("middle");
    TIParticleEmitterData* bottom = MakeData("bottom");
    top->aSubEmitter[0] = middle;
    top->m_nSubEmitterCount = 1;
    middle->aSubEmitter[0] = bottom;
    middle->m_nSubEmitterCount = 1;
    // The stored links lead back to the top.
    bottom->aSubEmitter[0] = top;
    bottom->m_nSubEmitterCount = 1;
    auto* texture = reinterpret_cast<TTexture*>(0x1000);
    top->SetTexture(texture, 1);
    for (TIParticleEmitterData* data : {top, middle, bottom})
    {
        EXPECT_EQ(data->GetTexture(1), texture);
        EXPECT_EQ(data->GetTexture(0), nullptr);
    }
    top->SetTexture(texture, 3);
    EXPECT_EQ(top->GetTexture(3), nullptr);

    // Nine levels of sub-emitters: the ninth is below the walk's depth.
    std::vector<TIParticleEmitterData*> chain{top};
    top->m_nSubEmitterCount = 0;
    for (int level = 1; level <= 9; ++level)
    {
        TIParticleEmitterData* next = MakeData(("level" + std::to_string(level)).c_str());
        chain.back()->aSubEmitter[0] = next;
        chain.back()->m_nSubEmitterCount = 1;
        chain.push_back(next);
    }
    top->SetTexture(texture, 2);
    EXPECT_EQ(chain[8]->GetTexture(2), texture);
    EXPECT_EQ(chain[9]->GetTexture(2), nullptr);
}

TEST_F(EmitterDataTest, AreasStopAtFourAndLoadedCountsAreCut)
{
    TIParticleEmitterData* data = MakeData("areas");
    const f32 offset[4] = {1.0f, 2.0f, 3.0f, 1.0f};
    for (u32 i = 0; i < PARTICLE_AREA_CAPACITY; ++i)
    {
        const u32 id = 100 + i;
        TParticleAreaRecord* area = data->AddArea(&id, PARTICLE_AREA_PULL, offset, 5.0f, 2.0f);
        ASSERT_NE(area, nullptr);
        EXPECT_EQ(area->nId, id);
        EXPECT_EQ(area->aOffset[2], 3.0f);
        EXPECT_EQ(area->nAxisMask, 0u);
    }
    EXPECT_EQ(data->GetAreaCount(), 4);
    TLines lines;
    const u32 fifth = 104;
    EXPECT_EQ(data->AddArea(&fifth, PARTICLE_AREA_PULL, offset, 5.0f, 2.0f), nullptr);
    EXPECT_EQ(data->GetAreaCount(), 4);
    EXPECT_TRUE(lines.Has("a fifth force area refused"));

    // What a damaged image may hold: each count cut with a line, the last accepted kept.
    data->m_nAreaCount = 4;
    data->m_nSubEmitterCount = 16;
    data->m_nMaxParticles = -PARTICLE_MAX_PARTICLES;
    lines.lines.clear();
    data->CheckLoaded();
    EXPECT_TRUE(lines.lines.empty());
    EXPECT_EQ(data->GetParticleCapacity(), PARTICLE_MAX_PARTICLES);
    data->m_nAreaCount = 5;
    data->m_nSubEmitterCount = 17;
    data->m_nMaxParticles = PARTICLE_MAX_PARTICLES + 1;
    data->CheckLoaded();
    EXPECT_EQ(data->m_nAreaCount, 4);
    EXPECT_EQ(data->m_nSubEmitterCount, 16);
    EXPECT_EQ(data->m_nMaxParticles, PARTICLE_MAX_PARTICLES);
    EXPECT_TRUE(lines.Has("17 sub-emitters cut to 16"));
    EXPECT_TRUE(lines.Has("5 force areas cut to 4"));
    EXPECT_TRUE(lines.Has("65537 particles cut to 65536"));
    data->m_nSubEmitterCount = -3;
    data->m_nMaxParticles = INT32_MIN;
    data->CheckLoaded();
    EXPECT_EQ(data->m_nSubEmitterCount, 0);
    EXPECT_EQ(data->m_nMaxParticles, -PARTICLE_MAX_PARTICLES);
}

TEST_F(EmitterDataTest, AnimationAccessorsAndTheUnbuiltPlayback)
{
    const u32 id = TName("animation", true).GetId();
    auto* animation = static_cast<TIParticleEmitterAnimation*>(Manager().CreateEmitterAnimation(&id));
    EXPECT_EQ(animation->m_Name.GetId(), id);
    EXPECT_EQ(animation->GetFrameDuration(), 15.0f);
    EXPECT_EQ(animation->GetPosition(), 0.0f);
    // Without frames a duration has nothing to divide into.
    animation->SetDuration(30.0f);
    EXPECT_EQ(animation->GetFrameDuration(), 15.0f);
    animation->m_nFrameCount = 8;
    animation->SetDuration(30.0f);
    EXPECT_FLOAT_EQ(animation->GetFrameDuration(), 3.75f);
    EXPECT_FLOAT_EQ(animation->GetDuration(), 30.0f);
    animation->SetTime(7.5f);
    EXPECT_FLOAT_EQ(animation->GetPosition(), 2.0f);
    EXPECT_FLOAT_EQ(animation->GetTime(), 7.5f);
    animation->m_nFlags = PARTICLE_ANIMATION_LOOPING;
    EXPECT_FALSE(animation->IsPlaying());
    EXPECT_TRUE(animation->IsLooping());
    EXPECT_EQ(animation->GetFrameCount(), 8);

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(animation->Play(), "unimplemented");
    EXPECT_DEATH(animation->Stop(), "unimplemented");
    EXPECT_DEATH(animation->Pause(), "unimplemented");
    EXPECT_DEATH(animation->SetLoop(1), "unimplemented");
    EXPECT_DEATH(animation->GetCurrentFrameData(), "unimplemented");
    TIParticleEmitter emitter;
    EXPECT_DEATH(emitter.AssignAnimationData(animation), "unimplemented");
}
