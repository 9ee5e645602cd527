// The effect state filter seen through a device that records the calls reaching it.
#include "directx/render/dxeffectstatefilter.h"
#include "engine/system/renderstats.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d.h"
#include "platform/d3dx9/unknown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class TRecordingDevice : public TD3DDevice
{
public:
    TRecordingDevice(TD3D9* direct3d, const D3DPRESENT_PARAMETERS& parameters)
        : TD3DDevice(direct3d, false, 0, D3DDEVTYPE_HAL, nullptr, 0x52, parameters)
    {
    }

    HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override
    {
        return Note("rs " + N(s) + "=" + N(v)), TD3DDevice::SetRenderState(s, v);
    }
    HRESULT SetSamplerState(DWORD i, D3DSAMPLERSTATETYPE s, DWORD v) override
    {
        return Note("ss " + N(i) + "." + N(s) + "=" + N(v)), TD3DDevice::SetSamplerState(i, s, v);
    }
    HRESULT SetTextureStageState(DWORD i, D3DTEXTURESTAGESTATETYPE s, DWORD v) override
    {
        return Note("ts " + N(i) + "." + N(s) + "=" + N(v)), TD3DDevice::SetTextureStageState(i, s, v);
    }
    // The calls since the last look, then forgotten.
    std::vector<std::string> Take()
    {
        std::vector<std::string> calls;
        calls.swap(m_Calls);
        return calls;
    }

private:
    void Note(const std::string& call) { m_Calls.push_back(call); }
    static std::string N(u32 value) { return std::to_string(value); }
    std::vector<std::string> m_Calls;
};

using TCalls = std::vector<std::string>;

class EffectStateFilterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = 16;
        parameters.BackBufferHeight = 16;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.BackBufferCount = 1;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        m_pDirect3D = new TD3D9(false);
        m_pDevice = new TRecordingDevice(m_pDirect3D, parameters);
        m_pFilter = new TDxEffectStateFilter;
        m_pFilter->SetDevice(m_pDevice);
        g_RenderStatsCurrent.Clear();
        m_pDevice->Take();
    }
    void TearDown() override
    {
        delete m_pFilter;
        m_pDevice->Release();
        m_pDirect3D->Release();
    }

    TD3D9* m_pDirect3D = nullptr;
    TRecordingDevice* m_pDevice = nullptr;
    TDxEffectStateFilter* m_pFilter = nullptr;
};

TEST_F(EffectStateFilterTest, StatesThatWouldNotChangeTheDeviceAreDropped)
{
    // The filter starts from the engine's defaults: ZEnable 1, CullMode CCW.
    m_pFilter->SetRenderState(D3DRS_ZENABLE, 1);
    m_pFilter->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_pFilter->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    m_pFilter->SetTextureStageState(3, D3DTSS_COLOROP, D3DTOP_MODULATE);
    EXPECT_EQ(m_pDevice->Take(), TCalls{});
    EXPECT_EQ(m_pFilter->GetTouchedCount(), 0u);

    m_pFilter->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pFilter->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pFilter->SetSamplerState(257, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_pFilter->SetSamplerState(257, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    EXPECT_EQ(m_pDevice->Take(), (TCalls{"rs 22=1", "ss 257.5=2"}));
    EXPECT_EQ(m_pFilter->GetTouchedCount(), 2u);
}

TEST_F(EffectStateFilterTest, SweepPutsBackWhatTheLastPassDidNotSet)
{
    // Pass 1 sets blending and culling.
    m_pFilter->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    m_pFilter->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_pFilter->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    m_pFilter->Sweep();
    // Pass 2 keeps blending only.
    m_pFilter->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    m_pDevice->Take();
    m_pFilter->Sweep();
    EXPECT_EQ(m_pDevice->Take(), (TCalls{"rs 22=3", "ts 1.1=4"}));
    // Pass 3 sets nothing: blending goes back too.
    m_pFilter->Sweep();
    EXPECT_EQ(m_pDevice->Take(), TCalls{"rs 27=0"});
    EXPECT_EQ(m_pFilter->GetTouchedCount(), 0u);
    m_pFilter->Sweep();
    EXPECT_EQ(m_pDevice->Take(), TCalls{});
}

TEST_F(EffectStateFilterTest, AFullTouchedListKeepsSettingStates)
{
    // 16 samplers x 13 states and 16 stages x 4 states: more than 256.
    u32 changes = 0;
    for (DWORD sampler = 0; sampler < 16; ++sampler)
        for (DWORD type = D3DSAMP_ADDRESSU; type <= D3DSAMP_DMAPOFFSET; ++type, ++changes)
            m_pFilter->SetSamplerState(sampler, D3DSAMPLERSTATETYPE(type), 77);
    for (DWORD stage = 0; stage < 16; ++stage)
        for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_CONSTANT, D3DTSS_TEXCOORDINDEX, D3DTSS_RESULTARG, D3DTSS_ALPHAARG0})
        {
            m_pFilter->SetTextureStageState(stage, type, 77);
            ++changes;
        }
    ASSERT_GT(changes, DX_FILTER_TOUCHED_CAPACITY);
    EXPECT_EQ(m_pDevice->Take().size(), changes);
    EXPECT_EQ(m_pFilter->GetTouchedCount(), DX_FILTER_TOUCHED_CAPACITY);
    m_pFilter->Sweep();
    m_pFilter->Sweep();
    EXPECT_EQ(m_pDevice->Take().size(), DX_FILTER_TOUCHED_CAPACITY);
}

} // namespace
