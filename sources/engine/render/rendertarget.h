#pragma once
// TRenderTarget: a surface that drawing goes to. Only what the device manager needs of it until
// the render-target resources are built: its name, size and format, and making it current.
#include "core/system/name.h"

class TRenderTarget
{
public:
    virtual ~TRenderTarget() = default;
    // Makes the target the current colour target, with the depth-stencil target (or none).
    virtual void MakeCurrent(TRenderTarget* depthStencil) = 0;

    TName m_Name;
    u32 m_nWidth = 0;
    u32 m_nHeight = 0;
    u32 m_nFormat = 0;
};
