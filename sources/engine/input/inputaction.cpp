#include "engine/input/inputaction.h"

#include "engine/input/input.h"

f32 TInputAction::GetValue() const
{
    if (!pPrimary)
        return 0.0f;
    const f32 value = pPrimary->GetValue();
    if (!pSecondary)
        return value;
    const f32 second = pSecondary->GetValue();
    return second > value ? second : value;
}

bool TInputAction::IsDown() const
{
    return (pPrimary && pPrimary->IsPressed()) || (pSecondary && pSecondary->IsPressed());
}

bool TInputAction::IsPressed() const
{
    return (pPrimary && pPrimary->WasPressed()) || (pSecondary && pSecondary->WasPressed());
}

bool TInputAction::IsReleased() const
{
    return (pPrimary && pPrimary->WasReleased()) || (pSecondary && pSecondary->WasReleased());
}

void TInputAction::Bind(TInput* primary, TInput* secondary)
{
    if (!primary)
    {
        primary = secondary;
        secondary = nullptr;
    }
    pPrimary = primary;
    pSecondary = secondary;
}
