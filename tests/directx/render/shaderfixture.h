#pragma once
// A device with shaders: the test plug-in "TTestMatrix", a global effect, and shaders made from
// effect descriptions, one program record each, their data block compressed in a repository
// image.
#include "texturefixture.h"

#include "directx/render/dxshadermanager.h"
#include "engine/render/material.h"
#include "engine/render/meshdata.h"
#include "engine/render/shaderparameterplugin.h"

#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

inline const char* const kTexturedEffect = "effect 1\n"
                                    "parameter matrix TTestMatrix\n"
                                    "annotation string plugin = \"TTestMatrix\"\n"
                                    "parameter texture Color0 shared\n"
                                    "technique defaultshader\n"
                                    "pass p0\n"
                                    "vertexshader canvas2d\n"
                                    "pixelshader textured\n"
                                    "vertexconstant 0 TTestMatrix\n"
                                    "texture 0 Color0\n";

inline const char* const kGlobalEffect = "effect 1\n"
                                  "parameter texture Color0 shared\n";

class TTestPlugin : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter*, TMaterial*, const TMeshDescription*) override {}
};

class ShaderTest : public TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        // The manager keeps its plug-ins for the run: one instance serves every test.
        static TTestPlugin s_Plugin;
        g_pDxShaderManager->_EnterPlugin(TName("TTestMatrix", true), &s_Plugin);
        g_pDxShaderManager->_PrepareGlobalParameters(kGlobalEffect, static_cast<u32>(std::strlen(kGlobalEffect)));
        m_Mesh.VertexLayout = TName("layout_pt", true);
    }
    void TearDown() override
    {
        g_pDxShaderManager->Clear();
        g_pDxShaderManager->OnDeviceDestroy();
        TextureTest::TearDown();
    }

    // A shader whose data block holds the given effects, one program record each.
    TDxShader* MakeShader(const char* name, std::vector<std::string> effects, std::vector<TDxShaderProgramData> records)
    {
        TDxShader* shader = g_pDxShaderManager->CreateShader(TName(name, true));
        std::string block;
        for (size_t i = 0; i < records.size(); ++i)
            if (records[i].nDataSize == 0 && i < effects.size() && !effects[i].empty())
            {
                records[i].nDataOffset = static_cast<u32>(block.size());
                records[i].nDataSize = static_cast<u32>(effects[i].size());
                block += effects[i];
            }
        uLongf packedSize = compressBound(static_cast<uLong>(block.size()));
        m_Image.resize(packedSize);
        compress2(m_Image.data(), &packedSize, reinterpret_cast<const Bytef*>(block.data()),
                  static_cast<uLong>(block.size()), 9);
        m_Image.resize(packedSize);
        shader->m_nDataSize = static_cast<u32>(block.size());
        shader->m_nStoredSize = static_cast<u32>(packedSize);
        shader->m_aProgramData.SetCount(static_cast<i32>(records.size()));
        for (size_t i = 0; i < records.size(); ++i)
            shader->m_aProgramData[static_cast<i32>(i)] = records[i];
        AttachData(*shader);
        return shader;
    }

    TDxShaderProgramData Record(u32 defineText, u32 mask, u32 slots = 1, u8 sampler0 = 0)
    {
        TDxShaderProgramData record = {};
        record.Key = {m_Mesh.VertexLayout.GetId(), defineText, mask};
        record.nTextureSlots = slots;
        std::memset(record.aSampler, DX_NO_SAMPLER, sizeof(record.aSampler));
        record.aSampler[0] = sampler0;
        return record;
    }

    IDirect3DBaseTexture9* Bound(u32 sampler)
    {
        IDirect3DBaseTexture9* texture = nullptr;
        m_pManager->GetDevice()->GetTexture(sampler, &texture);
        if (texture)
            texture->Release();
        return texture;
    }

    TMeshDescription m_Mesh = {};
};
