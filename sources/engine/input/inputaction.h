#pragma once
// TInputAction: a named action ("jump", "console") that gameplay and the user interface read
// instead of raw inputs, bound to up to two inputs. Stored type 23.
#include "core/system/name.h"

#include <cstddef>

class TInput;
class TInputActionGroup;

constexpr u16 INPUT_ACTION_TYPE_ID = 23;
// No "action:<name>" environment value.
constexpr u32 INPUT_ACTION_NO_ENVIRONMENT = 0x4;

class TInputAction
{
public:
    // The larger value of the two inputs, the primary's alone, or 0.
    f32 GetValue() const;
    bool IsDown() const;
    bool IsPressed() const;
    bool IsReleased() const;
    // A lone second input becomes the primary.
    void Bind(TInput* primary, TInput* secondary);
    bool HasInput() const { return pPrimary != nullptr; }

    TName Name;
    TInput* pPrimary = nullptr;
    TInput* pSecondary = nullptr;
    u32 aReserved[2] = {};
    u32 nFlags = 0;
    TInputActionGroup* pGroup = nullptr;
};

static_assert(sizeof(TInputAction) == 28);
static_assert(offsetof(TInputAction, nFlags) == 20);
static_assert(offsetof(TInputAction, pGroup) == 24);
