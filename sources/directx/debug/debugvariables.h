#pragma once
// The debug manager's console variables, read through deferred references by name: each
// switch's overlay is drawn while its integer value is non-zero (a text reads -1: on).
#include "engine/system/command/deferredvariable.h"

struct TDebugVariables
{
    TDeferredVariable shadow_debug{"shadow_debug"};
    TDeferredVariable deferredrendering_debug{"deferredrendering_debug"};
    TDeferredVariable renderpipeline_debug{"renderpipeline_debug"};
    TDeferredVariable skeleton_debug{"skeleton_debug"};
    TDeferredVariable lights_debug{"lights_debug"};
    TDeferredVariable info_fps{"info_fps"};
    TDeferredVariable info_render{"info_render"};
    TDeferredVariable info_performance{"info_performance"};
    TDeferredVariable info_prop{"info_prop"};
    TDeferredVariable info_resources{"info_resources"};
    TDeferredVariable info_objects{"info_objects"};
    TDeferredVariable info_mesh{"info_mesh"};
    TDeferredVariable info_multiplayer_traffic{"info_multiplayer_traffic"};
    TDeferredVariable info_multiplayer_object{"info_multiplayer_object"};
    TDeferredVariable info_sound{"info_sound"};
    TDeferredVariable info_location{"info_location"};
    TDeferredVariable grid{"grid"};
    TDeferredVariable camera_mouse_sensitivity{"camera_mouse_sensitivity"};
    TDeferredVariable camera_speed{"camera_speed"};
    TDeferredVariable camera_speedmod{"camera_speedmod"};
    TDeferredVariable render_wireframe{"render_wireframe"};
    TDeferredVariable render_debug{"render_debug"};
    TDeferredVariable camera_enable{"camera_enable"};
};

TDebugVariables& DebugVariables();

// The switch's integer value (-1 for a text or a missing variable).
i32 DebugSwitch(TDeferredVariable& variable);
f32 DebugFloat(TDeferredVariable& variable);
