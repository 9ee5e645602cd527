// The render-target pool: sharing, the free list, binding, locks, re-creation after a device
// reset, and the device manager's two wrapped targets.
#include "texturefixture.h"

#include "directx/render/dxeffectstatefilter.h"

namespace
{
using RenderTargetTest = TextureTest;

TDxRenderTarget* NewTarget(const char* name, u32 width, u32 height, u32 format, u32 shareable)
{
    return static_cast<TDxRenderTarget*>(
        g_pDxRenderTargetManager->CreateRenderTarget(TName(name, true), width, height, format, shareable, 0, 0));
}

TEST_F(RenderTargetTest, EqualShareableRequestsShareOneTarget)
{
    TDxRenderTarget* first = NewTarget("bloom", 256, 128, 0x102, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsLoaded());
    EXPECT_NE(first->GetSurface(), nullptr);
    TDxRenderTarget* second = NewTarget("blur", 128, 64, 0x102, 1);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->m_Name, TName("blur"));
    EXPECT_EQ(std::vector<i64>({first->m_nReferences, first->m_nWidth}), std::vector<i64>({2, 256}));
    // Another format, a larger size or a non-shareable request gets a target of its own.
    EXPECT_NE(NewTarget("half", 128, 64, 0x403, 1), first);
    EXPECT_NE(NewTarget("large", 512, 64, 0x102, 1), first);
    EXPECT_NE(NewTarget("own", 128, 64, 0x102, 0), first);
    EXPECT_EQ(g_pDxRenderTargetManager->GetRenderTargetCount(), 4);
    EXPECT_EQ(g_DxDeviceStatistics.nColourTargets, 256u * 128 * 4 + 128 * 64 * 8 + 512 * 64 * 4 + 128 * 64 * 4);
}

TEST_F(RenderTargetTest, AReleasedTargetIsTheNextOneTaken)
{
    TDxRenderTarget* shared = NewTarget("shared", 64, 64, 0x102, 1);
    NewTarget("shared", 64, 64, 0x102, 1);
    shared->ReleaseReference();
    EXPECT_TRUE(shared->IsLoaded());
    shared->ReleaseReference();
    EXPECT_FALSE(shared->IsLoaded());
    EXPECT_EQ(std::vector<i64>({-1, 1, 1, 0}), std::vector<i64>({shared->m_nReferences, shared->m_nFree,
                                                               g_pDxRenderTargetManager->GetFreeCount(),
                                                               g_DxDeviceStatistics.nColourTargets}));
    // Whatever size and format are asked for.
    TDxRenderTarget* depth = NewTarget("shadow", 512, 512, 0x204, 0);
    EXPECT_EQ(depth, shared);
    EXPECT_EQ(std::vector<i64>({1, 1, 512 * 512 * 4}),
              std::vector<i64>({depth->m_nDepth, depth->m_nReferences, g_DxDeviceStatistics.nDepthTargets}));
    // Taken as its own, it is no longer offered to a shareable request.
    EXPECT_NE(NewTarget("blur", 512, 512, 0x204, 1), depth);
    EXPECT_EQ(g_pDxRenderTargetManager->GetRenderTargetCount(), 2);
}

// The pool refuses a 65th target; a depth target whose format has no depth surface (vertex data
// carries the depth group bit) is made but not loaded.
TEST_F(RenderTargetTest, ThePoolRefusesASixtyFifthTargetAndADepthTargetWithoutSurfaceIsNotLoaded)
{
    TDxRenderTarget* target = NewTarget("broken", 64, 64, 0x20A, 0);
    ASSERT_NE(target, nullptr);
    EXPECT_FALSE(target->IsLoaded());
    EXPECT_EQ(target->GetSurface(), nullptr);
    EXPECT_EQ(g_DxDeviceStatistics.nDepthTargets, 0u);
    EXPECT_NE(m_Log.SystemLog().find("'broken': unable to create depth surface"), std::string::npos);
    for (u32 i = 1; i < DX_RENDER_TARGET_CAPACITY; ++i)
        ASSERT_NE(NewTarget("many", 4, 4, 0x102, 0), nullptr);
    EXPECT_EQ(NewTarget("many", 4, 4, 0x102, 0), nullptr);
    EXPECT_NE(m_Log.SystemLog().find("'many': all 64 render targets in use"), std::string::npos);
}

TEST_F(RenderTargetTest, LocksReadAndWriteThroughSystemMemoryWhereTheFormatHasALockSurface)
{
    TDxRenderTarget* target = NewTarget("picture", 8, 4, 0x102, 0);
    m_pManager->GetDevice()->ColorFill(target->GetSurface(), nullptr, 0xFF102030);
    u32 bytes = 0;
    u32* pixels = static_cast<u32*>(target->Lock(bytes, RENDER_TARGET_LOCK_READ));
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(bytes, 8u * 4 * 4);
    EXPECT_EQ(pixels[31], 0xFF102030u);
    target->Unlock();
    // Write only: nothing is fetched; the buffer goes to the target at the unlock.
    pixels = static_cast<u32*>(target->Lock(bytes, RENDER_TARGET_LOCK_WRITE));
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[31], 0u);
    pixels[31] = 0x11223344;
    target->Unlock();
    EXPECT_EQ(g_pDxRenderTargetManager->m_nLocked, DX_LOCK_NONE);
    pixels = static_cast<u32*>(target->Lock(bytes, RENDER_TARGET_LOCK_READ));
    EXPECT_EQ(pixels[31], 0x11223344u);
    // The whole buffer went back, not only the pixel written.
    EXPECT_EQ(pixels[0], 0u);
    target->Unlock();
    // A format without a lock surface is refused.
    TDxRenderTarget* old = NewTarget("old", 8, 8, 0x104, 0);
    ASSERT_TRUE(old->IsLoaded());
    EXPECT_EQ(old->Lock(bytes, RENDER_TARGET_LOCK_READ), nullptr);
    EXPECT_EQ(bytes, 0u);
    EXPECT_NE(m_Log.SystemLog().find("TDxRenderTarget::Lock(): error: unsuported surface format 25"),
              std::string::npos);
    old->Unlock();
}

TEST_F(RenderTargetTest, TargetsComeBackAfterADeviceReset)
{
    TDxRenderTarget* target = NewTarget("scene", 32, 32, 0x102, 0);
    g_pDxEffectStateFilter->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(g_pDxEffectStateFilter->GetTouchedCount(), 1u);
    ASSERT_EQ(m_pManager->_ResetDevice(), 0);
    EXPECT_FALSE(target->IsLoaded());
    EXPECT_EQ(target->GetSurface(), nullptr);
    EXPECT_EQ(g_pDxEffectStateFilter->GetTouchedCount(), 0u);
    EXPECT_EQ(g_DxDeviceStatistics.nColourTargets, 0u);
    // Required again by its next use.
    TTexture* texture = target->GetTexture();
    EXPECT_TRUE(target->IsLoaded());
    EXPECT_NE(target->GetSurface(), nullptr);
    EXPECT_NE(texture->m_pTexture, nullptr);
    EXPECT_EQ(target->m_nWidth, 32u);
}

} // namespace
