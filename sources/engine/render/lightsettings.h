#pragma once
// The current-light block: 80 values (20 four-float vectors) describing the light being drawn,
// filled by the renderers before each light's pass and handed to shaders by the shader-parameter
// plug-in TLightSettings. Values by index:
//   0-2 position (the node's translation), 3 range, 4-6 direction (the node's Z axis negated:
//   towards the light), 7 intensity, 8-15 colour and second colour, 16-27 the attenuation
//   values (16-17: the spot's outer and inner cosines) and the shadow values (24-27), 28-35 the
//   shadow channel selectors, 36-43 the two further colour vectors; the renderers' own values
//   follow: the forward renderer's light number at 60; the deferred renderer's light values
//   44-51, the world-to-light matrix at 52-67, the light's number in the pass at 68, the game
//   time at 70 and 71 and the light's fade fraction at 72.
#include "core/system/types.h"

class TLight;

constexpr u32 LIGHT_SETTINGS_VALUES = 80;
constexpr u32 LIGHT_SETTINGS_VECTORS = LIGHT_SETTINGS_VALUES / 4;
constexpr u32 LIGHT_SETTINGS_INTENSITY = 7;
constexpr u32 LIGHT_SETTINGS_SHADOW = 24;
constexpr u32 LIGHT_SETTINGS_FORWARD_NUMBER = 60;
constexpr u32 LIGHT_SETTINGS_VALUES140 = 44;
constexpr u32 LIGHT_SETTINGS_WORLD_TO_LIGHT = 52;
constexpr u32 LIGHT_SETTINGS_DEFERRED_NUMBER = 68;
constexpr u32 LIGHT_SETTINGS_GAME_TIME = 70;
constexpr u32 LIGHT_SETTINGS_FADE_FRACTION = 72;

struct TLightSettingsBlock
{
    // Values 0-43 from the light and its node, value 7 the product of its two intensities.
    void Fill(TLight& light);

    f32 aValue[LIGHT_SETTINGS_VALUES];
};

extern TLightSettingsBlock g_LightSettings;
