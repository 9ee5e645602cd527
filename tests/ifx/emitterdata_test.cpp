// Emitter data: their stored layouts, parameters and their propagation, textures through
// sub-emitters (a cycle of stored links included), force areas and the cuts of loaded counts.
#include "particlefixture.h"

#include "core/cluster/clustertypedecl.h"
#include "igame/effects/vegetation/loglines.h"
#include "ifx/particletypes.h"

#include <string>
#include <tuple>
#include <vector>

using EmitterDataTest = ParticleTest;

TEST_F(EmitterDataTest, StoredLayoutsAndDescriptors)
{
    const struct
    {
        const TClusterTypeDecl& decl;
        u32 size, typeId;
    } records[] = {{ParticleEmitterDataDecl(), 788, 85}, {ParticleEmitterAnimationDecl(), 6388, 86},
                   {ParticleEmitterDecl(), 156, 87},     {ParticleGlobalAreaDecl(), 68, 88},
                   {ParticleSystemDecl(), 252, 89},      {ParticleNodeSystemDecl(), 164, 90}};
    for (const auto& record : records)
    {
        EXPECT_EQ(record.decl.GetObjectSize(), record.size) << record.typeId;
        EXPECT_EQ(record.decl.GetTypeId(), record.typeId);
    }
    EXPECT_EQ(ParticleEmitterDataDecl().GetMemberCount(), 6u);
    ASSERT_EQ(ParticleEmitterAnimationDecl().GetMemberCount(), 50u);
    // Where stored links lie: frame 0's texture links (named after the data they belong to), the
    // last frame's sound, an emitter's system, a system's sub-systems, a node system's driver.
    const std::tuple<const TClusterTypeDecl&, u32, u32> links[] = {
        {ParticleEmitterAnimationDecl(), 4, 84 + 436}, {ParticleEmitterAnimationDecl(), 49, 84 + 7 * 788 + 776},
        {ParticleEmitterDecl(), 3, 44}, {ParticleSystemDecl(), 2, 188}, {ParticleNodeSystemDecl(), 9, 160}};
    for (const auto& [decl, member, offset] : links)
        EXPECT_EQ(decl.GetMember(member).nOffset, offset) << decl.GetName() << " " << member;
    EXPECT_STREQ(ParticleEmitterAnimationDecl().GetMember(4).szName, "TParticleEmitterData::aTexture");
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

    // Ids outside 1 to 19 change nothing but the mark; id 4 is nothing, and answers 1.
    for (i32 id : {0, 20})
    {
        data->m_nFlags = 0;
        EXPECT_EQ(data->SetParameter(id, &value, 1.0f, 1), 2);
        EXPECT_EQ(data->m_nFlags, PARTICLE_PARAMETER_CHANGED);
        EXPECT_EQ(first->m_nFlags & PARTICLE_PARAMETER_CHANGED, 0u);
    }
    EXPECT_EQ(data->SetParameter(PARTICLE_PARAMETER_NONE, &value, 1.0f, 1), 1);

    // The rate with propagation: all three records, each marked as changed.
    EXPECT_EQ(data->SetParameter(PARTICLE_PARAMETER_RATE, &value, 3.0f, 1), 2);
    for (TIParticleEmitterData* record : {data, first, second})
    {
        EXPECT_EQ(std::pair(record->Rate.fBase, record->Rate.fSpread), std::pair(7.0f, 3.0f));
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
    const TVector& base = data->m_BaseVelocity;
    EXPECT_EQ(std::vector<f32>({base.x, base.y, base.z, base.w}), std::vector<f32>({2.0f, -4.0f, 6.0f, 0.25f}));
    EXPECT_EQ(first->m_BaseVelocity.x, 0.0f);

    // The pairs each id sets; a sub parameter reaches only the sub-emitter named, sub 0 only the
    // data itself.
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
        EXPECT_EQ(std::pair((second->*member).fBase, (second->*member).fSpread), std::pair(7.0f, 9.0f)) << id;
        EXPECT_NE((data->*member).fSpread, 9.0f) << id;
        EXPECT_EQ(data->SetSubParameter(id, 0, &value, 8.0f), 2);
        EXPECT_EQ((data->*member).fSpread, 8.0f) << id;
        EXPECT_EQ((second->*member).fSpread, 9.0f) << id;
    }
    EXPECT_EQ(data->SetSubParameter(PARTICLE_PARAMETER_SPEED, 3, &value, 0.0f), 2);
}

TEST_F(EmitterDataTest, TexturesReachEverySubEmitterOnceEvenThroughACycle)
{
    TIParticleEmitterData* top = MakeData("top");
    TIParticleEmitterData* middle = MakeData("middle");
    TIParticleEmitterData* bottom = MakeData("bottom");
    // The stored links lead back to the top.
    const auto link = [](TIParticleEmitterData* from, TIParticleEmitterData* to) {
        from->aSubEmitter[0] = to;
        from->m_nSubEmitterCount = 1;
    };
    link(top, middle);
    link(middle, bottom);
    link(bottom, top);
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
    for (int level = 1; level <= 9; ++level)
    {
        chain.push_back(MakeData(("level" + std::to_string(level)).c_str()));
        link(chain[level - 1], chain.back());
    }
    top->SetTexture(texture, 2);
    EXPECT_EQ(chain[8]->GetTexture(2), texture);
    EXPECT_EQ(chain[9]->GetTexture(2), nullptr);
}

TEST_F(EmitterDataTest, AreasStopAtFourAndLoadedCountsAreCut)
{
    TIParticleEmitterData* data = MakeData("areas");
    const f32 offset[4] = {1.0f, 2.0f, 3.0f, 1.0f};
    TLogLines lines;
    for (u32 id = 100; id < 105; ++id)
    {
        TParticleAreaRecord* area = data->AddArea(&id, PARTICLE_AREA_PULL, offset, 5.0f, 2.0f);
        EXPECT_EQ(area != nullptr, id < 104) << id;
        EXPECT_EQ(area ? area->nId : id, id);
        EXPECT_EQ(data->GetAreaCount(), std::min<i32>(id - 99, 4));
    }
    EXPECT_EQ(lines.Count("a fifth force area refused"), 1u);

    // What a damaged image may hold: each count cut with a line, the last accepted kept.
    const struct
    {
        i32 areas, subs, particles;
        i32 areasKept, subsKept, particlesKept;
        std::vector<const char*> said;
    } cases[] = {
        {4, 16, -PARTICLE_MAX_PARTICLES, 4, 16, -PARTICLE_MAX_PARTICLES, {}},
        {5, 17, PARTICLE_MAX_PARTICLES + 1, 4, 16, PARTICLE_MAX_PARTICLES,
         {"17 sub-emitters cut to 16", "5 force areas cut to 4", "65537 particles cut to 65536"}},
        {-1, -3, INT32_MIN, 0, 0, -PARTICLE_MAX_PARTICLES, {"-3 sub-emitters cut to 0"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.particles);
        data->m_nAreaCount = c.areas;
        data->m_nSubEmitterCount = c.subs;
        data->m_nMaxParticles = c.particles;
        lines.lines.clear();
        data->CheckLoaded();
        EXPECT_EQ(std::vector<i32>({data->m_nAreaCount, data->m_nSubEmitterCount, data->m_nMaxParticles}),
                  std::vector<i32>({c.areasKept, c.subsKept, c.particlesKept}));
        EXPECT_EQ(data->GetParticleCapacity(), PARTICLE_MAX_PARTICLES);
        EXPECT_TRUE(!c.said.empty() || lines.lines.empty());
        for (const char* line : c.said)
            EXPECT_EQ(lines.Count(line), 1u) << line;
    }
}
