#include "igame/effects/dynamicweathermanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/render/camera.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/light.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shader.h"
#include "engine/render/shaderlink.h"
#include "engine/render/texture.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/effectsettings.h"
#include "igame/effects/weathervertex.h"

#include <algorithm>
#include <cmath>
#include <cstring>

TDynamicWeatherManager* g_pDynamicWeatherManager = nullptr;

namespace
{
TDynamicWeatherManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("DynamicWeather", "DynamicWeather", &g_pDynamicWeatherManager, &s_Manager);

TDeferredVariable s_DynamicWeather("effect_dynamicweather");
TDeferredVariable s_DetailLevel("device_detaillevel");
TShaderLink s_WeatherShader("Shader_dynamicweather");

// Keep the render manager's target, attach the depth buffer: the particles are depth-tested.
constexpr u32 WEATHER_PASS_FLAGS = PIPELINE_KEEP_TARGET | PASS_ATTACH_DEPTH;
constexpr u32 PARTICLE_VERTICES = 4;
constexpr u32 PARTICLE_INDICES = 6;

constexpr f32 PARAMETER_START[WEATHER_PARAMETERS] = {8.0f, 0.0f, 0.05f, 0.5f, 0.0f, 0.0f, 30.0f, 80.0f};
constexpr f32 CURRENT_START[WEATHER_PARAMETERS] = {1.5f, 15.0f, 0.04f, 0.04f, 0.3f, 5.0f, 30.0f, 80.0f};
constexpr i32 PHASE_START[3] = {0, 10000, 20000};
// Noise units the wind's phases move a second (16.16 fixed point).
constexpr f32 PHASE_RATE = 5000.0f;
constexpr f32 WIND_SHARE = 0.25f;
constexpr f32 SPEED_FACTOR_LOW = 0.75f;
constexpr f32 SPEED_FACTOR_SPAN = 0.5f;
// With no box the shader's box lies this far away.
constexpr f32 FAR_BOX = -10000.0f;
constexpr f32 FADE_SHARE = 0.2f;
constexpr f32 FADE_LEAST = 0.2f;
constexpr f32 SIZE_SCALE = 0.56232184f;
// The volume is centred this far ahead of the eye; vector 18 is the Z axis times 60 x 0.3.
constexpr f32 AHEAD = 30.0f;
constexpr f32 AHEAD_VECTOR = WEATHER_CELL * 0.3f;
constexpr f32 PI = 3.14159265f;

f32 Wrap(f32 value)
{
    if (value > WEATHER_CELL)
        return 0.0f;
    if (value < 0.0f)
        return WEATHER_CELL;
    return value;
}

f32 Modulo(f32 value)
{
    const f32 m = std::fmod(value, WEATHER_CELL);
    return m < 0.0f ? m + WEATHER_CELL : m;
}

void PutMatrix(TVector* out, const TMatrix& m)
{
    for (u32 i = 0; i < 4; ++i)
        out[i] = m.aRow[i];
}

// The value of the noise at a whole argument.
f32 Lattice(u32 m)
{
    const u32 n = m ^ (m << 13);
    const u32 h = (n * (n * n * 19379u + 819233u) - 881360749u) & 0x7FFFFFFFu;
    return static_cast<f32>(static_cast<f64>(h) / 1073741824.0 - 1.0);
}
} // namespace

TDynamicWeatherManager::TDynamicWeatherManager()
    : m_Occlusion(1.0f), m_aPhase{PHASE_START[0], PHASE_START[1], PHASE_START[2]},
      m_PreviousViewProjection(1.0f), m_aConstant{}
{
    std::memset(&m_Block, 0, sizeof m_Block);
    std::copy(PARAMETER_START, PARAMETER_START + WEATHER_PARAMETERS, m_Block.Start.aParameter);
    std::copy(PARAMETER_START, PARAMETER_START + WEATHER_PARAMETERS, m_Block.Target.aParameter);
    std::copy(CURRENT_START, CURRENT_START + WEATHER_PARAMETERS, m_Block.Current.aParameter);
    // The layers' own speeds and places, the same on every run.
    TRandom random;
    for (TWeatherLayer& layer : m_aLayer)
    {
        layer.fSpeedFactor = SPEED_FACTOR_LOW + SPEED_FACTOR_SPAN * static_cast<f32>(random.NextUnit());
        layer.Velocity = TVector(0.0f, 0.0f, 0.0f, 0.0f);
        layer.Offset = TVector(0.0f, 0.0f, 0.0f, 0.0f);
        const f32 x = static_cast<f32>(random.NextUnit()), y = static_cast<f32>(random.NextUnit()),
                  z = static_cast<f32>(random.NextUnit());
        layer.BaseOffset = TVector(x * WEATHER_CELL, y * WEATHER_CELL, z * WEATHER_CELL, 0.0f);
    }
    if (g_pCluster)
        RegisterArray(&WeatherOcclusionBoxDecl(), &m_aBox);
}

void TDynamicWeatherManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

i32 TDynamicWeatherManager::GetData(i32 index, void*& data, i32& size)
{
    if (index != 0)
        return 1;
    data = &m_Block;
    size = WEATHER_BLOCK_SIZE;
    return 0;
}

i32 TDynamicWeatherManager::SetData(i32 index, const void* data, i32 size)
{
    if (index != 0 || size < 0 || !data)
        return 1;
    if (size > static_cast<i32>(WEATHER_BLOCK_SIZE))
        TLog::Print(g_pSystemLog, LOG_WARNING, "TDynamicWeatherManager::SetData(): warning: ",
                    "weather block of %d bytes: the first %u taken", size, WEATHER_BLOCK_SIZE);
    std::memcpy(&m_Block, data, std::min<u32>(static_cast<u32>(size), WEATHER_BLOCK_SIZE));
    // A stored block's cached texture is another program's.
    m_Block.Start.Texture.pObject = m_Block.Target.Texture.pObject = m_Block.Current.Texture.pObject = nullptr;
    return 0;
}

void TDynamicWeatherManager::SetCurrentState(const void* state)
{
    const u32 handle = m_Block.Current.Texture.Handle.GetWord();
    void* cached = m_Block.Current.Texture.pObject;
    std::memcpy(&m_Block.Current, state, WEATHER_STATE_SIZE);
    // The same texture keeps what it resolved to; another resolves afresh.
    m_Block.Current.Texture.pObject = m_Block.Current.Texture.Handle.GetWord() == handle ? cached : nullptr;
}

f32 TDynamicWeatherManager::Noise(i32 argument)
{
    const i32 whole = argument >> 16;
    const f32 fraction = static_cast<f32>(argument & 0xFFFF) / 65536.0f;
    const f32 u = (1.0f - std::cos(PI * fraction)) * 0.5f;
    const u32 i = static_cast<u32>(whole);
    return Lattice(i) * (1.0f - u) + Lattice(i + 1) * u;
}

u32 TDynamicWeatherManager::GetLayerCount() const
{
    const f32 count = std::trunc(m_Block.Current.aParameter[WEATHER_LAYER_COUNT] + 0.999f);
    // The layer tables hold 20.
    return count > 0.0f ? static_cast<u32>(std::min(count, static_cast<f32>(WEATHER_LAYERS))) : 0u;
}

void TDynamicWeatherManager::StepTransition(f32 dt)
{
    TWeatherBlock& b = m_Block;
    if (b.fDuration == 0.0f)
        return;
    b.fElapsed += dt;
    if (b.fElapsed >= b.fDuration)
    {
        std::copy(b.Target.aParameter, b.Target.aParameter + WEATHER_PARAMETERS, b.Current.aParameter);
        b.Current.Texture = b.Target.Texture;
        b.fDuration = b.fElapsed = 0.0f;
        return;
    }
    const f32 t = b.fElapsed / b.fDuration;
    for (u32 i = 0; i < WEATHER_PARAMETERS; ++i)
        b.Current.aParameter[i] = b.Start.aParameter[i] * (1.0f - t) + b.Target.aParameter[i] * t;
}

void TDynamicWeatherManager::ChooseOcclusionBox(const TVector& eye)
{
    const TWeatherOcclusionBox* nearest = nullptr;
    f32 best = 0.0f;
    for (i32 i = 0; i < m_aBox.GetCount(); ++i)
    {
        const TWeatherOcclusionBox* box = m_aBox[i];
        if (!box || !box->pNode)
            continue;
        const TVector& at = const_cast<TWeatherOcclusionBox*>(box)->GetNode()->GetWorldMatrix()->aRow[3];
        const TVector to(at.x - eye.x, at.y - eye.y, at.z - eye.z, 0.0f);
        const TVector half(box->m_aValue[0], box->m_aValue[1], box->m_aValue[2], 0.0f);
        const f32 distance = std::max(0.0f, to.Length() - half.Length());
        if (!nearest || distance < best)
        {
            nearest = box;
            best = distance;
        }
    }
    if (!nearest)
    {
        m_Occlusion = TMatrix(1.0f);
        m_Occlusion.aRow[3] = TVector(FAR_BOX, FAR_BOX, FAR_BOX, FAR_BOX);
        return;
    }
    TMatrix box = *const_cast<TWeatherOcclusionBox*>(nearest)->GetNode()->GetWorldMatrix();
    for (u32 r = 0; r < 3; ++r)
        box.aRow[r] = box.aRow[r].Scaled(nearest->m_aValue[r]);
    m_Occlusion = box.Inverse();
}

void TDynamicWeatherManager::UpdateManager(f32 dt)
{
    if (!m_nEnabled || s_DynamicWeather.GetValue().ToInt() == 0 || dt == 0.0f)
        return;
    m_fLastStep = dt;
    StepTransition(dt);
    const f32* p = m_Block.Current.aParameter;
    m_nLayers = GetLayerCount();
    const i32 advance = static_cast<i32>(std::trunc(dt * PHASE_RATE));
    for (i32& phase : m_aPhase)
        phase += advance;
    const f32 strength = p[WEATHER_WIND] * WIND_SHARE;
    const TVector wind(Noise(m_aPhase[0]) * strength, 0.5f * Noise(m_aPhase[1]) * strength,
                       Noise(m_aPhase[2]) * strength, 0.0f);
    // Layers 1 to n by their number (k = number mod 4), held in the tables from 0.
    for (u32 number = 1; number <= m_nLayers; ++number)
    {
        TWeatherLayer& layer = m_aLayer[number - 1];
        const f32 k = static_cast<f32>(number % 4);
        layer.Velocity = TVector(wind.x * k, wind.y * k, wind.z * k, 0.0f);
        TVector& o = layer.Offset;
        o.x = Wrap(o.x + layer.Velocity.x * dt);
        o.y = Wrap(o.y + layer.Velocity.y * dt + p[WEATHER_FALL_SPEED] * layer.fSpeedFactor * dt);
        o.z = Wrap(o.z + layer.Velocity.z * dt);
    }
    const TCamera* camera = SkyCamera();
    ChooseOcclusionBox(camera ? camera->m_Placement.aRow[3] : TVector(0.0f, 0.0f, 0.0f, 1.0f));
}

void TDynamicWeatherManager::FillFrameConstants(const TMatrix& placement, const TMatrix& viewProjection,
                                                f32 viewportScale, f32 dt, const TVector& light)
{
    const f32* p = m_Block.Current.aParameter;
    const TVector& eye = placement.aRow[3];
    if (m_fPreviousMark == -1.0f)
    {
        m_PreviousEye = eye;
        m_PreviousViewProjection = viewProjection;
        m_fPreviousMark = 0.0f;
    }
    // A first or paused frame has no speed, and rain that does not fall no streak.
    const TVector moved(m_PreviousEye.x - eye.x, m_PreviousEye.y - eye.y, m_PreviousEye.z - eye.z, 0.0f);
    const f32 speed = dt > 0.0f ? moved.Length() / dt : 0.0f;
    const f32 range = p[WEATHER_FADE_RANGE];
    const f32 motion = range > 0.0f ? std::clamp((speed - p[WEATHER_FADE_START]) / range, 0.0f, 1.0f)
                                    : (speed > p[WEATHER_FADE_START] ? 1.0f : 0.0f);
    m_fFade = std::clamp(1.0f - FADE_SHARE * motion, FADE_LEAST, 1.0f);
    const f32 fall = p[WEATHER_FALL_SPEED];
    const f32 streak = dt > 0.0f && fall != 0.0f ? p[WEATHER_STREAK_LENGTH] / fall / dt : 0.0f;
    PutMatrix(m_aConstant + 0, viewProjection);
    PutMatrix(m_aConstant + 4, m_PreviousViewProjection);
    PutMatrix(m_aConstant + 8, m_Occlusion);
    m_PreviousViewProjection = viewProjection;
    m_PreviousEye = eye;
    m_aConstant[WEATHER_VECTOR_CAMERA] = eye;
    m_aConstant[WEATHER_VECTOR_SCALES] = TVector(viewportScale * SIZE_SCALE * p[WEATHER_PARTICLE_SIZE], streak, 0.0f, 0.0f);
    m_aConstant[WEATHER_VECTOR_LIGHT] = light;
    const TVector& z = placement.aRow[2];
    m_aConstant[WEATHER_VECTOR_AHEAD] = TVector(z.x * AHEAD_VECTOR, z.y * AHEAD_VECTOR, z.z * AHEAD_VECTOR, z.w);
}

void TDynamicWeatherManager::FillLayerConstants(u32 i, const TVector& eye, const TVector& ahead, f32 dt)
{
    const f32* p = m_Block.Current.aParameter;
    const TWeatherLayer& layer = m_aLayer[i];
    const TVector& o = layer.Offset;
    const TVector& b = layer.BaseOffset;
    m_aConstant[WEATHER_VECTOR_LAYER_OFFSET] =
        TVector(Modulo(o.x + b.x + eye.x + ahead.x * AHEAD), Modulo(o.y + b.y + eye.y + ahead.y * AHEAD),
                Modulo(o.z + b.z + eye.z + ahead.z * AHEAD), 0.0f);
    const f32 fall = layer.fSpeedFactor * p[WEATHER_FALL_SPEED];
    m_aConstant[WEATHER_VECTOR_LAYER_VELOCITY] =
        TVector(layer.Velocity.x * dt, (layer.Velocity.y + fall) * dt, layer.Velocity.z * dt, 0.0f);
    const f32 weight = p[WEATHER_LAYER_COUNT] - static_cast<f32>(i);
    const f32 opacity = m_fFade * p[WEATHER_OPACITY] * std::min(weight, 1.0f);
    m_aConstant[WEATHER_VECTOR_LAYER_OPACITY] = TVector(opacity, opacity, opacity, opacity);
}

u32 TDynamicWeatherManager::ParticleCount(i32 detailLevel)
{
    return WEATHER_PARTICLES[std::clamp(detailLevel, 0, 5)];
}

void TDynamicWeatherManager::BuildMesh()
{
    m_nParticles = ParticleCount(s_DetailLevel.GetValue().ToInt());
    if (!m_pMesh && g_pCreateIndexedMesh)
        m_pMesh = g_pCreateIndexedMesh(WEATHER_PARTICLES[5] * PARTICLE_VERTICES, WEATHER_PARTICLES[5] * PARTICLE_INDICES,
                                       WeatherVertexFormat());
    if (!m_pMesh)
        return;
    m_pMesh->Reset();
    auto* vertices = static_cast<TWeatherVertex*>(m_pMesh->LockVertices(m_nParticles * PARTICLE_VERTICES));
    u16* indices = m_pMesh->LockIndices(m_nParticles * PARTICLE_INDICES);
    if (!vertices || !indices)
        return;
    // The same volume on every run.
    TRandom random;
    const i16 corner[PARTICLE_VERTICES][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    const u16 order[PARTICLE_INDICES] = {0, 1, 2, 2, 3, 0};
    for (u32 k = 0; k < m_nParticles; ++k)
    {
        const f32 x = static_cast<f32>(random.NextUnit()) * WEATHER_CELL, y = static_cast<f32>(random.NextUnit()) * WEATHER_CELL,
                  z = static_cast<f32>(random.NextUnit()) * WEATHER_CELL;
        for (u32 c = 0; c < PARTICLE_VERTICES; ++c)
            vertices[k * PARTICLE_VERTICES + c] = {x, y, z, {corner[c][0], corner[c][1]}};
        for (u32 i = 0; i < PARTICLE_INDICES; ++i)
            indices[k * PARTICLE_INDICES + i] = static_cast<u16>(k * PARTICLE_VERTICES + order[i]);
    }
}

void TDynamicWeatherManager::OnClusterUnload()
{
    if (m_pMesh)
        m_pMesh->Release();
}

void TDynamicWeatherManager::RenderManager()
{
    if (!m_nEnabled || s_DynamicWeather.GetValue().ToInt() == 0 || !g_pRenderManager)
        return;
    auto* texture = static_cast<TTexture*>(m_Block.Current.Texture.Get());
    TCamera* camera = SkyCamera();
    TShader* shader = s_WeatherShader.Get();
    if (!texture || !camera || !shader || shader->Require())
        return;
    if (!m_pMesh || !m_pMesh->IsFilled())
        BuildMesh();
    if (!m_pMesh || !m_pMesh->IsFilled())
        return;
    g_pRenderManager->BeginPipelinePass(WEATHER_PASS_FLAGS);
    // The sky's light tints the particles.
    TVector light(1.0f, 1.0f, 1.0f, 1.0f);
    DArray<TAtmosphere*>* skies = g_pAtmosphereManager ? &g_pAtmosphereManager->Atmospheres() : nullptr;
    TNode* node = skies && skies->GetCount() ? (*skies)[0]->pLight : nullptr;
    if (const auto* lamp = node ? static_cast<const TLight*>(node->FindObject(g_NameTLight.GetId())) : nullptr)
        light = TVector(lamp->m_aColor[0], lamp->m_aColor[1], lamp->m_aColor[2], lamp->m_aColor[3]);
    const f32 dt = m_fLastStep;
    // The viewport's projection scale: the lens's vertical scale.
    FillFrameConstants(camera->m_Placement, camera->m_ViewProjection, camera->m_Projection.aRow[1].y, dt, light);
    shader->SetTexture(0, texture);
    const u32 layers = GetLayerCount();
    for (u32 i = 0; i < layers; ++i)
    {
        FillLayerConstants(i, camera->m_Placement.aRow[3], camera->m_Placement.aRow[2], dt);
        m_pMesh->DrawKept(shader);
        ++m_nLayersDrawn;
    }
    g_pRenderManager->RecordPipelineStep(TName("DynamicWeather"), shader);
}
