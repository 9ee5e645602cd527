#pragma once
// A device with shaders: the test plug-in "TTestMatrix", a global effect, and shaders made from
// effect descriptions, one program record each, their data block compressed in a repository
// image.
#include "targetgolden.h"
#include "texturefixture.h"

#include "directx/render/dxshadermanager.h"
#include "engine/render/material.h"
#include "engine/render/meshdata.h"
#include "engine/render/shaderparameterplugin.h"
#include "core/system/plugin.h"

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

    // The engine's plug-in of that name, entered with the shader manager in place of any other.
    static void EnterEnginePlugin(const char* name)
    {
        TPlugin* plugin = nullptr;
        g_pPluginManager->TryFindPlugin(plugin, TName(name, true), g_NameShaderParameterPlugin);
        ASSERT_NE(plugin, nullptr) << name;
        g_pDxShaderManager->_EnterPlugin(TName(name), nullptr)->pPlugin = static_cast<TShaderParameterPlugin*>(plugin);
    }

    // A side x side texture of two colours in a checker.
    TTexture* MakeChecker(const char* name, u32 first, u32 second, u32 side = 4)
    {
        TTexture* texture = g_pDxTextureManager->CreateTexture(TName(name, true), side, side, 1, 1, TEXTURE_2D, 0x102,
                                                               TEXTURE_DYNAMIC);
        u32 pitch = 0;
        u32 size = 0;
        auto* bits = static_cast<u8*>(texture->Lock(TEXTURE_LOCK_WRITE_DISCARD, 0, pitch, size));
        EXPECT_NE(bits, nullptr) << name;
        for (u32 y = 0; bits && y < side; ++y)
            for (u32 x = 0; x < side; ++x)
                std::memcpy(bits + y * pitch + 4 * x, (x + y) % 2 ? &second : &first, 4);
        texture->Unlock(0);
        return texture;
    }

    // A width x height target bound, cleared to the colour (and depth, with a depth target of
    // that size), a scene begun.
    TRenderTarget* BeginImage(u32 width, u32 height, TRenderTarget* depth, u32 colour = 0xFF203040)
    {
        m_nImageWidth = width;
        m_nImageHeight = height;
        TRenderTarget* target =
            g_pDxRenderTargetManager->CreateRenderTarget(TName("view", true), width, height, 0x102, 0, 0, 0);
        target->SetRenderTarget(depth);
        m_pManager->GetDevice()->Clear(0, nullptr, D3DCLEAR_TARGET | (depth ? D3DCLEAR_ZBUFFER : 0), colour, 1.0f, 0);
        m_pManager->GetDevice()->BeginScene();
        return target;
    }
    TRenderTarget* BeginImage(u32 size = 64, TRenderTarget* depth = nullptr) { return BeginImage(size, size, depth); }

    // The scene ended; empty when the target matches the golden image, else what differs.
    std::string EndImage(TRenderTarget* target, const char* golden)
    {
        m_pManager->GetDevice()->EndScene();
        return CompareTargetWithGolden(target, golden, static_cast<int>(m_nImageWidth),
                                       static_cast<int>(m_nImageHeight));
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
    u32 m_nImageWidth = 64;
    u32 m_nImageHeight = 64;
};
