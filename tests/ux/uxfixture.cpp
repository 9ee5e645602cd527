#include "uxfixture.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxrendertarget.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxtextureformat.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/input/inputmanager.h"
#include "engine/localization/localization.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "morvane/ux/screens.h"
#include "platform/window/headlessbackend.h"
#include "platform/window/windowsystem.h"
#include "platform/window/winuser.h"
#include "scenerepositories.h"
#include "support/startupframe.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"

#include <filesystem>
#include <memory>

namespace
{
// A display large enough for a window of 1920 x 1200.
class TLargeDisplay : public THeadlessBackend
{
public:
    RECT GetDisplayBounds(int) override { return RECT{0, 0, 2560, 1600}; }
    RECT GetDisplayWorkArea(int) override { return GetDisplayBounds(0); }
};

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// At the end of the run the loaded data and the device go, as the game's finalize phase lets them.
class TUxEnvironment : public ::testing::Environment
{
public:
    void TearDown() override
    {
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        if (g_pDeviceManager->GetDevice())
        {
            g_pDeviceManager->m_nStepWord = 1;
            g_pDeviceManager->FinalizeManager();
        }
    }
};

// The device, the managers the UX stands on and the UX, once for the run.
void OpenUx()
{
    static const bool s_bOpened = [] {
        ::testing::AddGlobalTestEnvironment(new TUxEnvironment);
        TWindowSystem::Get().SetBackend(std::make_unique<TLargeDisplay>());
        g_ManagerManager.CreateSystem(TName("Inactive", true));
        g_ManagerManager.CreateSystem(TName("Normal", true));
        g_ManagerManager.Initialize();
        g_device_size.Store(1280.0f, 720.0f, 0.0f, 1.0f);
        if (g_pDeviceManager->InitializeManager() != 0)
            return false;
        g_pDeviceManager->SetRunning(1);
        g_pCluster->LinkTypes();
        RegisterGameScreens();
        TInputManager::Instance().InitializeManager();
        g_pResourceManager->BeginManager();
        g_pDxTextureManager->InitializeManager();
        // Blocks are read at once: a frame has everything it asks for.
        g_pResourceManager->GetLoader().SetEnabled(false);
        g_pDxShaderManager->BeginManager();
        g_pDxFontManager->BeginManager();
        g_pDxCanvasManager->BeginManager();
        UX::TUXManager::Instance().BeginManager();
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, VESTAMOR_DATA_DIR "/shaders.data");
        return true;
    }();
    ASSERT_TRUE(s_bOpened);
}
} // namespace

i64 UxTest::s_nClock = 0;

void UxTest::SetUp()
{
    OpenUx();
    m_pOldTimer = g_pTimer;
    g_pTimer = &m_Timer;
    Resize(1280, 720);
    Load();
    MouseTo(4.0f, 4.0f);
    Frame();
    // Every texture of the UX and the shaders it draws with ready before the first drawn frame.
    for (i32 i = 0; i < g_pDxTextureManager->GetTextureCount(); ++i)
        g_pDxTextureManager->GetTexture(i)->Require();
    for (const char* shader : {"Shader_canvas2d", "Shader_canvasalpha", "Shader_UX"})
        if (TShader* found = g_pDxShaderManager->FindShader(TName(shader)))
            found->Require();
    Frame();
}

void UxTest::TearDown()
{
    // Nothing held into the next test.
    Button(false, 0);
    Button(false, 1);
    Frame();
    g_pTimer = m_pOldTimer;
}

void UxTest::Resize(i32 width, i32 height)
{
    if (Width() == width && Height() == height)
        return;
    g_pDeviceManager->SetWindowSize(width, height);
    Pump();
    ASSERT_EQ(Width(), width);
    ASSERT_EQ(Height(), height);
}

void UxTest::Load()
{
    ASSERT_EQ(g_pResourceManager->LoadRepository(VESTAMOR_DATA_DIR "/ux.data", 0), 0);
}

void UxTest::Frame()
{
    Pump();
    s_nClock += TIMER_COUNTS_PER_SECOND / 60;
    g_pTimer->Update();
    const f32 step = g_pTimer->GetRealTimeStep();
    // Resources read this frame are delivered, as the game's update list does.
    g_pResourceManager->UpdateManager(step);
    TInputManager::Instance().UpdateManager(step);
    Ux().UpdateManager(step);
}

void UxTest::Draw(u32 clearColour)
{
    g_pDeviceManager->BeginScene();
    g_pDeviceManager->SetBackBufferTarget(1);
    g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET | DEVICE_CLEAR_DEPTH | DEVICE_CLEAR_STENCIL, clearColour, 1.0f, 0);
    g_pRenderManager->m_nInRender = 1;
    Ux().RenderManager();
    g_pDxCanvasManager->Flush();
    g_pRenderManager->m_nInRender = 0;
    g_pDeviceManager->EndScene();
}

void UxTest::MouseTo(f32 x, f32 y)
{
    PostMessageW(g_pDeviceManager->GetWindowHandle(), WM_MOUSEMOVE, 0,
                 MAKELPARAM(static_cast<i32>(x), static_cast<i32>(y)));
    Pump();
}

void UxTest::Button(bool down, u32 button)
{
    static const USHORT s_aDown[3] = {RI_MOUSE_LEFT_BUTTON_DOWN, RI_MOUSE_RIGHT_BUTTON_DOWN, RI_MOUSE_MIDDLE_BUTTON_DOWN};
    static const USHORT s_aUp[3] = {RI_MOUSE_LEFT_BUTTON_UP, RI_MOUSE_RIGHT_BUTTON_UP, RI_MOUSE_MIDDLE_BUTTON_UP};
    RAWINPUT record = {};
    record.header.dwType = RIM_TYPEMOUSE;
    record.data.mouse.usFlags = MOUSE_MOVE_RELATIVE;
    record.data.mouse.usButtonFlags = down ? s_aDown[button] : s_aUp[button];
    TWindowSystem::Get().PostRawInput(record);
    Pump();
}

namespace
{
// The modifiers' keys down or up, as the window gets them: their records and their key
// messages (the driver takes the events' modifiers from the messages).
void ModifierKeys(u32 modifiers, bool down)
{
    auto key = [down](USHORT makeCode, WPARAM virtualKey) {
        RAWINPUT record = {};
        record.header.dwType = RIM_TYPEKEYBOARD;
        record.data.keyboard.MakeCode = makeCode;
        record.data.keyboard.Flags = down ? 0 : RI_KEY_BREAK;
        TWindowSystem::Get().PostRawInput(record);
        PostMessageW(g_pDeviceManager->GetWindowHandle(), down ? WM_KEYDOWN : WM_KEYUP, virtualKey,
                     static_cast<LPARAM>(1u | static_cast<u32>(makeCode) << 16));
    };
    if (modifiers & INPUT_KEY_SHIFT)
        key(0x2A, 0x10);
    if (modifiers & INPUT_KEY_CTRL)
        key(0x1D, 0x11);
    Pump();
}

// A key message with the modifiers' keys held.
void KeyMessage(UINT message, u32 key, u32 scanCode, bool extended, u32 modifiers)
{
    ModifierKeys(modifiers, true);
    PostMessageW(g_pDeviceManager->GetWindowHandle(), message, key,
                 static_cast<LPARAM>(1u | scanCode << 16 | (extended ? 1u << 24 : 0u)));
    Pump();
    ModifierKeys(modifiers, false);
}
} // namespace

void UxTest::Type(u32 scanCode, u32 character, u32 modifiers, bool extended)
{
    KeyMessage(WM_CHAR, character, scanCode, extended, modifiers);
}

void UxTest::KeyDown(u32 virtualKey, u32 scanCode, bool extended, u32 modifiers)
{
    KeyMessage(WM_KEYDOWN, virtualKey, scanCode, extended, modifiers);
}

UX::TControl* UxTest::Find(const char* name)
{
    UX::TControl* form = Form();
    // Loaded records know their names by id: the text is registered for the messages.
    UX::TControl* found = form ? form->FindChild(TName(name, true)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}

UX::TControl* UxTest::Form()
{
    UX::TControl* form = Ux().PrepareForm(TName("UXDemo", true));
    EXPECT_NE(form, nullptr);
    return form;
}

void UxTest::Centre(const UX::TControl* control, f32& x, f32& y)
{
    x = control->BoxRect.x + control->BoxRect.width * 0.5f;
    y = control->BoxRect.y + control->BoxRect.height * 0.5f;
}

std::vector<std::uint32_t> UxTest::BackBuffer() const
{
    return TargetPixels(g_pDeviceManager->GetDevice(), g_pDeviceManager->GetBackBufferTarget(), Width(), Height());
}

TTexture* UxTest::SolidTexture(const char* name, i32 size, u32 argb)
{
    TTexture* texture = g_pDxTextureManager->CreateTexture(TName(name, true), size, size, 1, 1, TEXTURE_2D,
                                                           static_cast<i32>(TEXTURE_FORMAT_A8R8G8B8), TEXTURE_DYNAMIC);
    texture->Require();
    u32 pitch = 0;
    u32 bytes = 0;
    if (auto* texels = static_cast<u32*>(texture->Lock(TEXTURE_LOCK_WRITE_DISCARD, 0, pitch, bytes)))
    {
        for (i32 y = 0; y < size; ++y)
            for (i32 x = 0; x < size; ++x)
                texels[y * static_cast<i32>(pitch / 4) + x] = argb;
        texture->Unlock(0);
    }
    return texture;
}

void UxTest::SetLanguage(const char* name)
{
    const std::string folder = m_Folder.Path() + "/data";
    std::filesystem::create_directories(folder);
    for (const char* file : {"english.language", "deutsch.language"})
        if (!std::filesystem::exists(folder + "/" + file))
            std::filesystem::copy_file(std::string(VESTAMOR_DATA_DIR) + "/" + file, folder + "/" + file);
    ASSERT_EQ(TLocalizationManager::Instance().SetLanguage(TName(name, true)), 0u);
}

size_t UxTest::LoggedCount(const std::string& text) const
{
    const std::string log = m_Folder.SystemLog();
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size()))
        ++count;
    return count;
}

UX::TControl* UxTest::Named(const char* name)
{
    for (u32 i = 0; i < 2; ++i)
        if (UX::TLayer* layer = Ux().GetLayer(i))
            if (UX::TControl* control = layer->FindChild(TName(name, true)))
                return control;
    ADD_FAILURE() << name;
    return nullptr;
}

std::u16string UxTest::LabelText(const UX::TControl* label)
{
    const UX::TLocalization& text = static_cast<const UX::TLabel*>(label)->Text;
    return text.GetText() ? text.GetText() : u"";
}

void UxTest::MouseOn(const UX::TControl* control)
{
    f32 x, y;
    Centre(control, x, y);
    MouseTo(x, y);
}

void UxTest::Click(const UX::TControl* control, u32 button)
{
    MouseOn(control);
    Frame();
    Button(true, button);
    Frame();
    Button(false, button);
    Frame();
}
