#pragma once
// TCamera: the stored layout of its records (type 48, 308 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/math/matrix.h"
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TCamera : public TNodeObject
{
public:
    TCamera()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTCamera.GetId();
    }

    u32 m_nFlags;
    f32 m_fFocalLength;
    f32 m_fHorizontalAperture;
    f32 m_fVerticalAperture;
    u32 m_nFitMode;
    f32 m_fHorizontalFov;
    f32 m_fVerticalFov;
    f32 m_fNearClip;
    f32 m_fFarClip;
    f32 m_fOrthographicSize;
    TMatrix m_Projection;
    TMatrix m_Placement;
    TMatrix m_View;
    TMatrix m_ViewProjection;
};

static_assert(sizeof(TCamera) == 308);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TCamera, m_nFlags) == 12);
static_assert(offsetof(TCamera, m_fFocalLength) == 16);
static_assert(offsetof(TCamera, m_fHorizontalAperture) == 20);
static_assert(offsetof(TCamera, m_fVerticalAperture) == 24);
static_assert(offsetof(TCamera, m_nFitMode) == 28);
static_assert(offsetof(TCamera, m_fHorizontalFov) == 32);
static_assert(offsetof(TCamera, m_fVerticalFov) == 36);
static_assert(offsetof(TCamera, m_fNearClip) == 40);
static_assert(offsetof(TCamera, m_fFarClip) == 44);
static_assert(offsetof(TCamera, m_fOrthographicSize) == 48);
static_assert(offsetof(TCamera, m_Projection) == 52);
static_assert(offsetof(TCamera, m_Placement) == 116);
static_assert(offsetof(TCamera, m_View) == 180);
static_assert(offsetof(TCamera, m_ViewProjection) == 244);
#pragma GCC diagnostic pop
