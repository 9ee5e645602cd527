#pragma once
// TNxDynamicsDebug: the dynamics manager's overlay, drawn through the canvas while the console
// variable dynamics_debug is between 1 and 99: the joints' axes, then for each awake body its
// skeleton binding's axes and its shapes (boxes, spheres, wheels), with labels from 2 on.
#include "core/math/color.h"
#include "core/math/vector.h"

class TNxDynamicsBody;
class TNxDynamicsManager;

// dynamics_debug from which labels are added, and from which nothing is drawn.
constexpr i32 DYNAMICS_DEBUG_LABELS = 2;
constexpr i32 DYNAMICS_DEBUG_OFF = 100;
// Axis lengths of joints and of skeleton bindings.
constexpr f32 DYNAMICS_DEBUG_JOINT_AXES = 0.5f;
constexpr f32 DYNAMICS_DEBUG_SKELETON_AXES = 1.5f;
// The stock colours: shapes of dynamic bodies, of other bodies, of triggers; label outlines.
constexpr TColor DYNAMICS_DEBUG_DYNAMIC = {0.0f, 1.0f, 0.0f, 1.0f};
constexpr TColor DYNAMICS_DEBUG_STATIC = {0.0f, 0.5f, 1.0f, 1.0f};
constexpr TColor DYNAMICS_DEBUG_TRIGGER = {1.0f, 1.0f, 0.0f, 1.0f};
constexpr TColor DYNAMICS_DEBUG_OUTLINE = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr TColor DYNAMICS_DEBUG_TEXT = {1.0f, 1.0f, 1.0f, 1.0f};

class TNxDynamicsDebug
{
public:
    // The variable's level: its integer, or -1 for a value of a type with none.
    static i32 GetLevel();
    // The manager's RenderManager: draws per the level and flushes the canvas for any non-zero.
    static void Render(TNxDynamicsManager& manager);

private:
    static void DrawBody(TNxDynamicsBody& body, i32 level);
    // The text at the screen point of a world position (main camera), outlined or not.
    static void DrawLabel(const TVector& position, const char* text, bool outline);
};
