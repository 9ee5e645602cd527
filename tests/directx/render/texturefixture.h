#pragma once
// A device with the texture and render-target managers emptied after each test, a system log of
// the test's own, and repository images built in memory.
#include "devicefixture.h"

#include "directx/render/dxrendertargetmanager.h"
#include "directx/render/dxtextureformat.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/system/repository.h"
#include "support/scratchworkingfolder.h"

#include <algorithm>
#include <memory>
#include <vector>

class TextureTest : public CreatedDeviceTest
{
protected:
    void TearDown() override
    {
        g_pDxTextureManager->Clear();
        g_pDxRenderTargetManager->EndManager();
        g_pDxRenderTargetManager->OnDeviceRelease();
        g_device_texture_mipmap_skip.SetInt(0);
        g_texture_mipmap_test.SetInt(0);
        CreatedDeviceTest::TearDown();
    }

    // Level entries for every level of every face, each filled with its own byte value
    // (entry index + 1), laid out one after another in one repository image.
    void AddLevels(TTexture& texture, D3DFORMAT format, u32 faces, u32 levels)
    {
        for (u32 face = 0; face < faces; ++face)
            for (u32 level = 0; level < levels; ++level)
            {
                const u32 width = std::max(1, texture.m_nWidth >> level);
                const u32 height = std::max(1, texture.m_nHeight >> level);
                const bool dxt = format == D3DFMT_DXT1 || format == D3DFMT_DXT5;
                const u32 bytesPerBlock = format == D3DFMT_DXT1 ? 8 : 16;
                const u32 pitch = dxt ? (width + 3) / 4 * bytesPerBlock : width * GetFormatBitDepth(format) / 8;
                const u32 rows = dxt ? (height + 3) / 4 : height;
                const u32 size = pitch * rows;
                texture.m_aLevel.Add({static_cast<u32>(m_Image.size()), size, pitch});
                m_Image.insert(m_Image.end(), size, static_cast<u8>(texture.m_aLevel.GetCount()));
            }
    }
    // Hands the image to the resource as its data.
    void AttachData(TResource& resource)
    {
        m_pRepository = std::make_unique<TRepository>(m_Image.data(), static_cast<u32>(m_Image.size()));
        resource.SetData(m_pRepository.get(), 0, static_cast<u32>(m_Image.size()));
    }

    TScratchWorkingFolder m_Log{"texture"};
    std::vector<u8> m_Image;
    std::unique_ptr<TRepository> m_pRepository;
};
