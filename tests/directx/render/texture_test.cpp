// Textures: the format tables, the level skip, loading level by level (2D, cube, volume, both
// device classes), the run-time sky textures, locks, animations and the texture manager.
#include "texturefixture.h"

#include "platform/d3d9/settings.h"

#include <string>

#include <zlib.h>

namespace
{

TEST(TextureLevelSkip, SkipsOnlyWhatLeavesSidesAboveFourAndTheMipmapTestKeepsOneLevelOfOddSides)
{
    const struct
    {
        i32 width, height, levels;
        D3DFORMAT format;
        i32 skip;
        bool mipmapTest;
        i32 skipped, newWidth, newHeight, newLevels;
    } cases[] = {
        {5, 5, 3, D3DFMT_DXT1, 0, false, 0, 5, 5, 3},           // no skip asked
        {8, 8, 4, D3DFMT_A8R8G8B8, 1, false, 0, 8, 8, 4},       // 4 x 4 refused
        {256, 256, 1, D3DFMT_A8R8G8B8, 2, false, 0, 256, 256, 1}, // one level: nothing to skip
        {256, 128, 3, D3DFMT_A8R8G8B8, 5, false, 2, 64, 32, 1},   // three levels: two go
        {100, 64, 7, D3DFMT_A8R8G8B8, 0, true, 0, 100, 64, 1},
        {128, 64, 7, D3DFMT_A8R8G8B8, 0, true, 0, 128, 64, 7},
        {100, 64, 7, D3DFMT_A8R8G8B8, 0, false, 0, 100, 64, 7},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " skip " << c.skip);
        const TTextureLevelSkip skip =
            ComputeLevelSkip(c.width, c.height, 1, c.levels, c.format, c.skip, 4096, c.mipmapTest);
        EXPECT_EQ(skip.nSkip, c.skipped);
        EXPECT_EQ(skip.nWidth, c.newWidth);
        EXPECT_EQ(skip.nHeight, c.newHeight);
        EXPECT_EQ(skip.nLevels, c.newLevels);
    }
}

u8 FirstByteOfLevel(TTexture* texture, i32 level)
{
    u32 pitch = 0, size = 0;
    const u8* bits = static_cast<const u8*>(texture->Lock(TEXTURE_LOCK_READ, level, pitch, size));
    if (!bits)
        return 0;
    const u8 value = bits[0];
    texture->Unlock(level);
    return value;
}

using TextureLoadTest = TextureTest;

// An XP-class device: textures are managed and can be locked, so their levels can be read back.
class TextureXpTest : public TextureTest
{
protected:
    void SetUp() override
    {
        m_Saved = g_DxGlobals;
        D3D9Settings().osMajor = 5;
        InitializeDirectX();
        TextureTest::SetUp();
    }
    void TearDown() override
    {
        TextureTest::TearDown();
        g_DxGlobals = m_Saved;
    }
    TDxGlobals m_Saved;
};

TEST_F(TextureXpTest, LevelsAreReadInflatedOrSkippedByTheirSizeIntoTheirOwnLevels)
{
    const struct
    {
        const char* name;
        i32 width, height, levels, skipVariable, mipmapTest;
        u32 topWidth;
        std::vector<u8> firstBytes;
    } cases[] = {
        {"ground", 64, 32, 3, 0, 0, 64, {1, 2, 3}},
        {"skipped", 64, 64, 3, 1, 0, 32, {2, 3}},
        {"odd", 96, 64, 2, 0, 1, 96, {1}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        g_device_texture_mipmap_skip.SetInt(c.skipVariable);
        g_texture_mipmap_test.SetInt(c.mipmapTest);
        TTexture* texture = g_pDxTextureManager->CreateTexture(TName(c.name, true), c.width, c.height, 1, c.levels,
                                                               TEXTURE_2D, 0x102, 0);
        AddLevels(*texture, D3DFMT_A8R8G8B8, 1, c.levels);
        AttachData(*texture);
        ASSERT_EQ(texture->Require(), 0);
        EXPECT_EQ(texture->m_pStaging, nullptr);
        D3DSURFACE_DESC top;
        static_cast<IDirect3DTexture9*>(texture->m_pTexture)->GetLevelDesc(0, &top);
        EXPECT_EQ(top.Width, c.topWidth);
        ASSERT_EQ(texture->m_pTexture->GetLevelCount(), c.firstBytes.size());
        for (u32 level = 0; level < c.firstBytes.size(); ++level)
            EXPECT_EQ(FirstByteOfLevel(texture, static_cast<i32>(level)), c.firstBytes[level]);
        EXPECT_EQ(g_DxDeviceStatistics.nTextures, texture->m_nByteSize);
        texture->Unload();
        EXPECT_EQ(g_DxDeviceStatistics.nTextures, 0u);
        EXPECT_EQ(texture->m_pTexture, nullptr);
    }
    g_device_texture_mipmap_skip.SetInt(0);
    g_texture_mipmap_test.SetInt(0);
    // DXT levels are checked too: level 1 claims one byte more than its lock holds.
    TTexture* blocks =
        g_pDxTextureManager->CreateTexture(TName("blocks", true), 16, 16, 1, 2, TEXTURE_2D, 0x301, 0);
    AddLevels(*blocks, D3DFMT_DXT1, 1, 2);
    blocks->m_aLevel[1].nSize += 1;
    AttachData(*blocks);
    ASSERT_EQ(blocks->Require(), 0);
    EXPECT_EQ(FirstByteOfLevel(blocks, 0), 1);
    EXPECT_EQ(FirstByteOfLevel(blocks, 1), 0);
    EXPECT_NE(m_Log.SystemLog().find("TDxTexture::OnResourceLoad(): error: 'blocks': texture invalid pitch 16 "
                                     "(8x8 level 1)"),
              std::string::npos);
    // Compressed levels are inflated; a stream too short for its level is refused.
    TTexture* inflated = g_pDxTextureManager->CreateTexture(TName("packed", true), 16, 16, 1, 2, TEXTURE_2D, 0x102,
                                                           TEXTURE_COMPRESSED);
    for (u32 level = 0; level < 2; ++level)
    {
        const u32 side = 16 >> level;
        std::vector<u8> pixels(side * side * 4, static_cast<u8>(0x40 + level));
        // The second level's stream holds half the level: its read is refused with a log line.
        const uLong streamed = static_cast<uLong>(level == 0 ? pixels.size() : pixels.size() / 2);
        uLongf packedSize = compressBound(streamed);
        std::vector<u8> packed(packedSize);
        ASSERT_EQ(compress2(packed.data(), &packedSize, pixels.data(), streamed, 9), Z_OK);
        inflated->m_aLevel.Add({static_cast<u32>(m_Image.size()), static_cast<u32>(pixels.size()), side * 4});
        // A stored compressed block: its head (a free word, the level's size, the stream's size).
        const u32 head[3] = {0, static_cast<u32>(pixels.size()), static_cast<u32>(packedSize)};
        m_Image.insert(m_Image.end(), reinterpret_cast<const u8*>(head), reinterpret_cast<const u8*>(head + 3));
        m_Image.insert(m_Image.end(), packed.begin(), packed.begin() + static_cast<i32>(packedSize));
    }
    AttachData(*inflated);
    ASSERT_EQ(inflated->Require(), 0);
    EXPECT_EQ(FirstByteOfLevel(inflated, 0), 0x40);
    EXPECT_NE(m_Log.SystemLog().find("compressed block of 'packed' at "),
              std::string::npos);
}

TEST_F(TextureLoadTest, ShortLevelTablesAreNotReadPastAndSkyTexturesAreMadeAt512)
{
    TTexture* texture =
        g_pDxTextureManager->CreateTexture(TName("short", true), 32, 32, 1, 3, TEXTURE_2D, 0x102, 0);
    AddLevels(*texture, D3DFMT_A8R8G8B8, 1, 1);
    AttachData(*texture);
    EXPECT_EQ(texture->Require(), 0);
    EXPECT_NE(m_Log.SystemLog().find("'short': texture invalid pitch"), std::string::npos);
    // Sky textures are made at 512 whatever the repository holds.
    TTexture* sky =
        g_pDxTextureManager->CreateTexture(TName("sky_env", true), 64, 64, 1, 3, TEXTURE_CUBE, 0x801, 0);
    AddLevels(*sky, D3DFMT_R8G8B8, 6, 3);
    AttachData(*sky);
    ASSERT_EQ(sky->Require(), 0);
    auto* cube = static_cast<IDirect3DCubeTexture9*>(sky->m_pTexture);
    D3DSURFACE_DESC desc;
    cube->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(cube->GetLevelCount(), 1u);
    EXPECT_EQ(sky->m_nFormat, 0x102);
}

class TEndCounter : public TTextureAnimationMethods
{
public:
    void OnTextureAnimationEnd(TTextureAnimation*) override { ++nEnds; }
    i32 nEnds = 0;
};

using TextureAnimationTest = TextureTest;

TEST_F(TextureAnimationTest, TargetShowsTheFrameOfThePosition)
{
    TTexture* frames[3];
    for (i32 i = 0; i < 3; ++i)
        frames[i] = g_pDxTextureManager->CreateTexture(TName(("frame" + std::to_string(i)).c_str(), true), 8, 8, 1,
                                                       1, TEXTURE_2D, 0x102, TEXTURE_DYNAMIC);
    auto* animation = static_cast<TDxTextureAnimation*>(g_pDxTextureManager->CreateTextureAnimation(TName("flag", true)));
    animation->SetFrames(frames, 3);
    TEndCounter ends;
    animation->m_pListener = &ends;
    animation->m_fSpeed = 2.0f;
    animation->m_nPlaying = 1;

    TTexture* target = g_pDxTextureManager->FindTexture(TName("flag"));
    ASSERT_EQ(target, animation->GetTargetTexture());
    EXPECT_EQ(target->GetAnimation(), animation);
    EXPECT_EQ(g_pDxTextureManager->FindTextureAnimation(TName("flag")), animation);

    g_pDxTextureManager->UpdateManager(0.25f);
    EXPECT_EQ(target->m_pTexture, frames[0]->m_pTexture);
    g_pDxTextureManager->UpdateManager(0.5f);
    EXPECT_EQ(target->m_pTexture, frames[1]->m_pTexture);
    EXPECT_NE(frames[1]->m_pTexture, frames[0]->m_pTexture);
    // Past the end without loop: stopped on the last frame, the listener told once.
    g_pDxTextureManager->UpdateManager(1.0f);
    EXPECT_EQ(animation->m_nPlaying, 0);
    EXPECT_EQ(animation->m_fPosition, 2.0f);
    EXPECT_EQ(target->m_pTexture, frames[2]->m_pTexture);
    EXPECT_EQ(ends.nEnds, 1);

    animation->m_nLoop = 1;
    animation->m_nPlaying = 1;
    g_pDxTextureManager->UpdateManager(0.75f);
    EXPECT_FLOAT_EQ(animation->m_fPosition, 0.5f);
    EXPECT_EQ(target->m_pTexture, frames[0]->m_pTexture);
    EXPECT_EQ(ends.nEnds, 2);
}

// A loaded animation's frames are the textures it links; its image's pointers and counts are
// not trusted.
TEST_F(TextureAnimationTest, ALoadedAnimationKeepsOnlyTheTexturesItLinks)
{
    TTexture* frames[3];
    for (i32 i = 0; i < 3; ++i)
        frames[i] = g_pDxTextureManager->CreateTexture(TName(("wave" + std::to_string(i)).c_str(), true), 8, 8, 1,
                                                       1, TEXTURE_2D, 0x102, TEXTURE_DYNAMIC);
    TResource stranger;
    auto* animation = static_cast<TDxTextureAnimation*>(g_pDxTextureManager->CreateTextureAnimation(TName("wave", true)));
    const i32 index = g_pDxTextureManager->GetTextureAnimationCount() - 1;
    for (TResource* used : {static_cast<TResource*>(frames[0]), static_cast<TResource*>(frames[1]),
                            static_cast<TResource*>(frames[2])})
        TResource::LinkTo(animation, used);
    TTexture* target = animation->GetTargetTexture();

    // As many frames as linked textures: kept, no line; the run-time words forgotten.
    animation->m_nFrameCount = 3;
    animation->m_ppFrame = reinterpret_cast<TTexture**>(0x1234);
    animation->m_pListener = reinterpret_cast<TTextureAnimationMethods*>(0x5678);
    target->m_nAnimation = 7;
    g_pDxTextureManager->AdoptAnimation(index);
    EXPECT_EQ(std::vector<i32>({animation->m_nFrameCount, target->m_nAnimation}), std::vector<i32>({3, index}));
    EXPECT_TRUE(animation->m_ppFrame == nullptr && animation->m_pListener == nullptr);
    EXPECT_EQ(target->GetAnimation(), animation);
    EXPECT_EQ(m_Log.SystemLog().find("textures linked"), std::string::npos);
    for (i32 i = 0; i < 3; ++i)
        EXPECT_EQ(animation->GetFrameTexture(i), frames[i]) << i;
    EXPECT_EQ(animation->GetFrameTexture(3), nullptr);
    animation->m_nPlaying = 1;
    animation->m_fSpeed = 1.0f;
    g_pDxTextureManager->UpdateManager(1.5f);
    EXPECT_EQ(target->m_pTexture, frames[1]->m_pTexture);
    // A released target borrows its frame again at the next step.
    ASSERT_EQ(target->Require(), 0u);
    target->Unload();
    EXPECT_EQ(target->m_pTexture, nullptr);
    g_pDxTextureManager->UpdateManager(0.0f);
    EXPECT_EQ(target->m_pTexture, frames[1]->m_pTexture);

    // One frame more than linked: cut, with a line.
    animation->m_nFrameCount = 4;
    g_pDxTextureManager->AdoptAnimation(index);
    EXPECT_EQ(animation->m_nFrameCount, 3);
    EXPECT_NE(m_Log.SystemLog().find("'wave': 4 frames, 3 textures linked"), std::string::npos);
    // A link to what is no texture of ours ends the frames; a negative count keeps none.
    TResource::Unlink(animation, frames[2]);
    TResource::LinkTo(animation, &stranger);
    TResource::LinkTo(animation, frames[2]);
    animation->m_nFrameCount = 4;
    g_pDxTextureManager->AdoptAnimation(index);
    EXPECT_EQ(animation->m_nFrameCount, 2);
    animation->m_nFrameCount = -1;
    g_pDxTextureManager->AdoptAnimation(index);
    EXPECT_EQ(animation->m_nFrameCount, 0);
    EXPECT_EQ(animation->GetFrameTexture(0), nullptr);
    TResource::Unlink(animation, &stranger);

    // A texture naming an animation past the last: none.
    target->m_nAnimation = g_pDxTextureManager->GetTextureAnimationCount();
    EXPECT_EQ(target->GetAnimation(), nullptr);
}
TEST_F(TextureXpTest, CopiesTakeTheirPixelsFromTargetsAndTextures)
{
    auto* target = static_cast<TDxRenderTarget*>(
        g_pDxRenderTargetManager->CreateRenderTarget(TName("scene", true), 8, 8, 0x102, 0, 0, 0));
    m_pManager->GetDevice()->ColorFill(target->GetSurface(), nullptr, 0xFF336699);
    TTexture* copy = g_pDxTextureManager->CreateTexture(TName("copy", true), 8, 8, 1, 1, TEXTURE_2D, 0x102, 0);
    ASSERT_EQ(copy->CopyFromRenderTarget(0, target), 0);
    EXPECT_EQ(FirstByteOfLevel(copy, 0), 0x99);
    // The target's own texture as a source: its data is fetched from the device.
    m_pManager->GetDevice()->ColorFill(target->GetSurface(), nullptr, 0xFF112233);
    ASSERT_EQ(copy->Copy(0, target->GetTexture()), 0);
    EXPECT_EQ(FirstByteOfLevel(copy, 0), 0x33);
}

} // namespace
