// The debug manager's 23 variables and the command "info_reset". Most are plain switches read
// where they are drawn; camera_enable, render_wireframe and renderpipeline_debug act when set.
#include "directx/debug/debugvariables.h"

#include "directx/debug/debugmanager.h"
#include "directx/debug/debugscene.h"
#include "engine/system/command/command.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"

TDebugVariables& DebugVariables()
{
    static TDebugVariables s_Variables;
    return s_Variables;
}

i32 DebugSwitch(TDeferredVariable& variable)
{
    return variable.GetValue().ToInt();
}

f32 DebugFloat(TDeferredVariable& variable)
{
    return variable.GetValue().ToFloat();
}

namespace
{
// A variable whose value is read where it is used.
#define DEBUG_VARIABLE(NAME, HELP, SET_DEFAULT)                                                              \
    class T##NAME##Variable : public TVariable                                                                 \
    {                                                                                                          \
    public:                                                                                                    \
        T##NAME##Variable() : TVariable(#NAME, HELP, 0) { m_Value.SET_DEFAULT; }                               \
        void OnChange() override {}                                                                            \
    };                                                                                                         \
    T##NAME##Variable s_##NAME;

DEBUG_VARIABLE(shadow_debug, "Shadow debug render (debug information).", SetInt(0))
DEBUG_VARIABLE(deferredrendering_debug, "Deferred rendering debug (debug information).", SetInt(0))
DEBUG_VARIABLE(skeleton_debug, "Show skeleton (debug information).", SetInt(0))
DEBUG_VARIABLE(lights_debug, "Render lights (debug information).", SetInt(0))
DEBUG_VARIABLE(info_fps, "Show frame rate.", SetInt(0))
DEBUG_VARIABLE(info_render, "Show render info.", SetInt(0))
DEBUG_VARIABLE(info_performance, "Show performance timings info.", SetInt(0))
DEBUG_VARIABLE(info_prop, "Show prop info.", SetInt(0))
DEBUG_VARIABLE(info_resources, "Show resources.", SetInt(0))
DEBUG_VARIABLE(info_objects, "Show objects info (LiP).", SetInt(0))
DEBUG_VARIABLE(info_mesh, "Show mesh info.", SetInt(0))
DEBUG_VARIABLE(info_multiplayer_traffic, "Show multiplayer traffic info.", SetInt(0))
DEBUG_VARIABLE(info_multiplayer_object, "Show multiplayer object info.", SetInt(0))
DEBUG_VARIABLE(info_sound, "Show sound info.", SetInt(0))
DEBUG_VARIABLE(info_location, "Show location data.", SetInt(0))
DEBUG_VARIABLE(grid, "Draw grid.", SetInt(0))
DEBUG_VARIABLE(camera_mouse_sensitivity, "Debug camera mouse sensitivity.", SetFloat(1.0f))
DEBUG_VARIABLE(camera_speed, "Debug camera speed.", SetFloat(1.0f))
DEBUG_VARIABLE(camera_speedmod, "Debug camera speed modifier.", SetFloat(1.0f))
DEBUG_VARIABLE(render_debug, "Debug render.", SetInt(0))
#undef DEBUG_VARIABLE

class Trenderpipeline_debugVariable : public TVariable
{
public:
    Trenderpipeline_debugVariable() : TVariable("renderpipeline_debug", "Render pipeline debug (debug information).", 0)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override { SetPipelineDebug(m_Value.ToInt()); }
};

class Trender_wireframeVariable : public TVariable
{
public:
    Trender_wireframeVariable() : TVariable("render_wireframe", "Set wireframe render mode.", 0) { m_Value.SetInt(0); }
    void OnChange() override { SetWireframe(m_Value.ToInt()); }
};

// Never saved: every start begins with the level's own camera.
class Tcamera_enableVariable : public TVariable
{
public:
    Tcamera_enableVariable() : TVariable("camera_enable", "Enable debug camera.", VARIABLE_NOT_SAVED)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override
    {
        if (g_pDebugManager)
            g_pDebugManager->CameraEnable(m_Value.ToInt());
    }
};

class TCommandinfo_reset : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32) override {}
};

Trenderpipeline_debugVariable s_renderpipeline_debug;
Trender_wireframeVariable s_render_wireframe;
Tcamera_enableVariable s_camera_enable;
TCommandinfo_reset s_Commandinfo_reset;

const u32 s_nRegistered = [] {
    TCommandManager::Instance().RegisterCommand("info_reset", "reset information",
                                                "Reset information internal counters.", &s_Commandinfo_reset, 0);
    return 0u;
}();
} // namespace
