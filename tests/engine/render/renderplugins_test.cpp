#include "core/system/plugin.h"
#include "deferredscene.h"
#include "engine/render/imposterdata.h"
#include "engine/render/impostermanager.h"
#include "engine/render/lightmanager.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/shadowmanager.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class TPluginParameter : public TShaderParameter
{
public:
    void SetVectorArray(u32 count, const TVector* vectors) override { aVector.assign(vectors, vectors + count); }
    void SetMatrix(const TMatrix& matrix) override { aMatrix.push_back(matrix); }
    std::vector<TVector> aVector;
    std::vector<TMatrix> aMatrix;
};

TShaderParameterPlugin* Plugin(const char* name)
{
    TPlugin* plugin = nullptr;
    g_pPluginManager->FindPlugin(plugin, TName(name), TName("TShaderParameterPlugin"));
    return static_cast<TShaderParameterPlugin*>(plugin);
}

void ExpectVector(const TVector& v, f32 x, f32 y, f32 z, f32 w)
{
    EXPECT_FLOAT_EQ(x, v.x);
    EXPECT_FLOAT_EQ(y, v.y);
    EXPECT_FLOAT_EQ(z, v.z);
    EXPECT_FLOAT_EQ(w, v.w);
}

// The plugins read the shadow switch, the imposter pass and the lists of imposter data and
// lights, which other tests of the program leave as they like: each test starts from shadows on
// (the deferred renderer's scene makes them possible and puts the switch back), imposter pass 0
// and empty lists, and the state it found is put back.
class RenderPluginsTest : public DeferredSceneTest
{
protected:
    void SetUp() override
    {
        DeferredSceneTest::SetUp();
        m_nPass = g_pImposterManager->GetPass();
        DArray<TImposterData*>& data = g_pImposterManager->ImposterData();
        m_aData.assign(data.GetData(), data.GetData() + data.GetCount());
        data.SetCount(0);
        g_pLightManager->Lights().SetCount(0);
        SetImposterPass(0);
        g_pShadowManager->SetEnabled(1);
        ASSERT_EQ(1u, g_pShadowManager->IsEnabled());
    }
    void TearDown() override
    {
        SetImposterPass(m_nPass);
        for (TImposterData* data : m_aData)
            g_pImposterManager->ImposterData().Add(data);
        DeferredSceneTest::TearDown();
    }

    // A draw's pass, as a draw leaves it, with nothing drawn.
    static void SetImposterPass(u32 pass)
    {
        const bool shown = ImposterShow() != 0;
        Run("set imposter.show 0");
        g_pImposterManager->DrawWith(nullptr, pass);
        Run(shown ? "set imposter.show 1" : "set imposter.show 0");
    }

private:
    u32 m_nPass = 0;
    std::vector<TImposterData*> m_aData;
};
} // namespace

TEST_F(RenderPluginsTest, ImposterParametersHoldEachTypeThenSunAndSettings)
{
    TImposterData first{}, second{};
    second.m_Vector = TVector(2.0f, 3.0f, 99.0f, 4.0f);
    for (u32 i = 0; i < IMPOSTER_DATA_FLOATS; ++i)
        second.m_aFloat[i] = 10.0f + static_cast<f32>(i);
    second.m_nShaderValue = 7;
    g_pImposterManager->ImposterData().Add(&first);
    g_pImposterManager->ImposterData().Add(&second);
    TPluginParameter parameter;
    Plugin("TImposterDataParameters")->Apply(nullptr, nullptr, &parameter, nullptr, nullptr);
    g_pImposterManager->ImposterData().SetCount(0);
    ASSERT_EQ(123u, parameter.aVector.size());
    ExpectVector(parameter.aVector[3], 2.0f, 3.0f, 0.125f, 4.0f);
    ExpectVector(parameter.aVector[4], 10.0f, 11.0f, 12.0f, 0.0f);
    ExpectVector(parameter.aVector[5], 13.0f, 14.0f, 15.0f, 7.0f);
    ExpectVector(parameter.aVector[6], 0.0f, 0.0f, 0.0f, 0.0f);
    ExpectVector(parameter.aVector[120], 1.0f, 1.0f, 1.0f, 1.0f);
    ExpectVector(parameter.aVector[121], 0.0f, -0.8f, 0.6f, 1.0f);
    ExpectVector(parameter.aVector[122], 3000.0f, 4000.0f, 0.0f, 0.0f);

    // Each type's second vector carries the imposter pass; the sun's w is 0 with shadows off.
    g_pImposterManager->ImposterData().Add(&first);
    SetImposterPass(2);
    g_pShadowManager->SetEnabled(0);
    Plugin("TImposterDataParameters")->Apply(nullptr, nullptr, &parameter, nullptr, nullptr);
    g_pImposterManager->ImposterData().SetCount(0);
    EXPECT_FLOAT_EQ(2.0f, parameter.aVector[1].w);
    ExpectVector(parameter.aVector[121], 0.0f, -0.8f, 0.6f, 0.0f);
}
