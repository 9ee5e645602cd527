#pragma once
// The render manager between a recording device (support/recordingdevice.h) and the test: the
// manager system open, the forward and deferred renderers registered, and the manager's pass
// state, registry and current viewport put back after each test.
#include "engine/render/deferredrendering.h"
#include "engine/render/forwardrendering.h"
#include "engine/render/pipelinerecorder.h"
#include "engine/render/rendermanager.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportset.h"
#include "engine/system/managermanager.h"
#include "support/recordingdevice.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

class TTestViewport : public TViewport
{
public:
    f32 GetMinZ() override { return 0.0f; }
    f32 GetMaxZ() override { return 1.0f; }
    void SetRect(f32, f32, f32, f32) override {}
    void SetMinZ(f32) override {}
    void SetMaxZ(f32) override {}
    void SetFlag(u32) override {}
    void SetCamera(TCamera* camera) override { pCamera = camera; }
    void Apply() override {}
};

// A renderer that draws through pipeline targets (or not) and writes what it is asked.
class TTestRenderer : public TRenderer
{
public:
    TTestRenderer(const char* name, u32 flags, u32 index, TJournal& journal)
        : TRenderer(name, flags, index), m_Journal(journal)
    {
    }
    void CheckSupport(const TRendererCaps&) override {}
    i32 Initialize() override
    {
        m_Journal.push_back(std::string(m_Name.GetText()) + " initialize");
        return 0;
    }
    void ReleaseRenderTargets() override {}
    void CreateRenderTargets() override {}
    void PublishTargets() override { m_Journal.push_back(std::string(m_Name.GetText()) + " publish"); }
    void EndFrame() override { m_Journal.push_back(std::string(m_Name.GetText()) + " end frame"); }
    void BeginFrame(u32 flags, u32 colour) override
    {
        m_Journal.push_back(std::string(m_Name.GetText()) + " begin frame " + std::to_string(flags) + " " +
                            std::to_string(colour));
    }
    void RenderQueue(TRenderPass* pass, u32 id) override
    {
        m_Journal.push_back(std::string(m_Name.GetText()) + " queue " + std::to_string(id) + (pass ? " pass" : ""));
    }

private:
    TJournal& m_Journal;
};

class RenderTest : public ::testing::Test
{
protected:
    RenderTest()
    {
        g_ManagerManager.Initialize();
        m_pSavedFind = g_pFindViewportSet;
        g_pFindViewportSet = [] { return s_pViewportSet; };
        s_pViewportSet = &m_Set;
        g_pRenderManager->__RegisterRenderer(g_pForwardRendering);
        g_pRenderManager->__RegisterRenderer(g_pDeferredRendering);
        // The tests switch the deferred renderer on themselves.
        m_nDeferredEnabled = g_pDeferredRendering->m_nEnabled;
        g_pDeferredRendering->m_nEnabled = 0;
    }
    // Before the tests' own members (their renderers) go.
    void TearDown() override { Step(RENDER_STEP_FRAME_END); }
    ~RenderTest() override
    {
        // The recorder's texture was made on this test's device, which goes with the test.
        g_PipelineRecorder.ReleaseTexture();
        g_pRenderManager->__RegisterRenderer(g_pForwardRendering);
        g_pRenderManager->__RegisterRenderer(g_pDeferredRendering);
        g_pRenderManager->SetOverride(0);
        g_pRenderManager->SetPingPong(0, 0);
        g_pRenderManager->SetFrameClearFlags(RENDER_FRAME_CLEAR_DEFAULT);
        for (u32 i = 0; i < RENDER_PUBLISHED_TARGETS; ++i)
            g_pRenderManager->SetPublishedTarget(i, nullptr);
        g_pRenderManager->SetCurrentViewport(nullptr);
        g_pRenderManager->SetCurrentCamera(nullptr);
        g_pRenderManager->SetCurrentViewportSet(nullptr);
        g_pFindViewportSet = m_pSavedFind;
        s_pViewportSet = nullptr;
        g_pDeferredRendering->m_nEnabled = m_nDeferredEnabled;
    }

    void Step(u32 word)
    {
        g_pRenderManager->m_nStepWord = word;
        g_pRenderManager->RenderManager();
    }
    // The journal from the given line on, then emptied.
    std::vector<std::string> Take()
    {
        std::vector<std::string> lines = m_Device.journal;
        m_Device.journal.clear();
        return lines;
    }

    TScratchWorkingFolder m_Folder{"render"};
    bool Logged(const std::string& text) const { return m_Folder.SystemLog().find(text) != std::string::npos; }
    TRecordingDevice m_Device;
    TTestViewport m_Viewport;
    TViewportSet m_Set{0, 1, {&m_Viewport}};

    static inline TViewportSet* s_pViewportSet = nullptr;

private:
    TViewportSet* (*m_pSavedFind)() = nullptr;
    u32 m_nDeferredEnabled = 0;
};
