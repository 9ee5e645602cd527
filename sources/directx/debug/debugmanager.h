#pragma once
// TDebugManager ("Debug"): the engine's debug overlays, drawn over the finished frame through the
// canvas when their console variables (debugvariables.h) are on, and the free-flying spectator
// camera, which takes the view over while camera_enable is on (debugspectator.cpp).
#include "core/cluster/clustermethods.h"
#include "core/math/color.h"
#include "engine/input/inputfocus.h"
#include "engine/render/devicemethods.h"
#include "engine/render/renderscenemethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

class TCamera;
class TInput;
class TInputAction;

// The colours of the overlays.
constexpr TColor DEBUG_WHITE = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr TColor DEBUG_BLACK = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr TColor DEBUG_BLUE = {0.0f, 0.0f, 1.0f, 1.0f};
constexpr TColor DEBUG_GREEN = {0.0f, 1.0f, 0.0f, 1.0f};
constexpr TColor DEBUG_RED = {1.0f, 0.0f, 0.0f, 1.0f};
constexpr TColor DEBUG_LIGHT_GREY = {160.0f / 255.0f, 160.0f / 255.0f, 160.0f / 255.0f, 1.0f};
constexpr TColor DEBUG_PALE_GREY = {240.0f / 255.0f, 240.0f / 255.0f, 240.0f / 255.0f, 1.0f};

// The performance table keeps one visible-until time per manager and one sum per CPU.
constexpr u32 DEBUG_MANAGER_SLOTS = 128;
constexpr u32 DEBUG_CPU_COUNT = 16;
// A manager stays listed this long after its last active frame.
constexpr f32 DEBUG_LISTED_SECONDS = 10.0f;
// Below this many milliseconds a manager did no work this frame.
constexpr f32 DEBUG_ACTIVE_MS = 0.01f;

// The spectator camera's actions, in the order they are created.
enum EDebugAction
{
    DEBUG_MOVE_LEFT,
    DEBUG_MOVE_RIGHT,
    DEBUG_MOVE_UP,
    DEBUG_MOVE_DOWN,
    DEBUG_ROTATE_LEFT,
    DEBUG_ROTATE_RIGHT,
    DEBUG_ROTATE_FORWARD,
    DEBUG_ROTATE_BACKWARD,
    DEBUG_ACTION_COUNT
};
enum EDebugKey
{
    DEBUG_KEY_LCTRL,
    DEBUG_KEY_LSHIFT,
    DEBUG_KEY_NUMPAD_PLUS,
    DEBUG_KEY_NUMPAD_MINUS,
    DEBUG_KEY_COUNT
};
// The camera flies at focus layer 2, ahead of the vehicle that shares its move actions.
constexpr u32 DEBUG_FOCUS_LAYER = 2;
// Degrees a second at full deflection and sensitivity 1.
constexpr f32 DEBUG_TURN_RATE = 200.0f;
constexpr f32 DEBUG_SPEED_UP = 1.5f;
constexpr f32 DEBUG_SPEED_DOWN = 0.6666667f;
constexpr f32 DEBUG_SPEED_MIN = 0.1f;

class TDebugManager : public TManager,
                      public TDeviceMethods,
                      public TInputFocus,
                      public TClusterMethods,
                      public TResourceMethods,
                      public TRenderSceneMethods
{
public:
    TDebugManager();
    ~TDebugManager() override;

    void BeginManager() override;
    // The overlay frame.
    void RenderManager() override;

    // TInputFocus: input only while the camera flies.
    bool WantsInput() override { return m_nCameraEnabled != 0; }
    void UpdateFocus(f32) override { UpdateSpectator(); }
    // TClusterMethods: the camera's actions and the focus.
    void OnClusterLoad() override;

    // camera_enable's change: on takes the view with the "spectator" camera, off gives it back.
    void CameraEnable(i32 on);
    // One frame of the flying camera over the timer's frame time.
    void UpdateSpectator();
    u32 IsCameraEnabled() const { return m_nCameraEnabled; }
    TCamera* GetSavedCamera() const { return m_pSavedCamera; }

    // The text four times in black, 2 units off on each side, then in the colour.
    static void DrawOutlinedText(f32 x, f32 y, const TColor& color, const char* format, ...);

    // The overlays, each drawn by the frame when its variable is on.
    void DrawPerformance();
    static void DrawRenderInfo();
    static void DrawLocation();
    static void DrawFrameRate();

private:
    TInputAction* m_apAction[DEBUG_ACTION_COUNT];
    TInput* m_apKey[DEBUG_KEY_COUNT];
    u32 m_nCameraEnabled;
    TCamera* m_pSavedCamera;
    f32 m_afVisibleUntil[DEBUG_MANAGER_SLOTS];
};

extern TDebugManager* g_pDebugManager;
