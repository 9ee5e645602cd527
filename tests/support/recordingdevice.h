#pragma once
// A device manager, render-target manager, canvas and shader that draw nothing and write what
// the render code asks of them, one line each, into a shared journal, so that tests follow a
// frame's pass sequence without a device:
//   "begin", "end"                          scene brackets
//   "clear <flags> <colour hex>"            clears (DEVICE_CLEAR_* flags, decimal)
//   "back <0|1>"                            the back buffer bound, with depth or not
//   "bind <target> [<t1> <t2> <t3>] <depth>" a target bound ("-" for none)
//   "copy <texture>"                        a full-screen draw of a texture ("-" for none)
//   "tile <texture> <x1> <y1> <x2> <y2>"    an immediate rectangle
//   "draw <shader> <defines>"               a shader begun for an object
// TRecordingDevice installs the device, target manager and canvas as the engine's while it
// lives and puts the previous ones back afterwards.
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/rendertarget.h"
#include "engine/render/rendertargetmanager.h"
#include "engine/render/shader.h"
#include "engine/render/texture.h"

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

using TJournal = std::vector<std::string>;

inline std::string JournalName(const TResource* resource)
{
    return resource && resource->m_Name.GetText()[0] ? resource->m_Name.GetText() : "-";
}

class TRecordingTexture : public TTexture
{
public:
    explicit TRecordingTexture(const char* name) { m_Name = TName(name, true); }
    i32 CopyFromRenderTarget(i32, TRenderTarget*) override { return 0; }
    i32 Copy(i32, TTexture*) override { return 0; }
    void* Lock(i32, i32, u32&, u32&) override { return nullptr; }
    void Unlock(i32) override {}
    TTextureAnimation* GetAnimation() override { return nullptr; }
};

class TRecordingTarget : public TRenderTarget
{
public:
    TRecordingTarget(const char* name, TJournal& journal, TRenderTarget** current, TRenderTarget** depth)
        : m_Texture(name), m_Journal(journal), m_ppCurrent(current), m_ppDepth(depth)
    {
        m_Name = TName(name, true);
        m_nState = RESOURCE_LOADED;
    }
    TTexture* GetTexture() override { return &m_Texture; }
    void* Lock(u32& bytes, i32) override
    {
        bytes = 0;
        return nullptr;
    }
    void Unlock() override {}
    void SetRenderTargets(TRenderTarget* depth, TRenderTarget* t1, TRenderTarget* t2, TRenderTarget* t3) override
    {
        Bind(depth, {this, t1, t2, t3});
        m_Journal.push_back("bind " + JournalName(this) + " " + JournalName(t1) + " " + JournalName(t2) + " " +
                            JournalName(t3) + " " + JournalName(depth));
    }
    void SetRenderTarget(TRenderTarget* depth) override
    {
        Bind(depth, {this, nullptr, nullptr, nullptr});
        m_Journal.push_back("bind " + JournalName(this) + " " + JournalName(depth));
    }
    void ReleaseReference() override {}

    // Without a journal line: the back buffer's bind is written by the device.
    void Bind(TRenderTarget* depth, std::initializer_list<TRenderTarget*> targets)
    {
        u32 slot = 0;
        for (TRenderTarget* target : targets)
            m_ppCurrent[slot++] = target;
        *m_ppDepth = depth;
    }

    TRecordingTexture m_Texture;

private:
    TJournal& m_Journal;
    TRenderTarget** m_ppCurrent;
    TRenderTarget** m_ppDepth;
};

class TRecordingTargetManager : public TRenderTargetManager
{
public:
    explicit TRecordingTargetManager(TJournal& journal) : m_Journal(journal) {}

    i32 GetRenderTargetCount() override { return static_cast<i32>(m_aTarget.size()); }
    TRenderTarget* GetRenderTarget(i32 index) override { return &m_aTarget[static_cast<size_t>(index)]; }
    TRenderTarget* CreateRenderTarget(const TName& name, u32 width, u32 height, u32, u32, u32, u32) override
    {
        TRecordingTarget* target = Make(name.GetText());
        target->m_Texture.m_nWidth = static_cast<i32>(width);
        target->m_Texture.m_nHeight = static_cast<i32>(height);
        return target;
    }
    TRenderTarget* GetCurrentTarget(i32 index) override { return m_apCurrent[index]; }
    TRenderTarget* GetCurrentDepthTarget() override { return m_pDepth; }

    TRecordingTarget* Make(const char* name)
    {
        return &m_aTarget.emplace_back(name, m_Journal, m_apCurrent, &m_pDepth);
    }

private:
    TJournal& m_Journal;
    // Stable addresses: targets are handed out as pointers.
    std::deque<TRecordingTarget> m_aTarget;
    TRenderTarget* m_apCurrent[4] = {};
    TRenderTarget* m_pDepth = nullptr;
};

class TRecordingShader : public TShader
{
public:
    TRecordingShader(const char* name, TJournal& journal) : m_Journal(journal) { m_Name = TName(name, true); }

    i32 Begin(TNodeObject* object, const TMeshDescription*, TMaterial*) override
    {
        aObject.push_back(object);
        m_Journal.push_back("draw " + JournalName(this) + " " + DefineText());
        return 0;
    }
    void End() override {}
    void SetDefine(const TName& name, const TName& value) override
    {
        RemoveDefine(name);
        m_aDefines.push_back(std::string(name.GetText()) + "=" + value.GetText());
    }
    void RemoveDefine(const TName& name) override
    {
        const std::string prefix = std::string(name.GetText()) + "=";
        for (size_t i = 0; i < m_aDefines.size(); ++i)
            if (m_aDefines[i].compare(0, prefix.size(), prefix) == 0)
            {
                m_aDefines.erase(m_aDefines.begin() + static_cast<long>(i));
                return;
            }
    }
    std::string DefineText() const
    {
        std::string text;
        for (const std::string& define : m_aDefines)
            text += define + "|";
        return text.empty() ? "-" : text;
    }

    std::vector<TNodeObject*> aObject;

private:
    TJournal& m_Journal;
    std::vector<std::string> m_aDefines;
};

class TRecordingCanvasManager : public TCanvasManager
{
public:
    explicit TRecordingCanvasManager(TJournal& journal) : m_Journal(journal) {}

    TShader* SetShader(TTexture* texture, i32) override
    {
        m_pTexture = texture;
        return &m_Shader;
    }
    void DrawTexture(f32 x1, f32 y1, f32 x2, f32 y2, TShader*, const TColor&) override
    {
        char line[160];
        std::snprintf(line, sizeof line, "tile %s %g %g %g %g", JournalName(m_pTexture).c_str(), x1, y1, x2, y2);
        m_Journal.push_back(line);
    }
    // The canvas's own shader copies its texture; another draws a full-screen quad.
    void DrawFullScreen(TShader* shader, const TColor&) override
    {
        if (!shader || shader == &m_Shader)
            m_Journal.push_back("copy " + JournalName(m_pTexture));
        else if (const auto* recording = dynamic_cast<const TRecordingShader*>(shader))
            m_Journal.push_back("quad " + std::string(shader->m_Name.GetText()) + " " + recording->DefineText());
        else
            m_Journal.push_back("quad " + std::string(shader->m_Name.GetText()));
    }
    f32 GetApertureWidth() const override { return fApertureWidth; }
    f32 GetApertureHeight() const override { return fApertureHeight; }
    TFont SetFont(const TName&, i32) override { return {}; }
    TFont SetDefaultFont() override { return {}; }
    i32 GetTextWidth(const char*, i32) override { return -1; }
    void WriteRect(const f32[4], const TColor&, const char*, i32) override {}
    void WriteColored(f32 x, f32 y, const TColor&, const char* text, i32) override
    {
        aText.push_back(std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)) + " " + text);
    }

    f32 fApertureWidth = 1024.0f;
    f32 fApertureHeight = 768.0f;
    std::vector<std::string> aText;

private:
    TJournal& m_Journal;
    TTexture* m_pTexture = nullptr;
    TRecordingShader m_Shader{"Shader_canvas", m_Journal};
};

class TRecordingDevice : public TDeviceManager
{
public:
    // First: the managers below write into it.
    TJournal journal;
    u32 scissorTest = 0;

    TRecordingDevice()
        : m_Targets(journal), m_Canvas(journal), m_pBack(m_Targets.Make(".backbuffer")),
          m_pDepth(m_Targets.Make(".depthstencil")), m_pOldDevice(g_pDeviceManager),
          m_pOldTargets(g_pRenderTargetManager), m_pOldCanvas(g_pCanvasManager)
    {
        g_pDeviceManager = this;
        g_pRenderTargetManager = &m_Targets;
        g_pCanvasManager = &m_Canvas;
    }
    ~TRecordingDevice() override
    {
        g_pDeviceManager = m_pOldDevice;
        g_pRenderTargetManager = m_pOldTargets;
        g_pCanvasManager = m_pOldCanvas;
    }

    TRecordingTargetManager& Targets() { return m_Targets; }
    TRecordingCanvasManager& Canvas() { return m_Canvas; }

    void BeginScene() override { journal.push_back("begin"); }
    void EndScene() override { journal.push_back("end"); }
    void SetBackBufferTarget(u32 withDepth) override
    {
        m_pBack->Bind(withDepth ? m_pDepth : nullptr, {m_pBack, nullptr, nullptr, nullptr});
        journal.push_back(withDepth ? "back 1" : "back 0");
    }
    void Clear(u32 flags, const u32& colour, f32, i32) override
    {
        char line[64];
        std::snprintf(line, sizeof line, "clear %u %08X", flags, colour);
        journal.push_back(line);
    }
    i32 Present() override { return 0; }
    TRenderTarget* GetBackBufferTarget() override { return m_pBack; }
    TRenderTarget* GetDepthStencilTarget() override { return m_pDepth; }
    TRenderQuery* CreateRenderQuery(u32, i32) override { return nullptr; }
    void DeleteRenderQuery(TRenderQuery*) override {}
    i32 OnWindowEmpty() override { return 0; }
    i32 OnWindowMaximize() override { return 0; }
    i32 OnWindowRestore() override { return 0; }
    void SetWindowTitle(const TName&) override {}
    const char* GetWindowTitle() override { return ""; }
    void GetWindowPosition(i32& x, i32& y) override { x = y = 0; }
    void SetWindowPosition(i32, i32) override {}
    void SetWindowSize(i32, i32) override {}
    void SetVideoMode(i32, i32, i32) override {}
    void SetScissorTest(u32 enable) override { scissorTest = enable; }
    u32 GetScissorTest() override { return scissorTest; }
    TVector GetScissorRect() override { return TVector(0, 0, 0, 0); }
    void SetScissorRect(i32, i32, i32, i32) override {}
    void SetWindowed() override {}
    void SetFullScreen() override {}
    i32 GetVideoWidth() override { return 1024; }
    i32 GetVideoHeight() override { return 768; }
    i32 GetBackBufferWidth() override { return 1024; }
    u32 GetMaxTextureSize() override { return 4096; }
    i32 GetBackBufferHeight() override { return 768; }
    void SetBackBufferSize(i32, i32) override {}
    u32 GetDisplayModeCount() override { return 0; }
    const TVector& GetDisplayMode(u32) override
    {
        static const TVector s_Mode(1024, 768, 0, 1);
        return s_Mode;
    }
    const void* CaptureDesktop() override { return nullptr; }
    u32 SetStoredWord(u32 value) override { return value; }
    u32 GetStoredWord() override { return 0; }
    void SetCursorShow(i32) override {}
    void SetCursorClip(i32) override {}
    i32 PumpMessages() override { return 0; }
    u32 IsRunning() override { return 1; }
    u32 IsDeviceReady() override { return 1; }
    u32 SetRunning(u32 running) override { return running; }
    u32 IsDeactivateAllowed() override { return 0; }
    void SetDeactivateAllowed(u32) override {}
    i32 SetGamma(f32) override { return 3; }
    i32 Pause() override { return 0; }
    i32 Resume(i32) override { return 0; }
    i32 GetPauseCount() override { return 0; }
    void Quit() override {}
    i32 __Run() override { return 0; }
    HWND GetWindowHandle() override { return nullptr; }
    IDirect3DDevice9* GetDevice() override { return nullptr; }
    u32 IsActive() override { return 1; }
    void DrawPixelsToBackBuffer(i32, i32, i32, i32, const void*, i32) override {}
    void PresentFlush() override {}
    TDeviceStatistics* GetStatistics() override { return &m_Statistics; }

private:
    TRecordingTargetManager m_Targets;
    TRecordingCanvasManager m_Canvas;
    TRecordingTarget* m_pBack;
    TRecordingTarget* m_pDepth;
    TDeviceStatistics m_Statistics = {};
    TDeviceManager* m_pOldDevice;
    TRenderTargetManager* m_pOldTargets;
    TCanvasManager* m_pOldCanvas;
};
