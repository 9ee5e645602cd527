#pragma once
// TDxViewport: a viewport with its Direct3D record beside the engine's rectangle; Apply sets
// the record on the device, makes its camera current and refreshes the global shader
// parameters.
#include "engine/render/viewport.h"

class TDxViewport : public TViewport
{
public:
    f32 GetMinZ() override { return m_Record.fMinZ; }
    f32 GetMaxZ() override { return m_Record.fMaxZ; }
    // The record takes the rectangle truncated to whole pixels.
    void SetRect(f32 left, f32 top, f32 right, f32 bottom) override;
    void SetMinZ(f32 z) override { m_Record.fMinZ = z; }
    void SetMaxZ(f32 z) override { m_Record.fMaxZ = z; }
    void SetFlag(u32 set) override;
    void SetCamera(TCamera* camera) override { pCamera = camera; }
    void Apply() override;
};

static_assert(sizeof(TDxViewport) == sizeof(TViewport));
